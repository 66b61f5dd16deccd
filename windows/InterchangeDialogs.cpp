#include "windows/InterchangeDialogs.h"

#include "analysis/RecordingImport.h"
#include "app/LongWork.h"
#include "app/MessageBoxes.h"
#include "recording/CsvFormat.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingManagement.h"
#include "recording/SafeFile.h"
#include "recording/SigrokSession.h"
#include "recording/WavFormat.h"
#include "windows/ExportDialog.h"
#include "windows/LongWorkWindow.h"
#include "windows/StandardDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include <array>

namespace varnilog {

namespace {

// The export's file types, in the order of the format list; each name is translated with its pattern.
const std::array<const char*, 4> kExportFilters{
    QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Plik WAV (*.wav)"),
    QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Sesja sigrok (*.sr)"),
    QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Plik CSV (*.csv)"),
    QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Pliki tekstowe (*.txt)")};

QString exportFilter() {
    QStringList filters;
    for (const char* filter : kExportFilters)
        filters << QCoreApplication::translate("varnilog::InterchangeDialogs", filter);
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
    const QString path = dialogs.saveFileName(parent, exportFilter(), QStringLiteral("wav"),
                                              QFileInfo(state.recordingPath).completeBaseName());
    ExportFormat format = ExportFormat::Wav;
    if (path.isEmpty() || !exportFormatFromName(path, format))
        return false;
    if (const QString error = outputOntoRecordingError(path, {state.recordingPath}); !error.isEmpty()) {
        boxes.showErrorBox(error);
        return false;
    }
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        boxes.showErrorBox(
            QCoreApplication::translate("varnilog::InterchangeDialogs", "Nie można utworzyć pliku %1: %2")
                .arg(path, file.errorString()));
        return false;
    }
    InterchangeResult result;
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const bool completed = runWithProgress(
        work, parent, QCoreApplication::translate("varnilog::InterchangeDialogs", "Eksport…"),
        options.progressBar, [&](const WorkProgress& progress) {
            switch (format) {
            case ExportFormat::Wav:
                result = exportWav(request, file, progress);
                break;
            case ExportFormat::Sigrok:
                result = exportSigrok(request, file, progress);
                break;
            case ExportFormat::Csv:
                result = exportCsv(request, file, progress);
                break;
            case ExportFormat::Text: {
                TextExportSource source = request.source;
                source.limitTo(request.from, request.to); // the span the user chose, as the others
                const TextExportResult text = exportRecordingText(source, file, QLocale(), progress);
                result.ok = text.ok;
                result.cancelled = text.cancelled;
                result.error = text.error;
                break;
            }
            }
            return result.ok;
        });
    if (!completed || !result.ok) {
        file.cancel();
        if (!result.ok && !result.cancelled)
            boxes.showErrorBox(
                QCoreApplication::translate("varnilog::InterchangeDialogs", "Błąd zapisu pliku %1: %2")
                    .arg(path, result.error));
        else
            reportExport(options.report, path, false);
        return false;
    }
    if (!file.commit()) {
        boxes.showErrorBox(
            QCoreApplication::translate("varnilog::InterchangeDialogs", "Błąd zapisu pliku %1: %2")
                .arg(path, file.errorString()));
        return false;
    }
    reportExport(options.report, path, true);
    return true;
}

QString importWithDialog(QWidget* parent, const SharedState& state, MessageBoxes& boxes,
                         StandardDialogs& dialogs, const InterchangeDialogOptions& options) {
    if (options.work != nullptr && options.work->busy())
        return {};
    const QString path =
        dialogs.openFileName(parent,
                             QCoreApplication::translate("varnilog::InterchangeDialogs",
                                                         "Nagrania innych programów (*.wav *.sr *.csv)"),
                             state.dataDir);
    ImportRequest request;
    if (path.isEmpty() || !importFormatFromName(path, request.format))
        return {};
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
