// A change of one channel's sample file together with the set's ".ros", so that a kill at any moment
// leaves the old channel or the new one, never new samples under old keys nor keys without their file.
// The new samples (or, for a removal, a link to the old file) are first put at a hidden pending name
// that carries the inode of the next ".ros"; renaming that ".ros" into place is the one step that
// decides; the pending file then takes the channel's name (or the channel goes). The recovery, run
// under the set's lock before every change and on load, finishes a pending change whose ".ros" is in
// place and undoes one whose ".ros" is not, and removes what older writers left (".tmp", ".old~",
// ".part"). Readers that find a pending change for the ".ros" they read wait for it to finish.
// Depends on QtCore and the recording module's safe writer and set lock.
#pragma once

#include "recording/SafeFile.h"
#include "recording/SetLock.h"

#include <QString>

namespace varnilog {

enum class ChannelChangeKind { Replace, Remove };

// The hidden pending name of channel file target's change decided by the ".ros" of that inode.
QString pendingChannelPath(const QString& target, std::uint64_t headerInode, ChannelChangeKind kind);

// Makes a removal pending: a link to target at its pending name. False with error set.
bool prepareChannelRemoval(const QString& target, const QString& pending, QString& error);

// Puts header (open, written, not yet committed) in place of the set's ".ros" under lock, then
// finishes the pending change of target. False with error set when the header could not be put in
// place (nothing changed: the pending file is removed); a failure after it is left to the recovery.
bool commitChannelChange(SetLock& lock, SafeFile& header, const QString& pending, const QString& target,
                         ChannelChangeKind kind, QString& error);

// Finishes or undoes the half-done changes of the set of rosPath and removes leftovers. The caller
// holds the set's lock.
void recoverRecordingSet(const QString& rosPath);

// True when a change of the set is decided (its ".ros" in place) but not finished: a reader waits.
bool recordingSetChanging(const QString& rosPath);

// Locks the set and recovers it when no other program changes it; does nothing otherwise.
void recoverRecordingSetIfIdle(const QString& rosPath);

} // namespace varnilog
