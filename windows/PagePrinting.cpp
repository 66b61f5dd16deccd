#include "windows/PagePrinting.h"

#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingManagement.h"
#include "view/PageFile.h"
#include "windows/StandardDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPrinter>

namespace varnilog {

void paintPageOnPrinter(QPrinter& printer, const PrintPageContent& content) {
    QPainter painter;
    if (!painter.begin(&printer))
        return; // the print system reports its own failures
    drawPrintPage(painter, QSize(printer.width(), printer.height()), content);
}

namespace {

// The file name offered for a page: the recording's whole name ("2026-12-09 20.03.24" keeps ".24").
QString pageFileName(const PrintPageContent& content, const QString& dataDir, const char* suffix) {
    const QString name = content.hasRecording
                             ? content.recordingName
                             : QCoreApplication::translate("varnilog::PagePrinting", "obraz");
    return QDir(dataDir).filePath(name + QLatin1String(suffix));
}

} // namespace

bool printPageWithPreview(QWidget* parent, const PrintPageContent& content, const QString& dataDir,
                          StandardDialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape); // the picture is twice as wide as high
    // The print dialog offers this file for "print to PDF" (it would cut the name at its last dot and
    // use the home folder); the printer itself stays the system's default.
    printer.setOutputFileName(pageFileName(content, dataDir, ".pdf"));
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setDocName(content.recordingName);
    printer.setCreator(content.programName);
    return dialogs.printPreview(parent, printer,
                                [&content](QPrinter& target) { paintPageOnPrinter(target, content); });
}

bool savePageWithDialog(QWidget* parent, const PrintPageContent& content, const QString& dataDir,
                        MessageBoxes& boxes, StandardDialogs& dialogs) {
    const QString path = dialogs.saveFileName(
        parent,
        QCoreApplication::translate("varnilog::PagePrinting",
                                    "Obraz PNG (*.png);;Obraz SVG (*.svg);;Dokument PDF (*.pdf)"),
        QStringLiteral("png"), pageFileName(content, dataDir, ".png"));
    if (path.isEmpty())
        return false;
    if (pageFormatFor(path) == PageFormat::Unknown) {
        boxes.showErrorBox(QCoreApplication::translate("varnilog::PagePrinting",
                                                       "Nieznany typ pliku %1: wybierz PNG, SVG lub PDF.")
                               .arg(path));
        return false;
    }
    if (const CoreError onto = outputOntoRecordingError(path); onto.failed()) {
        boxes.showErrorBox(coreMessage(onto));
        return false;
    }
    QString error;
    if (!writePageFile(path, content, &error)) {
        boxes.showErrorBox(QCoreApplication::translate("varnilog::PagePrinting", "Błąd zapisu pliku %1: %2")
                               .arg(path, error));
        return false;
    }
    return true;
}

} // namespace varnilog
