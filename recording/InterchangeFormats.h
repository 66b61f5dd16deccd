// The files a recording is exported to and imported from, one row each: the name (--format and the
// file extension), the file dialog's filter, the exporter, the import reader and what else the format
// carries. The CLI, the window's dialogs, the import (RecordingImport) and the fuzzer take their lists,
// dispatches and help texts from here, so a new format is one codec and one row. Depends on QtCore and
// the interchange export.
#pragma once

#include "recording/ImportReader.h"
#include "recording/InterchangeExport.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace varnilog {

enum class FileFormat { Text, Csv, Wav, Sigrok };

struct InterchangeFormat {
    FileFormat id;
    const char* name;   // the --format name and the file's extension, lower case
    const char* filter; // the file dialog's filter, untranslated (context "varnilog::InterchangeDialogs")
    InterchangeResult (*exporter)(const InterchangeRequest&, QIODevice&, const WorkProgress&);
    std::unique_ptr<ImportReader> (*reader)(QIODevice&); // null: not imported
    bool channelChoice; // writes the channels asked for (the text export writes them all)
    bool labels;        // the markers may go beside it as a label track
    int dialogPosition; // place in the file dialogs and the import list: WAV first, the default
};

// Every format, in the order the export names them.
std::span<const InterchangeFormat> interchangeFormats();
const InterchangeFormat& interchangeFormat(FileFormat id);

// The format of a file name's extension (case ignored) or of a --format name; null when none is, or
// when importing only and the format is not imported.
const InterchangeFormat* interchangeFormatFromName(const QString& nameOrPath, bool isPath = true,
                                                   bool importing = false);

// The formats' names, in export order or (importing) the import's: with a separator and a last one,
// "txt, csv, wav or sr"; where gives only the formats whose flag is set.
QString interchangeFormatNames(bool importing, const QString& separator, const QString& last,
                               bool InterchangeFormat::*where = nullptr);

// The formats in the dialogs' order (importing: only those imported).
std::vector<const InterchangeFormat*> dialogFormats(bool importing);

// The file name patterns of the imported formats, "*.wav *.sr *.csv".
QString importPatterns();

// What an export came to; the window and the CLI word it.
struct ExportOutcome {
    enum Kind { Written, Cancelled, OpenFailed, WriteFailed } kind = Written;
    QString path;  // the file it concerns
    QString error; // the device's reason when it failed
};

// Runs the export job with the front end's progress (and cancel); false when cancelled or when the
// job returned false.
using ExportRunner = std::function<bool(const std::function<bool(const WorkProgress&)>&)>;

// A file written beside the export (the WAV's label track): put in place with it or not at all.
struct ExportBeside {
    QString path; // empty: none
    QByteArray bytes;
};

// The one export of a file: through the safe writer, the format's exporter run by run, then the file
// (and what goes beside it) put in place, or nothing left when it failed or was cancelled.
ExportOutcome runExport(const InterchangeFormat& format, const InterchangeRequest& request,
                        const QString& path, const ExportRunner& run, const ExportBeside& beside = {});

} // namespace varnilog
