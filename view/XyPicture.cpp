#include "view/XyPicture.h"

#include "view/Axes.h"
#include "view/Colour.h"
#include "view/SampleCodes.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

QColor colourOf(std::int32_t bgr) {
    return QColor::fromRgb(toQRgb(bgr));
}

QString voltText(double volts) {
    return QString::number(volts, 'g', 3) + QStringLiteral(" V");
}

// The plot's coordinate of a code: code 0 at the left (bottom) edge, each code two pixels.
int plotX(int code) {
    return kXyPlotLeft + 2 * code;
}
int plotY(int code) {
    return kXyPlotTop + kXyPlotSize - 2 * code;
}

void paintLegend(QPainter& painter, const XyPictureContent& content) {
    const int left = kXyPlotLeft + kXyPlotSize + 16, width = 14;
    const QColor ink = colourOf(content.colour), back = colourOf(content.background);
    for (int y = 0; y < kXyPlotSize; ++y) {
        const double t = 1.0 - static_cast<double>(y) / (kXyPlotSize - 1);
        painter.setPen(
            QColor::fromRgbF(static_cast<float>(back.redF() + (ink.redF() - back.redF()) * t),
                             static_cast<float>(back.greenF() + (ink.greenF() - back.greenF()) * t),
                             static_cast<float>(back.blueF() + (ink.blueF() - back.blueF()) * t)));
        painter.drawLine(left, kXyPlotTop + y, left + width - 1, kXyPlotTop + y);
    }
    painter.setPen(Qt::black);
    painter.drawRect(left, kXyPlotTop, width - 1, kXyPlotSize - 1);
    if (content.peak <= 0)
        return;
    // Powers of ten up to the peak, and the peak itself, where their intensity puts them.
    const QFontMetrics metrics(painter.font());
    const auto label = [&](double count) {
        const int y =
            kXyPlotTop +
            static_cast<int>(std::lround((1.0 - xyIntensity(count, content.peak)) * (kXyPlotSize - 1)));
        painter.drawLine(left + width, y, left + width + 3, y);
        painter.drawText(left + width + 6, y + metrics.ascent() / 2, QString::number(count, 'g', 6));
        return y;
    };
    const int top = label(content.peak);
    for (double c = 1; c < content.peak; c *= 10)
        if (const int y = kXyPlotTop + static_cast<int>(std::lround((1.0 - xyIntensity(c, content.peak)) *
                                                                    (kXyPlotSize - 1)));
            y - top > metrics.height())
            label(c);
}

} // namespace

double xyIntensity(double count, double peak) {
    if (!(count > 0) || !(peak > 0))
        return 0;
    return std::min(1.0, std::log1p(count) / std::log1p(peak));
}

QImage xyDensityImage(const XyPictureContent& content) {
    QImage image(256, 256, QImage::Format_RGB32);
    const QRgb back = toQRgb(content.background), ink = toQRgb(content.colour);
    const auto mix = [](int a, int b, double t) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    for (int y = 0; y < 256; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(255 - y));
        for (int x = 0; x < 256; ++x) {
            const double t =
                content.cells.size() == 256 * 256
                    ? xyIntensity(content.cells[static_cast<std::size_t>(x << 8 | y)], content.peak)
                    : 0.0;
            line[x] = qRgb(mix(qRed(back), qRed(ink), t), mix(qGreen(back), qGreen(ink), t),
                           mix(qBlue(back), qBlue(ink), t));
        }
    }
    return image;
}

void paintXyPicture(QPainter& painter, const XyPictureContent& content) {
    painter.fillRect(0, 0, kXyPictureWidth, kXyPictureHeight, colourOf(kWindowColour));
    painter.drawImage(QRect(kXyPlotLeft, kXyPlotTop, kXyPlotSize, kXyPlotSize), xyDensityImage(content));
    painter.setFont(axisFont());
    const QFontMetrics metrics(painter.font());
    QPen grid(QColor::fromRgb(toQRgb(0xAAAAAA)));
    grid.setStyle(Qt::DotLine);
    // A line every division from the zero line both ways; every other one labelled in volts.
    for (int code = kZeroLine % kCodesPerDivision; code < 256; code += kCodesPerDivision) {
        painter.setPen(grid);
        painter.drawLine(plotX(code), kXyPlotTop, plotX(code), kXyPlotTop + kXyPlotSize);
        painter.drawLine(kXyPlotLeft, plotY(code), kXyPlotLeft + kXyPlotSize, plotY(code));
        if ((code - kZeroLine) % (2 * kCodesPerDivision) != 0)
            continue;
        painter.setPen(Qt::black);
        const QString x = voltText(codeVolts(static_cast<std::uint8_t>(code), content.xSensitivity));
        painter.drawText(plotX(code) - metrics.horizontalAdvance(x) / 2,
                         kXyPlotTop + kXyPlotSize + 4 + metrics.ascent(), x);
        const QString y = voltText(codeVolts(static_cast<std::uint8_t>(code), content.ySensitivity));
        painter.drawText(kXyPlotLeft - 6 - metrics.horizontalAdvance(y), plotY(code) + metrics.ascent() / 2,
                         y);
    }
    painter.setPen(Qt::black);
    painter.drawRect(kXyPlotLeft - 1, kXyPlotTop - 1, kXyPlotSize + 1, kXyPlotSize + 1);
    painter.drawText(kXyPlotLeft + kXyPlotSize / 2, kXyPlotTop + kXyPlotSize + 8 + 2 * metrics.height(),
                     QStringLiteral("X: %1").arg(QChar::fromLatin1(content.xName)));
    painter.drawText(4, kXyPlotTop + metrics.ascent(),
                     QStringLiteral("Y: %1").arg(QChar::fromLatin1(content.yName)));
    paintLegend(painter, content);
}

QImage xyPicture(const XyPictureContent& content) {
    QImage image(kXyPictureWidth, kXyPictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    paintXyPicture(painter, content);
    painter.end();
    return image;
}

} // namespace varnilog
