#include "recording/RecordingLoader.h"
#include "app/SharedState.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "support/LoadedStateTest.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace varnilog;

namespace {

class RecordingLoaderFixture : public test::LoadedStateTest {
protected:
    QString path(const char* base, const char* ext) const {
        return dir.filePath(QString::fromLatin1(base) + QString::fromLatin1(ext));
    }
    void write(const char* base, const char* ext, const QByteArray& bytes) const {
        QFile f(path(base, ext));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void samples(const char* base, const char* ext, int count, char value) const {
        write(base, ext, QByteArray(count, value));
    }
    LoadResult load(const char* base) {
        s->recordingPath = path(base, ".ros");
        return loadRecording(*s);
    }
};

const QByteArray fullHeader =
    "[PARAMETRY]\r\nPODSTAWA=13\r\nCZULOSCA=9\r\nCZULOSCB=4\r\nTRYBA=2\r\nTRYBB=1\r\n"
    "OFFSETA=120\r\nOFFSETB=90\r\nILOSCKANALOW=2\r\nSTART=2024-03-07 14.05.09\r\n";

int openHandlesTo(const QString& folder) {
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
        count += fd.symLinkTarget().startsWith(folder);
    }
    return count;
}

} // namespace

TEST_F(RecordingLoaderFixture, SettingsSamplesAndName) {
    write("2024-03-07 14.05.09", ".ros", fullHeader);
    samples("2024-03-07 14.05.09", ".rca", 1000, 10);
    samples("2024-03-07 14.05.09", ".rcb", 1000, 20);
    s->channelSensitivity = {1, 1, 3, 5};
    s->channelMode = {0, 0, 2, 1};
    s->channelOffset = {1, 2, 3, 4};
    s->zoomDivisor = 8;
    const LoadResult r = load("2024-03-07 14.05.09");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.baseName, "2024-03-07 14.05.09");
    EXPECT_EQ(s->sampleCount, 1000);
    EXPECT_EQ(s->timeBaseIndex, 13);
    EXPECT_FLOAT_EQ(s->samplingPeriodMs, 0.1f);
    // C and D keep what they had
    EXPECT_EQ(s->channelSensitivity, (std::array<std::uint8_t, 4>{9, 4, 3, 5}));
    EXPECT_EQ(s->channelMode, (std::array<std::uint8_t, 4>{2, 1, 2, 1}));
    EXPECT_EQ(s->channelOffset, (std::array<std::uint8_t, 4>{120, 90, 3, 4}));
    EXPECT_EQ(s->zoomDivisor, 1);
    EXPECT_TRUE(s->sampleFile[0].isOpen());
    EXPECT_TRUE(s->sampleFile[1].isOpen());
    EXPECT_FALSE(s->sampleFile[2].isOpen());
    EXPECT_FALSE(s->sampleFile[0].isWritable());
}

TEST_F(RecordingLoaderFixture, EdgeCases) {
    struct Row {
        const char* name;
        QByteArray header; // empty: no ".ros"
        int samplesA;      // -1: no ".rca"
        int samplesB;      // -1: no ".rcb"
        std::int64_t sampleCount;
        int channelCount;
        bool refresh;
        int zoomAfter;
        std::uint8_t offsetA;
    } rows[] = {
        {"300 samples", fullHeader, 300, 300, 300, 2, true, 1, 120},
        {"no channel count", "[PARAMETRY]\r\nPODSTAWA=4\r\n", 600, 600, 600, 2, true, 1, 100},
        {"exactly one sample", fullHeader, 1, 1, 1, 2, false, 6, 120},
        {"no .rcb", fullHeader, 700, -1, 700, 2, true, 1, 120},
        {"no .rca", fullHeader, -1, 700, -1, 2, false, 6, 120},
        {"no .ros: defaults, offset A from the zero", "", 800, 800, 800, 2, true, 1, 100},
        {"empty .rca", fullHeader, 0, 0, 0, 2, false, 6, 120},
    };
    for (const Row& r : rows) {
        QTemporaryDir sub(dir.filePath(QStringLiteral("case")));
        const QString base = sub.filePath(QStringLiteral("rec"));
        if (!r.header.isEmpty()) {
            QFile f(base + ".ros");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(r.header);
        }
        for (auto [ext, count, value] :
             {std::tuple{".rca", r.samplesA, 50}, std::tuple{".rcb", r.samplesB, 200}}) {
            if (count >= 0) {
                QFile f(base + ext);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(count, static_cast<char>(value)));
            }
        }
        s->channelCount = 2;
        s->channelZeroOffset = {100, 100, 100, 100};
        s->zoomDivisor = 6;
        s->viewStart = 0;
        s->recordingPath = base + ".ros";
        const LoadResult got = loadRecording(*s);
        EXPECT_TRUE(got.ok) << r.name;
        EXPECT_EQ(s->sampleCount, r.sampleCount) << r.name;
        EXPECT_EQ(s->channelCount, r.channelCount) << r.name;
        EXPECT_EQ(s->zoomDivisor, r.zoomAfter) << r.name;
        EXPECT_EQ(s->channelOffset[0], r.offsetA) << r.name;
        EXPECT_EQ(got.baseName, "rec") << r.name;
    }
}

