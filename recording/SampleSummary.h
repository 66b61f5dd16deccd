// Min/max summaries of the sample files, so a zoomed-out view reads a few kilobytes instead of the
// whole span it covers. Each sample file "<base>.rca".."<base>.rcd" may have a summary beside it,
// "<base>.rsa".."<base>.rsd": one file per sample file, so each carries the identity of exactly the
// file it describes, and rename and delete treat it like the sample files. Programs that read only
// the settings and sample files never see them.
//
// Layout: a 32-byte header ("VLSUMMA1", the sample file's length and its modification time in ms
// since the epoch, both little-endian int64, 8 bytes reserved), then one (min, max) byte pair per
// whole 65 536 samples, then one pair per whole 256 samples. A partial block at the end has no pair.
// Depends on QtCore only.
#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>

namespace varnilog {

inline constexpr std::int64_t kSummaryFineBlock = 256;
inline constexpr std::int64_t kSummaryCoarseBlock = 65536;
inline constexpr std::int64_t kSummaryHeaderSize = 32;

// ".rsa" for ".rca" and so on: the summary beside a sample file.
QString summaryPathFor(const QString& samplePath);

// Where the pairs of a summary are, once it matches its sample file.
struct SummaryLayout {
    bool valid = false;
    std::int64_t length = 0;       // samples in the sample file
    std::int64_t coarseOffset = 0; // byte offset of the first 65 536-sample pair
    std::int64_t fineOffset = 0;   // byte offset of the first 256-sample pair
};

// Checks an open summary against its open sample file: the header, the length and modification time
// of the sample file now, and the summary's own size. Anything else is not valid and must not be used.
SummaryLayout readSummaryLayout(QFile& summary, QFile& sample);

// Reads count bytes at pos without moving the file position or filling a read-ahead buffer; the
// number read (short at the end of the file, -1 on error).
std::int64_t readAt(QFile& file, std::int64_t pos, std::uint8_t* out, std::int64_t count);

// Called after each block with the samples done and the total; false cancels.
using SummaryProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Builds the summary of a sample file and puts it in place in one step (an older one stays until the
// new one is complete). Holes of a sparse file are not read. False when cancelled, when the sample file
// changed meanwhile or cannot be read, or when the summary cannot be written: nothing is left behind
// then, and the view keeps reading the samples.
bool buildSampleSummary(const QString& samplePath, const SummaryProgress& progress = {});

} // namespace varnilog
