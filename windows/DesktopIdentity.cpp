#include "windows/DesktopIdentity.h"

#include <QApplication>
#include <QIcon>

namespace varnilog {

void setUpDesktopIdentity() {
    // The X11 platform names a window's instance after RESOURCE_NAME, read when the first window is made.
    if (qEnvironmentVariableIsEmpty("RESOURCE_NAME"))
        qputenv("RESOURCE_NAME", kDesktopFileName);
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/packaging/varnilog.svg")));
}

} // namespace varnilog
