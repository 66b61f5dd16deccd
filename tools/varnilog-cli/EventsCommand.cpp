// events: the trigger events of one channel of a recording, as a table, CSV or JSON.
#include "CliSupport.h"

#include "analysis/EventSearch.h"
#include "recording/RecordingFileSet.h"
#include "view/ElapsedTime.h"

#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace varnilog::cli {

namespace {

bool doubleOption(const QCommandLineParser& parser, const QString& name, double lo, double hi,
                  double& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const double v = parser.value(name).toDouble(&ok);
    if (!ok || !(v >= lo && v <= hi)) {
        fail(QStringLiteral("--%1: expected a number from %2 to %3").arg(name).arg(lo).arg(hi), ExitUsage);
        return false;
    }
    value = v;
    return true;
}

QByteArray widthText(const TriggerEvent& e) {
    return e.hasWidth ? jsonNumber(e.width) : QByteArray();
}

} // namespace

int runEvents(const QStringList& args) {
    QCommandLineParser parser;
    const auto option = [&](const char* name, const char* text, const char* value = nullptr) {
        if (value)
            parser.addOption(
                {QString::fromLatin1(name), QString::fromLatin1(text), QString::fromLatin1(value)});
        else
            parser.addOption({QString::fromLatin1(name), QString::fromLatin1(text)});
    };
    option("channel", "Source channel A..D (one with a sample file).", "C");
    option("edge", "rising or falling.", "EDGE");
    option("level", "Trigger level in volts.", "V");
    option("hysteresis", "Hysteresis in divisions, 0 to 1 (default 0.1).", "DIV");
    option("width-below", "Only pulses shorter than N samples.", "N");
    option("width-above", "Only pulses longer than N samples.", "N");
    option("holdoff", "Samples after a counted event in which no event counts (default 0).", "N");
    addSpanOptions(parser);
    option("max", "Stop after K events.", "K");
    option("json", "Print the events as JSON.");
    option("csv", "Print the events as semicolon-separated lines.");
    if (const int rc = parseCommand(parser, args,
                                    QStringLiteral("Lists the trigger events of a channel: sample index, "
                                                   "interpolated position, time and pulse width."),
                                    1, QStringLiteral("FILE.ros"));
        rc >= 0)
        return rc;
    const QString channelText = parser.value(QStringLiteral("channel")).toUpper();
    const QString edgeText = parser.value(QStringLiteral("edge"));
    if (channelText.size() != 1 || channelText[0] < QChar('A') || channelText[0] > QChar('D'))
        return fail(QStringLiteral("--channel: expected a letter from A to D"), ExitUsage);
    if (edgeText != QLatin1String("rising") && edgeText != QLatin1String("falling"))
        return fail(QStringLiteral("--edge: expected rising or falling"), ExitUsage);
    if (!parser.isSet(QStringLiteral("level")))
        return fail(QStringLiteral("--level: a trigger level in volts is required"), ExitUsage);
    if (parser.isSet(QStringLiteral("width-below")) && parser.isSet(QStringLiteral("width-above")))
        return fail(QStringLiteral("--width-below and --width-above exclude each other"), ExitUsage);
    if (parser.isSet(QStringLiteral("json")) && parser.isSet(QStringLiteral("csv")))
        return fail(QStringLiteral("--json and --csv exclude each other"), ExitUsage);
    const int channel = channelText[0].unicode() - 'A';

    double volts = 0, hysteresis = 0.1, below = 0, above = 0;
    std::int64_t holdoff = 0, max = -1;
    if (!doubleOption(parser, QStringLiteral("level"), -1e6, 1e6, volts) ||
        !doubleOption(parser, QStringLiteral("hysteresis"), 0, 1, hysteresis) ||
        !doubleOption(parser, QStringLiteral("width-below"), 0, 1e18, below) ||
        !doubleOption(parser, QStringLiteral("width-above"), 0, 1e18, above) ||
        !intOption(parser, QStringLiteral("holdoff"), 0, INT64_MAX, holdoff) ||
        !intOption(parser, QStringLiteral("max"), 0, INT64_MAX, max))
        return ExitUsage;

    const QString path = parser.positionalArguments().at(0);
    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, path, error))
        return fail(error);
    const QString samplePath =
        siblingPath(path, QString::fromLatin1(kRecordingSampleExtensions[static_cast<std::size_t>(channel)]));
    if (!QFileInfo(samplePath).isFile())
        return fail(QStringLiteral("--channel: the recording has no channel %1").arg(channelText), ExitUsage);
    const std::uint8_t sensitivity = state->channelSensitivity[static_cast<std::size_t>(channel)];
    if (!triggerLevelInRange(volts, sensitivity))
        return fail(QStringLiteral("--level: %1 V is outside channel %2's range").arg(volts).arg(channelText),
                    ExitUsage);
    const std::int64_t length = QFileInfo(samplePath).size();
    SampleSpan span;
    if (!spanOptions(parser, path, length, span))
        return ExitUsage;

    TriggerSettings settings;
    settings.edge = edgeText == QLatin1String("rising") ? TriggerEdge::Rising : TriggerEdge::Falling;
    settings.level = triggerLevelCode(volts, sensitivity);
    settings.hysteresis = triggerHysteresisCodes(hysteresis);
    settings.holdoff = holdoff;
    if (parser.isSet(QStringLiteral("width-below"))) {
        settings.width = WidthCondition::Below;
        settings.widthLimit = below;
    } else if (parser.isSet(QStringLiteral("width-above"))) {
        settings.width = WidthCondition::Above;
        settings.widthLimit = above;
    }

    EventSearch search(samplePath, settings, span.from, span.to);
    if (!search.open(error))
        return fail(error);
    std::vector<TriggerEvent> events;
    Progress progress(QStringLiteral("Searching"));
    const EventSearch::Outcome outcome = search.forEach(
        [&](const TriggerEvent& e) {
            if (max < 0 || static_cast<std::int64_t>(events.size()) < max)
                events.push_back(e);
        },
        [&](std::int64_t done, std::int64_t total) {
            progress.update(done, total);
            return max < 0 || static_cast<std::int64_t>(events.size()) < max;
        });
    progress.finish();
    if (outcome == EventSearch::Outcome::ReadFailed)
        return fail(QStringLiteral("%1: read error").arg(samplePath));

    const auto timeOf = [&](const TriggerEvent& e) {
        return formatElapsedTime(static_cast<float>(e.sample) * state->samplingPeriodMs).toLatin1();
    };
    QByteArray out;
    if (parser.isSet(QStringLiteral("json"))) {
        out = "{\"recording\": " + jsonString(path) + ", \"channel\": \"" + channelText.toLatin1() +
              "\", \"events\": [";
        for (std::size_t i = 0; i < events.size(); ++i) {
            const TriggerEvent& e = events[i];
            out += (i ? ", " : "") + QByteArray("{\"sample\": ") + QByteArray::number(e.sample) +
                   ", \"position\": " + jsonNumber(e.position) +
                   ", \"width\": " + (e.hasWidth ? jsonNumber(e.width) : QByteArray("null")) + "}";
        }
        out += "], \"count\": " + QByteArray::number(static_cast<qsizetype>(events.size())) + "}\n";
    } else if (parser.isSet(QStringLiteral("csv"))) {
        out = "sample;position;time;width\n";
        for (const TriggerEvent& e : events)
            out += QByteArray::number(e.sample) + ';' + jsonNumber(e.position) + ';' + timeOf(e) + ';' +
                   widthText(e) + '\n';
    } else {
        out = QStringLiteral("Recording: %1\nChannel %2, %3 at %4 V: %5 events\n")
                  .arg(path, channelText, edgeText)
                  .arg(volts)
                  .arg(events.size())
                  .toUtf8();
        const bool widths = settings.width != WidthCondition::None;
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
    }
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
