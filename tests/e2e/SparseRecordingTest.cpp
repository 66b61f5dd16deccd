// A recording of three billion samples per channel that is mostly holes: the user zooms out to the
// widest view and sees the whole recording at once, without the program reading gigabytes of holes.
#include "app/Configuration.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"
#include "spectrum/RecordingSpectra.h"
#include "view/ViewWindow.h"

#include "support/LoadedViewTest.h"
#include "support/RecordedFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace varnilog;

namespace {

constexpr qint64 kSamples = 3'000'000'000LL;

using test::bytesReadSoFar;

bool writeAt(QFile& f, qint64 pos, const QByteArray& bytes) {
    return f.seek(pos) && f.write(bytes) == bytes.size();
}

class SparseRecordingTest : public test::LoadedViewTest {};

// A sample file of kSamples that is a hole but for the blocks (position, bytes); refused when the
// file system cannot make it sparse.
void writeSparse(const QString& path, const std::vector<std::pair<qint64, QByteArray>>& blocks,
                 bool& refused) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    refused = !f.resize(kSamples);
    for (const auto& [pos, bytes] : blocks) {
        if (!refused) {
            ASSERT_TRUE(writeAt(f, pos, bytes));
        }
    }
}

TEST_F(SparseRecordingTest, WidestZoomShowsDataAndHolesWithoutReadingTheHoles) {
    const QString base = dir.filePath(QStringLiteral("sparse"));
    test::writeFile(base + QStringLiteral(".ros"), "[PARAMETRY]\r\nPODSTAWA=10\r\nILOSCKANALOW=2\r\n");
    for (const char* ext : {".rca", ".rcb"}) {
        // 200 samples at the start, 4096 near the very end; the rest is a hole (zeros).
        bool refused = false;
        ASSERT_NO_FATAL_FAILURE(writeSparse(
            base + QLatin1String(ext),
            {{0, QByteArray(200, char(180))}, {kSamples - 4096, QByteArray(4096, char(140))}}, refused));
        if (refused)
            GTEST_SKIP() << "the file system refuses a sparse 3 GB file";
    }
    s->recordingPath = base + QStringLiteral(".ros");
    ASSERT_TRUE(loadRecording(*s).ok);
    ASSERT_EQ(s->sampleCount, kSamples);

    const qint64 before = bytesReadSoFar();
    if (before < 0)
        GTEST_SKIP() << "no /proc/self/io to count the bytes read";
    s->zoomDivisor = showAllDivisor(s->sampleCount); // 3e9 / 500 = 6 000 000 samples a column
    ASSERT_EQ(s->zoomDivisor, 6'000'000);
    s->viewStart = 0;
    refreshView(*s, *view);
    const qint64 read = bytesReadSoFar() - before;

    // Column 0: 200 samples of 180 and the rest a hole: top 180, bottom 0. Columns 1..498: hole only.
    // Column 499 ends with the 4096 samples of 140: top 140, bottom 0.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(s->channelData[c][0], 180) << c;
        EXPECT_EQ(view->columnMin[c][0], 0) << c;
        EXPECT_EQ(s->channelData[c][250], 0) << c;
        EXPECT_EQ(view->columnMin[c][250], 0) << c;
        EXPECT_EQ(s->channelData[c][499], 140) << c;
        EXPECT_EQ(view->columnMin[c][499], 0) << c;
    }
    // Reading every byte would be 6 GB; the data blocks the file system keeps are a few kilobytes.
    EXPECT_LT(read, 16 << 20) << "bytes read for the widest view";
}

