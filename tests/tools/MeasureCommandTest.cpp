// varnilog-cli measure: spans and their usage errors, the JSON report, the table and the per-period file.
#include "support/CliRunner.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace varnilog::test;

namespace {

// A: a square wave 100/150 of period 4 (rising edges at 1.5, 5.5, 9.5); B: the zero line; 1 ms, 1 V/div.
QString squareWave(const QTemporaryDir& dir) {
    RecordingContents contents;
    contents.channels = {{100, 100, 150, 150, 100, 100, 150, 150, 100, 100, 150, 150}, Codes(12, 125)};
    return writeRecording(dir.path(), QStringLiteral("2024-03-07 14.05.09"), contents);
}

TEST(MeasureCommandTest, SpansOutsideTheRecordingAreUsageErrors) {
    QTemporaryDir dir;
    const QString ros = squareWave(dir);
    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{"--from", "5", "--to", "5"}, 2},
        {{"--from", "6", "--to", "5"}, 2},
        {{"--to", "13"}, 2},
        {{"--from", "-1"}, 2},
        {{"--from", "x"}, 2},
        {{"--channels", "AE"}, 2},
        {{"--locale", "xx_nowhere"}, 2},
        {{"--from", "11", "--to", "12"}, 0},
        {{"--channels", "b"}, 0},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(QStringList{"measure", ros} + c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << run.err.constData();
        if (c.code != 0) {
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        }
    }
    EXPECT_EQ(runCli({"measure", dir.filePath("none.ros")}).code, 1);
}

TEST(MeasureCommandTest, JsonListsEveryRecordedChannelInFullPrecision) {
    QTemporaryDir dir;
    const QString ros = squareWave(dir);
    const CliRun run = runCli({"measure", ros, "--json"});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    // Keys in their order; the square wave's values are exact up to the interpolated rise time.
    const QByteArray head =
        "{\"recording\": \"" + ros.toUtf8() +
        "\", \"from\": 0, \"to\": 12, \"samplingPeriodMs\": 1, \"channels\": [{\"name\": "
        "\"A\", \"samples\": 12, \"max\": 1, \"min\": -1, \"pkpk\": 2, \"mean\": 0, \"rms\": 1, "
        "\"acrms\": 1, \"frequency\": 250, \"period\": 4, \"duty\": 0.5, \"rise\": ";
    EXPECT_TRUE(run.out.startsWith(head)) << run.out.constData();
    const QJsonObject report = QJsonDocument::fromJson(run.out).object();
    const QJsonArray channels = report["channels"].toArray();
    ASSERT_EQ(channels.size(), 2);
    const QJsonObject a = channels[0].toObject(), b = channels[1].toObject();
    EXPECT_NEAR(a["rise"].toDouble(), 0.8, 1e-12);
    EXPECT_NEAR(a["fall"].toDouble(), 0.8, 1e-12);
    EXPECT_EQ(a["periods"].toInt(), 2);
    EXPECT_EQ(b["name"].toString(), "B");
    EXPECT_EQ(b["pkpk"].toDouble(-1), 0.0);
    for (const char* key : {"frequency", "period", "duty", "rise", "fall"})
        EXPECT_TRUE(b[key].isNull()) << key;
    EXPECT_TRUE(run.out.endsWith("\"periods\": 0}]}\n"));
}

TEST(MeasureCommandTest, TableAndPeriodFileUseTheLocale) {
    QTemporaryDir dir;
    const QString ros = squareWave(dir);
    const QString csv = dir.filePath("periods.csv");
    const CliRun run = runCli({"measure", ros, "--locale", "pl_PL", "--channels", "A", "--per-period", csv});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    for (const char* text : {"1,000 V", "-1,000 V", "0,000 V", "250,0 Hz", "4,000 ms", "50,00 %", "800,0 µs"})
        EXPECT_TRUE(run.out.contains(text)) << text << "\n" << run.out.constData();
    EXPECT_FALSE(run.out.contains("\n\nB")) << run.out.constData();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Periods start at the rising edges 1.5 and 5.5 ms (times rounded up as the export writes them).
    EXPECT_EQ(file.readAll(), QByteArray("channel;start;period_ms;frequency_hz;duty_percent;max_v;min_v\r\n"
                                         "A;0000:00:00:002;4;250;50;1,0000;-1,0000\r\n"
                                         "A;0000:00:00:006;4;250;50;1,0000;-1,0000\r\n"));
}

TEST(MeasureCommandTest, EmptyRecordingGivesUndefinedValues) {
    QTemporaryDir dir;
    RecordingContents contents;
    contents.channels = {Codes{}, Codes{}};
    const QString ros = writeRecording(dir.path(), QStringLiteral("empty"), contents);
    QFile(dir.filePath("empty.rca")).open(QIODevice::WriteOnly); // the file exists, with no sample
    const CliRun run = runCli({"measure", ros, "--json"});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QJsonArray channels = QJsonDocument::fromJson(run.out).object()["channels"].toArray();
    ASSERT_EQ(channels.size(), 1); // B has no file
    EXPECT_EQ(channels[0].toObject()["samples"].toInt(-1), 0);
    EXPECT_TRUE(channels[0].toObject()["max"].isNull());
}

} // namespace
