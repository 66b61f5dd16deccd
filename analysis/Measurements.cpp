#include "analysis/Measurements.h"

#include "analysis/ReferenceLevels.h"
#include "analysis/SampleScan.h"
#include "recording/FileIdentity.h"
#include "recording/MappedSpan.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "view/SampleCodes.h"
#include "view/ScaleTables.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace varnilog {

namespace {

// Shared by the channels of one measurement.
struct Shared {
    std::atomic<std::int64_t> done{0};
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> total{0};
    std::thread::id caller;
    const MeasureProgress* progress = nullptr;

    // After every block: counts it and, on the calling thread, reports; false when the work must stop.
    bool blockRead(std::int64_t samples) {
        const std::int64_t now = done.fetch_add(samples) + samples;
        if (progress != nullptr && *progress && std::this_thread::get_id() == caller &&
            !(*progress)(now, total))
            stop = true;
        return !stop;
    }
};

struct Job {
    int channel = 0;
    std::int64_t end = 0; // one past the last sample of the span the file holds
    ChannelMeasurements* out = nullptr;
    QString error;
};

// Reads [from, end) of file block by block, mapped or into buffer + 2 (keeping the two codes before
// each block in buffer[0..1]); calls use(codes, first, count, last) per block, the two codes before
// codes readable. False on a read error or a stop.
template <typename Use>
bool readSpan(QFile& file, std::int64_t from, std::int64_t end, std::vector<std::uint8_t>& buffer,
              Shared& shared, QString& error, Use use) {
    const auto block = static_cast<std::int64_t>(buffer.size()) - 2;
    // Mapped where the system can: the blocks are scanned where the page cache holds them.
    if (const MappedSpan mapped(file.handle(), from, end - from); mapped.valid()) {
        for (std::int64_t first = from; first < end;) {
            const std::int64_t want = std::min(block, end - first);
            use(mapped.data() + (first - from), first, want, first + want == end);
            first += want;
            if (!shared.blockRead(want))
                return false;
        }
        if (!mapped.damaged())
            return true;
        error = QStringLiteral("the recording changed while it was read");
        return false;
    }
    if (!file.seek(from)) {
        error = file.errorString();
        return false;
    }
    for (std::int64_t first = from; first < end;) {
        const std::int64_t want = std::min(block, end - first);
        qint64 got = 0;
        while (got < want) {
            const qint64 n = file.read(reinterpret_cast<char*>(buffer.data() + 2 + got), want - got);
            if (n <= 0) {
                error = n < 0 ? file.errorString() : QStringLiteral("the file ended early");
                return false;
            }
            got += n;
        }
        use(buffer.data() + 2, first, want, first + want == end);
        std::memmove(buffer.data(), buffer.data() + want, 2);
        first += want;
        if (!shared.blockRead(want))
            return false;
    }
    return true;
}

void fillLevels(ChannelMeasurements& m, std::uint8_t sensitivity, const CodeStatistics& stats) {
    const double n = static_cast<double>(stats.count);
    const double scale = voltsPerCode(sensitivity);
    m.voltsPerCode = scale;
    // Sums of d = s - 125 and of d^2, exact in integers.
    const auto count = stats.count;
    constexpr std::int64_t zero = kZeroLine;
    const std::int64_t sumD = static_cast<std::int64_t>(stats.sum) - zero * count;
    const std::int64_t sumD2 = static_cast<std::int64_t>(stats.sumSq) -
                               2 * zero * static_cast<std::int64_t>(stats.sum) + zero * zero * count;
    __extension__ using Wide = __int128;
    const Wide spread = static_cast<Wide>(count) * sumD2 - static_cast<Wide>(sumD) * sumD; // N^2 * variance
    m.max = codeVolts(stats.hi, sensitivity);
    m.min = codeVolts(stats.lo, sensitivity);
    m.pkpk = *m.max - *m.min;
    m.mean = static_cast<double>(sumD) * scale / n;
    m.rms = std::sqrt(static_cast<double>(sumD2) / n) * scale;
    m.acrms = std::sqrt(static_cast<double>(spread)) / n * scale;
}

void fillEdges(ChannelMeasurements& m, float samplingPeriodMs, const EdgeSummary& e) {
    const auto periodMs = static_cast<double>(samplingPeriodMs);
    if (e.risingEdges >= 2) {
        m.periods = e.risingEdges - 1;
        const double span = e.lastRise - e.firstRise;
        m.period = span / static_cast<double>(m.periods) * periodMs;
        m.frequency = 1000.0 / *m.period;
        m.duty = e.highTime / span;
    }
    if (e.riseTimes > 0)
        m.rise = e.riseSum / static_cast<double>(e.riseTimes) * periodMs;
    if (e.fallTimes > 0)
        m.fall = e.fallSum / static_cast<double>(e.fallTimes) * periodMs;
}

// At most this many fresh starts of the edge scan while the sums are read, each from the span's start
// to where the reference codes counted so far changed, and only within the first eighth of the span.
constexpr int kMaxRestarts = 16;

bool runJob(const MeasureRequest& request, Job& job, Shared& shared, const PeriodSink& periods) {
    QFile file;
    if (!openSetFileForReading(file, request.sampleFiles[static_cast<std::size_t>(job.channel)])) {
        job.error = file.errorString();
        return false;
    }
    const FileIdentity& expected = request.sampleIdentity[static_cast<std::size_t>(job.channel)];
    if (expected.exists() && !expected.sameFile(identityOf(file.handle()))) {
        job.error = QStringLiteral("the recording changed while it was read");
        return false;
    }
    const auto bufferSize = static_cast<std::size_t>(std::max<std::int64_t>(request.blockSamples, 1) + 2);
    std::vector<std::uint8_t> buffer(bufferSize);
    CodeStatistics stats;
    ReferenceTally tally;
    // The edges need the span's reference codes, which a signal usually shows in its first periods:
    // so the edges are scanned along with the sums, with the reference codes of the samples read so
    // far, and scanned again from the start whenever those change early on. The scan is kept when the
    // whole span's codes turn out the same, else a second pass scans again; so it is with a period
    // listing, which must not see periods of a discarded scan.
    const bool speculating = !periods;
    std::optional<EdgeScanner> scanner;
    std::optional<ReferenceCodes> used; // the codes of the scanner's levels
    int restarts = 0;
    QFile again;
    std::vector<std::uint8_t> againBuffer;
    const auto alongTheSums = [&](const std::uint8_t* codes, std::int64_t first, std::int64_t n, bool last) {
        const std::optional<ReferenceCodes> guess = tally.codes();
        const std::int64_t reach = first - request.from; // samples to scan again
        if (!guess || (restarts > 0 &&
                       (guess == used || restarts >= kMaxRestarts || reach > (job.end - request.from) / 8))) {
            if (scanner)
                scanner->scan(codes, first, n, last);
            return;
        }
        ++restarts;
        used = guess;
        scanner.reset();
        const std::optional<EdgeLevels> levels = EdgeLevels::of(used->low, used->high);
        if (!levels)
            return; // no edges with these codes; a wider range starts a scan
        scanner.emplace(*levels, request.from);
        if (reach > 0) {
            if (!again.isOpen() && !openSetFileForReading(again, fileNameOf(file))) {
                job.error = again.errorString();
                shared.stop = true;
                return;
            }
            againBuffer.resize(bufferSize);
            shared.total += reach;
            if (!readSpan(again, request.from, first, againBuffer, shared, job.error,
                          [&](const std::uint8_t* c, std::int64_t f, std::int64_t k, bool) {
                              scanner->scan(c, f, k, false);
                          })) {
                shared.stop = true;
                return;
            }
        }
        scanner->scan(codes, first, n, last);
    };
    if (!readSpan(file, request.from, job.end, buffer, shared, job.error,
                  [&](const std::uint8_t* codes, std::int64_t first, std::int64_t n, bool last) {
                      tally.add(codes, static_cast<std::size_t>(n), stats);
                      if (speculating)
                          alongTheSums(codes, first, n, last);
                  }))
        return false;
    fillLevels(*job.out, request.channelSensitivity[static_cast<std::size_t>(job.channel)], stats);
    std::optional<ReferenceCodes> reference = tally.codes();
    if (!reference) {
        // The span changed so much after its start that the tails counted miss its reference codes.
        ReferenceTally every(false);
        shared.total += job.end - request.from;
        if (!readSpan(file, request.from, job.end, buffer, shared, job.error,
                      [&](const std::uint8_t* codes, std::int64_t, std::int64_t n, bool) {
                          every.add(codes, static_cast<std::size_t>(n));
                      }))
            return false;
        reference = every.codes();
    }
    if (speculating && reference == used) {
        if (scanner)
            fillEdges(*job.out, request.samplingPeriodMs, scanner->summary());
        return true;
    }
    const std::optional<EdgeLevels> levels = EdgeLevels::of(reference->low, reference->high);
    if (!levels)
        return true;
    std::function<void(const PeriodSpan&)> periodDone;
    if (periods)
        periodDone = [&](const PeriodSpan& p) {
            periods({job.channel, static_cast<double>(request.from) + p.start, p.end - p.start,
                     p.fall - p.start, p.lo, p.hi});
        };
    if (!periods)
        shared.total += job.end - request.from;
    EdgeScanner second(*levels, request.from, std::move(periodDone));
    if (!readSpan(file, request.from, job.end, buffer, shared, job.error,
                  [&](const std::uint8_t* codes, std::int64_t first, std::int64_t n, bool last) {
                      second.scan(codes, first, n, last);
                  }))
        return false;
    fillEdges(*job.out, request.samplingPeriodMs, second.summary());
    return true;
}

} // namespace

