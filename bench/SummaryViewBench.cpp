// "Pokaż całość" and one scroll step of a 2 × 2^31-sample recording read through the min/max
// summaries, against the full scan of the same view (the summaries closed) in the same run, with the
// bytes each view reads (/proc/self/io). The sample files are sparse: 1 MiB of noise in every 4 MiB,
// the rest holes, which the full scan skips too, so the reference reads a quarter of the span.
#include "app/Configuration.h"
#include "recording/SampleSummary.h"
#include "support/OffscreenGui.h"
#include "support/RecordedFiles.h"
#include "support/SparseRecording.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = test::SparseRecording::kSamples;

test::SparseRecording& recording() {
    static test::SparseRecording r;
    return r;
}

std::unique_ptr<SharedState> openState(bool summaries, ViewBuffers& view) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(view);
    paintBackground(view.bmpBackground, 0, 0x333333, true);
    for (int c = 0; c < 2; ++c) {
        s->sampleFile[c].setFileName(recording().paths[c]);
        s->sampleFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        if (summaries) {
            s->summaryFile[c].setFileName(summaryPathFor(recording().paths[c]));
            s->summaryFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
    }
    s->sampleCount = kSamples;
    return s;
}

std::int32_t zoomOf(std::int64_t arg) {
    return arg == 0 ? showAllDivisor(kSamples) : static_cast<std::int32_t>(arg);
}

// Loads and draws the view; a scroll alternates between two starts one small step apart, off every
// block edge. Reports the bytes read per view.
void runView(benchmark::State& state, bool summaries, bool scroll) {
    auto view = std::make_unique<ViewBuffers>();
    auto s = openState(summaries, *view);
    s->zoomDivisor = zoomOf(state.range(0));
    const std::int64_t from = scroll ? kSamples / 3 + 12345 : 0;
    const std::int64_t before = test::bytesReadSoFar();
    std::int64_t n = 0;
    for (auto _ : state) {
        s->viewStart = from + (scroll && (n++ & 1) ? s->zoomDivisor : 0);
        loadViewWindow(*s, *view);
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
    state.counters["bytes_read_per_view"] =
        static_cast<double>(test::bytesReadSoFar() - before) / static_cast<double>(state.iterations());
}

void BM_SummaryView(benchmark::State& state) {
    runView(state, true, false);
}
void BM_FullScanView(benchmark::State& state) {
    runView(state, false, false);
}
void BM_SummaryScroll(benchmark::State& state) {
    runView(state, true, true);
}
void BM_FullScanScroll(benchmark::State& state) {
    runView(state, false, true);
}

} // namespace

// 0 = "Pokaż całość" (zoom 4 294 967).
BENCHMARK(BM_SummaryView)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullScanView)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SummaryScroll)->Arg(256)->Arg(65536)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullScanScroll)
    ->Arg(256)
    ->Arg(65536)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
