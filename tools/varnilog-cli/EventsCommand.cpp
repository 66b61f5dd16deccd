// events: the trigger events of one channel of a recording, as a table, CSV or JSON.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "analysis/EventSearch.h"
#include "analysis/TriggerSpec.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "view/ElapsedTime.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace varnilog::cli {

namespace {

enum class EventsFormat { Table, Csv, Json };

struct EventsRequest {
    QString path;
    TriggerSpec triggerSpec;
    std::int64_t max = -1; // events listed at most, -1 all
    EventsFormat format = EventsFormat::Table;
};

// The flags that say the trigger one by one, where --trigger says it in one text.
constexpr const char* kTriggerFlags[] = {"channel",     "edge",        "level",  "hysteresis",
                                         "width-below", "width-above", "holdoff"};

QString hysteresisHelp() {
    return QStringLiteral("Hysteresis in divisions, 0 to 1 (default %1).").arg(kDefaultHysteresisDivisions);
}

constexpr CliOption kEventsOptions[] = {
    {"trigger", "CH,EDGE,V[,...]",
     "The whole trigger as record --trigger takes it, instead of the flags below."},
    {"channel", "C", "Source channel A..D (one with a sample file)."},
    {"edge", "EDGE", "rising or falling."},
    {"level", "V", "Trigger level in volts."},
    {"hysteresis", "DIV", hysteresisHelp},
    {"width-below", "N", "Only pulses shorter than N samples."},
    {"width-above", "N", "Only pulses longer than N samples."},
    {"holdoff", "N", "Samples after a counted event in which no event counts (default 0)."},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"max", "K", "Stop after K events."},
    {"json", nullptr, "Print the events as JSON."},
    {"csv", nullptr, "Print the events as semicolon-separated lines."},
};

constexpr CliCommand kEvents{
    "events",
    "Lists the trigger events of a channel: sample index, interpolated position, time and pulse width.",
    1,
    "FILE.ros",
    "ros",
    kEventsOptions};

// A number option that was given; false (reported) when it is no finite number.
bool numberFlag(const QCommandLineParser& parser, const char* name, double& value) {
    bool ok = false;
    value = parser.value(QString::fromLatin1(name)).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        fail(QStringLiteral("--%1: expected a number").arg(QString::fromLatin1(name)), ExitUsage);
        return false;
    }
    return true;
}

