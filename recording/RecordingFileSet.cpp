#include "recording/RecordingFileSet.h"

#include "recording/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

namespace varnilog {

namespace {

const QString kSection = QStringLiteral("PARAMETRY");

bool writeAll(QFile& file, std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return true;
    const qint64 size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

} // namespace

QString recordingBaseName(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
}

QString joinDataPath(const QString& dir, const QString& name) {
    const QChar sep = QDir::separator();
    if (dir.endsWith(sep) || dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + sep + name;
}

QString siblingPath(const QString& path, const QString& extension) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return path + extension;
    return path.left(dot) + extension;
}

RecordingFileSet::RecordingFileSet(QString dataDir, QString baseName)
    : dataDir_(std::move(dataDir)), baseName_(std::move(baseName)) {}

RecordingFileSet::~RecordingFileSet() {
    closeSampleFiles();
}

QString RecordingFileSet::path(const char* extension) const {
    return joinDataPath(dataDir_, baseName_ + QLatin1String(extension));
}

bool RecordingFileSet::nameTaken(const QString& dir, const QString& baseName) {
    for (const char* ext : kRecordingSetExtensions)
        if (QFileInfo::exists(joinDataPath(dir, baseName + QLatin1String(ext))))
            return true;
    return QFileInfo::exists(joinDataPath(dir, baseName + QStringLiteral(".roc")));
}

bool RecordingFileSet::writeSettings(const SharedState& s) {
    ProfileFile ros(rosPath());
    bool ok = ros.writeInteger(kSection, QStringLiteral("PODSTAWA"), s.timeBaseIndex);
    ok = ros.writeInteger(kSection, QStringLiteral("CZULOSCA"), s.channelSensitivity[0]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("CZULOSCB"), s.channelSensitivity[1]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("TRYBA"), s.channelMode[0]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("TRYBB"), s.channelMode[1]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("OFFSETA"), s.channelOffset[0]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("OFFSETB"), s.channelOffset[1]) && ok;
    ok = ros.writeInteger(kSection, QStringLiteral("ILOSCKANALOW"), s.channelCount) && ok;
    ok = ros.writeString(kSection, QStringLiteral("START"), baseName_) && ok;
    return ok;
}

bool RecordingFileSet::createSampleFiles() {
    closeSampleFiles();
    appended_ = 0;
    fileA_.setFileName(path(".rca"));
    fileB_.setFileName(path(".rcb"));
    const auto mode = QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered;
    const bool a = fileA_.open(mode);
    const bool b = fileB_.open(mode);
    return a && b;
}

bool RecordingFileSet::append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (!sampleFilesOpen())
        return false;
    const bool ok = writeAll(fileA_, a) && writeAll(fileB_, b);
    if (ok) {
        appended_ += static_cast<std::int64_t>(a.size());
        return true;
    }
    // Keep both files at the samples that made it into both, so the set stays consistent.
    fileA_.resize(appended_);
    fileB_.resize(appended_);
    return false;
}

void RecordingFileSet::closeSampleFiles() {
    fileA_.close();
    fileB_.close();
}

std::int64_t RecordingFileSet::measureLength() const {
    QFile file(path(".rca"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}

void RecordingFileSet::remove() const {
    for (const char* ext : kRecordingSetExtensions)
        QFile::remove(path(ext));
}

} // namespace varnilog
