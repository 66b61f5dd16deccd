// The WAV codec: a recording as RIFF/WAVE 8-bit unsigned PCM, one channel per recorded channel,
// interleaved, the codes unchanged (WAV's silence is 128, ours 125), so it reads back bit-exact; a
// LIST/INFO comment names each channel's V/div, the start and the period. Data past 4 GiB makes the
// file RF64 (the EBU extension). The reader takes 8-bit (codes), 16-, 24- and 32-bit and float WAV or
// RF64; a wider file that still holds our comment (an editor saved ours again) gives back its codes.
// Depends on QtCore and the interchange export's pieces.
#pragma once

#include "recording/ImportReader.h"
#include "recording/InterchangeExport.h"

#include <QIODevice>

#include <cstdint>
#include <memory>

namespace varnilog {

// RIFF sizes are 32-bit: a file whose RIFF size would pass this is written as RF64.
inline constexpr std::uint64_t kRiffSizeLimit = 0xFFFFFFFFu;

// Writes the span of the request to out (open for writing), streamed block by block.
InterchangeResult exportWav(const InterchangeRequest& request, QIODevice& out,
                            const WorkProgress& progress = {}, std::uint64_t riffSizeLimit = kRiffSizeLimit);

// A reader of a WAV or RF64 file on in (which must stay open while the reader is used).
std::unique_ptr<ImportReader> makeWavReader(QIODevice& in);

} // namespace varnilog
