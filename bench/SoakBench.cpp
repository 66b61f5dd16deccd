// Soak run of a recording: the simulated board (counter ramp) on a pseudo-terminal at the line rate
// (20 us time base, 92 160 bytes/s), the POSIX serial link with its reader thread, the acquisition
// ticked every 50 ms with the preview on and redrawn, as the main window's timer does, and the window
// thread stalled for 2 s every 30 s. The live spectrum is on at its largest block and mean (the window
// hands it each tick's samples, its worker transforms them) unless VARNILOG_SOAK_SPECTRUM is 0. At the
// end the whole recorded files are checked against the ramp and against the frames the board sent. One
// iteration; 10 minutes unless VARNILOG_SOAK_SECONDS says otherwise. Fails when a frame was lost or
// duplicated or the data has a gap over 1 s.
#include "app/Configuration.h"
#include "app/CoreMessages.h"
#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "device/PtyBoard.h"
#include "spectrum/LiveSpectrum.h"
#include "support/OffscreenGui.h"
#include "view/WaveformRenderer.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace varnilog;
using SteadyClock = std::chrono::steady_clock;

constexpr double kFramesPerSecond = BoardSimulator::kLineBytesPerSecond / 4.0; // 23 040 at 20 us
constexpr auto kTick = std::chrono::milliseconds(Acquisition::kTickIntervalMs);
constexpr auto kStallEvery = std::chrono::seconds(30);
constexpr auto kStallLength = std::chrono::seconds(2);
constexpr double kGapSeconds = 1.0;

