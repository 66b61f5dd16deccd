#include "analysis/MeasurementText.h"

#include <cmath>

namespace varnilog {

namespace {

struct Unit {
    double scale; // value / scale is shown
    const char* name;
};

double roundedTo(double x, int decimals) {
    const double power = std::pow(10.0, decimals);
    return std::round(x * power) / power;
}

// The decimals that show a step of x, so that a step of 0.004 shows as 0.004.
int decimalsOf(double x) {
    return std::max(0, static_cast<int>(std::ceil(-std::log10(x) - 1e-9)));
}

// Units of one quantity from the smallest up, and the smallest magnitude each is used from. A step
// above 0 is the finest one shown: the value is rounded to it first, and no decimal shows less.
template <std::size_t N>
QString scaled(double value, const std::array<Unit, N>& units, const std::array<double, N>& from,
               const QLocale& locale, double step = 0) {
    if (step > 0) {
        value = std::round(value / step) * step;
        if (value == 0)
            value = 0; // no "-0"
    }
    const double magnitude = std::abs(value);
    std::size_t u = 0;
    while (u + 1 < N && (magnitude >= from[u + 1] || (value == 0 && units[u].scale < 1.0)))
        ++u;
    for (;; ++u) {
        const double x = value / units[u].scale;
        int digits = x == 0 ? 1 : static_cast<int>(std::floor(std::log10(std::abs(x)))) + 1;
        // 9.9996 rounds to 10.00, not 10.000: the digits are counted after rounding.
        if (x != 0 && std::abs(roundedTo(x, std::max(0, 4 - digits))) >= std::pow(10.0, digits))
            ++digits;
        int decimals = std::max(0, 4 - digits);
        if (step > 0)
            decimals = std::min(decimals, decimalsOf(step / units[u].scale));
        // 999.96 mV rounds to 1000: shown as 1.000 V instead.
        if (u + 1 < N && digits >= 4)
            continue;
        return locale.toString(x, 'f', decimals) + QChar(' ') + QString::fromUtf8(units[u].name);
    }
}

} // namespace

const std::array<MeasurementField, 13> kMeasurementFields{{
    {"max", Quantity::Volts, [](const ChannelMeasurements& m) { return m.max; }},
    {"min", Quantity::Volts, [](const ChannelMeasurements& m) { return m.min; }},
    {"pkpk", Quantity::Volts, [](const ChannelMeasurements& m) { return m.pkpk; }},
    {"mean", Quantity::Volts, [](const ChannelMeasurements& m) { return m.mean; }},
    {"rms", Quantity::Volts, [](const ChannelMeasurements& m) { return m.rms; }},
    {"acrms", Quantity::Volts, [](const ChannelMeasurements& m) { return m.acrms; }},
    {"frequency", Quantity::Hertz, [](const ChannelMeasurements& m) { return m.frequency; }},
    {"period", Quantity::Milliseconds, [](const ChannelMeasurements& m) { return m.period; }},
    {"duty", Quantity::Fraction, [](const ChannelMeasurements& m) { return m.duty; }},
    {"rise", Quantity::Milliseconds, [](const ChannelMeasurements& m) { return m.rise; }},
    {"fall", Quantity::Milliseconds, [](const ChannelMeasurements& m) { return m.fall; }},
    {"periods", Quantity::Count,
     [](const ChannelMeasurements& m) { return std::optional<double>(static_cast<double>(m.periods)); }},
    {"samples", Quantity::Count,
     [](const ChannelMeasurements& m) { return std::optional<double>(static_cast<double>(m.samples)); }},
}};

QString measurementText(std::optional<double> value, Quantity quantity, const QLocale& locale,
                        double voltsPerCode) {
    if (!value || !std::isfinite(*value))
        return QString::fromUtf16(kUndefinedText);
    switch (quantity) {
    case Quantity::Volts:
        return scaled<2>(*value, {{{1e-3, "mV"}, {1.0, "V"}}}, {0.0, 1.0}, locale,
                         voltsPerCode / kVoltStepsPerCode);
    case Quantity::Hertz:
        return scaled<3>(*value, {{{1.0, "Hz"}, {1e3, "kHz"}, {1e6, "MHz"}}}, {0.0, 1e3, 1e6}, locale);
    case Quantity::Milliseconds:
        return scaled<3>(*value, {{{1e-3, "µs"}, {1.0, "ms"}, {1e3, "s"}}}, {0.0, 1.0, 1e3}, locale);
    case Quantity::Fraction:
        return scaled<1>(*value * 100.0, {{{1.0, "%"}}}, {0.0}, locale);
    case Quantity::Count:
        return countText(std::llround(*value), locale);
    }
    return {};
}

QString measurementText(const MeasurementField& field, const ChannelMeasurements& m, const QLocale& locale) {
    return measurementText(field.value(m), field.quantity, locale, m.voltsPerCode);
}

QString countText(qlonglong value, const QLocale& locale) {
    QString text = locale.toString(value);
    const QString separator = locale.groupSeparator();
    // A locale that groups only numbers of five digits and more leaves its leading group long.
    const qsizetype firstSeparator = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (firstSeparator < 0)
        return text;
    const qsizetype digitsFrom = value < 0 ? locale.negativeSign().size() : 0;
    for (qsizetype at = firstSeparator - 3; at > digitsFrom; at -= 3)
        text.insert(at, separator);
    return text;
}

} // namespace varnilog
