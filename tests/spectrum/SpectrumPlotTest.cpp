// The spectrum plot's numbers and pixels: divisor, levels and rows, the number format of the labels,
// the frequency labels, line rasterising, grid, curves zoomed and not, per-channel scaling, readout.
#include "spectrum/SpectrumPlot.h"
#include "support/OffscreenGui.h"

#include "view/Axes.h"
#include "view/Colour.h"

#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace varnilog {
namespace {

constexpr std::int32_t kRed = 0x0000FF; // 0x00BBGGRR
constexpr std::int32_t kBlue = 0xFF0000;
constexpr QRgb kBackground = 0xFF102030;

QImage plotImage() {
    return QImage(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32);
}

QImage background() {
    QImage b(1000, 500, QImage::Format_RGB32);
    b.fill(kBackground);
    return b;
}

TEST(SpectrumPlot, FrequencyDivisorIsThePeriodIn10Microseconds) {
    const std::pair<float, double> cases[] = {
        {1000.0f, 100000.0}, {1.0f, 100.0}, {0.1f, 10.0},  {0.05f, 5.0},    {0.02f, 2.0},
        {0.01f, 1.0},        {0.005f, 0.5}, {0.002f, 0.2}, {0.0001f, 0.01},
    };
    for (const auto& [period, divisor] : cases)
        EXPECT_NEAR(frequencyDivisor(period), divisor, divisor * 1e-6) << period;
    EXPECT_EQ(frequencyDivisor(0.1f), 10.0); // whole numbers from 0.01 ms on
    EXPECT_GT(frequencyDivisor(0.0f), 0.0);  // never a division by zero
}

TEST(SpectrumPlot, LevelsAndRows) {
    struct Case {
        double ratio;
        int row;
    };
    const Case cases[] = {
        {1.0, -1},   // the reference sits just above the plot
        {0.1, 49},   // -20 dB
        {0.01, 99},  // -40 dB
        {1e-5, 249}, // -100 dB
        {1e-6, 299}, // below: clipped
        {0.5, 14},   // 250 - 15.05 = 234.95 -> 14.05
        {0.0, 249},  // level 0 by definition
        {2.0, -16},  // 265.05 -> -16.05, truncated toward zero
        {0.98, 0},   // 249.56 -> -0.56 -> 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(plotRowOfLevel(levelOf(c.ratio)), c.row) << c.ratio;
}

TEST(SpectrumPlot, GeneralFormatWithFourDigits) {
    struct Case {
        double value;
        QChar point;
        const char* text;
    };
    const Case cases[] = {
        {1000.0, '.', "1000"},   {2500.0, '.', "2500"},    {100.0, '.', "100"},
        {0.5, '.', "0.5"},       {0.5, ',', "0,5"},        {1234.5678, '.', "1235"},
        {12.3456, '.', "12.35"}, {10000.0, '.', "1E+04"},  {123456.0, '.', "1.235E+05"},
        {9999.6, '.', "1E+04"},  {0.000001, '.', "1E-06"}, {0.00001234, '.', "0.00001234"},
        {0.0, '.', "0"},         {-2.5, '.', "-2.5"},      {20000.0, ',', "2E+04"},
        {0.1, '.', "0.1"},       {1.0e-10, ',', "1E-10"},  {3.14159, ',', "3,142"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatGeneral4(c.value, c.point), QString::fromLatin1(c.text)) << c.value;
}

TEST(SpectrumPlot, FrequencyLabels) {
    struct Case {
        int a;
        bool zoomed;
        double divisor;
        std::array<int, 5> x;
        std::array<const char*, 5> text;
    };
    const Case cases[] = {
        {0, false, 10.0, {110, 210, 310, 410, 510}, {"1000 Hz", "2000 Hz", "3000 Hz", "4000 Hz", "5000 Hz"}},
        {0, true, 10.0, {110, 210, 310, 410, 510}, {"100 Hz", "200 Hz", "300 Hz", "400 Hz", "500 Hz"}},
        {150, true, 10.0, {60, 160, 260, 360, 460}, {"200 Hz", "300 Hz", "400 Hz", "500 Hz", "600 Hz"}},
        {4500,
         true,
         1.0,
         {110, 210, 310, 410, 510},
         {"4.6E+04 Hz", "4.7E+04 Hz", "4.8E+04 Hz", "4.9E+04 Hz", "5E+04 Hz"}},
        {0, false, 100000.0, {110, 210, 310, 410, 510}, {"0.1 Hz", "0.2 Hz", "0.3 Hz", "0.4 Hz", "0.5 Hz"}},
        // 0.005 ms: the unrounded divisor 0.5 keeps the labels right (2E+04 = 100 / (0.5 x 0.01)).
        {0,
         false,
         frequencyDivisor(0.005f),
         {110, 210, 310, 410, 510},
         {"2E+04 Hz", "4E+04 Hz", "6E+04 Hz", "8E+04 Hz", "1E+05 Hz"}},
    };
    for (const Case& c : cases) {
        const auto labels = frequencyLabels(c.a, c.zoomed, c.divisor, '.');
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(labels[i].x, c.x[i]) << c.a << " label " << i;
            EXPECT_EQ(labels[i].text, QString::fromLatin1(c.text[i])) << c.a << " label " << i;
        }
    }
}

TEST(SpectrumPlot, LinesLeaveOutTheirEndPointAndAreClipped) {
    struct Case {
        const char* name;
        int x0, y0, x1, y1;
        std::vector<QPoint> pixels;
    };
    const Case cases[] = {
        {"horizontal", 0, 5, 4, 5, {{0, 5}, {1, 5}, {2, 5}, {3, 5}}},
        {"vertical upwards", 2, 3, 2, 0, {{2, 3}, {2, 2}, {2, 1}}},
        {"diagonal", 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        {"one column over, four rows down", 0, 0, 1, 4, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
        {"from outside on the left", -5, 2, 3, 2, {{0, 2}, {1, 2}, {2, 2}}},
        {"a point is nothing", 3, 3, 3, 3, {}},
        {"far outside", 1, -1000000, 1, -5, {}},
    };
    for (const Case& c : cases) {
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(Qt::black);
        drawPlotLine(img, c.x0, c.y0, c.x1, c.y1, 0xFFFFFFFF);
        int set = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                set += img.pixel(x, y) == 0xFFFFFFFF;
        EXPECT_EQ(set, static_cast<int>(c.pixels.size())) << c.name;
        for (const QPoint p : c.pixels)
            EXPECT_EQ(img.pixel(p), 0xFFFFFFFF) << c.name << " " << p.x() << "," << p.y();
    }
    // A line across a huge distance is clipped without walking it: every row of column 0.
    QImage tall(2, 250, QImage::Format_RGB32);
    tall.fill(Qt::black);
    drawPlotLine(tall, 0, -100000000, 0, 100000000, 0xFFFFFFFF);
    for (int y = 0; y < 250; ++y)
        ASSERT_EQ(tall.pixel(0, y), 0xFFFFFFFF) << y;
}

TEST(SpectrumPlot, GridMovesWithTheZoomedView) {
    const QRgb grid = toQRgb(spectrumGridColor);
    struct Case {
        int start;
        std::vector<int> columns; // some grid columns
        std::vector<int> notColumns;
    };
    const Case cases[] = {{0, {0, 25, 250, 475}, {1, 24, 26, 499}},
                          {30, {20, 45, 495}, {0, 25, 30}},
                          {4500, {0, 25, 475}, {5}}};
    for (const Case& c : cases) {
        QImage plot = plotImage();
        plot.fill(kBackground);
        DrawSpectrumGrid(plot, c.start, spectrumGridColor);
        for (const int x : c.columns) {
            EXPECT_EQ(plot.pixel(x, 10), grid) << c.start << " column " << x;
            EXPECT_EQ(plot.pixel(x, 249), grid) << c.start << " column " << x;
        }
        for (const int x : c.notColumns)
            EXPECT_EQ(plot.pixel(x, 10), kBackground) << c.start << " column " << x;
        for (const int y : {0, 50, 100, 150, 200})
            EXPECT_EQ(plot.pixel(13, y), grid) << y;
        EXPECT_EQ(plot.pixel(13, 249), kBackground);
    }
}

// Spectra with every display point at a tenth of the channel's peak, apart from the points named.
std::unique_ptr<SpectrumData> flatData(float peakA, float peakB) {
    auto d = std::make_unique<SpectrumData>();
    d->spectrumDisplay[0].fill(peakA / 10);
    d->spectrumDisplay[1].fill(peakB / 10);
    d->spectrumPeak = {peakA, peakB, 0, 0};
    d->spectrumPeakAll = std::max(peakA, peakB);
    return d;
}

int countInRow(const QImage& img, int row, QRgb colour) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x)
        n += img.pixel(x, row) == colour;
    return n;
}

TEST(SpectrumPlot, CurvesZoomedAndNot) {
    const QRgb red = toQRgb(kRed);
    auto d = flatData(1000.0f, 1000.0f);
    SpectrumView view;
    view.channelCount = 1;
    view.channelColor = {kRed, kBlue, 0, 0};
    QImage plot = plotImage();

    // Zoomed, all at -20 dB: row 49 from column 0 to 498 (the last end point is not drawn).
    view.zoomed = true;
    view.start = 100;
    DrawSpectrum(plot, background(), *d, view);
    EXPECT_EQ(countInRow(plot, 49, red), 499);
    EXPECT_EQ(plot.pixel(499, 49), kBackground);
    EXPECT_EQ(countInRow(plot, 48, red) + countInRow(plot, 50, red), 0);

    // Not zoomed, point 73 at the reference: column 7 (points 70..79) rises from row 49 to the top.
    d->spectrumDisplay[0][73] = 1000.0f;
    view.zoomed = false;
    view.start = 0;
    DrawSpectrum(plot, background(), *d, view);
    for (const int y : {0, 1, 25, 48, 49})
        EXPECT_EQ(plot.pixel(7, y), red) << y;
    EXPECT_EQ(plot.pixel(6, 25), kBackground);
    EXPECT_EQ(plot.pixel(8, 25), kBackground);
    EXPECT_EQ(plot.pixel(300, 49), red);

    // Zoomed so that point 73 is column 3: the step up to it and back.
    view.zoomed = true;
    view.start = 70;
    DrawSpectrum(plot, background(), *d, view);
    EXPECT_EQ(plot.pixel(2, 49), red);
    EXPECT_EQ(plot.pixel(3, 0), red); // from (3,-1) back down to (4,49)
    EXPECT_EQ(plot.pixel(10, 20), kBackground);

    // Nothing checked: background and grid only.
    view.channelChecked = {false, false, false, false};
    DrawSpectrum(plot, background(), *d, view);
    EXPECT_EQ(countInRow(plot, 49, red), 0);
    EXPECT_EQ(plot.pixel(30, 10), toQRgb(spectrumGridColor)); // start 70: lines at 5, 30, ...
}

TEST(SpectrumPlot, ChannelsScaledTogetherOrSeparately) {
    const QRgb red = toQRgb(kRed);
    const QRgb blue = toQRgb(kBlue);
    auto d = flatData(1000.0f, 100.0f); // B's curve lies 20 dB below A's
    SpectrumView view;
    view.channelColor = {kRed, kBlue, 0, 0};
    view.zoomed = true;
    QImage plot = plotImage();
    struct Case {
        bool separately;
        int rowA, rowB;
    };
    for (const Case c : {Case{false, 49, 99}, Case{true, 49, 49}}) {
        view.perChannelScale = c.separately;
        DrawSpectrum(plot, background(), *d, view);
        if (c.rowA == c.rowB) {
            EXPECT_EQ(countInRow(plot, c.rowB, blue), 499); // B drawn last, over A
        } else {
            EXPECT_EQ(countInRow(plot, c.rowA, red), 499);
            EXPECT_EQ(countInRow(plot, c.rowB, blue), 499);
        }
    }
    // Only channelCount channels are drawn.
    view.perChannelScale = false;
    view.channelCount = 1;
    DrawSpectrum(plot, background(), *d, view);
    EXPECT_EQ(countInRow(plot, 99, blue), 0);
}

TEST(SpectrumPlot, ReadoutAndMarkers) {
    auto d = flatData(1000.0f, 100.0f);
    d->spectrumDisplay[0][2503] = 1000.0f; // in column 250 when not zoomed
    SpectrumView view;
    struct Case {
        const char* name;
        int x, y;
        bool zoomed, checkedB;
        int start;
        double divisor;
        bool inside;
        const char* label;
        std::optional<int> rowA, rowB;
    };
    const Case cases[] = {
        {"middle, not zoomed", 250, 100, false, true, 0, 10.0, true, "f=2500 Hz", 0, 99},
        {"zoomed at 150", 10, 100, true, true, 150, 10.0, true, "f=160 Hz", 49, 99},
        {"B unchecked keeps its marker", 20, 5, false, false, 0, 10.0, true, "f=200 Hz", 49, std::nullopt},
        {"first column hides", 0, 100, false, true, 0, 10.0, false, "", std::nullopt, std::nullopt},
        {"first row hides", 100, 0, false, true, 0, 10.0, false, "", std::nullopt, std::nullopt},
        {"right of the plot hides", 500, 100, false, true, 0, 10.0, false, "", std::nullopt, std::nullopt},
        {"0.005 ms", 100, 100, false, true, 0, frequencyDivisor(0.005f), true, "f=2E+04 Hz", 49, 99},
    };
    for (const Case& c : cases) {
        view.zoomed = c.zoomed;
        view.start = c.start;
        view.channelChecked = {true, c.checkedB, false, false};
        const SpectrumReadout r = spectrumReadout(c.x, c.y, *d, view, c.start, c.divisor, '.');
        EXPECT_EQ(r.inside, c.inside) << c.name;
        EXPECT_EQ(r.label, QString::fromLatin1(c.label)) << c.name;
        EXPECT_EQ(r.markerRow[0], c.rowA) << c.name;
        EXPECT_EQ(r.markerRow[1], c.rowB) << c.name;
        EXPECT_FALSE(r.markerRow[2].has_value()) << c.name;
        if (c.inside) {
            EXPECT_EQ(r.cursorX, c.x) << c.name;
        }
    }
}

// The frequency labels lie whole in the axis picture, the last one centred on column 510 of 531 too:
// the picture holds as much ink under the ticks as the five labels drawn alone.
TEST(SpectrumPlotTest, FrequencyLabelsLieInsideTheAxis) {
    ensureOffscreenGui();
    const auto inkBelowTicks = [](const QImage& image) {
        int n = 0;
        for (int y = 6; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFFu) == 0;
        return n;
    };
    for (const float period : {0.02f, 1.0f, 1000.0f}) {
        QImage axis(frequencyAxisWidth, frequencyAxisHeight, QImage::Format_RGB32);
        DrawFrequencyAxis(axis, 0, false, frequencyDivisor(period), QLatin1Char('.'));
        int labels = 0;
        for (const FrequencyLabel& label :
             frequencyLabels(0, false, frequencyDivisor(period), QLatin1Char('.'))) {
            QImage alone(300, frequencyAxisHeight, QImage::Format_RGB32);
            alone.fill(Qt::white);
            QPainter painter(&alone);
            painter.setFont(axisFont());
            painter.setPen(Qt::black);
            painter.drawText(50, 5 + QFontMetrics(axisFont()).ascent(), label.text);
            painter.end();
            labels += inkBelowTicks(alone);
        }
        EXPECT_EQ(inkBelowTicks(axis), labels) << period;
    }
}

} // namespace
} // namespace varnilog
