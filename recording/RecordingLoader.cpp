#include "recording/RecordingLoader.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/SampleSummary.h"
#include "recording/SetChange.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <exception>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnilog {

namespace {

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
    for (std::size_t d = 0; d < header.derivedSensitivity.size(); ++d) {
        if (header.derivedSensitivity[d])
            state.channelSensitivity[kHeaderChannels + d] = *header.derivedSensitivity[d];
        state.channelDerived[kHeaderChannels + d] = !header.derivedOperation[d].isEmpty();
    }
}

constexpr int kConsistentReadAttempts = 50;
constexpr int kConsistentReadPauseMs = 20;

// The sample files held are still at their names, no channel's file appeared or went since they were
// opened, and no change of the set is half done: what was read of the header belongs to them.
bool sameSetVersion(const SharedState& state, const QString& rosPath, const HeaderReading& read) {
    if (recordingSetChanging(rosPath) || identityOf(rosPath) != read.identity)
        return false;
    for (int c = 0; c < kChannels; ++c) {
        const QFile& file = state.sampleFile[c];
        const FileIdentity now = identityOf(fileNameOf(file));
        const bool regular = now.regular;
        if (file.isOpen() ? !now.sameFile(identityOf(static_cast<int>(file.handle()))) : regular)
            return false;
    }
    return true;
}

void clearStagingRows(SharedState& state, int previousChannelCount) {
    for (int c = 0; c < std::min(previousChannelCount, kChannels); ++c) {
        std::fill_n(state.readBuffer[c].begin(), kDisplayColumns, kZeroLine);
    }
}

LoadResult applySettings(SharedState& state, const HeaderReading& header) {
    LoadResult result;
    if (header.file == HeaderFile::Unreadable) {
        result.ok = false;
        result.error = CoreError::of(CoreErrorKind::LoadFailed);
        return result;
    }
    applyHeader(state, header.values);
    result.baseName = baseNameOf(state.recordingPath);
    if (state.sampleCount > 1)
        state.zoomDivisor = 1;
    return result;
}

} // namespace

bool openSetFileForReading(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    // Looked at through a descriptor opened without waiting (a pipe's open would wait for a writer).
    return openRegularFileByName(file, path, extra);
}

void openSummaryFile(SharedState& state, int channel) {
    QFile& summary = state.summaryFile[channel];
    const QString path = summaryPathFor(fileNameOf(state.sampleFile[channel]));
    if (!state.sampleFile[channel].isOpen() || !openSetFileForReading(summary, path)) {
        summary.close();
        summary.setFileName(path);
    }
}

void openSampleFiles(SharedState& state) {
    // What a killed change of the set left is settled before anything of it is read.
    recoverRecordingSetIfIdle(siblingPath(state.recordingPath, QStringLiteral(".ros")));
    for (int c = 0; c < kChannels; ++c) {
        // Unbuffered: the view reads large blocks straight into its own staging buffer.
        openSetFileForReading(state.sampleFile[c], sampleFilePath(state.recordingPath, c));
        openSummaryFile(state, c);
    }
    state.sampleCount = state.sampleFile[0].isOpen() ? state.sampleFile[0].size() : -1;
}

QString baseNameOf(const QString& path) {
    const QString name = path.mid(nameStart(path));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.left(dot) : name;
}

void openSampleDescriptors(SharedState& state, const std::array<int, kChannels>& descriptors) {
    for (int c = 0; c < kChannels; ++c) {
        state.summaryFile[c].close();
        QFile& file = state.sampleFile[c];
        file.close();
        file.setFileName(QString());
        if (descriptors[c] >= 0)
            file.open(descriptors[c], QIODevice::ReadOnly | QIODevice::Unbuffered,
                      QFileDevice::DontCloseHandle);
    }
    state.sampleCount = state.sampleFile[0].isOpen() ? state.sampleFile[0].size() : -1;
}

LoadResult applyRecordingSettings(SharedState& state, const HeaderReading& header, int previousChannelCount) {
    clearStagingRows(state, previousChannelCount);
    return applySettings(state, header);
}

LoadResult readRecordingSettings(SharedState& state, int previousChannelCount) {
    LoadResult result;
    try {
        clearStagingRows(state, previousChannelCount);
        const QString rosPath = siblingPath(state.recordingPath, QStringLiteral(".ros"));
        HeaderReading header = readRecordingHeader(rosPath, loaderDefaults(state));
        // Another program may replace a channel between the opens and the read of its keys: the
        // files held must be those the header read describes, or both are taken again.
        for (int attempt = 0; !sameSetVersion(state, rosPath, header); ++attempt) {
            if (attempt == kConsistentReadAttempts) {
                result.ok = false;
                result.changedWhileRead = true;
                result.error = CoreError::of(CoreErrorKind::LoadFailed);
                return result;
            }
            QThread::msleep(kConsistentReadPauseMs);
            openSampleFiles(state);
            header = readRecordingHeader(rosPath, loaderDefaults(state));
        }
        result = applySettings(state, header);
    } catch (const std::exception&) {
        result.ok = false;
        result.error = CoreError::of(CoreErrorKind::LoadFailed);
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
