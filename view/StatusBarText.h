// The texts of the main window's 17 status bar panels that follow the scales: per channel its V/div
// and coupling, the sampling period, the model and the port. Pure; depends on QtCore only.
#pragma once

#include "app/SharedState.h"

#include <QLocale>
#include <QString>

#include <array>

namespace varnilog {

inline constexpr int kStatusPanels = 17;
// The coupling of a channel computed from A and B, which has none.
inline constexpr QStringView kNoCouplingText = u"\u2014";

// Sampling period as the status bar shows it: "1s", "50ms", "0.1ms", "50us" (two significant digits,
// decimal separator of the locale).
QString samplingPeriodText(float samplingPeriodMs, const QLocale& locale);

// Panels 0..14 in full ("A:", "10V", "AC", "B:", ...; a derived channel's coupling is "—"); panels 15
// (empty in the resource) and 16 (the message panel) are null strings, which the window leaves
// untouched.
std::array<QString, kStatusPanels> statusBarTexts(const SharedState& state,
                                                  const QLocale& locale = QLocale());

} // namespace varnilog
