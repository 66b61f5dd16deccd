#include "recording/RecordingManagement.h"

#include "recording/RecordingDescription.h"
#include "recording/RecordingFileSet.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace varnilog {

namespace {
const QStringList kSampleExtensions{QStringLiteral(".rca"), QStringLiteral(".rcb"), QStringLiteral(".rcc"),
                                    QStringLiteral(".rcd")};

QString canonicalOrAbsolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
} // namespace

const QStringList& renamedExtensions() {
    static const QStringList list{QStringLiteral(".ros"), QStringLiteral(".rca"), QStringLiteral(".rcb"),
                                  QStringLiteral(".rcc"), QStringLiteral(".rcd"), QStringLiteral(".roc")};
    return list;
}

const QStringList& deletedExtensions() {
    static const QStringList list{QStringLiteral(".ros"), QStringLiteral(".rca"), QStringLiteral(".rcb"),
                                  QStringLiteral(".rcc"), QStringLiteral(".rcd")};
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

RenameResult renameRecordingSet(const QString& rosPath, const QString& newBase, const FileMover& move) {
    const FileMover mover = move ? move : [](const QString& from, const QString& to, QString& reason) {
        QFile file(from);
        const bool ok = file.rename(to);
        reason = file.errorString();
        return ok;
    };
    RenameResult result;
    if (newBase.isEmpty()) {
        result.error = QString::fromUtf8("Nieprawidłowa nazwa.");
        return result;
    }
    struct Move {
        QString from, to;
    };
    std::vector<Move> moves;
    for (const QString& ext : renamedExtensions()) {
        const QString from = siblingPath(rosPath, ext);
        if (QFileInfo::exists(from))
            moves.push_back({from, newBase + ext});
    }
    if (moves.empty()) {
        result.error = QString::fromUtf8("Zapis %1 nie istnieje.").arg(QFileInfo(rosPath).fileName());
        return result;
    }
    if (canonicalOrAbsolute(moves.front().from) == canonicalOrAbsolute(moves.front().to))
        return result; // the same name: nothing to do
    // Any file of the target's set, also one the source lacks, would end up in a mixed set.
    for (const QString& ext : renamedExtensions()) {
        const QString to = newBase + ext;
        if (QFileInfo::exists(to)) {
            result.error = QString::fromUtf8("Nie zmieniono nazwy: plik %1 już istnieje.").arg(to);
            return result;
        }
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        QString reason;
        if (!mover(moves[i].from, moves[i].to, reason)) {
            for (std::size_t j = i; j-- > 0;) {
                QString ignored;
                mover(moves[j].to, moves[j].from, ignored); // put back what already moved
            }
            result.error = QString::fromUtf8("Nie zmieniono nazwy: nie można przenieść %1 do %2 (%3).")
                               .arg(moves[i].from, moves[i].to, reason);
            return result;
        }
    }
    result.renamed = true;
    result.newRosPath = newBase + QStringLiteral(".ros");
    return result;
}

bool deleteRecordingSet(const QString& rosPath) {
    bool allGone = true;
    for (const QString& ext : deletedExtensions()) {
        const QString path = siblingPath(rosPath, ext);
        if (QFileInfo::exists(path) && !QFile::remove(path))
            allGone = false;
    }
    return allGone;
}

bool isRecordingOnDisplay(const SharedState& state, const QString& rosPath) {
    if (rosPath.isEmpty() || state.recordingPath.isEmpty())
        return false;
    return canonicalOrAbsolute(siblingPath(state.recordingPath, QStringLiteral(".ros"))) ==
           canonicalOrAbsolute(rosPath);
}

void closeSampleFiles(SharedState& state) {
    for (QFile& file : state.sampleFile)
        file.close();
}

void releaseRecordingOnDisplay(SharedState& state) {
    closeSampleFiles(state);
    state.sampleCount = -1;
    state.recordingPath.clear();
}

void reopenRecordingOnDisplay(SharedState& state, const QString& newRosPath) {
    for (int c = 0; c < kChannels; ++c) {
        QFile& file = state.sampleFile[c];
        file.close();
        file.setFileName(siblingPath(newRosPath, kSampleExtensions[c]));
        if (file.exists())
            file.open(QIODevice::ReadOnly);
    }
    state.recordingPath = newRosPath;
}

} // namespace varnilog
