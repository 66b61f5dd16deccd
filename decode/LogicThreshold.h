// Analog sample codes turned into logic for the protocol decoders: a level in volts and a hysteresis
// in divisions per channel, at that channel's own sensitivity. The first sample is compared with the
// level itself; after it, the value turns to 1 only at a code at or above the level plus the
// hysteresis and to 0 only below the level minus it. Pure; depends on the vocabulary.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnilog {

inline constexpr double kDefaultLogicHysteresis = 0.1; // divisions

struct LogicLevel {
    double volts = 0.0;
    double hysteresisDivisions = kDefaultLogicHysteresis; // 0..1
};

class LogicThreshold {
public:
    LogicThreshold(const LogicLevel& level, int sensitivity);

    // Writes bit of out[i] (the other bits kept) for codes[0, n), continuing from the previous call.
    void convert(const std::uint8_t* codes, std::size_t n, std::uint8_t* out, unsigned bit);
    // The value of the last sample converted; started() false before the first.
    bool value() const { return value_ != 0; }
    bool started() const { return started_; }

    // The code thresholds: a code c is 1 at the first sample when c >= first(), turns 1 when
    // c >= rise() and 0 when c < fall().
    int first() const { return first_; }
    int rise() const { return rise_; }
    int fall() const { return fall_; }

private:
    int first_, rise_, fall_;
    std::uint8_t value_ = 0;
    bool started_ = false;
};

// The default level over a span whose lowest and highest codes are lo and hi: their middle, in volts.
double middleLevelVolts(std::uint8_t lo, std::uint8_t hi, int sensitivity);

} // namespace varnilog
