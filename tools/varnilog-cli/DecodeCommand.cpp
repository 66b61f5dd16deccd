// decode: a span of a recording through a stack of libsigrokdecode's protocol decoders, each
// decoder channel reading a recording channel through a threshold; the annotations as lines, CSV or
// JSON, printed as the decoders give them.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "decode/AnnotationExport.h"
#include "decode/AnnotationMarkers.h"
#include "decode/DecodeResultsFile.h"
#include "decode/RecordingDecode.h"
#include "recording/FileIdentity.h"
#include "recording/InterchangeExport.h"
#include "recording/RecordingFileSet.h"
#include "view/ElapsedTime.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace varnilog::cli {

namespace {

enum class DecodeFormat { Lines, Csv, Json };

constexpr CliOption kDecodeOptions[] = {
    {"decoder", "ID[:OPTION=VALUE...]",
     "The decoder reading the channels, with its options ('decoders' lists them)."},
    {"channel", "DCH=A[,DCH=B...]", "The recording channel each decoder channel reads."},
    {"stack", "ID[:OPTION=VALUE...]", "A decoder on top of the one before (repeatable, bottom first)."},
    {"threshold", "A=VOLTS[:HYST]",
     "Logic level of a channel and its hysteresis in divisions, 0 to 1 (default: the middle of the "
     "channel's codes, 0.1; repeatable)."},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"class", "CLASS,...", "Only annotations of these classes."},
    {"limit", "K", "Stop after K annotations."},
    {"json", nullptr, "Print the annotations as JSON."},
    {"csv", nullptr, "Print the annotations as semicolon-separated lines."},
    {"save", nullptr,
     "Keep the settings and every annotation beside the recording (<base>.rdk), where the window "
     "shows them."},
    {"mark", nullptr, "Add every error and warning annotation to the markers (kind dekoder)."},
    {"audacity", "OUT.txt", "Also write every annotation as an Audacity label track."},
};

constexpr CliCommand kDecode{
    "decode",
    "Decodes the protocol traffic of a recording with libsigrokdecode's decoders: UART, "
    "I2C, 1-Wire, IR, PWM...",
    1,
    "FILE.ros",
    "ros",
    kDecodeOptions};

// "ID:OPTION=VALUE:..." as a decoder setting; false (reported) for an option without "=".
bool decoderSetting(const QString& flag, const QString& text, DecoderSetting& setting) {
    const QStringList parts = text.split(QLatin1Char(':'));
    setting.id = parts.first().toStdString();
    if (setting.id.empty())
        return usage(QStringLiteral("--%1: a decoder id is required").arg(flag));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype eq = parts[i].indexOf(QLatin1Char('='));
        if (eq <= 0)
            return usage(QStringLiteral("--%1: expected OPTION=VALUE, not '%2'").arg(flag, parts[i]));
        setting.options.emplace_back(parts[i].left(eq).toStdString(), parts[i].mid(eq + 1).toStdString());
    }
    return true;
}

bool thresholdOption(const QString& text, std::array<ChannelThreshold, 4>& thresholds) {
    int channel = 0;
    double volts = 0, hysteresis = 0;
    if (!channelLevelOption("threshold", text, channel, volts, hysteresis))
        return false;
    thresholds[static_cast<std::size_t>(channel)] = {volts, hysteresis};
    return true;
}

QString problemText(const DecodeProblem& p, const RecordingDecodeRequest& request) {
    const QString decoder = QString::fromStdString(p.decoder), name = QString::fromStdString(p.name),
                  allowed = QString::fromStdString(p.allowed);
    const QString flag = !request.stack.empty() && request.stack.front().id != p.decoder
                             ? QStringLiteral("--stack")
                             : QStringLiteral("--decoder");
    switch (p.kind) {
    case DecodeProblemKind::UnknownDecoder:
        return QStringLiteral("%1: no decoder '%2' (installed: %3)").arg(flag, decoder, allowed);
    case DecodeProblemKind::UnknownOption:
        return QStringLiteral("%1: %2 has no option '%3' (options: %4)").arg(flag, decoder, name, allowed);
    case DecodeProblemKind::OptionValue:
        return QStringLiteral("%1: %2 option %3: expected %4, not '%5'")
            .arg(flag, decoder, name,
                 allowed.contains(QLatin1Char(',')) ? QStringLiteral("one of ") + allowed : allowed,
                 QString::fromStdString(p.value));
    case DecodeProblemKind::UnknownChannel:
        return QStringLiteral("--channel: %1 has no channel '%2' (channels: %3)").arg(decoder, name, allowed);
    case DecodeProblemKind::MissingChannel:
        return QStringLiteral("--channel: %1 needs its channel %2").arg(decoder, name);
    case DecodeProblemKind::CannotStack:
        return QStringLiteral("%1: %2 does not stack on %3 (it takes: %4)").arg(flag, decoder, name, allowed);
    default:
        return (decoder.isEmpty() ? QString() : decoder + QStringLiteral(": ")) +
               QString::fromStdString(p.message);
    }
}

