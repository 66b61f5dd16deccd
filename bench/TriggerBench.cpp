// The trigger: the scan of a whole 2 × 2^28-sample recording with an event every period, against
// `cat` of the same files; the next of 10 rare events in a sparse 2^31-sample recording found with
// the view summaries, against the full scan, with the bytes each reads (/proc/self/io); and the extra
// cost of a tick at the fastest time base with the trigger on.
#include "analysis/EventSearch.h"
#include "analysis/LiveTrigger.h"
#include "bench/CatReference.h"
#include "recording/SampleSummary.h"
#include "support/BigRecording.h"
#include "support/RecordedFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;
constexpr std::int64_t kRareSamples = std::int64_t{1} << 31;
constexpr int kRareEvents = 10;

TriggerSettings zeroRising() {
    TriggerSettings s;
    s.level = 125;
    s.hysteresis = triggerHysteresisCodes(0.4); // above the noise of test::noisyWaves
    return s;
}

void BM_TriggerScanWholeRecording(benchmark::State& state) {
    const test::BigRecording& r = test::noisyWaves(kSamples);
    for (auto _ : state) {
        std::int64_t events = 0;
        for (const QString& path : {r.a(), r.b()}) {
            EventSearch search(path, zeroRising(), 0, -1, false);
            CoreError error;
            if (!search.open(error) ||
                search.forEach([&](const TriggerEvent&) { ++events; }) != EventSearch::Outcome::Done) {
                state.SkipWithError("the scan failed");
                return;
            }
        }
        if (events < 2 * (kSamples / 1000 - 1)) {
            state.SkipWithError("too few events");
            return;
        }
        benchmark::DoNotOptimize(events);
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return test::noisyWaves(kSamples).cat(); }, 2 * kSamples);
}

// A sparse sample file of 2^31 samples: holes (code 0, which arms a rising trigger at 0 V) and ten
// 256-sample pulses at code 200, with its summary.
struct RareEvents {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("rare.rca"));
    RareEvents() {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || !out.resize(kRareSamples))
            std::abort();
        const QByteArray pulse(256, static_cast<char>(200));
        for (int i = 0; i < kRareEvents; ++i) {
            out.seek(kRareSamples / kRareEvents * i + 1000003 * (i + 1));
            out.write(pulse);
        }
        out.close();
        if (!buildSampleSummary(path))
            std::abort();
    }
};

RareEvents& rare() {
    static RareEvents r;
    return r;
}

// The next event after the middle of the recording, with a search made fresh for each find.
void runNext(benchmark::State& state, bool summaries) {
    const QString& path = rare().path;
    const std::int64_t before = test::bytesReadSoFar();
    for (auto _ : state) {
        EventSearch search(path, zeroRising(), 0, -1, summaries);
        CoreError error;
        if (!search.open(error)) {
            state.SkipWithError("cannot open");
            return;
        }
        const EventSearch::Found found = search.next(kRareSamples / 2);
        if (!found.event || found.event->sample != kRareSamples / kRareEvents * 5 + 1000003 * 6) {
            state.SkipWithError("wrong event");
            return;
        }
    }
    state.counters["bytes_read_per_find"] =
        static_cast<double>(test::bytesReadSoFar() - before) / static_cast<double>(state.iterations());
}

void BM_NextRareEventWithSummaries(benchmark::State& state) {
    runNext(state, true);
}
void BM_NextRareEventFullScan(benchmark::State& state) {
    runNext(state, false);
}

// One tick at the fastest time base: what a 921600-baud line brings in 50 ms (1152 samples per channel).
void BM_TriggerTick(benchmark::State& state) {
    constexpr std::int64_t kTick = 92160 / 4 / 20;
    std::vector<std::uint8_t> a(kTick * 64), b(kTick * 64, 125);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<std::uint8_t>(
            125 + std::lround(100 * std::sin(2 * M_PI * static_cast<double>(i) / 300)));
    LiveTrigger trigger;
    LiveTriggerSetup setup;
    setup.mode = TriggerMode::Normal;
    setup.trigger = zeroRising();
    trigger.start(setup);
    std::size_t at = 0;
    for (auto _ : state) {
        const LiveTrigger::Update u = trigger.feed(a.data() + at, b.data() + at, kTick, 50);
        benchmark::DoNotOptimize(u);
        benchmark::DoNotOptimize(trigger.frame()[0][250]);
        at = (at + kTick) % a.size();
    }
}

} // namespace

BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TriggerScanWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NextRareEventWithSummaries)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NextRareEventFullScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_TriggerTick)->Unit(benchmark::kMicrosecond);