void measureCodes(const std::uint8_t* codes, std::int64_t count, std::uint8_t sensitivity,
                  float samplingPeriodMs, ChannelMeasurements& m) {
    m = ChannelMeasurements{};
    m.measured = true;
    m.samples = std::max<std::int64_t>(count, 0);
    if (m.samples == 0)
        return;
    // The sums and the tails of the codes in one pass, as a file's span is read; every code is
    // counted again only where the tails cannot decide.
    CodeStatistics stats;
    ReferenceTally tally;
    tally.add(codes, static_cast<std::size_t>(m.samples), stats);
    fillLevels(m, sensitivity, stats);
    std::optional<ReferenceCodes> reference = tally.codes();
    if (!reference) {
        ReferenceTally every(false);
        every.add(codes, static_cast<std::size_t>(m.samples));
        reference = every.codes();
    }
    if (const std::optional<EdgeLevels> levels = EdgeLevels::of(reference->low, reference->high)) {
        EdgeScanner scanner(*levels, 0);
        scanner.scan(codes, 0, m.samples, true);
        fillEdges(m, samplingPeriodMs, scanner.summary());
    }
}

namespace {

// The tails of the counted codes (exact for the codes <= low and >= high) that hold 1 / 50 of the n
// samples each, four times what the reference codes need; a tail never grows past what was counted.
TailHint tailsOf(const CodeCounts& counts, std::int64_t n, std::uint8_t low, std::uint8_t high) {
    const std::int64_t share = (n + 49) / 50;
    TailHint hint{true, low, high};
    std::int64_t seen = 0;
    for (int c = 0; c <= low; ++c)
        if ((seen += counts[static_cast<std::size_t>(c)]) >= share) {
            hint.low = static_cast<std::uint8_t>(c);
            break;
        }
    seen = 0;
    for (int c = 255; c >= high; --c)
        if ((seen += counts[static_cast<std::size_t>(c)]) >= share) {
            hint.high = static_cast<std::uint8_t>(c);
            break;
        }
    return hint;
}

} // namespace

