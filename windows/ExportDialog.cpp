#include "windows/ExportDialog.h"

#include "app/MessageBoxes.h"
#include "recording/RecordingInput.h"
#include "recording/TextExport.h"
#include "windows/StandardDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>

namespace varnilog {

bool exportRecordingWithDialog(QWidget* parent, SharedState& state, MessageBoxes& boxes,
                               StandardDialogs& dialogs, const ExportDialogOptions& options) {
    // The recording on display when the export was asked for, read through handles of its own: a load
    // while the dialog or the export lets events through (a stop after a fault) cannot change it.
    RecordingInput input(state);
    const QString path = dialogs.saveFileName(parent, QStringLiteral("Pliki tekstowe (*.txt)"),
                                              QStringLiteral("txt"), QStringLiteral("*.txt"));
    if (path.isEmpty())
        return false;
    if (options.viewToStart)
        options.viewToStart();

    QFile file(path);
    // Unbuffered: the exporter writes in large pieces of its own.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        boxes.showErrorBox(
            QString::fromUtf8("Nie można utworzyć pliku %1: %2").arg(path, file.errorString()));
        return false;
    }
    QProgressBar* bar = options.progressBar;
    if (bar != nullptr) {
        bar->setRange(0, 1000);
        bar->setValue(0);
        bar->show();
    }
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const TextExportResult result = exportRecordingText(
        textExportSourceFrom(input), file, QLocale(), [&](std::int64_t done, std::int64_t total) {
            if (bar != nullptr && total > 0)
                bar->setValue(static_cast<int>(done * 1000 / total));
            if (sinceRepaint.elapsed() >= 50) {
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                sinceRepaint.restart();
            }
            return true;
        });
    if (bar != nullptr)
        bar->hide();
    file.close();
    if (!result.ok) {
        file.remove(); // no half-written export is left behind
        boxes.showErrorBox(QString::fromUtf8("Błąd zapisu pliku %1: %2").arg(path, result.error));
        return false;
    }
    return true;
}

} // namespace varnilog
