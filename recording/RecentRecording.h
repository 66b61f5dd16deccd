// "Zapisz ostatnie…": the samples kept while looking without recording, written as a normal
// recording set (".ros", ".rca", ".rcb" and, with markers, ".rmk") in one commit of the safe writer,
// so the folder holds the whole set or none of it. Depends on QtCore, the header and the marker file.
#pragma once

#include "app/CoreError.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingHeader.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace varnilog {

struct RecentSamples {
    RecordingHeader header;      // the settings the samples were taken with; start: the first one's time
    QByteArray a, b;             // the codes of A and B, as many of each
    std::vector<Marker> markers; // counted from the first sample
};

// Writes recent as the set of rosPath. Refused (RecordingExists) when any file of that name is
// there already, and (NoSamples) without samples; false with error set when a write failed.
bool writeRecentRecording(const QString& rosPath, const RecentSamples& recent, CoreError& error);

} // namespace varnilog
