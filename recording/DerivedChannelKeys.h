// The ".ros" keys of a derived channel (C or D computed from A and B): its sensitivity index
// (CZULOSCC/CZULOSCD), the operation that made it (OPERACJAC/OPERACJAD) and the channel count
// ILOSCKANALOW, raised to cover the channel and lowered when it goes. Readers of the format ignore
// keys they do not know, so older programs still open the recording. Depends on QtCore and recording/.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace varnilog {

class ProfileFile;

struct DerivedChannelKeys {
    std::optional<std::uint8_t> sensitivity; // 1..10 when the key is there
    QString operation;                       // empty: the channel is not a derived one
    bool derived() const { return !operation.isEmpty(); }
};

// channel: 2 (C) or 3 (D).
DerivedChannelKeys readDerivedChannelKeys(const ProfileFile& ros, int channel);

// Sets the channel's keys and raises ILOSCKANALOW to channel + 1, saved in one replacement of the
// file. False (error set) when it cannot be written; the file is then unchanged.
bool writeDerivedChannelKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                             const QString& operation, QString& error);

// Drops the channel's keys and lowers ILOSCKANALOW to cover the channels that keep data
// (channelsWithData: bit c set when channel c still has a sample file), never below 2.
bool removeDerivedChannelKeys(const QString& rosPath, int channel, unsigned channelsWithData, QString& error);

} // namespace varnilog
