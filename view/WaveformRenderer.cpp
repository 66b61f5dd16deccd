#include "view/WaveformRenderer.h"

#include "view/Axes.h"
#include "view/Colour.h"
#include "view/MarkerFlags.h"
#include "view/ScaleTables.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace varnilog {

namespace {

bool hasSize(const QImage& image, int width, int height) {
    return image.width() == width && image.height() == height && image.depth() == 32;
}

QRgb* row(QImage& image, int y) {
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}

void fillRow(QRgb* pixels, int width, QRgb colour) {
    std::fill(pixels, pixels + width, colour);
}

// Sign-keeping halving, rounding toward minus infinity.
int half(int d) {
    return d >> 1;
}

// Paints values b..t (display rows 250 - t .. 250 - b) into bitmap columns x and x + 1.
void paintSpan(uchar* bits, qsizetype stride, int x, int b, int t, QRgb colour) {
    if (t < b) {
        return;
    }
    const int firstRow = std::max(0, kDisplayRows - t);
    const int lastRow = std::min(kDisplayRows - 1, kDisplayRows - b);
    const bool left = x >= 0 && x < kWaveWidth;
    const bool right = x + 1 >= 0 && x + 1 < kWaveWidth;
    for (int y = 2 * firstRow; y <= 2 * lastRow + 1; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(bits + y * stride);
        if (left) {
            line[x] = colour;
        }
        if (right) {
            line[x + 1] = colour;
        }
    }
}

void buildOffsetLabelMasks(ViewBuffers& view) {
    const QFont font = axisFont();
    const QFontMetrics metrics(font);
    for (int c = 0; c < kChannels; ++c) {
        const QString text = QStringLiteral("Offset ") + QChar::fromLatin1(channelName[c]);
        QImage ink(std::max(1, metrics.horizontalAdvance(text)), metrics.height(), QImage::Format_RGB32);
        ink.fill(Qt::black);
        {
            QPainter painter(&ink);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(0, metrics.ascent(), text);
        }
        view.offsetLabelMask[c] = ink.convertToFormat(QImage::Format_Grayscale8);
    }
}

// Writes the channel colour wherever the label mask has ink, top-left at (left, top), clipped.
void blitLabel(QImage& screen, const QImage& mask, int left, int top, QRgb colour) {
    for (int y = 0; y < mask.height(); ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= kDisplayRows) {
            continue;
        }
        const uchar* ink = mask.constScanLine(y);
        QRgb* line = row(screen, sy);
        for (int x = 0; x < mask.width(); ++x) {
            const int sx = left + x;
            if (ink[x] >= 128 && sx >= 0 && sx < kDisplayColumns) {
                line[sx] = colour;
            }
        }
    }
}

void drawOffsetMarker(const SharedState& state, ViewBuffers& view, int channel) {
    const int markerRow = offsetMarkerRow(state.channelOffset[channel], state.channelZeroOffset[channel],
                                          state.referenceVoltage);
    const std::int32_t colour = state.channelColor[channel];
    const int red = colourRed(colour);
    const int green = colourGreen(colour);
    const int blue = colourBlue(colour);
    QRgb* line = row(view.bmpScreen, markerRow);
    for (int x = 0; x < kDisplayColumns; ++x) {
        if (x % 8 < 4) {
            const QRgb p = line[x];
            line[x] =
                (p & 0xFF000000u) | qRgb((qRed(p) + red) / 2, (qGreen(p) + green) / 2, (qBlue(p) + blue) / 2);
        }
    }
    const QImage& mask = view.offsetLabelMask[channel];
    if (mask.isNull()) {
        return;
    }
    const int top = markerRow <= 125 ? markerRow + 2 : markerRow - 2 - mask.height();
    blitLabel(view.bmpScreen, mask, 10, top, toQRgb(colour));
}

} // namespace

void paintBackground(QImage& bitmap, std::int32_t colour1, std::int32_t colour2, bool gradient) {
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (bitmap.depth() != 32) {
        return;
    }
    if (!gradient) {
        for (int y = 0; y < height; ++y) {
            fillRow(row(bitmap, y), width, toQRgb(colour1));
        }
        return;
    }
    auto step = [](int from, int to, int i) {
        return static_cast<int>(from + static_cast<double>(to - from) * i / 256.0);
    };
    for (int i = 0; i < kWaveHeight / 2; ++i) {
        const QRgb c = qRgb(step(colourRed(colour1), colourRed(colour2), i),
                            step(colourGreen(colour1), colourGreen(colour2), i),
                            step(colourBlue(colour1), colourBlue(colour2), i));
        for (const int y : {i, kWaveHeight - 1 - i}) {
            if (y < height) {
                fillRow(row(bitmap, y), width, c);
            }
        }
    }
}

void drawGrid(QImage& bitmap, std::int32_t colour, std::int64_t viewStart, std::int32_t zoomDivisor) {
    if (!hasSize(bitmap, kWaveWidth, kWaveHeight)) {
        return;
    }
    const QRgb c = toQRgb(colour);
    const std::int64_t firstColumn = viewStart / std::max<std::int32_t>(1, zoomDivisor);
    const int shift = static_cast<int>((2 * (firstColumn % 25)) % 50);
    for (int y = 0; y < kWaveHeight; ++y) {
        QRgb* line = row(bitmap, y);
        if (y % 50 == 0) {
            fillRow(line, kWaveWidth, c);
            continue;
        }
        for (int x = 50 - shift; x < kWaveWidth; x += 50) {
            line[x] = c;
        }
        if (shift == 0) {
            line[0] = c;
        }
    }
}

