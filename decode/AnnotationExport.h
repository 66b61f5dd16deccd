// A decode's annotations for other programs: the CSV and JSON the command line prints, and an
// Audacity label track (recording/AudacityLabels), one writer each, used by the window's exports and
// by `varnilog-cli decode` alike. Files go through the safe writer. Depends on the recording module.
#pragma once

#include "app/CoreError.h"
#include "decode/DecodeResultsFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace varnilog {

enum class AnnotationFormat { Csv, Json, Audacity };

// The CSV's first line, "start;end;start_time;decoder;class;text\n".
QByteArray annotationCsvHeader();
// One line: the sample numbers, the start's time as the text export writes it, the decoder and class
// ids and the longest text.
QByteArray annotationCsvLine(const Annotation& a, const DecoderInfo& decoder, float samplingPeriodMs);
// One object of the JSON's "annotations" array.
QByteArray annotationJsonObject(const Annotation& a, const DecoderInfo& decoder);
// The JSON around the objects: `{"recording": PATH, "samplerate": HZ, "annotations": [` and
// `], "count": n}\n`.
QByteArray annotationJsonOpening(const QString& recordingPath, std::uint64_t sampleRateHz);
QByteArray annotationJsonClosing(std::int64_t count);

// Writes every annotation of results to path in format through the safe writer (samplingPeriodMs for
// the times, recordingPath for the JSON). False with error set; no file is left then.
bool writeAnnotations(const QString& path, AnnotationFormat format, const DecodeResults& results,
                      const QString& recordingPath, float samplingPeriodMs, CoreError& error);
// The Audacity label track's bytes: a label per annotation, "decoder: longest text".
QByteArray annotationAudacityLabels(const DecodeResults& results, float samplingPeriodMs);

} // namespace varnilog
