#include "recording/AudacityLabels.h"

#include "recording/InterchangeExport.h"

#include <QList>
#include <QLocale>

#include <cmath>

namespace varnilog {

namespace {

// Audacity writes its label times with 6 decimals; a faster rate gets the decimals it needs, so that
// every sample has a time of its own.
constexpr int kAudacityDecimals = 6;

// Times go through the whole hertz of the rate, as the sample times of every export do: a float
// period's own error would move samples far into a long recording.
std::optional<std::int64_t> sampleAt(QByteArrayView seconds, std::int64_t rate) {
    bool ok = false;
    const double s = QLocale::c().toDouble(QString::fromLatin1(seconds.trimmed()), &ok);
    if (!ok || !std::isfinite(s) || rate <= 0)
        return std::nullopt;
    const double sample = std::round(s * static_cast<double>(rate));
    if (!(sample >= -1.0 && sample < 9.0e18))
        return std::nullopt;
    return static_cast<std::int64_t>(sample);
}

} // namespace

QByteArray encodeAudacityLabels(const std::vector<Marker>& markers, float samplingPeriodMs) {
    QByteArray out;
    const SampleTimeText time(sampleRateHz(samplingPeriodMs));
    const auto secondsText = [&](std::int64_t sample) { return time.fixed(sample, kAudacityDecimals); };
    for (const Marker& m : markers) {
        QString label = m.label;
        label.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
        out += secondsText(m.start) + '\t' + secondsText(m.end) + '\t' + label.toUtf8() + '\n';
    }
    return out;
}

AudacityImport parseAudacityLabels(QByteArrayView text, float samplingPeriodMs, std::int64_t sampleCount) {
    AudacityImport result;
    const std::int64_t rate = sampleRateHz(samplingPeriodMs);
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('\\'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        const auto start = sampleAt(fields.value(0), rate);
        const auto end = fields.size() > 1 ? sampleAt(fields[1], rate) : start;
        if (!start || !end || *start < 0 || *end < *start || *end >= sampleCount) {
            result.skippedLines.push_back(static_cast<int>(i + 1));
            continue;
        }
        const QString label = fields.size() > 2
                                  ? QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2))
                                  : QString();
        result.markers.push_back(
            {*start, *end, *end > *start ? MarkerKind::Zakres : MarkerKind::Uwaga, label});
    }
    sortMarkers(result.markers);
    return result;
}

} // namespace varnilog
