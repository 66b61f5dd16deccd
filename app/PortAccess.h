// What a serial device's permissions say about this user, and what the user can do about a port
// that may not be opened; the core finds it out, the window and the command line word the advice.
#pragma once

#include <QString>

namespace varnilog {

struct PortAccess {
    QString owner;               // "root"
    QString group;               // "dialout"
    QString mode;                // as ls shows it: "crw-rw----"
    bool groupMayUse = false;    // the group may read and write
    bool sessionInGroup = false; // this process has the group now
    bool accountInGroup = false; // the user's account has it (from the next login on)
};

enum class PortAccessFix {
    JoinGroup,    // join the device's group, then log in again
    LogInAgain,   // the account has the group, this session not yet
    AskForAccess, // the group does not open it (a root-only device): its mode or owner must change
};

inline PortAccessFix portAccessFix(const PortAccess& access) {
    if (!access.groupMayUse || access.sessionInGroup)
        return PortAccessFix::AskForAccess;
    return access.accountInGroup ? PortAccessFix::LogInAgain : PortAccessFix::JoinGroup;
}

} // namespace varnilog
