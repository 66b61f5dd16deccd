// varnilog-cli decode: recordings of protocol traffic made from the protocols' timing, with noise,
// slopes and offsets, decode to what was sent; the JSON's exact shape; hostile settings give one
// line that names what is allowed.
#include "decode/DecodeResultsFile.h"
#include "support/CliRunner.h"
#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace varnilog::test;

namespace {

// The first texts of the annotations of the classes asked for, in order.
QStringList firstTexts(const QByteArray& json, const QStringList& classes) {
    QStringList out;
    for (const QJsonValue a :
         QJsonDocument::fromJson(json).object().value(QStringLiteral("annotations")).toArray())
        if (classes.contains(a[QStringLiteral("class")].toString()))
            out << a[QStringLiteral("texts")][0].toString();
    return out;
}

} // namespace

TEST(DecodeCommandTest, RecordedTrafficDecodesToWhatWasSent) {
    QTemporaryDir dir;
    const AnalogShape noisy{90, 170, 3, 6, 5};    // 1 V/div: -1.4 V and +1.8 V
    const AnalogShape shifted{130, 200, 2, 4, 9}; // a level well above 0 V
    const auto [scl, sda] = i2cLevels({0xA0, 0x12, 0x34}, 10);
    const struct {
        const char* name;
        int timeBase;
        std::vector<Codes> channels;
        QStringList args;
        QStringList classes, texts;
    } rows[] = {
        {"uart 8n1",
         15,
         {analogCodes(uartLevels({'H', 'i', 0x00, 0xFF}, 50000.0 / 2400), noisy)},
         {"--decoder", "uart:baudrate=2400", "--channel", "rx=A"},
         {"rx-data"},
         {"48", "69", "00", "FF"}},
        {"uart 7e1",
         15,
         {analogCodes(uartLevels({0x41, 0x7F}, 50000.0 / 2400, {7, Parity::Even}), shifted)},
         {"--decoder", "uart:baudrate=2400:data_bits=7:parity=even", "--channel", "rx=A"},
         {"rx-data"},
         {"41", "7F"}},
        {"uart 2 stop bits",
         15,
         {analogCodes(uartLevels({0x55, 0xAA}, 50000.0 / 2400, {8, Parity::None, 2}), noisy)},
         {"--decoder", "uart:baudrate=2400:stop_bits=1.5", "--channel", "rx=A", "--threshold", "A=0.2:0.2"},
         {"rx-data"},
         {"55", "AA"}},
        {"uart inverted",
         15,
         {analogCodes(uartLevels({0x31}, 50000.0 / 2400, {8, Parity::None, 1, true}), noisy)},
         {"--decoder", "uart:baudrate=2400:invert_rx=yes", "--channel", "rx=A"},
         {"rx-data"},
         {"31"}},
        {"i2c",
         17,
         {analogCodes(scl, noisy), analogCodes(sda, shifted)},
         {"--decoder", "i2c", "--channel", "scl=A,sda=B"},
         {"address-write", "data-write"},
         {"Write", "Address write: 50", "Data write: 12", "Data write: 34"}},
        {"1-wire",
         19,
         {analogCodes(oneWireLevels({0xCC, 0x44}, 1), noisy)},
         {"--decoder", "onewire_link", "--channel", "owr=A", "--stack", "onewire_network"},
         {"reset", "presence", "text"},
         {"Reset", "Presence: true", "Reset/presence: true", "ROM command: 0xcc 'Skip ROM'", "Data: 0x44"}},
        {"nec",
         16,
         {analogCodes(necLevels({{0x04, 0x08}}, 0.1), noisy)},
         {"--decoder", "ir_nec", "--channel", "ir=A"},
         {"addr", "cmd"},
         {"Address: 0x04", "Command: 0x08"}},
        {"pwm",
         12,
         {analogCodes(pwmLevels(4, 40, 0.25))},
         {"--decoder", "pwm", "--channel", "data=A", "--class", "duty-cycle", "--limit", "2"},
         {"duty-cycle"},
         {"25.000000%", "25.000000%"}},
    };
    for (const auto& r : rows) {
        const QString ros =
            writeRecording(dir.path(), QString::fromLatin1(r.name), {r.timeBase, 4, 4, 2, r.channels});
        const CliRun run = runCli(QStringList{"decode", ros, "--json"} + r.args);
        EXPECT_EQ(run.code, 0) << r.name << ": " << run.err.constData();
        EXPECT_EQ(firstTexts(run.out, r.classes), r.texts)
            << r.name << ": " << run.out.left(3000).constData();
    }
}

