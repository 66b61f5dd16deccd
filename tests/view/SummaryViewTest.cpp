// Zoomed-out columns read through the min/max summaries must equal the full scan of the sample file
// bit for bit, and a summary that no longer matches its sample file must never be used.
#include "recording/SampleSummary.h"
#include "view/ViewWindow.h"

#include "support/LoadedViewTest.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

#include <array>
#include <string>
#include <vector>

using namespace varnilog;

namespace {

// Samples of a channel: narrow noise around a level that drifts with the position, so neighbouring
// columns differ in both minimum and maximum; single spikes sit on and beside block edges.
std::uint8_t sampleAt(std::int64_t pos, int channel) {
    std::uint32_t x = static_cast<std::uint32_t>(pos * 2654435761u + channel * 97u);
    x ^= x >> 13;
    const int level = 20 + static_cast<int>((pos / 977 + channel * 50) % 200);
    if (pos % 65536 == 65535 || pos % 70001 == 3)
        return 255;
    if (pos % 256 == 0 && pos % 3 == 0)
        return 1;
    return static_cast<std::uint8_t>(level + static_cast<int>(x % 16));
}

// Data in 1 MiB pieces every 3 MiB, a hole (zeros) between them, and data at the end.
constexpr std::int64_t kLength = (std::int64_t{40} << 20) + 12345;
bool isData(std::int64_t pos) {
    return (pos >> 20) % 3 == 0 || pos >= kLength - 300000;
}

class SummaryViewTest : public test::LoadedViewTest {
protected:
    void writeChannel(int c, const QString& path) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_TRUE(out.resize(kLength));
        std::vector<char> block;
        for (std::int64_t pos = 0; pos < kLength;) {
            const std::int64_t end = std::min(kLength, (pos >> 20 << 20) + (1 << 20));
            if (isData(pos)) {
                block.resize(static_cast<std::size_t>(end - pos));
                for (std::int64_t i = pos; i < end; ++i)
                    block[static_cast<std::size_t>(i - pos)] = static_cast<char>(sampleAt(i, c));
                ASSERT_TRUE(out.seek(pos));
                ASSERT_EQ(out.write(block.data(), static_cast<qint64>(block.size())), end - pos);
            }
            pos = end;
        }
    }
    void SetUp() override {
        LoadedViewTest::SetUp();
        for (int c = 0; c < 2; ++c) {
            const QString path = dir.filePath(QStringLiteral("rec.rc%1").arg(QChar(u'a' + c)));
            ASSERT_NO_FATAL_FAILURE(writeChannel(c, path));
            ASSERT_TRUE(buildSampleSummary(path));
            open(c, path);
        }
        s->sampleCount = kLength;
    }
    void open(int c, const QString& path) {
        s->sampleFile[c].close();
        s->summaryFile[c].close();
        s->sampleFile[c].setFileName(path);
        ASSERT_TRUE(s->sampleFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        s->summaryFile[c].setFileName(summaryPathFor(path));
        ASSERT_TRUE(s->summaryFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    }
    struct Columns {
        std::array<std::array<std::uint8_t, kDisplayColumns>, 2> top, bottom;
        bool operator==(const Columns&) const = default;
    };
    Columns load() {
        loadViewWindow(*s, *view);
        Columns r;
        for (int c = 0; c < 2; ++c) {
            std::copy_n(s->channelData[c].begin(), kDisplayColumns, r.top[c].begin());
            r.bottom[c] = view->columnMin[c];
        }
        return r;
    }
    // The reference: the same view with the summaries closed, read by the full scan.
    Columns fullScan() {
        std::array<QString, 2> names;
        for (int c = 0; c < 2; ++c) {
            names[c] = s->summaryFile[c].fileName();
            s->summaryFile[c].close();
        }
        const Columns r = load();
        for (int c = 0; c < 2; ++c)
            s->summaryFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        return r;
    }
};

TEST_F(SummaryViewTest, ColumnsEqualTheFullScanAtEveryZoomAndStart) {
    for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(readSummaryLayout(s->summaryFile[c], s->sampleFile[c]).valid);
    const std::int32_t showAll = showAllDivisor(kLength);
    const std::int32_t zooms[] = {256, 257, 300, 1000, 4095, 65536, 70000, 131073, 200000, showAll};
    for (const std::int32_t z : zooms) {
        const std::int64_t span = std::int64_t{kDisplayColumns} * z;
        const std::int64_t starts[] = {0,
                                       1,
                                       255,
                                       65536 - 7,
                                       (std::int64_t{3} << 20) - 100, // a column across data into a hole
                                       std::max<std::int64_t>(0, kLength - span),
                                       std::max<std::int64_t>(0, kLength - span + 12345),
                                       kLength - 40 * std::int64_t{z} - 3, // columns past the end
                                       kLength + 5};
        for (const std::int64_t start : starts) {
            s->zoomDivisor = z;
            s->viewStart = start;
            const Columns expected = fullScan();
            const Columns got = load();
            EXPECT_TRUE(got == expected) << "zoom " << z << " start " << start;
        }
    }
}

TEST_F(SummaryViewTest, SummaryOfAChangedSampleFileIsNotUsed) {
    const QString a = s->sampleFile[0].fileName();
    const QString summary = summaryPathFor(a);
    struct Row {
        const char* name;
        void (*change)(const QString& sample, const QString& summary);
    } rows[] = {
        {"grown",
         [](const QString& p, const QString&) {
             QFile f(p);
             f.open(QIODevice::Append);
             f.write(QByteArray(70000, char(250)));
         }},
        {"truncated",
         [](const QString& p, const QString&) {
             QFile f(p);
             f.open(QIODevice::ReadWrite);
             f.resize(kLength - 300000);
         }},
        {"rewritten with another time",
         [](const QString& p, const QString&) {
             QFile f(p);
             f.open(QIODevice::ReadWrite);
             f.seek(0);
             f.write(QByteArray(1 << 20, char(240))); // same length, other samples
             f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
         }},
        {"rewritten in the middle, modification time set back",
         [](const QString& p, const QString&) {
             QFile f(p);
             f.open(QIODevice::ReadWrite);
             const QDateTime was = f.fileTime(QFileDevice::FileModificationTime);
             f.seek(kLength / 2);
             f.write(QByteArray(4096, char(255)));
             f.flush();
             f.setFileTime(was, QFileDevice::FileModificationTime);
         }},
        {"summary of another file of the same length and time",
         [](const QString& p, const QString& sum) {
             const QString other = p + QStringLiteral(".other.rca");
             QFile::remove(other);
             QFile::copy(p, other);
             QFile f(other);
             f.open(QIODevice::ReadWrite);
             f.write(QByteArray(4096, char(1)));
             f.setFileTime(QFileInfo(p).lastModified(), QFileDevice::FileModificationTime);
             f.close();
             buildSampleSummary(other);
             QFile::remove(sum);
             QFile::copy(summaryPathFor(other), sum);
         }},
        {"summary cut short",
         [](const QString&, const QString& sum) {
             QFile f(sum);
             f.open(QIODevice::ReadWrite);
             f.resize(f.size() - 2);
         }},
        {"summary of another file",
         [](const QString&, const QString& sum) {
             QFile f(sum);
             f.open(QIODevice::ReadWrite);
             f.write("NOTASUMM");
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_NO_FATAL_FAILURE(writeChannel(0, a));
        ASSERT_TRUE(buildSampleSummary(a));
        open(0, a);
        ASSERT_TRUE(readSummaryLayout(s->summaryFile[0], s->sampleFile[0]).valid);
        r.change(a, summary);
        open(0, a);
        EXPECT_FALSE(readSummaryLayout(s->summaryFile[0], s->sampleFile[0]).valid);
        s->zoomDivisor = showAllDivisor(kLength);
        s->viewStart = 0;
        const Columns expected = fullScan();
        EXPECT_TRUE(load() == expected);
    }
}

TEST_F(SummaryViewTest, CancelledOrFailedBuildLeavesNoSummary) {
    const QString a = s->sampleFile[0].fileName();
    QFile::remove(summaryPathFor(a));
    std::int64_t calls = 0;
    EXPECT_FALSE(buildSampleSummary(a, [&calls](std::int64_t done, std::int64_t total) {
        EXPECT_LE(done, total);
        return ++calls < 3;
    }));
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(QFile::exists(summaryPathFor(a)));
    EXPECT_FALSE(buildSampleSummary(dir.filePath(QStringLiteral("missing.rca"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.rsa"))));
}

} // namespace
