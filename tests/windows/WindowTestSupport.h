// Small helpers of the window tests: files of a recording, finding controls by name.
#pragma once

#include "support/TestFiles.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLocale>
#include <QScrollBar>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace varnilog::test {

// Runs action once, right after window has appeared: a window that computes on a worker first (the
// spectrum) handles events before it appears, so a zero timer would fire too early.
inline void onceShown(QWidget& window, std::function<void()> action) {
    struct Watch : QObject {
        std::function<void()> action;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                QTimer::singleShot(0, watched, action);
                deleteLater();
                watched->removeEventFilter(this);
            }
            return false;
        }
    };
    auto* watch = new Watch;
    watch->setParent(&window);
    watch->action = std::move(action);
    window.installEventFilter(watch);
}

// The files in a folder, sorted by name, joined by blanks.
inline std::string listing(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name).join(' ').toStdString();
}

// Minimises a shown window and restores it, as the user does from the taskbar.
inline void minimiseAndRestore(QWidget& window) {
    window.setWindowState(Qt::WindowMinimized);
    window.setWindowState(Qt::WindowNoState);
}

// A mouse click on the scroll bar's track beside the thumb: near its right end (forward) or its left
// end, just inside the arrow buttons.
inline void clickScrollBarTrack(QScrollBar* bar, bool forward) {
    const int arrow = bar->height() + 4;
    const int x = forward ? bar->width() - arrow : arrow;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, bar->height() / 2));
}

template <typename T> T* child(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace varnilog::test

namespace varnilog::test {

// Sets the default locale for one scope and puts the previous one back.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(previous_); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QLocale previous_;
};

} // namespace varnilog::test
