// Min/max summaries of the sample files, so a zoomed-out view reads a few kilobytes instead of the
// whole span it covers. Each sample file "<base>.rca".."<base>.rcd" may have a summary beside it,
// "<base>.rsa".."<base>.rsd": one file per sample file, so each carries the identity of exactly the
// file it describes, and rename and delete treat it like the sample files. Programs that read only
// the settings and sample files never see them.
//
// Layout: the 8-byte mark "VLSUMMA2", one (min, max) byte pair per whole 256 samples, then one pair
// per whole 65 536 samples, then a 32-byte trailer ("VLSUMMA2", the sample file's length and its modification
// time in ms since the epoch, both little-endian int64, 8 bytes reserved). A partial block at the end has no
// pair. The fine pairs come first so a recording streams them out in order; the trailer comes last because
// the sample file's identity is known only when it is complete.
// Depends on QtCore only.
#pragma once

#include "app/WorkProgress.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace varnilog {

inline constexpr std::int64_t kSummaryFineBlock = 256;
inline constexpr std::int64_t kSummaryCoarseBlock = 65536;
inline constexpr std::int64_t kSummaryMarkSize = 8;
inline constexpr std::int64_t kSummaryTrailerSize = 32;

// ".rsa" for ".rca" and so on: the summary beside a sample file.
QString summaryPathFor(const QString& samplePath);

// Where the pairs of a summary are, once it matches its sample file.
struct SummaryLayout {
    bool valid = false;
    std::int64_t length = 0;       // samples in the sample file
    std::int64_t coarseOffset = 0; // byte offset of the first 65 536-sample pair
    std::int64_t fineOffset = 0;   // byte offset of the first 256-sample pair
};

// The mark at the start of every summary.
std::array<std::uint8_t, kSummaryMarkSize> summaryMark();
// The trailer of a summary of a sample file of length samples, modified at modifiedMs.
std::array<std::uint8_t, kSummaryTrailerSize> summaryTrailer(std::int64_t length, std::int64_t modifiedMs);
// The modification time of a file as a summary records it.
std::int64_t fileModifiedMs(const QFile& file);

// Checks an open summary against its open sample file: the trailer, the length and modification time
// of the sample file now (trailer), and the summary's own size. Anything else is not valid and must not be
// used.
SummaryLayout readSummaryLayout(QFile& summary, QFile& sample);

// Reads count bytes at pos without moving the file position or filling a read-ahead buffer; the
// number read (short at the end of the file, -1 on error).
std::int64_t readAt(QFile& file, std::int64_t pos, std::uint8_t* out, std::int64_t count);

// Called after each block with the samples done and the total; false cancels.
using SummaryProgress = WorkProgress;

// Builds the summary of a sample file and puts it in place in one step (an older one stays until the
// new one is complete). Holes of a sparse file are not read. False when cancelled, when the sample file
// changed meanwhile or cannot be read, or when the summary cannot be written: nothing is left behind
// then, and the view keeps reading the samples.
bool buildSampleSummary(const QString& samplePath, const SummaryProgress& progress = {});

} // namespace varnilog
