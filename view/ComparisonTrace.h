// "Porównaj z nagraniem…": one channel of another recording drawn over a channel of the view,
// aligned at its first sample or at a marker of each (its sample k + shift is drawn at this one's
// sample k), at the view's zoom and scroll; where it has no samples (it is shorter, or starts later)
// nothing is drawn. Rescaled to the channel's present V/div as the references are, so a volt stays a
// volt; the cursors read its volts too. Core: the recording files and QtGui's QImage.
#pragma once

#include "app/CoreError.h"
#include "app/SharedState.h"

#include <QImage>
#include <QString>

#include <QFile>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace varnilog {

inline constexpr std::int32_t kComparisonColour = 0xFF99FF; // 0x00BBGGRR, apart from R1..R4

struct ComparisonTrace {
    QString rosPath;
    int channel = 0;              // its own channel
    int over = 0;                 // the channel of the view it is drawn over, whose V/div it follows
    std::uint8_t sensitivity = 1; // V/div index it was recorded at
    std::int64_t samples = 0;
    std::int64_t shift = 0;
    std::array<std::uint8_t, kDisplayColumns> hi{}, lo{}; // of the columns last read
    std::array<bool, kDisplayColumns> present{};          // the column holds samples of it
    std::shared_ptr<QFile> file;                          // open while it is shown
    std::vector<char> buffer;                             // the reads' own, so drawing allocates nothing
};

// The channel of the recording at rosPath, drawn over the same channel and aligned at the first samples;
// nothing (error set) when it has no sample file of that channel.
std::optional<ComparisonTrace> openComparison(const QString& rosPath, int channel, CoreError& error);

// The shift that puts marker `other` of the comparison at marker `own` of the recording on display
// (their starts); nothing when either index has no marker.
std::optional<std::int64_t> markerShift(const QString& ownRosPath, int own, const QString& otherRosPath,
                                        int other);

// Reads the columns of the view (viewStart, zoomDivisor) from its file; false with error on a read fault.
bool readComparisonColumns(ComparisonTrace& trace, const SharedState& state, CoreError& error);

// Its volts at sample k of the recording on display; none where it has no sample.
std::optional<double> comparisonVolts(const ComparisonTrace& trace, std::int64_t k);

// Draws its present columns over screen (500 x 250) in colour, joined as the references are.
void drawComparison(QImage& screen, const ComparisonTrace& trace, std::uint8_t channelSensitivity,
                    std::int32_t colour);

} // namespace varnilog
