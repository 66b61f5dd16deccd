// varnilog-cli events: the exact JSON of a hand-worked recording, usage errors, and the same list
// with and without the view summaries beside a long recording.
#include "recording/MarkerFile.h"
#include "recording/SampleSummary.h"
#include "support/CliRunner.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <random>

using namespace varnilog::test;

TEST(EventsCommandTest, JsonOfHandWorkedPulsesAndUsageErrors) {
    QTemporaryDir dir;
    RecordingContents contents; // 1 V/div: 0 V is code 125, 1 V is code 150
    contents.channels = {{100, 150, 150, 100, 100, 150, 150, 150, 150, 100}, Codes(10, 125)};
    const QString ros = writeRecording(dir.path(), QStringLiteral("p"), contents);
    varnilog::CoreError error;
    ASSERT_TRUE(varnilog::writeMarkerFile(varnilog::markerFilePath(ros),
                                          {{3, 3, varnilog::MarkerKind::Uwaga, {}}}, error));
    const QStringList base{"events", ros, "--channel", "A", "--edge", "rising", "--level", "0"};
    const struct {
        QStringList extra;
        int code;
        QByteArray out;
    } cases[] = {
        {{"--json"},
         0,
         "{\"recording\": \"" + ros.toUtf8() +
             "\", \"channel\": \"A\", \"events\": [{\"sample\": 1, \"position\": 0.5, \"width\": null}, "
             "{\"sample\": 5, \"position\": 4.5, \"width\": null}], \"count\": 2}\n"},
        {{"--json", "--width-below", "3"},
         0,
         "{\"recording\": \"" + ros.toUtf8() +
             "\", \"channel\": \"A\", \"events\": [{\"sample\": 1, \"position\": 0.5, \"width\": 2}], "
             "\"count\": 1}\n"},
        {{"--csv", "--from", "1"}, 0, "sample;position;time;width\n5;4.5;0000:00:00:005;\n"},
        {{"--csv", "--holdoff", "5"}, 0, "sample;position;time;width\n1;0.5;0000:00:00:001;\n"},
        {{"--csv", "--max", "1"}, 0, "sample;position;time;width\n1;0.5;0000:00:00:001;\n"},
        {{"--level", "5.3"}, 2, ""}, // above code 255
        {{"--width-below", "3", "--width-above", "1"}, 2, ""},
        {{"--hysteresis", "1.5"}, 2, ""},
        {{"--channel", "C"}, 2, ""},
        {{"--to", "11"}, 2, ""},
        {{"--from", "5", "--to", "5"}, 2, ""},
        {{"--csv", "--from-marker", "0"}, 0, "sample;position;time;width\n5;4.5;0000:00:00:005;\n"},
        {{"--csv", "--to-marker", "0"}, 0, "sample;position;time;width\n1;0.5;0000:00:00:001;\n"},
        {{"--from-marker", "1"}, 2, ""},
        {{"--width-below", "0"}, 2, ""},      // no pulse is shorter: it would never fire
        {{"--trigger", "A,rising,0"}, 2, ""}, // the trigger once, as a text or as flags
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(base + c.extra);
        EXPECT_EQ(run.code, c.code) << c.extra.join(' ').toStdString() << run.err.toStdString();
        if (c.code == 0) {
            EXPECT_EQ(run.out, c.out) << c.extra.join(' ').toStdString();
        }
    }
    // The text form of record --trigger says the same trigger as the flags.
    const CliRun text = runCli({"events", ros, "--trigger", "a,rising,0,width<3", "--json"});
    EXPECT_EQ(text.code, 0) << text.err.toStdString();
    EXPECT_EQ(text.out, runCli(base + QStringList{"--json", "--width-below", "3"}).out);
    EXPECT_EQ(runCli({"events", ros, "--trigger", "A,rising,0,width<0"}).code, 2);
}

TEST(EventsCommandTest, SummariesGiveTheSameList) {
    QTemporaryDir dir;
    std::mt19937 rng(3);
    Codes a(3 << 20, 60);
    for (int burst = 0; burst < 20; ++burst) {
        const std::size_t at = rng() % (a.size() - 10000);
        for (std::size_t i = at; i < at + 5000; ++i)
            a[i] = static_cast<std::uint8_t>(rng() % 255);
    }
    RecordingContents contents;
    contents.channels = {a, Codes(a.size(), 125)};
    const QString ros = writeRecording(dir.path(), QStringLiteral("long"), contents);
    const QStringList args{"events", ros,      "--channel",     "A",   "--edge",    "falling", "--level",
                           "1.2",    "--json", "--width-above", "0.5", "--holdoff", "7"};
    const CliRun scanned = runCli(args);
    ASSERT_TRUE(varnilog::buildSampleSummary(dir.filePath(QStringLiteral("long.rca"))));
    const CliRun summarised = runCli(args);
    EXPECT_EQ(scanned.code, 0);
    EXPECT_GT(scanned.out.count("\"sample\""), 100);
    EXPECT_EQ(summarised.out, scanned.out);
}
