#include "recording/InterchangeFormats.h"

#include "recording/CsvFormat.h"
#include "recording/SafeFile.h"
#include "recording/SigrokSession.h"
#include "recording/TextExport.h"
#include "recording/WavFormat.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace varnilog {

namespace {

// The seed's text file, in the request's locale and span.
InterchangeResult exportText(const InterchangeRequest& request, QIODevice& out,
                             const WorkProgress& progress) {
    TextExportSource source = request.source;
    source.limitTo(request.from, request.to);
    const TextExportResult text = exportRecordingText(source, out, request.locale, progress);
    InterchangeResult result;
    result.ok = text.ok;
    result.cancelled = text.cancelled;
    result.error = text.error;
    return result;
}

InterchangeResult exportCsvFile(const InterchangeRequest& request, QIODevice& out,
                                const WorkProgress& progress) {
    return exportCsv(request, out, progress);
}
InterchangeResult exportWavFile(const InterchangeRequest& request, QIODevice& out,
                                const WorkProgress& progress) {
    return exportWav(request, out, progress);
}
InterchangeResult exportSigrokFile(const InterchangeRequest& request, QIODevice& out,
                                   const WorkProgress& progress) {
    return exportSigrok(request, out, progress);
}

const std::array<InterchangeFormat, 4> kFormats{{
    {FileFormat::Text, "txt", QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Pliki tekstowe (*.txt)"),
     exportText, nullptr, false, false, 3},
    {FileFormat::Csv, "csv", QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Plik CSV (*.csv)"),
     exportCsvFile, makeCsvReader, true, false, 2},
    {FileFormat::Wav, "wav", QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Plik WAV (*.wav)"),
     exportWavFile, makeWavReader, true, true, 0},
    {FileFormat::Sigrok, "sr", QT_TRANSLATE_NOOP("varnilog::InterchangeDialogs", "Sesja sigrok (*.sr)"),
     exportSigrokFile, makeSigrokReader, true, false, 1},
}};

} // namespace

std::span<const InterchangeFormat> interchangeFormats() {
    return kFormats;
}

const InterchangeFormat& interchangeFormat(FileFormat id) {
    return *std::find_if(kFormats.begin(), kFormats.end(), [id](const auto& f) { return f.id == id; });
}

const InterchangeFormat* interchangeFormatFromName(const QString& nameOrPath, bool isPath, bool importing) {
    const QString name = (isPath ? QFileInfo(nameOrPath).suffix() : nameOrPath).toLower();
    for (const InterchangeFormat& f : kFormats)
        if (name == QLatin1String(f.name) && (!importing || f.reader != nullptr))
            return &f;
    return nullptr;
}

std::vector<const InterchangeFormat*> dialogFormats(bool importing) {
    std::vector<const InterchangeFormat*> formats;
    for (const InterchangeFormat& f : kFormats)
        if (!importing || f.reader != nullptr)
            formats.push_back(&f);
    std::sort(formats.begin(), formats.end(),
              [](const auto* a, const auto* b) { return a->dialogPosition < b->dialogPosition; });
    return formats;
}

QString interchangeFormatNames(bool importing, const QString& separator, const QString& last,
                               bool InterchangeFormat::*where) {
    QStringList names;
    const auto add = [&](const InterchangeFormat& f) {
        if (where == nullptr || f.*where)
            names << QLatin1String(f.name);
    };
    if (importing)
        for (const InterchangeFormat* f : dialogFormats(true))
            add(*f);
    else
        for (const InterchangeFormat& f : kFormats)
            add(f);
    if (names.size() < 2)
        return names.join(separator);
    const QString end = names.takeLast();
    return names.join(separator) + last + end;
}

QString importPatterns() {
    QStringList patterns;
    for (const InterchangeFormat* f : dialogFormats(true))
        patterns << QStringLiteral("*.") + QLatin1String(f->name);
    return patterns.join(QLatin1Char(' '));
}

ExportOutcome runExport(const InterchangeFormat& format, const InterchangeRequest& request,
                        const QString& path, const ExportRunner& run, const ExportBeside& beside) {
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {ExportOutcome::OpenFailed, path, CoreError::worded(file.errorString())};
    InterchangeResult result;
    const bool completed = run([&](const WorkProgress& progress) {
        result = format.exporter(request, file, progress);
        return result.ok;
    });
    if (!completed && result.ok) { // cancelled after the last block (or never started): still no file
        result.ok = false;
        result.cancelled = true;
    }
    if (!result.ok) {
        file.cancel();
        return result.cancelled ? ExportOutcome{ExportOutcome::Cancelled, path, {}}
                                : ExportOutcome{ExportOutcome::WriteFailed, path, result.error};
    }
    // What goes beside is written whole before the export is put in place: a failure leaves neither.
    SafeFile besideFile(beside.path);
    CoreError error;
    if (!beside.path.isEmpty() &&
        (!besideFile.open(QIODevice::WriteOnly) ||
         !writeWhole(besideFile, beside.bytes.constData(), beside.bytes.size(), error))) {
        file.cancel();
        return {ExportOutcome::WriteFailed, beside.path, CoreError::worded(besideFile.errorString())};
    }
    std::vector<SafeFile*> set{&file};
    if (!beside.path.isEmpty())
        set.push_back(&besideFile);
    if (const SafeFile* failed = SafeFile::commitTogether(set))
        return {ExportOutcome::WriteFailed, failed->targetPath(), CoreError::worded(failed->errorString())};
    return {ExportOutcome::Written, path, {}};
}

} // namespace varnilog
