// Text drawing (axis labels, offset marker labels) needs a QGuiApplication; core test programs run
// with gtest's own main (and benchmarks with theirs), so the programs that draw text make one here,
// on the offscreen platform.
#pragma once

#include <QGuiApplication>

inline void ensureOffscreenGui() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "core_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}
