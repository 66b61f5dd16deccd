#include "view/Cursors.h"

#include "view/Colour.h"
#include "view/ElapsedTime.h"
#include "view/NumberText.h"
#include "view/SampleCodes.h"

#include <algorithm>
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
    const int c1 = std::clamp(s.cursorColumn[0], 0, kDisplayColumns - 1);
    const int c2 = std::clamp(s.cursorColumn[1], 0, kDisplayColumns - 1);
    const std::int32_t colour1 = s.channelColor[s.cursor1Channel & 3];
    const std::int32_t colour2 = s.channelColor[s.cursor2Channel & 3];
    for (int y = 0; y < kDisplayRows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        line[c1] = invertBlend(line[c1], colour1);
        line[c2] = invertBlend(line[c2], colour2);
    }
    const int level1 = s.channelData[s.cursor1Channel & 3][static_cast<size_t>(c1)];
    const int level2 = s.channelData[s.cursor2Channel & 3][static_cast<size_t>(c2)];
    auto* row1 = reinterpret_cast<QRgb*>(img.scanLine(levelRow(level1)));
    for (int x = 0; x < kDisplayColumns; ++x)
        row1[x] = invertBlend(row1[x], colour1);
    auto* row2 = reinterpret_cast<QRgb*>(img.scanLine(levelRow(level2)));
    const QRgb inverted =
        qRgb(255 - colourRed(colour2), 255 - colourGreen(colour2), 255 - colourBlue(colour2));
    for (int x = 0; x < kDisplayColumns; ++x)
        row2[x] = inverted;
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
