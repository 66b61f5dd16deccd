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
#include <QStringList>

#include <cstdint>

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

// A rename or delete of a whole set, journalled so that a kill at any moment leaves the old set or
// the new one once recovered. The journal (".varnilog-set.<inode>" beside the set, and beside the
// target of a rename into another folder; named by the inode of the ".ros", written whole before
// anything moves) names both bases and the files that move. A rename moves the ".ros" first: that
// step decides, so the recovery of the target finishes the rename and that of the source, whose
// ".ros" is still there, only drops the journal. A delete removes the ".ros" last: while it is there
// the recovery finishes the delete.
struct SetMove {
    QString fromBase;              // path without extension
    QString toBase;                // empty for a delete
    QStringList extensions;        // of the files that move or go, ".ros" first
    bool replacesLeftover = false; // a rename replaces a description left at toBase
    std::uint64_t headerInode = 0;
    std::int64_t headerChangedNs = 0; // a delete's guard against a new ".ros" of the same inode
};

// Writes the journal of move (under the set's lock). False with error set; nothing changed.
bool beginSetMove(const SetMove& move, QString& error);
// Removes the journal of a finished or undone move.
void endSetMove(const SetMove& move);

// Finishes or undoes the half-done changes of the set of rosPath and removes leftovers. The caller
// holds the set's lock.
void recoverRecordingSet(const QString& rosPath);

// True when a change of the set is decided (its ".ros" in place) but not finished: a reader waits.
bool recordingSetChanging(const QString& rosPath);

// Locks the set and recovers it when no other program changes it; without a ".ros" only drops the
// journals in its folder that no set's ".ros" answers to any more.
void recoverRecordingSetIfIdle(const QString& rosPath);

} // namespace varnilog
