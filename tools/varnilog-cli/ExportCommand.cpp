// export: the recording as the same text file the main window exports, or as CSV, WAV or a sigrok
// session (chosen by OUT's extension or --format).
#include "CliSupport.h"

#include "recording/AudacityLabels.h"
#include "recording/CsvFormat.h"
#include "recording/InterchangeExport.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "recording/SigrokSession.h"
#include "recording/TextExport.h"
#include "recording/WavFormat.h"

#include <QLocale>

namespace varnilog::cli {

namespace {

int exportText(const QCommandLineParser& parser, SharedState& state, const QString& outPath) {
    QLocale locale;
    if (QString localeError; !localeOption(parser, locale, localeError))
        return fail(localeError, ExitUsage);
    // Through the safe writer: a failed export never leaves half a file.
    SafeFile out(outPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    RecordingInput input(state);
    TextExportSource source = textExportSourceFrom(input);
    SampleSpan span;
    if (!spanOptions(parser, parser.positionalArguments().at(0),
                     std::max<std::int64_t>(source.sampleCount, 0), span))
        return ExitUsage;
    source.firstSample = span.from;
    source.sampleCount = span.to;
    Progress progress(QStringLiteral("exporting"));
    const TextExportResult result =
        exportRecordingText(source, out, locale, [&](std::int64_t done, std::int64_t total) {
            progress.update(done, total);
            return true;
        });
    progress.finish();
    if (!result.ok)
        return fail(QStringLiteral("%1: %2").arg(outPath, result.error));
    if (!out.commit())
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    return ExitOk;
}

// The Audacity label track beside a WAV: "x.wav" -> "x.labels.txt".
QString labelsPathBeside(const QString& wavPath) {
    QString labels = wavPath;
    if (labels.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
        labels.chop(4);
    return labels + QStringLiteral(".labels.txt");
}

// The markers of [from, to) as an Audacity label track beside a WAV, its times counted from the WAV's
// first sample.
QByteArray labelsOf(const QString& rosPath, std::int64_t from, std::int64_t to, float samplingPeriodMs) {
    std::vector<Marker> inside;
    for (Marker m : readMarkerFile(markerFilePath(rosPath)).markers) {
        if (m.start < from || m.start >= to)
            continue;
        m.start -= from;
        m.end = std::min(m.end, to) - from;
        inside.push_back(m);
    }
    return encodeAudacityLabels(inside, samplingPeriodMs);
}

int exportInterchange(const QCommandLineParser& parser, SharedState& state, const QString& outPath,
                      ExportFormat format) {
    RecordingInput input(state);
    InterchangeRequest request;
    request.source = textExportSourceFrom(input);
    request.start = readRecordingHeader(state.recordingPath).values.start;
    const std::int64_t count = std::max<std::int64_t>(state.sampleCount, 0);
    SampleSpan span;
    if (!spanOptions(parser, parser.positionalArguments().at(0), count, span))
        return ExitUsage;
    request.from = span.from;
    request.to = span.to;
    if (!channelsOption(parser, request.channelMask))
        return ExitUsage;
    if (InterchangeBlocks(request).channels().empty())
        return fail(
            QStringLiteral("%1: none of the channels asked for has a sample file").arg(state.recordingPath));
    // A label track that cannot have its name must not leave the WAV behind it.
    if (QString error; format == ExportFormat::Wav && parser.isSet(QStringLiteral("labels")) &&
                       !fileNameFits(labelsPathBeside(outPath), error))
        return fail(QStringLiteral("%1: %2").arg(labelsPathBeside(outPath), error));
    SafeFile out(outPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    Progress progress(QStringLiteral("exporting"));
    const WorkProgress report = [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    };
    InterchangeResult result;
    if (format == ExportFormat::Csv)
        result = exportCsv(request, out, report);
    else if (format == ExportFormat::Wav)
        result = exportWav(request, out, report);
    else
        result = exportSigrok(request, out, report);
    progress.finish();
    if (!result.ok) {
        out.cancel();
        return fail(QStringLiteral("%1: %2").arg(outPath, result.error));
    }
    // The label track is written whole before the WAV is put in place: a failure of either leaves neither.
    SafeFile labels(labelsPathBeside(outPath));
    const bool withLabels = format == ExportFormat::Wav && parser.isSet(QStringLiteral("labels"));
    if (withLabels) {
        const QByteArray text =
            labelsOf(parser.positionalArguments().at(0), request.from, request.to, state.samplingPeriodMs);
        QString error;
        if (!labels.open(QIODevice::WriteOnly) || !writeWhole(labels, text.constData(), text.size(), error)) {
            out.cancel();
            return fail(QStringLiteral("%1: %2").arg(labels.targetPath(), labels.errorString()));
        }
    }
    if (!out.commit())
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    if (withLabels && !labels.commit())
        return fail(QStringLiteral("%1: %2").arg(labels.targetPath(), labels.errorString()));
    return ExitOk;
}

} // namespace

int runExport(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("locale"),
         QStringLiteral("Number format of .txt, e.g. pl_PL for decimal commas (default: the user's locale)."),
         QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("format"),
                      QStringLiteral("txt, csv, wav or sr (default: OUT's extension)."),
                      QStringLiteral("F")});
    addSpanOptions(parser);
    parser.addOption({QStringLiteral("labels"),
                      QStringLiteral("With .wav: also write the markers as an Audacity label track, "
                                     "OUT.labels.txt.")});
    parser.addOption({QStringLiteral("channels"),
                      QStringLiteral("Channels written, e.g. AB (csv, wav, sr; default: all with samples)."),
                      QStringLiteral("ABCD")});
    if (const int rc =
            parseCommand(parser, args,
                         QStringLiteral("Exports a recording as semicolon-separated text (.txt), CSV "
                                        "(.csv), 8-bit WAV (.wav) or a sigrok session (.sr)."),
                         2, QStringLiteral("FILE.ros OUT.{txt,csv,wav,sr}"));
        rc >= 0)
        return rc;
    const QString outPath = parser.positionalArguments().at(1);
    ExportFormat format = ExportFormat::Text;
    if (parser.isSet(QStringLiteral("format"))
            ? !exportFormatFromName(parser.value(QStringLiteral("format")), format, false)
            : !exportFormatFromName(outPath, format))
        return fail(QStringLiteral("%1: the format is none of txt, csv, wav, sr (use --format)")
                        .arg(parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format"))
                                                                    : outPath),
                    ExitUsage);
    if (format == ExportFormat::Text && parser.isSet(QStringLiteral("channels")))
        return fail(QStringLiteral("--channels applies to csv, wav and sr"), ExitUsage);
    if (format != ExportFormat::Wav && parser.isSet(QStringLiteral("labels")))
        return fail(QStringLiteral("--labels applies to wav"), ExitUsage);
    if (const QString ros = parser.positionalArguments().at(0);
        !outputAllowed(outPath, ros) ||
        (parser.isSet(QStringLiteral("labels")) && !outputAllowed(labelsPathBeside(outPath), ros)))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    QString error;
    // Without its ".rca" the text export is an empty file, as from the window; the other formats need it.
    if (!openRecording(*state, parser.positionalArguments().at(0), error,
                       format == ExportFormat::Text ? MissingSamples::Empty : MissingSamples::Refuse))
        return fail(error);
    if (format == ExportFormat::Text)
        return exportText(parser, *state, outPath);
    return exportInterchange(parser, *state, outPath, format);
}

} // namespace varnilog::cli
