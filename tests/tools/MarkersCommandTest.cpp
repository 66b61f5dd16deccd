// varnilog-cli markers: changes and their usage errors, the JSON list, Audacity label tracks, and the
// spans of measure and export between markers.
#include "support/CliRunner.h"
#include "support/RecordingSet.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace varnilog::test;

namespace {

// 12 samples at 1 ms: A a square wave 100/150 of period 4, B the zero line.
QString twelveSamples(const QTemporaryDir& dir) {
    RecordingContents contents;
    contents.channels = {{100, 100, 150, 150, 100, 100, 150, 150, 100, 100, 150, 150}, Codes(12, 125)};
    return writeRecording(dir.path(), QStringLiteral("2024-03-07 14.05.09"), contents);
}

TEST(MarkersCommandTest, ChangesListsAndUsageErrors) {
    QTemporaryDir dir;
    const QString ros = twelveSamples(dir);
    const QString labels = dir.filePath(QStringLiteral("labels.txt"));
    writeFile(labels,
              "0.002000\t0.002000\tfirst\n\\ 100.0 200.0\n0.0035\t0.0060\tspan one\n0.5\t0.5\tlate\nx\n");
    const struct {
        QStringList args;
        int code;
    } steps[] = {
        {{"--add", "11", QString::fromUtf8("zażółć;\"x\"")}, 0},
        {{"--add", "12", "past the end"}, 2},
        {{"--add", "5:3", "backwards"}, 2},
        {{"--add", "3:9", "r", "--kind", "strata"}, 2},
        {{"--add", "3"}, 2},
        {{"--kind", "uwaga"}, 2},
        {{"--add", "3:9", "r", "--kind", "uwaga"}, 0},
        {{"--remove", "2"}, 2},
        {{"--clear-kind", "nic"}, 2},
        {{"--remove", "0", "--clear-kind", "uwaga"}, 2},
        {{"--import-audacity", labels}, 0}, // lines 4 and 5 skipped, the frequency line passed over
        {{"--add", "1:2", "gone", "--kind", "zakres"}, 0},
        {{"--remove", "0"}, 0},
    };
    for (const auto& s : steps) {
        const CliRun run = runCli(QStringList{QStringLiteral("markers"), ros} + s.args);
        EXPECT_EQ(run.code, s.code) << s.args.join(' ').toStdString() << run.err.toStdString();
    }
    const CliRun json = runCli({QStringLiteral("markers"), ros, QStringLiteral("--json")});
    EXPECT_EQ(json.out,
              "{\"recording\": \"" + ros.toUtf8() +
                  "\", \"markers\": [{\"start\": 2, \"end\": 2, \"kind\": \"uwaga\", \"label\": \"first\"}, "
                  "{\"start\": 3, \"end\": 9, \"kind\": \"uwaga\", \"label\": \"r\"}, "
                  "{\"start\": 4, \"end\": 6, \"kind\": \"zakres\", \"label\": \"span one\"}, "
                  "{\"start\": 11, \"end\": 11, \"kind\": \"uwaga\", \"label\": \"zażółć;\\\"x\\\"\"}]}\n");
    const CliRun table = runCli({QStringLiteral("markers"), ros});
    EXPECT_TRUE(table.out.contains("0000:00:00:004 zakres     span one")) << table.out.toStdString();

    // An Audacity track written and read back gives the same markers (a range stays a "zakres").
    const QString track = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_EQ(runCli({QStringLiteral("markers"), ros, QStringLiteral("--audacity"), track}).code, 0);
    EXPECT_TRUE(readFile(track).startsWith("0.002000\t0.002000\tfirst\n0.003000\t0.009000\tr\n"));
    EXPECT_EQ(
        runCli({QStringLiteral("markers"), ros, QStringLiteral("--clear-kind"), QStringLiteral("uwaga")})
            .code,
        0);
    const CliRun imported =
        runCli({QStringLiteral("markers"), ros, QStringLiteral("--import-audacity"), track});
    EXPECT_TRUE(imported.out.contains("0000:00:00:003 zakres     r")) << imported.out.toStdString();
}

TEST(MarkersCommandTest, MeasureAndExportBetweenMarkers) {
    QTemporaryDir dir;
    const QString ros = twelveSamples(dir);
    writeFile(dir.filePath(QStringLiteral("2024-03-07 14.05.09.rmk")),
              "varnilog-markers;1\r\n2;2;uwaga;a\r\n4;8;zakres;b\r\n");
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    const struct {
        QStringList args;
        int code;
        int lines; // exported lines, the first at sample 2
    } cases[] = {
        {{"--from-marker", "0", "--to-marker", "1"}, 0, 6}, {{"--from", "2", "--to", "4"}, 0, 2},
        {{"--from-marker", "1", "--to-marker", "0"}, 2, 0}, {{"--from-marker", "2"}, 2, 0},
        {{"--from-marker", "0", "--from", "1"}, 2, 0},      {{"--to-marker", "0", "--to", "3"}, 2, 0},
    };
    for (const auto& c : cases) {
        const CliRun exported = runCli(
            QStringList{QStringLiteral("export"), ros, out, QStringLiteral("--locale"), QStringLiteral("C")} +
            c.args);
        EXPECT_EQ(exported.code, c.code) << c.args.join(' ').toStdString() << exported.err.toStdString();
        if (c.code == 0) {
            const QByteArray text = readFile(out);
            EXPECT_EQ(text.count("\r\n"), c.lines);
            EXPECT_TRUE(text.startsWith("0000:00:00:002;1.0000;0.0000\r\n")) << text.toStdString();
        }
        const CliRun measured =
            runCli(QStringList{QStringLiteral("measure"), ros, QStringLiteral("--json")} + c.args);
        EXPECT_EQ(measured.code, c.code);
        const QByteArray span = QStringLiteral("\"from\": 2, \"to\": %1").arg(2 + c.lines).toUtf8();
        EXPECT_EQ(measured.out.contains(span), c.code == 0) << measured.out.toStdString();
    }
}

} // namespace

