#include "windows/InterchangeDialogs.h"

#include "analysis/RecordingImport.h"
#include "app/LongWork.h"
#include "app/MessageBoxes.h"
#include "recording/CsvFormat.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "recording/SigrokSession.h"
#include "recording/WavFormat.h"
#include "windows/LongWorkWindow.h"
#include "windows/StandardDialogs.h"

#include <QFileInfo>
#include <QLocale>

namespace varnilog {

namespace {

const char* const kExportFilter =
    "Plik WAV (*.wav);;Sesja sigrok (*.sr);;Plik CSV (*.csv);;Pliki tekstowe (*.txt)";

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
    const QString path = dialogs.saveFileName(parent, QString::fromUtf8(kExportFilter), QStringLiteral("wav"),
                                              QFileInfo(state.recordingPath).completeBaseName());
    ExportFormat format = ExportFormat::Wav;
    if (path.isEmpty() || !exportFormatFromName(path, format))
        return false;
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        boxes.showErrorBox(
            QString::fromUtf8("Nie można utworzyć pliku %1: %2").arg(path, file.errorString()));
        return false;
    }
    InterchangeResult result;
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const bool completed = runWithProgress(
        work, parent, QString::fromUtf8("Eksport…"), options.progressBar, [&](const WorkProgress& progress) {
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
            boxes.showErrorBox(QString::fromUtf8("Błąd zapisu pliku %1: %2").arg(path, result.error));
        return false;
    }
    if (!file.commit()) {
        boxes.showErrorBox(QString::fromUtf8("Błąd zapisu pliku %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

QString importWithDialog(QWidget* parent, const SharedState& state, MessageBoxes& boxes,
                         StandardDialogs& dialogs, const InterchangeDialogOptions& options) {
    if (options.work != nullptr && options.work->busy())
        return {};
    const QString path = dialogs.openFileName(
        parent, QString::fromUtf8("Nagrania innych programów (*.wav *.sr *.csv)"), state.dataDir);
    ImportRequest request;
    if (path.isEmpty() || !importFormatFromName(path, request.format))
        return {};
    request.inputPath = path;
    request.rosPath =
        joinDataPath(state.dataDir, QFileInfo(path).completeBaseName() + QStringLiteral(".ros"));
    ImportResult result;
    LongWork own;
    LongWork& work = options.work != nullptr ? *options.work : own;
    const bool completed = runWithProgress(work, parent, QString::fromUtf8("Import…"), options.progressBar,
                                           [&](const WorkProgress& progress) {
                                               result = importRecording(request, progress);
                                               return result.ok;
                                           });
    if (!completed || !result.ok) {
        if (!result.ok && !result.cancelled && !result.error.isEmpty())
            boxes.showErrorBox(QString::fromUtf8("Import nie powiódł się: %1").arg(result.error));
        return {};
    }
    return request.rosPath;
}

} // namespace varnilog
