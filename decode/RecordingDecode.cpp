#include "decode/RecordingDecode.h"

#include "decode/RecordingLogic.h"
#include "recording/InterchangeExport.h"

#include <algorithm>
#include <memory>

namespace varnilog {

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

    const SampleSpan span = request.span;
    std::vector<LogicInput> inputs;
    std::array<bool, 4> known{};
    for (std::size_t i = 0; i < request.channels.size(); ++i) {
        const int channel = request.channels[i].second;
        const auto c = static_cast<std::size_t>(channel);
        const ChannelThreshold& t = request.thresholds[c];
        // The default level needs the span's extremes first: one more pass over that channel.
        if (!known[c]) {
            double volts = t.volts.value_or(0.0);
            if (std::uint8_t lo = 0, hi = 0; !t.volts) {
                if (!codeExtremes(request.sampleFiles[c], span.from, span.to, lo, hi, result.readError))
                    return result;
                volts = middleLevelVolts(lo, hi, request.sensitivity[c]);
            }
            result.levels[c] = {volts, t.hysteresisDivisions};
            known[c] = true;
        }
        inputs.push_back({channel, result.levels[c], static_cast<unsigned>(bits[i].second)});
    }
    const std::size_t chunk = std::max<std::size_t>(request.chunkSamples, 1);
    RecordingLogic logicOf(request.sampleFiles, request.sensitivity, inputs, chunk);
    if (!logicOf.open(result.readError))
        return result;
    result.samples = logicOf.identities();
    result.decodedTo = span.from;
    std::vector<std::uint8_t> logic(chunk);
    for (std::int64_t first = span.from; first < span.to;) {
        const std::int64_t n = std::min<std::int64_t>(static_cast<std::int64_t>(chunk), span.to - first);
        if (!logicOf.read(first, n, logic.data(), result.readError))
            return result;
        const bool fed =
            session->feed(static_cast<std::uint64_t>(first), logic.data(), static_cast<std::size_t>(n));
        for (const Annotation& a : session->takeAnnotations())
            sink(a);
        if (!fed) {
            result.decodedTo = first + n;
            result.problem = session->problem();
            return result;
        }
        first += n;
        result.decodedTo = first;
        if (progress && !progress(first - span.from, span.length())) {
            result.cancelled = true;
            return result;
        }
    }
    return result;
}

} // namespace varnilog
