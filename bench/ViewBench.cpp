// Loading and drawing the view of a 2^28-sample, two-channel recording at zoom 1, 100, 10 000 and
// "Pokaż całość", against reading the same bytes plainly from the page cache (read() into one block,
// and `cat` of the files to /dev/null for the whole recording) in the same run.
#include "app/Configuration.h"
#include "support/BigRecording.h"
#include "support/OffscreenGui.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;

// Noise: every column of every zoom holds the full range of codes.
test::BigRecording& recording() {
    static test::BigRecording r(
        kSamples, [x = std::uint32_t{1}](std::vector<std::uint8_t>& block, std::int64_t, int) mutable {
            for (auto& v : block) {
                x = x * 1103515245u + 12345u;
                v = static_cast<std::uint8_t>(x >> 20);
            }
        });
    return r;
}

std::unique_ptr<SharedState> openState(ViewBuffers& view) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(view);
    paintBackground(view.bmpBackground, 0, 0x333333, true);
    s->sampleFile[0].setFileName(recording().a());
    s->sampleFile[1].setFileName(recording().b());
    s->sampleFile[0].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    s->sampleFile[1].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    s->sampleCount = kSamples;
    return s;
}

std::int32_t zoomOf(std::int64_t arg) {
    return arg == 0 ? showAllDivisor(kSamples) : static_cast<std::int32_t>(arg);
}

// loadViewWindow + renderWaveform at viewStart 1000 (0 for the whole recording).
void BM_ViewLoad(benchmark::State& state) {
    auto view = std::make_unique<ViewBuffers>();
    auto s = openState(*view);
    s->zoomDivisor = zoomOf(state.range(0));
    const std::int64_t start = state.range(0) == 0 ? 0 : 1000;
    for (auto _ : state) {
        s->viewStart = start;
        loadViewWindow(*s, *view);
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
    state.SetBytesProcessed(state.iterations() * 2 * 500 * std::int64_t{s->zoomDivisor});
}

// The reference: the same bytes read with read() into one block, nothing else done with them.
void BM_PlainRead(benchmark::State& state) {
    const std::int64_t bytes = 500 * std::int64_t{zoomOf(state.range(0))};
    const std::int64_t start = state.range(0) == 0 ? 0 : 1000;
    std::vector<char> block(kViewBlockSize);
    const QByteArray paths[] = {recording().a().toLocal8Bit(), recording().b().toLocal8Bit()};
    for (auto _ : state) {
        for (const QByteArray& path : paths) {
            const int fd = ::open(path.constData(), O_RDONLY);
            std::int64_t left = bytes;
            ::lseek(fd, start, SEEK_SET);
            while (left > 0) {
                const ssize_t got = ::read(fd, block.data(), std::min<std::int64_t>(left, kViewBlockSize));
                if (got <= 0) {
                    break;
                }
                left -= got;
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(state.iterations() * 2 * bytes);
}

void BM_CatWholeRecording(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(recording().cat());
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

} // namespace

// 0 = "Pokaż całość" (zoom 536 870).
BENCHMARK(BM_ViewLoad)->Arg(1)->Arg(100)->Arg(10000)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainRead)->Arg(1)->Arg(100)->Arg(10000)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
