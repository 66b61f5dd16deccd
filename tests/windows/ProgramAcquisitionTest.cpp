// Recording through the main window: a simulated board on a pseudo-terminal, the real port code,
// Start, the 50 ms timer, Stop, and closing the window while recording.
#include "app/Program.h"
#include "device/PtyBoard.h"
#include "recording/MarkerFile.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "windows/Otworzplik.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace varnilog;

namespace {

class ProgramAcquisitionTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
        BoardOptions options;
        options.model = 3;
        options.channels[0] = {Waveform::Counter, 0, 0};
        board = std::make_unique<PtyBoard>(options);
        ASSERT_TRUE(board->start());
        createWindow().show();
        state->comPortName = board->slavePath();
    }
    // The window goes before the board it may still be recording from.
    void TearDown() override { destroyWindows(); }
    QStringList recordings() const { return QDir(dir.path()).entryList({QStringLiteral("*.ros")}); }

    std::unique_ptr<PtyBoard> board;
};

} // namespace

TEST_F(ProgramAcquisitionTest, StartRecordStopAndShowTheRecording) {
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
    EXPECT_EQ(state->deviceModel, 3); // the board's model was taken over
    EXPECT_TRUE(form->windowTitle().contains("KZ300"));
    EXPECT_FALSE(button("btStart")->isEnabled());
    EXPECT_TRUE(button("btStop")->isEnabled());
    EXPECT_TRUE(form->findChild<QWidget*>("Panel5")->isEnabled()); // the board's knobs act
    EXPECT_FALSE(form->findChild<QWidget*>("Panel6")->isEnabled());
    QTest::qWait(600); // about a dozen ticks
    button("btStop")->click();
    EXPECT_FALSE(state->samplingActive);
    EXPECT_TRUE(button("btStart")->isEnabled());
    EXPECT_TRUE(form->findChild<QWidget*>("Panel5")->isEnabled());
    ASSERT_EQ(recordings().size(), 1);
    EXPECT_GT(state->sampleCount, 1000);
    EXPECT_EQ(form->findChild<QLineEdit*>("edFilename")->text() + ".ros", recordings().first());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ProgramAcquisitionTest, MarkButtonAndKeyMarkTheNewestSample) {
    EXPECT_FALSE(button("btMark")->isEnabled());
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    QTest::qWait(300);
    button("btMark")->click();
    QTest::qWait(300);
    QTest::keyClick(form->windowHandle(), Qt::Key_M);
    button("btStop")->click();
    EXPECT_FALSE(button("btMark")->isEnabled());
    const std::vector<Marker> marks = readMarkerFile(markerFilePath(state->recordingPath)).markers;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_LT(marks[0].start, marks[1].start);
    EXPECT_LT(marks[1].start, state->sampleCount);
    EXPECT_EQ(marks[1].label.size(), 8); // "hh:mm:ss"
}

TEST_F(ProgramAcquisitionTest, ClosingWhileRecordingKeepsTheRecording) {
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    QTest::qWait(300);
    form->close();
    EXPECT_FALSE(state->samplingActive);
    ASSERT_EQ(recordings().size(), 1);
    const QString rca = dir.filePath(recordings().first().chopped(4) + ".rca");
    EXPECT_GT(QFile(rca).size(), 0);
    EXPECT_EQ(ProfileFile(ini).readInteger("CONFIG", "UKLAD", 0), 3);
}

TEST_F(ProgramAcquisitionTest, AMissingPortSaysSo) {
    state->comPortName = dir.filePath("no-such-port");
    button("btStart")->click();
    EXPECT_FALSE(state->samplingActive);
    EXPECT_EQ(form->statusPanelText(16), QString::fromUtf8("Nie można otworzyć portu ! %1: %2")
                                             .arg(state->comPortName, qt_error_string(ENOENT)));
    EXPECT_TRUE(button("btStart")->isEnabled());
    EXPECT_TRUE(recordings().isEmpty());
}

