#include "view/Axes.h"

#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

void prepare(QImage& image, int width, int height, QColor windowColour) {
    if (image.width() != width || image.height() != height || image.format() != QImage::Format_RGB32) {
        image = QImage(width, height, QImage::Format_RGB32);
    }
    image.fill(windowColour);
}

// A line as the platform's line-to draws it: from the start up to, not including, the end point.
void line(QPainter& painter, int x0, int y0, int x1, int y1) {
    const int dx = (x1 > x0) - (x1 < x0);
    const int dy = (y1 > y0) - (y1 < y0);
    if (dx == 0 && dy == 0) {
        return;
    }
    painter.drawLine(x0, y0, x1 - dx, y1 - dy);
}

void startPainting(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.setFont(axisFont());
}

} // namespace

QFont axisFont() {
    QFont font(QStringLiteral("Small Fonts"));
    font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    font.setPixelSize(8);
    return font;
}

std::int64_t timeAxisLabelMs(std::int64_t viewStart, std::int32_t zoomDivisor, float samplingPeriodMs,
                             int i) {
    const double t = samplingPeriodMs;
    const double z = zoomDivisor;
    const double v = static_cast<double>(viewStart);
    const double rest = static_cast<double>(viewStart % 100);
    // Rounded to whole microseconds before the truncation: single-precision periods such as 0.02 ms are
    // a hair below their decimal value, and 100 of them must still label 2 ms, not 1 ms.
    const double us = std::round((t * (v - rest * z) + i * t * 100.0 * z) * 1000.0);
    return static_cast<std::int64_t>(us) / 1000;
}

int timeAxisLabelX(std::int64_t viewStart, int i) {
    return 100 * i + 10 - static_cast<int>(viewStart % 100);
}

void drawTimeAxis(const SharedState& state, QImage& image, QColor windowColour) {
    prepare(image, kTimeAxisWidth, kTimeAxisHeight, windowColour);
    QPainter painter(&image);
    startPainting(painter);
    const QFontMetrics metrics(painter.font());
    line(painter, 10, 0, kTimeAxisLineEnd, 0);
    line(painter, 10, 0, 10, 3);
    line(painter, 510, 0, 510, 3);
    for (int i = 1; i <= 5; ++i) {
        const int x0 = timeAxisLabelX(state.viewStart, i);
        const auto ms = timeAxisLabelMs(state.viewStart, state.zoomDivisor, state.samplingPeriodMs, i);
        // The label goes through the 32-bit time the axis has always shown (sampleTimeText is for lists).
        const QString text = formatElapsedTime(static_cast<float>(ms));
        // Centred under its tick, but never past the picture's left edge nor the axis line's right end:
        // the main window's panels cover the picture's last columns.
        const int width = metrics.horizontalAdvance(text);
        const int ink = std::max(width, metrics.boundingRect(text).right() + 1); // a glyph may overhang
        painter.drawText(std::clamp(x0 - width / 2, 0, kTimeAxisLineEnd - ink), 5 + metrics.ascent(), text);
        line(painter, x0, 0, x0, 5);
    }
    const int minorShift = static_cast<int>(state.viewStart % 5);
    for (int i = 1; i <= 100; ++i) {
        const int x = 5 * i + 10 - minorShift;
        line(painter, x, 0, x, 3);
    }
}

void drawVoltAxis(const SharedState& state, QImage& image, QColor windowColour) {
    prepare(image, kVoltAxisWidth, kVoltAxisHeight, windowColour);
    QPainter painter(&image);
    startPainting(painter);
    const QFontMetrics metrics(painter.font());
    const int channel = std::min<int>(state.selectedChannel, kChannels - 1);
    const int s = std::clamp<int>(state.channelSensitivity[channel], 1, kSensitivityCount);
    line(painter, 37, 8, 37, 259);
    for (int i = 0; i <= 10; ++i) {
        const QString& text = voltLabel(s, 10 - i);
        painter.drawText(29 - metrics.horizontalAdvance(text), 25 * i + 5 + metrics.ascent(), text);
        line(painter, 33, 25 * i + 8, 38, 25 * i + 8);
    }
    for (int i = 1; i <= 49; ++i) {
        line(painter, 35, 5 * i + 8, 38, 5 * i + 8);
    }
}

} // namespace varnilog
