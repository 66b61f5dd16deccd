// Whether the window program has a display to open its windows on, checked before Qt is started:
// without one Qt aborts with a message about reinstalling, which sends the user the wrong way.
// Depends on QtCore only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace varnilog {

// The environment the check reads (a seam for the tests).
struct DisplayEnvironment {
    QByteArray qtPlatform;     // QT_QPA_PLATFORM
    QByteArray x11Display;     // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
};
DisplayEnvironment currentDisplayEnvironment();

// The one line to print before exiting with 1, or empty when there is a display, or when a Qt
// platform was named (QT_QPA_PLATFORM or -platform: Qt's own choice, e.g. offscreen).
QString noDisplayMessage(const DisplayEnvironment& environment, const QStringList& arguments);

} // namespace varnilog
