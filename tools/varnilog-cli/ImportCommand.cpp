// import: a recording set made from another program's WAV, sigrok session or CSV capture.
#include "CliSupport.h"

#include "recording/RecordingImport.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

#include <cstdio>

namespace varnilog::cli {

namespace {

// --sens auto, or A=I,B=I...: false (reported) for anything else.
bool sensitivityOption(const QCommandLineParser& parser, ImportRequest& request) {
    const QString name = QStringLiteral("sens");
    if (!parser.isSet(name))
        return true;
    const QString value = parser.value(name).trimmed();
    if (value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
        request.autoSensitivity = true;
        return true;
    }
    for (const QString& part : value.split(QLatin1Char(','))) {
        const QStringList kv = part.split(QLatin1Char('='));
        bool ok = false;
        const int index = kv.size() == 2 ? kv[1].trimmed().toInt(&ok) : 0;
        const int c =
            kv.size() == 2 && kv[0].trimmed().size() == 1 ? kv[0].trimmed().toUpper()[0].unicode() - 'A' : -1;
        if (!ok || c < 0 || c >= kChannels || index < 1 || index > kSensitivityCount) {
            fail(QStringLiteral("--sens: expected auto or A=I,B=I... with I from 1 to %1")
                     .arg(kSensitivityCount),
                 ExitUsage);
            return false;
        }
        request.sensitivity[c] = static_cast<std::uint8_t>(index);
    }
    return true;
}

// The request from the options; false when they are not valid (reported).
bool parseImportRequest(const QCommandLineParser& parser, ImportRequest& request) {
    request.inputPath = parser.positionalArguments().at(0);
    request.rosPath = parser.positionalArguments().at(1);
    const QString sep = QStringLiteral(", ");
    const InterchangeFormat* format =
        parser.isSet(QStringLiteral("format"))
            ? interchangeFormatFromName(parser.value(QStringLiteral("format")), false, true)
            : interchangeFormatFromName(request.inputPath, true, true);
    if (format == nullptr)
        return usage(QStringLiteral("%1: the format is none of %2 (use --format)")
                         .arg(request.inputPath, interchangeFormatNames(true, sep, sep)));
    request.format = format->id;
    if (QFileInfo(request.rosPath).suffix().toLower() != QLatin1String("ros"))
        return usage(QStringLiteral("%1: the new recording's name must end in .ros").arg(request.rosPath));
    std::int64_t timeBase = 0;
    if (!intOption(parser, QStringLiteral("time-base"), 1, kTimeBaseCount, timeBase) ||
        !sensitivityOption(parser, request))
        return false;
    request.timeBase = static_cast<int>(timeBase);
    return true;
}

// One line: the new set's length, time base and each channel's sensitivity (and what was clipped).
void printImported(const ImportRequest& request, const ImportResult& result) {
    QStringList channels;
    for (int c = 0; c < result.channels; ++c)
        channels << QStringLiteral("%1 at %2/div%3")
                        .arg(QChar(channelName[c]))
                        .arg(voltLabel(result.sensitivity[c], 6))
                        .arg(result.clipped[c] > 0
                                 ? QStringLiteral(" (%1 samples clipped)").arg(result.clipped[c])
                                 : QString());
    std::printf("%s: %lld samples at time base %d (%s), %s\n", printed(request.rosPath).constData(),
                static_cast<long long>(result.samples), result.timeBase,
                printed(timeBaseCaption(result.timeBase)).constData(),
                printed(channels.join(QStringLiteral(", "))).constData());
}

QString formatHelp() {
    return QStringLiteral("%1 (default: IN's extension).")
        .arg(interchangeFormatNames(true, QStringLiteral(", "), QStringLiteral(" or ")));
}

QString importArguments() {
    return QStringLiteral("IN.{%1} OUT.ros")
        .arg(interchangeFormatNames(true, QStringLiteral(","), QStringLiteral(",")));
}

constexpr CliOption kImportOptions[] = {
    {"time-base", "I", "Time base index 1..22 to use whatever the file's sample rate."},
    {"sens", "A=I,B=I|auto",
     "Sensitivity index per channel (A=4,B=10) or auto (the most sensitive that clips nothing; default for "
     "volts; 8-bit WAV keeps its codes)."},
    {"format", "F", formatHelp},
};

constexpr CliCommand kImport{"import",
                             "Makes a recording set from a WAV file, a sigrok session or a CSV file (a time "
                             "column and 1 to 4 value columns).",
                             2,
                             importArguments,
                             "wav sr csv ros",
                             kImportOptions};

} // namespace

int runImport(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kImport); rc >= 0)
        return rc;
    ImportRequest request;
    if (!parseImportRequest(parser, request))
        return ExitUsage;
    Progress progress(QStringLiteral("importing"));
    const ImportResult result = importRecording(request, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!result.ok)
        return fail(coreMessage(result.error) + (result.error.kind == CoreErrorKind::NoTimeBase
                                                     ? QStringLiteral(" (--time-base forces one)")
                                                     : QString()));
    printImported(request, result);
    return ExitOk;
}

} // namespace varnilog::cli
