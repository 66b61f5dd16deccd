#include "recording/SetChange.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

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
                                 ".rsa", ".rsb", ".rsc", ".rsd", ".rmk", ".rdk"};
    return all;
}

bool renameFile(const QString& from, const QString& to) {
    return ::rename(nativeFileName(from).constData(), nativeFileName(to).constData()) == 0;
}

bool removeFile(const QString& path) {
    return ::unlink(nativeFileName(path).constData()) == 0;
}

void syncFolderOf(const QString& path) {
#ifdef Q_OS_UNIX
    const int dir =
        ::open(nativeFileName(folderOfName(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    const QString base = QFileInfo(rosPath).completeBaseName();
    // Listed and named by the names' own bytes: Qt's would spell a byte that is no UTF-8 as U+FFFD.
    const QString folder = folderOfName(rosPath);
    const auto inDir = [&folder](const QString& name) { return folder + u'/' + name; };
    const QString stem = base + u'.';
    for (const QString& name : fileNamesIn(folder)) {
        if (!name.startsWith(stem) && !name.startsWith(u'.' + stem) &&
            !name.startsWith(QStringLiteral("..") + stem))
            continue;
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
                    pending.append({inDir(name), inDir(plain),
                                    isNew ? ChannelChangeKind::Replace : ChannelChangeKind::Remove, inode});
                else if (rest.endsWith(QStringLiteral(".part")))
                    leftovers.append(inDir(name));
            } else if (name.startsWith(QStringLiteral(".") + hidden) &&
                       name.endsWith(QStringLiteral(".part"))) {
                leftovers.append(inDir(name)); // the safe writer's named temporary of a pending file
            } else if (name == plain + QStringLiteral(".tmp") || name == plain + QStringLiteral(".old~")) {
                leftovers.append(inDir(name));
            }
        }
    }
}

constexpr char kJournalPrefix[] = ".varnilog-set.";
constexpr char kJournalFormat[] = "varnilog-set;1";

QString journalPath(const QString& folder, std::uint64_t inode) {
    return folder + u'/' + QLatin1String(kJournalPrefix) + QString::number(inode, 16);
}

QString folderOf(const QString& base) {
    return folderOfName(absoluteFileName(base));
}

// Where the journal of m is: beside the source, and beside the target of a rename into another
// folder, so that the recovery of either finds it (the source's is written first and removed first).
QStringList journalPaths(const SetMove& m) {
    QStringList paths{journalPath(folderOf(m.fromBase), m.headerInode)};
    if (!m.toBase.isEmpty() && folderOf(m.toBase) != folderOf(m.fromBase))
        paths << journalPath(folderOf(m.toBase), m.headerInode);
    return paths;
}

// The journal at path and the safe writer's named temporaries of it that a kill left.
void removeJournal(const QString& path) {
    bool removed = removeFile(path);
    const QString folder = folderOfName(path);
    const QString temporaries = u'.' + QFileInfo(path).fileName() + u'.';
    for (const QString& name : fileNamesIn(folder))
        if (name.startsWith(temporaries) && name.endsWith(QStringLiteral(".part")))
            removed = removeFile(folder + u'/' + name) || removed;
    if (removed)
        syncFolderOf(path);
}

void removeJournals(const SetMove& m) {
    for (const QString& path : journalPaths(m))
        removeJournal(path);
}

QByteArray encodePath(const QString& path) {
    return nativeFileName(path).toPercentEncoding();
}

QString decodePath(const QByteArray& text) {
    return fileNameFromNative(QByteArray::fromPercentEncoding(text));
}

QByteArray encodeJournal(const SetMove& m) {
    return QByteArray(kJournalFormat) + '\n' + QByteArray::number(m.headerInode) + '\n' +
           QByteArray::number(m.headerChangedNs) + '\n' + encodePath(m.fromBase) + '\n' +
           encodePath(m.toBase) + '\n' + m.extensions.join(u' ').toLatin1() + '\n' +
           (m.replacesLeftover ? "1" : "0") + '\n';
}

std::optional<SetMove> readJournal(const QString& path) {
    QFile file;
    if (!regularFileNamed(path) || !openSetFileForReading(file, path, {}) || file.size() > 65536)
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() != 8 || lines[0] != kJournalFormat)
        return std::nullopt;
    SetMove m;
    bool inodeOk = false, changedOk = false;
    m.headerInode = lines[1].toULongLong(&inodeOk);
    m.headerChangedNs = lines[2].toLongLong(&changedOk);
    m.fromBase = decodePath(lines[3]);
    m.toBase = decodePath(lines[4]);
    m.extensions = QString::fromLatin1(lines[5]).split(u' ', Qt::SkipEmptyParts);
    m.replacesLeftover = lines[6] == "1";
    for (const QString& ext : m.extensions)
        if (!setExtensions().contains(ext))
            return std::nullopt; // only a set's own files ever move
    if (!inodeOk || !changedOk || m.fromBase.isEmpty() || m.extensions.value(0) != u".ros")
        return std::nullopt;
    return m;
}

