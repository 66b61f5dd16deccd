// The sigrok session codec: the ZIP container that PulseView and sigrok-cli open, with a "version"
// file ("2"), a "metadata" file (the sample rate and the analog channels' names) and each channel's
// samples as little-endian float32 volts in members "analog-1-K-1", "analog-1-K-2"... of a few MiB;
// logic channels the request brings (thresholded elsewhere) go before them, one byte per sample in
// "logic-1-1", "logic-1-2"... along the same stretches.
// The ZIP itself is libzip's; members are stored (not deflated) and produced block by block while
// libzip writes them, so memory stays bounded for recordings of any length. The reader takes the
// analog channels of a session (its logic channels are not ours). Depends on QtCore, libzip and the
// interchange export's pieces.
#pragma once

#include "recording/ImportReader.h"
#include "recording/InterchangeExport.h"

#include <QIODevice>

#include <cstdint>
#include <memory>

namespace varnilog {

inline constexpr std::int64_t kSigrokChunkSamples = 1 << 20; // 4 MiB of float32 per member

// Writes the span of the request to out as a session archive. out must be able to go back over what it
// took (libzip fills in each member's sizes after its data): a SafeFile or a random-access device.
InterchangeResult exportSigrok(const InterchangeRequest& request, QIODevice& out,
                               const WorkProgress& progress = {},
                               std::int64_t chunkSamples = kSigrokChunkSamples);

// "1 Hz", "500 kHz", "10 MHz": a rate as sigrok's metadata writes it.
QByteArray sigrokRateText(std::int64_t hertz);

// A reader of a session archive on in (random access; it must stay open while the reader is used).
std::unique_ptr<ImportReader> makeSigrokReader(QIODevice& in);

} // namespace varnilog
