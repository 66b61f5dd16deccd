// Parameter measurements of a span of a recording, per channel: extremes, mean, RMS and AC RMS in
// volts; frequency, period, duty cycle, rise and fall time from the edges of the raw codes. Reads each
// channel's sample file through a read-only handle of its own, block by block (never the whole file),
// so the window that asked may reload its recording meanwhile. The window and the command line call
// the same function. Depends on QtCore, the shared state's constants, the recording's file names and
// the scale tables.
#pragma once

#include "analysis/EdgeScanner.h"
#include "app/SharedState.h"
#include "app/WorkProgress.h"
#include "recording/FileIdentity.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace varnilog {

struct MeasureRequest {
    std::array<QString, kChannels> sampleFiles{}; // empty: the channel has no file
    // The files the settings below belong to (those the loader holds); a file found replaced at its
    // name fails the measurement instead of mixing its samples with another version's settings.
    std::array<FileIdentity, kChannels> sampleIdentity{};
    int channelCount = 2; // channels A.. measured (those with a file)
    std::array<std::uint8_t, kChannels> channelSensitivity{1, 1, 1, 1};
    float samplingPeriodMs = 1.0f; // ms between two samples
    std::int64_t from = 0;         // samples: the span is [from, to)
    std::int64_t to = 0;
    int workers = 2;                     // channels measured at the same time
    std::int64_t blockSamples = 1 << 16; // samples read at once: still in the cache when scanned
};

// The request for the recording on display in the shared state (its files by name, its settings).
MeasureRequest measureRequestFor(const SharedState& state, std::int64_t from, std::int64_t to);

// Undefined values are empty.
struct ChannelMeasurements {
    bool measured = false;                                  // below channelCount and with a sample file
    std::int64_t samples = 0;                               // samples of the span the file holds
    double voltsPerCode = 0;                                // the channel's resolution
    std::optional<double> max, min, pkpk, mean, rms, acrms; // V
    std::optional<double> frequency;                        // Hz
    std::optional<double> period, rise, fall;               // ms
    std::optional<double> duty;                             // fraction of the period
    std::int64_t periods = 0;
};

struct MeasureResult {
    bool ok = true;
    bool cancelled = false;
    QString error; // why it failed
    std::array<ChannelMeasurements, kChannels> channels{};
};

// One full period of a channel, as the per-period file lists it.
struct PeriodRecord {
    int channel = 0;
    double start = 0;  // samples from the start of the recording (fractional: the mid-level crossing)
    double length = 0; // samples
    double high = 0;   // samples from the rising to the falling edge
    std::uint8_t lo = 0, hi = 0;
};

// Called now and then with the samples read so far (both passes of every channel) and the total; false
// stops the work. Always on the calling thread.
using MeasureProgress = WorkProgress;
using PeriodSink = std::function<void(const PeriodRecord&)>;

// Measures count codes held in memory (a live frame) into m, as measureSpan measures the same samples
// from a file; allocates nothing.
void measureCodes(const std::uint8_t* codes, std::int64_t count, std::uint8_t sensitivity,
                  float samplingPeriodMs, ChannelMeasurements& m);

// Where the reference codes of the last span measured lay: the bounds of its two tails of codes
// (analysis/ReferenceLevels.h). Spans measured one after the other, as a trend's intervals, mostly
// share their tails, so only those need counting.
struct TailHint {
    bool known = false;
    std::uint8_t low = 255, high = 0;
};

// measureCodes, the same values, counting only the codes of hint's tails where they decide the
// reference codes (every code where they cannot); updates hint for the next span.
void measureCodes(const std::uint8_t* codes, std::int64_t count, std::uint8_t sensitivity,
                  float samplingPeriodMs, ChannelMeasurements& m, TailHint& hint);

// Measures every channel of the request. With a period sink the channels run one after the other,
// so the periods arrive channel by channel, in order.
MeasureResult measureSpan(const MeasureRequest& request, const MeasureProgress& progress = {},
                          const PeriodSink& periods = {});

} // namespace varnilog
