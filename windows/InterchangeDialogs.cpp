#include "windows/InterchangeDialogs.h"

#include "app/LongWork.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingImport.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingManagement.h"
#include "windows/ExportDialog.h"
#include "windows/LongWorkWindow.h"
#include "windows/StandardDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace varnilog {

namespace {

// The export's file types in the dialogs' order, each name translated with its pattern.
QString exportFilter() {
    QStringList filters;
    for (const InterchangeFormat* format : dialogFormats(false))
        filters << QCoreApplication::translate("varnilog::InterchangeDialogs", format->filter);
    return filters.join(QStringLiteral(";;"));
}

} // namespace

bool exportInterchangeWithDialog(QWidget* parent, SharedState& state, MessageBoxes& boxes,
                                 StandardDialogs& dialogs, const InterchangeDialogOptions& options) {
    if ((options.work != nullptr && options.work->busy()) || state.sampleCount <= 0)
        return false;
    RecordingInput input(state); // handles of its own: a load meanwhile changes nothing in the file
    InterchangeRequest request;
    request.source = textExportSourceFrom(input);
    request.start = readRecordingHeader(state.recordingPath).values.start;
    request.from = options.from;
    request.to = options.to;
    const QString path =
        dialogs.saveFileName(parent, exportFilter(), QLatin1String(dialogFormats(false).front()->name),
                             QFileInfo(state.recordingPath).completeBaseName());
    const InterchangeFormat* format = interchangeFormatFromName(path);
    if (path.isEmpty() || format == nullptr)
        return false;
    if (const QString error = outputOntoRecordingError(path, {state.recordingPath}); !error.isEmpty()) {
        boxes.showErrorBox(error);
        return false;
    }
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const auto run = [&](const std::function<bool(const WorkProgress&)>& job) {
        return runWithProgress(work, parent,
                               QCoreApplication::translate("varnilog::InterchangeDialogs", "Eksport…"),
                               options.progressBar, job);
    };
    return showExportOutcome(runExport(*format, request, path, run), boxes, options.report);
}

QString importWithDialog(QWidget* parent, const SharedState& state, MessageBoxes& boxes,
                         StandardDialogs& dialogs, const InterchangeDialogOptions& options) {
    if (options.work != nullptr && options.work->busy())
        return {};
    const QString path = dialogs.openFileName(
        parent,
        QCoreApplication::translate("varnilog::InterchangeDialogs", "Nagrania innych programów (%1)")
            .arg(importPatterns()),
        state.dataDir);
    const InterchangeFormat* format = interchangeFormatFromName(path, true, true);
    if (path.isEmpty() || format == nullptr)
        return {};
    ImportRequest request;
    request.format = format->id;
    request.inputPath = path;
    request.rosPath =
        joinDataPath(state.dataDir, QFileInfo(path).completeBaseName() + QStringLiteral(".ros"));
    ImportResult result;
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const bool completed =
        runWithProgress(work, parent, QCoreApplication::translate("varnilog::InterchangeDialogs", "Import…"),
                        options.progressBar, [&](const WorkProgress& progress) {
                            result = importRecording(request, progress);
                            return result.ok;
                        });
    if (!completed || !result.ok) {
        if (!result.ok && !result.cancelled && !result.error.isEmpty())
            boxes.showErrorBox(
                QCoreApplication::translate("varnilog::InterchangeDialogs", "Import nie powiódł się: %1")
                    .arg(result.error));
        return {};
    }
    return request.rosPath;
}

} // namespace varnilog
