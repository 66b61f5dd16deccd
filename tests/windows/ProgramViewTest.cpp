// The main window with a recording on display: loading, scrolling, zoom, knobs, offset buttons and
// cursors through the real widgets.
#include "app/Program.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace varnilog;

namespace {

class ProgramViewTest : public test::MainWindowTest {
protected:
    void SetUp() override { createWindow(); }
    // A recording of n samples: A counts 0..249 repeatedly, B is flat at 150.
    QString makeRecording(int n, const char* ros) {
        QByteArray a(n, 0);
        for (int i = 0; i < n; ++i)
            a[i] = static_cast<char>(i % 250);
        return test::writeRecording(dir.path(), QStringLiteral("2024-01-02 03.04.05"), ros,
                                    {a, QByteArray(n, static_cast<char>(150))});
    }

    // The texts below are those of the C locale unless a test says otherwise.
    test::ScopedLocale locale{QLocale::c()};
};

} // namespace

TEST_F(ProgramViewTest, LoadingShowsTheRecordingAndItsScales) {
    form->openRecording(makeRecording(10000, "[PARAMETRY]\nPODSTAWA=10\nCZULOSCA=4\nCZULOSCB=9\nTRYBA=2\n"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(state->sampleCount, 10000);
    EXPECT_EQ(child<QLineEdit>("edFilename")->text(), "2024-01-02 03.04.05");
    EXPECT_EQ(form->statusPanelText(1), "1V");
    EXPECT_EQ(form->statusPanelText(2), "DC");
    EXPECT_EQ(form->statusPanelText(4), "20mV");
    EXPECT_EQ(form->statusPanelText(12), "1ms");
    EXPECT_EQ(child<QScrollBar>("ScrollBar1")->maximum(), 9500);
    // Sample 10 of A is 10: drawn in row 240 of the picture.
    EXPECT_NE(form->view().bmpScreen.pixel(10, 240), form->view().bmpScreen.pixel(10, 100));

    form->openRecording(dir.filePath("missing.ros"));
    EXPECT_EQ(state->sampleCount, -1); // no ".rca": an empty recording, no box
}

TEST_F(ProgramViewTest, ZoomAndScrollKeepTheViewInRange) {
    form->openRecording(makeRecording(10000, "[PARAMETRY]\nPODSTAWA=10\n"));
    auto* bar = child<QScrollBar>("ScrollBar1");
    click("SpeedButton5"); // "Pokaż całość"
    EXPECT_EQ(state->zoomDivisor, 20);
    EXPECT_EQ(state->viewStart, 0);
    for (int expected : {10, 5, 2, 1, 1}) {
        click("SpeedButton3"); // "Zbliż"
        EXPECT_EQ(state->zoomDivisor, expected);
    }
    bar->setValue(bar->maximum()); // to the end, then zoom out: the view stays at the end
    EXPECT_EQ(state->viewStart, 9500);
    click("SpeedButton2"); // "Oddal"
    EXPECT_EQ(state->zoomDivisor, 2);
    EXPECT_EQ(state->viewStart, 9000);
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isEnabled()) << "the cursors read samples at any zoom";
    click("SpeedButton4");
    EXPECT_EQ(state->zoomDivisor, 1);
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isEnabled());
}

TEST_F(ProgramViewTest, ATrackClickMovesByTheLargeChangeAndTheThumbKeepsItsSize) {
    form->openRecording(makeRecording(10000, "[PARAMETRY]\nPODSTAWA=10\n"));
    auto* bar = child<QScrollBar>("ScrollBar1");
    for (int zoom : {1, 2, 4}) {
        EXPECT_EQ(state->zoomDivisor, zoom);
        EXPECT_EQ(bar->pageStep(), 500 * zoom); // the thumb shows the 500 columns
        bar->setValue(1000);
        test::clickScrollBarTrack(bar, true);
        EXPECT_EQ(state->viewStart, 1000 + 25 * zoom) << "zoom " << zoom;
        test::clickScrollBarTrack(bar, false);
        test::clickScrollBarTrack(bar, false);
        EXPECT_EQ(state->viewStart, 1000 - 25 * zoom) << "zoom " << zoom;
        click("SpeedButton2"); // "Oddal"
    }
}

