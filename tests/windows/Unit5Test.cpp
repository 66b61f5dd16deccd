// The spectrum window, headless: a recording made by the test, the controls at start, the labels and
// readout, zoom and scrolling, per-channel scaling, markers, states kept between openings, no window for
// an empty recording, and finite numbers below 0.01 ms.
#include "spectrum/Unit5.h"
#include "support/RecordingMessageBoxes.h"
#include "view/Colour.h"
#include "windows/WindowTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace varnilog {
namespace {

constexpr std::int32_t kColourA = 0x0000FF; // red
constexpr std::int32_t kColourB = 0x00FF00; // green

// Two channels: A a sine of 16900 cycles per block (display point 1300, plot column 130), amplitude 100;
// B the same frequency at amplitude 10, 20 dB lower.
// The contrast ratio of two colours by their relative luminance (1 to 21).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

class SpectrumWindow : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<SharedState>();
        state->channelCount = 2;
        state->samplingPeriodMs = 0.1f; // D = 10
        state->channelColor = {kColourA, kColourB, 0x0000AA, 0x00FFAA};
        background = QImage(1000, 500, QImage::Format_RGB32);
        background.fill(Qt::black);
        const std::int64_t samples = 2 * fftSize;
        for (int c = 0; c < 2; ++c) {
            QByteArray bytes(samples, '\0');
            const double amplitude = c == 0 ? 100.0 : 10.0;
            for (qsizetype n = 0; n < samples; ++n)
                bytes[n] = static_cast<char>(static_cast<std::uint8_t>(std::lround(
                    125.0 + amplitude * std::sin(2.0 * std::numbers::pi * 16900.0 * n / fftSize))));
            QFile out(dir.filePath(QStringLiteral("r.rc%1").arg(QChar('a' + c))));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes);
            out.close();
            state->sampleFile[c].setFileName(out.fileName());
            ASSERT_TRUE(state->sampleFile[c].open(QIODevice::ReadOnly));
        }
        state->sampleCount = samples;
        form = std::make_unique<TForm5>(*state, boxes);
        form->setPlotBackground(&background);
    }
    template <class T> T* child(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void moveMouse(const char* widget, QPoint p) {
        QWidget* w = child<QWidget>(widget);
        QMouseEvent ev(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(w, &ev);
    }
    void open() {
        form->FormShow();
        form->show();
        QApplication::processEvents();
    }
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state;
    test::RecordingMessageBoxes boxes;
    QImage background; // the main window's bmpBackground
    std::unique_ptr<TForm5> form;
};

TEST_F(SpectrumWindow, ControlsAtStart) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("FFT"));
    EXPECT_EQ(form->size(), QSize(563, 352));
    EXPECT_EQ(child<QLabel>("Label2")->text(), QStringLiteral("Analiza widmowa FFT"));
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("f="));
    EXPECT_EQ(child<QLabel>("Label4")->text(), QString::fromUtf8("Kanały:"));
    auto* zoom = child<QCheckBox>("CheckBox1");
    EXPECT_EQ(zoom->text(), QStringLiteral("Zoom x10"));
    EXPECT_FALSE(zoom->isChecked());
    auto* separately = child<QCheckBox>("CheckBox2");
    EXPECT_EQ(separately->text(), QString::fromUtf8("Skaluj kanały osobno"));
    EXPECT_FALSE(separately->isChecked());
    struct Box {
        const char* name;
        const char* text;
        bool checked, enabled;
    };
    for (const Box b : {Box{"chkA", "A", true, true}, Box{"chkB", "B", true, true},
                        Box{"chkC", "C", false, false}, Box{"chkD", "D", false, false}}) {
        auto* box = child<QCheckBox>(b.name);
        EXPECT_EQ(box->text(), QString::fromLatin1(b.text));
        EXPECT_EQ(box->isChecked(), b.checked) << b.name;
        EXPECT_EQ(box->isEnabled(), b.enabled) << b.name;
        // Readable also while disabled: at least 3:1 against the window, as the eye needs.
        const QPalette::ColorGroup group = b.enabled ? QPalette::Active : QPalette::Disabled;
        EXPECT_GE(contrast(box->palette().color(group, QPalette::WindowText),
                           form->palette().color(QPalette::Window)),
                  3.0)
            << b.name;
    }
    auto* scroll = child<QScrollBar>("ScrollBar1");
    EXPECT_FALSE(scroll->isEnabled());
    EXPECT_EQ(scroll->minimum(), 0);
    EXPECT_EQ(scroll->maximum(), 4500);
    EXPECT_EQ(child<QWidget>("imgFFT")->geometry(), QRect(41, 33, 500, 250));
    EXPECT_EQ(child<QWidget>("imgOsX")->geometry(), QRect(30, 284, 531, 16));
    EXPECT_EQ(child<QWidget>("imgOsY")->geometry(), QRect(1, 25, 37, 263));
}

TEST_F(SpectrumWindow, OpeningComputesAndDrawsThePeakWhereTheSineIs) {
    QProgressBar bar;
    bar.hide();
    std::vector<int> maxima;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int) { maxima.push_back(bar.maximum()); });
    test::onceShown(*form, [&] {
        form->grab().save(QStringLiteral("/tmp/varnilog-spectrum-window.png"));
        form->close();
    });
    form->showSpectrum(&bar);
    EXPECT_FALSE(bar.isVisible()); // hidden again after drawing
    ASSERT_FALSE(maxima.empty());
    EXPECT_EQ(maxima.back(), 4); // 2 channels x 2 blocks

    const SpectrumData& d = form->spectra();
    EXPECT_EQ(d.spectrumPeakAll, d.spectrumPeak[0]);
    EXPECT_EQ(d.spectrumPeak[2], 0.0f);
    int best = 0;
    for (int p = 0; p < spectrumDisplayPoints; ++p)
        if (d.spectrumDisplay[0][p] > d.spectrumDisplay[0][best])
            best = p;
    EXPECT_EQ(best, 1300);
    // Column 130 rises to the top in A's colour; B's curve peaks 20 dB lower (row 49 or just below).
    const QImage& plot = form->plotImage();
    EXPECT_EQ(plot.pixel(130, 0), toQRgb(kColourA));
    EXPECT_EQ(plot.pixel(130, 60), toQRgb(kColourB)); // B drawn over A on its way up to row ~49
    EXPECT_NE(plot.pixel(130, 30), toQRgb(kColourB));
}

