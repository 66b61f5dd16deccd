// Import: a recording set made from another program's capture (WAV, sigrok session, CSV), read by the
// import readers of the interchange table. The sample rate must match a time base within 0.1 % unless
// one is forced; 8-bit WAV keeps its codes, other values are volts (16-bit and float WAV: full scale
// is 1 V) turned into codes at the chosen sensitivity, "auto" picking the most sensitive that clips
// nothing as the channel math do. Every file is written at a hidden pending name first; linking the
// ".ros" in without replacing claims the name, so of two imports into one name exactly one succeeds
// and the other touches nothing. Any failure, a cancel or a kill leaves no file of the set (what a
// killed import left goes with the next import of the name, or the set's recovery on load). Depends
// on QtCore, the recording module and the vocabulary's volts-to-code rule (view/SampleCodes).
#pragma once

#include "app/CoreError.h"
#include "app/SharedState.h"
#include "app/WorkProgress.h"
#include "recording/InterchangeFormats.h"

#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

// The formats the import reads: those of the interchange table with a reader.
using ImportFormat = FileFormat;

struct ImportRequest {
    QString inputPath;
    ImportFormat format = ImportFormat::Wav;
    QString rosPath;              // the new set's ".ros"; it must not exist
    int timeBase = 0;             // 1..22 forces a time base; 0: the one the sample rate matches
    bool autoSensitivity = false; // every channel at the most sensitive that clips nothing
    std::array<std::uint8_t, kChannels> sensitivity{}; // per channel, 0: the default (see above)
    std::int64_t blockFrames = 1 << 16;
};

struct ImportResult {
    bool ok = false;
    bool cancelled = false;
    CoreError error; // one line
    int channels = 0;
    std::int64_t samples = 0; // per channel
    int timeBase = 0;
    std::array<std::uint8_t, kChannels> sensitivity{};
    std::array<std::int64_t, kChannels> clipped{}; // samples brought into 0..255 per channel
    QString description;                           // what the set's ".roc" holds
};

// The time base whose rate is within 0.1 % of hertz; 0 when none is.
int timeBaseForRate(double hertz);
// The time bases of the next lower and the next higher rate than hertz, 0 where there is none.
std::array<int, 2> nearestTimeBases(double hertz);
// "833.3333 Hz", "10 kHz": a sample rate as the import names it.
QString sampleRateText(double hertz);

// Progress: bytes of the input read over all passes of the total.
ImportResult importRecording(const ImportRequest& request, const WorkProgress& progress = {});

} // namespace varnilog
