// export: the recording as the same text file the main window exports, or as CSV, WAV or a sigrok
// session (chosen by OUT's extension or --format).
#include "CliSupport.h"

#include "decode/RecordingLogic.h"

#include "recording/AudacityLabels.h"
#include "recording/FileIdentity.h"
#include "recording/InterchangeFormats.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "recording/TextExport.h"
#include "view/ScaleTables.h"

#include <QLocale>

namespace varnilog::cli {

namespace {

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

int exportRecording(const QCommandLineParser& parser, SharedState& state, const QString& outPath,
                    const InterchangeFormat& format) {
    RecordingInput input(state);
    InterchangeRequest request;
    request.source = textExportSourceFrom(input);
    if (QString localeError; !format.channelChoice && !localeOption(parser, request.locale, localeError))
        return fail(localeError, ExitUsage);
    request.start = readRecordingHeader(state.recordingPath).values.start;
    const std::int64_t count =
        std::max<std::int64_t>(format.channelChoice ? state.sampleCount : request.source.sampleCount, 0);
    SampleSpan span;
    if (!spanOptions(parser, parser.positionalArguments().at(0), count, span))
        return ExitUsage;
    request.from = span.from;
    request.to = span.to;
    if (format.channelChoice && !channelsOption(parser, request.channelMask))
        return ExitUsage;
    if (format.channelChoice && InterchangeBlocks(request).channels().empty())
        return fail(
            QStringLiteral("%1: none of the channels asked for has a sample file").arg(state.recordingPath));
    // --logic: thresholded channels beside the analog ones, named "LA".. after their source.
    std::unique_ptr<RecordingLogic> logic;
    if (parser.isSet(QStringLiteral("logic"))) {
        if (format.id != FileFormat::Sigrok)
            return fail(QStringLiteral("--logic applies to %1")
                            .arg(QString::fromLatin1(interchangeFormat(FileFormat::Sigrok).name)),
                        ExitUsage);
        std::array<QString, 4> files;
        std::array<int, 4> sensitivity{};
        std::vector<LogicInput> inputs;
        for (const QString& item :
             parser.values(QStringLiteral("logic")).join(QLatin1Char(',')).split(QLatin1Char(','))) {
            LogicInput in;
            if (!channelLevelOption("logic", item, in.channel, in.level.volts, in.level.hysteresisDivisions))
                return ExitUsage;
            const auto c = static_cast<std::size_t>(in.channel);
            files[c] = siblingPath(state.recordingPath, QString::fromLatin1(kRecordingSampleExtensions[c]));
            if (!identityOf(files[c]).regular)
                return fail(QStringLiteral("--logic: the recording has no channel %1").arg(channelName[c]),
                            ExitUsage);
            sensitivity[c] = state.channelSensitivity[c];
            in.bit = static_cast<unsigned>(inputs.size());
            inputs.push_back(in);
            request.logic.names.push_back(QByteArray("L") + channelName[c]);
        }
        if (inputs.size() > 8)
            return fail(QStringLiteral("--logic: at most 8 logic channels"), ExitUsage);
        logic = std::make_unique<RecordingLogic>(files, sensitivity, inputs);
        if (QString error; !logic->open(error))
            return fail(error);
        request.logic.fill = [&logic](std::int64_t first, std::int64_t n, std::uint8_t* bytes,
                                      QString& error) { return logic->read(first, n, bytes, error); };
    }
    ExportBeside labels;
    if (format.labels && parser.isSet(QStringLiteral("labels"))) {
        labels.path = labelsPathBeside(outPath);
        // A label track that cannot have its name must not leave the WAV behind it.
        if (QString error; !fileNameFits(labels.path, error))
            return fail(QStringLiteral("%1: %2").arg(labels.path, error));
        labels.bytes =
            labelsOf(parser.positionalArguments().at(0), request.from, request.to, state.samplingPeriodMs);
    }
    const ExportOutcome outcome = runExport(
        format, request, outPath,
        [](const std::function<bool(const WorkProgress&)>& job) {
            Progress progress(QStringLiteral("exporting"));
            const bool done = job([&](std::int64_t done, std::int64_t total) {
                progress.update(done, total);
                return true;
            });
            progress.finish();
            return done;
        },
        labels);
    if (outcome.kind != ExportOutcome::Written)
        return fail(QStringLiteral("%1: %2").arg(outcome.path, coreMessage(outcome.error)));
    return ExitOk;
}

QString formatHelp() {
    return QStringLiteral("%1 (default: OUT's extension).")
        .arg(interchangeFormatNames(false, QStringLiteral(", "), QStringLiteral(" or ")));
}

QString labelsHelp() {
    const QString sep = QStringLiteral(", ");
    return QStringLiteral("With .%1: also write the markers as an Audacity label track, OUT.labels.txt.")
        .arg(interchangeFormatNames(false, sep, sep, &InterchangeFormat::labels));
}

QString channelsHelp() {
    const QString sep = QStringLiteral(", ");
    return QStringLiteral("Channels written, e.g. AB (%1; default: all with samples).")
        .arg(interchangeFormatNames(false, sep, sep, &InterchangeFormat::channelChoice));
}

QString exportArguments() {
    return QStringLiteral("FILE.ros OUT.{%1}")
        .arg(interchangeFormatNames(false, QStringLiteral(","), QStringLiteral(",")));
}

constexpr CliOption kExportOptions[] = {
    {"locale", "NAME", "Number format of .txt, e.g. pl_PL for decimal commas (default: the user's locale)."},
    {"format", "F", formatHelp},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"labels", nullptr, labelsHelp},
    {"channels", "ABCD", channelsHelp},
    {"logic", "A=VOLTS[:HYST],...",
     "With .sr: also logic channels LA.. of these channels at these levels, hysteresis in divisions (0 to 1, "
     "default 0.1)."},
};

constexpr CliCommand kExport{"export",
                             "Exports a recording as semicolon-separated text (.txt), CSV (.csv), 8-bit WAV "
                             "(.wav) or a sigrok session (.sr).",
                             2,
                             exportArguments,
                             "ros txt csv wav sr",
                             kExportOptions};

// The format of --format or OUT's extension, with the options it allows; null when it is none or
// an option does not apply to it (reported).
const InterchangeFormat* exportFormatOf(const QCommandLineParser& parser, const QString& outPath) {
    const QString sep = QStringLiteral(", ");
    const InterchangeFormat* format =
        parser.isSet(QStringLiteral("format"))
            ? interchangeFormatFromName(parser.value(QStringLiteral("format")), false)
            : interchangeFormatFromName(outPath);
    if (format == nullptr)
        usage(QStringLiteral("%1: the format is none of %2 (use --format)")
                  .arg(parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format"))
                                                              : outPath,
                       interchangeFormatNames(false, sep, sep)));
    else if (!format->channelChoice && parser.isSet(QStringLiteral("channels")))
        usage(QStringLiteral("--channels applies to %1")
                  .arg(interchangeFormatNames(false, sep, QStringLiteral(" and "),
                                              &InterchangeFormat::channelChoice)));
    else if (!format->labels && parser.isSet(QStringLiteral("labels")))
        usage(QStringLiteral("--labels applies to %1")
                  .arg(interchangeFormatNames(false, sep, QStringLiteral(" and "),
                                              &InterchangeFormat::labels)));
    else
        return format;
    return nullptr;
}

} // namespace

int runExport(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kExport); rc >= 0)
        return rc;
    const QString outPath = parser.positionalArguments().at(1);
    const InterchangeFormat* format = exportFormatOf(parser, outPath);
    if (format == nullptr)
        return ExitUsage;
    if (const QString ros = parser.positionalArguments().at(0);
        !outputAllowed(outPath, ros) ||
        (parser.isSet(QStringLiteral("labels")) && !outputAllowed(labelsPathBeside(outPath), ros)))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    QString error;
    // Without its ".rca" the text export is an empty file, as from the window; the other formats need it.
    if (!openRecording(*state, parser.positionalArguments().at(0), error,
                       !format->channelChoice ? MissingSamples::Empty : MissingSamples::Refuse))
        return fail(error);
    return exportRecording(parser, *state, outPath, *format);
}

} // namespace varnilog::cli