// The user opens the same kind of recording, scrolls to its very end and zooms out step by step
// there, exports its first minutes and stops the export, and takes the spectrum of a window near the
// end: each reads what it shows, never the gigabytes of holes.
TEST_F(SparseRecordingTest, EndZoomOutExportAndSpectrumReadOnlyWhatTheyShow) {
    const QString base = dir.filePath(QStringLiteral("far"));
    test::writeFile(base + QStringLiteral(".ros"),
                    "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=4\r\nILOSCKANALOW=2\r\n");
    // A: 200 samples of 180 at the start, a block of a sine of 1000 cycles (amplitude 50 around 125) two
    // blocks before the end, 4096 samples of 140 at the end. B: the same without the sine.
    const qint64 sineAt = kSamples - 2 * fftSize;
    QByteArray sine(fftSize, 0);
    for (int i = 0; i < fftSize; ++i)
        sine[i] = static_cast<char>(
            std::lround(125.0 + 50.0 * std::sin(2.0 * std::numbers::pi * 1000 * i / fftSize)));
    for (const char* ext : {".rca", ".rcb"}) {
        std::vector<std::pair<qint64, QByteArray>> blocks{{0, QByteArray(200, char(180))},
                                                          {kSamples - 4096, QByteArray(4096, char(140))}};
        if (ext == QLatin1String(".rca"))
            blocks.push_back({sineAt, sine});
        bool refused = false;
        ASSERT_NO_FATAL_FAILURE(writeSparse(base + QLatin1String(ext), blocks, refused));
        if (refused)
            GTEST_SKIP() << "the file system refuses a sparse 3 GB file";
    }
    s->recordingPath = base + QStringLiteral(".ros");
    ASSERT_TRUE(loadRecording(*s).ok);
    ASSERT_EQ(s->sampleCount, kSamples);
    if (bytesReadSoFar() < 0)
        GTEST_SKIP() << "no /proc/self/io to count the bytes read";

    // Scrolled to the end at one sample a column: the scroll bar's last position is the last window,
    // the 500 samples of 140.
    qint64 before = bytesReadSoFar();
    s->zoomDivisor = 1;
    s->viewStart = kSamples; // past the end: brought back to the last window
    ViewRefresh v = refreshView(*s, *view);
    EXPECT_EQ(v.range.maximum, kSamples - 500);
    EXPECT_EQ(s->viewStart, kSamples - 500);
    EXPECT_EQ(v.scrollBar.position, v.scrollBar.maximum);
    EXPECT_EQ(viewStartAtPosition(v.scrollBar, v.range, v.scrollBar.maximum), kSamples - 500);
    scrollView(*s, *view, viewStartAtPosition(v.scrollBar, v.range, v.scrollBar.maximum));
    EXPECT_EQ(s->channelData[0][0], 140);
    EXPECT_EQ(s->channelData[1][499], 140);

    // "Oddal" until it stops changing, the view kept at the end: 2, 4, .. 4194304, then 6000000.
    int steps = 0;
    for (;;) {
        const std::int32_t z = zoomOutDivisor(s->zoomDivisor, s->sampleCount);
        if (z == s->zoomDivisor)
            break;
        s->zoomDivisor = z;
        s->viewStart = scrollRange(s->sampleCount, z, 0).maximum;
        v = refreshView(*s, *view);
        ++steps;
        // The last column ends with the 4096 samples of 140 and, once it is 4096 samples wide, the hole
        // before them: its smallest sample is then 0. A column of the sine shows its crest 175.
        EXPECT_EQ(s->channelData[1][499], 140) << z;
        EXPECT_EQ(view->columnMin[1][499], z > 4096 ? 0 : 140) << z;
        if (z >= 2 * fftSize) {
            EXPECT_EQ(s->channelData[0][499], 175) << z;
        }
    }
    EXPECT_EQ(steps, 23);
    EXPECT_EQ(s->zoomDivisor, 6'000'000);
    EXPECT_EQ(s->viewStart, 0);
    EXPECT_EQ(s->channelData[0][0], 180);
    EXPECT_LT(bytesReadSoFar() - before, 16 << 20) << "bytes read scrolling and zooming out at the end";

    // Export: the first three blocks of lines, then the user stops it. 180 is 55 counts at 1 V/div, a
    // hole byte 0 is -125 counts.
    before = bytesReadSoFar();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    int calls = 0;
    RecordingInput input(*s);
    const TextExportResult e = exportRecordingText(textExportSourceFrom(input), out, QLocale::c(),
                                                   [&](std::int64_t done, std::int64_t total) {
                                                       EXPECT_EQ(total, kSamples);
                                                       ++calls;
                                                       return done < 3 * 65536;
                                                   });
    EXPECT_TRUE(e.cancelled);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(e.linesWritten, 3 * 65536);
    const QList<QByteArray> lines = out.data().split('\n');
    ASSERT_EQ(lines.size(), 3 * 65536 + 1) << "every line reported is in the file, and no other";
    EXPECT_EQ(lines[0], "0000:00:00:000;2.2000;2.2000\r");
    EXPECT_EQ(lines[199], "0000:00:00:199;2.2000;2.2000\r");
    EXPECT_EQ(lines[200], "0000:00:00:200;-5.0000;-5.0000\r");
    EXPECT_EQ(lines[3 * 65536 - 1], "0000:03:16:607;-5.0000;-5.0000\r");
    EXPECT_LT(bytesReadSoFar() - before, 4 << 20) << "bytes read by the stopped export";

    // Spectrum of the block of the sine: A peaks at bin 1000 with A N / 2 (plus the accumulator's
    // 125), B there is a hole, the zero level of nothing: 125 in every bin.
    before = bytesReadSoFar();
    auto data = std::make_unique<SpectrumData>();
    int progressMax = 0;
    ASSERT_TRUE(RecordingSpectra(2).ComputeRecordingSpectra(
        {&s->sampleFile[0], &s->sampleFile[1], &s->sampleFile[2], &s->sampleFile[3]}, s->channelCount, *data,
        [&](std::int64_t, std::int64_t max) {
            progressMax = static_cast<int>(max);
            return true;
        },
        {sineAt, fftSize}));
    EXPECT_EQ(progressMax, 2);
    const double peak = 125.0 + 50.0 * fftSize / 2;
    EXPECT_NEAR(data->channelSpectrum[0][1000], peak, peak * 1e-3);
    EXPECT_NEAR(data->channelSpectrum[0][1001], 125.0, 100.0);
    EXPECT_EQ(data->channelSpectrum[1][1000], 125.0f);
    EXPECT_EQ(data->spectrumPeak[1], 125.0f);
    EXPECT_LT(bytesReadSoFar() - before, 1 << 20) << "bytes read by the spectrum of one block";
}

} // namespace
