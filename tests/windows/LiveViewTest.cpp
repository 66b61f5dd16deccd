// The view's controls while sampling a slow sine from a simulated board: zoom, "Pokaż całość", the
// channel boxes and the scroll bar act on the live picture, whose columns are those the stored view
// shows of the same samples after Stop.
#include "device/PtyBoard.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "view/Colour.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

using namespace varnilog;

namespace {

class LiveViewTest : public test::MainWindowTest {
protected:
    void TearDown() override { destroyWindows(); } // before the board it reads from
    void SetUp() override {
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
        ASSERT_TRUE(board.start());
        createWindow();
        state->comPortName = board.slavePath();
        state->channelSensitivity = {4, 4, 4, 4}; // 1 V/div: the sine swings over codes 100..150
    }
    using Columns = std::array<std::array<std::uint8_t, kDisplayColumns>, 2>;
    Columns shownTop() const {
        Columns c;
        std::copy_n(state->channelData[0].begin(), kDisplayColumns, c[0].begin());
        std::copy_n(state->channelData[1].begin(), kDisplayColumns, c[1].begin());
        return c;
    }
    Columns shownBottom() const { return {form->view().columnMin[0], form->view().columnMin[1]}; }
    // The codes channel A's columns span on the screen.
    int shownSwing() const {
        const auto& top = state->channelData[0];
        const auto& bottom = form->view().columnMin[0];
        return *std::max_element(top.begin(), top.begin() + kDisplayColumns) -
               *std::min_element(bottom.begin(), bottom.end());
    }
    int pixelsOf(int channel) const {
        const QRgb c = toQRgb(state->channelColor[static_cast<std::size_t>(channel)]);
        int n = 0;
        for (int y = 0; y < kDisplayRows; ++y)
            for (int x = 0; x < kDisplayColumns; ++x)
                n += form->view().bmpScreen.pixel(x, y) == c;
        return n;
    }

    PtyBoard board{BoardOptions{
        .channels = {ChannelSignal{Waveform::Sine, 4.0, 1.0}, ChannelSignal{Waveform::Dc, 0, 0}}}};
};

} // namespace

TEST_F(LiveViewTest, ViewControlsActOnTheLivePicture) {
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    for (const char* name :
         {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5", "chkA", "ScrollBar1"})
        EXPECT_TRUE(child<QWidget>(name)->isEnabled()) << name << " while sampling";
    EXPECT_FALSE(button("SpeedButton6")->isEnabled()) << "no selection in a live picture";
    QTest::qWait(1500);
    EXPECT_LT(shownSwing(), 20) << "500 samples of a slow sine: nearly a line";

    click("SpeedButton5"); // "Pokaż całość" of what came so far
    const std::int32_t all = state->zoomDivisor;
    EXPECT_GT(all, 20);
    EXPECT_LE(state->viewStart, 0) << "the whole recording so far is on the screen";
    EXPECT_GT(state->viewStart, -30 * std::int64_t{all}) << "and fills it";
    EXPECT_GE(shownSwing(), 45) << "the slow sine fills the screen";
    form->grab().save(QStringLiteral("/tmp/varnilog-live-zoomed-out.png"));

    click("SpeedButton3"); // "Zbliż"
    EXPECT_EQ(state->zoomDivisor, all / 2);
    const int before = pixelsOf(1);
    child<QCheckBox>("chkB")->click();
    EXPECT_GT(before, 0);
    EXPECT_EQ(pixelsOf(1), 0) << "B hidden at once";

    // The scroll bar holds the picture at the recording's start until it is at its end again.
    auto* bar = child<QScrollBar>("ScrollBar1");
    QTest::qWait(300);
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(0);
    QTest::qWait(300);
    EXPECT_EQ(state->viewStart, 0);
    bar->setValue(bar->maximum());
    QTest::qWait(300);
    EXPECT_GT(state->viewStart, 0) << "following the newest sample again";
    EXPECT_EQ(bar->value(), bar->maximum());

    const std::int64_t start = state->viewStart;
    const std::int32_t zoom = state->zoomDivisor;
    const Columns top = shownTop(), bottom = shownBottom();
    button("btStop")->click();
    ASSERT_FALSE(state->samplingActive);
    EXPECT_EQ(state->viewStart, start) << "Stop keeps the place";
    EXPECT_EQ(state->zoomDivisor, zoom) << "and the zoom";
    const Columns storedTop = shownTop(), storedBottom = shownBottom();
    // The newest column was not whole yet when it was shown.
    for (std::size_t ch = 0; ch < 2; ++ch)
        for (int k = 0; k + 1 < kDisplayColumns; ++k) {
            ASSERT_EQ(top[ch][k], storedTop[ch][k]) << "channel " << ch << " column " << k;
            ASSERT_EQ(bottom[ch][k], storedBottom[ch][k]) << "channel " << ch << " column " << k;
        }
}