bool moveWithoutReplacing(const QString& from, const QString& to) {
    return identityOf(from).exists() && !identityOf(to).exists() && renameFile(from, to);
}

// The ".ros" at base + ".ros" is the journal's (by inode; a delete's also by change time).
bool headerIs(const SetMove& m, const QString& base, bool checkChangeTime) {
    const FileIdentity header = identityOf(base + QStringLiteral(".ros"));
    return header.exists() && header.inode == m.headerInode &&
           (!checkChangeTime || header.changedNs == m.headerChangedNs);
}

// Settles the journal of m for the set whose ".ros" is rosPath (held locked by the caller).
void settleJournal(const SetMove& m, const QString& rosPath) {
    const QString base = siblingPath(rosPath, QStringLiteral(".ros")).chopped(4);
    if (m.toBase.isEmpty() && base == m.fromBase && headerIs(m, m.fromBase, true)) {
        // A delete begun: the ".ros" goes last.
        for (const QString& ext : m.extensions)
            if (ext != u".ros")
                removeFile(m.fromBase + ext);
        syncFolderOf(rosPath);
        removeFile(rosPath);
    } else if (!m.toBase.isEmpty() && base == m.toBase && headerIs(m, m.toBase, false)) {
        // A rename decided: the rest follows the ".ros".
        const bool ownDescription = m.extensions.contains(QStringLiteral(".roc"));
        for (const QString& ext : m.extensions) {
            if (ext == u".roc" && m.replacesLeftover && identityOf(m.fromBase + ext).exists())
                removeFile(m.toBase + ext); // the leftover it replaces
            moveWithoutReplacing(m.fromBase + ext, m.toBase + ext);
        }
        if (m.replacesLeftover && !ownDescription)
            removeFile(m.toBase + QStringLiteral(".roc"));
        syncFolderOf(m.fromBase);
    }
    // Otherwise nothing was decided (the ".ros" not moved yet) or the journal is stale.
    removeJournals(m);
}

// A journal that no ".ros" answers to any more (the move finished, or was never decided and its set
// is gone).
bool journalStale(const SetMove& m) {
    return !headerIs(m, m.fromBase, m.toBase.isEmpty()) &&
           (m.toBase.isEmpty() || !headerIs(m, m.toBase, false));
}

} // namespace

bool beginSetMove(const SetMove& move, QString& error) {
    for (const QString& path : journalPaths(move))
        if (!writeFileSafely(path, encodeJournal(move), error)) {
            removeJournals(move);
            return false;
        }
    return true;
}

void endSetMove(const SetMove& move) {
    removeJournals(move);
}

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
    if (::link(nativeFileName(target).constData(), nativeFileName(pending).constData()) != 0) {
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
    if (const FileIdentity header = identityOf(rosPath); header.exists()) {
        const QString journal = journalPath(folderOf(rosPath), header.inode);
        if (const std::optional<SetMove> move = readJournal(journal))
            settleJournal(*move, absoluteFileName(rosPath));
        else
            removeJournal(journal); // none, or not one this program wrote whole
        if (!identityOf(rosPath).exists())
            return; // a delete finished: nothing of the set is left to settle
    }
    QList<Pending> pending;
    QStringList leftovers;
    scan(rosPath, pending, leftovers);
    const FileIdentity header = identityOf(rosPath);
    for (const Pending& p : pending)
        settle(p.path, p.target, p.kind, header.exists() && p.inode == header.inode);
    for (const QString& path : leftovers) {
        // An older writer killed between its renames left the channel only at ".old~".
        const QString kept = path.endsWith(QStringLiteral(".old~")) ? path.chopped(5) : QString();
        if (!kept.isEmpty() && !identityOf(kept).exists() && regularFileNamed(path))
            renameFile(path, kept);
        else
            removeFile(path);
    }
}

bool recordingSetChanging(const QString& rosPath) {
    const FileIdentity header = identityOf(rosPath);
    if (!header.exists())
        return false;
    // A rename or delete of the set under way: some of its files are still to move or go.
    if (identityOf(journalPath(folderOf(rosPath), header.inode)).exists())
        return true;
    for (const char* ext : {".rcc", ".rcd"})
        for (const ChannelChangeKind kind : {ChannelChangeKind::Replace, ChannelChangeKind::Remove})
            if (identityOf(pendingChannelPath(siblingPath(rosPath, QLatin1String(ext)), header.inode, kind))
                    .exists())
                return true;
    return false;
}

void recoverRecordingSetIfIdle(const QString& rosPath) {
    SetLock lock;
    QString error;
    if (lock.lock(rosPath, 0, error) == SetLock::Result::Locked) {
        recoverRecordingSet(rosPath);
        return;
    }
    if (identityOf(rosPath).exists())
        return;
    const QString folder = folderOfName(rosPath);
    for (const QString& name : fileNamesIn(folder))
        if (name.startsWith(QLatin1String(kJournalPrefix)))
            if (const std::optional<SetMove> move = readJournal(folder + u'/' + name);
                move && journalStale(*move))
                removeFile(folder + u'/' + name);
}

} // namespace varnilog
