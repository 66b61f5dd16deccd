// The board or the data folder going away while the main window records: one error box each time,
// nothing received before it lost, and the next Start records again.
#include "app/Clock.h"
#include "app/Program.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <thread>

using namespace varnilog;

namespace {

// A clock one second further on at every reading, so recordings made in quick succession never
// wait for the next second to get a name of their own. Waits are real.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return start_.addSecs(steps_++); }
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

private:
    QDateTime start_{QDate(2026, 3, 1), QTime(9, 0, 0)};
    mutable int steps_ = 0;
};

BoardOptions counterBoard(Misbehaviour m) {
    BoardOptions o = test::counterBoard(3, m);
    o.hangUpAfterBytes = 8000; // 2000 frames, under 0.1 s at the line rate
    return o;
}

using test::readFile;

using test::firstBrokenSample;

class UnplugTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        dataDir = dir.filePath(QStringLiteral("data"));
        ASSERT_TRUE(QDir().mkdir(dataDir));
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dataDir);
        clock = &steppingClock;
        createWindow();
        // The port under a name of its own, as a USB adapter keeps its name when plugged in again.
        state->comPortName = dir.filePath(QStringLiteral("ttyKZ"));
    }
    void TearDown() override { destroyWindows(); }
    void plugIn(PtyBoard& board) {
        ASSERT_TRUE(board.start());
        QFile::remove(state->comPortName);
        ASSERT_TRUE(QFile::link(board.slavePath(), state->comPortName));
    }
    // Lets the window run until it shows its next error box or the time is up.
    bool waitForBox(std::size_t boxesBefore, int ms) {
        QElapsedTimer t;
        t.start();
        while (boxes.shown.size() == boxesBefore && t.elapsed() < ms)
            QTest::qWait(10);
        return boxes.shown.size() > boxesBefore;
    }
    QString dataPath(const QString& name) const { return QDir(dataDir).filePath(name); }
    QStringList recordings() const { return QDir(dataDir).entryList({QStringLiteral("*.ros")}); }

    QString dataDir;
    SteppingClock steppingClock;
};

} // namespace

// The user records; the board drops off the line (cable pulled) in the middle of the stream. Each
// time: one box "Utracono połączenie z portem!", the message stays in the status bar, the recording
// holds every frame the board sent before it went (the whole counter ramp), it is the one on
// display, and once the board is back under the same port name, Start records again. 20 times.
TEST_F(UnplugTest, BoardHangingUpTwentyTimesLosesNothingAndStartWorksAgain) {
    const QString lostBox =
        QString::fromUtf8("Utracono połączenie z portem!\n Nagrywanie zostało zatrzymane.");
    PtyBoard board(counterBoard(Misbehaviour::HangUp));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        plugIn(board);
        button("btStart")->click();
        ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
        ASSERT_TRUE(waitForBox(boxes.shown.size(), 5000)) << "no message after the hang-up";
        EXPECT_TRUE(board.hungUp());
        ASSERT_EQ(boxes.shown.size(), static_cast<std::size_t>(round + 1)); // one box, no second one
        EXPECT_EQ(boxes.shown.back().text, lostBox);
        QTest::qWait(60); // a timer that kept running would show another box now
        EXPECT_EQ(boxes.shown.size(), static_cast<std::size_t>(round + 1));
        EXPECT_EQ(form->statusPanelText(16), QString::fromUtf8("Utracono połączenie z portem !"));
        EXPECT_FALSE(state->samplingActive);
        EXPECT_TRUE(button("btStart")->isEnabled());
        EXPECT_FALSE(button("btStop")->isEnabled());

        ASSERT_EQ(recordings().size(), round + 1);
        const QString base = state->recordingPath.chopped(4);
        const QByteArray a = readFile(base + ".rca"), b = readFile(base + ".rcb");
        EXPECT_EQ(a.size(), 2000); // 8000 bytes the board sent, 4 per frame
        EXPECT_EQ(a.size(), board.framesSent());
        EXPECT_EQ(firstBrokenSample(a, b), -1);
        EXPECT_EQ(state->sampleCount, 2000); // loaded for display
    }
}

// The user removes the data folder (rm -r) while recording. One box says that the recording's files
// are gone; the window stops recording and stays usable. Start without the folder says in the status
// bar that it cannot create the files; with the folder back, Start records a whole counter ramp.
TEST_F(UnplugTest, DataFolderRemovedWhileRecordingStopsWithOneMessage) {
    PtyBoard board(counterBoard(Misbehaviour::None));
    plugIn(board);
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
    QTest::qWait(300);
    ASSERT_TRUE(QDir(dataDir).removeRecursively());
    ASSERT_TRUE(waitForBox(0, 3000)) << "removing the folder went unnoticed";
    QTest::qWait(150);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QString::fromUtf8(
                  "Pliki nagrania zostały usunięte z folderu danych!\n Nagrywanie zostało zatrzymane."));
    EXPECT_EQ(form->statusPanelText(16), QString::fromUtf8("Pliki nagrania zostały usunięte !"));
    EXPECT_FALSE(state->samplingActive);
    EXPECT_TRUE(button("btStart")->isEnabled());
    EXPECT_FALSE(QDir(dataDir).exists()); // nothing was put back behind the user's back

    button("btStart")->click();
    EXPECT_EQ(form->statusPanelText(16), QString::fromUtf8("Nie można utworzyć pliku !"));
    EXPECT_TRUE(button("btStop")->isEnabled());
    button("btStop")->click();
    EXPECT_TRUE(button("btStart")->isEnabled());
    EXPECT_EQ(boxes.shown.size(), 1u);

    ASSERT_TRUE(QDir().mkdir(dataDir));
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
    QTest::qWait(300);
    button("btStop")->click();
    ASSERT_EQ(recordings().size(), 1);
    const QString base = dataPath(recordings().first().chopped(4));
    const QByteArray a = readFile(base + ".rca");
    EXPECT_GT(a.size(), 1000);
    EXPECT_EQ(a.size(), board.framesSent());
    EXPECT_EQ(firstBrokenSample(a, readFile(base + ".rcb")), -1);
    EXPECT_EQ(boxes.shown.size(), 1u);
}
