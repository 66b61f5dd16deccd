// What libsigrokdecode says while it works: its errors (a decoder's exception with its traceback)
// are kept for the session that caused them instead of being printed on stderr, everything else is
// dropped. Depends on libsigrokdecode.
#pragma once

#include <string>

namespace varnilog {

// Routes the library's log here (once, before srd_init).
void installLibraryLog();

// The error lines logged since the last call, oldest first, joined by newlines; clears them.
std::string takeLibraryErrors();

// While one lives, errors are dropped too (an import that may fail, a cleanup).
class LibraryLogQuiet {
public:
    LibraryLogQuiet();
    ~LibraryLogQuiet();
    LibraryLogQuiet(const LibraryLogQuiet&) = delete;
    LibraryLogQuiet& operator=(const LibraryLogQuiet&) = delete;
};

} // namespace varnilog
