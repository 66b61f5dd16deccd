// How the desktop knows the window program: the desktop file it belongs to (packaging/varnilog.desktop,
// whose StartupWMClass is the windows' X11 class, the application name setUpApplicationTitle gives)
// and the icon of its windows. Called once the application object exists, before the first window.
#pragma once

namespace varnilog {

inline constexpr char kDesktopFileName[] = "varnilog";

void setUpDesktopIdentity();

} // namespace varnilog
