#include "recording/RecordingManagement.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingDescription.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SampleStamp.h"
#include "recording/SampleSummary.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace varnilog {

namespace {
// The set's files: the header, the sample files, then (rename only) the description, then the view
// summaries of the sample files.
QStringList setExtensions(bool withDescription) {
    QStringList list{QStringLiteral(".ros")};
    for (const char* ext : kRecordingSampleExtensions)
        list << QString::fromLatin1(ext);
    if (withDescription)
        list << QStringLiteral(".roc");
    for (const char* ext : kRecordingSampleExtensions)
        list << summaryPathFor(QString::fromLatin1(ext));
    // The markers go with the set too: a leftover must never attach itself to another recording.
    list << QStringLiteral(".rmk");
    // So do a decode's results: stamped with the samples, they would only be found stale elsewhere.
    list << QString::fromLatin1(kDecodeResultsExtension);
    return list;
}

QString canonicalOrAbsolute(const QString& path) {
    const QString canonical = canonicalFileName(path);
    return canonical.isEmpty() ? absoluteFileName(path) : canonical;
}
} // namespace

const QStringList& renamedExtensions() {
    static const QStringList list = setExtensions(true);
    return list;
}

const QStringList& deletedExtensions() {
    static const QStringList list = setExtensions(false);
    return list;
}

QString renameBaseFor(const QString& typedName, const QString& baseDir) {
    QString name = typedName.trimmed();
    if (name.endsWith(QStringLiteral(".ros"), Qt::CaseInsensitive))
        name.chop(4);
    const QString fileName = QFileInfo(name).fileName();
    if (name.isEmpty() || fileName.isEmpty() || name.endsWith(u'/'))
        return {};
    return resolveAgainst(baseDir, name);
}

QString leftoverDescriptionAt(const QString& newBase) {
    if (newBase.isEmpty())
        return {};
    for (const QString& ext : deletedExtensions())
        if (identityOf(newBase + ext).exists())
            return {}; // a recording lives there: its description is its own
    const QString roc = newBase + QStringLiteral(".roc");
    return identityOf(roc).exists() ? roc : QString();
}

namespace {

struct Move {
    QString from, to;
};

// A leftover description being replaced: its text is kept until the rename is certain.
class ReplacedDescription {
public:
    explicit ReplacedDescription(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }
    bool remove(QString& reason) {
        if (removed_)
            return true;
        QFile file;
        if (!openSetFileForReading(file, path_, {})) {
            reason = file.errorString();
            return false; // a text that could not be kept is not removed
        }
        text_ = file.readAll();
        file.close();
        removed_ = removeFileByName(path_, &reason);
        return removed_;
    }
    void putBack() {
        if (!removed_)
            return;
        SafeFile file(path_);
        if (file.open(QIODevice::WriteOnly) && file.write(text_) == text_.size())
            file.commitNew();
        removed_ = false;
    }

private:
    QString path_;
    QByteArray text_;
    bool removed_ = false;
};

// Moves every file, and on the first failure moves back what already moved.
CoreError moveAll(const std::vector<Move>& moves, const FileMover& mover, ReplacedDescription* replaced) {
    for (std::size_t i = 0; i < moves.size(); ++i) {
        QString reason;
        const bool cleared =
            replaced == nullptr || moves[i].to != replaced->path() || replaced->remove(reason);
        if (!cleared || !mover(moves[i].from, moves[i].to, reason)) {
            for (std::size_t j = i; j-- > 0;) {
                QString ignored;
                mover(moves[j].to, moves[j].from, ignored); // put back what already moved
            }
            if (replaced != nullptr)
                replaced->putBack();
            return {CoreErrorKind::MoveFailed, moves[i].from, moves[i].to, reason, 0, 0, {}};
        }
    }
    return {};
}

} // namespace

