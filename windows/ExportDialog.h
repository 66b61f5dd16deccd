// The main window's text export ("Eksport do .txt"): asks for the file, writes the recording on
// display with progress, and reports a failure in an error box, removing the partial file.
#pragma once

#include "app/SharedState.h"
#include "recording/InterchangeFormats.h"

#include <functional>

class QProgressBar;
class QWidget;

namespace varnilog {

class LongWork;
class MessageBoxes;
class StandardDialogs;

struct ExportDialogOptions {
    QProgressBar* progressBar = nullptr; // shown while the export runs (ProgressBar1); may be null
    std::function<void()> viewToStart;   // puts ScrollBar1 at 0 before the export; may be empty
    LongWork* work = nullptr; // the worker the export runs on; null: one of its own for this export
    std::function<void(const QString&)> report; // told of a written or a cancelled export; may be empty
};

// Tells report (when set) that path was written, or that its export was cancelled.
void reportExport(const std::function<void(const QString&)>& report, const QString& path, bool written);

// Words what an export came to: an error box for a failure, report (when set) for a written or a
// cancelled file; true when written.
bool showExportOutcome(const ExportOutcome& outcome, MessageBoxes& boxes,
                       const std::function<void(const QString&)>& report);

// Zapiszdotxt1Click: the save dialog ("Pliki tekstowe", *.txt, ".txt" added, overwrite asked), then
// the export in the user's locale on a worker, with progress and "Anuluj"; a cancelled or failed export
// leaves no file. Nothing happens while the worker still runs an earlier export. The recording is the one on
// display when the export was asked for, read through handles of its own: a load meanwhile (the stop of a
// recording after a fault while the window repaints) changes nothing in the file. True when a file was
// written.
bool exportRecordingWithDialog(QWidget* parent, SharedState& state, MessageBoxes& boxes,
                               StandardDialogs& dialogs, const ExportDialogOptions& options = {});

} // namespace varnilog
