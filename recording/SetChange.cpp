#include "recording/SetChange.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace varnilog {

namespace {

const char* suffixOf(ChannelChangeKind kind) {
    return kind == ChannelChangeKind::Replace ? ".new" : ".del";
}

// The names a set's files and their temporaries may have: ".<base><ext>.<anything>".
const QStringList& setExtensions() {
    static const QStringList all{".ros", ".roc", ".rca", ".rcb", ".rcc", ".rcd",
                                 ".rsa", ".rsb", ".rsc", ".rsd", ".rmk"};
    return all;
}

bool renameFile(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void removeFile(const QString& path) {
    ::unlink(QFile::encodeName(path).constData());
}

void syncFolderOf(const QString& path) {
#ifdef Q_OS_UNIX
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#else
    (void)path;
#endif
}

// Finishes (header in place) or undoes the pending change at pending of target.
void settle(const QString& pending, const QString& target, ChannelChangeKind kind, bool decided) {
    if (pending.isEmpty())
        return;
    if (decided && kind == ChannelChangeKind::Replace)
        renameFile(pending, target);
    else if (decided)
        removeFile(target);
    removeFile(pending);
    syncFolderOf(target);
}

struct Pending {
    QString path;
    QString target;
    ChannelChangeKind kind;
    std::uint64_t inode;
};

// The pending changes and leftovers beside the set of rosPath.
void scan(const QString& rosPath, QList<Pending>& pending, QStringList& leftovers) {
    const QFileInfo ros(rosPath);
    const QString base = ros.completeBaseName();
    const QDir dir = ros.absoluteDir();
    const QStringList names =
        dir.entryList({QStringLiteral(".") + base + QStringLiteral(".*"),
                       QStringLiteral("..") + base + QStringLiteral(".*"), base + QStringLiteral(".*")},
                      QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        for (const QString& ext : setExtensions()) {
            const QString hidden = QStringLiteral(".") + base + ext + QStringLiteral(".");
            const QString plain = base + ext;
            if (name.startsWith(hidden)) {
                const QString rest = name.mid(hidden.size());
                const bool isNew = rest.endsWith(QStringLiteral(".new"));
                const bool isDel = rest.endsWith(QStringLiteral(".del"));
                bool ok = false;
                const std::uint64_t inode = rest.left(rest.size() - 4).toULongLong(&ok, 16);
                if ((isNew || isDel) && ok)
                    pending.append({dir.filePath(name), dir.filePath(plain),
                                    isNew ? ChannelChangeKind::Replace : ChannelChangeKind::Remove, inode});
                else if (rest.endsWith(QStringLiteral(".part")))
                    leftovers.append(dir.filePath(name));
            } else if (name.startsWith(QStringLiteral(".") + hidden) &&
                       name.endsWith(QStringLiteral(".part"))) {
                leftovers.append(dir.filePath(name)); // the safe writer's named temporary of a pending file
            } else if (name == plain + QStringLiteral(".tmp") || name == plain + QStringLiteral(".old~")) {
                leftovers.append(dir.filePath(name));
            }
        }
    }
}

} // namespace

QString pendingChannelPath(const QString& target, std::uint64_t headerInode, ChannelChangeKind kind) {
    const QFileInfo info(target);
    return info.dir().filePath(QStringLiteral(".%1.%2%3")
                                   .arg(info.fileName())
                                   .arg(headerInode, 0, 16)
                                   .arg(QLatin1String(suffixOf(kind))));
}

bool prepareChannelRemoval(const QString& target, const QString& pending, QString& error) {
#ifdef Q_OS_UNIX
    removeFile(pending);
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(pending).constData()) != 0) {
        error = QStringLiteral("%1: %2").arg(target, qt_error_string(errno));
        return false;
    }
    return true;
#else
    return QFile::copy(target, pending) || (error = target + QStringLiteral(": cannot be removed"), false);
#endif
}

bool commitChannelChange(SetLock& lock, SafeFile& header, const QString& pending, const QString& target,
                         ChannelChangeKind kind, QString& error) {
    lock.lockReplacement(header.handle());
    if (!header.commit()) {
        error = QStringLiteral("%1: %2").arg(header.targetPath(), header.errorString());
        removeFile(pending);
        return false;
    }
    settle(pending, target, kind, true);
    return true;
}

void recoverRecordingSet(const QString& rosPath) {
    QList<Pending> pending;
    QStringList leftovers;
    scan(rosPath, pending, leftovers);
    const FileIdentity header = identityOf(rosPath);
    for (const Pending& p : pending)
        settle(p.path, p.target, p.kind, header.exists() && p.inode == header.inode);
    for (const QString& path : leftovers) {
        // An older writer killed between its renames left the channel only at ".old~".
        const QString kept = path.endsWith(QStringLiteral(".old~")) ? path.chopped(5) : QString();
        const QFileInfo info(path);
        if (!kept.isEmpty() && !QFileInfo::exists(kept) && info.isFile() && !info.isSymLink())
            renameFile(path, kept);
        else
            removeFile(path);
    }
}

bool recordingSetChanging(const QString& rosPath) {
    const FileIdentity header = identityOf(rosPath);
    if (!header.exists())
        return false;
    for (const char* ext : {".rcc", ".rcd"})
        for (const ChannelChangeKind kind : {ChannelChangeKind::Replace, ChannelChangeKind::Remove})
            if (QFileInfo::exists(
                    pendingChannelPath(siblingPath(rosPath, QLatin1String(ext)), header.inode, kind)))
                return true;
    return false;
}

void recoverRecordingSetIfIdle(const QString& rosPath) {
    SetLock lock;
    QString error;
    if (lock.lock(rosPath, 0, error) == SetLock::Result::Locked)
        recoverRecordingSet(rosPath);
}

} // namespace varnilog
