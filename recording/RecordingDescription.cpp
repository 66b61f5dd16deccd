#include "recording/RecordingDescription.h"

#include "recording/DiskFileWriter.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

namespace varnilog {

namespace {
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Descriptions written on Windows are in its Polish code page; fall back to Latin-1 when the
    // platform has no converter for it.
    QStringDecoder cp1250("windows-1250");
    if (cp1250.isValid())
        return cp1250.decode(bytes);
    return QString::fromLatin1(bytes);
}
} // namespace

QString loadRecordingDescription(const QString& path, bool* exists) {
    // Only a regular file of a sensible size: a pipe would block the browser on every selection, and a
    // huge file under this name would be read whole each time.
    QFile file;
    const bool found =
        !path.isEmpty() && openSetFileForReading(file, path, {}) && file.size() <= kDescriptionSizeLimit;
    if (exists != nullptr)
        *exists = found;
    if (!found)
        return {};
    QStringList lines = decodeText(file.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end of the last line starts no new line
    return lines.join(u'\n');
}

bool saveRecordingDescription(const QString& path, const QString& text, QString* error) {
    QString body;
    if (!text.isEmpty()) {
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        body = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    }
    // One writer per set: the description changes under the set's lock when it has a header.
    SetLock lock;
    QString reason;
    const QString ros = siblingPath(path, QStringLiteral(".ros"));
    const SetLock::Result locked =
        identityOf(ros).exists() ? lock.lock(ros, kSetLockWaitMs, reason) : SetLock::Result::Failed;
    if (locked == SetLock::Result::Busy) {
        if (error != nullptr)
            *error = setBusyText();
        return false;
    }
    if (locked == SetLock::Result::Locked)
        recoverRecordingSet(ros);
    // Written aside and moved into place, so a failed save never leaves half a description.
    if (!DiskFileWriter().replace(path, body.toUtf8(), reason)) {
        if (error != nullptr)
            *error = reason;
        return false;
    }
    return true;
}

QString resolveAgainst(const QString& baseDir, const QString& name) {
    if (QDir::isAbsolutePath(name) || baseDir.isEmpty())
        return absoluteFileName(name);
    return absoluteFileName(baseDir + u'/' + name);
}

} // namespace varnilog
