// Which sample files a derived file was made from: the identity (size, modification and change
// times, inode, device) of each of a set's sample files A..D, as a fixed block a file ends with, so a
// reader trusts the file only for the very samples it describes and a rename of the set (which
// changes the sample files' change times and nothing else) can stamp it anew without knowing the
// rest of its format. Layout: the 8-byte magic "VLSTAMP1", then per channel size, modification and
// change times in ns, inode and device, little-endian int64; size -1 for a channel not used.
// Depends on QtCore.
#pragma once

#include "recording/FileIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

using SampleIdentities = std::array<FileIdentity, 4>; // size -1: a channel not used

inline constexpr qsizetype kSampleStampSize = 8 + 4 * 5 * 8;

// The block for identities.
QByteArray sampleStamp(const SampleIdentities& identities);
// The identities of a block of kSampleStampSize bytes; none when it is no stamp.
std::optional<SampleIdentities> sampleStampIdentities(QByteArrayView block);

// The identities now of the sample files beside pathInSet, of the channels used in `used` (the others
// size -1).
SampleIdentities currentSampleIdentities(const QString& pathInSet, const std::array<bool, 4>& used);
// True when every channel of the stamp that was used still has exactly that identity.
bool stampMatches(const SampleIdentities& stamp, const QString& pathInSet);

// After the program itself renamed the set: the file at path, ending in a stamp of the sample files
// as they were (before), is stamped with their identities now, if they are the same files with the
// same sizes. Rewritten whole through the safe writer; false leaves it (to be found stale).
bool restampFile(const QString& path, const QString& pathInSet, const SampleIdentities& before);

} // namespace varnilog
