#include "view/ComparisonTrace.h"

#include "recording/MarkerFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "view/ReferenceWaveforms.h"
#include "view/SampleCodes.h"

#include <algorithm>

namespace varnilog {

namespace {

constexpr std::size_t kReadBlock = 1 << 16;

CoreError readFault(const QFile& file) {
    return CoreError::worded(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
}

} // namespace

std::optional<ComparisonTrace> openComparison(const QString& rosPath, int channel, CoreError& error) {
    ComparisonTrace trace;
    trace.rosPath = rosPath;
    trace.channel = std::clamp(channel, 0, kChannels - 1);
    trace.over = trace.channel;
    const RecordingHeader header = readRecordingHeader(rosPath).values;
    const auto c = static_cast<std::size_t>(trace.channel);
    trace.sensitivity = c < 2 ? header.sensitivity[c] : header.derivedSensitivity[c - 2].value_or(1);
    trace.file = std::make_shared<QFile>();
    if (!openSetFileForReading(*trace.file, sampleFilePath(rosPath, trace.channel))) {
        error = readFault(*trace.file);
        return std::nullopt;
    }
    trace.samples = trace.file->size();
    trace.buffer.resize(kReadBlock);
    return trace;
}

std::optional<std::int64_t> markerShift(const QString& ownRosPath, int own, const QString& otherRosPath,
                                        int other) {
    const std::vector<Marker> mine = readMarkerFile(markerFilePath(ownRosPath)).markers;
    const std::vector<Marker> theirs = readMarkerFile(markerFilePath(otherRosPath)).markers;
    if (own < 0 || other < 0 || own >= static_cast<int>(mine.size()) ||
        other >= static_cast<int>(theirs.size()))
        return std::nullopt;
    return theirs[static_cast<std::size_t>(other)].start - mine[static_cast<std::size_t>(own)].start;
}

bool readComparisonColumns(ComparisonTrace& trace, const SharedState& state, CoreError& error) {
    trace.present.fill(false);
    if (!trace.file || !trace.file->isOpen())
        return true;
    const std::int64_t zoom = std::max(state.zoomDivisor, 1);
    const std::int64_t first = state.viewStart + trace.shift; // its sample at column 0
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + kDisplayColumns * zoom, trace.samples);
    if (from >= to)
        return true;
    if (!trace.file->seek(from)) {
        error = readFault(*trace.file);
        return false;
    }
    for (std::int64_t at = from; at < to;) {
        const qint64 got =
            trace.file->read(trace.buffer.data(),
                             std::min<std::int64_t>(static_cast<std::int64_t>(trace.buffer.size()), to - at));
        if (got <= 0) {
            if (got < 0)
                error = readFault(*trace.file);
            return got == 0; // a file cut short shows what it holds
        }
        for (qint64 i = 0; i < got; ++i, ++at) {
            const auto column = static_cast<std::size_t>((at - first) / zoom);
            const auto code = static_cast<std::uint8_t>(trace.buffer[static_cast<std::size_t>(i)]);
            if (!trace.present[column]) {
                trace.present[column] = true;
                trace.hi[column] = trace.lo[column] = code;
            } else {
                trace.hi[column] = std::max(trace.hi[column], code);
                trace.lo[column] = std::min(trace.lo[column], code);
            }
        }
    }
    return true;
}

std::optional<double> comparisonVolts(const ComparisonTrace& trace, std::int64_t k) {
    const std::int64_t j = k + trace.shift;
    char code = 0;
    if (!trace.file || j < 0 || j >= trace.samples || !trace.file->seek(j) || trace.file->read(&code, 1) != 1)
        return std::nullopt;
    return codeVolts(static_cast<std::uint8_t>(code), trace.sensitivity);
}

void drawComparison(QImage& screen, const ComparisonTrace& trace, std::uint8_t channelSensitivity,
                    std::int32_t colour) {
    drawCodeColumns(screen, trace.hi, trace.lo, trace.present.data(), trace.sensitivity, channelSensitivity,
                    colour);
}

} // namespace varnilog
