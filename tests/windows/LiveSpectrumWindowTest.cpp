// The spectrum window while a simulated board on a pseudo-terminal records: it opens without
// modality, shows the square wave's fundamental as the peak, updates at most four times a second,
// draws the remembered reference, and the recording goes on whole.
#include "device/PtyBoard.h"
#include "recording/ProfileFile.h"
#include "spectrum/Spectrogram.h"
#include "support/MainWindowFixture.h"
#include "view/Colour.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <memory>
#include <utility>
#include <vector>

using namespace varnilog;

namespace {

class LiveSpectrumWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
        BoardOptions options;
        options.model = 3;
        options.channels[0] = {Waveform::Square, kSquareHz, 1.0};
        options.channels[1] = {Waveform::Dc, 0.0, 0.0};
        board = std::make_unique<PtyBoard>(options);
        ASSERT_TRUE(board->start());
        makeWindowSet();
        form->FormCreate();
        form->show();
        state->comPortName = board->slavePath();
    }
    void TearDown() override { destroyWindows(); }

    static constexpr double kSquareHz = 50.0;
    std::unique_ptr<PtyBoard> board;
};

} // namespace

TEST_F(LiveSpectrumWindowTest, OpensWhileSamplingAndFollowsTheSquareWave) {
    TForm5& spectrum = windowSet->form5;
    QWidget* panel = child<QWidget>("Panel3");
    // The time bases, as the identified board model leaves them (the window buttons beside them are
    // locked while sampling).
    const QStringList windowButtons = {"SpeedButton71", "SpeedButton72", "SpeedButton73",
                                       "SpeedButton74", "SpeedButton75", "SpeedButton80"};
    const auto enabledOfPanel = [panel, windowButtons] {
        std::vector<std::pair<QString, bool>> out;
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!windowButtons.contains(w->objectName()))
                out.emplace_back(w->objectName(), w->isEnabled());
        return out;
    };
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive) << form->statusPanelText(16).toStdString();
    const auto enabledBefore = enabledOfPanel();
    EXPECT_TRUE(button("SpeedButton73")->isEnabled());
    EXPECT_FALSE(button("SpeedButton72")->isEnabled()); // its neighbours stay locked
    button("SpeedButton73")->click();
    ASSERT_TRUE(spectrum.isVisible());
    EXPECT_FALSE(spectrum.isModal());
    EXPECT_TRUE(spectrum.showsLive());
    EXPECT_TRUE(test::child<QWidget>(spectrum, "LivePanel")->isVisible());

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spectrum.liveSpectrum().updates() >= 3; }, 10000));
    const std::int64_t updates = spectrum.liveSpectrum().updates();
    // The first comes at once, then one each 250 ms at most.
    EXPECT_LE(updates, 1 + clock.elapsed() / 250) << clock.elapsed();

    const LiveSpectrumResult& r = spectrum.liveResult();
    ASSERT_EQ(r.settings.block, liveDefaultBlock);
    const double binHz = spectrogramBinHz(1, r.settings.block, state->samplingPeriodMs);
    EXPECT_NEAR(spectrogramBinHz(r.peak[0].bin, r.settings.block, state->samplingPeriodMs), kSquareHz, binHz)
        << state->samplingPeriodMs;
    EXPECT_EQ(r.peak[1].magnitude, 0.0f); // B holds a level
    const QString peak = test::child<QLabel>(spectrum, "lbLivePeak")->text();
    EXPECT_TRUE(peak.startsWith(QString::fromUtf8("Szczyt: A "))) << peak.toStdString();
    EXPECT_TRUE(peak.contains(QStringLiteral(" Hz "))) << peak.toStdString();

    // The reference is drawn darker than the live curve, in A's colour family.
    const QImage before = spectrum.plotImage().copy();
    test::child<QAbstractButton>(spectrum, "btLiveReference")->click();
    test::child<QComboBox>(spectrum, "cbLiveBlock")->setCurrentIndex(0); // 1024: the curve moves
    const std::int64_t reached = spectrum.liveSpectrum().updates();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spectrum.liveSpectrum().updates() >= reached + 2; }, 10000));
    EXPECT_EQ(spectrum.liveResult().settings.block, 1024);
    EXPECT_NE(spectrum.plotImage(), before);
    std::int32_t darker = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int v = state->channelColor[0] >> shift & 0xFF;
        darker |= (v - v * 55 / 100) << shift;
    }
    int referencePixels = 0;
    for (int y = 0; y < spectrum.plotImage().height(); ++y)
        for (int x = 0; x < spectrum.plotImage().width(); ++x)
            referencePixels += spectrum.plotImage().pixel(x, y) == toQRgb(darker);
    EXPECT_GT(referencePixels, 100);

    button("btStop")->click();
    EXPECT_FALSE(state->samplingActive);
    EXPECT_TRUE(spectrum.showsLive());          // the last live picture stays
    EXPECT_EQ(enabledOfPanel(), enabledBefore); // what the board model leaves off stays off
    // Every sample streamed went to the file: the worker never held the tick up.
    EXPECT_GT(state->sampleCount, 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form->statusPanelText(15), QString());
}
