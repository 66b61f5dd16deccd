// One full frame (background copy, grid, four traces, 2 x 2 box filter, overlays with two offset
// markers) at zoom 1 and with min/max columns, against the 50 ms acquisition tick it must fit in
// and against a plain copy of the 1000 x 500 frame in the same run.
#include "app/Configuration.h"
#include "support/OffscreenGui.h"
#include "view/ViewBuffers.h"
#include "view/WaveformRenderer.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using namespace varnilog;

// The frame's state; its min/max columns go into view.
std::unique_ptr<SharedState> frameState(bool zoomed, ViewBuffers& view) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(view);
    paintBackground(view.bmpBackground, 0x101010, 0x603010, true);
    s->channelVisible = {true, true, true, true};
    s->channelCount = 4;
    s->channelOffset = {110, 90, 100, 100};
    s->zoomDivisor = zoomed ? 64 : 1;
    std::uint32_t x = 7;
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kDisplayColumns; ++k) {
            x = x * 1103515245u + 12345u;
            const int v = 40 + static_cast<int>((x >> 16) % 170);
            s->channelData[c][k] = static_cast<std::uint8_t>(v);
            view.columnMin[c][k] = static_cast<std::uint8_t>(v - static_cast<int>((x >> 8) % 40));
        }
    }
    return s;
}

void BM_RenderFrame(benchmark::State& state) {
    auto view = std::make_unique<ViewBuffers>();
    auto s = frameState(state.range(0) != 0, *view);
    renderWaveform(*s, *view); // the label masks are built once, before timing
    for (auto _ : state) {
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
    state.SetLabel("budget: one 50 ms acquisition tick");
}

void BM_CopyFrame(benchmark::State& state) {
    auto view = std::make_unique<ViewBuffers>();
    auto s = frameState(false, *view);
    for (auto _ : state) {
        for (int y = 0; y < 500; ++y) {
            std::memcpy(view->bmpWave.scanLine(y), view->bmpBackground.constScanLine(y), 4000);
        }
        benchmark::DoNotOptimize(view->bmpWave.constBits());
    }
}

} // namespace

BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);