TEST_F(ProgramViewTest, KnobsFollowTheMouseAndTheWheel) {
    QWidget* sens = child<QWidget>("Image1");
    const QImage axisBefore = child<QWidget>("imgOsY")->grab().toImage();
    QTest::mousePress(sens, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60)); // dead zone, right: 10 mV
    EXPECT_NE(child<QWidget>("imgOsY")->grab().toImage(), axisBefore);       // the volt axis follows
    EXPECT_EQ(state->channelSensitivity[0], 10);
    EXPECT_EQ(form->statusPanelText(1), "10mV");
    QTest::mousePress(sens, Qt::LeftButton, Qt::NoModifier, QPoint(10, 60));
    EXPECT_EQ(state->channelSensitivity[0], 1);
    QWheelEvent up(QPointF(31, 31), sens->mapToGlobal(QPointF(31, 31)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(sens, &up);
    EXPECT_EQ(state->channelSensitivity[0], 2);

    QWidget* time = child<QWidget>("Image5");
    QTest::mousePress(time, Qt::LeftButton, Qt::NoModifier, QPoint(81, 41)); // right edge: 0.1 s
    EXPECT_EQ(state->timeBaseIndex, 4);
    EXPECT_EQ(form->statusPanelText(12), "0.1s");
    QTest::mousePress(time, Qt::LeftButton, Qt::NoModifier, QPoint(41, 81)); // straight down: 21, limited
    EXPECT_EQ(state->timeBaseIndex, 15);
    click("SpeedButton30");
    EXPECT_EQ(state->timeBaseIndex, 1);

    state->samplingActive = true; // the knobs act while sampling too (the board takes them in a new stream)
    QTest::mousePress(time, Qt::LeftButton, Qt::NoModifier, QPoint(81, 41));
    EXPECT_EQ(state->timeBaseIndex, 4);
    state->samplingActive = false;
    click("SpeedButton30");

    QWidget* offset = child<QWidget>("Image11");
    QTest::mousePress(offset, Qt::LeftButton, Qt::NoModifier, QPoint(2, 31)); // dead zone left: zero - range
    EXPECT_EQ(state->channelOffset[0], 50);
    QTest::mouseMove(offset, QPoint(16, 0)); // dragged to the top: no offset
    QTest::mouseRelease(offset, Qt::LeftButton, Qt::NoModifier, QPoint(16, 0));
    EXPECT_EQ(child<QLabel>("Label16")->text(), "0V");

    click("SpeedButton19"); // channel B: its scale on the knob and the axis
    EXPECT_EQ(state->selectedChannel, 1);
    click("SpeedButton13"); // "1V"
    EXPECT_EQ(state->channelSensitivity[1], 4);
    EXPECT_EQ(state->channelSensitivity[0], 2);
    click("SpeedButton44"); // GND
    EXPECT_EQ(state->channelMode[1], 1);
    EXPECT_EQ(form->statusPanelText(5), "GND");
}

TEST_F(ProgramViewTest, OffsetButtonsStayWithinTheRange) {
    // KZ100: reference 2.5 V, range 50 around the zero 100.
    for (int i = 0; i < 60; ++i)
        click("SpeedButton57");
    EXPECT_EQ(state->channelOffset[0], 150);
    EXPECT_EQ(child<QLabel>("Label16")->text(), "50V");
    click("SpeedButton58");
    EXPECT_EQ(state->channelOffset[0], 100);
    EXPECT_EQ(child<QLabel>("Label16")->text(), "0V");
    state->channelZeroOffset[0] = 20; // extreme calibration: the range reaches below 0
    for (int i = 0; i < 100; ++i)
        click("SpeedButton56");
    EXPECT_EQ(state->channelOffset[0], 0); // held at 0, never wrapped to 255
}

TEST_F(ProgramViewTest, CursorsArePlacedOnTheStripAndRead) {
    form->openRecording(makeRecording(1000, "[PARAMETRY]\nPODSTAWA=13\nCZULOSCA=4\nCZULOSCB=4\n"));
    QWidget* strip = child<QWidget>("Label1");
    QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(600, 5));
    QTest::mouseRelease(strip, Qt::LeftButton, Qt::NoModifier, QPoint(600, 5));
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(state->cursorsActive);
    EXPECT_EQ(state->cursorColumn[0], 499);
    EXPECT_TRUE(child<QWidget>("Shape1")->isVisible() || !form->isVisible());
    QTest::mousePress(strip, Qt::RightButton, Qt::NoModifier, QPoint(249, 5));
    EXPECT_EQ(state->cursorColumn[1], 249);
    EXPECT_EQ(child<QLabel>("lbV1")->text(), "T: 0000:00:00:025"); // 250 samples of 0.1 ms
    // A: value 249 at column 499; B: 150 everywhere; both 1 V/div.
    child<QComboBox>("ComboBox2")->setCurrentIndex(1);
    emit child<QComboBox>("ComboBox2")->activated(1);
    EXPECT_EQ(state->cursor2Channel, 1);
    // Shape2 takes channel B's colour 0x44EE44 (0x00BBGGRR).
    EXPECT_EQ(child<QWidget>("Shape2")->palette().color(QPalette::Window), QColor(0x44, 0xEE, 0x44));
    EXPECT_EQ(child<QLabel>("lbV2")->text(), "U: 3.96V"); // (249 - 150) x 0.04
    // A full redraw (a channel box) keeps them at their samples.
    child<QCheckBox>("chkB")->click();
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(state->cursorsActive);
    EXPECT_EQ(state->cursorColumn[1], 249);
}

