#include "spectrum/SpectrumPlot.h"

#include "view/Axes.h"
#include "view/Colour.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace varnilog {

namespace {

constexpr int kRowLimit = 1 << 20; // rows far outside the plot are all the same once clipped
constexpr QRgb kBlack = 0xFF000000u;

int pointRow(const SpectrumDisplay& data, int channel, int point, bool perChannelScale) {
    return plotRowOfLevel(pointLevel(data, channel, point, perChannelScale));
}

// Pen position and LineTo as the curves are drawn: each segment leaves out its end point.
struct Pen {
    QImage& image;
    QRgb colour;
    int x = 0;
    int y = 0;
    void moveTo(int nx, int ny) {
        x = nx;
        y = ny;
    }
    void lineTo(int nx, int ny) {
        drawPlotLine(image, x, y, nx, ny, colour);
        moveTo(nx, ny);
    }
};

void fillImage(QImage& image, std::int32_t colour) {
    image.fill(QColor::fromRgb(toQRgb(colour)));
}

} // namespace

double frequencyDivisor(float samplingPeriodMs) {
    const double unrounded = 100.0 * static_cast<double>(samplingPeriodMs);
    if (!(unrounded >= 1.0))
        return unrounded > 0.0 ? unrounded : 1.0;
    return std::nearbyint(unrounded);
}

double levelOf(double ratio) {
    if (!(ratio > 0.0))
        return 0.0;
    return 250.0 + 50.0 * std::log10(ratio);
}

int plotRowOfLevel(double level) {
    const double row = 249.0 - level;
    if (!(row > -kRowLimit))
        return -kRowLimit;
    if (!(row < kRowLimit))
        return kRowLimit;
    return static_cast<int>(row);
}

double pointLevel(const SpectrumDisplay& data, int channel, int point, bool perChannelScale) {
    const float reference = perChannelScale ? data.spectrumPeak[channel] : data.spectrumPeakAll;
    const float v = data.spectrumDisplay[channel][point];
    if (v == 0.0f)
        return 0.0;
    return levelOf(static_cast<double>(v) / static_cast<double>(reference));
}

QString formatGeneral4(double value, QChar decimalPoint) {
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3e", std::fabs(value)); // d.ddde+XX, rounded to 4 digits
    QString digits = QString::fromLatin1(buf, 1) + QString::fromLatin1(buf + 2, 3);
    const int exponent = std::atoi(buf + 6);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    QString out = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= 4 || std::fabs(value) < 0.00001) {
        out += digits.left(1);
        if (digits.size() > 1)
            out += decimalPoint + digits.mid(1);
        out += QStringLiteral("E%1%2")
                   .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                   .arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
        return out;
    }
    if (exponent >= 0) {
        const QString whole = digits.left(exponent + 1).leftJustified(exponent + 1, QLatin1Char('0'));
        const QString fraction = digits.mid(exponent + 1);
        return out + whole + (fraction.isEmpty() ? QString() : decimalPoint + fraction);
    }
    return out + QLatin1Char('0') + decimalPoint + QString(-exponent - 1, QLatin1Char('0')) + digits;
}

std::array<FrequencyLabel, 5> frequencyLabels(int a, bool zoomed, double divisor, QChar decimalPoint) {
    std::array<FrequencyLabel, 5> labels;
    for (int i = 1; i <= 5; ++i) {
        const int p = a - (a % 100) + 100 * i;
        const float f = static_cast<float>(p / (divisor * (zoomed ? 0.1 : 0.01)));
        labels[i - 1].x = 100 * i + 10 - (a % 100);
        labels[i - 1].text = formatGeneral4(f, decimalPoint) + QStringLiteral(" Hz");
    }
    return labels;
}

void drawPlotLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    const std::int64_t dx = std::int64_t(x1) - x0;
    const std::int64_t dy = std::int64_t(y1) - y0;
    const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0)
        return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const int majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t minorDelta = std::llabs(xMajor ? dy : dx);
    const int minorStep = (xMajor ? dy : dx) >= 0 ? 1 : -1;
    const std::int64_t majorSize = xMajor ? image.width() : image.height();
    // Steps i = 0 .. n-1 whose major coordinate lies inside the image.
    std::int64_t iFirst = 0;
    std::int64_t iLast = n - 1;
    if (majorStep > 0) {
        iFirst = std::max<std::int64_t>(iFirst, -majorStart);
        iLast = std::min<std::int64_t>(iLast, majorSize - 1 - majorStart);
    } else {
        iFirst = std::max<std::int64_t>(iFirst, majorStart - (majorSize - 1));
        iLast = std::min<std::int64_t>(iLast, majorStart);
    }
    for (std::int64_t i = iFirst; i <= iLast; ++i) {
        const std::int64_t major = majorStart + majorStep * i;
        const std::int64_t minor = minorStart + minorStep * ((2 * i * minorDelta + n) / (2 * n));
        const std::int64_t x = xMajor ? major : minor;
        const std::int64_t y = xMajor ? minor : major;
        if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
            image.setPixel(static_cast<int>(x), static_cast<int>(y), colour);
    }
}

