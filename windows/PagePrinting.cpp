#include "windows/PagePrinting.h"

#include "app/MessageBoxes.h"
#include "view/PageFile.h"
#include "windows/StandardDialogs.h"

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

bool printPageWithPreview(QWidget* parent, const PrintPageContent& content, StandardDialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape); // the picture is twice as wide as high
    printer.setDocName(content.recordingName);
    printer.setCreator(content.programName);
    return dialogs.printPreview(parent, printer,
                                [&content](QPrinter& target) { paintPageOnPrinter(target, content); });
}

bool savePageWithDialog(QWidget* parent, const PrintPageContent& content, const QString& dataDir,
                        MessageBoxes& boxes, StandardDialogs& dialogs) {
    const QString name = content.hasRecording ? content.recordingName : QStringLiteral("obraz");
    const QString path = dialogs.saveFileName(
        parent, QString::fromUtf8("Obraz PNG (*.png);;Obraz SVG (*.svg);;Dokument PDF (*.pdf)"),
        QStringLiteral("png"), QDir(dataDir).filePath(name + QStringLiteral(".png")));
    if (path.isEmpty())
        return false;
    if (pageFormatFor(path) == PageFormat::Unknown) {
        boxes.showErrorBox(QString::fromUtf8("Nieznany typ pliku %1: wybierz PNG, SVG lub PDF.").arg(path));
        return false;
    }
    QString error;
    if (!writePageFile(path, content, &error)) {
        boxes.showErrorBox(QString::fromUtf8("Błąd zapisu pliku %1: %2").arg(path, error));
        return false;
    }
    return true;
}

} // namespace varnilog
