#include "analysis/DerivedChannelFiles.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"

#include <QFile>

#include <fcntl.h>

namespace varnilog {

OperationResult operationFailed(OperationFailure failure, QString detail) {
    OperationResult r;
    r.failure = failure;
    r.detail = std::move(detail);
    return r;
}

OperationResult lockSetForChange(const QString& rosPath, SetLock& lock) {
    QString error;
    switch (lock.lock(rosPath, kSetLockWaitMs, error)) {
    case SetLock::Result::Locked:
        recoverRecordingSet(rosPath);
        return {};
    case SetLock::Result::Busy:
        return operationFailed(OperationFailure::SetBusy);
    case SetLock::Result::Failed:
        break;
    }
    return operationFailed(OperationFailure::WriteFailed, QStringLiteral("%1: %2").arg(rosPath, error));
}

bool notRegular(const QString& path) {
    return anythingNamed(path) && !regularFileNamed(path);
}

bool openHeader(SafeFile& header, const QByteArray& text, QString& error) {
    if (!text.isEmpty() && (header.isOpen() || header.open(QIODevice::WriteOnly)) &&
        header.write(text) == text.size())
        return true;
    if (error.isEmpty())
        error = QStringLiteral("%1: %2").arg(header.targetPath(), header.errorString());
    return false;
}

void dropCachedSamples(const QString& target) {
#ifdef POSIX_FADV_DONTNEED
    if (QFile old; regularFileNamed(target) && openSetFileForReading(old, target))
        ::posix_fadvise(old.handle(), 0, 0, POSIX_FADV_DONTNEED);
#else
    (void)target;
#endif
}

} // namespace varnilog
