// A recording of three billion samples per channel that is mostly holes: the user zooms out to the
// widest view and sees the whole recording at once, without the program reading gigabytes of holes.
#include "app/Configuration.h"
#include "recording/RecordingLoader.h"
#include "view/ViewWindow.h"

#include "support/OffscreenGui.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace varnilog;

namespace {

constexpr qint64 kSamples = 3'000'000'000LL;

// Bytes this process has read through read calls so far (Linux).
qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

bool writeAt(QFile& f, qint64 pos, const QByteArray& bytes) {
    return f.seek(pos) && f.write(bytes) == bytes.size();
}

TEST(SparseRecordingTest, WidestZoomShowsDataAndHolesWithoutReadingTheHoles) {
    ensureOffscreenGui();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.filePath(QStringLiteral("sparse"));
    {
        QFile ros(base + QStringLiteral(".ros"));
        ASSERT_TRUE(ros.open(QIODevice::WriteOnly));
        ros.write("[PARAMETRY]\r\nPODSTAWA=10\r\nILOSCKANALOW=2\r\n");
    }
    for (const char* ext : {".rca", ".rcb"}) {
        QFile f(base + QLatin1String(ext));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (!f.resize(kSamples))
            GTEST_SKIP() << "the file system refuses a sparse 3 GB file";
        // 200 samples at the start, 4096 near the very end; the rest is a hole (zeros).
        ASSERT_TRUE(writeAt(f, 0, QByteArray(200, char(180))));
        ASSERT_TRUE(writeAt(f, kSamples - 4096, QByteArray(4096, char(140))));
    }
    auto s = std::make_unique<SharedState>();
    sizeBitmaps(*s);
    s->recordingPath = base + QStringLiteral(".ros");
    ASSERT_TRUE(loadRecording(*s).ok);
    ASSERT_EQ(s->sampleCount, kSamples);

    const qint64 before = bytesReadSoFar();
    if (before < 0)
        GTEST_SKIP() << "no /proc/self/io to count the bytes read";
    s->zoomDivisor = showAllDivisor(s->sampleCount); // 3e9 / 500 = 6 000 000 samples a column
    ASSERT_EQ(s->zoomDivisor, 6'000'000);
    s->viewStart = 0;
    refreshView(*s);
    const qint64 read = bytesReadSoFar() - before;

    // Column 0: 200 samples of 180 and the rest a hole: top 180, bottom 0. Columns 1..498: hole only.
    // Column 499 ends with the 4096 samples of 140: top 140, bottom 0.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(s->channelData[c][0], 180) << c;
        EXPECT_EQ(s->columnMin[c][0], 0) << c;
        EXPECT_EQ(s->channelData[c][250], 0) << c;
        EXPECT_EQ(s->columnMin[c][250], 0) << c;
        EXPECT_EQ(s->channelData[c][499], 140) << c;
        EXPECT_EQ(s->columnMin[c][499], 0) << c;
    }
    // Reading every byte would be 6 GB; the data blocks the file system keeps are a few kilobytes.
    EXPECT_LT(read, 16 << 20) << "bytes read for the widest view";
}

} // namespace
