// The serial ports as this system has them: the ones a board can be on, and why a port may not be
// opened (its owner, group and mode against the user's groups), so the advice fits the case.
// Depends on POSIX and QtCore.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace varnilog {

// The boards' USB serial adapters present under devDir: ttyUSB* then ttyACM*, each in number order,
// as port names ("ttyUSB0").
QStringList boardPorts(const QString& devDir = QStringLiteral("/dev"));

// True when no port of this system was chosen: an empty name, or a Windows name ("COM1") that a new
// or an old configuration holds.
bool portUnchosen(const QString& portName);

// The port Start opens: the configured one, or when none was chosen the first board port present;
// empty when there is none to take (the user must choose).
QString portToOpen(const QString& configured, const QStringList& presentBoardPorts);

// What the device's permissions say about this user.
struct PortAccess {
    QString owner;               // "root"
    QString group;               // "dialout"
    QString mode;                // as ls shows it: "crw-rw----"
    bool groupMayUse = false;    // the group may read and write
    bool sessionInGroup = false; // this process has the group now
    bool accountInGroup = false; // the user's account has it (from the next login on)
};
// Empty when the device cannot be looked at.
std::optional<PortAccess> portAccess(const QString& devicePath);

enum class PortAccessFix {
    JoinGroup,    // join the device's group, then log in again
    LogInAgain,   // the account has the group, this session not yet
    AskForAccess, // the group does not open it (a root-only device): its mode or owner must change
};
PortAccessFix portAccessFix(const PortAccess& access);

// The window's message for a port the user may not open (translated): the fix, and the device's
// owner, group and mode when they are known.
QString portAccessMessage(const QString& portName, const std::optional<PortAccess>& access);

} // namespace varnilog
