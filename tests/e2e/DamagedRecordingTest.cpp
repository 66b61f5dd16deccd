// Recordings whose files misbehave: a header that is a folder, unreadable, huge, garbage or a pipe;
// headers with indices beyond the tables; sample files of different lengths, missing or empty. The
// user either gets the error box or a recording that shows, zooms, scrolls, gives a spectrum and
// exports, with every setting the program uses within its range.
#include "app/Configuration.h"
#include "app/CoreMessages.h"
#include "recording/RecordingDetails.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"
#include "spectrum/RecordingSpectra.h"
#include "view/ScaleTables.h"
#include "view/ViewWindow.h"

#include "support/LoadedViewTest.h"
#include "support/RecordedFiles.h"
#include "support/SettingsInRange.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

using namespace varnilog;

namespace {

const QLocale kPoint(QLocale::English, QLocale::UnitedStates);

using test::writeFile;

using test::bytesReadSoFar;

// A header of exactly `size` bytes: the keys, then comment lines up to the size.
QByteArray paddedHeader(qint64 size) {
    QByteArray text = "[PARAMETRY]\r\nPODSTAWA=10\r\nILOSCKANALOW=3\r\n";
    const QByteArray line = ';' + QByteArray(97, 'x') + "\r\n"; // 100 bytes
    while (text.size() + line.size() <= size)
        text += line;
    text += QByteArray(size - text.size(), ' ');
    return text;
}

// Everything the program takes from a loaded header or from the view must be a value its tables hold.
void expectStateInRange(const SharedState& s, const std::string& where) {
    test::expectSettingsInRange(s, where);
    EXPECT_EQ(s.samplingPeriodMs, samplingPeriodTable[std::clamp<int>(s.timeBaseIndex, 1, kTimeBaseCount)])
        << where;
    EXPECT_GE(s.zoomDivisor, 1) << where;
    EXPECT_GE(s.viewStart, 0) << where;
}

class DamagedRecordingTest : public test::LoadedViewTest {};

} // namespace