TEST(DecodeCommandTest, ExactOutputsAndOneLineRefusals) {
    QTemporaryDir dir;
    // 10 samples a bit at 1 ms: 100 baud; 'A' from sample 20 on, its stop bit at 110.
    const QString ros =
        writeRecording(dir.path(), QStringLiteral("u"),
                       {10, 4, 4, 2, {analogCodes(uartLevels({'A'}, 10, {}, 2)), Codes(150, 125)}});
    const QStringList uart{"decode",    ros,    "--decoder", "uart:baudrate=100:format=ascii",
                           "--channel", "rx=A", "--class",   "rx-data"};
    const struct {
        QStringList args;
        int code;
        QByteArray out, err;
    } rows[] = {
        {uart + QStringList{"--json"}, 0,
         "{\"recording\": \"" + ros.toUtf8() +
             "\", \"samplerate\": 1000, \"annotations\": [{\"start\": 30, \"end\": 110, "
             "\"decoder\": \"uart\", \"class\": \"rx-data\", \"row\": \"rx-data\", \"texts\": [\"A\"]}], "
             "\"count\": 1}\n",
         ""},
        {uart + QStringList{"--csv", "--from", "15"}, 0,
         "start;end;start_time;decoder;class;text\n30;110;0000:00:00:030;uart;rx-data;A\n", ""},
        {uart + QStringList{"--from", "40"}, 0, "No annotations.\n", ""},
        // The decoder's own exception: its id and message on one line, exit 1.
        {{"decode", ros, "--decoder", "uart:baudrate=0", "--channel", "rx=A"},
         1,
         "No annotations.\n",
         "varnilog-cli: uart: ZeroDivisionError: float division by zero\n"},
        {{"decode", ros, "--decoder", "nonesuch", "--channel", "rx=A"},
         2,
         "",
         "no decoder 'nonesuch' (installed: "},
        {{"decode", ros, "--decoder", "uart:baudrate=fast", "--channel", "rx=A"},
         2,
         "",
         "--decoder: uart option baudrate: expected an integer, not 'fast'\n"},
        {{"decode", ros, "--decoder", "uart:parity=maybe", "--channel", "rx=A"},
         2,
         "",
         "expected one of none, odd, even"},
        {{"decode", ros, "--decoder", "i2c", "--channel", "scl=A"},
         2,
         "",
         "--channel: i2c needs its channel sda\n"},
        {{"decode", ros, "--decoder", "uart", "--channel", "sda=A"},
         2,
         "",
         "uart has no channel 'sda' (channels: rx, tx)\n"},
        {{"decode", ros, "--decoder", "nonesuch", "--channel", "rx=A", "--class", "x"},
         2,
         "",
         "no decoder 'nonesuch'"},
        {{"decode", ros, "--decoder", "uart", "--channel", "rx=A,rx=B"},
         2,
         "",
         "--channel: rx is given twice\n"},
        {{"decode", ros, "--decoder", "uart", "--channel", "rx=C"},
         2,
         "",
         "--channel: the recording has no channel C\n"},
        {uart + QStringList{"--to", "161"}, 2, "", "--to"},
        {uart + QStringList{"--threshold", "A=1:2"}, 2, "",
         "--threshold: the hysteresis is 0 to 1 division, not '2'\n"},
        {{"decode", ros, "--decoder", "uart", "--channel", "rx=A", "--class", "bits"},
         2,
         "",
         "--class: no class 'bits' (classes: rx-data, "},
        {{"export", ros, dir.filePath("x.wav"), "--logic", "A=0"}, 2, "", "--logic applies to sr\n"},
        {{"export", ros, dir.filePath("x.sr"), "--logic", "C=0"},
         2,
         "",
         "--logic: the recording has no channel C\n"},
        {{"decode", ros, "--decoder", "uart", "--channel", "rx=A", "--stack", "i2cfilter"},
         2,
         "",
         "--stack: i2cfilter does not stack on uart (it takes: i2c)\n"},
    };
    for (const auto& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.code, r.code) << r.args.join(' ').toStdString() << ": " << run.err.constData();
        EXPECT_EQ(run.out, r.out) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(r.err)) << run.err.constData();
        EXPECT_LE(run.err.count('\n'), 1) << run.err.constData();
    }
}

