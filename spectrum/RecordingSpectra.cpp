#include "spectrum/RecordingSpectra.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace varnilog {

namespace {
constexpr std::uint8_t kZeroLevel = 125;
} // namespace

struct RecordingSpectra::Workspace {
    Fft fft;
    std::array<std::uint8_t, fftSize> bytes{};
    std::array<float, fftSize> samples{};
    // Extended precision: the average of thousands of blocks must not lose the small bins.
    std::array<long double, fftSize> spectrumSum{};
};

RecordingSpectra::RecordingSpectra(int workers) : workers_(std::clamp(workers, 1, kChannels)) {
    for (int w = 0; w < workers_; ++w)
        workspaces_[w] = std::make_unique<Workspace>();
}

RecordingSpectra::~RecordingSpectra() = default;

std::int64_t RecordingSpectra::blockCount(std::int64_t fileSize) {
    return std::max<std::int64_t>(1, fileSize / fftSize);
}

void RecordingSpectra::computeChannel(Workspace& ws, QIODevice* file, std::int64_t blocks,
                                      std::array<float, fftSize>& out,
                                      const std::function<void()>& blockDone) {
    // The accumulator starts at 125, not 0: every averaged bin is then at least 125 / blocks, so the
    // peaks the window divides by are never zero.
    ws.spectrumSum.fill(125.0L);
    const bool readable = file != nullptr && file->isReadable();
    for (std::int64_t j = 0; j < blocks; ++j) {
        ws.bytes.fill(kZeroLevel); // a short or failed read leaves the zero level
        if (readable && file->seek(j * fftSize)) {
            qint64 got = 0;
            while (got < fftSize) {
                const qint64 n = file->read(reinterpret_cast<char*>(ws.bytes.data()) + got, fftSize - got);
                if (n <= 0)
                    break;
                got += n;
            }
        }
        for (int i = 0; i < fftSize; ++i)
            ws.samples[i] = static_cast<float>(ws.bytes[i]) - 125.0f;
        ws.fft.ComputeBlockSpectrum(ws.samples, out);
        for (int k = 0; k < fftSize; ++k)
            ws.spectrumSum[k] += out[k];
        blockDone();
    }
    for (int k = 0; k < fftSize; ++k)
        out[k] = static_cast<float>(ws.spectrumSum[k] / blocks);
}

void RecordingSpectra::ComputeRecordingSpectra(const std::array<QIODevice*, kChannels>& files,
                                               int channelCount, SpectrumData& out,
                                               const Progress& progress) {
    const int count = std::clamp(channelCount, 0, kChannels);
    std::array<std::int64_t, kChannels> blocks{};
    std::int64_t total = 0;
    for (int c = 0; c < count; ++c) {
        QIODevice* f = files[c];
        blocks[c] = blockCount(f != nullptr && f->isOpen() && !f->isSequential() ? f->size() : 0);
        total += blocks[c];
    }
    const int max = static_cast<int>(std::min<std::int64_t>(total, INT32_MAX));
    std::atomic<std::int64_t> done{0};
    std::mutex mutex;
    std::condition_variable changed;
    auto report = [&] {
        if (progress)
            progress(max, static_cast<int>(std::min<std::int64_t>(done.load(), max)));
    };
    // The caller's thread computes its share and reports; the other workers only count.
    auto onCallerBlock = [&] {
        done.fetch_add(1);
        report();
    };
    auto onWorkerBlock = [&] {
        done.fetch_add(1);
        std::lock_guard lock(mutex);
        changed.notify_one();
    };
    report();

    const int workers = std::min(workers_, std::max(count, 1));
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (int w = 1; w < workers; ++w)
        threads.emplace_back([&, w] {
            for (int c = w; c < count; c += workers)
                computeChannel(*workspaces_[w], files[c], blocks[c], out.channelSpectrum[c], onWorkerBlock);
        });
    for (int c = 0; c < count; c += workers)
        computeChannel(*workspaces_[0], files[c], blocks[c], out.channelSpectrum[c], onCallerBlock);
    if (!threads.empty()) {
        std::unique_lock lock(mutex);
        while (done.load() < total) {
            changed.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            report();
            lock.lock();
        }
    }
    for (std::thread& t : threads)
        t.join();

    for (int c = 0; c < count; ++c)
        for (int d = 0; d < spectrumDisplayPoints; ++d) {
            float largest = 0.0f;
            for (int l = 0; l < binsPerDisplayPoint; ++l)
                largest = std::max(largest, out.channelSpectrum[c][binsPerDisplayPoint * d + l]);
            out.spectrumDisplay[c][d] = largest;
        }
    out.spectrumPeakAll = 0.0f;
    out.spectrumPeak.fill(0.0f);
    for (int c = 0; c < count; ++c)
        for (const float bin : out.channelSpectrum[c]) {
            out.spectrumPeakAll = std::max(out.spectrumPeakAll, bin);
            out.spectrumPeak[c] = std::max(out.spectrumPeak[c], bin);
        }
}

} // namespace varnilog