TEST_F(SpectrumWindow, ReadoutMarkersAndZoom) {
    open();
    auto* label = child<QLabel>("Label1");
    moveMouse("imgFFT", {250, 100});
    EXPECT_EQ(label->text(), QStringLiteral("f=2500 Hz"));
    EXPECT_TRUE(child<QFrame>("Shape1")->isVisible());
    EXPECT_EQ(child<QFrame>("Shape1")->x(), 41 + 250);
    EXPECT_TRUE(child<QFrame>("Shape2")->isVisible());
    EXPECT_FALSE(child<QFrame>("Shape4")->isVisible()); // channel C is not shown

    moveMouse("imgFFT", {130, 100}); // the peak column: A at the top (level clamped to 249)
    EXPECT_EQ(child<QFrame>("Shape2")->y(), 33);
    EXPECT_EQ(label->text(), QStringLiteral("f=1300 Hz"));
    const auto* levels = child<QLabel>("lbLevels");
    EXPECT_EQ(levels->text(), QStringLiteral("A 0 dB  B -20 dB"));
    EXPECT_LE(
        levels->fontMetrics().horizontalAdvance(QStringLiteral("A -100 dB  B -100 dB  C -100 dB  D -100 dB")),
        levels->contentsRect().width()); // room for all four at their lowest

    for (const QPoint edge : {QPoint(0, 100), QPoint(100, 0), QPoint(500, 10)}) {
        moveMouse("imgFFT", {130, 100});
        moveMouse("imgFFT", edge);
        EXPECT_FALSE(child<QFrame>("Shape1")->isVisible()) << edge.x() << "," << edge.y();
        EXPECT_FALSE(child<QFrame>("Shape2")->isVisible());
    }
    moveMouse("imgFFT", {130, 100});
    moveMouse("Panel1", {5, 5});
    EXPECT_FALSE(child<QFrame>("Shape3")->isVisible());

    auto* zoom = child<QCheckBox>("CheckBox1");
    zoom->click();
    EXPECT_TRUE(form->spectrumZoom);
    EXPECT_TRUE(child<QScrollBar>("ScrollBar1")->isEnabled());
    child<QScrollBar>("ScrollBar1")->setValue(1250); // point 1300 in column 50
    EXPECT_EQ(form->spectrumStart, 1250);
    EXPECT_EQ(form->plotImage().pixel(50, 0), toQRgb(kColourA));
    moveMouse("imgFFT", {50, 100});
    EXPECT_EQ(label->text(), QStringLiteral("f=1300 Hz")); // the same point as column 130 unzoomed

    // Scaled separately, B reaches the top as well.
    child<QCheckBox>("CheckBox2")->click();
    EXPECT_EQ(form->plotImage().pixel(50, 0), toQRgb(kColourB));

    // Closing and opening again keeps the controls and the zoomed view, not the last readout.
    moveMouse("imgFFT", {50, 100});
    form->hide();
    open();
    for (const char* marker : {"Shape1", "Shape2", "Shape3"})
        EXPECT_FALSE(child<QFrame>(marker)->isVisible()) << marker;
    EXPECT_EQ(label->text(), QStringLiteral("f="));
    EXPECT_EQ(child<QLabel>("lbLevels")->text(), QString());
    EXPECT_TRUE(zoom->isChecked());
    EXPECT_EQ(child<QScrollBar>("ScrollBar1")->value(), 1250);
    EXPECT_EQ(form->spectrumStart, 1250);
    EXPECT_TRUE(child<QCheckBox>("CheckBox2")->isChecked());
    zoom->click();
    EXPECT_EQ(form->spectrumStart, 0);
}

TEST_F(SpectrumWindow, ZoomedScrollBarStepsByOnePoint) {
    open();
    child<QCheckBox>("CheckBox1")->click();
    auto* bar = child<QScrollBar>("ScrollBar1");
    EXPECT_EQ(bar->pageStep(), 500); // the thumb shows the 500 points of the view
    bar->setValue(1000);
    test::clickScrollBarTrack(bar, true);
    EXPECT_EQ(form->spectrumStart, 1001);
    test::clickScrollBarTrack(bar, false);
    test::clickScrollBarTrack(bar, false);
    EXPECT_EQ(form->spectrumStart, 999);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // an arrow
    EXPECT_EQ(form->spectrumStart, 1000);
}

TEST_F(SpectrumWindow, NoWindowForAnEmptyRecording) {
    state->sampleCount = 0;
    bool shown = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, form.get(), [&] {
        shown = shown || form->isVisible();
        form->close();
    });
    guard.start(10);
    form->showSpectrum();
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SpectrumWindow, ShortSamplingPeriodsGiveFiniteFrequencies) {
    state->samplingPeriodMs = 0.005f; // 100 x period = 0.5: labels and readout use 0.5, not 0
    open();
    moveMouse("imgFFT", {100, 100});
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("f=2E+04 Hz"));
}

} // namespace
} // namespace varnilog
