// The frame parser fed a byte stream in arbitrary chunks, the carry moved to the front of a fixed
// buffer between chunks as the acquisition does. Input: a mode byte, a count k and k chunk lengths,
// then the stream. In mode "clean" the stream's bytes are pairs of samples framed first, so every
// sample must come out exactly once and in order.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "device/FrameParser.h"
#include "device/Protocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using varnilog::FrameLimit;
using varnilog::fuzz::FuzzInput;

constexpr std::size_t kBufferSize = 1024; // small, so a full buffer is reached often

// Most non-overlapping frames the stream holds: taking the leftmost frame each time is optimal for
// equal-length spans, and no parser may find more.
std::int64_t mostFrames(const std::vector<std::uint8_t>& s) {
    std::int64_t n = 0;
    for (std::size_t p = 0; p + 4 <= s.size();) {
        if (s[p] == varnilog::kFrameMarkerA && s[p + 2] == varnilog::kFrameMarkerB) {
            ++n;
            p += 4;
        } else {
            ++p;
        }
    }
    return n;
}

struct Parsed {
    std::vector<std::uint8_t> a, b;
};

// One tick: parse buffer[0, total), keep the carry at the front. Outputs sized exactly as the parser
// asks, so a write past them is caught by the address checker.
std::int64_t tick(std::vector<std::uint8_t>& buffer, std::size_t total, FrameLimit limit, Parsed& out) {
    std::vector<std::uint8_t> a(total / 4 + 1), b(total / 4 + 1);
    const auto r = varnilog::parseFrames(std::span(buffer.data(), total), a.data(), b.data(), limit);
    FUZZ_CHECK(r.pairs >= 0 && r.carry >= 0);
    FUZZ_CHECK(r.pairs <= static_cast<std::int64_t>(total / 4));
    FUZZ_CHECK(r.carry <= static_cast<std::int64_t>(total));
    FUZZ_CHECK(r.skipped >= 0 && r.pairs * 4 + r.carry + r.skipped == static_cast<std::int64_t>(total));
    out.a.insert(out.a.end(), a.begin(), a.begin() + r.pairs);
    out.b.insert(out.b.end(), b.begin(), b.begin() + r.pairs);
    std::memmove(buffer.data(), buffer.data() + (total - static_cast<std::size_t>(r.carry)),
                 static_cast<std::size_t>(r.carry));
    return r.carry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(std::span(data, size));
    const bool clean = (in.byte() & 1) != 0;
    std::vector<std::size_t> chunks(in.byte() % 16 + 1);
    for (std::size_t& c : chunks)
        c = in.byte() * 4 + in.byte() % 4; // 0 .. 1023: any alignment to the frames
    const std::span<const std::uint8_t> payload = in.rest();

    std::vector<std::uint8_t> stream;
    if (clean) {
        for (std::size_t i = 0; i + 1 < payload.size(); i += 2) {
            const std::uint8_t frame[] = {varnilog::kFrameMarkerA, payload[i], varnilog::kFrameMarkerB,
                                          payload[i + 1]};
            stream.insert(stream.end(), frame, frame + 4);
        }
    } else {
        stream.assign(payload.begin(), payload.end());
    }

    std::vector<std::uint8_t> buffer(kBufferSize);
    Parsed out;
    std::size_t carry = 0, fed = 0;
    for (std::size_t k = 0; fed < stream.size(); ++k) {
        // A tick reads what is queued (at least a byte, so a run of empty chunks cannot stall the
        // harness), at most what the buffer still holds.
        const std::size_t chunk = std::min(
            {std::max<std::size_t>(chunks[k % chunks.size()], 1), stream.size() - fed, kBufferSize - carry});
        std::memcpy(buffer.data() + carry, stream.data() + fed, chunk);
        fed += chunk;
        carry = static_cast<std::size_t>(tick(buffer, carry + chunk, FrameLimit::KeepNewest, out));
        // The carry must leave room for progress, or the stream would stall with a full buffer.
        FUZZ_CHECK(carry < kBufferSize);
    }
    tick(buffer, carry, FrameLimit::TakeAll, out);

    const auto pairs = static_cast<std::int64_t>(out.a.size());
    FUZZ_CHECK(pairs <= mostFrames(stream));
    if (clean) {
        // Clean frames: nothing lost, nothing stored twice, nothing out of order.
        FUZZ_CHECK(pairs == static_cast<std::int64_t>(stream.size() / 4));
        for (std::size_t i = 0; i < out.a.size(); ++i) {
            FUZZ_CHECK(out.a[i] == stream[4 * i + 1]);
            FUZZ_CHECK(out.b[i] == stream[4 * i + 3]);
        }
    }
    return 0;
}
