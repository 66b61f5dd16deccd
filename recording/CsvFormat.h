// The CSV codec: a header row ("time_s,A_V,B_V"), then one row per sample with the time in seconds and
// the volts of every channel written, "." decimals and "," separators whatever the locale (for
// pandas, R, gnuplot), each number in full precision (the exact time, the shortest text that reads
// back as the export's volts). The reader takes a time column and 1 to 4 value columns, an optional
// header row, and refuses a time column that is not evenly spaced. Depends on QtCore and the
// interchange export's pieces.
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
