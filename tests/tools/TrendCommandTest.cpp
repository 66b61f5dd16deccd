// varnilog-cli trend: usage errors, the exact JSON of both kinds of points, the CSV lines, and
// markers written with --mark that a reload reads back.
#include "support/CliRunner.h"
#include "support/RecordingSet.h"

#include "recording/MarkerFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;
using namespace varnilog::test;

namespace {

// A: a square wave 100/150 of period 4 (rising edges at 1.5, 5.5, 9.5); B: the zero line; 1 ms, 1 V/div.
QString trendSquare(const QTemporaryDir& dir) {
    RecordingContents contents;
    contents.channels = {{100, 100, 150, 150, 100, 100, 150, 150, 100, 100, 150, 150}, Codes(12, 125)};
    return writeRecording(dir.path(), QStringLiteral("square"), contents);
}

TEST(TrendCommandTest, UsageErrors) {
    QTemporaryDir dir;
    const QString ros = trendSquare(dir);
    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{"--measure", "frequency", "--interval", "0"}, 2},
        {{"--measure", "frequency", "--interval", "1"}, 2},
        {{"--measure", "frequency", "--interval", "x"}, 2},
        {{"--measure", "frequency"}, 2},
        {{"--measure", "frequency", "--interval", "4", "--per-period"}, 2},
        {{"--measure", "rms", "--per-period"}, 2},
        {{"--measure", "volume", "--interval", "4"}, 2},
        {{"--measure", "max", "--interval", "4", "--above", "x"}, 2},
        {{"--measure", "max", "--interval", "4", "--below", "inf"}, 2},
        {{"--measure", "max", "--interval", "4", "--mark"}, 2},
        {{"--measure", "max", "--interval", "4", "--json", "--csv"}, 2},
        {{"--measure", "max", "--interval", "4", "--to", "13"}, 2},
        {{"--measure", "max", "--interval", "4", "--from-marker", "0"}, 2},
        {{"--measure", "max", "--interval", "4", "--channel", "C"}, 2},
        {{"--measure", "max", "--interval", "4", "--channel", "E"}, 2},
        {{"--measure", "duty", "--per-period", "--channel", "B", "--below", "1"}, 0},
        {{"--measure", "max", "--interval", "2", "--from", "10"}, 0},
    };
    for (const auto& c : cases) {
        QStringList args{"trend", ros};
        if (!c.args.contains(QStringLiteral("--channel")))
            args << "--channel"
                 << "A";
        const CliRun run = runCli(args + c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << run.err.constData();
        if (c.code != 0) {
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        }
    }
    EXPECT_EQ(
        runCli({"trend", dir.filePath("none.ros"), "--channel", "A", "--measure", "max", "--interval", "2"})
            .code,
        1);
}

TEST(TrendCommandTest, JsonAndCsvOfBothKindsOfPoints) {
    QTemporaryDir dir;
    const QString ros = trendSquare(dir);
    const QByteArray head = "{\"recording\": \"" + ros.toUtf8() + "\", \"channel\": \"A\", ";
    const struct {
        QStringList args;
        QByteArray out;
    } cases[] = {
        {{"--measure", "frequency", "--interval", "8", "--above", "200", "--json"},
         head +
             "\"measure\": \"frequency\", \"interval\": 8, \"points\": [{\"start\": 0, \"end\": 8, "
             "\"value\": "
             "250}, {\"start\": 8, \"end\": 12, \"value\": null}], \"stats\": {\"count\": 1, \"min\": 250, "
             "\"max\": 250, \"mean\": 250, \"sd\": 0}, \"violations\": [{\"start\": 0, \"end\": 8, "
             "\"extreme\": 250}]}\n"},
        {{"--measure", "duty", "--per-period", "--below", "0.6", "--above", "0.5", "--json"},
         head + "\"measure\": \"duty\", \"interval\": null, \"points\": [{\"start\": 1.5, \"end\": 5.5, "
                "\"value\": 0.5}, {\"start\": 5.5, \"end\": 9.5, \"value\": 0.5}], \"stats\": {\"count\": 2, "
                "\"min\": 0.5, \"max\": 0.5, \"mean\": 0.5, \"sd\": 0}, \"violations\": [{\"start\": 1.5, "
                "\"end\": 9.5, \"extreme\": 0.5}]}\n"},
        {{"--measure", "fall", "--interval", "4", "--from", "8", "--json"},
         head +
             "\"measure\": \"fall\", \"interval\": 4, \"points\": [{\"start\": 8, \"end\": 12, \"value\": "
             "null}], \"stats\": {\"count\": 0, \"min\": null, \"max\": null, \"mean\": null, \"sd\": null}, "
             "\"violations\": []}\n"},
        {{"--measure", "frequency", "--interval", "8", "--csv"},
         "start;end;start_time;value\n0;8;0000:00:00:000;250\n8;12;0000:00:00:008;\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(QStringList{"trend", ros, "--channel", "A"} + c.args);
        EXPECT_EQ(run.code, 0) << run.err.constData();
        EXPECT_EQ(run.out, c.out) << c.args.join(' ').toStdString();
    }
}

TEST(TrendCommandTest, MarkAddsViolationsThatAReloadReads) {
    QTemporaryDir dir;
    const QString ros = trendSquare(dir);
    const QStringList args{"trend", ros,          "--channel", "A",       "--measure",
                           "max",   "--interval", "3",         "--below", "0"};
    // Without --mark nothing is written; with it, the one run of minima -1, -1, 1 above -2.
    CliRun run = runCli(args);
    ASSERT_EQ(run.code, 0) << run.err.constData();
    ASSERT_TRUE(readMarkerFile(markerFilePath(ros)).markers.empty());
    run = runCli(
        {"trend", ros, "--channel", "A", "--measure", "min", "--interval", "5", "--above", "-2", "--mark"});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    EXPECT_TRUE(run.err.contains("added 1 "));
    const std::vector<Marker> want{{0, 12, MarkerKind::Przekroczenie, QStringLiteral("min > -2: 1")}};
    EXPECT_EQ(readMarkerFile(markerFilePath(ros)).markers, want);
    // The marker file's lines are its own: a damaged one is left as it is, and the run fails.
    QFile damaged(markerFilePath(ros));
    ASSERT_TRUE(damaged.open(QIODevice::Append));
    damaged.write("not a marker\r\n");
    damaged.close();
    const QByteArray before = [&] {
        QFile f(markerFilePath(ros));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    run = runCli(
        {"trend", ros, "--channel", "A", "--measure", "min", "--interval", "5", "--above", "-2", "--mark"});
    EXPECT_EQ(run.code, 1);
    QFile after(markerFilePath(ros));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

} // namespace
