// Formula channels: an expression of the channels (A..D in volts, t, n), with filters, evaluated
// sample by sample over a recording. muparser parses and evaluates the expression in bulk; a small
// pre-check of our own reads the text first, so that the language stays ours where muparser's
// differs (its extra functions and constants, "log", "=", the locale) and every fault is named with
// its position. The filters (avg, lowpass, ...) are streams computed here, block by block, into arrays
// the expression reads as variables; the expression itself runs over the same blocks, one operation
// at a time (analysis/FormulaBlocks.h). Depends on QtCore, muparser and the code rule.
#pragma once

#include "app/CoreError.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace varnilog {

inline constexpr int kFormulaChannels = 4;                // A..D
inline constexpr std::int64_t kMaxDelaySamples = 1 << 24; // delay(X, N): N = 0..this

// What an expression may name.
struct FormulaContext {
    unsigned withSamples = 0b0011; // bit c: channel c has a sample file
    int target = 2;                // the channel written, which the expression may not read
    std::array<std::uint8_t, kFormulaChannels> sensitivity{1, 1, 1, 1}; // of the sources, to volts
    double periodSeconds = 1e-3;                                        // T
};

class Formula {
public:
    // The compiled expression, or nothing with error set (the position counts characters from 1).
    static std::unique_ptr<Formula> compile(const QString& text, const FormulaContext& context,
                                            CoreError& error);
    ~Formula();
    Formula(const Formula&) = delete;
    Formula& operator=(const Formula&) = delete;

    // Bit c: channel c's samples are read.
    unsigned channelsRead() const { return channelsRead_; }
    // A filter's value depends on the samples before: evaluation must start at the first sample.
    bool hasFilters() const { return !streams_.empty(); }
    // Back to the recording's first sample: the streams start again.
    void restart();
    // The values of samples [first, first + n), consecutive after the previous call (or the first
    // from 0 after restart()); codes[c] holds channel c's codes from first on (read channels only).
    void evaluate(const std::array<const std::uint8_t*, kFormulaChannels>& codes, std::int64_t first,
                  std::size_t n, double* values);

    // Every sample through muparser's own interpreter instead of the block program: the reference the
    // block program is checked against.
    void evaluateStraight(bool straight);
    bool evaluatesInBlocks() const;

private:
    struct Stream;
    struct Engine;
    Formula();
    void evaluateChunk(const std::array<const std::uint8_t*, kFormulaChannels>& codes, std::int64_t first,
                       std::size_t n, double* values);

    FormulaContext context_;
    unsigned channelsRead_ = 0;
    std::vector<Stream> streams_;
    std::unique_ptr<Engine> engine_;
};

// The stored code of a value: today's rule, and 125 for a value that is not finite.
std::uint8_t formulaCode(double value, int sensitivity);

// The codes of values at a sensitivity, counting the values that are not finite.
std::int64_t formulaCodes(const double* values, std::size_t n, int sensitivity, std::uint8_t* codes);

} // namespace varnilog
