// The frame parser against memcpy of the same bytes, and one whole acquisition tick of a full
// receive buffer (read from the link, parse, two appends to the sample files).
#include "app/Clock.h"
#include "device/Acquisition.h"
#include "device/FrameParser.h"
#include "device/Protocol.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace varnilog;

namespace {

std::vector<std::uint8_t> cleanFrames(std::size_t bytes) {
    std::vector<std::uint8_t> out(bytes);
    for (std::size_t i = 0; i + 3 < bytes; i += 4) {
        out[i] = kFrameMarkerA;
        out[i + 1] = static_cast<std::uint8_t>(i * 7);
        out[i + 2] = kFrameMarkerB;
        out[i + 3] = static_cast<std::uint8_t>(i >> 5);
    }
    return out;
}

void BM_Memcpy(benchmark::State& state) {
    const auto input = cleanFrames(kRxBufferSize);
    std::vector<std::uint8_t> dest(input.size());
    for (auto _ : state) {
        std::memcpy(dest.data(), input.data(), input.size());
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRxBufferSize);
}
BENCHMARK(BM_Memcpy);

void BM_ParseFrames(benchmark::State& state) {
    const auto input = cleanFrames(kRxBufferSize);
    std::vector<std::uint8_t> a(kAcqBlockSize), b(kAcqBlockSize);
    for (auto _ : state) {
        const FrameParseResult r = parseFrames(input, a.data(), b.data());
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRxBufferSize);
}
BENCHMARK(BM_ParseFrames);

// A port that answers the identification and then always has a full buffer of clean frames.
class FullBufferLink final : public SerialLink {
public:
    FullBufferLink() : frames_(cleanFrames(kRxBufferSize)) {}
    // The acquisition whose carried bytes bound what one tick may take.
    const Acquisition* acquisition = nullptr;
    bool open(const QString&) override { return open_ = true; }
    bool isOpen() const override { return open_; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override {
        identifying_ = bytes.size() == 8 && bytes[0] == identifyCommand()[0];
        streaming_ = bytes.size() == 8 && !identifying_;
        return static_cast<std::int64_t>(bytes.size());
    }
    std::int64_t queuedBytes() override {
        if (identifying_)
            return 1;
        // The most a tick takes without tripping the overflow rule.
        return streaming_ ? kRxBufferSize - 2 * acquisition->carriedBytes() : 0;
    }
    std::int64_t read(std::span<std::uint8_t> dest) override {
        if (identifying_) {
            dest[0] = 1;
            identifying_ = false;
            return 1;
        }
        std::memcpy(dest.data(), frames_.data(), dest.size());
        return static_cast<std::int64_t>(dest.size());
    }
    void purge() override {}
    bool close() override {
        open_ = false;
        return true;
    }
    bool failed() const override { return false; }

private:
    std::vector<std::uint8_t> frames_;
    bool open_ = false;
    bool identifying_ = false;
    bool streaming_ = false;
};

// Every reading is a new second, so a new recording never waits for a free name.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return time_ = time_.addSecs(1); }
    void sleepMs(int) override {}

private:
    mutable QDateTime time_{QDate(2024, 1, 1), QTime(0, 0)};
};

void BM_FullBufferTick(benchmark::State& state) {
    QTemporaryDir dir;
    auto shared = std::make_unique<SharedState>();
    shared->dataDir = dir.path();
    FullBufferLink link;
    SteppingClock clock;
    Acquisition acq(*shared, link, clock, nullptr);
    link.acquisition = &acq;
    acq.start();
    int ticks = 0;
    for (auto _ : state) {
        const TickResult r = acq.tick(true);
        if (r.status != TickStatus::Received) {
            state.SkipWithError("tick did not receive");
            break;
        }
        if (++ticks % 200 == 0) { // keep the files at a few tens of megabytes
            state.PauseTiming();
            const StopResult stopped = acq.stop();
            QFile::remove(stopped.rosPath);
            QFile::remove(siblingPath(stopped.rosPath, ".rca"));
            QFile::remove(siblingPath(stopped.rosPath, ".rcb"));
            acq.start();
            state.ResumeTiming();
        }
    }
    acq.stop();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRxBufferSize);
}
BENCHMARK(BM_FullBufferTick)->Unit(benchmark::kMicrosecond);

} // namespace