RenameResult renameRecordingSet(const QString& rosPath, const QString& newBase, const FileMover& move,
                                bool replaceLeftoverDescription) {
    const FileMover mover = move ? move : [](const QString& from, const QString& to, QString& reason) {
        return renameNewByName(from, to, &reason);
    };
    RenameResult result;
    if (newBase.isEmpty()) {
        result.error = CoreError::of(CoreErrorKind::InvalidName);
        return result;
    }
    std::vector<Move> moves;
    for (const QString& ext : renamedExtensions()) {
        const QString from = siblingPath(rosPath, ext);
        if (identityOf(from).exists())
            moves.push_back({from, newBase + ext});
    }
    if (moves.empty()) {
        result.error = {CoreErrorKind::RecordingMissing, QFileInfo(rosPath).fileName(), {}, {}, 0, 0, {}};
        return result;
    }
    if (canonicalOrAbsolute(moves.front().from) == canonicalOrAbsolute(moves.front().to))
        return result; // the same name: nothing to do
    const QString leftover = replaceLeftoverDescription ? leftoverDescriptionAt(newBase) : QString();
    // Any other file of the target's set, also one the source lacks, would end up in a mixed set.
    for (const QString& ext : renamedExtensions()) {
        const QString to = newBase + ext;
        if (to != leftover && anythingNamed(to)) {
            result.error = {CoreErrorKind::FileExists, to, {}, {}, 0, 0, {}};
            return result;
        }
    }
    // One writer at a time; the lock stays with the header's inode through its rename.
    SetLock lock;
    QString lockError;
    const bool hasHeader = identityOf(rosPath).exists();
    if (hasHeader && lock.lock(rosPath, kSetLockWaitMs, lockError) != SetLock::Result::Locked) {
        result.error =
            lockError.isEmpty() ? CoreError::of(CoreErrorKind::SetBusy) : CoreError::worded(lockError);
        return result;
    }
    if (hasHeader)
        recoverRecordingSet(rosPath); // what a killed change left is settled before this one
    std::array<FileIdentity, 4> samplesBefore;
    for (std::size_t c = 0; c < samplesBefore.size(); ++c)
        samplesBefore[c] = identityOf(siblingPath(rosPath, QLatin1String(kRecordingSampleExtensions[c])));
    std::optional<ReplacedDescription> replaced;
    if (!leftover.isEmpty())
        replaced.emplace(leftover);
    // Journalled when the header moves first (the step that decides, see SetMove); a set without a
    // header is no recording and has nothing to decide.
    SetMove journal;
    const bool journalled = hasHeader && moves.front().to.endsWith(QStringLiteral(".ros"));
    if (journalled) {
        journal.fromBase = absoluteFileName(rosPath).chopped(4);
        journal.toBase = absoluteFileName(newBase);
        for (const Move& m : moves)
            journal.extensions << m.to.mid(newBase.size());
        journal.replacesLeftover = replaced.has_value();
        journal.headerInode = identityOf(rosPath).inode;
        if (QString reason; !beginSetMove(journal, reason)) {
            result.error = CoreError::worded(reason);
            return result;
        }
    }
    result.error = moveAll(moves, mover, replaced ? &*replaced : nullptr);
    if (result.error.failed()) {
        if (journalled)
            endSetMove(journal);
        return result;
    }
    // A rename changes the sample files' change time: their summaries are told it was ours.
    for (std::size_t c = 0; c < samplesBefore.size(); ++c)
        if (samplesBefore[c].exists())
            restampSummary(newBase + QLatin1String(kRecordingSampleExtensions[c]), samplesBefore[c]);
    restampFile(newBase + QLatin1String(kDecodeResultsExtension), newBase + QStringLiteral(".ros"),
                samplesBefore);
    if (replaced) {
        QString ignored;
        replaced->remove(ignored); // also when the set brought no description of its own
    }
    if (journalled)
        endSetMove(journal);
    result.renamed = true;
    result.newRosPath = newBase + QStringLiteral(".ros");
    return result;
}

bool deleteRecordingSet(const QString& rosPath) {
    SetLock lock;
    QString error;
    const SetLock::Result locked =
        identityOf(rosPath).exists() ? lock.lock(rosPath, kSetLockWaitMs, error) : SetLock::Result::Failed;
    if (locked == SetLock::Result::Busy)
        return false;
    if (locked == SetLock::Result::Locked)
        recoverRecordingSet(rosPath);
    // The header goes last and the journal finishes what a kill interrupts (see SetMove), so the
    // browser never shows a header without its samples.
    SetMove journal;
    journal.fromBase = absoluteFileName(siblingPath(rosPath, QStringLiteral(".ros"))).chopped(4);
    const FileIdentity header = identityOf(journal.fromBase + QStringLiteral(".ros"));
    QStringList present;
    for (const QString& ext : deletedExtensions())
        if (anythingNamed(journal.fromBase + ext))
            present << ext;
    const bool journalled = locked == SetLock::Result::Locked && header.exists();
    if (journalled) {
        journal.extensions = present;
        journal.headerInode = header.inode;
        journal.headerChangedNs = header.changedNs;
        if (!beginSetMove(journal, error))
            return false;
    }
    bool allGone = true;
    for (qsizetype i = present.size(); i-- > 0;)
        if (!removeFileByName(journal.fromBase + present[i]))
            allGone = false;
    if (journalled)
        endSetMove(journal);
    return allGone;
}

