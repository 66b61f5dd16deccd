// The measurements as the window and the command line list them: one field per measurement with its
// key (the JSON name) and kind, and the text of a value with 4 significant digits and a fitting unit in
// a locale ("1,000 V", "12,50 kHz", "—" when undefined), voltages no finer than the channel resolves. Depends
// on QtCore.
#pragma once

#include "analysis/Measurements.h"

#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace varnilog {

enum class Quantity {
    Volts,
    Hertz,
    Milliseconds,
    Fraction, // shown in %
    Count,
};

struct MeasurementField {
    const char* key;
    Quantity quantity;
    std::optional<double> (*value)(const ChannelMeasurements&);
};

// In the order of the window's rows: max, min, pkpk, mean, rms, acrms, frequency, period, duty, rise,
// fall, periods, samples.
extern const std::array<MeasurementField, 13> kMeasurementFields;

// The text shown for an undefined value.
inline constexpr char16_t kUndefinedText[] = u"—";

// A voltage is never shown finer than a hundredth of a code: a mean of a thousandth of a code is 0, as
// far as the channel can tell. voltsPerCode 0: any step.
inline constexpr double kVoltStepsPerCode = 100;

QString measurementText(std::optional<double> value, Quantity quantity, const QLocale& locale,
                        double voltsPerCode = 0);
// A field of a channel's measurements, at the channel's resolution.
QString measurementText(const MeasurementField& field, const ChannelMeasurements& m, const QLocale& locale);

// A whole number grouped by thousands as the locale groups it, the leading group included
// ("2 000 000 000" in Polish, where Qt leaves "2000 000 000").
QString countText(qlonglong value, const QLocale& locale);

} // namespace varnilog
