// What a recording reported, kind by kind, as the tests of the acquisition compare it; failures print
// the kinds by name.
#pragma once

#include "app/AcquisitionNotice.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace varnilog {

// A vector, not a QList: QList compares two empty lists of an enum with memcmp of null pointers.
struct NoticeKinds : std::vector<AcquisitionNoticeKind> {
    using std::vector<AcquisitionNoticeKind>::vector;
    NoticeKinds& operator<<(AcquisitionNoticeKind kind) {
        push_back(kind);
        return *this;
    }
    bool isEmpty() const { return empty(); }
    bool contains(AcquisitionNoticeKind kind) const { return std::find(begin(), end(), kind) != end(); }
    long count(AcquisitionNoticeKind kind) const { return std::count(begin(), end(), kind); }
};

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
