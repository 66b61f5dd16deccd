// Audacity's label track as text: one label per line, "start<TAB>end<TAB>label" with the times in
// seconds, with as many decimals as the rate needs (6 at least, as Audacity writes). Converts markers
// to and from it; times are rounded to the nearest sample on the way in.
// Depends on QtCore and the marker file.
#pragma once

#include "recording/MarkerFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <vector>

namespace varnilog {

// The label track of markers for samples samplingPeriodMs apart; a tab or line end inside a label
// becomes a space.
QByteArray encodeAudacityLabels(const std::vector<Marker>& markers, float samplingPeriodMs);

struct AudacityImport {
    std::vector<Marker> markers;   // a point is "uwaga", a span "zakres"
    std::vector<int> skippedLines; // 1-based numbers of the lines left out
};

// Reads a label track for a recording of sampleCount samples: a line whose times cannot be read or
// whose samples fall outside [0, sampleCount) is skipped and its number reported. The frequency lines
// of spectral labels (starting with "\") are no labels and are passed over silently.
AudacityImport parseAudacityLabels(QByteArrayView text, float samplingPeriodMs, std::int64_t sampleCount);

} // namespace varnilog