void DrawSpectrumGrid(QImage& plot, int spectrumStart, std::int32_t colour) {
    const QRgb rgb = toQRgb(colour);
    for (int i = 0; i <= 20; ++i) {
        const int x = 25 * i - spectrumStart % 25;
        drawPlotLine(plot, x, 0, x, 256, rgb);
    }
    for (int i = 0; i <= 5; ++i)
        drawPlotLine(plot, 0, 50 * i, 1000, 50 * i, rgb);
}

void DrawSpectrum(QImage& plot, const QImage& background, const SpectrumDisplay& data,
                  const SpectrumView& view) {
    plot.fill(Qt::black);
    {
        QPainter painter(&plot);
        painter.drawImage(0, 0, background);
    }
    DrawSpectrumGrid(plot, view.start, spectrumGridColor);
    DrawSpectrumCurves(plot, data, view);
}

void DrawSpectrumCurves(QImage& plot, const SpectrumDisplay& data, const SpectrumView& view) {
    const int count = std::clamp(view.channelCount, 0, kChannels);
    const int start = std::clamp(view.start, 0, spectrumScrollMax);
    for (int c = 0; c < count; ++c) {
        if (!view.channelChecked[c])
            continue;
        Pen pen{plot, toQRgb(view.channelColor[c])};
        if (view.zoomed) {
            pen.moveTo(0, pointRow(data, c, start, view.perChannelScale));
            for (int x = 0; x < spectrumPlotWidth; ++x)
                pen.lineTo(x, pointRow(data, c, start + x, view.perChannelScale));
        } else {
            pen.moveTo(0, pointRow(data, c, 0, view.perChannelScale));
            for (int x = 0; x < spectrumPlotWidth; ++x)
                for (int j = 0; j < 10; ++j)
                    pen.lineTo(x, pointRow(data, c, 10 * x + j, view.perChannelScale));
        }
    }
}

void DrawFrequencyAxis(QImage& axis, int a, bool zoomed, double divisor, QChar decimalPoint) {
    fillImage(axis, kWindowColour);
    drawPlotLine(axis, 10, 0, 511, 0, kBlack);
    drawPlotLine(axis, 10, 0, 10, 3, kBlack);
    drawPlotLine(axis, 510, 0, 510, 3, kBlack);
    QPainter painter(&axis);
    painter.setFont(axisFont());
    painter.setPen(QColor(Qt::black));
    const QFontMetrics metrics(painter.font());
    for (const FrequencyLabel& label : frequencyLabels(a, zoomed, divisor, decimalPoint)) {
        // Centred on its tick, but whole inside the picture at either end.
        const int width = metrics.horizontalAdvance(label.text);
        const int ink = std::max(width, metrics.boundingRect(label.text).right() + 1); // a glyph may overhang
        const int left = std::clamp(label.x - width / 2, 0, axis.width() - ink);
        painter.drawText(left, 5 + metrics.ascent(), label.text);
        drawPlotLine(axis, label.x, 0, label.x, 5, kBlack);
    }
    for (int i = 1; i <= 100; ++i) {
        const int x = 5 * i + 10 - a % 5;
        drawPlotLine(axis, x, 0, x, 3, kBlack);
    }
}

void DrawLevelAxis(QImage& axis) {
    fillImage(axis, kWindowColour);
    drawPlotLine(axis, 36, 8, 36, 259, kBlack);
    QPainter painter(&axis);
    painter.setFont(axisFont());
    painter.setPen(QColor(Qt::black));
    const QFontMetrics metrics(painter.font());
    for (int i = 0; i <= 5; ++i) {
        const QString text = QString::number(-20 * i) + QStringLiteral("dB");
        painter.drawText(30 - metrics.horizontalAdvance(text), 50 * i + 4 + metrics.ascent(), text);
        drawPlotLine(axis, 32, 50 * i + 8, 37, 50 * i + 8, kBlack);
    }
    for (int i = 1; i <= 49; ++i)
        drawPlotLine(axis, 34, 5 * i + 8, 37, 5 * i + 8, kBlack);
}

SpectrumReadout spectrumReadout(int x, int y, const SpectrumDisplay& data, const SpectrumView& view,
                                int scrollPosition, double divisor, QChar decimalPoint) {
    SpectrumReadout out;
    if (!(x > 0 && x < spectrumPlotWidth && y > 0 && y < spectrumPlotHeight))
        return out;
    out.inside = true;
    const float f =
        static_cast<float>(view.zoomed ? (x + scrollPosition) / (divisor * 0.1) : x / (divisor * 0.01));
    const int count = std::clamp(view.channelCount, 0, kChannels);
    const int start = std::clamp(view.start, 0, spectrumScrollMax);
    for (int c = 0; c < count; ++c) {
        if (!view.channelChecked[c])
            continue;
        double level = 0.0;
        if (view.zoomed) {
            level = pointLevel(data, c, start + x, view.perChannelScale);
        } else {
            for (int j = 0; j < 10; ++j)
                level = std::max(level, pointLevel(data, c, 10 * x + j, view.perChannelScale));
        }
        out.levelDb[c] = std::clamp((level - 250.0) * 0.4, -100.0, 0.0); // 50 rows per 20 dB
        level = std::clamp(level, 0.0, 249.0);
        out.markerRow[c] = static_cast<int>(249.0 - level);
    }
    out.cursorX = x;
    out.label = QStringLiteral("f=") + formatGeneral4(f, decimalPoint) + QStringLiteral(" Hz");
    return out;
}

} // namespace varnilog