int soakSeconds() {
    const char* text = std::getenv("VARNILOG_SOAK_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 600;
}

double secondsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Peak resident set (VmHWM) of this process in kB, -1 when /proc cannot tell.
long peakRssKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<long> threadIds() {
    std::vector<long> ids;
    for (const QString& entry :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ids.push_back(entry.toLong());
    return ids;
}

// User and system time of the threads of this process named, from /proc (clock ticks).
double threadsCpuSeconds(const std::vector<long>& ids) {
    double ticks = 0;
    for (long id : ids) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(id));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The command name may hold spaces; the fields after it start with the state (field 3).
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            ticks += static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()); // utime, stime
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::int64_t fileSize(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// Follows the recorded counter (A = low byte, B = high byte of the sample number) block by block.
// A forward jump counts the frames skipped as lost, a backward one the frames seen again as
// duplicated; jumps of half the 16-bit cycle or more read as backward.
class RampChecker {
public:
    void feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t n) {
        for (std::int64_t i = 0; i < n; ++i) {
            const auto value = static_cast<std::uint16_t>(a[i] | (b[i] << 8));
            const auto step = static_cast<std::uint16_t>(value - expected_);
            if (step != 0 && step < 0x8000)
                lost_ += step;
            else if (step != 0)
                duplicated_ += 0x10000 - step;
            expected_ = static_cast<std::uint16_t>(value + 1);
        }
        samples_ += n;
    }
    // Samples of one channel that have no partner in the other file.
    void unpaired(std::int64_t n) { lost_ += n; }
    std::int64_t lost() const { return lost_; }
    std::int64_t duplicated() const { return duplicated_; }
    std::int64_t samples() const { return samples_; }

private:
    std::uint16_t expected_ = 0;
    std::int64_t lost_ = 0;
    std::int64_t duplicated_ = 0;
    std::int64_t samples_ = 0;
};

// How far the recorded data falls behind the time the board has been streaming, from the growth of
// the file at each tick. Nothing is excluded: a stalled window thread makes one long interval, and
// the tick after it must bring that interval's data, or the shortfall counts.
class GapMeter {
public:
    void onTick(double intervalSeconds, std::int64_t newSamples) {
        behind_ =
            std::max(0.0, behind_ + intervalSeconds - static_cast<double>(newSamples) / kFramesPerSecond);
        worst_ = std::max(worst_, behind_);
        if (behind_ > kGapSeconds && !inGap_)
            ++gaps_;
        inGap_ = behind_ > kGapSeconds;
        if (newSamples > 0) {
            longestDry_ = std::max(longestDry_, dry_ + intervalSeconds);
            dry_ = 0.0;
        } else {
            dry_ += intervalSeconds;
        }
    }
    int gaps() const { return gaps_; }
    double worstLagSeconds() const { return worst_; }
    // Longest wall time between two ticks that found new data (a stall shows here, not as a gap).
    double longestDrySeconds() const { return std::max(longestDry_, dry_); }

private:
    double behind_ = 0.0, worst_ = 0.0, dry_ = 0.0, longestDry_ = 0.0;
    bool inGap_ = false;
    int gaps_ = 0;
};

// The checkers are what make a clean soak mean something: they must see faults of hand-made streams.
std::string checkersFaultless() {
    std::vector<int> wrapRamp(65536 + 3); // 0 .. 65 535, then 0, 1, 2 again
    for (std::size_t n = 0; n < wrapRamp.size(); ++n)
        wrapRamp[n] = static_cast<int>(n % 65536);
    std::vector<int> lostAtWrap(wrapRamp.begin(), wrapRamp.begin() + 65536);
    lostAtWrap.push_back(2); // 0 and 1 of the next cycle missing
    struct RampCase {
        const char* what;
        std::vector<int> numbers; // sample numbers as recorded
        std::int64_t lost, duplicated;
    };
    const RampCase ramps[] = {
        {"clean across the 16-bit wrap", wrapRamp, 0, 0},
        {"clean short ramp", {0, 1, 2, 3}, 0, 0},
        {"three lost", {0, 1, 5, 6}, 3, 0},
        {"first frame lost", {1, 2, 3}, 1, 0},
        {"two seen again", {0, 1, 2, 3, 2, 3, 4}, 0, 2},
        {"lost across the wrap", lostAtWrap, 2, 0},
    };
    for (const RampCase& c : ramps) {
        std::vector<std::uint8_t> a, b;
        for (int n : c.numbers) {
            a.push_back(static_cast<std::uint8_t>(n & 0xFF));
            b.push_back(static_cast<std::uint8_t>(n >> 8));
        }
        RampChecker check;
        check.feed(a.data(), b.data(), static_cast<std::int64_t>(a.size()));
        if (check.lost() != c.lost || check.duplicated() != c.duplicated)
            return std::string("ramp check wrong: ") + c.what;
    }
    struct GapCase {
        const char* what;
        std::vector<std::pair<double, std::int64_t>> ticks; // interval s, new samples
        int gaps;
    };
    const GapCase gapCases[] = {
        {"2 s stall, data caught up", {{0.05, 1152}, {2.05, 47232}, {0.05, 1152}}, 0},
        {"1.2 s without data", {{0.05, 1152}, {0.6, 0}, {0.6, 0}, {0.05, 1152}}, 1},
        {"stall, only half brought", {{2.05, 23040}, {0.05, 1152}}, 1},
        {"two separate gaps", {{1.1, 0}, {0.05, 30000}, {1.1, 0}}, 2},
    };
    for (const GapCase& c : gapCases) {
        GapMeter meter;
        for (auto [interval, samples] : c.ticks)
            meter.onTick(interval, samples);
        if (meter.gaps() != c.gaps)
            return std::string("gap meter wrong: ") + c.what;
    }
    return {};
}

struct SoakFigures {
    std::string error;
    // CPU: the whole process (window thread, port reader, simulated board), and its parts.
    double recordingSeconds = 0, cpuSeconds = 0, windowCpuSeconds = 0, readerCpuSeconds = 0;
    int readerThreads = 0;
    std::int64_t framesSent = 0, framesRecorded = 0, lost = 0, duplicated = 0;
    int gaps = 0, ticks = 0, stalls = 0;
    std::int64_t spectrumUpdates = 0;
    double worstLagSeconds = 0, longestDrySeconds = 0, longestTickMs = 0;
    long rssEarlyKb = -1, rssEndKb = -1;
};

// Everything a recording needs, as the main window holds it.
struct SoakRig {
    SoakRig() : board(counterBoard()) {}
    static BoardOptions counterBoard() {
        BoardOptions o;
        o.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
        return o;
    }

    QTemporaryDir dir;
    PtyBoard board;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::unique_ptr<ViewBuffers> view = std::make_unique<ViewBuffers>(); // the window's, for the preview
    PosixSerialLink link;
    SystemClock clock;
    Acquisition acq{*state, link, clock, nullptr};
    LiveSpectrum spectrum;
    LiveSpectrumSettings spectrumSettings{fftMaxSize, liveMaxAverage, {true, true}};
};

void checkFiles(const QString& rca, const QString& rcb, SoakFigures& f) {
    QFile a(rca), b(rcb);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly)) {
        f.error = "recorded files cannot be read";
        return;
    }
    constexpr qint64 kBlock = 1 << 20;
    std::vector<std::uint8_t> blockA(kBlock), blockB(kBlock);
    RampChecker check;
    for (;;) {
        const qint64 gotA = a.read(reinterpret_cast<char*>(blockA.data()), kBlock);
        const qint64 gotB = b.read(reinterpret_cast<char*>(blockB.data()), kBlock);
        const qint64 paired = std::min(gotA, gotB);
        if (paired <= 0)
            break;
        check.feed(blockA.data(), blockB.data(), paired);
    }
    check.unpaired(std::abs(a.size() - b.size()));
    f.framesRecorded = a.size();
    f.duplicated = check.duplicated();
    // Frames the board sent that are not in the file, even a whole 16-bit cycle the ramp cannot see.
    const std::int64_t missing = f.framesSent - (check.samples() - check.duplicated());
    f.lost = std::max(check.lost(), missing);
}

