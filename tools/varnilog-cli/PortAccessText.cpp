#include "PortAccessText.h"

#include "device/PosixSerialLink.h"
#include "device/SerialPorts.h"

namespace varnilog {

QString portAccessText(const QString& portName) {
    const std::optional<PortAccess> access = portAccess(PosixSerialLink::devicePath(portName));
    if (!access)
        return QStringLiteral(
                   "no permission to open port %1 — add your user to the dialout group and log in again")
            .arg(portName);
    const QString device =
        QStringLiteral("owner %1, group %2, %3").arg(access->owner, access->group, access->mode);
    switch (portAccessFix(*access)) {
    case PortAccessFix::JoinGroup:
        return QStringLiteral(
                   "no permission to open port %1 (%2) — add your user to the %3 group and log in again")
            .arg(portName, device, access->group);
    case PortAccessFix::LogInAgain:
        return QStringLiteral(
                   "no permission to open port %1 (%2) — your user is in the %3 group, this session "
                   "not yet: log in again")
            .arg(portName, device, access->group);
    case PortAccessFix::AskForAccess:
        break;
    }
    return QStringLiteral(
               "no permission to open port %1 (%2) — no group helps: only %3 may open it; change its "
               "permissions (a udev rule) or ask the administrator")
        .arg(portName, device, access->owner);
}

} // namespace varnilog
