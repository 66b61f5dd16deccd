#include "view/PersistencePicture.h"

#include "app/SharedState.h"
#include "view/Colour.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace varnilog {

namespace {

// log(1 + c) of every positive float by its top 16 bits (sign, exponent, 7 bits of mantissa), taken
// at the middle of the floats sharing them.
const std::array<float, 1 << 15>& logTable() {
    static const std::array<float, 1 << 15> table = [] {
        std::array<float, 1 << 15> t{};
        for (std::uint32_t i = 0; i < t.size(); ++i) {
            const float c = std::bit_cast<float>(i << 16 | 0x8000u);
            t[i] = std::isfinite(c) ? static_cast<float>(std::log1p(static_cast<double>(c))) : 0.0f;
        }
        return t;
    }();
    return table;
}

float logOf(float count) {
    return logTable()[std::bit_cast<std::uint32_t>(count) >> 16 & 0x7FFFu];
}

} // namespace

float persistenceIntensity(float count, float peak) {
    if (!(count > 0) || !(peak > 0))
        return 0;
    return std::min(1.0f, logOf(count) / logOf(peak));
}

void drawPersistence(QImage& screen, const float* counts, float peak, std::int32_t colour) {
    if (!(peak > 0) || screen.width() < kDisplayColumns || screen.height() < kDisplayRows ||
        screen.depth() != 32)
        return;
    const float scale = 256.0f / logOf(peak);
    const int red = colourRed(colour), green = colourGreen(colour), blue = colourBlue(colour);
    const auto& table = logTable();
    for (int y = 0; y < kDisplayRows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(screen.scanLine(y));
        for (int x = 0; x < kDisplayColumns; ++x) {
            const float count =
                counts[static_cast<std::size_t>(x) * kDisplayRows + static_cast<std::size_t>(y)];
            if (!(count > 0.0f))
                continue;
            const int t = std::min(
                256, static_cast<int>(table[std::bit_cast<std::uint32_t>(count) >> 16 & 0x7FFFu] * scale));
            if (t <= 0)
                continue;
            const QRgb p = line[x];
            line[x] = 0xFF000000u | static_cast<QRgb>((qRed(p) + ((red - qRed(p)) * t >> 8)) << 16) |
                      static_cast<QRgb>((qGreen(p) + ((green - qGreen(p)) * t >> 8)) << 8) |
                      static_cast<QRgb>(qBlue(p) + ((blue - qBlue(p)) * t >> 8));
        }
    }
}

} // namespace varnilog