// --save, --mark and --audacity keep the whole run whatever --class and --limit print, beside the
// set, in its markers and in a label track; the saved file reads back.
TEST(DecodeCommandTest, SaveMarkAndLabelsKeepTheWholeRun) {
    QTemporaryDir dir;
    const QString ros = writeRecording(dir.path(), QStringLiteral("k"),
                                       {10, 4, 4, 1, {analogCodes(uartLevels({'A', 'B'}, 10, {}, 2))}});
    const QString labels = dir.filePath(QStringLiteral("k.txt"));
    const QStringList run{"decode",    ros,      "--decoder",  "uart:baudrate=100:format=ascii:parity=even",
                          "--channel", "rx=A",   "--limit",    "1",
                          "--save",    "--mark", "--audacity", labels};
    for (const QByteArray added : {"added 2 dekoder markers", "added 0 dekoder markers"}) {
        const CliRun r = runCli(run);
        EXPECT_EQ(r.code, 0) << r.err.constData();
        EXPECT_EQ(r.out.count('\n'), 1) << r.out.constData(); // --limit 1 prints one line
        EXPECT_TRUE(r.err.contains(added)) << r.err.constData();
    }
    const varnilog::DecodeResultsReading saved = varnilog::loadDecodeResults(ros);
    ASSERT_TRUE(saved.results.has_value()) << static_cast<int>(saved.error.kind);
    EXPECT_GT(saved.results->annotations.size(), 2u);
    EXPECT_EQ(saved.results->settings.stack[0].options.size(), 3u);
    EXPECT_EQ(readFile(labels).count('\n'), static_cast<qsizetype>(saved.results->annotations.size()));
    const CliRun markers = runCli({"markers", ros, "--json"});
    EXPECT_EQ(markers.out.count("\"kind\": \"dekoder\""), 2) << markers.out.constData();
    const CliRun onto = runCli({"decode", ros, "--decoder", "uart", "--channel", "rx=A", "--audacity",
                                ros.chopped(4) + QStringLiteral(".rdk")});
    EXPECT_EQ(onto.code, 2) << onto.err.constData();
}

// The logic channels of a session export are what sigrok-cli's own decoder reads: the bytes sent, across
// the boundary of the session's first chunk of 2^20 samples, as decode finds them.
TEST(DecodeCommandTest, SigrokCliDecodesTheExportsLogicChannels) {
    const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
    if (sigrok.isEmpty())
        GTEST_SKIP() << "sigrok-cli is missing (scripts/install-deps installs it)";
    QTemporaryDir dir;
    const double bit = 50000.0 / 2400;
    const Levels rx = uartLevels({'O', 'K', 0x0D}, bit, {}, 50300);
    ASSERT_GT(rx.size(), 1u << 20);
    const QString ros =
        writeRecording(dir.path(), QStringLiteral("r"), {15, 4, 4, 1, {analogCodes(rx, {90, 170, 3, 6, 2})}});
    const QString sr = dir.filePath(QStringLiteral("r.sr"));
    const CliRun exported = runCli({"export", ros, sr, "--logic", "A=0.2:0.2"});
    ASSERT_EQ(exported.code, 0) << exported.err.constData();
    QProcess p;
    p.start(sigrok, {"-i", sr, "-P", "uart:rx=LA:baudrate=2400", "-A", "uart=rx-data"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.readAllStandardOutput(), "uart-1: 4F\nuart-1: 4B\nuart-1: 0D\n")
        << p.readAllStandardError().constData();
    const CliRun decoded = runCli({"decode", ros, "--decoder", "uart:baudrate=2400", "--channel", "rx=A",
                                   "--threshold", "A=0.2:0.2", "--class", "rx-data", "--csv"});
    EXPECT_EQ(decoded.out.count("rx-data;"), 3) << decoded.out.constData();
    EXPECT_TRUE(decoded.out.contains(";4F\n") && decoded.out.contains(";4B\n") &&
                decoded.out.contains(";0D\n"));
}
