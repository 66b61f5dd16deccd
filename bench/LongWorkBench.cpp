// The spectrum window's computation of a long recording (2 x 2^28 samples, sparse files) through the
// long-work mechanism, as the window runs it: how long the window thread goes without handling an
// event (a timer every 10 ms; goal below 100 ms) and how long a cancelled job takes to return (goal at
// most 200 ms). Reference: the straight computation of the same recording in the same run.
#include "app/LongWork.h"
#include "spectrum/RecordingSpectra.h"
#include "support/OffscreenGui.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>

using namespace varnilog;

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Two sample files of 2^28 zero bytes each, holes on disk: the work is the transform, not the reading.
struct SparseRecording {
    static constexpr qint64 kSamples = qint64{1} << 28;
    QTemporaryDir dir;
    std::array<std::unique_ptr<QFile>, 2> files;
    SparseRecording() {
        for (int c = 0; c < 2; ++c) {
            files[c] = std::make_unique<QFile>(dir.filePath(QStringLiteral("big.rc%1").arg(QChar('a' + c))));
            files[c]->open(QIODevice::ReadWrite);
            files[c]->resize(kSamples);
        }
    }
    std::array<QIODevice*, kChannels> devices() { return {files[0].get(), files[1].get(), nullptr, nullptr}; }
};

// Runs the computation through work while a 10 ms timer ticks on this thread; the longest gap between
// two ticks (or between the start, a tick and the end).
double longestGapMs(LongWork& work, const LongWork::Job& job) {
    Clock::time_point last = Clock::now();
    double longest = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, msBetween(last, now));
        last = now;
    });
    tick.start();
    work.start(job);
    work.wait();
    longest = std::max(longest, msBetween(last, Clock::now()));
    return longest;
}

SparseRecording& recording() {
    static SparseRecording rec;
    return rec;
}

// The reference: the same computation straight on this thread (as the window did before).
void BM_StraightSpectrum(benchmark::State& state) {
    RecordingSpectra engine(2);
    auto data = std::make_unique<SpectrumData>();
    for (auto _ : state) {
        engine.ComputeRecordingSpectra(recording().devices(), 2, *data);
        benchmark::DoNotOptimize(data->spectrumPeakAll);
    }
}
BENCHMARK(BM_StraightSpectrum)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_SpectrumThroughLongWork(benchmark::State& state) {
    ensureOffscreenGui();
    SparseRecording& rec = recording();
    RecordingSpectra engine(2);
    auto data = std::make_unique<SpectrumData>();
    double gapMs = 0, cancelMs = 0;
    for (auto _ : state) {
        LongWork work;
        const LongWork::Job compute = [&](const WorkProgress& progress) {
            return engine.ComputeRecordingSpectra(rec.devices(), 2, *data, progress);
        };
        gapMs = longestGapMs(work, compute);
        state.PauseTiming();

        // Cancelled half a second in: from the cancel to the job's return on the worker.
        std::atomic<Clock::time_point> returned{};
        Clock::time_point cancelledAt{};
        work.start([&](const WorkProgress& progress) {
            const bool completed = compute(progress);
            returned.store(Clock::now());
            return completed;
        });
        QTimer::singleShot(500, [&] {
            cancelledAt = Clock::now();
            work.cancel();
        });
        work.wait();
        cancelMs = msBetween(cancelledAt, returned.load());
        if (work.lastCompleted())
            state.SkipWithError("the computation ended before the cancel");
        state.ResumeTiming();
    }
    state.counters["longest_event_gap_ms"] = gapMs;
    state.counters["cancel_to_return_ms"] = cancelMs;
}
BENCHMARK(BM_SpectrumThroughLongWork)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