// The window thread: the 50 ms timer with a redraw of the preview, stalled now and then.
void runTicks(SoakRig& rig, const QString& rca, int seconds, SoakFigures& f) {
    const QByteArray rcaPath = rca.toLocal8Bit();
    GapMeter meter;
    const char* spectrumText = std::getenv("VARNILOG_SOAK_SPECTRUM");
    const bool spectrumOn = spectrumText == nullptr || std::strcmp(spectrumText, "0") != 0;
    const auto begin = SteadyClock::now();
    const auto end = begin + std::chrono::seconds(seconds);
    const auto earlyAt = begin + std::chrono::seconds(seconds >= 120 ? 60 : seconds / 2);
    auto nextTick = begin + kTick, nextStall = begin + kStallEvery, lastTick = begin;
    std::int64_t lastSize = 0;
    while (SteadyClock::now() < end) {
        std::this_thread::sleep_until(nextTick);
        if (SteadyClock::now() >= nextStall) {
            std::this_thread::sleep_for(kStallLength);
            nextStall += kStallEvery;
            ++f.stalls;
        }
        const auto tickStart = SteadyClock::now();
        const TickResult t = rig.acq.tick(true);
        if (t.previewChanged)
            renderWaveform(*rig.state, *rig.view);
        if (spectrumOn && t.samples > 0)
            rig.spectrum.feed(rig.acq.tickSamples(0), rig.acq.tickSamples(1), t.samples,
                              rig.spectrumSettings);
        const auto now = SteadyClock::now();
        f.longestTickMs = std::max(f.longestTickMs, secondsBetween(tickStart, now) * 1e3);
        ++f.ticks;
        if (t.endsSampling()) {
            f.error = "sampling ended: " + coreMessage(t.failure).toStdString();
            break;
        }
        const std::int64_t size = fileSize(rcaPath.constData());
        meter.onTick(secondsBetween(lastTick, now), size - lastSize);
        lastSize = size;
        lastTick = now;
        if (f.rssEarlyKb < 0 && now >= earlyAt)
            f.rssEarlyKb = peakRssKb();
        // A late timer fires once, not once for every period it missed.
        nextTick = std::max(nextTick + kTick, now);
    }
    f.recordingSeconds = secondsBetween(begin, SteadyClock::now());
    f.spectrumUpdates = rig.spectrum.updates();
    f.gaps = meter.gaps();
    f.worstLagSeconds = meter.worstLagSeconds();
    f.longestDrySeconds = meter.longestDrySeconds();
}

