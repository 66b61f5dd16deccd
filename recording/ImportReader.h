// What the import of another program's capture reads, whatever its format (WAV, sigrok session,
// CSV): the channels, the sample rate and then the values frame by frame in blocks, as often as the
// import needs to pass over them. Each format's reader lives in that format's codec file. Depends on
// QtCore and the shared state's channel count.
#pragma once

#include "app/SharedState.h"

#include <QString>

#include <array>
#include <cmath>
#include <cstdint>

namespace varnilog {

// How far a rate may stray from the one it is taken for: a file's sample rate from a time base's, a
// CSV row's time step from the mean step of its rows.
inline constexpr double kRateTolerance = 0.001;
inline bool withinRateTolerance(double value, double nominal) {
    return std::abs(value - nominal) <= kRateTolerance * nominal;
}

struct ImportFormatInfo {
    QString format;                // "WAV 8 bit", "WAV 16 bit", "sigrok", "CSV"...: for the description
    int channels = 0;              // 1..4
    double sampleRateHz = 0.0;     // samples per second of each channel
    bool codes = false;            // the values are the board's codes (8-bit WAV), kept unchanged
    bool codesFromComment = false; // codes taken back from a wider WAV by our own comment in it
    std::array<std::uint8_t, kChannels> sensitivity{}; // indices a file of ours names; 0 = unknown
};

class ImportReader {
public:
    virtual ~ImportReader() = default;
    // Reads what comes before the values; false with a one-line reason.
    virtual bool open(QString& error) = 0;
    const ImportFormatInfo& info() const { return info_; }
    // Back to the first frame, for another pass.
    virtual bool rewind(QString& error) = 0;
    // Up to maxFrames frames: values[c][i] for every channel c < channels (volts, or codes). Returns the
    // frames read, 0 at the end, -1 with a one-line reason.
    virtual std::int64_t read(const std::array<double*, kChannels>& values, std::int64_t maxFrames,
                              QString& error) = 0;

protected:
    ImportFormatInfo info_;
};

} // namespace varnilog
