#include "recording/RecordingLoader.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/SampleSummary.h"
#include "recording/SetChange.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace varnilog {

namespace {

constexpr std::array<const char*, kChannels> sampleExtensions{".rca", ".rcb", ".rcc", ".rcd"};

qsizetype nameStart(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
}

void applyHeader(SharedState& state, const RecordingHeader& header) {
    state.timeBaseIndex = header.timeBaseIndex;
    std::copy(header.sensitivity.begin(), header.sensitivity.end(), state.channelSensitivity.begin());
    std::copy(header.mode.begin(), header.mode.end(), state.channelMode.begin());
    std::copy(header.offset.begin(), header.offset.end(), state.channelOffset.begin());
    state.samplingPeriodMs = samplingPeriodTable[state.timeBaseIndex];
    state.channelCount = header.channelCount;
    // Derived channels carry their own sensitivity; without the key C and D keep theirs.
    for (std::size_t d = 0; d < header.derivedSensitivity.size(); ++d)
        if (header.derivedSensitivity[d])
            state.channelSensitivity[kHeaderChannels + d] = *header.derivedSensitivity[d];
}

} // namespace

void openSummaryFile(SharedState& state, int channel) {
    QFile& summary = state.summaryFile[channel];
    summary.close();
    summary.setFileName(summaryPathFor(state.sampleFile[channel].fileName()));
    if (state.sampleFile[channel].isOpen() && QFileInfo(summary.fileName()).isFile())
        summary.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void openSampleFiles(SharedState& state) {
    // What a killed change of the set left is settled before anything of it is read.
    recoverRecordingSetIfIdle(siblingPath(state.recordingPath, QStringLiteral(".ros")));
    for (int c = 0; c < kChannels; ++c) {
        QFile& file = state.sampleFile[c];
        file.close();
        file.setFileName(siblingPath(state.recordingPath, QString::fromLatin1(sampleExtensions[c])));
        // Unbuffered: the view reads large blocks straight into its own staging buffer. Only regular
        // files: opening a pipe would wait for a writer, a device would never end.
        if (QFileInfo(file.fileName()).isFile()) {
            file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
        openSummaryFile(state, c);
    }
    state.sampleCount = state.sampleFile[0].isOpen() ? state.sampleFile[0].size() : -1;
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
        const HeaderReading header = readRecordingHeader(rosPath, loaderDefaults(state));
        if (header.file == HeaderFile::Unreadable) {
            result.ok = false;
            result.errorText = QString::fromUtf16(kLoadErrorText);
            return result;
        }
        applyHeader(state, header.values);
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

bool channelHasData(const SharedState& state, int channel) {
    if (channel < 0 || channel >= std::min<int>(state.channelCount, kChannels))
        return false;
    const QFile& file = state.sampleFile[static_cast<std::size_t>(channel)];
    return file.isOpen() && file.size() > 0;
}

} // namespace varnilog
