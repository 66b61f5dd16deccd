// export: the recording as the same text file the main window exports.
#include "CliSupport.h"

#include "recording/RecordingInput.h"
#include "recording/TextExport.h"

#include <QLocale>
#include <QSaveFile>

#include <algorithm>

namespace varnilog::cli {

namespace {

// --from/--to and --from-marker/--to-marker narrow the export to [from, to): -1 when they hold (or are
// absent), else the exit code of a span outside the recording or an empty one (already reported).
int exportSpanOptions(const QCommandLineParser& parser, const QString& rosPath, TextExportSource& source) {
    const std::int64_t count = std::max<std::int64_t>(source.sampleCount, 0);
    std::int64_t from = 0, to = count;
    if (!intOption(parser, QStringLiteral("from"), 0, count, from) ||
        !intOption(parser, QStringLiteral("to"), 0, count, to) ||
        !markerSpanOptions(parser, rosPath, count, from, to))
        return ExitUsage;
    bool narrowed = false;
    for (const char* name : {"from", "to", "from-marker", "to-marker"})
        narrowed = narrowed || parser.isSet(QString::fromLatin1(name));
    if (narrowed && from >= to)
        return fail(QStringLiteral("the span [%1, %2) is empty").arg(from).arg(to), ExitUsage);
    source.firstSample = from;
    source.sampleCount = to;
    return -1;
}

} // namespace

int runExport(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("locale"),
         QStringLiteral("Number format, e.g. pl_PL for decimal commas (default: the user's locale)."),
         QStringLiteral("NAME")});
    // The span of samples [from, to) (default: the whole recording).
    parser.addOption(
        {QStringLiteral("from"), QStringLiteral("First sample exported (default 0)."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("to"),
                      QStringLiteral("One past the last sample exported (default: the end)."),
                      QStringLiteral("M")});
    addMarkerSpanOptions(parser);
    if (const int rc =
            parseCommand(parser, args, QStringLiteral("Exports a recording as semicolon-separated text."), 2,
                         QStringLiteral("FILE.ros OUT.txt"));
        rc >= 0)
        return rc;
    QLocale locale;
    if (QString localeError; !localeOption(parser, locale, localeError))
        return fail(localeError, ExitUsage);
    auto state = std::make_unique<SharedState>();
    QString error;
    // Without its ".rca" the export is an empty file, as from the window.
    if (!openRecording(*state, parser.positionalArguments().at(0), error, MissingSamples::Empty))
        return fail(error);
    const QString outPath = parser.positionalArguments().at(1);
    // Written beside the target and renamed into place: a failed export never leaves half a file.
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    Progress progress(QStringLiteral("exporting"));
    RecordingInput input(*state);
    TextExportSource source = textExportSourceFrom(input);
    if (const int rc = exportSpanOptions(parser, parser.positionalArguments().at(0), source); rc >= 0)
        return rc;
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

} // namespace varnilog::cli
