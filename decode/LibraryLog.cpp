#include "decode/LibraryLog.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace varnilog {

namespace {

std::mutex logMutex; // decoders log from their own threads
std::string errors;
std::atomic<int> quiet{0};
bool debug = false; // VARNILOG_DECODE_DEBUG=1: everything the library says, on stderr

int onLog(void*, int level, const char* format, va_list args) {
    char line[4096];
    std::vsnprintf(line, sizeof line, format, args);
    if (debug)
        std::fprintf(stderr, "srd: %s\n", line);
    if (level > SRD_LOG_ERR || quiet.load() > 0)
        return SRD_OK;
    const std::lock_guard lock(logMutex);
    if (errors.size() < (1u << 16))
        errors += (errors.empty() ? "" : "\n") + std::string(line);
    return SRD_OK;
}

} // namespace

void installLibraryLog() {
    debug = std::getenv("VARNILOG_DECODE_DEBUG") != nullptr;
    srd_log_callback_set(onLog, nullptr);
    srd_log_loglevel_set(debug ? SRD_LOG_SPEW : SRD_LOG_ERR);
}

std::string takeLibraryErrors() {
    const std::lock_guard lock(logMutex);
    std::string out;
    out.swap(errors);
    return out;
}

LibraryLogQuiet::LibraryLogQuiet() {
    ++quiet;
}

LibraryLogQuiet::~LibraryLogQuiet() {
    --quiet;
}

} // namespace varnilog
