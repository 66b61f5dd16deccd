// record --trigger on a pty board sending isolated 3-sample pulses at random gaps: it stops on the
// first pulse with its post-trigger samples and writes the frame; events then counts every pulse the
// recording holds; no event within the timeout keeps the recording and fails; bad specs are usage
// errors.
#include "device/PtyBoard.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

using namespace varnilog::test;

namespace {

// Starts of the runs of codes away from the zero line: the pulses the board sent.
std::vector<qsizetype> pulseStarts(const QByteArray& a) {
    std::vector<qsizetype> starts;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (static_cast<quint8>(a[i]) != 125 && (i == 0 || static_cast<quint8>(a[i - 1]) == 125))
            starts.push_back(i);
    return starts;
}

} // namespace

TEST(RecordTriggerTest, StopsOnTheFirstPulseAndEveryPulseIsAnEvent) {
    varnilog::BoardOptions options;
    options.channels = {varnilog::ChannelSignal{varnilog::Waveform::Pulse, 0, 1.0},
                        varnilog::ChannelSignal{varnilog::Waveform::Dc, 0, 0.0}};
    varnilog::PtyBoard board(options);
    ASSERT_TRUE(board.start());
    QTemporaryDir dir;
    const QStringList common{"record", "--port", board.slavePath(), "--dir", dir.path(),
                             "--sens", "4,4",    "--mode",          "2,2"};
    const CliRun r =
        runCli(common + QStringList{"--trigger", "A,rising,0.5,hyst=0.2,width<5", "--post", "5000",
                                    "--timeout", "20", "--png", dir.filePath("frame.png")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QStringList lines = QString::fromLocal8Bit(r.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QByteArray a = varnilog::test::readFile(lines[0].chopped(4) + ".rca");
    const std::vector<qsizetype> pulses = pulseStarts(a);
    ASSERT_GE(pulses.size(), 4u);
    for (std::size_t i = 0; i + 1 < pulses.size(); ++i)
        ASSERT_EQ(a.mid(pulses[i], 4), QByteArray("\x96\x96\x96\x7d", 4)) << "an isolated 3-sample pulse";
    EXPECT_EQ(lines[1].toLongLong(), pulses[0]);
    EXPECT_GE(a.size(), pulses[0] + 5001);
    const QImage frame(dir.filePath("frame.png"));
    ASSERT_EQ(frame.size(), QSize(500, 250));
    EXPECT_NE(frame.pixel(250, 0), frame.pixel(200, 0)) << "the trigger column is marked";
    EXPECT_EQ(frame.pixel(251, 100), qRgb(0xEE, 0xEE, 0x44))
        << "the pulse, in A's colour, just after column 250";

    const CliRun events =
        runCli({"events", lines[0], "--channel", "A", "--edge", "rising", "--level", "0.5", "--json"});
    ASSERT_EQ(events.code, 0);
    // The last pulse may be cut by the stop; every whole one is an event.
    EXPECT_EQ(events.out.count("\"sample\""), static_cast<qsizetype>(pulses.size()))
        << events.out.constData();

    // Falling below -0.5 V never happens: the recording is kept and the reason given.
    const CliRun none = runCli(common + QStringList{"--trigger", "A,falling,-0.5", "--timeout", "0.5"});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains("no event within")) << none.err.constData();
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(none.out).trimmed()));

    for (const char* bad : {"C,rising,0", "A,up,0", "A,rising,9", "A,rising,0,hyst=2", "A,rising,0,width=3"})
        EXPECT_EQ(runCli(common + QStringList{"--trigger", bad}).code, 2) << bad;
    EXPECT_EQ(runCli(common + QStringList{"--seconds", "1", "--trigger", "A,rising,0"}).code, 2);
    EXPECT_EQ(runCli(common + QStringList{"--seconds", "1", "--post", "3"}).code, 2);
}
