// A million decoded annotations (two rows of 500 000, as a UART's bits and bytes) under the picture:
// laid out and drawn at "Pokaż całość" of their 10 million samples and zoomed in to their texts,
// against the waveform frame drawn in the same run; the 50 ms tick is what both must fit in. Their
// rows ordered from the decoders' order, as after a decode, is measured too.
#include "support/OffscreenGui.h"
#include "view/AnnotationRows.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace varnilog;

constexpr int kAnnotations = 1'000'000;
constexpr std::int64_t kSpacing = 10; // samples from one annotation's start to the next's

AnnotationRows annotations() {
    AnnotationRows rows;
    rows.items.reserve(kAnnotations);
    for (int i = 0; i < kAnnotations; ++i) {
        const std::int64_t start = static_cast<std::int64_t>(i / 2) * 2 * kSpacing + (i % 2) * kSpacing;
        addAnnotation(rows, i % 2, {start, start + kSpacing - 2, {"Data 0x41", "41", "A"}, i % 2, 0});
    }
    return rows;
}

void drawAt(benchmark::State& state, std::int64_t viewStart, std::int32_t zoom) {
    ensureOffscreenGui();
    AnnotationRows rows = annotations();
    sortRows(rows);
    QImage picture(kDisplayColumns, 2 * kAnnotationRowHeight, QImage::Format_RGB32);
    const QFont font = annotationFont();
    std::vector<AnnotationBox> boxes;
    drawAnnotationRows(picture, rows, viewStart, zoom, font, boxes);
    for (auto _ : state) {
        drawAnnotationRows(picture, rows, viewStart, zoom, font, boxes);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["budget_ms"] = 50;
}

void BM_AnnotationsWholeRecording(benchmark::State& state) {
    drawAt(state, 0, showAllDivisor(kAnnotations * kSpacing));
    state.SetLabel("10^6 annotations, Pokaz calosc");
}

void BM_AnnotationsZoomedIn(benchmark::State& state) {
    drawAt(state, kAnnotations * kSpacing / 2, 1); // 50 boxes a row, each with its text
    state.SetLabel("10^6 annotations, zoom 1 in the middle");
}

void BM_AnnotationsRowsOrdered(benchmark::State& state) {
    const AnnotationRows made = annotations();
    for (auto _ : state) {
        state.PauseTiming();
        AnnotationRows rows = made;
        state.ResumeTiming();
        sortRows(rows);
        benchmark::DoNotOptimize(rows.rows.data());
    }
    state.counters["budget_ms"] = 50;
}

// The reference: the waveform frame of two channels at "Pokaż całość".
void BM_WaveformFrame(benchmark::State& state) {
    ensureOffscreenGui();
    auto view = std::make_unique<ViewBuffers>();
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(*view);
    paintBackground(view->bmpBackground, 0x101010, 0x603010, true);
    s->channelVisible = {true, true, false, false};
    s->channelOffset = s->channelZeroOffset;
    s->sampleCount = kAnnotations * kSpacing;
    s->zoomDivisor = showAllDivisor(s->sampleCount);
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < kDisplayColumns; ++k)
            s->channelData[c][k] = static_cast<std::uint8_t>(60 + k % 100);
    for (auto _ : state) {
        renderWaveform(*s, *view);
        benchmark::DoNotOptimize(view->bmpScreen.constBits());
    }
}

} // namespace

BENCHMARK(BM_AnnotationsWholeRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnnotationsZoomedIn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnnotationsRowsOrdered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveformFrame)->Unit(benchmark::kMillisecond);