QStringList recordingNamesIn(const QString& folder) {
    QStringList names;
    for (const QString& name : fileNamesIn(folder))
        if (name.endsWith(QStringLiteral(".ros"), Qt::CaseInsensitive) &&
            identityOf(folder + u'/' + name).regular)
            names << name;
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

bool sameRecording(const QString& rosPathA, const QString& rosPathB) {
    if (rosPathA.isEmpty() || rosPathB.isEmpty())
        return false;
    return canonicalOrAbsolute(siblingPath(rosPathA, QStringLiteral(".ros"))) ==
           canonicalOrAbsolute(siblingPath(rosPathB, QStringLiteral(".ros")));
}

namespace {

bool isSetExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 && renamedExtensions().contains(fileName.mid(dot));
}

// The ".ros" of the set a name of a set's file belongs to, when any file of that set exists.
QString setOfName(const QString& path) {
    if (path.isEmpty() || !isSetExtension(QFileInfo(path).fileName()))
        return {};
    for (const QString& ext : renamedExtensions())
        if (anythingNamed(siblingPath(path, ext)))
            return siblingPath(path, QStringLiteral(".ros"));
    return {};
}

} // namespace

QString recordingSetAtOutput(const QString& outputPath, const QStringList& rosPaths) {
    const QString absolute = absoluteFileName(outputPath), canonical = canonicalFileName(outputPath);
    // The name as given, through a linked folder, and the file a link at the name leads to.
    const QString folder = canonicalFileName(folderOfName(absolute));
    for (const QString& name :
         {absolute, folder.isEmpty() ? QString() : folder + u'/' + QFileInfo(absolute).fileName(), canonical})
        if (const QString ros = setOfName(name); !ros.isEmpty())
            return ros;
    const FileIdentity target = identityOf(outputPath);
    if (!target.exists())
        return {};
    for (const QString& ros : rosPaths)
        for (const QString& ext : ros.isEmpty() ? QStringList() : renamedExtensions())
            if (identityOf(siblingPath(ros, ext)).sameFile(target))
                return siblingPath(ros, QStringLiteral(".ros"));
    // A second name of a set's file: only files with more than one name are looked for.
    struct stat s {};
    if (::stat(nativeFileName(outputPath).constData(), &s) != 0 || s.st_nlink < 2)
        return {};
    const QString dir = folderOfName(canonical);
    for (const QString& name : fileNamesIn(dir))
        if (isSetExtension(name) && identityOf(dir + u'/' + name).sameFile(target))
            return siblingPath(dir + u'/' + name, QStringLiteral(".ros"));
    return {};
}

CoreError outputOntoRecordingError(const QString& outputPath, const QStringList& rosPaths) {
    const QString ros = recordingSetAtOutput(outputPath, rosPaths);
    if (ros.isEmpty())
        return {};
    return {CoreErrorKind::OutputIsRecording, outputPath, ros, {}, 0, 0, {}};
}

bool isRecordingOnDisplay(const SharedState& state, const QString& rosPath) {
    return sameRecording(state.recordingPath, rosPath);
}

void closeSampleFiles(SharedState& state) {
    for (QFile& file : state.sampleFile)
        file.close();
    for (QFile& file : state.summaryFile)
        file.close();
}

void releaseRecordingOnDisplay(SharedState& state) {
    closeSampleFiles(state);
    state.sampleCount = -1;
    state.recordingPath.clear();
}

void reopenRecordingOnDisplay(SharedState& state, const QString& newRosPath) {
    for (int c = 0; c < kChannels; ++c) {
        openSetFileForReading(state.sampleFile[c], sampleFilePath(newRosPath, c));
        openSummaryFile(state, c);
    }
    state.recordingPath = newRosPath;
}

} // namespace varnilog