TEST_F(RecordingLoaderFixture, DamagedHeadersAreBroughtIntoRange) {
    struct Row {
        const char* header;
        int timeBase, sensitivityA, sensitivityB, modeA, modeB, channels;
    } rows[] = {
        {"PODSTAWA=0\r\nCZULOSCA=0\r\nILOSCKANALOW=0\r\n", 1, 1, 1, 0, 0, 1},
        {"PODSTAWA=40\r\nCZULOSCA=200\r\nCZULOSCB=11\r\nILOSCKANALOW=9\r\n", 22, 10, 10, 0, 0, 4},
        {"TRYBA=3\r\nTRYBB=255\r\n", 1, 1, 1, 2, 2, 2},
        {"PODSTAWA=257\r\nCZULOSCA=-1\r\n", 1, 10, 1, 0, 0, 2}, // low 8 bits first: 1 and 255
        {"PODSTAWA=abc\r\nCZULOSCA=\r\n", 1, 1, 1, 0, 0, 2},    // not numbers: the defaults
        {"PODSTAWA=22\r\nCZULOSCA=10\r\nILOSCKANALOW=4\r\n", 22, 10, 1, 0, 0, 4},
    };
    samples("bad", ".rca", 2000, 60);
    for (const Row& r : rows) {
        write("bad", ".ros", QByteArray("[PARAMETRY]\r\n") + r.header);
        const LoadResult got = load("bad");
        EXPECT_TRUE(got.ok) << r.header;
        EXPECT_EQ(s->timeBaseIndex, r.timeBase) << r.header;
        EXPECT_EQ(s->channelSensitivity[0], r.sensitivityA) << r.header;
        EXPECT_EQ(s->channelSensitivity[1], r.sensitivityB) << r.header;
        EXPECT_EQ(s->channelMode[0], r.modeA) << r.header;
        EXPECT_EQ(s->channelMode[1], r.modeB) << r.header;
        EXPECT_EQ(s->channelCount, r.channels) << r.header;
        EXPECT_FLOAT_EQ(s->samplingPeriodMs, r.timeBase == 1 ? 1000.0f : 0.0001f) << r.header;
        EXPECT_EQ(s->sampleCount, 2000) << r.header; // the samples still count
    }
}

TEST_F(RecordingLoaderFixture, StagingRowsFilledBelowThePreviousChannelCount) {
    write("fill", ".ros", "[PARAMETRY]\r\nILOSCKANALOW=4\r\n");
    for (auto& row : s->readBuffer) {
        row.fill(9);
    }
    s->channelCount = 3;
    load("fill");
    for (int c = 0; c < 4; ++c) {
        const int expected = c < 3 ? 125 : 9;
        EXPECT_EQ(s->readBuffer[c][0], expected) << c;
        EXPECT_EQ(s->readBuffer[c][499], expected) << c;
        EXPECT_EQ(s->readBuffer[c][500], 9) << c;
    }
    EXPECT_EQ(s->channelCount, 4);
}

TEST_F(RecordingLoaderFixture, LoadingTwiceLeavesFourHandles) {
    write("four", ".ros", fullHeader);
    for (const char* ext : {".rca", ".rcb", ".rcc", ".rcd"}) {
        samples("four", ext, 1000, 1);
    }
    const int before = openHandlesTo(dir.path());
    load("four");
    load("four");
    EXPECT_EQ(openHandlesTo(dir.path()) - before, 4);
    for (const QFile& f : s->sampleFile) {
        EXPECT_TRUE(f.isOpen());
    }
}

