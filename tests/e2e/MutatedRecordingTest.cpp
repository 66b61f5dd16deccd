// A thousand damaged copies of real recordings: header bytes changed, keys with extreme values, sample
// bytes changed, files truncated, extended (also into gigabyte holes), missing, or replaced by a folder,
// a pipe or a device. Each copy goes through the browser's details, the loader, the view at random
// zooms and scroll positions, the spectrum and the export, as a user would take it. The user never
// sees a crash or a frozen window: the batch runs in a child process under memory and CPU limits
// with a wall-clock watchdog here, and reports the copy it was at when anything goes wrong.
#include "app/Configuration.h"
#include "app/CoreMessages.h"
#include "device/BoardSimulator.h"
#include "device/FrameParser.h"
#include "device/Protocol.h"
#include "recording/RecordingDetails.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"
#include "spectrum/RecordingSpectra.h"
#include "view/ScaleTables.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include "support/OffscreenGui.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/Sanitizers.h"
#include "support/SettingsInRange.h"
#include "support/TestFiles.h"
#include <fcntl.h>
#include <sys/resource.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace varnilog;

namespace {

constexpr int kCopies = 1000;
constexpr char kChildDirVariable[] = "VARNILOG_MUTATION_DIR";
#if defined(VARNILOG_UNDER_ASAN) || !defined(NDEBUG)
// Slow builds do the same copies with less work each: a spectrum for every eighth copy, exports of a
// few thousand lines, one stopped after its first block for every eighth copy.
constexpr int kSpectrumEvery = 8;
constexpr int kStopEarlyEvery = 8;
constexpr std::uint32_t kExportLines = 5000;
#else
constexpr int kSpectrumEvery = 1;
constexpr int kStopEarlyEvery = 2;
constexpr std::uint32_t kExportLines = 70000;
#endif

// ---- The real recordings the copies are made from -------------------------------------------

struct BaseRecording {
    const char* name;
    int model;
    Waveform a, b;
    std::uint8_t timeBase;
    std::uint8_t channels; // ILOSCKANALOW; C and D repeat A and B
    int samples;
};
const BaseRecording kBases[] = {
    {"kz100-sine-square", 1, Waveform::Sine, Waveform::Square, 15, 2, 700},
    {"kz200-triangle-noise", 2, Waveform::Triangle, Waveform::Noise, 10, 2, 5000},
    {"kz300-counter-dc-4ch", 3, Waveform::Counter, Waveform::Dc, 12, 4, 140000},
    {"kz400-noise-sine", 4, Waveform::Noise, Waveform::Sine, 22, 2, 300000},
    {"kz100-square-counter-1ch", 1, Waveform::Square, Waveform::Counter, 1, 1, 20000},
    {"kz300-one-sample-3ch", 3, Waveform::Sine, Waveform::Sine, 18, 3, 1},
};

// The board streams at its pace; the frames go through the parser as in a recording.
void simulate(const BaseRecording& base, QByteArray& a, QByteArray& b) {
    BoardOptions options;
    options.model = base.model;
    options.channels = {ChannelSignal{base.a, 50.0, 2.0}, ChannelSignal{base.b, 7.0, 1.0}};
    BoardSimulator board(options);
    const CommandFrame settings = settingsCommand(base.timeBase, {4, 5}, {ModeDC, ModeAC}, {125, 125});
    board.receive(settings, 0);
    const double periodMs = samplingPeriodTable[base.timeBase];
    const double framesPerSecond = std::min(1000.0 / periodMs, 23040.0);
    const double stepFrames = std::min(8000.0, std::max(framesPerSecond, 64.0) * 0.9);
    const auto stepUs = static_cast<std::int64_t>(1e6 * stepFrames / framesPerSecond);
    std::vector<std::uint8_t> bytes(1 << 16), sa(1 << 15), sb(1 << 15);
    std::size_t carried = 0;
    for (std::int64_t now = stepUs; a.size() < base.samples; now += stepUs) {
        carried += board.produce(now, std::span(bytes).subspan(carried));
        const FrameParseResult r =
            parseFrames(std::span(bytes).first(carried), sa.data(), sb.data(), FrameLimit::TakeAll);
        a.append(reinterpret_cast<const char*>(sa.data()), static_cast<qsizetype>(r.pairs));
        b.append(reinterpret_cast<const char*>(sb.data()), static_cast<qsizetype>(r.pairs));
        std::move(bytes.begin() + static_cast<std::ptrdiff_t>(carried - static_cast<std::size_t>(r.carry)),
                  bytes.begin() + static_cast<std::ptrdiff_t>(carried), bytes.begin());
        carried = static_cast<std::size_t>(r.carry);
    }
    a.truncate(base.samples);
    b.truncate(base.samples);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Writes every base recording into dir; returns false when the simulated board did not deliver.
bool makeBaseRecordings(const QString& dir) {
    for (const BaseRecording& base : kBases) {
        QByteArray a, b;
        simulate(base, a, b);
        if (a.size() != base.samples)
            return false;
        SharedState s;
        s.timeBaseIndex = base.timeBase;
        s.channelSensitivity = {4, 5, 4, 5};
        s.channelMode = {ModeDC, ModeAC, ModeDC, ModeAC};
        s.channelOffset = {125, 110, 125, 125};
        s.channelCount = base.channels;
        RecordingFileSet set(dir, QString::fromLatin1(base.name));
        if (!set.writeSettings(s))
            return false;
        const QByteArray files[kChannels] = {a, b, a, b};
        for (int c = 0; c < std::max<int>(2, base.channels); ++c)
            writeBytes(set.path(kRecordingSampleExtensions[c]), files[c]);
    }
    return true;
}

// ---- Mutations ------------------------------------------------------------------------------

class Mutator {
public:
    Mutator(std::uint32_t seed, QString base) : rng_(seed), base_(std::move(base)) {}

    // Applies one to three damages; returns what was done, for the report.
    std::string mutate() {
        std::string done;
        const int count = 1 + below(3);
        for (int i = 0; i < count; ++i)
            done += (i ? ", " : "") + mutateOnce();
        return done;
    }

private:
    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    QString path(const char* ext) const { return base_ + QLatin1String(ext); }
    // Only regular files are read or written here: opening a pipe would stop the batch itself.
    bool regular(const char* ext) const { return QFileInfo(path(ext)).isFile(); }
    bool missing(const char* ext) const {
        return !QFileInfo(path(ext)).exists() && !QFileInfo(path(ext)).isSymLink();
    }
    void clear(const char* ext) const {
        const QFileInfo info(path(ext));
        if (info.isDir() && !info.isSymLink())
            QDir().rmdir(path(ext));
        else
            QFile::remove(path(ext));
    }
    const char* anySampleFile() { return kRecordingSampleExtensions[below(kChannels)]; }
    // A file name turned into something that is not a regular file.
    std::string replaceByNonFile(const char* ext) {
        const QString p = path(ext);
        clear(ext);
        switch (below(3)) {
        case 0:
            QDir().mkdir(p);
            return std::string(ext) + " is a folder";
        case 1:
            ::mkfifo(p.toLocal8Bit().constData(), 0600);
            return std::string(ext) + " is a pipe";
        default:
            QFile::link(QStringLiteral("/dev/zero"), p);
            return std::string(ext) + " links to /dev/zero";
        }
    }
    QByteArray extremeValue() {
        static const char* const values[] = {"-1",          "0",          "256",         "257", "65535",
                                             "-2147483648", "2147483647", "99999999999", "$FF", "0x7FFFFFFF",
                                             "abc",         "",           " 4 ",         "1e3"};
        if (below(8) == 0)
            return QByteArray(5000, '9');
        if (below(3) == 0)
            return QByteArray::number(static_cast<qint32>(rng_()));
        return values[below(static_cast<int>(std::size(values)))];
    }

    std::string mutateOnce() {
        static const char* const keys[] = {"PODSTAWA", "CZULOSCA", "CZULOSCB",     "TRYBA", "TRYBB",
                                           "OFFSETA",  "OFFSETB",  "ILOSCKANALOW", "START"};
        const QString ros = path(".ros");
        switch (below(13)) {
        case 0: { // header bytes changed
            if (!regular(".ros"))
                return "header not a file";
            QByteArray h = test::readFile(ros);
            if (h.isEmpty())
                return "header empty";
            const int n = 1 + below(8);
            for (int i = 0; i < n; ++i)
                h[below(static_cast<int>(h.size()))] = static_cast<char>(rng_());
            writeBytes(ros, h);
            return std::to_string(n) + " header bytes changed";
        }
        case 1:
        case 2: { // a key with an extreme value, last one wins
            const char* key = keys[below(static_cast<int>(std::size(keys)))];
            const QByteArray value = extremeValue();
            QFile f(ros);
            if ((regular(".ros") || missing(".ros")) && f.open(QIODevice::Append))
                f.write(QByteArray("\r\n") + key + "=" + value + "\r\n");
            return std::string(key) + "=" + value.left(20).toStdString();
        }
        case 3: { // header cut
            if (!regular(".ros"))
                return "header not a file";
            QByteArray h = test::readFile(ros);
            const int at = below(static_cast<int>(h.size()) + 1);
            writeBytes(ros, h.left(at));
            return "header cut at " + std::to_string(at);
        }
        case 4: { // header replaced by garbage, now and then far beyond the size limit
            const qint64 size = below(40) == 0 ? kHeaderSizeLimit + below(1 << 16) : below(4096);
            QByteArray junk(size, 0);
            for (char& c : junk)
                c = static_cast<char>(rng_());
            clear(".ros");
            writeBytes(ros, junk);
            return "header is " + std::to_string(size) + " bytes of garbage";
        }
        case 5:
            if (below(3) == 0) {
                clear(".ros");
                return "no header";
            }
            return replaceByNonFile(".ros");
        case 6:
        case 7: { // sample bytes changed
            const char* ext = anySampleFile();
            QFile f(path(ext));
            if (!QFileInfo(f).isFile() || f.size() == 0 || !f.open(QIODevice::ReadWrite))
                return std::string(ext) + " not changed";
            const int n = 1 + below(64);
            for (int i = 0; i < n; ++i) {
                f.seek(static_cast<qint64>(rng_() % static_cast<std::uint64_t>(f.size())));
                const char byte = static_cast<char>(rng_());
                f.write(&byte, 1);
            }
            return std::to_string(n) + " bytes of " + ext + " changed";
        }
        case 8: { // sample file cut
            const char* ext = anySampleFile();
            QFile f(path(ext));
            if (!QFileInfo(f).isFile())
                return std::string(ext) + " not cut";
            const qint64 to = static_cast<qint64>(rng_() % static_cast<std::uint64_t>(f.size() + 1));
            f.resize(to);
            return std::string(ext) + " cut to " + std::to_string(to);
        }
        case 9: { // sample file extended: random bytes, or a hole up to three gigabytes
            const char* ext = anySampleFile();
            if (!regular(ext) && !missing(ext))
                return std::string(ext) + " not a file";
            QFile f(path(ext));
            if (below(4) == 0) {
                const qint64 to = 1 + static_cast<qint64>(rng_() % 3'000'000'000ULL);
                if (f.open(QIODevice::ReadWrite) && f.resize(to))
                    return std::string(ext) + " extended by a hole to " + std::to_string(to);
                return std::string(ext) + " not extended";
            }
            QByteArray more(1 + below(20000), 0);
            for (char& c : more)
                c = static_cast<char>(rng_());
            if (f.open(QIODevice::Append))
                f.write(more);
            return std::string(ext) + " extended by " + std::to_string(more.size());
        }
        case 10: {
            const char* ext = anySampleFile();
            clear(ext);
            return std::string("no ") + ext;
        }
        case 11:
            return replaceByNonFile(anySampleFile());
        default: {
            const char* ext = anySampleFile();
            QFile f(path(ext));
            if (QFileInfo(f).isFile())
                f.resize(0);
            return std::string(ext) + " emptied";
        }
        }
    }

    std::mt19937 rng_;
    QString base_;
};

// ---- What the user does with a copy ---------------------------------------------------------

// Counts what an export writes without keeping it.
class CountingDevice final : public QIODevice {
public:
    std::int64_t lines = 0;
    std::int64_t separators = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        for (qint64 i = 0; i < size; ++i) {
            lines += data[i] == '\n';
            separators += data[i] == ';';
        }
        return size;
    }
};

using test::expectSettingsInRange;

void expectView(const SharedState& s, const ViewBuffers& view, const ViewRefresh& v,
                const std::string& where) {
    ASSERT_GE(s.zoomDivisor, 1) << where;
    ASSERT_GE(v.range.maximum, 0) << where;
    ASSERT_GE(s.viewStart, 0) << where;
    ASSERT_LE(s.viewStart, v.range.maximum) << where;
    ASSERT_GE(v.scrollBar.position, 0) << where;
    ASSERT_LE(v.scrollBar.position, v.scrollBar.maximum) << where;
    if (s.zoomDivisor < 2)
        return;
    for (int c = 0; c < kChannels; ++c)
        for (int x = 0; x < kDisplayColumns; ++x)
            ASSERT_LE(view.columnMin[c][x], s.channelData[c][x])
                << where << " channel " << c << " column " << x;
}

void viewAtRandomZooms(SharedState& s, ViewBuffers& view, std::mt19937& rng, const std::string& where) {
    ViewRefresh v = refreshView(s, view);
    expectView(s, view, v, where + " first view");
    for (int i = 0; i < 3; ++i) {
        switch (rng() % 4) {
        case 0:
            s.zoomDivisor = zoomInDivisor(s.zoomDivisor);
            break;
        case 1:
            s.zoomDivisor = zoomOutDivisor(s.zoomDivisor, s.sampleCount);
            break;
        case 2:
            s.zoomDivisor = showAllDivisor(s.sampleCount);
            s.viewStart = 0;
            break;
        default:
            s.zoomDivisor = 1 + static_cast<std::int32_t>(rng() % (1u << (rng() % 31)));
        }
        s.viewStart = static_cast<std::int64_t>(rng()) * (rng() % 1000);
        v = refreshView(s, view);
        expectView(s, view, v, where + " zoom " + std::to_string(s.zoomDivisor));
        // The scroll bar dragged somewhere.
        const int position =
            v.scrollBar.maximum > 0 ? static_cast<int>(rng() % (v.scrollBar.maximum + 1u)) : 0;
        scrollView(s, view, viewStartAtPosition(v.scrollBar, v.range, position));
        ASSERT_LE(s.viewStart, v.range.maximum) << where;
    }
}

void spectrumOf(SharedState& s, std::mt19937& rng, const std::string& where) {
    auto data = std::make_unique<SpectrumData>();
    const std::int64_t count = std::max<std::int64_t>(s.sampleCount, 0);
    SpectrumSpan span;
    span.first = count > 0 ? static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(count)) : 0;
    // The whole recording when it is short, else up to two blocks: the other channels' files may be
    // gigabytes longer than A's.
    span.first = count <= 2 * fftSize && rng() % 2 == 0 ? 0 : span.first;
    span.length = span.first == 0 && count <= 2 * fftSize
                      ? count
                      : static_cast<std::int64_t>(1 + rng() % (2 * fftSize));
    int reports = 0;
    const int stopAfter = rng() % 4 == 0 ? 1 : 1 << 30;
    static RecordingSpectra spectra(2);
    const bool completed = spectra.ComputeRecordingSpectra(
        {&s.sampleFile[0], &s.sampleFile[1], &s.sampleFile[2], &s.sampleFile[3]}, s.channelCount, *data,
        [&](std::int64_t position, std::int64_t max) {
            EXPECT_GE(position, 0) << where;
            EXPECT_LE(position, max) << where;
            return ++reports <= stopAfter;
        },
        span);
    ASSERT_TRUE(completed || reports > stopAfter) << where;
    if (!completed)
        return;
    for (int c = 0; c < kChannels; ++c) {
        ASSERT_TRUE(std::isfinite(data->spectrumPeak[c])) << where;
        ASSERT_GE(data->spectrumPeak[c], c < s.channelCount ? 1.0f : 0.0f) << where;
    }
}

void exportOf(SharedState& s, std::mt19937& rng, const std::string& where) {
    RecordingInput input(s);
    TextExportSource source = textExportSourceFrom(input);
    const bool stopEarly = rng() % kStopEarlyEvery == 0;
    if (!stopEarly)
        source.sampleCount = std::min<std::int64_t>(source.sampleCount, 1 + rng() % kExportLines);
    CountingDevice out;
    out.open(QIODevice::WriteOnly);
    const TextExportResult e = exportRecordingText(source, out, QLocale::c(),
                                                   [&](std::int64_t, std::int64_t) { return !stopEarly; });
    ASSERT_TRUE(e.ok || e.cancelled) << where << ": " << coreMessage(e.error).toStdString();
    ASSERT_LE(e.linesWritten, std::max<std::int64_t>(source.sampleCount, 0)) << where;
    ASSERT_EQ(out.lines, e.linesWritten) << where;
    ASSERT_EQ(out.separators, e.linesWritten * s.channelCount) << where;
}

// ---- The batch and its watchdog -------------------------------------------------------------

void runBatch(const QString& work, int progressFd) {
    ensureOffscreenGui();
    const QString bases = work + QStringLiteral("/bases");
    const QString copyDir = work + QStringLiteral("/copy");
    ASSERT_TRUE(QDir().mkpath(bases));
    ASSERT_TRUE(makeBaseRecordings(bases));
    auto s = std::make_unique<SharedState>(); // one for the whole run, as in the program
    auto view = std::make_unique<ViewBuffers>();
    sizeBitmaps(*view);
    s->channelVisible = {true, true, true, true};
    int refused = 0;
    for (int i = 0; i < kCopies; ++i) {
        const BaseRecording& base = kBases[i % std::size(kBases)];
        QDir(copyDir).removeRecursively();
        QDir().mkpath(copyDir);
        const QString name = QString::fromLatin1(base.name);
        for (const char* ext : {".ros", ".rca", ".rcb", ".rcc", ".rcd"})
            QFile::copy(bases + '/' + name + QLatin1String(ext), copyDir + '/' + name + QLatin1String(ext));
        const QString stem = copyDir + '/' + name;
        Mutator mutator(static_cast<std::uint32_t>(1000003u * i + 17u), stem);
        const std::string where = "copy " + std::to_string(i) + " of " + base.name + ": " + mutator.mutate();
        const std::string line = where + "\n";
        (void)!::write(progressFd, line.data(), line.size());

        std::mt19937 rng(static_cast<std::uint32_t>(i));
        const RecordingDetails d = readRecordingDetails(stem + ".ros", s->timeBaseIndex, QLocale::c());
        const int shownChannels = d.channels.toInt();
        ASSERT_TRUE(shownChannels >= 1 && shownChannels <= kChannels) << where;

        s->recordingPath = stem + ".ros";
        const LoadResult loaded = loadRecording(*s);
        expectSettingsInRange(*s, where);
        if (!loaded.ok) {
            ASSERT_EQ(coreMessage(loaded.error), QString::fromUtf8("Błąd otwarcia pliku!")) << where;
            ++refused;
        }
        viewAtRandomZooms(*s, *view, rng, where);
        if (i % kSpectrumEvery == 0)
            spectrumOf(*s, rng, where);
        exportOf(*s, rng, where);
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure())
            return;
    }
    const std::string summary =
        "done " + std::to_string(kCopies) + ", refused " + std::to_string(refused) + "\n";
    (void)!::write(progressFd, summary.data(), summary.size());
}