SoakFigures runSoak(int seconds) {
    SoakFigures f;
    ensureOffscreenGui();
    SoakRig rig;
    if (!rig.dir.isValid() || !rig.board.start()) {
        f.error = "no temporary folder or pseudo-terminal";
        return f;
    }
    SharedState& s = *rig.state;
    s.comPortName = rig.board.slavePath();
    s.dataDir = rig.dir.path();
    s.timeBaseIndex = 15; // 20 us: the board is limited by the line
    sizeBitmaps(*rig.view);
    paintBackground(rig.view->bmpBackground, s.backgroundColor1, s.backgroundColor2, s.gradientOn);
    const std::vector<long> threadsBefore = threadIds();
    const StartResult started = rig.acq.start();
    // The threads the start made: the port's reader.
    std::vector<long> reader;
    for (long id : threadIds())
        if (std::find(threadsBefore.begin(), threadsBefore.end(), id) == threadsBefore.end())
            reader.push_back(id);
    if (started.status != StartStatus::Sampling) {
        f.error = "recording did not start";
        return f;
    }
    const QString rca = rig.dir.filePath(started.baseName + ".rca");
    const double cpuBefore = cpuSeconds(RUSAGE_SELF), windowCpuBefore = cpuSeconds(RUSAGE_THREAD);
    const double readerCpuBefore = threadsCpuSeconds(reader);
    runTicks(rig, rca, seconds, f);
    f.cpuSeconds = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    f.windowCpuSeconds = cpuSeconds(RUSAGE_THREAD) - windowCpuBefore;
    f.readerCpuSeconds = threadsCpuSeconds(reader) - readerCpuBefore;
    f.readerThreads = static_cast<int>(reader.size());
    f.rssEndKb = peakRssKb();
    rig.acq.stop();
    f.framesSent = rig.board.framesSent();
    checkFiles(rca, rig.dir.filePath(started.baseName + ".rcb"), f);
    return f;
}

void report(benchmark::State& state, const SoakFigures& f) {
    state.counters["frames_lost"] = static_cast<double>(f.lost);
    state.counters["frames_duplicated"] = static_cast<double>(f.duplicated);
    state.counters["gaps_over_1s"] = f.gaps;
    state.counters["frames_sent"] = static_cast<double>(f.framesSent);
    state.counters["frames_recorded"] = static_cast<double>(f.framesRecorded);
    state.counters["recording_s"] = f.recordingSeconds;
    state.counters["stalls_2s"] = f.stalls;
    state.counters["ticks"] = f.ticks;
    state.counters["worst_data_lag_s"] = f.worstLagSeconds;
    state.counters["longest_tick_interval_s"] = f.longestDrySeconds;
    state.counters["longest_tick_ms"] = f.longestTickMs;
    state.counters["rss_hwm_1min_kB"] = static_cast<double>(f.rssEarlyKb);
    state.counters["rss_hwm_end_kB"] = static_cast<double>(f.rssEndKb);
    const double seconds = std::max(f.recordingSeconds, 1e-9);
    state.counters["cpu_s_per_s"] = f.cpuSeconds / seconds;
    state.counters["window_cpu_s_per_s"] = f.windowCpuSeconds / seconds;
    state.counters["reader_cpu_s_per_s"] = f.readerCpuSeconds / seconds;
    state.counters["reader_threads"] = f.readerThreads;
    state.counters["spectrum_updates"] = static_cast<double>(f.spectrumUpdates);
}

void BM_Soak(benchmark::State& state) {
    const std::string selfTest = checkersFaultless();
    if (!selfTest.empty()) {
        state.SkipWithError(selfTest.c_str());
        return;
    }
    SoakFigures figures;
    for (auto _ : state)
        figures = runSoak(soakSeconds());
    report(state, figures);
    // A failed benchmark shows no counters: the message carries the figures that failed.
    std::string error = figures.error;
    if (error.empty() && (figures.lost != 0 || figures.duplicated != 0 || figures.gaps != 0))
        error = "frames lost or duplicated, or gaps in the data";
    if (!error.empty())
        error += " (lost " + std::to_string(figures.lost) + ", duplicated " +
                 std::to_string(figures.duplicated) + ", gaps over 1 s " + std::to_string(figures.gaps) +
                 ", worst lag " + std::to_string(figures.worstLagSeconds) + " s, longest tick " +
                 std::to_string(figures.longestTickMs) + " ms" + ", after " +
                 std::to_string(static_cast<int>(figures.recordingSeconds)) + " s)";
    if (!error.empty())
        state.SkipWithError(error.c_str());
    state.SetLabel("preview and live spectrum on, 2 s stall every 30 s");
}

} // namespace

BENCHMARK(BM_Soak)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
