// measure: parameter measurements of a span of a recording, as a table, as JSON or per period.
#include "CliSupport.h"

#include "analysis/MeasurementText.h"
#include "analysis/Measurements.h"
#include "analysis/PeriodFile.h"
#include "recording/SafeFile.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace varnilog::cli {

namespace {

QByteArray jsonReport(const QString& path, const MeasureRequest& request, const MeasureResult& result) {
    QByteArray out = "{\"recording\": " + jsonString(path) +
                     ", \"from\": " + QByteArray::number(request.from) +
                     ", \"to\": " + QByteArray::number(request.to) +
                     ", \"samplingPeriodMs\": " + jsonNumber(static_cast<double>(request.samplingPeriodMs)) +
                     ", \"channels\": [";
    bool first = true;
    for (int c = 0; c < kChannels; ++c) {
        const ChannelMeasurements& m = result.channels[c];
        if (!m.measured)
            continue;
        out += first ? "" : ", ";
        first = false;
        out += "{\"name\": \"" + QByteArray(1, channelName[c]) +
               "\", \"samples\": " + QByteArray::number(m.samples);
        for (const MeasurementField& field : kMeasurementFields) {
            if (field.quantity == Quantity::Count)
                continue;
            out += ", \"" + QByteArray(field.key) + "\": " + jsonValue(field.value(m));
        }
        out += ", \"periods\": " + QByteArray::number(m.periods) + "}";
    }
    return out + "]}\n";
}

QByteArray textReport(const QString& path, const MeasureRequest& request, const MeasureResult& result,
                      const QLocale& locale) {
    QString out = QStringLiteral("Recording: %1\nSpan: samples %2 to %3, %4 ms per sample\n\n")
                      .arg(path)
                      .arg(request.from)
                      .arg(request.to)
                      .arg(locale.toString(static_cast<double>(request.samplingPeriodMs), 'g', 6));
    out += QStringLiteral("%1").arg(QString(), -10);
    for (int c = 0; c < kChannels; ++c)
        if (result.channels[c].measured)
            out += QStringLiteral("%1").arg(QString(QChar(channelName[c])), 14);
    out += '\n';
    for (const MeasurementField& field : kMeasurementFields) {
        out += QStringLiteral("%1").arg(QString::fromLatin1(field.key), -10);
        for (int c = 0; c < kChannels; ++c)
            if (result.channels[c].measured)
                out += QStringLiteral("%1").arg(measurementText(field, result.channels[c], locale), 14);
        out += '\n';
    }
    return printed(out);
}

constexpr CliOption kMeasureOptions[] = {
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"channels", "ABCD", "Channels to measure, e.g. AB (default: all)."},
    {"json", nullptr, "Print the results as JSON."},
    {"per-period", "OUT.csv", "Also write one line per full period."},
    {"locale", "NAME",
     "Number format of the table and the per-period file, e.g. pl_PL (default: the user's)."},
};

constexpr CliCommand kMeasure{
    "measure",
    "Measures extremes, mean, RMS, frequency, period, duty cycle, rise and fall time "
    "of every channel over a span of samples.",
    1,
    "FILE.ros",
    "ros",
    kMeasureOptions};

// Measures the request, with --per-period its file too, and prints the report.
int measureAndReport(const QCommandLineParser& parser, const QString& path, const MeasureRequest& request,
                     const QLocale& locale) {
    std::unique_ptr<SafeFile> periodFile;
    std::unique_ptr<PeriodFileWriter> periodWriter;
    PeriodSink sink;
    if (parser.isSet(QStringLiteral("per-period"))) {
        if (!outputAllowed(parser.value(QStringLiteral("per-period")), path))
            return ExitUsage;
        // Through the safe writer: a failed run (a full disk, a failed measurement) leaves no file.
        periodFile = std::make_unique<SafeFile>(parser.value(QStringLiteral("per-period")));
        if (!periodFile->open(QIODevice::WriteOnly))
            return fail(QStringLiteral("%1: %2").arg(periodFile->targetPath(), periodFile->errorString()));
        periodWriter = std::make_unique<PeriodFileWriter>(*periodFile, locale, request.samplingPeriodMs,
                                                          request.channelSensitivity);
        sink = [&](const PeriodRecord& p) { periodWriter->add(p); };
    }
    Progress progress(QStringLiteral("measuring"));
    const MeasureResult result = measureSpan(
        request,
        [&](std::int64_t done, std::int64_t total) {
            progress.update(done, total);
            return !(periodWriter && periodWriter->failed());
        },
        sink);
    progress.finish();
    if (!result.ok)
        return fail(result.error);
    if (periodWriter && (!periodWriter->finish() || !periodFile->commit()))
        return fail(QStringLiteral("%1: %2").arg(periodFile->targetPath(), periodWriter->failed()
                                                                               ? periodWriter->error()
                                                                               : periodFile->errorString()));
    const QByteArray report = parser.isSet(QStringLiteral("json"))
                                  ? jsonReport(path, request, result)
                                  : textReport(path, request, result, locale);
    std::fwrite(report.constData(), 1, static_cast<std::size_t>(report.size()), stdout);
    return ExitOk;
}

} // namespace

int runMeasure(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kMeasure); rc >= 0)
        return rc;
    QLocale locale;
    if (QString localeError; !localeOption(parser, locale, localeError))
        return fail(localeError, ExitUsage);
    unsigned wanted = (1u << kChannels) - 1;
    if (!channelsOption(parser, wanted))
        return ExitUsage;

    const QString path = parser.positionalArguments().at(0);
    std::int64_t count = 0;
    const std::unique_ptr<SharedState> state = openRecordingOrEmpty(path, count);
    if (!state)
        return ExitFailure;
    SampleSpan span;
    if (!spanOptions(parser, path, count, span))
        return ExitUsage;

    MeasureRequest request = measureRequestFor(*state, span.from, span.to);
    for (int c = 0; c < kChannels; ++c)
        if (!(wanted & (1u << c)))
            request.sampleFiles[c].clear();

    return measureAndReport(parser, path, request, locale);
}

} // namespace varnilog::cli
