#include "decode/RecordingDecode.h"

#include "analysis/SampleScan.h"
#include "recording/InterchangeExport.h"
#include "recording/RecordingLoader.h"

#include <QFile>

#include <memory>

namespace varnilog {

namespace {

// One recording channel read chunk by chunk.
struct ChannelReader {
    int channel = 0;
    QFile file;
    std::vector<std::uint8_t> codes;

    bool read(std::int64_t first, std::size_t n, QString& error) {
        if (!file.seek(first)) {
            error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        for (std::size_t got = 0; got < n;) {
            const qint64 r =
                file.read(reinterpret_cast<char*>(codes.data() + got), static_cast<qint64>(n - got));
            if (r <= 0) {
                error = QStringLiteral("%1: %2").arg(
                    file.fileName(), r < 0 ? file.errorString() : QStringLiteral("the file ended early"));
                return false;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    }
};

} // namespace

RecordingDecodeResult decodeRecording(const RecordingDecodeRequest& request,
                                      const std::function<void(const Annotation&)>& sink,
                                      const WorkProgress& progress) {
    RecordingDecodeResult result;
    result.sampleRateHz = static_cast<std::uint64_t>(sampleRateHz(request.samplingPeriodMs));
    // Logic bit i is the bottom decoder's channel i (required ones, then optional ones).
    const DecoderInfo* bottom = request.stack.empty() ? nullptr : findDecoder(request.stack.front().id);
    std::vector<std::pair<std::string, int>> bits;
    for (const auto& [id, channel] : request.channels)
        bits.emplace_back(id, bottom ? std::max(bottom->channelIndex(id), 0) : 0);
    const std::unique_ptr<DecodeSession> session =
        DecodeSession::create(request.stack, bits, result.sampleRateHz, result.problem);
    if (!session)
        return result;
    result.decoders = session->decoders();

    const std::size_t chunk = std::max<std::size_t>(request.chunkSamples, 1);
    std::vector<std::unique_ptr<ChannelReader>> readers; // one per recording channel read
    std::vector<std::pair<ChannelReader*, unsigned>> inputs;
    for (std::size_t i = 0; i < request.channels.size(); ++i) {
        const int channel = request.channels[i].second;
        ChannelReader* reader = nullptr;
        for (const auto& r : readers)
            if (r->channel == channel)
                reader = r.get();
        if (reader == nullptr) {
            auto r = std::make_unique<ChannelReader>();
            r->channel = channel;
            r->codes.resize(chunk);
            if (!openSetFileForReading(r->file, request.sampleFiles[static_cast<std::size_t>(channel)])) {
                result.readError = QStringLiteral("%1: cannot be opened")
                                       .arg(request.sampleFiles[static_cast<std::size_t>(channel)]);
                return result;
            }
            reader = readers.emplace_back(std::move(r)).get();
        }
        inputs.emplace_back(reader, static_cast<unsigned>(bits[i].second));
    }

    const SampleSpan span = request.span;
    // The default levels need the span's extremes first: one more pass, of the channels without one.
    for (const auto& r : readers) {
        const auto c = static_cast<std::size_t>(r->channel);
        const ChannelThreshold& t = request.thresholds[c];
        double volts = t.volts.value_or(0.0);
        if (!t.volts) {
            CodeStatistics stats;
            for (std::int64_t first = span.from; first < span.to;) {
                const auto n = static_cast<std::size_t>(
                    std::min<std::int64_t>(static_cast<std::int64_t>(chunk), span.to - first));
                if (!r->read(first, n, result.readError))
                    return result;
                stats.add(r->codes.data(), n);
                first += static_cast<std::int64_t>(n);
            }
            volts = stats.count > 0 ? middleLevelVolts(stats.lo, stats.hi, request.sensitivity[c]) : 0.0;
        }
        result.levels[c] = {volts, t.hysteresisDivisions};
    }
    std::vector<LogicThreshold> thresholds;
    for (const auto& [reader, bit] : inputs) {
        const auto c = static_cast<std::size_t>(reader->channel);
        thresholds.emplace_back(result.levels[c], request.sensitivity[c]);
    }

    std::vector<std::uint8_t> logic(chunk, 0);
    const auto deliver = [&] {
        for (const Annotation& a : session->takeAnnotations())
            sink(a);
    };
    for (std::int64_t first = span.from; first < span.to;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(chunk), span.to - first));
        for (const auto& r : readers)
            if (!r->read(first, n, result.readError))
                return result;
        for (std::size_t i = 0; i < inputs.size(); ++i)
            thresholds[i].convert(inputs[i].first->codes.data(), n, logic.data(), inputs[i].second);
        const bool fed = session->feed(static_cast<std::uint64_t>(first), logic.data(), n);
        deliver();
        if (!fed) {
            result.problem = session->problem();
            return result;
        }
        first += static_cast<std::int64_t>(n);
        if (progress && !progress(first - span.from, span.length())) {
            result.cancelled = true;
            return result;
        }
    }
    return result;
}

} // namespace varnilog
