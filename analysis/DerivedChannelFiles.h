// The file steps every change of a derived channel shares (channel math, formula channels): the set's
// lock with what an interrupted change left settled, the checks of the target's name, the header
// written with the change. Depends on QtCore and the recording module.
#pragma once

#include "analysis/ChannelMath.h"

#include <QByteArray>
#include <QString>

namespace varnilog {

class SafeFile;
class SetLock;

OperationResult operationFailed(OperationFailure failure, QString detail = {});

// Takes the set's lock and settles what an interrupted change left; a result that is not ok when the
// set cannot be changed now.
OperationResult lockSetForChange(const QString& rosPath, SetLock& lock);

// A channel's name held by a link, a folder or a device is not ours to replace or remove.
bool notRegular(const QString& path);

// The header to be put in place with the channel's change, opened unless it is, and written.
bool openHeader(SafeFile& header, const QByteArray& text, QString& error);

// The target's samples leave the page cache before the new ones are written, so that the memory just
// freed takes them: memory free for long may first have to come back from a virtual machine's host,
// which costs several times the copy. The file itself stays as it is until the change commits.
void dropCachedSamples(const QString& target);

} // namespace varnilog
