#include "view/TriggerOverlay.h"

#include "app/SharedState.h"
#include "view/Colour.h"
#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace varnilog {

namespace {

constexpr int kDash = 4;           // pixels drawn, then as many left out
constexpr int kTriangleHeight = 5; // rows of the column triangle; its widest row is 2 * 5 - 1 pixels

} // namespace

int preTriggerColumn(int percent) {
    return std::clamp(static_cast<int>(std::lround(std::clamp(percent, 0, 100) * kDisplayColumns / 100.0)), 0,
                      kDisplayColumns - 1);
}

int triggerLevelRow(double levelCode) {
    const long row = std::lround(kDisplayRows - levelCode);
    return row >= 0 && row < kDisplayRows ? static_cast<int>(row) : -1;
}

double triggerLevelAtRow(int row, int sensitivity) {
    return codeVolts(static_cast<std::uint8_t>(kDisplayRows - std::clamp(row, 0, kDisplayRows - 1)),
                     sensitivity);
}

bool nearTriggerLevel(int y, int levelRow) {
    constexpr int kGrabRows = 3;
    return levelRow >= 0 && std::abs(y - levelRow) <= kGrabRows;
}

void drawTriggerOverlay(QImage& screen, double levelCode, int column, std::int32_t colour) {
    if (screen.width() < kDisplayColumns || screen.height() < kDisplayRows || screen.depth() != 32)
        return;
    const QRgb c = toQRgb(colour);
    if (const int row = triggerLevelRow(levelCode); row >= 0) {
        QRgb* line = reinterpret_cast<QRgb*>(screen.scanLine(row));
        for (int x = 0; x < kDisplayColumns; ++x)
            if ((x / kDash) % 2 == 0)
                line[x] = c;
    }
    if (column < 0 || column >= kDisplayColumns)
        return;
    for (int y = 0; y < kTriangleHeight; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(screen.scanLine(y));
        const int half = kTriangleHeight - 1 - y;
        for (int x = std::max(0, column - half); x <= std::min(kDisplayColumns - 1, column + half); ++x)
            line[x] = c;
    }
}

} // namespace varnilog