// A change never drops what could not be read: it is refused and the file stays byte for byte.
TEST(MarkersCommandTest, DamagedFilesAreNeverRewritten) {
    const QByteArray good = "varnilog-markers;1\r\n2;2;uwaga;a\r\n";
    const struct {
        const char* name;
        QByteArray rmk;
        qint64 size; // a sparse file of this size, else rmk as it is
        QStringList change;
        const char* err;
    } cases[] = {
        {"bad UTF-8", good + "3;3;uwaga;\xff\r\n", 0, {"--add", "1", "x"}, ": 1 lines"},
        {"start after end", good + "5;4;uwaga;b\r\n4;3;uwaga;c\r\n", 0, {"--remove", "0"}, ": 2 lines"},
        {"index past int64",
         good + "9223372036854775808;1;uwaga;d\r\n",
         0,
         {"--clear-kind", "uwaga"},
         ": 1 lines"},
        {"over the reader's limit", good, (qint64{256} << 20) + 1, {"--add", "1", "x"}, ": 1 lines"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString ros = twelveSamples(dir);
        const QString rmk = dir.filePath(QStringLiteral("2024-03-07 14.05.09.rmk"));
        writeFile(rmk, c.rmk);
        if (c.size > 0) {
            ASSERT_TRUE(QFile::resize(rmk, c.size));
        }
        const QByteArray before = c.size > 0 ? QByteArray() : readFile(rmk);
        const CliRun run = runCli(QStringList{QStringLiteral("markers"), ros} + c.change);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains("nothing was changed") && run.err.contains(c.err))
            << run.err.toStdString();
        EXPECT_EQ(QFileInfo(rmk).size(), c.size > 0 ? c.size : before.size());
        if (c.size == 0) {
            EXPECT_EQ(readFile(rmk), before);
        }
    }
    // A label track larger than a marker file may be is refused whole, not cut at the limit.
    QTemporaryDir dir;
    const QString ros = twelveSamples(dir);
    const QString track = dir.filePath(QStringLiteral("big.txt"));
    writeFile(track, "0.001\t0.001\tfirst\n");
    ASSERT_TRUE(QFile::resize(track, (qint64{257} << 20)));
    const CliRun big = runCli({QStringLiteral("markers"), ros, QStringLiteral("--import-audacity"), track});
    EXPECT_EQ(big.code, 1) << big.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("2024-03-07 14.05.09.rmk"))));
}

// The listing's time is the sample's own, however far into a long recording (the 32-bit product
// lists sample 123 456 789 at 1 ms 3 ms late).
TEST(MarkersCommandTest, ListsTheTimeOfFarSamples) {
    QTemporaryDir dir;
    const QString ros = twelveSamples(dir);
    QFile rca(dir.filePath(QStringLiteral("2024-03-07 14.05.09.rca")));
    ASSERT_TRUE(rca.resize(123456790)); // sparse: nothing is written
    writeFile(dir.filePath(QStringLiteral("2024-03-07 14.05.09.rmk")),
              "varnilog-markers;1\r\n16777217;16777217;uwaga;a\r\n123456789;123456789;uwaga;b\r\n");
    const CliRun table = runCli({QStringLiteral("markers"), ros});
    EXPECT_TRUE(table.out.contains("0004:39:37:217 uwaga      a")) << table.out.toStdString();
    EXPECT_TRUE(table.out.contains("0034:17:36:789 uwaga      b")) << table.out.toStdString();
}