std::string lastLines(const QString& path, int count) {
    const QList<QByteArray> lines = test::readFile(path).trimmed().split('\n');
    std::string out;
    for (qsizetype i = std::max<qsizetype>(0, lines.size() - count); i < lines.size(); ++i)
        out += lines[i].toStdString() + "\n";
    return out;
}

} // namespace

// Runs only inside the child the watchdog below starts.
TEST(MutatedRecordingTest, BatchInTheWatchedChild) {
    VARNILOG_SKIP_UNDER_TSAN("the batch has no threads of its own");
    const QByteArray work = qgetenv(kChildDirVariable);
    if (work.isEmpty())
        GTEST_SKIP() << "runs in the child process started by AThousandDamagedCopiesNeverCrashOrHang";
    const QString dir = QString::fromLocal8Bit(work);
    const int fd = ::open((work + "/progress.txt").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ASSERT_GE(fd, 0);
    runBatch(dir, fd);
    ::close(fd);
}

TEST(MutatedRecordingTest, AThousandDamagedCopiesNeverCrashOrHang) {
    VARNILOG_SKIP_UNDER_TSAN("the batch has no threads of its own");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray work = dir.path().toLocal8Bit();
    const QString progress = dir.filePath(QStringLiteral("progress.txt"));
    const QString output = dir.filePath(QStringLiteral("child-output.txt"));
    const auto started = std::chrono::steady_clock::now();

    // The child: limits first, then a fresh image of this test program running only the batch.
    const pid_t pid = test::startChild([&] {
        rlimit cpu{120, 130}; // seconds
        ::setrlimit(RLIMIT_CPU, &cpu);
#if !defined(VARNILOG_UNDER_ASAN) && !defined(VARNILOG_UNDER_TSAN)
        rlimit memory{std::uint64_t{3} << 30, std::uint64_t{3} << 30}; // bytes of address space
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        const int out = ::open(output.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::setenv(kChildDirVariable, work.constData(), 1);
        char exe[] = "/proc/self/exe";
        char filter[] = "--gtest_filter=MutatedRecordingTest.BatchInTheWatchedChild";
        char* argv[] = {exe, filter, nullptr};
        ::execv(exe, argv);
        return 127;
    });
    ASSERT_GE(pid, 0);

    // The watchdog: a child that runs longer than this hangs somewhere.
    const test::ChildEnd child = test::waitForChild(pid, std::chrono::seconds(240));
    const std::string last = lastLines(progress, 1);
    EXPECT_FALSE(child.hung) << "hung at " << last;
    EXPECT_EQ(child.signal, 0) << "signal " << child.signal << " at " << last << "\n"
                               << lastLines(output, 30);
    EXPECT_TRUE(child.exited && child.code == 0) << "at " << last << "\n" << lastLines(output, 30);
    EXPECT_EQ(last.rfind("done 1000", 0), 0u) << last << lastLines(output, 30);
    std::cout << "[ NOTE     ] " << last << "[ NOTE     ] "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                       started)
                     .count()
              << " ms\n";
}
