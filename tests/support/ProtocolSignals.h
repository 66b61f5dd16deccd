// Logic waveforms of serial protocols, sample by sample (1 high, 0 low), written from the protocols'
// timing, and their analog codes as a board would record them: levels with offsets, slopes of a
// few samples and noise. For the decoding tests, which check that the decoders read back what was sent.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace varnilog::test {

using Levels = std::vector<std::uint8_t>;

inline void appendLevel(Levels& out, int level, double samples, double& clock) {
    // Fractional bit lengths accumulate, so a bit rate that does not divide the sample rate stays true.
    const double end = clock + samples;
    while (static_cast<double>(out.size()) < end)
        out.push_back(static_cast<std::uint8_t>(level));
    clock = end;
}

enum class Parity { None, Even, Odd };

struct UartFrame {
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
    bool inverted = false;
};

// bytes sent LSB first at samplesPerBit, idle before, between and after the bytes.
inline Levels uartLevels(const std::vector<int>& bytes, double samplesPerBit, const UartFrame& f = {},
                         double idleBits = 10) {
    Levels out;
    double clock = 0;
    const auto put = [&](int bit, double bits = 1) {
        appendLevel(out, f.inverted ? !bit : bit, bits * samplesPerBit, clock);
    };
    put(1, idleBits);
    for (const int b : bytes) {
        put(0);
        int ones = 0;
        for (int i = 0; i < f.dataBits; ++i) {
            put((b >> i) & 1);
            ones += (b >> i) & 1;
        }
        if (f.parity != Parity::None)
            put(f.parity == Parity::Even ? ones % 2 : 1 - ones % 2);
        put(1, f.stopBits);
        put(1, 2);
    }
    put(1, idleBits);
    return out;
}

// An I2C write of bytes (the first is the address byte) on SCL and SDA, halfBit samples per half clock,
// the receiver acknowledging every byte.
inline std::pair<Levels, Levels> i2cLevels(const std::vector<int>& bytes, double halfBit) {
    Levels scl, sda;
    double cs = 0, cd = 0;
    const auto step = [&](int c, int d, double halves = 1) {
        appendLevel(scl, c, halves * halfBit, cs);
        appendLevel(sda, d, halves * halfBit, cd);
    };
    step(1, 1, 4);
    step(1, 0); // start: SDA falls while SCL is high
    int held = 0;
    for (const int b : bytes)
        for (int i = 8; i >= 0; --i) {
            const int bit = i == 0 ? 0 : (b >> (i - 1)) & 1; // the ninth bit is the acknowledge
            step(0, held, 0.5); // SDA changes only in the middle of SCL's low half
            step(0, bit, 0.5);
            step(1, bit);
            held = bit;
        }
    step(0, 0);
    step(1, 0);
    step(1, 1, 4); // stop: SDA rises while SCL is high
    return {scl, sda};
}

// 1-Wire at samplesPerUs: a reset with the presence pulse, then bytes written LSB first.
inline Levels oneWireLevels(const std::vector<int>& bytes, double samplesPerUs) {
    Levels out;
    double clock = 0;
    const auto put = [&](int level, double us) { appendLevel(out, level, us * samplesPerUs, clock); };
    put(1, 100);
    put(0, 500); // reset
    put(1, 30);
    put(0, 120); // presence
    put(1, 400);
    for (const int b : bytes)
        for (int i = 0; i < 8; ++i) {
            const bool one = (b >> i) & 1;
            put(0, one ? 6 : 60);
            put(1, one ? 64 : 10);
        }
    put(1, 200);
    return out;
}

// NEC infrared frames as a receiver outputs them (active low), address then command and their
// complements, one frame per pair.
inline Levels necLevels(const std::vector<std::pair<int, int>>& frames, double samplesPerUs) {
    Levels out;
    double clock = 0;
    const auto put = [&](int level, double us) { appendLevel(out, level, us * samplesPerUs, clock); };
    put(1, 20000);
    for (const auto& [address, command] : frames) {
        put(0, 9000);
        put(1, 4500);
        const int word = address | ((~address & 0xff) << 8) | (command << 16) | ((~command & 0xff) << 24);
        for (int i = 0; i < 32; ++i) {
            put(0, 562.5);
            put(1, (word >> i) & 1 ? 1687.5 : 562.5);
        }
        put(0, 562.5);
        put(1, 40000);
    }
    return out;
}

// periods of a square wave, high for duty of each period.
inline Levels pwmLevels(int periods, double period, double duty) {
    Levels out;
    double clock = 0;
    for (int i = 0; i < periods; ++i) {
        appendLevel(out, 1, period * duty, clock);
        appendLevel(out, 0, period * (1 - duty), clock);
    }
    return out;
}

struct AnalogShape {
    double low = 100, high = 160; // codes of 0 and 1
    int slope = 0;                // samples a change takes (a ramp)
    double noise = 0;             // peak noise in codes (uniform)
    unsigned seed = 1;
};

// The codes a board records of levels.
inline std::vector<std::uint8_t> analogCodes(const Levels& levels, const AnalogShape& s = {}) {
    std::mt19937 rng(s.seed);
    std::uniform_real_distribution<double> noise(-s.noise, s.noise);
    std::vector<std::uint8_t> codes(levels.size());
    double value = levels.empty() ? s.low : (levels[0] ? s.high : s.low);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double target = levels[i] ? s.high : s.low;
        const double step = (s.high - s.low) / std::max(s.slope, 1);
        value = value < target ? std::min(value + step, target) : std::max(value - step, target);
        codes[i] = static_cast<std::uint8_t>(std::clamp(std::lround(value + noise(rng)), 0L, 255L));
    }
    return codes;
}

} // namespace varnilog::test
