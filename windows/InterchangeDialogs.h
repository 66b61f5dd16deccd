// The main window's "Eksport…" and "Import…": the file dialogs, the export or import on the long-work
// worker with progress and "Anuluj", and the error box; a cancelled or failed job leaves no file.
#pragma once

#include "app/SharedState.h"

#include <QString>

#include <functional>

class QProgressBar;
class QWidget;

namespace varnilog {

class LongWork;
class MessageBoxes;
class StandardDialogs;

struct InterchangeDialogOptions {
    QProgressBar* progressBar = nullptr;        // ProgressBar1; may be null
    LongWork* work = nullptr;                   // the window's worker; null: one of its own
    std::int64_t from = 0, to = -1;             // the span to export ([from, to) samples); to < 0: all of it
    std::function<void(const QString&)> report; // told of a written or a cancelled export; may be empty
};

// Eksport…: the save dialog with the four file types (WAV, sigrok, CSV, the seed's text); true when a
// file was written.
bool exportInterchangeWithDialog(QWidget* parent, SharedState& state, MessageBoxes& boxes,
                                 StandardDialogs& dialogs, const InterchangeDialogOptions& options);

// Import…: asks for a WAV, sigrok or CSV file and makes a set of its name in the data folder; the new
// set's ".ros", or an empty text when nothing was made.
QString importWithDialog(QWidget* parent, const SharedState& state, MessageBoxes& boxes,
                         StandardDialogs& dialogs, const InterchangeDialogOptions& options);

} // namespace varnilog