// The user opens a recording whose ".ros" cannot be a header: the error box "Błąd otwarcia pliku!"
// appears, the settings on display stay, the sample files still show; the browser shows the details of
// a recording without a header. A header far too large is refused without being read.
TEST_F(DamagedRecordingTest, HeadersThatCannotBeReadFailTheLoadAndShowAsMissing) {
    struct Row {
        const char* name;
        std::function<void(const QString& ros)> make;
        bool refused;
        bool meaningfulAsRoot; // root reads a file whatever its permissions
    } rows[] = {
        {"a folder", [](const QString& ros) { ASSERT_TRUE(QDir().mkdir(ros)); }, true, true},
        {"no read permission",
         [](const QString& ros) {
             writeFile(ros, "[PARAMETRY]\r\nPODSTAWA=10\r\n");
             ASSERT_TRUE(QFile::setPermissions(ros, QFileDevice::Permissions{}));
         },
         true, false},
        {"10 MB of garbage", [](const QString& ros) { writeFile(ros, test::randomBytes(10 << 20, 2026)); },
         true, true},
        {"a valid header padded one byte past the limit",
         [](const QString& ros) { writeFile(ros, paddedHeader(kHeaderSizeLimit + 1)); }, true, true},
        {"a named pipe nobody writes to",
         [](const QString& ros) { ASSERT_EQ(::mkfifo(ros.toLocal8Bit().constData(), 0600), 0); }, true, true},
        {"a valid header padded exactly to the limit is read",
         [](const QString& ros) { writeFile(ros, paddedHeader(kHeaderSizeLimit)); }, false, true},
    };
    int n = 0;
    for (const Row& r : rows) {
        if (!r.meaningfulAsRoot && ::geteuid() == 0) {
            std::cout << "[ NOTE     ] skipped as root: " << r.name << "\n";
            continue;
        }
        const QString base = dir.filePath(QStringLiteral("case%1").arg(n++));
        const QString ros = base + ".ros";
        r.make(ros);
        writeFile(base + ".rca", QByteArray(600, char(5)));
        writeFile(base + ".rcb", QByteArray(600, char(7)));
        s->timeBaseIndex = 7;
        s->samplingPeriodMs = samplingPeriodTable[7];
        s->channelCount = 2;
        s->zoomDivisor = 4;
        s->viewStart = 0;
        s->recordingPath = ros;

        const qint64 before = bytesReadSoFar();
        const LoadResult got = loadRecording(*s);
        const qint64 read = bytesReadSoFar() - before;
        EXPECT_EQ(got.ok, !r.refused) << r.name;
        EXPECT_EQ(coreMessage(got.error), r.refused ? QStringLiteral("Błąd otwarcia pliku!") : QString())
            << r.name;
        EXPECT_EQ(s->sampleCount, 600) << r.name;
        EXPECT_EQ(s->timeBaseIndex, r.refused ? 7 : 10) << r.name;
        EXPECT_EQ(s->channelCount, r.refused ? 2 : 3) << r.name;
        if (r.refused && before >= 0) {
            EXPECT_LT(read, 64 << 10) << r.name << ": bytes read by the load";
        }
        expectStateInRange(*s, r.name);

        // The window shows what the opened sample files hold: at the zoom it had after a refusal
        // (4 samples a column: 600 samples fill 150 columns), sample by sample after a load.
        const ViewRefresh shown = refreshView(*s, *view);
        EXPECT_EQ(s->zoomDivisor, r.refused ? 4 : 1) << r.name;
        EXPECT_EQ(shown.range.maximum, r.refused ? 0 : 100) << r.name;
        for (int x : {0, 149}) {
            EXPECT_EQ(s->channelData[0][x], 5) << r.name << " column " << x;
            EXPECT_EQ(s->channelData[1][x], 7) << r.name << " column " << x;
        }
        EXPECT_EQ(s->channelData[0][150], r.refused ? 125 : 5) << r.name;

        // Browser: time base 7 is 10 ms a sample, 600 samples are 6 s.
        const RecordingDetails d = readRecordingDetails(ros, 7, kPoint);
        EXPECT_EQ(d.period.toStdString(), r.refused ? "10" : "1") << r.name;
        EXPECT_EQ(d.channels.toStdString(), r.refused ? "1" : "3") << r.name;
        EXPECT_EQ(d.start.toStdString(), "...") << r.name;
        EXPECT_EQ(d.length.toStdString(), r.refused ? "0000:00:06:000" : "0000:00:00:600") << r.name;
        QFile::setPermissions(ros, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

// The browser shows the channel count and time base the recording will open with, not the raw key.
TEST_F(DamagedRecordingTest, BrowserShowsTheIndicesTheLoaderUses) {
    struct Row {
        const char* header;
        int channels;       // what both show
        int timeBase;       // what the loader sets
        const char* period; // what the browser shows for it
    } rows[] = {
        {"ILOSCKANALOW=0\r\nPODSTAWA=0\r\n", 1, 1, "1000"},
        {"ILOSCKANALOW=9\r\nPODSTAWA=40\r\n", 4, 22, "0.0001"},
        {"ILOSCKANALOW=3\r\nPODSTAWA=11\r\n", 3, 11, "0.5"},
        {"ILOSCKANALOW=-1\r\nPODSTAWA=-1\r\n", 4, 22, "0.0001"}, // low 8 bits: 255
        {"ILOSCKANALOW=258\r\nPODSTAWA=257\r\n", 2, 1, "1000"},  // low 8 bits: 2 and 1
        {"ILOSCKANALOW=$104\r\nPODSTAWA=0x10A\r\n", 4, 10, "1"}, // hexadecimal 260 and 266
    };
    const QString base = dir.filePath(QStringLiteral("indices"));
    writeFile(base + ".rca", QByteArray(1000, char(125)));
    for (const Row& r : rows) {
        writeFile(base + ".ros", QByteArray("[PARAMETRY]\r\n") + r.header);
        const RecordingDetails d = readRecordingDetails(base + ".ros", 15, kPoint);
        s->recordingPath = base + ".ros";
        ASSERT_TRUE(loadRecording(*s).ok) << r.header;
        EXPECT_EQ(d.channels.toStdString(), std::to_string(r.channels)) << r.header;
        EXPECT_EQ(s->channelCount, r.channels) << r.header;
        EXPECT_EQ(s->timeBaseIndex, r.timeBase) << r.header;
        EXPECT_EQ(d.period.toStdString(), r.period) << r.header;
    }
}

// Damaged headers and sample files of different lengths: the recording opens, every zoom at the start
// and at the end shows each channel's samples and the zero line past its end, the spectrum comes out,
// and the export writes a line per sample of channel A with an empty field where a channel has none.
TEST_F(DamagedRecordingTest, DamagedRecordingsViewGiveASpectrumAndExport) {
    struct Row {
        const char* name;
        const char* header; // after "[PARAMETRY]" and the sensitivities (1 V/div both)
        int samplesA;       // -1: no file; A holds 150 (+1 V)
        int samplesB;       // -1: no file; B holds 100 (-1 V)
        int timeBase;
        int channels;
        const char* lastLine; // nullptr: the export writes nothing
    } rows[] = {
        {"PODSTAWA 0", "PODSTAWA=0\r\n", 1200, 1200, 1, 2, "0000:19:59:000;1.0000;-1.0000"},
        {"PODSTAWA 40", "PODSTAWA=40\r\n", 1200, 1200, 22, 2, "0000:00:00:001;1.0000;-1.0000"},
        {"ILOSCKANALOW 0", "PODSTAWA=10\r\nILOSCKANALOW=0\r\n", 1200, 1200, 10, 1, "0000:00:01:199;1.0000"},
        {"ILOSCKANALOW 9, no C and D", "PODSTAWA=10\r\nILOSCKANALOW=9\r\n", 1200, 1200, 10, 4,
         "0000:00:01:199;1.0000;-1.0000;;"},
        {".rca longer than .rcb", "PODSTAWA=10\r\n", 3000, 700, 10, 2, "0000:00:02:999;1.0000;"},
        {".rca shorter than .rcb", "PODSTAWA=10\r\n", 700, 3000, 10, 2, "0000:00:00:699;1.0000;-1.0000"},
        {".rcb missing", "PODSTAWA=10\r\n", 1200, -1, 10, 2, "0000:00:01:199;1.0000;"},
        {".rcb empty", "PODSTAWA=10\r\n", 1200, 0, 10, 2, "0000:00:01:199;1.0000;"},
        {".rca missing", "PODSTAWA=10\r\n", -1, 1200, 10, 2, nullptr},
        {".rca empty", "PODSTAWA=10\r\n", 0, 1200, 10, 2, nullptr},
    };
    int n = 0;
    for (const Row& r : rows) {
        const QString base = dir.filePath(QStringLiteral("rec%1").arg(n++));
        writeFile(base + ".ros", QByteArray("[PARAMETRY]\r\nCZULOSCA=4\r\nCZULOSCB=4\r\n") + r.header);
        if (r.samplesA >= 0)
            writeFile(base + ".rca", QByteArray(r.samplesA, char(150)));
        if (r.samplesB >= 0)
            writeFile(base + ".rcb", QByteArray(r.samplesB, char(100)));
        s->recordingPath = base + ".ros";
        s->channelCount = 2;
        s->viewStart = 0;
        s->zoomDivisor = 1;
        s->channelVisible = {true, true, true, true};
        const LoadResult loaded = loadRecording(*s);
        ASSERT_TRUE(loaded.ok) << r.name;
        EXPECT_EQ(s->timeBaseIndex, r.timeBase) << r.name;
        EXPECT_EQ(s->channelCount, r.channels) << r.name;
        EXPECT_EQ(s->sampleCount, r.samplesA) << r.name;
        expectStateInRange(*s, r.name);

        // Every zoom, at the start and scrolled to the end: a column shows a channel's value when its
        // first sample is in that channel's file, else the zero line.
        const std::int64_t count = std::max<std::int64_t>(s->sampleCount, 0);
        for (std::int32_t zoom : {1, 2, 7, 64, showAllDivisor(count), zoomOutDivisor(4, count)}) {
            for (bool atEnd : {false, true}) {
                s->zoomDivisor = zoom;
                s->viewStart = atEnd ? scrollRange(s->sampleCount, zoom, 0).maximum : 0;
                const ViewRefresh v = refreshView(*s, *view);
                const std::string where = std::string(r.name) + " zoom " + std::to_string(zoom) +
                                          (atEnd ? " at the end" : " at the start");
                expectStateInRange(*s, where);
                ASSERT_LE(s->viewStart, v.range.maximum) << where;
                for (int x = 0; x < kDisplayColumns; ++x) {
                    const std::int64_t first = s->viewStart + std::int64_t{x} * zoom;
                    const int a = first < r.samplesA ? 150 : 125;
                    const int b = first < r.samplesB ? 100 : 125;
                    ASSERT_EQ(s->channelData[0][x], a) << where << " A column " << x;
                    ASSERT_EQ(s->channelData[1][x], b) << where << " B column " << x;
                    ASSERT_EQ(s->channelData[2][x], 125) << where << " C column " << x;
                    if (zoom >= 2) {
                        ASSERT_EQ(view->columnMin[0][x], a) << where << " A column " << x;
                        ASSERT_EQ(view->columnMin[1][x], b) << where << " B column " << x;
                    }
                }
            }
        }

        // Spectrum: one block each. A channel with L samples of +-25 counts is a pulse whose bin k has
        // the magnitude 25 |sin(pi k L / N) / sin(pi k / N)|, plus the accumulator's 125; a channel
        // without samples is the zero level, 125 in every bin.
        auto data = std::make_unique<SpectrumData>();
        RecordingSpectra spectra(2);
        ASSERT_TRUE(spectra.ComputeRecordingSpectra(
            {&s->sampleFile[0], &s->sampleFile[1], &s->sampleFile[2], &s->sampleFile[3]}, s->channelCount,
            *data))
            << r.name;
        const int lengths[kChannels] = {std::max(r.samplesA, 0), std::max(r.samplesB, 0), 0, 0};
        for (int c = 0; c < kChannels; ++c) {
            if (c >= r.channels) {
                EXPECT_EQ(data->spectrumPeak[c], 0.0f) << r.name << " channel " << c;
                continue;
            }
            for (int k : {1, 7, 4000}) {
                const double x = std::numbers::pi * k / fftSize;
                const double expected = 125.0 + 25.0 * std::abs(std::sin(lengths[c] * x) / std::sin(x));
                EXPECT_NEAR(data->channelSpectrum[c][k], expected, 0.5)
                    << r.name << " channel " << c << " bin " << k;
            }
            EXPECT_TRUE(std::isfinite(data->spectrumPeak[c])) << r.name;
            EXPECT_GE(data->spectrumPeak[c], 125.0f) << r.name;
        }

        // Export: one line per sample of A; a channel past its file's end has an empty field.
        RecordingInput input(*s);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const TextExportResult e = exportRecordingText(textExportSourceFrom(input), out, kPoint);
        EXPECT_TRUE(e.ok) << r.name;
        const QList<QByteArray> lines = out.data().split('\n');
        EXPECT_EQ(e.linesWritten, count) << r.name;
        EXPECT_EQ(lines.size(), count + 1) << r.name; // the text after the last line end is empty
        if (r.lastLine != nullptr) {
            ASSERT_GE(lines.size(), 2) << r.name;
            EXPECT_EQ(lines[lines.size() - 2].toStdString(), std::string(r.lastLine) + "\r") << r.name;
            EXPECT_TRUE(lines[0].startsWith("0000:00:00:000;1.0000")) << r.name;
        }
    }
}
