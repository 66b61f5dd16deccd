// The per-period file: one line per full period per channel, ";"-separated like the text export
// (channel; start time as the export writes times; period in ms; frequency in Hz; duty in %; largest
// and smallest voltage), after a header line naming the columns. Writes to any QIODevice; the
// caller picks the file. Depends on QtCore, the text export's conversions and the elapsed-time text.
#pragma once

#include "analysis/Measurements.h"

#include <QIODevice>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

inline constexpr char kPeriodFileHeader[] = "channel;start;period_ms;frequency_hz;duty_percent;max_v;min_v";

class PeriodFileWriter {
public:
    // samplingPeriodMs and sensitivity: the recording's, for the times and the voltages.
    PeriodFileWriter(QIODevice& out, const QLocale& locale, float samplingPeriodMs,
                     const std::array<std::uint8_t, kChannels>& sensitivity);

    // The line of one period (the header goes first, with the first line or at finish).
    void add(const PeriodRecord& period);
    // Writes what is pending; false with error() set when the device refused a part of it.
    bool finish();
    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }

    // The text of a number in the file: up to 10 significant digits, the locale's decimal separator,
    // no digit grouping.
    static QString numberText(double value, const QLocale& locale);

private:
    bool flush();

    QIODevice& out_;
    QLocale locale_;
    float samplingPeriodMs_;
    std::array<std::uint8_t, kChannels> sensitivity_;
    QByteArray pending_;
    QString error_;
};

} // namespace varnilog
