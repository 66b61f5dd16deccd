#include "recording/RecordingLoader.h"

#include "recording/DerivedChannelKeys.h"
#include "recording/ProfileFile.h"
#include "recording/RecordingFileSet.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace varnilog {

namespace {

constexpr std::array<const char*, kChannels> sampleExtensions{".rca", ".rcb", ".rcc", ".rcd"};
const QString section = QStringLiteral("PARAMETRY");

qsizetype nameStart(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
}

} // namespace

void openSampleFiles(SharedState& state) {
    for (int c = 0; c < kChannels; ++c) {
        QFile& file = state.sampleFile[c];
        file.close();
        file.setFileName(siblingPath(state.recordingPath, QString::fromLatin1(sampleExtensions[c])));
        // Unbuffered: the view reads large blocks straight into its own staging buffer. Only regular
        // files: opening a pipe would wait for a writer, a device would never end.
        if (QFileInfo(file.fileName()).isFile()) {
            file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
    }
    state.sampleCount = state.sampleFile[0].isOpen() ? state.sampleFile[0].size() : -1;
}

namespace {

std::uint8_t readClamped(const ProfileFile& ros, const char* key, std::uint8_t defaultValue, int lo, int hi) {
    const std::uint8_t value = ros.readByte(section, QString::fromLatin1(key), defaultValue);
    return static_cast<std::uint8_t>(std::clamp<int>(value, lo, hi));
}

void readSettings(SharedState& state, const ProfileFile& ros) {
    state.timeBaseIndex = headerTimeBaseIndex(ros, 1);
    state.channelSensitivity[0] = readClamped(ros, "CZULOSCA", 1, 1, kSensitivityCount);
    state.channelSensitivity[1] = readClamped(ros, "CZULOSCB", 1, 1, kSensitivityCount);
    state.channelMode[0] = readClamped(ros, "TRYBA", ModeAC, ModeAC, ModeDC);
    state.channelMode[1] = readClamped(ros, "TRYBB", ModeAC, ModeAC, ModeDC);
    state.channelOffset[0] = ros.readByte(section, QStringLiteral("OFFSETA"), state.channelZeroOffset[0]);
    state.channelOffset[1] = ros.readByte(section, QStringLiteral("OFFSETB"), state.channelZeroOffset[1]);
    state.samplingPeriodMs = samplingPeriodTable[state.timeBaseIndex];
    state.channelCount = headerChannelCount(ros, 2);
    // Derived channels carry their own sensitivity; without the key C and D keep theirs.
    for (int c = 2; c < kChannels; ++c)
        if (const DerivedChannelKeys keys = readDerivedChannelKeys(ros, c); keys.sensitivity)
            state.channelSensitivity[c] = *keys.sensitivity;
}

} // namespace

HeaderFile headerFileState(const QString& rosPath) {
    const QFileInfo info(rosPath);
    if (!info.exists())
        return HeaderFile::Missing;
    if (!info.isFile() || !info.isReadable() || info.size() > kHeaderSizeLimit)
        return HeaderFile::Unreadable;
    return HeaderFile::Readable;
}

std::uint8_t headerTimeBaseIndex(const ProfileFile& ros, std::uint8_t defaultValue) {
    return readClamped(ros, "PODSTAWA", defaultValue, 1, kTimeBaseCount);
}

std::uint8_t headerChannelCount(const ProfileFile& ros, std::uint8_t defaultValue) {
    return readClamped(ros, "ILOSCKANALOW", defaultValue, 1, kChannels);
}

bool channelHasData(const SharedState& state, int channel) {
    if (channel < 0 || channel >= std::min<int>(state.channelCount, kChannels))
        return false;
    const QFile& file = state.sampleFile[static_cast<std::size_t>(channel)];
    return file.isOpen() && file.size() > 0;
}

QString baseNameOf(const QString& path) {
    const QString name = path.mid(nameStart(path));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.left(dot) : name;
}

LoadResult readRecordingSettings(SharedState& state, int previousChannelCount) {
    LoadResult result;
    try {
        for (int c = 0; c < std::min(previousChannelCount, kChannels); ++c) {
            std::fill_n(state.readBuffer[c].begin(), kDisplayColumns, kZeroLine);
        }
        const QString rosPath = siblingPath(state.recordingPath, QStringLiteral(".ros"));
        if (headerFileState(rosPath) == HeaderFile::Unreadable) {
            result.ok = false;
            result.errorText = QString::fromUtf16(kLoadErrorText);
            return result;
        }
        const ProfileFile ros(rosPath);
        readSettings(state, ros);
        result.baseName = baseNameOf(state.recordingPath);
        if (state.sampleCount > 1)
            state.zoomDivisor = 1;
    } catch (const std::exception&) {
        result.ok = false;
        result.errorText = QString::fromUtf16(kLoadErrorText);
    }
    return result;
}

LoadResult loadRecording(SharedState& state) {
    const int previousChannelCount = state.channelCount;
    openSampleFiles(state);
    state.viewStart = 0;
    return readRecordingSettings(state, previousChannelCount);
}

} // namespace varnilog
