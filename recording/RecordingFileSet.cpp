#include "recording/RecordingFileSet.h"

#include "recording/FileIdentity.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"

#include <QDir>
#include <QFileInfo>

namespace varnilog {

QString recordingBaseName(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
}

QString joinDataPath(const QString& dir, const QString& name) {
    const QChar sep = QDir::separator();
    if (dir.endsWith(sep) || dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + sep + name;
}

QString sampleFilePath(const QString& pathInSet, int channel) {
    return siblingPath(
        pathInSet, QString::fromLatin1(kRecordingSampleExtensions[static_cast<std::size_t>(channel & 3)]));
}

QString siblingPath(const QString& path, const QString& extension) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return path + extension;
    return path.left(dot) + extension;
}

RecordingFileSet::RecordingFileSet(QString dataDir, QString baseName, FileWriter* writer)
    : dataDir_(std::move(dataDir)), baseName_(std::move(baseName)), writer_(writer ? writer : &disk_) {}

RecordingFileSet::~RecordingFileSet() {
    closeSampleFiles();
}

QString RecordingFileSet::path(const char* extension) const {
    return joinDataPath(dataDir_, baseName_ + QLatin1String(extension));
}

bool RecordingFileSet::nameTaken(const QString& dir, const QString& baseName) {
    for (const char* ext : kRecordingSetExtensions)
        if (identityOf(joinDataPath(dir, baseName + QLatin1String(ext))).exists())
            return true;
    return identityOf(joinDataPath(dir, baseName + QStringLiteral(".roc"))).exists();
}

bool RecordingFileSet::writeSettings(const SharedState& s) {
    return writeRecordingHeader(rosPath(), headerOfState(s, baseName_), *writer_, writeError_);
}

bool RecordingFileSet::createSampleFiles() {
    closeSampleFiles();
    appended_ = 0;
    appendFailed_ = false;
    QString error;
    fileA_ = writer_->create(path(".rca"), error);
    if (!fileA_)
        writeError_ = path(".rca") + QStringLiteral(": ") + error;
    fileB_ = writer_->create(path(".rcb"), error);
    if (!fileB_)
        writeError_ = path(".rcb") + QStringLiteral(": ") + error;
    if (!sampleFilesOpen())
        return false;
    // A summary left by files of this name describes other samples.
    for (const char* ext : kRecordingSampleExtensions)
        removeFileByName(summaryPathFor(path(ext)));
    // So do markers left there (by a set deleted while its markers could not be).
    removeFileByName(markerFilePath(rosPath()));
    summaries_[0].start(path(".rca"), *writer_);
    summaries_[1].start(path(".rcb"), *writer_);
    return true;
}

bool RecordingFileSet::writeOne(FileWriter::File& file, const char* extension,
                                std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return true;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) == size)
        return true;
    writeError_ = path(extension) + QStringLiteral(": ") + file.errorString();
    return false;
}

bool RecordingFileSet::writeBoth(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return writeOne(*fileB_, ".rcb", b) && writeOne(*fileA_, ".rca", a);
}

void RecordingFileSet::cutBack() {
    // A pair counts only when both halves went out; the half (or part) that did is taken back.
    // ".rca" first, and ".rcb" only when that worked: when the device refuses even this, ".rca" is
    // still never longer than ".rcb", so every sample its length counts has both halves.
    if (!fileA_->resize(appended_)) {
        writeError_ +=
            QStringLiteral("; ") + path(".rca") + QStringLiteral(" not cut back: ") + fileA_->errorString();
        return;
    }
    if (!fileB_->resize(appended_))
        writeError_ +=
            QStringLiteral("; ") + path(".rcb") + QStringLiteral(" not cut back: ") + fileB_->errorString();
}

bool RecordingFileSet::append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (!sampleFilesOpen() || appendFailed_)
        return false;
    if (b.size() < a.size()) {
        writeError_ = path(".rcb") + QStringLiteral(": fewer samples than for ") + path(".rca");
        appendFailed_ = true;
        return false;
    }
    b = b.first(a.size());
    if (writeBoth(a, b)) {
        appended_ += static_cast<std::int64_t>(a.size());
        summaries_[0].add(a);
        summaries_[1].add(b);
        return true;
    }
    appendFailed_ = true;
    cutBack();
    return false;
}

void RecordingFileSet::closeSampleFiles() {
    fileA_.reset();
    fileB_.reset();
}

void RecordingFileSet::finishSummaries() {
    const char* extensions[] = {".rca", ".rcb"};
    for (std::size_t c = 0; c < summaries_.size(); ++c) {
        const FileIdentity sample = SampleSummaryWriter::identify(path(extensions[c]));
        if (sample.exists())
            summaries_[c].finish(sample);
        else
            summaries_[c].abandon();
    }
}

std::int64_t RecordingFileSet::measureLength() const {
    QFile file;
    if (!openSetFileForReading(file, path(".rca")))
        return -1;
    return file.size();
}

void RecordingFileSet::remove() {
    for (const char* ext : kRecordingSetExtensions)
        removeFileByName(path(ext));
    for (SampleSummaryWriter& summary : summaries_)
        summary.abandon();
    for (const char* ext : kRecordingSampleExtensions)
        removeFileByName(summaryPathFor(path(ext)));
}

} // namespace varnilog
