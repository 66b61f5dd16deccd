#include "app/DisplayCheck.h"

namespace varnilog {

DisplayEnvironment currentDisplayEnvironment() {
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY")};
}

QString noDisplayMessage(const DisplayEnvironment& environment, const QStringList& arguments) {
    const bool platformNamed = !environment.qtPlatform.isEmpty() ||
                               arguments.contains(QLatin1String("-platform")) ||
                               arguments.contains(QLatin1String("--platform"));
    if (platformNamed || !environment.x11Display.isEmpty() || !environment.waylandDisplay.isEmpty())
        return {};
    return QStringLiteral(
        "varnilog: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
        "set); varnilog-cli works without one");
}

} // namespace varnilog
