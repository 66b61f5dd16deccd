#include "windows/DesktopIdentity.h"

#include <QApplication>
#include <QIcon>

// The icon lives in a static library: its resource is registered by hand (outside any namespace).
static void registerIconResource() {
    Q_INIT_RESOURCE(varnilog_icon);
}

namespace varnilog {

void setUpDesktopIdentity() {
    registerIconResource();
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/packaging/varnilog.svg")));
}

} // namespace varnilog
