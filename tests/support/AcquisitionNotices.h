// What a recording reported, kind by kind, as the tests of the acquisition compare it; failures print
// the kinds by name.
#pragma once

#include "app/AcquisitionNotice.h"

#include <QList>

#include <ostream>

namespace varnilog {

using NoticeKinds = QList<AcquisitionNoticeKind>;

inline void PrintTo(AcquisitionNoticeKind kind, std::ostream* out) {
    static const char* const names[] = {"None",
                                        "SpeedRefused",
                                        "AccessDenied",
                                        "PortNotOpened",
                                        "PortOpened",
                                        "Sampling",
                                        "CommunicationFailed",
                                        "Retrying",
                                        "FilesNotCreated",
                                        "FilesRemoved",
                                        "WriteFailed",
                                        "PortLost",
                                        "NoFrames",
                                        "Stopped",
                                        "PortNotClosed",
                                        "StoppedFilesRemoved",
                                        "StoppedOverflow",
                                        "StoppedWriteFailed",
                                        "StoppedPortLost"};
    const auto i = static_cast<std::size_t>(kind);
    *out << (i < std::size(names) ? names[i] : "?");
}

} // namespace varnilog
