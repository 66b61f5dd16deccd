// Text export of the recording on display: one line per sample, the elapsed time and the voltage of
// every recorded channel separated by ";", lines ending in CR LF, for use in a spreadsheet. Writes to
// any QIODevice; never opens a file dialog or a message box (the window picks the file and shows the
// error). Depends on QtCore and the shared state.
#pragma once

#include "app/CoreError.h"
#include "app/SharedState.h"
#include "app/WorkProgress.h"

#include <QIODevice>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

namespace varnilog {

// What the exporter reads: the open sample files of channels A..D (nullptr or a closed device = the
// channel has no file), the number of lines, the channels written and their scales.
struct TextExportSource {
    std::array<QIODevice*, kChannels> sampleFiles{};
    std::int64_t sampleCount = 0; // one past the last sample written; <= firstSample writes nothing
    std::int64_t firstSample = 0; // the first sample written (times stay those of the whole recording)
    int channelCount = 2;         // channels A.. written on every line (clamped to 0..4)
    std::array<std::uint8_t, kChannels> channelSensitivity{1, 1, 1, 1}; // sensitivity indices
    float samplingPeriodMs = 1.0f;                                      // ms between two samples

    // Only samples [from, to) (to < 0: to the end); the lines keep the times of the whole recording.
    void limitTo(std::int64_t from, std::int64_t to) {
        firstSample = std::max(firstSample, from);
        if (to >= 0)
            sampleCount = std::min(sampleCount, to);
    }
};

class RecordingInput;

// The source of a recording opened for one export (its own handles and the settings it was loaded
// with); input must outlive the export.
TextExportSource textExportSourceFrom(RecordingInput& input);

struct TextExportResult {
    bool ok = true;
    bool cancelled = false;
    std::int64_t linesWritten =
        0;           // lines that reached the device whole (a cancel writes out what it reports)
    CoreError error; // why it failed, for the window's error box
};

// Called after every block with the lines written so far and the total; return false to stop.
using TextExportProgress = WorkProgress; // lines written of lines to write

// Writes the whole recording to out (already open for writing); a write the device takes only in
// part is a failure with the device's reason, never a success. Every sample file is read with a
// seek before each block, so the handles may be used by others between two progress calls. A channel
// whose file is missing or ends early gets an empty field. The decimal separator is the locale's.
TextExportResult exportRecordingText(const TextExportSource& source, QIODevice& out, const QLocale& locale,
                                     const TextExportProgress& progress = {});

// The voltage text of one sample byte at a sensitivity index: (s - 125) * V/div * 0.04 with four
// decimals ("1.0000", "-0.0004"); an index outside 1..10 is clamped into the table.
QString exportVoltageText(std::uint8_t sample, std::uint8_t sensitivityIndex, const QLocale& locale);

} // namespace varnilog
