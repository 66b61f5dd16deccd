#include "recording/RecordingFileSet.h"
#include "support/ChildProcess.h"
#include "support/RecordingSetBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

TEST(RecordingFileSetTest, BaseNamesAreZeroPaddedDateAndTime) {
    struct Case {
        QDateTime time;
        const char* expected;
    };
    const std::vector<Case> cases{
        {QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)), "2024-03-07 14.05.09"},
        {QDateTime(QDate(2009, 4, 14), QTime(12, 45, 9, 999)), "2009-04-14 12.45.09"},
        {QDateTime(QDate(2031, 12, 31), QTime(0, 0, 0)), "2031-12-31 00.00.00"},
        {QDateTime(QDate(2025, 1, 2), QTime(23, 59, 59)), "2025-01-02 23.59.59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recordingBaseName(c.time), QLatin1String(c.expected));
}

TEST(RecordingFileSetTest, PathsJoinTheFolderAndReplaceTheLastExtension) {
    struct Case {
        QString input;
        QString extension;
        const char* expected;
    };
    const std::vector<Case> sibling{
        {"/data/2024-03-07 14.05.09.ros", ".rca", "/data/2024-03-07 14.05.09.rca"},
        {"/data/2024-03-07 14.05.09.ros", ".roc", "/data/2024-03-07 14.05.09.roc"},
        {"rel/x.y/name", ".rcb", "rel/x.y/name.rcb"}, // a dot in a folder is not an extension
        {"name", ".ros", "name.ros"},
        {"2024-03-07 14.05.09", ".rca", "2024-03-07 14.05.rca"}, // the seconds read as an extension
    };
    for (const auto& c : sibling)
        EXPECT_EQ(siblingPath(c.input, c.extension), QLatin1String(c.expected)) << c.input.toStdString();
    EXPECT_EQ(joinDataPath("/data", "a.ros"), QStringLiteral("/data/a.ros"));
    EXPECT_EQ(joinDataPath("/data/", "a.ros"), QStringLiteral("/data/a.ros"));
    EXPECT_EQ(joinDataPath("", "a.ros"), QStringLiteral("/a.ros"));
}

TEST(RecordingFileSetTest, SettingsFileHoldsTheNineKeysInOrder) {
    QTemporaryDir dir;
    auto state = test::headerSettingsState();
    RecordingFileSet set(dir.path(), QStringLiteral("2024-03-07 14.05.09"));
    ASSERT_TRUE(set.writeSettings(*state));
    QFile f(set.rosPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified().remove(' ');
    const QStringList expected{
        "[PARAMETRY]", "PODSTAWA=13", "CZULOSCA=4", "CZULOSCB=10",    "TRYBA=2",
        "TRYBB=1",     "OFFSETA=255", "OFFSETB=0",  "ILOSCKANALOW=2", "START=2024-03-0714.05.09"};
    EXPECT_EQ(lines, expected);

    // A folder that does not exist cannot take the file.
    RecordingFileSet missing(dir.filePath("absent"), QStringLiteral("x"));
    EXPECT_FALSE(missing.writeSettings(*state));
    EXPECT_FALSE(missing.createSampleFiles());
}

TEST(RecordingFileSetTest, SampleFilesGrowTogetherAndAnEmptySetIsRemovedWhole) {
    QTemporaryDir dir;
    RecordingFileSet set(dir.path(), QStringLiteral("2024-03-07 14.05.09"));
    auto state = std::make_unique<SharedState>();
    ASSERT_TRUE(set.writeSettings(*state));
    // An older file of the same name is replaced, not appended to; older markers describe other samples.
    for (const char* ext : {".rca", ".rmk"}) {
        QFile old(set.path(ext));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("varnilog-markers;1\r\n1;1;uwaga;stale\r\n");
    }
    ASSERT_TRUE(set.createSampleFiles());
    EXPECT_FALSE(QFile::exists(set.path(".rmk")));
    EXPECT_EQ(set.measureLength(), 0);
    const std::uint8_t a1[] = {1, 2, 3}, b1[] = {4, 5, 6}, a2[] = {7}, b2[] = {8};
    ASSERT_TRUE(set.append(a1, b1));
    ASSERT_TRUE(set.append(a2, b2));
    ASSERT_TRUE(set.append({}, {}));
    EXPECT_EQ(set.samplesAppended(), 4);
    EXPECT_EQ(set.measureLength(), 4); // on disk while still open
    set.closeSampleFiles();
    QFile b(set.path(".rcb"));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), QByteArray("\x04\x05\x06\x08", 4));
    b.close();

    for (const char* ext : {".rcc", ".rcd", ".roc"}) {
        QFile extra(set.path(ext));
        ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(RecordingFileSet::nameTaken(dir.path(), set.baseName()));
    set.remove();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"2024-03-07 14.05.09.roc"});
    EXPECT_EQ(set.measureLength(), -1);
    EXPECT_TRUE(RecordingFileSet::nameTaken(dir.path(), set.baseName())); // the description still claims it
    EXPECT_FALSE(RecordingFileSet::nameTaken(dir.path(), QStringLiteral("2024-03-07 14.05.10")));
}

TEST(RecordingFileSetTest, ShortWriteFailsAndLeavesBothFilesAtTheCommonLength) {
    QTemporaryDir dir;
    RecordingFileSet set(dir.path(), QStringLiteral("s"));
    ASSERT_TRUE(set.createSampleFiles());
    std::vector<std::uint8_t> a(600, 1), b(600, 2);
    ASSERT_TRUE(set.append(a, b));

    bool ok = false;
    {
        const test::ScopedFileSizeLimit limit(1000);
        ok = set.append(a, b); // 1200 bytes do not fit in 1000
    }

    EXPECT_FALSE(ok);
    EXPECT_EQ(set.samplesAppended(), 600);
    set.closeSampleFiles();
    EXPECT_EQ(QFileInfo(set.path(".rca")).size(), 600);
    EXPECT_EQ(QFileInfo(set.path(".rcb")).size(), 600);
}

} // namespace
} // namespace varnilog
