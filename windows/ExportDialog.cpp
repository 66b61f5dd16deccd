#include "windows/ExportDialog.h"

#include "app/MessageBoxes.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingManagement.h"
#include "recording/SafeFile.h"
#include "recording/TextExport.h"
#include "windows/StandardDialogs.h"

#include "app/LongWork.h"
#include "windows/LongWorkWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>

namespace varnilog {

void reportExport(const std::function<void(const QString&)>& report, const QString& path, bool written) {
    if (!report)
        return;
    const QString name = QFileInfo(path).fileName();
    report(written
               ? QCoreApplication::translate("varnilog::ExportDialog", "Zapisano plik %1").arg(name)
               : QCoreApplication::translate("varnilog::ExportDialog", "Przerwano eksport do %1").arg(name));
}

bool exportRecordingWithDialog(QWidget* parent, SharedState& state, MessageBoxes& boxes,
                               StandardDialogs& dialogs, const ExportDialogOptions& options) {
    if (options.work != nullptr && options.work->busy())
        return false;
    // The recording on display when the export was asked for, read through handles of its own: a load
    // while the dialog or the export lets events through (a stop after a fault) cannot change it.
    RecordingInput input(state);
    const QString path = dialogs.saveFileName(
        parent, QCoreApplication::translate("varnilog::ExportDialog", "Pliki tekstowe (*.txt)"),
        QStringLiteral("txt"), QDir(state.dataDir).filePath(QStringLiteral("*.txt")));
    if (path.isEmpty())
        return false;
    if (options.viewToStart)
        options.viewToStart();

    if (const QString error = outputOntoRecordingError(path, {state.recordingPath}); !error.isEmpty()) {
        boxes.showErrorBox(error);
        return false;
    }
    // Through the safe writer: the old file stays until the whole export is there.
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        boxes.showErrorBox(
            QCoreApplication::translate("varnilog::ExportDialog", "Nie można utworzyć pliku %1: %2")
                .arg(path, file.errorString()));
        return false;
    }
    // The worker alone uses the file and the input until it has been joined.
    TextExportResult result;
    const TextExportSource source = textExportSourceFrom(input);
    const QLocale locale;
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const bool completed = runWithProgress(
        work, parent, QCoreApplication::translate("varnilog::ExportDialog", "Eksport do .txt…"),
        options.progressBar, [&](const WorkProgress& progress) {
            result = exportRecordingText(source, file, locale, progress);
            return result.ok;
        });
    if (completed && result.ok && !file.commit()) {
        result.ok = false;
        result.error = file.errorString();
    }
    if (!completed && result.ok) {
        // Cancelled after the last line (or never started): still no file.
        result.ok = false;
        result.cancelled = true;
    }
    if (result.cancelled) {
        file.cancel();
        reportExport(options.report, path, false);
        return false;
    }
    if (!result.ok) {
        file.cancel(); // no half-written export is left behind
        boxes.showErrorBox(QCoreApplication::translate("varnilog::ExportDialog", "Błąd zapisu pliku %1: %2")
                               .arg(path, result.error));
        return false;
    }
    reportExport(options.report, path, true);
    return true;
}

} // namespace varnilog
