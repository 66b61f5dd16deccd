// The ".ros" header of a recording: an INI text with one section of settings keys. The one place
// that knows its section, keys, order, defaults and ranges; the file set writes it, the loader,
// the browser's details and the command line read it. Depends on QtCore, the shared state and the
// file writer seam.
#pragma once

#include "app/SharedState.h"
#include "recording/FileIdentity.h"
#include "recording/FileWriter.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

// A ".ros" holds a few hundred bytes. The profile reader takes a file whole, so a larger file under that
// name (a sample file renamed, a disk image) is refused before it is read.
inline constexpr qint64 kHeaderSizeLimit = 1 << 20; // bytes

enum class HeaderFile {
    Missing,    // nothing of that name: every setting takes its default
    Readable,   // a regular file we may read, within kHeaderSizeLimit
    Unreadable, // a folder, a device or pipe, no read permission, or larger than kHeaderSizeLimit
};
// Judges the ".ros" at rosPath without reading its contents (a pipe would block the reader).
HeaderFile headerFileState(const QString& rosPath);

// Channels that have sensitivity, coupling and offset keys of their own (A and B).
inline constexpr int kHeaderChannels = 2;

// The values of a header. The member defaults are the loader's, but for the offsets, whose default
// is the calibrated zero offset at the time of loading (loaderDefaults).
struct RecordingHeader {
    std::uint8_t timeBaseIndex = 1;                                 // PODSTAWA, 1..22
    std::array<std::uint8_t, kHeaderChannels> sensitivity{1, 1};    // CZULOSCA, CZULOSCB, 1..10
    std::array<std::uint8_t, kHeaderChannels> mode{ModeAC, ModeAC}; // TRYBA, TRYBB, ChannelMode
    std::array<std::uint8_t, kHeaderChannels> offset{100, 100};     // OFFSETA, OFFSETB, 0..255
    std::uint8_t channelCount = 2;                                  // ILOSCKANALOW, 1..4
    QString start;                                                  // START: the base name
    // Channels C and D when computed from A and B: keys of our own, which readers of the format ignore.
    std::array<std::optional<std::uint8_t>, 2> derivedSensitivity; // CZULOSCC, CZULOSCD, 1..10
    std::array<QString, 2> derivedOperation;                       // OPERACJAC, OPERACJAD; empty: none

    friend bool operator==(const RecordingHeader&, const RecordingHeader&) = default;
};

// The defaults the loader reads a header with: the member defaults and the zero offsets of state.
RecordingHeader loaderDefaults(const SharedState& state);
// What a new recording's header holds: the settings of state and start (its base name).
RecordingHeader headerOfState(const SharedState& state, const QString& start);

struct HeaderReading {
    HeaderFile file = HeaderFile::Missing;
    RecordingHeader values;
    FileIdentity identity; // of the file read; size -2 when it changed while it was read
};

// Reads the header at rosPath. Every number keeps its low 8 bits and is then brought into its range
// (time base 1..22, sensitivity 1..10, coupling 0..2, channel count 1..4); an absent key or one that
// is not an integer takes its value from defaults, brought into range the same way. A header that is
// not Readable gives the defaults and is never opened.
HeaderReading readRecordingHeader(const QString& rosPath, const RecordingHeader& defaults = {});

// Sets every key of header, in the order of the list above, on top of what rosPath holds (other
// keys, sections and lines stay) and makes the result, with CR LF line ends, the file's whole content
// through writer: a failure leaves the older file (or none). False with error ("<rosPath>: <reason>")
// when the older file cannot be read, memory runs out or the writer fails.
bool writeRecordingHeader(const QString& rosPath, const RecordingHeader& header, FileWriter& writer,
                          QString& error);

// The whole text of a new header (no older file): the keys of writeRecordingHeader and, for C and D
// when they have a sensitivity, their keys too. Empty when memory runs out.
QByteArray newRecordingHeaderText(const RecordingHeader& header);

// The keys of a derived channel (channel 2 = C or 3 = D) as a header holds them.
struct DerivedChannelKeys {
    std::optional<std::uint8_t> sensitivity; // 1..10 when the key is there
    QString operation;                       // empty: the channel is not a derived one
    bool derived() const { return !operation.isEmpty(); }
};
DerivedChannelKeys derivedChannelKeys(const RecordingHeader& header, int channel);
DerivedChannelKeys readDerivedChannelKeys(const QString& rosPath, int channel);

// The header's text with a derived channel's keys set (ILOSCKANALOW raised to channel + 1) or dropped
// (ILOSCKANALOW lowered as below), for a change that puts it in place together with the channel's
// file. Empty with error set when the header cannot be read.
QByteArray headerWithDerivedKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                                 const QString& operation, QString& error);
QByteArray headerWithoutDerivedKeys(const QString& rosPath, int channel, unsigned channelsWithData,
                                    QString& error);

// Sets a derived channel's keys and raises ILOSCKANALOW to channel + 1, saved in one replacement of
// the file. False (error set) when it cannot be written; the file is then unchanged.
bool writeDerivedChannelKeys(const QString& rosPath, int channel, std::uint8_t sensitivity,
                             const QString& operation, QString& error);

// Drops a derived channel's keys and lowers ILOSCKANALOW to cover the channels that keep data
// (channelsWithData: bit c set when channel c still has a sample file), never below 2 and never
// above the count it had.
bool removeDerivedChannelKeys(const QString& rosPath, int channel, unsigned channelsWithData, QString& error);

} // namespace varnilog
