// A decode's settings and annotations kept beside its recording set, "<base>.rdk", so reopening the
// recording shows them at once. The file is tied to the very sample files it was decoded from (their
// size, times, inode and device, as the view summaries are): once one of them changes, loading gives
// nothing. Written whole through the safe writer under the set's lock; rename and delete of the set
// carry it. The one place that knows this format.
//
// Layout, little-endian: the 8-byte magic "VLDECOD1"; the settings (span, rate, samples decoded, the
// stack with each decoder's options and its annotation class ids, the channel map, the thresholds
// asked and the levels used); a table of the distinct annotation texts; the annotations (start, end,
// decoder, class, text indexes); the decoders' failure, if any; then the sample stamp of the channels
// read (recording/SampleStamp.h). Texts are a u32 byte count and UTF-8. Depends on the recording
// module (safe writer, lock, stamp) and the decoder library (class ids on load).
#pragma once

#include "analysis/SpanRequest.h"
#include "app/CoreError.h"
#include "decode/DecodeSession.h"
#include "decode/RecordingDecode.h"
#include "recording/FileIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnilog {

// What a decode was asked: enough to run it again.
struct DecodeSettings {
    std::vector<DecoderSetting> stack;                 // bottom first
    std::vector<std::pair<std::string, int>> channels; // decoder channel -> recording channel 0..3
    std::array<ChannelThreshold, 4> thresholds;        // as asked (no volts: the middle, "Auto")
    SampleSpan span;
};

// A decode's outcome as the window shows it and the file keeps it.
struct DecodeResults {
    DecodeSettings settings;
    std::array<LogicLevel, 4> levels{}; // the levels used, of the channels read
    std::uint64_t sampleRateHz = 0;
    std::int64_t decodedTo = 0; // one past the last sample decoded: span.to unless the decoders failed
    DecodeProblem failure;      // DecoderFailed (decoder, message) when a decoder's exception ended it
    std::vector<const DecoderInfo*> decoders; // of the stack, bottom first (installed metadata)
    std::vector<Annotation> annotations;      // in the order the decoders gave them
    // The sample files the decode read, as they were when it began (size -1: a channel not read).
    std::array<FileIdentity, 4> samples;
};

// The results of a finished run: its request, its result and the annotations the sink got.
DecodeResults decodeResultsOf(const RecordingDecodeRequest& request, const RecordingDecodeResult& result,
                              std::vector<Annotation> annotations);

// "<base>.rdk" of the set of rosPath (any file of the set will do).
QString decodeResultsPathFor(const QString& pathInSet);

// Far more than 10^7 annotations; a larger file under this name is not read nor written.
inline constexpr qint64 kDecodeResultsSizeLimit = qint64(1) << 30; // bytes

// The file's content as plain values, before the decoders are looked up: each decoder's class ids
// as they were when it was written.
struct DecodeResultsContent {
    DecodeResults results;                          // decoders empty
    std::vector<std::string> decoderIds;            // of the stack
    std::vector<std::vector<std::string>> classIds; // of each decoder
};

// The whole file. The annotations' class indexes are into results.decoders' classes.
QByteArray encodeDecodeResults(const DecodeResults& results);
// The same of what parseDecodeResults read, with its own class ids (or of classIds given).
QByteArray encodeDecodeResults(const DecodeResultsContent& content);
QByteArray encodeDecodeResults(const DecodeResults& results,
                               const std::vector<std::vector<std::string>>& classIds);
// Reads a file's bytes; false with error (DecodeResultsDamaged and the byte where it fails) for
// anything that is not a whole, sound file: every length, index, text and value is checked.
bool parseDecodeResults(QByteArrayView bytes, DecodeResultsContent& content, CoreError& error);

struct DecodeResultsReading {
    bool exists = false; // a file is there
    bool stale = false;  // it is sound, but of samples that changed since (or of another library)
    CoreError error;     // a damaged file (or one that cannot be read), worded by coreMessage
    std::optional<DecodeResults> results; // only when sound, of these very samples, decoders installed
};

// Loads the file beside the set of rosPath. Nothing is changed, whatever is found.
DecodeResultsReading loadDecodeResults(const QString& rosPath);

// Writes results beside the set of rosPath under the set's lock, through the safe writer. Refused
// (DecodeSamplesChanged, nothing written) when a sample file read is no longer the one decoded.
bool saveDecodeResults(const QString& rosPath, const DecodeResults& results, CoreError& error);

} // namespace varnilog
