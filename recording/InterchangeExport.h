// What the interchange exports (WAV, sigrok session, CSV) share: the span and channels of a recording
// to write, reading them in fixed blocks through the recording's own handles, checked writes to the
// sink and the volts of a code. Each format's codec lives in a file of its own. Depends on QtCore,
// the shared state and the text export's source and volts.
#pragma once

#include "app/CoreError.h"
#include "app/WorkProgress.h"
#include "recording/TextExport.h"

#include <QIODevice>
#include <QLocale>
#include <QString>

#include <QByteArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace varnilog {

// Logic channels a sigrok session carries beside the analog ones: their names, and what sets bit k
// (names[k]) of logic[0, n) from samples [first, first + n) of the recording, called along it in
// order; false, with the reason, when it cannot read.
struct InterchangeLogic {
    std::vector<QByteArray> names;
    std::function<bool(std::int64_t first, std::int64_t n, std::uint8_t* logic, QString& error)> fill;
};

struct InterchangeRequest {
    TextExportSource source;             // files, length, channel count, sensitivities, period
    std::int64_t from = 0;               // first sample written
    std::int64_t to = -1;                // one past the last; < 0: the end of the recording
    unsigned channelMask = 0xF;          // bit c: channel c may be written (it needs a file too)
    QString start;                       // the recording's start ("yyyy-mm-dd hh.mm.ss"), for the comments
    std::int64_t blockSamples = 1 << 18; // samples read per channel at once
    QLocale locale;                      // the text export's number format
    InterchangeLogic logic;              // the sigrok session's logic channels (none: analog only)
};

struct InterchangeResult {
    bool ok = true;
    bool cancelled = false;
    CoreError error;          // why it failed
    std::int64_t samples = 0; // samples per channel written
    int channels = 0;         // channels written
};

// The channels and span a request writes, read block by block: every channel below the channel count
// whose file is open and whose bit is set, A first. A file that ends early reads as the zero line.
class InterchangeBlocks {
public:
    explicit InterchangeBlocks(const InterchangeRequest& request);

    const std::vector<int>& channels() const { return channels_; }
    std::int64_t from() const { return from_; }
    std::int64_t count() const { return count_; } // samples per channel
    std::int64_t blockSamples() const { return block_; }
    // Reads samples [first, first + n) of the span (first relative to from()) into row k of the block
    // buffer for every channel k; false (error set) on a read error.
    bool read(std::int64_t first, std::int64_t n, CoreError& error);
    const std::uint8_t* row(std::size_t k) const {
        return buffer_.data() + k * static_cast<std::size_t>(block_);
    }

private:
    const InterchangeRequest& request_;
    std::vector<int> channels_;
    std::int64_t from_ = 0;
    std::int64_t count_ = 0;
    std::int64_t block_ = 1;
    std::vector<std::uint8_t> buffer_;
};

// The export's volts of every code at a sensitivity index, as the text export computes them.
std::array<double, 256> exportVoltsTable(std::uint8_t sensitivityIndex);

// The sample rate of a period in ms: 1000 / period, rounded to a whole number of hertz.
std::int64_t sampleRateHz(float samplingPeriodMs);

// The time of sample n at a rate as decimal seconds: exactly n x step x 10^-decimals when the rate
// divides a power of ten (every time base's does), otherwise the shortest text of the double n / rate.
// What the CSV's time column and the Audacity label track write.
class SampleTimeText {
public:
    explicit SampleTimeText(std::int64_t rate);
    // Writes the time of sample n >= 0 at p (room for 32 bytes), trailing zeros of the fraction left
    // out ("0.05"); returns the end.
    char* put(char* p, std::int64_t n) const {
        if (step_ == 0)
            return std::to_chars(p, p + 32, static_cast<double>(n) / static_cast<double>(rate_)).ptr;
        return putFraction(p, n, 0);
    }
    // The time with at least minDecimals decimals, trailing zeros kept ("0.002000").
    QByteArray fixed(std::int64_t n, int minDecimals) const;

private:
    // The fraction in the rate's decimals, then zeros up to minDecimals; with minDecimals 0 the
    // trailing zeros of the fraction are left out (and the point with them when it is 0).
    char* putFraction(char* p, std::int64_t n, int minDecimals) const {
        const std::uint64_t k = static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(step_);
        p = std::to_chars(p, p + 24, k / scale_).ptr;
        std::uint64_t fraction = k % scale_;
        int width = decimals_;
        const int pad = std::max(minDecimals - decimals_, 0);
        if (minDecimals == 0) {
            if (fraction == 0)
                return p;
            for (; fraction % 10 == 0; fraction /= 10)
                --width;
        }
        if (width + pad == 0)
            return p;
        *p++ = '.';
        if (width > 0) {
            char digits[24];
            const auto length =
                static_cast<int>(std::to_chars(digits, digits + sizeof(digits), fraction).ptr - digits);
            std::memset(p, '0', static_cast<std::size_t>(width - length)); // "0.05" and the like
            std::memcpy(p + width - length, digits, static_cast<std::size_t>(length));
        }
        std::memset(p + width, '0', static_cast<std::size_t>(pad));
        return p + width + pad;
    }

    std::int64_t rate_ = 1;
    std::int64_t step_ = 0;   // 0: no exact decimal form
    std::uint64_t scale_ = 1; // 10^decimals
    int decimals_ = 0;
};

// Writes all of data to out; false with error set to the device's reason when it took less.
bool writeWhole(QIODevice& out, const char* data, qint64 size, CoreError& error);

// Reports samples done of total; false when the job should stop (result then marks the cancel).
bool reportProgress(const WorkProgress& progress, std::int64_t done, std::int64_t total,
                    InterchangeResult& result);

} // namespace varnilog