TEST_F(RecordingLoaderFixture, LoadPutsTheViewBackToSampleZero) {
    write("scroll", ".ros", fullHeader);
    samples("scroll", ".rca", 2000, 1);
    s->viewStart = 1200;
    EXPECT_TRUE(load("scroll").ok);
    EXPECT_EQ(s->viewStart, 0);
}

TEST_F(RecordingLoaderFixture, UnreadableHeaderFails) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dirty.ros"))); // a folder where the file should be
    samples("dirty", ".rca", 600, 5);
    s->timeBaseIndex = 7;
    const LoadResult r = load("dirty");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.kind, CoreErrorKind::LoadFailed);
    EXPECT_EQ(s->sampleCount, 600); // the steps before the failure stay done
    EXPECT_EQ(s->timeBaseIndex, 7);
}

TEST(RecordingLoaderTest, BaseNameOfPath) {
    struct Row {
        const char *path, *base;
    } rows[] = {
        {"/data/2024-03-07 14.05.09.ros", "2024-03-07 14.05.09"},
        {"C:\\dane\\2024-03-07 14.05.09.ros", "2024-03-07 14.05.09"},
        {"rec.ros", "rec"},
        {"/a.b/rec", "rec"},
        {"/data/x.y.ros", "x.y"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(baseNameOf(QString::fromUtf8(r.path)), QString::fromUtf8(r.base)) << r.path;
    }
}

// Files without names (the fuzz target's in memory) load to the same state as the same files by name.
TEST_F(RecordingLoaderFixture, OpenDescriptorsLoadAsTheSameFilesByName) {
    struct Row {
        const char* header;       // nullptr: no ".ros"; "dir": a folder in its place
        std::vector<int> samples; // per channel, -1: no file
    } rows[] = {
        {fullHeader.constData(), {2000, 1500, -1, -1}},
        {"[PARAMETRY]\r\nPODSTAWA=40\r\nCZULOSCA=200\r\nILOSCKANALOW=9\r\n", {700, -1, 0, 5}},
        {nullptr, {1, 1, 1, -1}},
        {"dir", {10, 10, -1, -1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.header ? r.header : "none");
        QTemporaryDir folder;
        const QString ros = folder.filePath(QStringLiteral("r.ros"));
        if (r.header && QByteArray(r.header) == "dir")
            ASSERT_TRUE(QDir().mkdir(ros));
        else if (r.header)
            test::writeFile(ros, r.header);
        std::array<int, kChannels> fds{-1, -1, -1, -1};
        for (int c = 0; c < kChannels; ++c)
            if (r.samples[c] >= 0) {
                test::writeFile(sampleFilePath(ros, c), QByteArray(r.samples[c], static_cast<char>(40 + c)));
                fds[c] = ::open(QFile::encodeName(sampleFilePath(ros, c)).constData(), O_RDONLY | O_CLOEXEC);
            }
        s->recordingPath = ros;
        const LoadResult byName = loadRecording(*s);
        auto t = std::make_unique<SharedState>();
        t->recordingPath = ros;
        openSampleDescriptors(*t, fds);
        const LoadResult open = applyRecordingSettings(*t, readRecordingHeader(ros, loaderDefaults(*t)), 2);
        EXPECT_EQ(open.ok, byName.ok);
        for (int c = 0; c < kChannels && byName.ok; ++c)
            EXPECT_EQ(channelHasData(*t, c), channelHasData(*s, c)) << c;
        for (QFile& file : t->sampleFile)
            file.close();
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
        if (!byName.ok)
            continue; // what a failed load leaves is the earlier recording's
        EXPECT_EQ(t->timeBaseIndex, s->timeBaseIndex);
        EXPECT_EQ(t->channelSensitivity, s->channelSensitivity);
        EXPECT_EQ(t->channelMode, s->channelMode);
        EXPECT_EQ(t->channelOffset, s->channelOffset);
        EXPECT_EQ(t->channelCount, s->channelCount);
        EXPECT_EQ(t->sampleCount, s->sampleCount);
    }
}
