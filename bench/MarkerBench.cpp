// 100 000 markers over a recording of 100 million samples at "Pokaż całość": reading the ".rmk" and
// drawing the frame with its flags, and drawing with the list already loaded, against the same frame
// without markers in the same run (and the 50 ms tick the whole must fit in).
#include "app/Configuration.h"
#include "recording/MarkerFile.h"
#include "support/OffscreenGui.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = 100'000'000;
constexpr int kMarkers = 100'000;

std::unique_ptr<SharedState> wholeView(ViewBuffers& view) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(view);
    paintBackground(view.bmpBackground, 0x101010, 0x603010, true);
    s->channelVisible = {true, true, false, false};
    s->channelOffset = s->channelZeroOffset;
    s->sampleCount = kSamples;
    s->viewStart = 0;
    s->zoomDivisor = showAllDivisor(kSamples);
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < kDisplayColumns; ++k)
            s->channelData[c][k] = static_cast<std::uint8_t>(60 + k % 100);
    return s;
}

// Every kind, a range every tenth marker, labels as the program makes them.
QString writeMarkers(const QTemporaryDir& dir) {
    std::vector<Marker> markers;
    markers.reserve(kMarkers);
    for (int i = 0; i < kMarkers; ++i) {
        const std::int64_t start = static_cast<std::int64_t>(i) * (kSamples / kMarkers);
        markers.push_back(
            {start, i % 10 == 0 ? start + 5000 : start, static_cast<MarkerKind>(i % kMarkerKindCount),
             QStringLiteral("12:%1:%2").arg(i / 60 % 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0'))});
    }
    const QString path = dir.filePath(QStringLiteral("r.rmk"));
    CoreError error;
    writeMarkerFile(path, markers, error);
    return path;
}

void BM_LoadAndRenderMarkers(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeMarkers(dir);
    auto view = std::make_unique<ViewBuffers>();
    auto s = wholeView(*view);
    renderWaveform(*s, *view);
    for (auto _ : state) {
        view->markers = readMarkerFile(path).markers;
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
    state.SetLabel("100 000 markers read and drawn");
}

void BM_RenderWithMarkers(benchmark::State& state) {
    QTemporaryDir dir;
    auto view = std::make_unique<ViewBuffers>();
    view->markers = readMarkerFile(writeMarkers(dir)).markers;
    auto s = wholeView(*view);
    renderWaveform(*s, *view);
    for (auto _ : state) {
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
}

void BM_RenderWithoutMarkers(benchmark::State& state) {
    auto view = std::make_unique<ViewBuffers>();
    auto s = wholeView(*view);
    renderWaveform(*s, *view);
    for (auto _ : state) {
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
}

} // namespace

BENCHMARK(BM_LoadAndRenderMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderWithMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderWithoutMarkers)->Unit(benchmark::kMillisecond);
