// Error and warning annotations as markers of their own kind (dekoder): a class is a problem when
// a word of its id or of its row's id (words between "-") begins with "err", "warn" or "fail", as
// the decoders name them ("frame-error", "rx-warnings", "parity-err"). Depends on the recording
// module (the marker file and the set's lock).
#pragma once

#include "app/CoreError.h"
#include "decode/DecodeResultsFile.h"
#include "recording/MarkerFile.h"

#include <QString>

#include <vector>

namespace varnilog {

// True when the class (an index into decoder's classes) is an error or a warning.
bool isProblemClass(const DecoderInfo& decoder, int annotationClass);

// A marker of kind dekoder per problem annotation: its samples [start, end) as a range (a point when
// end <= start + 1), labelled "decoder: longest text".
std::vector<Marker> problemMarkers(const DecodeResults& results);

// Adds problemMarkers(results) to the markers of the set of rosPath under its lock; a marker equal to
// one already there is not added again. added gets how many were. False with error set (a damaged
// marker file is left as it is).
bool markDecodeProblems(const QString& rosPath, const DecodeResults& results, int& added, CoreError& error);

} // namespace varnilog
