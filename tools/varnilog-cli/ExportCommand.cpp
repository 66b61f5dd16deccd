// export: the recording as the same text file the main window exports.
#include "CliSupport.h"

#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "recording/TextExport.h"

#include <QLocale>

namespace varnilog::cli {

int runExport(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("locale"),
         QStringLiteral("Number format, e.g. pl_PL for decimal commas (default: the user's locale)."),
         QStringLiteral("NAME")});
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
    // Through the safe writer: a failed export never leaves half a file.
    SafeFile out(outPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(outPath, out.errorString()));
    Progress progress(QStringLiteral("exporting"));
    RecordingInput input(*state);
    const TextExportResult result = exportRecordingText(textExportSourceFrom(input), out, locale,
                                                        [&](std::int64_t done, std::int64_t total) {
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
