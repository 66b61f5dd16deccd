// Min/max summaries of the sample files, so a zoomed-out view reads a few kilobytes instead of the
// whole span it covers. Each sample file "<base>.rca".."<base>.rcd" may have a summary beside it,
// "<base>.rsa".."<base>.rsd": one file per sample file, so each carries the identity of exactly the
// file it describes, and rename and delete treat it like the sample files. Programs that read only
// the settings and sample files never see them.
//
// Layout: the 8-byte magic "VLSUMMA3", one (min, max) byte pair per whole 256 samples, then one pair
// per whole 65 536 samples, then a 48-byte trailer ("VLSUMMA3", then the sample file's length, its
// modification and change times in ns since the epoch, its inode and device, all little-endian int64).
// The change time and inode cannot be set back or copied by user tools, so a summary is trusted only
// for the very file it was made from. A partial block at the end has no pair. The fine pairs come first so a
// recording streams them out in order; the trailer comes last because the sample file's identity is known
// only when it is complete. Depends on QtCore only.
#pragma once

#include "app/WorkProgress.h"
#include "recording/FileIdentity.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace varnilog {

inline constexpr std::int64_t kSummaryFineBlock = 256;
inline constexpr std::int64_t kSummaryCoarseBlock = 65536;
inline constexpr std::int64_t kSummaryMagicSize = 8;
inline constexpr std::int64_t kSummaryTrailerSize = 48;

// ".rsa" for ".rca" and so on: the summary beside a sample file.
QString summaryPathFor(const QString& samplePath);

// Where the pairs of a summary are, once it matches its sample file.
struct SummaryLayout {
    bool valid = false;
    std::int64_t length = 0;       // samples in the sample file
    std::int64_t coarseOffset = 0; // byte offset of the first 65 536-sample pair
    std::int64_t fineOffset = 0;   // byte offset of the first 256-sample pair
};

// The magic bytes at the start of every summary.
std::array<std::uint8_t, kSummaryMagicSize> summaryMagic();
// The trailer of a summary of the sample file of that identity (its size is the length in samples).
std::array<std::uint8_t, kSummaryTrailerSize> summaryTrailer(const FileIdentity& sample);
// The identity a summary's trailer records; size -1 when the bytes are no trailer.
FileIdentity summaryTrailerIdentity(const std::uint8_t* trailer);

// Checks an open summary against its open sample file: the trailer, the identity of the sample file
// now (size, times, inode, device), and the summary's own size. Anything else is not valid and must not be
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

// After the program itself renamed a sample file (which changes its change time and nothing else),
// the summary now beside it is made to name the renamed file, if it described it before the rename.
// The summary is rewritten whole through the safe writer; false leaves it to be rebuilt.
bool restampSummary(const QString& samplePath, const FileIdentity& before);

} // namespace varnilog