void measureCodes(const std::uint8_t* codes, std::int64_t count, std::uint8_t sensitivity,
                  float samplingPeriodMs, ChannelMeasurements& m, TailHint& hint) {
    m = ChannelMeasurements{};
    m.measured = true;
    m.samples = std::max<std::int64_t>(count, 0);
    if (m.samples == 0)
        return;
    const auto n = static_cast<std::size_t>(m.samples);
    CodeStatistics stats;
    CodeCounts counts{};
    std::optional<ReferenceCodes> reference;
    if (hint.known) {
        addTailCountsAndStatistics(codes, n, hint.low, hint.high, counts, stats);
        // Exact where it decides: the counts are exact for every code it looks at.
        reference = referenceCodes(counts, m.samples, hint.low, hint.high);
        if (reference)
            hint = tailsOf(counts, m.samples, hint.low, hint.high);
    } else {
        stats.add(codes, n);
    }
    if (!reference) {
        counts = {};
        addCodeCounts(codes, n, counts);
        reference = referenceCodes(counts, m.samples);
        hint = tailsOf(counts, m.samples, 255, 0);
    }
    fillLevels(m, sensitivity, stats);
    if (const std::optional<EdgeLevels> levels = EdgeLevels::of(reference->low, reference->high)) {
        EdgeScanner scanner(*levels, 0);
        scanner.scan(codes, 0, m.samples, true);
        fillEdges(m, samplingPeriodMs, scanner.summary());
    }
}

