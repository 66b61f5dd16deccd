// What a recording reports while it starts, runs and stops: a kind and the values its text needs.
// The acquisition returns it, the window's status panel and boxes and the command line word it
// (app/CoreMessages.h). Depends on QtCore.
#pragma once

#include "app/PortAccess.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace varnilog {

enum class AcquisitionNoticeKind : std::uint8_t {
    None,
    // Status panel texts.
    SpeedRefused,        // the port does not take the board's line speed
    AccessDenied,        // port; access: its permissions, when they could be looked at
    PortNotOpened,       // port and reason, both empty when there is no reason to give
    PortOpened,          //
    Sampling,            // the board was identified, or frames arrive again
    CommunicationFailed, // every identification attempt failed
    Retrying,            // number: attempts left
    FilesNotCreated,     //
    FilesRemoved,        //
    WriteFailed,         //
    PortLost,            //
    NoFrames,            // bytes arrive, but hardly any of them as frames
    Stopped,             //
    PortNotClosed,       //
    // Box texts of a recording that had to stop.
    StoppedFilesRemoved, // the sample files vanished with their folder
    StoppedOverflow,     // the receive backlog outgrew the buffer
    StoppedWriteFailed,  // reason: the file and the system's reason
    StoppedPortLost,     //
};

struct AcquisitionNotice {
    AcquisitionNoticeKind kind = AcquisitionNoticeKind::None;
    QString port;
    QString reason;
    int number = 0;
    std::optional<PortAccess> access;

    bool empty() const { return kind == AcquisitionNoticeKind::None; }
    static AcquisitionNotice of(AcquisitionNoticeKind kind) {
        AcquisitionNotice n;
        n.kind = kind;
        return n;
    }
};

} // namespace varnilog