bool usageProblem(DecodeProblemKind kind) {
    return kind != DecodeProblemKind::Library && kind != DecodeProblemKind::Setup &&
           kind != DecodeProblemKind::DecoderFailed;
}

struct Printer {
    DecodeFormat format;
    float samplingPeriodMs;
    std::vector<const DecoderInfo*> decoders;
    std::int64_t count = 0;

    void put(const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    }

    void annotation(const Annotation& a) {
        const DecoderInfo& d = *decoders[static_cast<std::size_t>(a.decoder)];
        if (format == DecodeFormat::Json) {
            put((count ? ", " : "") + annotationJsonObject(a, d));
        } else if (format == DecodeFormat::Csv) {
            put(annotationCsvLine(a, d, samplingPeriodMs));
        } else {
            const std::string& cls = d.annotationClasses[static_cast<std::size_t>(a.annotationClass)].id;
            const QString text = a.texts.empty() ? QString() : QString::fromStdString(a.texts.front());
            put(printed(
                QStringLiteral("%1 %2-%3 %4 %5: %6\n")
                    .arg(sampleTimeText(static_cast<double>(a.start), samplingPeriodMs))
                    .arg(a.start)
                    .arg(a.end)
                    .arg(QString::fromStdString(d.id), QString::fromStdString(cls), printableText(text))));
        }
        ++count;
    }
};

} // namespace

