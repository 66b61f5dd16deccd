// One writer per recording set: an exclusive lock (flock) on the set's ".ros", held for the whole of
// one change (a derived channel, remove, rename, delete, description, markers, the recording itself),
// so a read-modify-write of the header never loses another program's keys. The ".ros" may be replaced
// by a rename while others wait, so a lock counts only when the file locked is still the one at the
// path. Depends on QtCore.
#pragma once

#include "app/CoreError.h"

#include <QString>

namespace varnilog {

class SetLock {
public:
    SetLock() = default;
    ~SetLock();
    SetLock(SetLock&& other) noexcept;
    SetLock& operator=(SetLock&& other) noexcept;
    SetLock(const SetLock&) = delete;
    SetLock& operator=(const SetLock&) = delete;

    enum class Result { Locked, Busy, Failed };
    // Locks the set of headerPath (its ".ros"), waiting up to waitMs for another writer to finish.
    // Busy: another program still changes the set; Failed: the header cannot be opened (error says why).
    Result lock(const QString& headerPath, int waitMs, QString& error);
    void unlock();
    bool isLocked() const { return fd_ >= 0; }
    // Also locks the open file fd, the set's next ".ros" before it is renamed into place: a writer
    // that replaces the header keeps the set locked. False when it cannot be locked.
    bool lockReplacement(int fd);

private:
    int fd_ = -1;
    int next_ = -1; // the replacement's lock
};

// How long a second writer waits before it gives up: a header change takes milliseconds, a derived
// channel of a long recording longer, and a user would rather hear "busy" than watch a hang.
inline constexpr int kSetLockWaitMs = 2000;

// Locks the set of rosPath as lock() does for kSetLockWaitMs; false with error (the set is busy, or
// why its header cannot be opened) when it could not.
bool lockSet(SetLock& lock, const QString& rosPath, CoreError& error);

} // namespace varnilog