void drawTrace(const SharedState& state, const ViewBuffers& view, int channel, std::int32_t zoomDivisor,
               QImage& bitmap) {
    if (channel < 0 || channel >= kChannels || !hasSize(bitmap, kWaveWidth, kWaveHeight)) {
        return;
    }
    const QRgb colour = toQRgb(state.channelColor[channel]);
    const std::uint8_t* top = state.channelData[channel].data();
    const std::uint8_t* bottom = zoomDivisor < 2 ? top : view.columnMin[channel].data();
    uchar* bits = bitmap.bits();
    const qsizetype stride = bitmap.bytesPerLine();
    int pHi = top[0];
    int pLo = bottom[0];
    for (int k = 0; k < kDisplayColumns; ++k) {
        const int hi = top[k];
        const int lo = bottom[k];
        if (hi >= pHi) {
            paintSpan(bits, stride, 2 * k + 1, pLo + half(lo - pLo), hi, colour);
            paintSpan(bits, stride, 2 * k, pLo, pHi + half(hi - pHi), colour);
        } else {
            paintSpan(bits, stride, 2 * k + 1, lo, hi + half(pHi - hi), colour);
            paintSpan(bits, stride, 2 * k, lo + half(pLo - lo), pHi, colour);
        }
        pHi = hi;
        pLo = lo;
    }
}

void reduceBoxFilter(QImage& bitmap) {
    if (!hasSize(bitmap, kWaveWidth, kWaveHeight)) {
        return;
    }
    uchar* bits = bitmap.bits();
    const qsizetype stride = bitmap.bytesPerLine();
    for (int y = 0; y < kDisplayRows; ++y) {
        const QRgb* upper = reinterpret_cast<const QRgb*>(bits + 2 * y * stride);
        const QRgb* lower = reinterpret_cast<const QRgb*>(bits + (2 * y + 1) * stride);
        QRgb* out = reinterpret_cast<QRgb*>(bits + y * stride);
        for (int x = 0; x < kDisplayColumns; ++x) {
            const QRgb a = upper[2 * x], b = upper[2 * x + 1], c = lower[2 * x], d = lower[2 * x + 1];
            // Red and blue summed side by side (10 bits each cannot collide), green on its own.
            const std::uint32_t redBlue =
                (a & 0x00FF00FFu) + (b & 0x00FF00FFu) + (c & 0x00FF00FFu) + (d & 0x00FF00FFu);
            const std::uint32_t green =
                (a & 0x0000FF00u) + (b & 0x0000FF00u) + (c & 0x0000FF00u) + (d & 0x0000FF00u);
            out[x] = (a & 0xFF000000u) | ((redBlue >> 2) & 0x00FF00FFu) | ((green >> 2) & 0x0000FF00u);
        }
    }
}

int offsetMarkerRow(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage) {
    const float shift = static_cast<float>(offset - zeroOffset) * referenceVoltage;
    const float value = 126.0f - shift;
    // Kept on the picture even for an offset outside the range the controls allow.
    if (!(value > 0.0f)) {
        return 0;
    }
    return std::min(kDisplayRows - 1, static_cast<int>(std::min(value, 1000.0f)));
}

void drawOverlays(SharedState& state, ViewBuffers& view, bool showCursors,
                  const CursorPainter& cursorPainter) {
    if (!hasSize(view.bmpWave, kWaveWidth, kWaveHeight) ||
        !hasSize(view.bmpScreen, kDisplayColumns, kDisplayRows)) {
        return;
    }
    for (int y = 0; y < kDisplayRows; ++y) {
        std::memcpy(row(view.bmpScreen, y), view.bmpWave.constScanLine(y), kDisplayColumns * sizeof(QRgb));
    }
    state.selectionShown = false; // its highlight is gone with the old picture
    if (showCursors && cursorPainter) {
        cursorPainter(state, view.bmpScreen);
    }
    // Fonts need a GUI application; without one (a headless tool) the markers go without labels.
    if (view.offsetLabelMask[0].isNull() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        buildOffsetLabelMasks(view);
    }
    const int channels = std::min<int>(state.channelCount, kChannels);
    for (int c = 0; c < channels; ++c) {
        if (state.channelOffset[c] != state.channelZeroOffset[c]) {
            drawOffsetMarker(state, view, c);
        }
    }
    drawMarkerFlags(view.bmpScreen, view.markers, state.viewStart, state.zoomDivisor);
}

void renderWaveform(SharedState& state, ViewBuffers& view) {
    if (!hasSize(view.bmpBackground, kWaveWidth, kWaveHeight) ||
        !hasSize(view.bmpWave, kWaveWidth, kWaveHeight)) {
        return;
    }
    for (int y = 0; y < kWaveHeight; ++y) {
        std::memcpy(row(view.bmpWave, y), view.bmpBackground.constScanLine(y), kWaveWidth * sizeof(QRgb));
    }
    drawGrid(view.bmpWave, gridColor, state.viewStart, state.zoomDivisor);
    for (int c = 0; c < kChannels; ++c) {
        if (state.channelVisible[c]) {
            drawTrace(state, view, c, state.zoomDivisor, view.bmpWave);
        }
    }
    reduceBoxFilter(view.bmpWave);
    state.cursorsActive = false;
    drawOverlays(state, view, false);
}

} // namespace varnilog