TEST_F(ProgramViewTest, NumbersUseTheDecimalSeparatorOfTheLocale) {
    const test::ScopedLocale polish(QLocale(QLocale::Polish, QLocale::Poland));
    form->openRecording(makeRecording(1000, "[PARAMETRY]\nPODSTAWA=13\nCZULOSCA=4\nCZULOSCB=4\n"));
    EXPECT_EQ(form->statusPanelText(12), "0,1ms");
    click("SpeedButton57"); // one step up at 1 V/div: 0.07 V
    EXPECT_EQ(child<QLabel>("Label16")->text(), "0,07V");
    QWidget* strip = child<QWidget>("Label1");
    QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(499, 5));
    QTest::mouseRelease(strip, Qt::LeftButton, Qt::NoModifier, QPoint(499, 5));
    child<QComboBox>("ComboBox2")->setCurrentIndex(1);
    emit child<QComboBox>("ComboBox2")->activated(1);
    EXPECT_EQ(child<QLabel>("lbV2")->text(), "U: 3,96V"); // A at 249, B at 150
}

TEST_F(ProgramViewTest, CursorAndSelectionPictures) {
    form->openRecording(makeRecording(1000, "[PARAMETRY]\nPODSTAWA=13\nCZULOSCA=3\nCZULOSCB=3\n"));
    form->show();
    QTest::mousePress(child<QWidget>("Label1"), Qt::LeftButton, Qt::NoModifier, QPoint(120, 5));
    QTest::mouseRelease(child<QWidget>("Label1"), Qt::LeftButton, Qt::NoModifier, QPoint(120, 5));
    QTest::mousePress(child<QWidget>("Label1"), Qt::RightButton, Qt::NoModifier, QPoint(370, 5));
    QTest::mouseRelease(child<QWidget>("Label1"), Qt::RightButton, Qt::NoModifier, QPoint(370, 5));
    form->grab().save(QStringLiteral("/tmp/tform1-cursors.png"));
    const QRgb cursorLine = form->view().bmpScreen.pixel(120, 30);
    QWidget* picture = child<QWidget>("imgDisplay");
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    // A drag from column 300 back to column 100.
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 100), picture->mapToGlobal(QPointF(100, 100)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &move);
    form->grab().save(QStringLiteral("/tmp/tform1-selection.png"));
    EXPECT_TRUE(state->cursorsActive); // the press on the picture redrew it, the cursors at their samples
    EXPECT_NE(form->view().bmpScreen.pixel(120, 30), cursorLine);
    const QRgb inside = form->view().bmpScreen.pixel(200, 30), outside = form->view().bmpScreen.pixel(50, 30);
    EXPECT_GT(qRed(inside), qRed(outside));                               // tinted towards (240, 240, 255)
    EXPECT_LT(qRed(form->view().bmpScreen.pixel(300, 30)), qRed(inside)); // darkened edge
    EXPECT_EQ(state->selectionStart, 300);
    EXPECT_EQ(state->selectionEnd, 100);
    click("SpeedButton6"); // "Pokaż zaznaczenie": starts at the span's start
    EXPECT_EQ(state->viewStart, 100);
    EXPECT_EQ(state->zoomDivisor, 1);
}

TEST_F(ProgramViewTest, ADerivedChannelHasNoCoupling) {
    form->openRecording(
        test::writeRecording(dir.path(), QStringLiteral("2024-01-02 03.04.05"),
                             "[PARAMETRY]\nTRYBA=2\nILOSCKANALOW=3\nCZULOSCC=4\nOPERACJAC=A-B\n",
                             {QByteArray(100, 'x'), QByteArray(100, 'y'), QByteArray(100, 'z')}));
    struct Row {
        const char* button;
        const char *panel2, *panel8; // A's and C's coupling in the status bar
        bool shownAsNone;            // the coupling panel shows "—", its buttons off
    } rows[] = {{"SpeedButton20", "DC", "—", true}, {"SpeedButton18", "DC", "—", false}};
    for (const Row& r : rows) {
        click(r.button);
        EXPECT_EQ(form->statusPanelText(2), QString::fromUtf8(r.panel2)) << r.button;
        EXPECT_EQ(form->statusPanelText(8), QString::fromUtf8(r.panel8)) << r.button;
        EXPECT_EQ(child<QLabel>("lbNoCoupling")->isHidden(), !r.shownAsNone) << r.button;
        EXPECT_EQ(child<QWidget>("Image7")->isHidden(), r.shownAsNone) << r.button;
        EXPECT_EQ(button("SpeedButton45")->isEnabled(), !r.shownAsNone) << r.button;
    }
}
