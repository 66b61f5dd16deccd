#include "decode/AnnotationExport.h"

#include "recording/AudacityLabels.h"
#include "recording/FileIdentity.h"
#include "recording/SafeFile.h"
#include "recording/TextEscapes.h"
#include "view/ElapsedTime.h"

namespace varnilog {

namespace {

const std::string& classId(const Annotation& a, const DecoderInfo& d) {
    return d.annotationClasses[static_cast<std::size_t>(a.annotationClass)].id;
}

QString longestText(const Annotation& a) {
    return a.texts.empty() ? QString() : QString::fromStdString(a.texts.front());
}

const DecoderInfo& decoderOf(const DecodeResults& results, const Annotation& a) {
    return *results.decoders[static_cast<std::size_t>(a.decoder)];
}

// Written in pieces of about this size, so a million annotations never sit in memory twice.
constexpr qsizetype kPieceBytes = 1 << 20;

} // namespace

QByteArray annotationCsvHeader() {
    return QByteArrayLiteral("start;end;start_time;decoder;class;text\n");
}

QByteArray annotationCsvLine(const Annotation& a, const DecoderInfo& decoder, float samplingPeriodMs) {
    return QByteArray::number(a.start) + ';' + QByteArray::number(a.end) + ';' +
           sampleTimeText(static_cast<double>(a.start), samplingPeriodMs).toLatin1() + ';' +
           QByteArray::fromStdString(decoder.id) + ';' + QByteArray::fromStdString(classId(a, decoder)) +
           ';' + nativeFileName(printableText(longestText(a))) + '\n';
}

QByteArray annotationJsonObject(const Annotation& a, const DecoderInfo& decoder) {
    QByteArray texts;
    for (const std::string& t : a.texts)
        texts += (texts.isEmpty() ? "" : ", ") + jsonString(QString::fromStdString(t));
    return QByteArray("{\"start\": ") + QByteArray::number(a.start) +
           ", \"end\": " + QByteArray::number(a.end) +
           ", \"decoder\": " + jsonString(QString::fromStdString(decoder.id)) +
           ", \"class\": " + jsonString(QString::fromStdString(classId(a, decoder))) +
           ", \"row\": " + jsonString(QString::fromStdString(decoder.rowOf(a.annotationClass))) +
           ", \"texts\": [" + texts + "]}";
}

QByteArray annotationJsonOpening(const QString& recordingPath, std::uint64_t sampleRateHz) {
    return "{\"recording\": " + jsonString(recordingPath) +
           ", \"samplerate\": " + QByteArray::number(static_cast<qulonglong>(sampleRateHz)) +
           ", \"annotations\": [";
}

QByteArray annotationJsonClosing(std::int64_t count) {
    return "], \"count\": " + QByteArray::number(count) + "}\n";
}

QByteArray annotationAudacityLabels(const DecodeResults& results, float samplingPeriodMs) {
    std::vector<Marker> labels;
    labels.reserve(results.annotations.size());
    for (const Annotation& a : results.annotations)
        labels.push_back(
            {a.start, a.end, MarkerKind::Dekoder,
             QString::fromStdString(decoderOf(results, a).id) + QStringLiteral(": ") + longestText(a)});
    return encodeAudacityLabels(labels, samplingPeriodMs);
}

bool writeAnnotations(const QString& path, AnnotationFormat format, const DecodeResults& results,
                      const QString& recordingPath, float samplingPeriodMs, CoreError& error) {
    error = {};
    const auto fill = [&](QIODevice& out) {
        QByteArray piece;
        const auto put = [&](const QByteArray& bytes, bool last = false) {
            piece += bytes;
            if (piece.size() < kPieceBytes && !last)
                return true;
            const bool written = out.write(piece) == piece.size();
            piece.clear();
            return written;
        };
        switch (format) {
        case AnnotationFormat::Csv:
            if (!put(annotationCsvHeader()))
                return false;
            for (const Annotation& a : results.annotations)
                if (!put(annotationCsvLine(a, decoderOf(results, a), samplingPeriodMs)))
                    return false;
            return put({}, true);
        case AnnotationFormat::Json: {
            if (!put(annotationJsonOpening(recordingPath, results.sampleRateHz)))
                return false;
            bool first = true;
            for (const Annotation& a : results.annotations) {
                if (!put((first ? QByteArray() : QByteArrayLiteral(", ")) +
                         annotationJsonObject(a, decoderOf(results, a))))
                    return false;
                first = false;
            }
            return put(annotationJsonClosing(static_cast<std::int64_t>(results.annotations.size())), true);
        }
        case AnnotationFormat::Audacity:
            return put(annotationAudacityLabels(results, samplingPeriodMs), true);
        }
        return false;
    };
    if (QString reason; !writeFileSafely(path, fill, reason)) {
        error = {CoreErrorKind::PathReason, path, {}, reason, 0, 0, {}};
        if (reason.isEmpty())
            error = CoreError::of(CoreErrorKind::WriteFailed).at(path);
        return false;
    }
    return true;
}

} // namespace varnilog
