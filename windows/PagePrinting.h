// "Drukuj" and "Zapisz obraz…" of the main window: the page of the screen printed through the print
// preview and the system's print dialog (landscape by default, PDF always offered), or saved as a PNG,
// SVG or PDF file chosen in the save dialog.
#pragma once

#include "view/PrintPage.h"

class QPrinter;
class QWidget;

namespace varnilog {

class MessageBoxes;
class StandardDialogs;

// Draws the page onto the printer's printable area.
void paintPageOnPrinter(QPrinter& printer, const PrintPageContent& content);

// The preview of the page, whose print dialog offers the PDF file of the recording's whole name in
// dataDir; true when it was printed.
bool printPageWithPreview(QWidget* parent, const PrintPageContent& content, const QString& dataDir,
                          StandardDialogs& dialogs);

// The save dialog (PNG, SVG or PDF; the recording's name in dataDir offered), then the file; a failed
// write shows an error box with the system's reason and leaves no file. True when a file was written.
bool savePageWithDialog(QWidget* parent, const PrintPageContent& content, const QString& dataDir,
                        MessageBoxes& boxes, StandardDialogs& dialogs);

} // namespace varnilog