TEST_F(ProgramAcquisitionTest, TheBrowserCannotReachTheRecordingBeingWritten) {
    auto* form2 = new TForm2(*state, boxes, form); // owned by the main window
    form->setSecondaryWindows({form2});
    QAction* odczyt = form->findChild<QAction*>("Odczyt1");
    bool browserShown = false;
    const auto triggerOdczyt = [&] {
        QTimer::singleShot(0, form2, [&] {
            browserShown = form2->isVisible();
            form2->reject();
        });
        odczyt->trigger();
        QCoreApplication::processEvents();
    };

    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
    auto* edFilename = form->findChild<QLineEdit*>("edFilename");
    EXPECT_EQ(edFilename->cursorPosition(), 0); // the name is shown from its first character
    EXPECT_FALSE(odczyt->isEnabled());
    triggerOdczyt();
    EXPECT_FALSE(browserShown);

    // Reached anyway, the browser keeps its hands off the set being written.
    form2->show();
    auto* list = form2->findChild<QListWidget*>("FileListBox1");
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    form2->findChild<QAction*>("Usu1")->trigger();
    form2->hide();
    EXPECT_EQ(recordings().size(), 1);
    EXPECT_EQ(boxes.errors().size(), 1);

    QTest::qWait(200);
    button("btStop")->click();
    EXPECT_TRUE(odczyt->isEnabled());
    EXPECT_EQ(edFilename->cursorPosition(), 0); // also once the recording is loaded
    triggerOdczyt();
    EXPECT_TRUE(browserShown);
    EXPECT_GT(state->sampleCount, 0);
}

struct StreamPanelCase {
    const char* name;
    Misbehaviour misbehaviour;
    bool framesExpected;
};

TEST_F(ProgramAcquisitionTest, PanelsShowSkippedBytesAndAStreamWithoutFrames) {
    const QString noFrames = QString::fromUtf8("Brak ramek w odbieranych danych !");
    const std::vector<StreamPanelCase> cases{
        {"a board streaming frames", Misbehaviour::None, true},
        {"bytes that never make a frame", Misbehaviour::NoFrames, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoardOptions options;
        options.model = 3;
        options.misbehaviour = c.misbehaviour;
        PtyBoard streaming(options);
        ASSERT_TRUE(streaming.start());
        state->comPortName = streaming.slavePath();
        EXPECT_TRUE(form->statusPanelText(15).isEmpty());
        button("btStart")->click();
        ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
        EXPECT_EQ(form->statusPanelText(15), QString::fromUtf8("Pominięte: 0 B"));
        // Well over a second of ticks, so the notice would have come.
        const bool noticed = QTest::qWaitFor([&] { return form->statusPanelText(16) == noFrames; }, 2500);
        EXPECT_EQ(noticed, !c.framesExpected) << form->statusPanelText(16).toStdString();
        const QString skipped = form->statusPanelText(15);
        EXPECT_EQ(skipped == QString::fromUtf8("Pominięte: 0 B"), c.framesExpected) << skipped.toStdString();
        EXPECT_TRUE(skipped.startsWith(QString::fromUtf8("Pominięte: "))) << skipped.toStdString();
        // The count is read whole: the panel holds its text in the window's font.
        QCoreApplication::processEvents();
        const QLabel* panel = child<QLabel>("StatusPanel15");
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(skipped));
        button("btStop")->click();
        EXPECT_EQ(form->statusPanelText(16), QStringLiteral("Stop"));
        EXPECT_TRUE(form->statusPanelText(15).isEmpty());
        EXPECT_EQ(recordings().size(), c.framesExpected ? 1 : 0); // an empty set is removed
        for (const QString& f :
             QDir(dir.path()).entryList({QStringLiteral("*.ro?"), QStringLiteral("*.rc?")}))
            QFile::remove(dir.filePath(f));
    }
}
