// The CSV codec: a header row ("time_s,A_V,B_V"), then one row per sample with the time in seconds and
// the volts of every channel written, "." decimals and "," separators whatever the locale (for
// pandas, R, gnuplot), each number in full precision (the exact time, the shortest text that reads
// back as the export's volts). The reader takes what other programs write: a UTF-8 BOM, ",", ";" (with
// decimal commas), tab or space separators (the first line decides), a trailing separator, and a time
// column with 1 to 4 value columns; a header row names the time column and its unit (time_s, time_ms,
// time_us, time_ns; a column it leaves unnamed, as pandas' index, is no channel), without one the
// first column is seconds. Every time step must lie within 0.1 % of the mean step. Depends on QtCore
// and the interchange export's pieces.
#pragma once

#include "recording/ImportReader.h"
#include "recording/InterchangeExport.h"

#include <QIODevice>

#include <memory>

namespace varnilog {

InterchangeResult exportCsv(const InterchangeRequest& request, QIODevice& out,
                            const WorkProgress& progress = {});

// A reader of CSV text on in (which must stay open while the reader is used).
std::unique_ptr<ImportReader> makeCsvReader(QIODevice& in);

} // namespace varnilog
