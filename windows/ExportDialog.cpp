#include "windows/ExportDialog.h"

#include "app/CoreMessages.h"
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

bool showExportOutcome(const ExportOutcome& outcome, MessageBoxes& boxes,
                       const std::function<void(const QString&)>& report) {
    switch (outcome.kind) {
    case ExportOutcome::Written:
    case ExportOutcome::Cancelled:
        reportExport(report, outcome.path, outcome.kind == ExportOutcome::Written);
        break;
    case ExportOutcome::OpenFailed:
        boxes.showErrorBox(
            QCoreApplication::translate("varnilog::ExportDialog", "Nie można utworzyć pliku %1: %2")
                .arg(outcome.path, coreMessage(outcome.error)));
        break;
    case ExportOutcome::WriteFailed:
        boxes.showErrorBox(QCoreApplication::translate("varnilog::ExportDialog", "Błąd zapisu pliku %1: %2")
                               .arg(outcome.path, coreMessage(outcome.error)));
        break;
    }
    return outcome.kind == ExportOutcome::Written;
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

    if (const CoreError error = outputOntoRecordingError(path, {state.recordingPath}); error.failed()) {
        boxes.showErrorBox(coreMessage(error));
        return false;
    }
    // The worker alone uses the file and the input until it has been joined.
    InterchangeRequest request;
    request.source = textExportSourceFrom(input);
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const auto run = [&](const std::function<bool(const WorkProgress&)>& job) {
        return runWithProgress(work, parent,
                               QCoreApplication::translate("varnilog::ExportDialog", "Eksport do .txt…"),
                               options.progressBar, job);
    };
    return showExportOutcome(runExport(interchangeFormat(FileFormat::Text), request, path, run), boxes,
                             options.report);
}

} // namespace varnilog
