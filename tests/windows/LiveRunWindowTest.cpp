// The board while it runs, through the main window over a counter board on a pseudo-terminal: a
// time base chosen while recording continues in a second recording, and "Tylko podgląd" writes
// nothing until "Zapisz ostatnie…" keeps what it holds.
#include "app/Program.h"
#include "device/PtyBoard.h"
#include "recording/MarkerFile.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"
#include "windows/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

using namespace varnilog;

namespace {

class LiveRunWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
        ASSERT_TRUE(board.start());
        clock = &paced; // the stop's waits last until the board has delivered
        makeWindow().setDialogs(&dialogs);
        form->FormCreate();
        form->show();
        state->comPortName = board.slavePath();
        form->timeBaseButton(12)->click();
    }
    void TearDown() override { destroyWindows(); }
    QStringList recordings() const { return QDir(dir.path()).entryList({QStringLiteral("*.ros")}); }
    // Waits up to 8 s for done.
    static bool waitFor(const std::function<bool()>& done) {
        for (int waited = 0; waited < 8000 && !done(); waited += 50)
            QTest::qWait(50);
        return done();
    }

    PtyBoard board{test::counterBoard()};
    test::BoardPacedClock paced{board, link};
    test::ScriptedDialogs dialogs;
};

} // namespace

TEST_F(LiveRunWindowTest, ATimeBaseChosenWhileRecordingContinuesInASecondRecording) {
    click("btStart");
    ASSERT_TRUE(state->samplingActive);
    // The board's knobs act; the buttons of other windows wait for the stop.
    EXPECT_TRUE(child<QWidget>("Panel5")->isEnabled());
    EXPECT_TRUE(form->timeBaseButton(11)->isEnabled());
    EXPECT_FALSE(button("SpeedButton71")->isEnabled());
    EXPECT_FALSE(button("btLookOnly")->isEnabled());
    QTest::qWait(400);
    form->timeBaseButton(11)->click();
    ASSERT_TRUE(waitFor([this] { return recordings().size() == 2; }));
    EXPECT_TRUE(form->statusPanelText(16).startsWith(QStringLiteral("Zmiana ustawień: podstawa")))
        << form->statusPanelText(16).toStdString();
    EXPECT_TRUE(state->samplingActive);
    QTest::qWait(400);
    click("btStop");

    const QStringList sets = recordings(); // named by their start: in order
    ASSERT_EQ(sets.size(), 2);
    std::int64_t total = 0;
    for (int i = 0; i < 2; ++i) {
        const QString base = dir.filePath(sets[i].chopped(4));
        const QByteArray a = test::readFile(base + ".rca");
        EXPECT_EQ(test::firstBrokenSample(a, test::readFile(base + ".rcb")), -1) << i;
        EXPECT_TRUE(test::readFile(base + ".ros").contains(i == 0 ? "PODSTAWA=12" : "PODSTAWA=11")) << i;
        const std::vector<Marker> marks = readMarkerFile(base + ".rmk").markers;
        ASSERT_EQ(marks.size(), 1u) << i;
        EXPECT_EQ(marks[0].start, i == 0 ? a.size() - 1 : 0);
        EXPECT_TRUE(marks[0].label.startsWith(QStringLiteral("Zmiana ustawień: podstawa")));
        total += a.size();
    }
    EXPECT_EQ(total, board.framesSentInAll());
    EXPECT_EQ(state->recordingPath, dir.filePath(sets[1]));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LiveRunWindowTest, LookingOnlyWritesNothingAndSavesTheLastSamplesOnRequest) {
    QAction* saveRecent = child<QAction>("Zapiszostatnie1");
    EXPECT_FALSE(saveRecent->isEnabled());
    button("btLookOnly")->click();
    click("btStart");
    ASSERT_TRUE(state->samplingActive);
    ASSERT_TRUE(waitFor([this] { return board.framesSent() > 2000; }));
    const QString shownBefore = state->recordingPath;
    const QByteArray preview(reinterpret_cast<const char*>(state->channelData[0].data()), kDisplayColumns);
    click("btStop");
    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.rc?")}).isEmpty());
    // The last picture stays: nothing was loaded over it.
    EXPECT_EQ(state->recordingPath, shownBefore);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state->channelData[0].data()), kDisplayColumns),
              preview);

    ASSERT_TRUE(saveRecent->isEnabled());
    const QString ros = dir.filePath(QStringLiteral("ostatnie.ros"));
    dialogs.fileNames = {ros, ros};
    saveRecent->trigger();
    const QByteArray a = test::readFile(dir.filePath("ostatnie.rca"));
    EXPECT_EQ(a.size(), board.framesSent());
    EXPECT_EQ(test::firstBrokenSample(a, test::readFile(dir.filePath("ostatnie.rcb"))), -1);
    EXPECT_TRUE(test::readFile(ros).contains("PODSTAWA=12"));
    EXPECT_TRUE(boxes.shown.empty());
    // A second save under the same name would take over that recording: refused.
    saveRecent->trigger();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("już istnieje")));
}
