// A recording made from the input, then loaded, viewed and drawn at zooms the input picks.
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

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

using namespace varnilog;

namespace {

constexpr std::uint32_t kMissing = 0xFFFFFFFF;
constexpr std::uint32_t kMaxLength = 1u << 21; // 2 MB: deep zooms stay quick
constexpr std::size_t kWrittenPart = 1 << 16;

void writeSampleFile(const QString& path, std::uint32_t length, std::span<const std::uint8_t> pattern) {
    QFile::remove(path);
    if (length == kMissing)
        return;
    length %= kMaxLength + 1;
    std::vector<std::uint8_t> head(std::min<std::size_t>(length, kWrittenPart));
    for (std::size_t i = 0; i < head.size(); ++i)
        head[i] = pattern.empty() ? static_cast<std::uint8_t>(i) : pattern[i % pattern.size()];
    fuzz::writeFile(path, head);
    QFile file(path);
    FUZZ_CHECK(file.resize(length));
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
    for (int c = 0; c < kChannels; ++c)
        writeSampleFile(base + QString::fromLatin1(kRecordingSampleExtensions[c]), lengths[c], pattern);
    QFile::remove(base + QStringLiteral(".ros"));
    if (!ros.empty())
        fuzz::writeFile(base + QStringLiteral(".ros"), ros);

    auto state = std::make_unique<SharedState>();
    sizeBitmaps(*state);
    auto view = std::make_unique<ViewBuffers>();
    state->recordingPath = base + QStringLiteral(".ros");
    state->viewStart = start % 1000; // a view left over from the recording shown before
    const LoadResult loaded = loadRecording(*state);
    FUZZ_CHECK(loaded.ok);
    fuzz::checkRecordingSettings(*state);
    const qint64 expectedCount = lengths[0] == kMissing ? qint64{-1} : qint64{lengths[0] % (kMaxLength + 1)};
    FUZZ_CHECK(state->sampleCount == expectedCount);
    // Show every channel, so each trace is drawn whatever the header says.
    state->channelVisible = {true, true, true, true};
    checkView(*state, *view, refreshView(*state, *view));
    for (std::uint8_t choice : zooms) {
        state->zoomDivisor = zoomFrom(choice, *state);
        FUZZ_CHECK(state->zoomDivisor >= 1);
        state->viewStart = static_cast<std::int64_t>(start) * choice;
        checkView(*state, *view, refreshView(*state, *view));
        renderWaveform(*state, *view);
        scrollView(*state, *view, state->viewStart);
    }
    return 0;
}
