// What the recording browser shows for a selected ".ros": sampling period, start time, number of
// channels and length, as the texts of its value labels. Pure functions over the files of the set;
// depends on QtCore, the recording header and the scale tables.
#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace varnilog {

struct RecordingDetails {
    QString period;                // "Próbkowanie (ms):", e.g. "1000", "0.5", "0.0001"
    QString start;                 // "Czas rozpoczęcia:", the START key or "..."
    QString channels;              // "Ilość kanałów:", the ILOSCKANALOW key (1..4) or "1"
    QString length;                // "Długość (h:m:s:ms):", samples of the ".rca" times the period
    QString markers;               // "Znaczniki:", the markers its ".rmk" holds ("0" without one)
    std::int64_t sampleCount = -1; // length of the ".rca" in bytes, -1 when it cannot be opened
};

// A period in milliseconds as general number text with at most four significant digits and the
// locale's decimal separator, without digit grouping.
QString periodText(float ms, const QLocale& locale);

// The details of the recording whose ".ros" is rosPath; an empty path stands for no selection and
// reads as a set whose files are all missing. PODSTAWA and ILOSCKANALOW follow the loader's rules
// (low 8 bits, clamped to 1..22 and 1..4); a current time base outside 1..22 is clamped as well. A
// ".ros" the loader refuses (folder, unreadable, oversized) shows the details of a missing one.
RecordingDetails readRecordingDetails(const QString& rosPath, std::uint8_t currentTimeBaseIndex,
                                      const QLocale& locale);

} // namespace varnilog
