// XY and persistence: the density of a whole 2 x 2^31-sample recording (sparse files, a quarter of
// noise) against `cat` of the same files; the overlay of the 10^4 events of a sparse 2^31-sample
// recording against the event search alone, both with the view summaries; and one frame of the live
// persistence (fading, a noisy square wave), counts and picture.
#include "analysis/EventOverlay.h"
#include "analysis/EventSearch.h"
#include "analysis/XyDensity.h"
#include "recording/SampleSummary.h"
#include "support/SparseRecording.h"
#include "view/PersistencePicture.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

using namespace varnilog;

test::SparseRecording& sparse() {
    static test::SparseRecording r(false);
    return r;
}

void BM_CatSparseRecording(benchmark::State& state) {
    const test::SparseRecording& r = sparse();
    const QByteArray command =
        "cat '" + r.paths[0].toLocal8Bit() + "' '" + r.paths[1].toLocal8Bit() + "' > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.constData()));
    state.SetBytesProcessed(state.iterations() * 2 * test::SparseRecording::kSamples);
}

void BM_XyDensityWholeRecording(benchmark::State& state) {
    const test::SparseRecording& r = sparse();
    for (auto _ : state) {
        XyRequest request;
        request.xFile = r.paths[0];
        request.yFile = r.paths[1];
        request.to = test::SparseRecording::kSamples;
        const XyResult result = xyDensity(request);
        if (!result.ok || result.density.samples != test::SparseRecording::kSamples) {
            state.SkipWithError("the density failed");
            return;
        }
        benchmark::DoNotOptimize(result.density.counts[0]);
    }
    state.SetBytesProcessed(state.iterations() * 2 * test::SparseRecording::kSamples);
}

constexpr std::int64_t kEventSamples = std::int64_t{1} << 31;
constexpr int kEvents = 10000;

// A sparse pair of 2^31-sample files: holes (code 0) and 10^4 pulses of 2000 samples at code 200 on
// A, a noisy sine over the same stretches of B; the summaries beside both.
struct ManyEvents {
    QTemporaryDir dir;
    QString a = dir.filePath(QStringLiteral("ev.rca")), b = dir.filePath(QStringLiteral("ev.rcb"));
    ManyEvents() {
        std::mt19937 rng(5);
        for (const QString& path : {a, b}) {
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) || !out.resize(kEventSamples))
                std::abort();
            QByteArray piece(2000, static_cast<char>(200));
            for (int i = 0; i < kEvents; ++i) {
                if (path == b)
                    for (int j = 0; j < piece.size(); ++j)
                        piece[j] = static_cast<char>(125 + std::lround(60 * std::sin(j / 80.0)) + rng() % 9);
                out.seek(kEventSamples / kEvents * i + 1000);
                out.write(piece);
            }
            out.close();
            if (!buildSampleSummary(path))
                std::abort();
        }
    }
};

ManyEvents& manyEvents() {
    static ManyEvents e;
    return e;
}

TriggerSettings pulseTrigger() {
    TriggerSettings s;
    s.level = 125;
    s.hysteresis = 10;
    return s;
}

void BM_EventSearchManyEvents(benchmark::State& state) {
    const ManyEvents& e = manyEvents();
    for (auto _ : state) {
        EventSearch search(e.a, pulseTrigger());
        CoreError error;
        std::int64_t events = 0;
        if (!search.open(error) ||
            search.forEach([&](const TriggerEvent&) { ++events; }) != EventSearch::Outcome::Done ||
            events != kEvents) {
            state.SkipWithError("the search failed");
            return;
        }
    }
}

void BM_OverlayManyEvents(benchmark::State& state) {
    const ManyEvents& e = manyEvents();
    auto layers = std::make_unique<std::array<Persistence, kChannels>>();
    for (auto _ : state) {
        OverlayRequest request;
        request.triggerFile = e.a;
        request.trigger = pulseTrigger();
        request.sampleFiles = {e.a, e.b, {}, {}};
        const OverlayResult result = overlayEvents(request, *layers);
        if (!result.ok || result.events != kEvents) {
            state.SkipWithError("the overlay failed");
            return;
        }
    }
}

// One frame of fading persistence of a noisy square wave: decay, the frame's counts, the picture.
void BM_PersistenceFrame(benchmark::State& state) {
    std::mt19937 rng(9);
    std::vector<std::array<std::uint8_t, kDisplayColumns>> frames(64);
    for (auto& f : frames)
        for (int k = 0; k < kDisplayColumns; ++k)
            f[static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(((k / 50) % 2 ? 175 : 75) + rng() % 15);
    auto p = std::make_unique<Persistence>();
    p->setMode(PersistenceMode::Fading, 0.9f);
    QImage screen(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    std::size_t i = 0;
    for (auto _ : state) {
        screen.fill(Qt::black);
        const auto& f = frames[i++ % frames.size()];
        p->addFrame(f.data(), f.data());
        drawPersistence(screen, p->counts(), p->peak(), 0x00FFFF);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

} // namespace

BENCHMARK(BM_CatSparseRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_XyDensityWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EventSearchManyEvents)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OverlayManyEvents)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PersistenceFrame)->Unit(benchmark::kMicrosecond);