// The trigger from the flags; false (reported) when one is missing or not valid.
bool triggerFromFlags(const QCommandLineParser& parser, TriggerSpec& triggerSpec) {
    const auto isSet = [&](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    const std::optional<int> channel = channelFromLetter(parser.value(QStringLiteral("channel")));
    const std::optional<TriggerEdge> edge = triggerEdgeFromName(parser.value(QStringLiteral("edge")));
    if (!channel)
        return usage(QStringLiteral("--channel: expected %1").arg(channelLetterExpectation(false)));
    if (!edge)
        return usage(QStringLiteral("--edge: expected rising or falling"));
    if (!isSet("level"))
        return usage(QStringLiteral("--level: a trigger level in volts is required"));
    if (isSet("width-below") && isSet("width-above"))
        return usage(QStringLiteral("--width-below and --width-above exclude each other"));
    triggerSpec.source = *channel;
    triggerSpec.edge = *edge;
    if (!numberFlag(parser, "level", triggerSpec.levelVolts) ||
        (isSet("hysteresis") && !numberFlag(parser, "hysteresis", triggerSpec.hysteresisDivisions)) ||
        !intOption(parser, QStringLiteral("holdoff"), 0, INT64_MAX, triggerSpec.holdoff))
        return false;
    for (const auto& [name, condition] :
         {std::pair{"width-below", WidthCondition::Below}, std::pair{"width-above", WidthCondition::Above}})
        if (isSet(name)) {
            triggerSpec.width = condition;
            if (!numberFlag(parser, name, triggerSpec.widthLimit))
                return false;
        }
    const TriggerCheck check = checkTriggerSpec(triggerSpec);
    if (check.ok())
        return true;
    const char* flag = check.problem == TriggerProblem::Hysteresis ? "hysteresis"
                       : check.problem == TriggerProblem::Width
                           ? (triggerSpec.width == WidthCondition::Below ? "width-below" : "width-above")
                       : check.problem == TriggerProblem::Holdoff ? "holdoff"
                                                                  : "level";
    return usage(QStringLiteral("--%1: %2").arg(QString::fromLatin1(flag), check.text));
}

// The request from the options; false when they are not valid (reported).
bool parseEventsRequest(const QCommandLineParser& parser, EventsRequest& request) {
    if (parser.isSet(QStringLiteral("json")) && parser.isSet(QStringLiteral("csv")))
        return usage(QStringLiteral("--json and --csv exclude each other"));
    request.format = parser.isSet(QStringLiteral("json"))  ? EventsFormat::Json
                     : parser.isSet(QStringLiteral("csv")) ? EventsFormat::Csv
                                                           : EventsFormat::Table;
    request.path = parser.positionalArguments().at(0);
    if (!intOption(parser, QStringLiteral("max"), 0, INT64_MAX, request.max))
        return false;
    if (!parser.isSet(QStringLiteral("trigger")))
        return triggerFromFlags(parser, request.triggerSpec);
    for (const char* flag : kTriggerFlags)
        if (parser.isSet(QString::fromLatin1(flag)))
            return usage(
                QStringLiteral("--trigger and --%1 exclude each other").arg(QString::fromLatin1(flag)));
    TriggerCheck check;
    const std::optional<TriggerSpec> triggerSpec =
        parseTriggerSpec(parser.value(QStringLiteral("trigger")), check);
    if (!triggerSpec)
        return usage(QStringLiteral("--trigger: ") + check.text);
    request.triggerSpec = *triggerSpec;
    return true;
}

QByteArray widthText(const TriggerEvent& e) {
    return e.hasWidth ? jsonNumber(e.width) : QByteArray();
}

QByteArray formatEvents(const EventsRequest& request, const std::vector<TriggerEvent>& events,
                        float samplingPeriodMs) {
    const QByteArray letter = QByteArray(1, static_cast<char>('A' + request.triggerSpec.source));
    const auto timeOf = [&](const TriggerEvent& e) {
        return sampleTimeText(e.sample, samplingPeriodMs).toLatin1();
    };
    QByteArray out;
    if (request.format == EventsFormat::Json) {
        out = "{\"recording\": " + jsonString(request.path) + ", \"channel\": \"" + letter +
              "\", \"events\": [";
        for (std::size_t i = 0; i < events.size(); ++i) {
            const TriggerEvent& e = events[i];
            out += (i ? ", " : "") + QByteArray("{\"sample\": ") + QByteArray::number(e.sample) +
                   ", \"position\": " + jsonNumber(e.position) +
                   ", \"width\": " + (e.hasWidth ? jsonNumber(e.width) : QByteArray("null")) + "}";
        }
        return out + "], \"count\": " + QByteArray::number(static_cast<qsizetype>(events.size())) + "}\n";
    }
    if (request.format == EventsFormat::Csv) {
        out = "sample;position;time;width\n";
        for (const TriggerEvent& e : events)
            out += QByteArray::number(e.sample) + ';' + jsonNumber(e.position) + ';' + timeOf(e) + ';' +
                   widthText(e) + '\n';
        return out;
    }
    out =
        printed(QStringLiteral("Recording: %1\nChannel %2, %3 at %4 V: %5 events\n")
                    .arg(request.path, QString::fromLatin1(letter), triggerEdgeName(request.triggerSpec.edge))
                    .arg(request.triggerSpec.levelVolts)
                    .arg(events.size()));
    const bool widths = request.triggerSpec.width != WidthCondition::None;
    out += QStringLiteral("%1 %2 ")
               .arg(QStringLiteral("sample"), -12)
               .arg(QStringLiteral("position"), -18)
               .toLatin1() +
           (widths ? "time             width\n" : "time\n");
    for (const TriggerEvent& e : events)
        out += QStringLiteral("%1 %2 ")
                   .arg(e.sample, -12)
                   .arg(QString::fromLatin1(jsonNumber(e.position)), -18)
                   .toLatin1() +
               (widths ? timeOf(e) + "   " + widthText(e) : timeOf(e)) + '\n';
    return out;
}

} // namespace

int runEvents(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kEvents); rc >= 0)
        return rc;
    EventsRequest request;
    if (!parseEventsRequest(parser, request))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, request.path, error))
        return fail(error);
    const auto channel = static_cast<std::size_t>(request.triggerSpec.source);
    const QString samplePath =
        siblingPath(request.path, QString::fromLatin1(kRecordingSampleExtensions[channel]));
    const bool text = parser.isSet(QStringLiteral("trigger"));
    const FileIdentity sampleFile = identityOf(samplePath);
    if (!sampleFile.regular)
        return fail(QStringLiteral("%1: the recording has no channel %2")
                        .arg(text ? QStringLiteral("--trigger") : QStringLiteral("--channel"))
                        .arg(channelLetter(request.triggerSpec.source)),
                    ExitUsage);
    const std::uint8_t sensitivity = state->channelSensitivity[channel];
    if (const TriggerCheck check = checkTriggerLevel(request.triggerSpec, sensitivity); !check.ok())
        return fail((text ? QStringLiteral("--trigger: ") : QStringLiteral("--level: ")) + check.text,
                    ExitUsage);
    SampleSpan span;
    if (!spanOptions(parser, request.path, sampleFile.size, span))
        return ExitUsage;

    EventSearch search(samplePath, triggerSettingsOf(request.triggerSpec, sensitivity), span.from, span.to);
    if (CoreError openError; !search.open(openError))
        return fail(coreMessage(openError));
    std::vector<TriggerEvent> events;
    const auto wanted = [&] {
        return request.max < 0 || static_cast<std::int64_t>(events.size()) < request.max;
    };
    Progress progress(QStringLiteral("Searching"));
    const EventSearch::Outcome outcome = search.forEach(
        [&](const TriggerEvent& e) {
            if (wanted())
                events.push_back(e);
        },
        [&](std::int64_t done, std::int64_t total) {
            progress.update(done, total);
            return wanted();
        });
    progress.finish();
    if (outcome == EventSearch::Outcome::ReadFailed)
        return fail(QStringLiteral("%1: read error").arg(samplePath));
    const QByteArray out = formatEvents(request, events, state->samplingPeriodMs);
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
