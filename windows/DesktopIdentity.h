// How the desktop knows the window program: the desktop file it belongs to (packaging/varnilog.desktop,
// whose StartupWMClass is the X11 instance name set here, whatever the executable is called) and the
// icon of its windows. Called once the application object exists, before the first window is shown.
#pragma once

namespace varnilog {

inline constexpr char kDesktopFileName[] = "varnilog";

void setUpDesktopIdentity();

} // namespace varnilog
