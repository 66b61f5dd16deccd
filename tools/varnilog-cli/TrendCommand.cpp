// trend: one measurement of one channel per interval or per period over a span, its statistics and
// the runs beyond limits, as a summary, JSON or CSV; --mark saves the runs as markers.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "analysis/Trend.h"
#include "recording/MarkerFile.h"
#include "view/ElapsedTime.h"

#include <cmath>
#include <cstdio>

namespace varnilog::cli {

namespace {

constexpr CliOption kTrendOptions[] = {
    {"channel", "C", "Channel A..D (one with a sample file)."},
    {"measure", "Q", "max, min, pkpk, mean, rms, acrms, frequency, period, duty, rise or fall."},
    {"interval", "N", "One point per N samples (N >= 2)."},
    {"per-period", nullptr, "One point per full period (period, frequency, duty, max, min)."},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"above", "X", "Report the runs of points above X (units of the measurement)."},
    {"below", "Y", "Report the runs of points below Y."},
    {"mark", nullptr, "Add each run beyond a limit to the recording's markers."},
    {"json", nullptr, "Print the trend as JSON."},
    {"csv", nullptr, "Print the points as semicolon-separated lines."},
};

constexpr CliCommand kTrend{
    "trend",
    "Follows a measurement of a channel over a recording, per interval of samples or per "
    "period: its points, statistics and the runs beyond limits.",
    1,
    "FILE.ros",
    "ros",
    kTrendOptions};

enum class TrendFormat { Text, Json, Csv };

struct TrendOptions {
    QString path;
    int channel = 0;
    std::size_t measure = 0;
    std::int64_t interval = 0; // 0: per period
    TrendLimits limits;
    TrendFormat format = TrendFormat::Text;
};

// A limit that was given; false (reported) when it is no finite number.
bool limitOption(const QCommandLineParser& parser, const char* name, std::optional<double>& limit) {
    const QString key = QString::fromLatin1(name);
    if (!parser.isSet(key))
        return true;
    bool ok = false;
    const double value = parser.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return usage(QStringLiteral("--%1: expected a number").arg(key));
    limit = value;
    return true;
}

bool parseTrendOptions(const QCommandLineParser& parser, TrendOptions& options) {
    const auto isSet = [&](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    if (isSet("json") && isSet("csv"))
        return usage(QStringLiteral("--json and --csv exclude each other"));
    options.format = isSet("json") ? TrendFormat::Json : isSet("csv") ? TrendFormat::Csv : TrendFormat::Text;
    options.path = parser.positionalArguments().at(0);
    const std::optional<int> channel = channelFromLetter(parser.value(QStringLiteral("channel")));
    if (!channel)
        return usage(QStringLiteral("--channel: expected %1").arg(channelLetterExpectation(false)));
    options.channel = *channel;
    const std::optional<std::size_t> measure = trendMeasureOf(parser.value(QStringLiteral("measure")));
    if (!measure)
        return usage(
            QStringLiteral("--measure: expected max, min, pkpk, mean, rms, acrms, frequency, period, "
                           "duty, rise or fall"));
    options.measure = *measure;
    if (isSet("interval") == isSet("per-period"))
        return usage(QStringLiteral("give one of --interval and --per-period"));
    if (isSet("per-period") && !hasPerPeriodForm(*measure))
        return usage(QStringLiteral("--per-period: %1 has no value per period (period, frequency, duty, max "
                                    "and min have)")
                         .arg(parser.value(QStringLiteral("measure"))));
    if (isSet("interval") && !intOption(parser, QStringLiteral("interval"), 2, INT64_MAX, options.interval))
        return false;
    if (isSet("mark") && !isSet("above") && !isSet("below"))
        return usage(QStringLiteral("--mark needs --above or --below"));
    return limitOption(parser, "above", options.limits.above) &&
           limitOption(parser, "below", options.limits.below);
}

QByteArray jsonReport(const TrendOptions& options, const std::vector<TrendPoint>& points,
                      const TrendStatistics& stats, const std::vector<TrendViolation>& violations) {
    QByteArray out = "{\"recording\": " + jsonString(options.path) + ", \"channel\": \"" +
                     QByteArray(1, static_cast<char>('A' + options.channel)) + "\", \"measure\": \"" +
                     kMeasurementFields[options.measure].key + "\", \"interval\": " +
                     (options.interval > 0 ? QByteArray::number(options.interval) : QByteArray("null")) +
                     ", \"points\": [";
    out.reserve(out.size() + static_cast<qsizetype>(points.size()) * 64);
    for (std::size_t i = 0; i < points.size(); ++i)
        out += (i ? ", {\"start\": " : "{\"start\": ") + jsonNumber(points[i].start) +
               ", \"end\": " + jsonNumber(points[i].end) + ", \"value\": " + jsonValue(points[i].value) + "}";
    out += "], \"stats\": {\"count\": " + QByteArray::number(stats.count) +
           ", \"min\": " + jsonValue(stats.min) + ", \"max\": " + jsonValue(stats.max) +
           ", \"mean\": " + jsonValue(stats.mean) + ", \"sd\": " + jsonValue(stats.sd) +
           "}, \"violations\": [";
    for (std::size_t i = 0; i < violations.size(); ++i)
        out += (i ? ", {\"start\": " : "{\"start\": ") + jsonNumber(violations[i].start) +
               ", \"end\": " + jsonNumber(violations[i].end) +
               ", \"extreme\": " + jsonNumber(violations[i].extreme) + "}";
    return out + "]}\n";
}

QByteArray textReport(const TrendOptions& options, std::size_t points, const TrendStatistics& stats,
                      const std::vector<TrendViolation>& violations, float samplingPeriodMs) {
    QByteArray out = printed(QStringLiteral("Recording: %1\n").arg(options.path)) + "Channel " +
                     QByteArray(1, static_cast<char>('A' + options.channel)) + ", " +
                     kMeasurementFields[options.measure].key +
                     (options.interval > 0 ? " per " + QByteArray::number(options.interval) + " samples"
                                           : QByteArray(" per period")) +
                     ": " + QByteArray::number(static_cast<qsizetype>(points)) + " points, " +
                     QByteArray::number(stats.count) + " with a value\n";
    for (const auto& [name, value] : {std::pair{"min", stats.min}, std::pair{"max", stats.max},
                                      std::pair{"mean", stats.mean}, std::pair{"sd", stats.sd}})
        out += QByteArray(name).leftJustified(6) + jsonValue(value) + '\n';
    if (options.limits.above || options.limits.below)
        out += QByteArray::number(static_cast<qsizetype>(violations.size())) + " violations\n";
    for (const TrendViolation& v : violations)
        out += sampleTimeText(v.start, samplingPeriodMs).toLatin1() + " - " +
               sampleTimeText(v.end, samplingPeriodMs).toLatin1() + (v.above ? "  above, " : "  below, ") +
               "extreme " + jsonNumber(v.extreme) + '\n';
    return out;
}

} // namespace

int runTrend(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kTrend); rc >= 0)
        return rc;
    TrendOptions options;
    if (!parseTrendOptions(parser, options))
        return ExitUsage;
    std::int64_t count = 0;
    const std::unique_ptr<SharedState> state = openRecordingOrEmpty(options.path, count);
    if (!state)
        return ExitFailure;
    SampleSpan span;
    if (!spanOptions(parser, options.path, count, span))
        return ExitUsage;
    TrendRequest request{measureRequestFor(*state, span.from, span.to), options.channel, options.measure,
                         options.interval};
    if (options.channel >= state->channelCount ||
        request.span.sampleFiles[static_cast<std::size_t>(options.channel)].isEmpty())
        return fail(
            QStringLiteral("--channel: the recording has no channel %1").arg(channelLetter(options.channel)),
            ExitUsage);

    Progress progress(QStringLiteral("trend"));
    const TrendResult result = computeTrend(request, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!result.ok)
        return fail(result.error);
    const TrendStatistics stats = trendStatistics(result.points);
    const std::vector<TrendViolation> violations = trendViolations(result.points, options.limits);

    if (parser.isSet(QStringLiteral("mark"))) {
        const std::vector<Marker> added = violationMarkers(violations, options.measure, options.limits);
        const auto edit = [&](std::vector<Marker>& list, QString&) {
            list.insert(list.end(), added.begin(), added.end());
            return true;
        };
        if (CoreError error; !changeMarkers(options.path, edit, error))
            return fail(QStringLiteral("%1: %2").arg(options.path, coreMessage(error)));
        std::fprintf(stderr, "%s: added %zu przekroczenie markers\n", printed(options.path).constData(),
                     added.size());
    }
    const QByteArray out =
        options.format == TrendFormat::Json ? jsonReport(options, result.points, stats, violations)
        : options.format == TrendFormat::Csv
            ? trendCsv(result.points, state->samplingPeriodMs)
            : textReport(options, result.points.size(), stats, violations, state->samplingPeriodMs);
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