int runDecode(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kDecode); rc >= 0)
        return rc;
    if (parser.isSet(QStringLiteral("json")) && parser.isSet(QStringLiteral("csv")))
        return fail(QStringLiteral("--json and --csv exclude each other"), ExitUsage);
    const QString path = parser.positionalArguments().at(0);
    RecordingDecodeRequest request;
    if (!parser.isSet(QStringLiteral("decoder")))
        return fail(QStringLiteral("--decoder: a decoder is required ('varnilog-cli decoders' lists them)"),
                    ExitUsage);
    if (!decoderSetting(QStringLiteral("decoder"), parser.value(QStringLiteral("decoder")),
                        request.stack.emplace_back()))
        return ExitUsage;
    for (const QString& text : parser.values(QStringLiteral("stack")))
        if (!decoderSetting(QStringLiteral("stack"), text, request.stack.emplace_back()))
            return ExitUsage;
    for (const QString& text : parser.values(QStringLiteral("threshold")))
        if (!thresholdOption(text, request.thresholds))
            return ExitUsage;
    for (const QString& group : parser.values(QStringLiteral("channel")))
        for (const QString& pair : group.split(QLatin1Char(','))) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            const std::optional<int> channel =
                eq > 0 ? channelFromLetter(QStringView(pair).mid(eq + 1)) : std::nullopt;
            if (!channel)
                return fail(QStringLiteral("--channel: expected DCH=%1, not '%2'")
                                .arg(channelLetterExpectation(false), pair),
                            ExitUsage);
            const std::string id = pair.left(eq).toStdString();
            if (std::any_of(request.channels.begin(), request.channels.end(),
                            [&](const auto& c) { return c.first == id; }))
                return fail(QStringLiteral("--channel: %1 is given twice").arg(pair.left(eq)), ExitUsage);
            request.channels.emplace_back(id, *channel);
        }
    std::int64_t limit = -1;
    if (!intOption(parser, QStringLiteral("limit"), 0, INT64_MAX, limit))
        return ExitUsage;
    std::set<std::string> classes;
    if (parser.isSet(QStringLiteral("class"))) {
        std::vector<std::string> known;
        bool all = true; // an unknown decoder is reported by the run, with the installed ones
        for (const DecoderSetting& s : request.stack)
            if (const DecoderInfo* d = findDecoder(s.id); (all = all && d != nullptr))
                for (const AnnotationClassInfo& a : d->annotationClasses)
                    known.push_back(a.id);
        for (const QString& c : parser.value(QStringLiteral("class")).split(QLatin1Char(','))) {
            if (all && std::find(known.begin(), known.end(), c.toStdString()) == known.end())
                return fail(QStringLiteral("--class: no class '%1' (classes: %2)")
                                .arg(c, QString::fromStdString(joinedIds(known))),
                            ExitUsage);
            classes.insert(c.toStdString());
        }
    }

    const bool save = parser.isSet(QStringLiteral("save")), mark = parser.isSet(QStringLiteral("mark"));
    const QString audacity = parser.value(QStringLiteral("audacity"));
    if (!audacity.isEmpty() && !outputAllowed(audacity, path))
        return ExitUsage;
    // What is kept is the whole run, whatever --class and --limit print.
    const bool keep = save || mark || !audacity.isEmpty();
    std::vector<Annotation> kept;

    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, path, error))
        return fail(error);
    std::int64_t count = -1;
    for (const auto& [id, channel] : request.channels) {
        const auto c = static_cast<std::size_t>(channel);
        request.sampleFiles[c] = siblingPath(path, QString::fromLatin1(kRecordingSampleExtensions[c]));
        const FileIdentity file = identityOf(request.sampleFiles[c]);
        if (!file.regular)
            return fail(
                QStringLiteral("--channel: the recording has no channel %1").arg(channelLetter(channel)),
                ExitUsage);
        count = count < 0 ? file.size : std::min(count, file.size);
        request.sensitivity[c] = state->channelSensitivity[c];
    }
    request.samplingPeriodMs = state->samplingPeriodMs;
    if (!spanOptions(parser, path, std::max<std::int64_t>(count, 0), request.span))
        return ExitUsage;

    Printer printer{parser.isSet(QStringLiteral("json"))  ? DecodeFormat::Json
                    : parser.isSet(QStringLiteral("csv")) ? DecodeFormat::Csv
                                                          : DecodeFormat::Lines,
                    state->samplingPeriodMs,
                    {}};
    bool begun = false;
    const auto begin = [&](const RecordingDecodeResult& r) {
        if (begun)
            return;
        begun = true;
        if (printer.format == DecodeFormat::Json)
            printer.put(annotationJsonOpening(path, r.sampleRateHz));
        else if (printer.format == DecodeFormat::Csv)
            printer.put(annotationCsvHeader());
    };
    RecordingDecodeResult started; // the rate for the opening, before the first annotation
    started.sampleRateHz = static_cast<std::uint64_t>(sampleRateHz(state->samplingPeriodMs));
    for (const DecoderSetting& s : request.stack)
        printer.decoders.push_back(findDecoder(s.id)); // the stack's order, as the annotations count it
    Progress progress(QStringLiteral("Decoding"));
    const RecordingDecodeResult result = decodeRecording(
        request,
        [&](const Annotation& a) {
            if (keep)
                kept.push_back(a);
            if (limit >= 0 && printer.count >= limit)
                return;
            const DecoderInfo& d = *printer.decoders[static_cast<std::size_t>(a.decoder)];
            if (!classes.empty() &&
                !classes.contains(d.annotationClasses[static_cast<std::size_t>(a.annotationClass)].id))
                return;
            begin(started);
            printer.annotation(a);
        },
        [&](std::int64_t done, std::int64_t total) {
            progress.update(done, total);
            return keep || limit < 0 || printer.count < limit;
        });
    progress.finish();
    if (result.problem.failed() && usageProblem(result.problem.kind))
        return fail(problemText(result.problem, request), ExitUsage);
    begin(result);
    if (printer.format == DecodeFormat::Json)
        printer.put(annotationJsonClosing(printer.count));
    else if (printer.format == DecodeFormat::Lines && printer.count == 0)
        printer.put("No annotations.\n");
    std::fflush(stdout);
    if (keep && result.readError.isEmpty()) {
        const DecodeResults results = decodeResultsOf(request, result, std::move(kept));
        CoreError e;
        if (save && !saveDecodeResults(path, results, e))
            return fail(coreMessage(e));
        if (int added = 0; mark) {
            if (!markDecodeProblems(path, results, added, e))
                return fail(coreMessage(e));
            std::fprintf(stderr, "%s: added %d dekoder markers\n", printed(path).constData(), added);
        }
        if (!audacity.isEmpty() && !writeAnnotations(audacity, AnnotationFormat::Audacity, results, path,
                                                     state->samplingPeriodMs, e))
            return fail(coreMessage(e));
    }
    if (result.problem.failed())
        return fail(problemText(result.problem, request));
    if (!result.readError.isEmpty())
        return fail(result.readError);
    return ExitOk;
}

} // namespace varnilog::cli
