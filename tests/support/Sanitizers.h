// Which sanitizer a test program was built with, for the few tests that cannot run under one.
#pragma once

#include <QProcessEnvironment>

#if defined(__SANITIZE_ADDRESS__)
#define VARNILOG_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNILOG_UNDER_ASAN 1
#endif
#endif
// ThreadSanitizer reserves terabytes of address space at start: no address-space limit under it.
#if defined(__SANITIZE_THREAD__)
#define VARNILOG_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VARNILOG_UNDER_TSAN 1
#endif
#endif

namespace varnilog::test {

#if defined(VARNILOG_UNDER_TSAN)
inline constexpr bool kUnderThreadSanitizer = true;
#else
inline constexpr bool kUnderThreadSanitizer = false;
#endif

// The environment of a child run under strace: LeakSanitizer cannot work under ptrace, so a sanitizer
// build's traced child checks no leaks (the untraced runs of the same code still do).
inline QProcessEnvironment tracedChildEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    return env;
}

} // namespace varnilog::test

// Skips the rest of a test under ThreadSanitizer, saying why; such a test runs in the other builds.
#define VARNILOG_SKIP_UNDER_TSAN(reason)                                                                     \
    do {                                                                                                     \
        if (::varnilog::test::kUnderThreadSanitizer)                                                         \
            GTEST_SKIP() << "not under ThreadSanitizer: " << (reason);                                       \
    } while (false)
