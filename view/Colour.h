// The one conversion between the settings' colour values (0x00BBGGRR: red in the low byte, as the
// configuration stores them) and Qt's QRgb (0xAARRGGBB), plus the component accessors the pixel code
// uses. Header only; QRgb is spelt as the unsigned 32 bits it is, so the vocabulary needs no Qt GUI.
#pragma once

#include <cstdint>

namespace varnilog {

inline constexpr int colourRed(std::int32_t bgr) {
    return bgr & 0xFF;
}
inline constexpr int colourGreen(std::int32_t bgr) {
    return (bgr >> 8) & 0xFF;
}
inline constexpr int colourBlue(std::int32_t bgr) {
    return (bgr >> 16) & 0xFF;
}

// Opaque QRgb of a settings colour; the top byte of the setting is ignored.
inline constexpr std::uint32_t toQRgb(std::int32_t bgr) {
    return 0xFF000000u | (static_cast<std::uint32_t>(colourRed(bgr)) << 16) |
           (static_cast<std::uint32_t>(colourGreen(bgr)) << 8) | static_cast<std::uint32_t>(colourBlue(bgr));
}

// The background of the windows and of the axis strips (13680832 in the settings' form).
inline constexpr std::int32_t kWindowColour = 0xD0C0C0;

// Settings colour of a QRgb; the alpha byte is dropped.
inline constexpr std::int32_t fromQRgb(std::uint32_t rgb) {
    return static_cast<std::int32_t>(((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16));
}

} // namespace varnilog
