// The reference waveforms R1..R4: a channel's 500 columns as the view showed them when "Zapamiętaj"
// was pressed, with the V/div they were recorded at, kept in the configuration file (section WZORCE)
// across runs and drawn over the view, rescaled to the channel's present V/div so that a volt stays a
// volt. Core: the view's sizes, the profile file and QtGui's QImage; drawing allocates nothing.
#pragma once

#include "app/SharedState.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

struct ViewBuffers;

inline constexpr int kReferenceSlots = 4;

struct ReferenceWaveform {
    bool stored = false;
    bool shown = true;
    int channel = 0;
    std::uint8_t sensitivity = 1; // V/div index the codes were recorded at
    QString name;                 // the user's; empty: the slot's own "R1".."R4"
    // The column's largest and smallest code (equal at zoom 1).
    std::array<std::uint8_t, kDisplayColumns> hi{}, lo{};
    bool operator==(const ReferenceWaveform&) const = default;
};
using ReferenceSet = std::array<ReferenceWaveform, kReferenceSlots>;

// The colours of R1..R4 (0x00BBGGRR), apart from the channels' defaults.
inline constexpr std::array<std::int32_t, kReferenceSlots> kReferenceColours{0xFFFFFF, 0x3399FF, 0xFFCC66,
                                                                             0xCC66FF};

// The name a slot is shown by: the user's, or "R1".."R4".
QString referenceName(const ReferenceSet& references, int slot);

// What the view shows of channel now.
ReferenceWaveform captureReference(const SharedState& state, const ViewBuffers& view, int channel);

// Reads the stored slots (a damaged or missing entry is an empty slot); writes them all in one save.
ReferenceSet readReferences(const QString& configurationPath);
bool writeReferences(const ReferenceSet& references, const QString& configurationPath);

// The display code of a reference's code at the channel's present sensitivity: the same volts.
int referenceCode(std::uint8_t code, std::uint8_t recordedSensitivity, std::uint8_t sensitivity);

// Draws columns of codes recorded at a sensitivity, at the channel's present one, in colour (0x00BBGGRR),
// one pixel wide, each column joined to the one before; present: which columns to draw (nullptr: all).
void drawCodeColumns(QImage& screen, const std::array<std::uint8_t, kDisplayColumns>& hi,
                     const std::array<std::uint8_t, kDisplayColumns>& lo, const bool* present,
                     std::uint8_t recordedSensitivity, std::uint8_t sensitivity, std::int32_t colour);

// Draws every stored, shown slot over screen (500 x 250) in its colour, one pixel wide, each column
// joined to the one before.
void drawReferences(QImage& screen, const ReferenceSet& references,
                    const std::array<std::uint8_t, kChannels>& channelSensitivity);

} // namespace varnilog
