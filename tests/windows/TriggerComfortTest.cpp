// The live trigger's picture between frames: before the first event an empty picture that says so,
// and the level's line where the tab's level is at once, without waiting for the next frame.
#include "support/PulseBoardWindow.h"
#include "view/Colour.h"
#include "view/SampleCodes.h"
#include "view/TriggerOverlay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>

using namespace varnilog;

namespace {
class TriggerComfortTest : public test::PulseBoardWindowTest {
protected:
    // Pixels of row in the source channel's colour (the dashed line covers half of them).
    int levelPixels(double volts) const {
        const int row = triggerLevelRow(levelCode(volts, 4));
        const QRgb c = toQRgb(state->channelColor[0]);
        int n = 0;
        for (int x = 0; x < kDisplayColumns; ++x)
            n += form->view().bmpScreen.pixel(x, row) == c;
        return n;
    }
};
} // namespace

TEST_F(TriggerComfortTest, WaitingPictureIsEmptyAndTheLineFollowsTheLevelAtOnce) {
    ASSERT_NO_FATAL_FAILURE(connectToBoard());
    setTrigger(2, 3.0); // above every pulse: no event comes
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    EXPECT_GE(levelPixels(3.0), kDisplayColumns / 2);
    EXPECT_EQ(levelPixels(0.0), 0) << "no trace on the waiting picture";
    child<QDoubleSpinBox>("sbTrigLevel")->setValue(2.0);
    EXPECT_GE(levelPixels(2.0), kDisplayColumns / 2);
    EXPECT_LT(levelPixels(3.0), 10) << "the old line is gone";
    QTest::qWait(300);
    EXPECT_EQ(label("lbTrigStatus"), "Czeka");
    EXPECT_EQ(levelPixels(0.0), 0);
    button("btStop")->click();
}

TEST_F(TriggerComfortTest, StopKeepsTheLastPictureOnTheScreen) {
    const struct {
        const char* name;
        int mode;
    } rows[] = {{"rolling preview", 0}, {"single event", 3}};
    ASSERT_NO_FATAL_FAILURE(connectToBoard());
    for (const auto& row : rows) {
        ASSERT_TRUE(child<QCheckBox>("chkPodglad")->isChecked());
        setTrigger(row.mode, 0.5);
        button("btStart")->click();
        ASSERT_TRUE(state->samplingActive) << row.name;
        if (row.mode == 3) {
            ASSERT_TRUE(waitForTriggerState("Zatrzymano")) << row.name;
        } else {
            QTest::qWait(600);
        }
        std::array<std::array<std::uint8_t, kDisplayColumns>, 2> shown;
        for (std::size_t ch = 0; ch < 2; ++ch)
            std::copy_n(state->channelData[ch].begin(), kDisplayColumns, shown[ch].begin());
        button("btStop")->click();
        ASSERT_FALSE(state->samplingActive) << row.name;
        EXPECT_GT(state->viewStart, 0) << row.name;
        EXPECT_EQ(state->zoomDivisor, 1) << row.name;
        for (std::size_t ch = 0; ch < 2; ++ch)
            EXPECT_TRUE(std::equal(shown[ch].begin(), shown[ch].end(), state->channelData[ch].begin()))
                << row.name << " channel " << ch;
        if (row.mode == 3) {
            EXPECT_EQ(state->channelData[0][250], 150) << row.name;
        }
    }
}

TEST_F(TriggerComfortTest, DraggingTheLineSetsTheLevelToTheRowsVolts) {
    ASSERT_NO_FATAL_FAILURE(connectToBoard());
    setTrigger(2, 3.0);
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    QWidget* picture = child<QWidget>("imgDisplay");
    const auto mouse = [&](QEvent::Type type, int y, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(100, y), picture->mapToGlobal(QPointF(100, y)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(picture, &e);
    };
    const int start = triggerLevelRow(levelCode(3.0, 4));
    mouse(QEvent::MouseButtonPress, start + 10, Qt::LeftButton); // beside the line: nothing
    mouse(QEvent::MouseMove, 95, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("sbTrigLevel")->value(), 3.0);
    mouse(QEvent::MouseButtonPress, start + 2, Qt::LeftButton);
    mouse(QEvent::MouseMove, 95, Qt::LeftButton); // code 155: 30 steps of 0.04 V at 1 V/div
    EXPECT_NEAR(child<QDoubleSpinBox>("sbTrigLevel")->value(), 1.2, 1e-9);
    EXPECT_GE(levelPixels(1.2), kDisplayColumns / 2);
    mouse(QEvent::MouseMove, 60, Qt::NoButton); // released: the line stays
    EXPECT_NEAR(child<QDoubleSpinBox>("sbTrigLevel")->value(), 1.2, 1e-9);
    button("btStop")->click();
}
