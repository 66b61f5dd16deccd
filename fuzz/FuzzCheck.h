// The fuzz targets' assertion: a broken invariant aborts with its text, which both libFuzzer (a
// crash) and the plain replay test (a failed test) report. Kept on in release builds on purpose.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
