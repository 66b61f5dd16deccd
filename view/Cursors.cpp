#include "view/Cursors.h"

#include "view/Colour.h"
#include "view/ElapsedTime.h"
#include "view/NumberText.h"
#include "view/SampleCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace varnilog {

namespace {

inline QRgb invertBlend(QRgb pixel, std::int32_t colour) {
    const int r = 255 - (qRed(pixel) + colourRed(colour)) / 2;
    const int g = 255 - (qGreen(pixel) + colourGreen(colour)) / 2;
    const int b = 255 - (qBlue(pixel) + colourBlue(colour)) / 2;
    return qRgb(r, g, b);
}

int levelRow(int level) {
    return std::clamp(250 - level, 0, kDisplayRows - 1);
}

} // namespace

int cursorColumnFromMouse(int x) {
    return std::clamp(x, 0, kDisplayColumns - 1);
}

void drawCursors(const SharedState& s, QImage& img) {
    // A cursor whose sample is off the view (its column outside the picture) is not drawn.
    const std::array<int, 2> columns{s.cursorColumn[0], s.cursorColumn[1]};
    const std::array<std::int32_t, 2> colours{s.channelColor[s.cursor1Channel & 3],
                                              s.channelColor[s.cursor2Channel & 3]};
    const std::array<int, 2> channels{s.cursor1Channel & 3, s.cursor2Channel & 3};
    for (std::size_t n = 0; n < 2; ++n) {
        const int c = columns[n];
        if (c < 0 || c >= kDisplayColumns)
            continue;
        for (int y = 0; y < kDisplayRows; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            line[c] = invertBlend(line[c], colours[n]);
        }
        const int level = s.channelData[static_cast<std::size_t>(channels[n])][static_cast<size_t>(c)];
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(levelRow(level)));
        const QRgb inverted =
            qRgb(255 - colourRed(colours[n]), 255 - colourGreen(colours[n]), 255 - colourBlue(colours[n]));
        for (int x = 0; x < kDisplayColumns; ++x)
            row[x] = n == 0 ? invertBlend(row[x], colours[n]) : inverted;
    }
}

void drawLevelCursors(QImage& img, const std::array<int, 2>& codes, std::int32_t colour) {
    // Dashed, so they are not taken for the level lines of the time cursors.
    for (const int code : codes) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(levelRow(code)));
        for (int x = 0; x < kDisplayColumns; ++x)
            if (x % 8 < 5)
                row[x] = invertBlend(row[x], colour);
    }
}

QString cursorTimeText(const SharedState& s) {
    // Two columns are zoomDivisor samples apart, so the distance is measured in samples.
    const float samples =
        static_cast<float>(static_cast<std::int64_t>(s.cursorColumn[1] - s.cursorColumn[0]) *
                           std::max<std::int32_t>(1, s.zoomDivisor));
    // The readout keeps the single-precision product it has always shown (the lists of sample times
    // use sampleTimeText).
    const float span = samples * s.samplingPeriodMs;
    const float ms = std::fabs(std::trunc(span));
    return QStringLiteral("T: ") + formatElapsedTime(ms);
}

QString cursorVoltageText(const SharedState& s, const QLocale& locale) {
    const int c1 = std::clamp(s.cursorColumn[0], 0, kDisplayColumns - 1);
    const int c2 = std::clamp(s.cursorColumn[1], 0, kDisplayColumns - 1);
    const int ch1 = s.cursor1Channel & 3, ch2 = s.cursor2Channel & 3;
    const double level1 = s.channelData[ch1][static_cast<size_t>(c1)];
    const double level2 = s.channelData[ch2][static_cast<size_t>(c2)];
    const double v1 = stepVolts(level1, s.channelSensitivity[ch1]);
    const double v2 = stepVolts(level2, s.channelSensitivity[ch2]);
    return QStringLiteral("U: ") + generalNumberText(std::fabs(v1 - v2), 15, locale) + QStringLiteral("V");
}

void drawSelection(SharedState& s, ViewBuffers& view) {
    const std::int32_t zoom = std::max<std::int32_t>(1, s.zoomDivisor);
    int a = s.selectionStart / zoom;
    int b = s.selectionEnd / zoom;
    if (b < a)
        std::swap(a, b);
    a = std::max(a, 0);
    b = std::min(b, kDisplayColumns - 1);
    s.selectionShown = true;
    QImage& screen = view.bmpScreen;
    for (int y = 0; y < kDisplayRows; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(view.bmpWave.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(screen.scanLine(y));
        std::copy(src, src + kDisplayColumns, dst);
        for (int x = a; x < b; ++x)
            dst[x] = qRgb((qRed(dst[x]) + 240) / 2, (qGreen(dst[x]) + 240) / 2, (qBlue(dst[x]) + 255) / 2);
        for (int x : {a, b}) {
            if (x < 0 || x >= kDisplayColumns)
                continue; // a span entirely off the picture has no edge to darken
            dst[x] = qRgb(static_cast<int>(qRed(dst[x]) * 0.4), static_cast<int>(qGreen(dst[x]) * 0.4),
                          static_cast<int>(qBlue(dst[x]) * 0.7));
        }
    }
}

} // namespace varnilog
