// The summary written as the samples come must be exactly the summary of the finished sample file,
// however the samples were cut into appends, and a summary that fails must leave nothing behind.
#include "recording/SampleSummaryWriter.h"
#include "recording/RecordingFileSet.h"
#include "recording/SampleSummary.h"
#include "support/FullDiskWriter.h"
#include "support/RecordedFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace varnilog {
namespace {

// Noise around a drifting level with single spikes, so neighbouring blocks differ in both bounds.
std::vector<std::uint8_t> samples(std::int64_t length, int seed) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    for (std::int64_t i = 0; i < length; ++i) {
        std::uint32_t x =
            static_cast<std::uint32_t>(i * 2654435761u + static_cast<std::uint32_t>(seed) * 97u);
        x ^= x >> 13;
        const int level = 20 + static_cast<int>((i / 911 + seed * 40) % 200);
        out[static_cast<std::size_t>(i)] = i % 70001 == 5 ? 255 : i % 777 == 1 ? 0 : level + x % 16;
    }
    return out;
}

// The summary computed the plain way, straight from the layout.
QByteArray expectedSummary(const std::vector<std::uint8_t>& s, const FileIdentity& sample) {
    QByteArray out;
    const auto mark = summaryMagic();
    out.append(reinterpret_cast<const char*>(mark.data()), kSummaryMagicSize);
    for (const std::int64_t block : {kSummaryFineBlock, kSummaryCoarseBlock})
        for (std::int64_t b = 0; b + block <= static_cast<std::int64_t>(s.size()); b += block) {
            const auto [lo, hi] = std::minmax_element(s.begin() + b, s.begin() + b + block);
            out.append(static_cast<char>(*lo));
            out.append(static_cast<char>(*hi));
        }
    const auto trailer = summaryTrailer(sample);
    out.append(reinterpret_cast<const char*>(trailer.data()), kSummaryTrailerSize);
    return out;
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(SampleSummaryWriterTest, AnyCutIntoAppendsGivesTheSummaryOfTheWhole) {
    struct Row {
        const char* name;
        std::int64_t length;
        std::vector<std::size_t> chunks; // used in turn
    } rows[] = {
        {"empty", 0, {1000}},
        {"under one block", 255, {1}},
        {"one block sample by sample", 256, {1}},
        {"blocks cut unevenly", 3 * kSummaryCoarseBlock + 1000, {7, 300, 65537, 1}},
        {"more pairs than the buffer holds", (std::int64_t{9} << 20) + 77, {204800, 3}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rec.rca"));
        const std::vector<std::uint8_t> s = samples(r.length, 3);
        DiskFileWriter disk;
        SampleSummaryWriter writer;
        ASSERT_TRUE(writer.start(path, disk));
        std::size_t pos = 0;
        for (std::size_t k = 0; pos < s.size(); ++k) {
            const std::size_t n = std::min(r.chunks[k % r.chunks.size()], s.size() - pos);
            writer.add(std::span(s.data() + pos, n));
            pos += n;
        }
        const FileIdentity sample{7, 8, r.length, 1234567, 7654321};
        ASSERT_TRUE(writer.finish(sample));
        EXPECT_EQ(test::readFile(summaryPathFor(path)), expectedSummary(s, sample));
        EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("rec.rsa")});
    }
}

TEST(SampleSummaryWriterTest, AFailedSummaryLeavesNothingAndKeepsAnOlderOne) {
    struct Row {
        const char* name;
        bool full;                // the summary's disk is full
        std::int64_t extraLength; // finish is told another length than the samples added
        bool abandon;
    } rows[] = {
        {"disk full", true, 0, false},
        {"samples added are not the file's", false, 1, false},
        {"fewer samples added than the file has", false, -1, false},
        {"abandoned", false, 0, true},
    };
    const std::vector<std::uint8_t> s = samples(kSummaryCoarseBlock + 999, 1);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rec.rca"));
        QFile older(summaryPathFor(path));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
        older.close();
        DiskFileWriter disk;
        test::FullDiskWriter full;
        SampleSummaryWriter writer;
        ASSERT_TRUE(writer.start(path, r.full ? static_cast<FileWriter&>(full) : disk));
        writer.add(s);
        if (r.abandon)
            writer.abandon();
        EXPECT_FALSE(
            writer.finish(FileIdentity{1, 1, static_cast<std::int64_t>(s.size()) + r.extraLength, 1, 1}));
        EXPECT_FALSE(writer.active());
        EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("rec.rsa")});
        EXPECT_EQ(test::readFile(summaryPathFor(path)), QByteArray("older"));
    }
}

// The recording's own files: the summaries are in place when the set is finished, valid for the
// sample files as they are, equal to a summary built from them, and made without reading them again.
TEST(SampleSummaryWriterTest, FileSetHasValidSummariesWithoutReadingTheSamplesAgain) {
    QTemporaryDir dir;
    RecordingFileSet set(dir.path(), QStringLiteral("rec"));
    ASSERT_TRUE(set.createSampleFiles());
    const std::int64_t length = (std::int64_t{4} << 20) + 321;
    const std::vector<std::uint8_t> a = samples(length, 1), b = samples(length, 2);
    for (std::int64_t pos = 0; pos < length; pos += 204800) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(204800, length - pos));
        ASSERT_TRUE(set.append(std::span(a.data() + pos, n), std::span(b.data() + pos, n)));
    }
    set.closeSampleFiles();
    const qint64 readBefore = test::bytesReadSoFar();
    set.finishSummaries();
    const qint64 readDuring = test::bytesReadSoFar() - readBefore;
    // The fine pairs (1/128 of the samples) read back for the coarse ones; no sample is read again.
    EXPECT_LT(readDuring, length / 16);

    for (const char* ext : {".rca", ".rcb"}) {
        SCOPED_TRACE(ext);
        QFile sample(set.path(ext)), summary(summaryPathFor(set.path(ext)));
        ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
        ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
        EXPECT_TRUE(readSummaryLayout(summary, sample).valid);
        const QByteArray recorded = summary.readAll();
        summary.close();
        ASSERT_TRUE(buildSampleSummary(set.path(ext)));
        EXPECT_EQ(test::readFile(summaryPathFor(set.path(ext))), recorded);
    }
    EXPECT_EQ(filesIn(dir), (QStringList{"rec.rca", "rec.rcb", "rec.rsa", "rec.rsb"}));
}

TEST(SampleSummaryWriterTest, FileSetWithoutSummariesStillRecordsAndRemovesAll) {
    struct Row {
        const char* name;
        bool summaryDiskFull;
        bool removed; // the set is deleted as an empty recording is
        QStringList left;
    } rows[] = {
        {"summaries cannot be written", true, false, {"rec.rca", "rec.rcb"}},
        {"set removed before its summaries were finished", false, true, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        test::FullDiskWriter writer(
            [&r](const QString& path) { return r.summaryDiskFull && path.contains(".rs"); });
        RecordingFileSet set(dir.path(), QStringLiteral("rec"), &writer);
        ASSERT_TRUE(set.createSampleFiles());
        const std::vector<std::uint8_t> a = samples(100000, 1), b = samples(100000, 2);
        EXPECT_TRUE(set.append(a, b));
        set.closeSampleFiles();
        if (r.removed)
            set.remove();
        else
            set.finishSummaries();
        EXPECT_EQ(filesIn(dir), r.left);
        if (!r.removed) {
            EXPECT_EQ(test::readFile(set.path(".rca")).size(), 100000);
        }
    }
}

} // namespace
} // namespace varnilog
