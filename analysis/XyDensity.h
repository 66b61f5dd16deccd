// The XY density of two channels over a span: how many samples k of [from, to) hold each pair (code of
// X at k, code of Y at k), a 256 x 256 matrix of counts. One pass over both sample files, mapped where
// the system can, read block by block otherwise; through read-only handles of its own, so the window
// that asked may reload its recording meanwhile. The window and the command line call the same
// function. Depends on QtCore and the recording module.
#pragma once

#include "app/WorkProgress.h"
#include "recording/FileIdentity.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnilog {

inline constexpr int kXyCodes = 256;
inline constexpr std::size_t kXyCells = std::size_t{kXyCodes} * kXyCodes;

struct XyDensity {
    std::vector<std::uint64_t> counts = std::vector<std::uint64_t>(kXyCells); // [x << 8 | y]
    std::int64_t samples = 0;

    std::uint64_t at(int x, int y) const {
        return counts[static_cast<std::size_t>(x) << 8 | static_cast<std::size_t>(y)];
    }
    std::uint64_t peak() const;
    void clear();
};

// Adds the pairs (x[i], y[i]), i < n, to counts[x << 8 | y]. The caller keeps every count below 2^32
// (at most 2^32 - 1 pairs between two folds into 64 bits). Runs where both codes stay the same (a
// quiet line, a sparse file's holes) are counted 16 at a time.
void addXyPairs(const std::uint8_t* x, const std::uint8_t* y, std::size_t n, std::uint32_t* counts);

struct XyRequest {
    QString xFile, yFile; // the channels' sample files
    // The files the caller's settings belong to, when known: a file replaced at its name fails.
    FileIdentity xIdentity, yIdentity;
    std::int64_t from = 0; // samples: [from, to)
    std::int64_t to = 0;
    std::int64_t blockSamples = std::int64_t{1} << 16;
};

struct XyResult {
    bool ok = true;
    bool cancelled = false;
    QString error; // why it failed
    XyDensity density;
};

// The density of the request's span; progress gets samples done of the span.
XyResult xyDensity(const XyRequest& request, const WorkProgress& progress = {});

// The density as CSV: the header x_code;y_code;x_v;y_v;count, then one line per non-zero cell sorted
// by x code then y code, the volts as the text export writes them (the locale's decimal separator).
QByteArray xyDensityCsv(const XyDensity& density, std::uint8_t xSensitivity, std::uint8_t ySensitivity,
                        const QLocale& locale);

} // namespace varnilog