MeasureRequest measureRequestFor(const SharedState& state, std::int64_t from, std::int64_t to) {
    MeasureRequest request;
    for (int c = 0; c < kChannels; ++c) {
        const QString path = sampleFilePath(state.recordingPath, c);
        if (identityOf(path).regular)
            request.sampleFiles[c] = path;
        request.sampleIdentity[c] = identityOf(state.sampleFile[c].handle());
    }
    request.channelCount = state.channelCount;
    request.channelSensitivity = state.channelSensitivity;
    request.samplingPeriodMs = state.samplingPeriodMs;
    request.from = from;
    request.to = to;
    return request;
}

MeasureResult measureSpan(const MeasureRequest& request, const MeasureProgress& progress,
                          const PeriodSink& periods) {
    MeasureResult result;
    Shared shared;
    shared.caller = std::this_thread::get_id();
    shared.progress = &progress;
    std::vector<Job> jobs;
    const int channels = std::clamp(request.channelCount, 0, kChannels);
    for (int c = 0; c < channels; ++c) {
        if (request.sampleFiles[c].isEmpty())
            continue;
        ChannelMeasurements& m = result.channels[c];
        m.measured = true;
        const std::int64_t size = identityOf(request.sampleFiles[c]).size;
        const std::int64_t end = std::min(request.to, size);
        m.samples = std::max<std::int64_t>(end - request.from, 0);
        if (m.samples > 0) {
            jobs.push_back({c, end, &m, {}});
            shared.total += (periods ? 2 : 1) * m.samples;
        }
    }

    // Channels are taken in turn by the calling thread and, without a period sink, by helpers.
    std::atomic<std::size_t> nextJob{0};
    const auto runJobs = [&] {
        for (std::size_t i = nextJob++; i < jobs.size() && !shared.stop; i = nextJob++)
            if (!runJob(request, jobs[i], shared, periods) && !jobs[i].error.isEmpty())
                shared.stop = true;
    };
    const int helpers =
        periods ? 0 : std::min(std::max(request.workers, 1), static_cast<int>(jobs.size())) - 1;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable finished;
    int running = helpers;
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back([&] {
            runJobs();
            const std::lock_guard lock(mutex);
            --running;
            finished.notify_all();
        });
    runJobs();
    // The helpers' blocks are reported from here until the last one is done.
    for (std::unique_lock lock(mutex); running > 0;) {
        if (finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; }))
            break;
        lock.unlock();
        if (progress && !progress(shared.done, shared.total))
            shared.stop = true;
        lock.lock();
    }
    for (std::thread& t : threads)
        t.join();

    for (const Job& job : jobs) {
        if (!job.error.isEmpty()) {
            result.ok = false;
            result.error = QStringLiteral("%1: %2").arg(request.sampleFiles[job.channel], job.error);
            return result;
        }
    }
    if (shared.stop) {
        result.ok = false;
        result.cancelled = true;
        return result;
    }
    if (progress)
        progress(shared.total, shared.total);
    return result;
}

} // namespace varnilog
