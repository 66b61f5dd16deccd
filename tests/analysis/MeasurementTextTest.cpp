// The texts of measured values: 4 significant digits, the unit that keeps 1..999, the locale's comma,
// voltages no finer than a hundredth of the channel's code.
#include "analysis/MeasurementText.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(MeasurementTextTest, FourDigitsInAFittingUnit) {
    const QLocale c = QLocale::c(), pl(QLocale::Polish, QLocale::Poland);
    const struct {
        std::optional<double> value;
        Quantity quantity;
        const QLocale& locale;
        const char* want;
        double voltsPerCode = 0;
    } cases[] = {
        {1.0, Quantity::Volts, c, "1.000 V"},
        {-0.04, Quantity::Volts, c, "-40.00 mV"},
        {0.0004, Quantity::Volts, pl, "0,4000 mV"},
        {0.99996, Quantity::Volts, c, "1.000 V"}, // rounds up into the next unit
        {52.0, Quantity::Volts, pl, "52,00 V"},
        {0.0, Quantity::Volts, c, "0.000 V"},
        {250.0, Quantity::Hertz, c, "250.0 Hz"},
        {12500.0, Quantity::Hertz, pl, "12,50 kHz"},
        {999.99, Quantity::Hertz, c, "1.000 kHz"},
        {4.0, Quantity::Milliseconds, c, "4.000 ms"},
        {0.0008, Quantity::Milliseconds, c, "0.8000 µs"},
        {2500.0, Quantity::Milliseconds, c, "2.500 s"},
        {0.5, Quantity::Fraction, pl, "50,00 %"},
        {12345.0, Quantity::Count, c, "12345"},
        {2e9, Quantity::Count, pl, "2\u00a0000\u00a0000\u00a0000"}, // every group, the first too
        {2002.0, Quantity::Count, pl, "2002"},
        {std::nullopt, Quantity::Volts, c, "—"},
        {3.333e-8, Quantity::Volts, c, "0.000 V", 0.0004}, // a 1/12000 code mean at 10 mV/div
        {-3.333e-8, Quantity::Volts, pl, "0,000 V", 0.0004},
        {0.0004, Quantity::Volts, c, "0.400 mV", 0.0004},
        {0.1234, Quantity::Volts, c, "124 mV", 0.4}, // 10 V/div: steps of 4 mV
        {0.003, Quantity::Volts, c, "4 mV", 0.4},
        {-1.0, Quantity::Volts, c, "-1.000 V", 0.04},
    };
    for (const auto& k : cases)
        EXPECT_EQ(measurementText(k.value, k.quantity, k.locale, k.voltsPerCode), QString::fromUtf8(k.want))
            << k.want;
}
