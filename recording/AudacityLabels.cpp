#include "recording/AudacityLabels.h"

#include <QList>
#include <QLocale>

#include <cmath>

namespace varnilog {

namespace {

QByteArray secondsText(std::int64_t sample, float samplingPeriodMs) {
    return QByteArray::number(static_cast<double>(sample) * static_cast<double>(samplingPeriodMs) / 1000.0,
                              'f', 6);
}

std::optional<std::int64_t> sampleAt(QByteArrayView seconds, float samplingPeriodMs) {
    bool ok = false;
    const double s = QLocale::c().toDouble(QString::fromLatin1(seconds.trimmed()), &ok);
    if (!ok || !std::isfinite(s) || samplingPeriodMs <= 0.0f)
        return std::nullopt;
    const double sample = std::round(s * 1000.0 / static_cast<double>(samplingPeriodMs));
    if (!(sample >= -1.0 && sample < 9.0e18))
        return std::nullopt;
    return static_cast<std::int64_t>(sample);
}

} // namespace

QByteArray encodeAudacityLabels(const std::vector<Marker>& markers, float samplingPeriodMs) {
    QByteArray out;
    for (const Marker& m : markers) {
        QString label = m.label;
        label.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
        out += secondsText(m.start, samplingPeriodMs) + '\t' + secondsText(m.end, samplingPeriodMs) + '\t' +
               label.toUtf8() + '\n';
    }
    return out;
}

AudacityImport parseAudacityLabels(QByteArrayView text, float samplingPeriodMs, std::int64_t sampleCount) {
    AudacityImport result;
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('\\'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        const auto start = sampleAt(fields.value(0), samplingPeriodMs);
        const auto end = fields.size() > 1 ? sampleAt(fields[1], samplingPeriodMs) : start;
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
