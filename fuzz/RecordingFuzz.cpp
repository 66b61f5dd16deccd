// A recording made from the input, then loaded and viewed at zooms the input picks, the last view drawn
// when the view start is a multiple of 16. The sample files are in memory and the ".ros" in the scratch
// folder; the loader's checks of a set on disk (which files exist, that they belong to the header) are
// the integration tests' part.
// Input: four sample-file lengths (u32 each; 0xFFFFFFFF = no such file), the ".ros" length (u16), the
// ".ros" text, a view start (u32) and three zoom choices, then the bytes the sample files begin with
// (repeated to their length; a file longer than 64 KB continues as a hole of zeros).
#include "FuzzEnvironment.h"
#include "FuzzInput.h"

#include "app/Configuration.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

using namespace varnilog;

namespace {

constexpr std::uint32_t kMissing = 0xFFFFFFFF;
constexpr std::uint32_t kMaxLength = 1u << 21; // 2 MB: deep zooms stay quick
constexpr std::size_t kWrittenPart = 1 << 16;
constexpr std::uint32_t kDrawEvery = 16;
// Without a pattern a file begins 0, 1, 2 .. 255, 0, 1 ..
constexpr std::array<std::uint8_t, 256> kCounting = [] {
    std::array<std::uint8_t, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}();

// The sample files live in memory (one anonymous file per channel for the whole run): written to disk,
// each input cost more in file system calls than in the reading fuzzed. Returns the descriptor to read,
// -1 for a missing file.
int fillSampleFile(int channel, std::uint32_t length, std::span<const std::uint8_t> pattern) {
    static const std::array<int, kChannels> memory = [] {
        std::array<int, kChannels> fds{};
        for (int& fd : fds) {
            fd = ::memfd_create("fuzz-samples", MFD_CLOEXEC);
            FUZZ_CHECK(fd >= 0);
        }
        return fds;
    }();
    if (length == kMissing)
        return -1;
    length %= kMaxLength + 1;
    static std::array<std::uint8_t, kWrittenPart> head;
    const std::size_t written = std::min<std::size_t>(length, kWrittenPart);
    if (pattern.empty())
        pattern = std::span<const std::uint8_t>(kCounting.data(), kCounting.size());
    for (std::size_t done = 0; done < written;) {
        const std::size_t n = std::min(pattern.size(), written - done);
        std::memcpy(head.data() + done, pattern.data(), n);
        done += n;
    }
    const int fd = memory[channel];
    FUZZ_CHECK(::ftruncate(fd, 0) == 0);
    FUZZ_CHECK(::pwrite(fd, head.data(), written, 0) == static_cast<ssize_t>(written));
    FUZZ_CHECK(::ftruncate(fd, length) == 0);
    return fd;
}

std::int32_t zoomFrom(std::uint8_t choice, const SharedState& s) {
    switch (choice % 4) {
    case 0:
        return zoomInDivisor(s.zoomDivisor);
    case 1:
        return zoomOutDivisor(s.zoomDivisor, s.sampleCount);
    case 2:
        return showAllDivisor(s.sampleCount);
    default:
        return 1 + (choice >> 2) * (choice >> 2) * 97; // odd divisors up to ~390 000
    }
}

void checkView(const SharedState& s, const ViewBuffers& view, const ViewRefresh& r) {
    FUZZ_CHECK(s.zoomDivisor >= 1);
    FUZZ_CHECK(r.range.maximum >= 0);
    FUZZ_CHECK(s.viewStart >= 0 && s.viewStart <= r.range.maximum);
    FUZZ_CHECK(r.scrollBar.maximum >= 0 && r.scrollBar.position >= 0 &&
               r.scrollBar.position <= r.scrollBar.maximum);
    FUZZ_CHECK(viewStartAtPosition(r.scrollBar, r.range, r.scrollBar.position) <= r.range.maximum);
    // A column's smallest sample never exceeds the column's shown (largest) one.
    if (s.zoomDivisor >= 2)
        for (int c = 0; c < kChannels; ++c)
            for (int x = 0; x < kDisplayColumns; ++x)
                FUZZ_CHECK(view.columnMin[c][x] <= s.channelData[c][x]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureGuiApplication();
    fuzz::FuzzInput in(std::span(data, size));
    std::array<std::uint32_t, kChannels> lengths{};
    for (std::uint32_t& l : lengths)
        l = in.u32();
    const std::span<const std::uint8_t> ros = in.bytes(in.u16());
    const std::uint32_t start = in.u32();
    const std::array<std::uint8_t, 3> zooms{in.byte(), in.byte(), in.byte()};
    const std::span<const std::uint8_t> pattern = in.rest();

    const QString base = fuzz::scratchFolder() + QStringLiteral("/rec");
    QFile::remove(base + QStringLiteral(".ros"));
    if (!ros.empty())
        fuzz::writeFile(base + QStringLiteral(".ros"), ros);

    // One state and one set of view buffers for the whole run, as the program keeps them from one
    // recording to the next; a fresh 7 MB each time would cost more than the load itself. What the load
    // does not set is set here, so each input behaves the same whatever ran before it.
    static const auto state = std::make_unique<SharedState>();
    static const std::unique_ptr<ViewBuffers> view = [] {
        auto v = std::make_unique<ViewBuffers>();
        sizeBitmaps(*v);
        return v;
    }();
    state->zoomDivisor = 1;
    state->recordingPath = base + QStringLiteral(".ros");
    state->viewStart = start % 1000; // a view left over from the recording shown before
    std::array<int, kChannels> files{};
    for (int c = 0; c < kChannels; ++c)
        files[c] = fillSampleFile(c, lengths[c], pattern);
    openSampleDescriptors(*state, files);
    const LoadResult loaded = applyRecordingSettings(
        *state, readRecordingHeader(state->recordingPath, loaderDefaults(*state)), kChannels);
    FUZZ_CHECK(loaded.ok);
    fuzz::checkRecordingSettings(*state);
    const qint64 expectedCount = lengths[0] == kMissing ? qint64{-1} : qint64{lengths[0] % (kMaxLength + 1)};
    FUZZ_CHECK(state->sampleCount == expectedCount);
    // Show every channel, so each trace is drawn whatever the header says.
    state->channelVisible = {true, true, true, true};
    checkView(*state, *view, readView(*state, *view));
    for (std::uint8_t choice : zooms) {
        state->zoomDivisor = zoomFrom(choice, *state);
        FUZZ_CHECK(state->zoomDivisor >= 1);
        state->viewStart = static_cast<std::int64_t>(start) * choice;
        checkView(*state, *view, readView(*state, *view));
    }
    // A picture costs ten times the reading above: only an input whose view start is a multiple of 16
    // draws the last window (which input draws is the input's own choice, so a finding replays).
    if (start % kDrawEvery == 0)
        renderWaveform(*state, *view);
    return 0;
}
