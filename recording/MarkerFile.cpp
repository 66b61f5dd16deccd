#include "recording/MarkerFile.h"

#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"
#include "recording/SetChange.h"
#include "recording/SetLock.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace varnilog {

namespace {

constexpr std::array<const char*, kMarkerKindCount> kKindNames{"uwaga",  "strata",        "wyzwolenie",
                                                               "zakres", "przekroczenie", "dekoder"};

std::optional<std::int64_t> parseIndex(QByteArrayView text) {
    std::int64_t value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (text.isEmpty() || *first == '-' || *first == '+')
        return std::nullopt;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

QByteArray escapeLabel(const QString& label) {
    QByteArray out;
    const QByteArray bytes = label.toUtf8();
    out.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The whole file checked at once (in pieces, into a fixed buffer), so that each label is decoded
// without a check of its own.
bool isValidUtf8(QByteArrayView bytes) {
    constexpr qsizetype kPiece = 1 << 14;
    std::vector<QChar> buffer(kPiece + 4);
    QStringDecoder utf8(QStringDecoder::Utf8);
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kPiece)
        utf8.appendToBuffer(buffer.data(), bytes.sliced(at, std::min(kPiece, bytes.size() - at)));
    return !utf8.hasError();
}

std::optional<MarkerKind> kindOf(QByteArrayView name) {
    for (std::size_t k = 0; k < kKindNames.size(); ++k)
        if (name == QByteArrayView(kKindNames[k]))
            return static_cast<MarkerKind>(k);
    return std::nullopt;
}

// Undoes escapeLabel; false for an escape it never writes or invalid UTF-8 (checked only when the
// file as a whole is not valid UTF-8).
bool unescapeLabel(QByteArrayView text, QString& label, bool validUtf8) {
    if (validUtf8 && !text.contains('\\') && !text.contains(';')) {
        label = QString::fromUtf8(text); // nearly every label: nothing escaped
        return true;
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ';')
            return false; // a bare ";" is never written inside a label
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\':
            bytes += '\\';
            break;
        case ';':
            bytes += ';';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 'n':
            bytes += '\n';
            break;
        default:
            return false;
        }
    }
    if (validUtf8) {
        label = QString::fromUtf8(bytes);
        return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    label = utf8.decode(bytes);
    return !utf8.hasError();
}

std::optional<Marker> parseLine(QByteArrayView line, bool validUtf8) {
    std::array<QByteArrayView, 3> fields;
    qsizetype from = 0;
    for (QByteArrayView& field : fields) {
        const qsizetype semicolon = line.indexOf(';', from);
        if (semicolon < 0)
            return std::nullopt;
        field = line.sliced(from, semicolon - from);
        from = semicolon + 1;
    }
    Marker marker;
    const auto start = parseIndex(fields[0]);
    const auto end = parseIndex(fields[1]);
    const auto kind = kindOf(fields[2]);
    if (!start || !end || *end < *start || !kind ||
        !unescapeLabel(line.sliced(from), marker.label, validUtf8))
        return std::nullopt;
    marker.start = *start;
    marker.end = *end;
    marker.kind = *kind;
    return marker;
}

} // namespace

QString markerKindName(MarkerKind kind) {
    return QString::fromLatin1(kKindNames[static_cast<std::size_t>(kind)]);
}

std::optional<MarkerKind> markerKindFromName(QStringView name) {
    for (std::size_t k = 0; k < kKindNames.size(); ++k)
        if (name == QLatin1String(kKindNames[k]))
            return static_cast<MarkerKind>(k);
    return std::nullopt;
}

QString markerFilePath(const QString& rosPath) {
    QString base = rosPath;
    if (base.endsWith(QLatin1String(".ros"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".rmk");
}

void sortMarkers(std::vector<Marker>& markers) {
    const auto before = [](const Marker& a, const Marker& b) {
        if (a.start != b.start)
            return a.start < b.start;
        if (a.end != b.end)
            return a.end < b.end;
        return a.kind < b.kind;
    };
    if (!std::is_sorted(markers.begin(), markers.end(), before)) // a file as written is sorted already
        std::stable_sort(markers.begin(), markers.end(), before);
}

MarkerReading parseMarkers(QByteArrayView bytes) {
    MarkerReading reading;
    reading.exists = true;
    const bool validUtf8 = isValidUtf8(bytes);
    bool first = true;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype next = bytes.indexOf('\n', from);
        if (next < 0)
            next = bytes.size();
        QByteArrayView line = bytes.sliced(from, next - from);
        from = next + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const bool formatLine = first;
        first = false;
        if (formatLine && line == QByteArrayView(kMarkerFormatLine))
            continue;
        std::optional<Marker> marker = line.isEmpty() ? std::nullopt : parseLine(line, validUtf8);
        // A lost or unknown format line counts once, whether it reads as a marker or not.
        if (formatLine || (!line.isEmpty() && !marker))
            ++reading.damagedLines;
        if (marker)
            reading.markers.push_back(std::move(*marker));
    }
    if (first)
        ++reading.damagedLines; // an empty file lacks even the format line
    sortMarkers(reading.markers);
    return reading;
}

QByteArray encodeMarkers(std::vector<Marker> markers) {
    sortMarkers(markers);
    QByteArray out = QByteArray(kMarkerFormatLine) + "\r\n";
    for (const Marker& m : markers)
        out += QByteArray::number(m.start) + ';' + QByteArray::number(m.end) + ';' +
               kKindNames[static_cast<std::size_t>(m.kind)] + ';' + escapeLabel(m.label) + "\r\n";
    return out;
}

MarkerReading readMarkerFile(const QString& path) {
    if (!anythingNamed(path))
        return {};
    QFile file;
    // Only a regular file of a sensible size.
    if (!openSetFileForReading(file, path, {}) || file.size() > kMarkerFileSizeLimit) {
        MarkerReading unreadable;
        unreadable.exists = true;
        unreadable.damagedLines = 1;
        return unreadable;
    }
    return parseMarkers(file.readAll());
}

bool writeMarkerFile(const QString& path, const std::vector<Marker>& markers, CoreError& error) {
    // Never a file the reader would refuse, or read only in part.
    for (const Marker& m : markers)
        if (m.start < 0 || m.end < m.start) {
            error = {CoreErrorKind::MarkerInvalid, path, {}, {}, m.start, m.end, {}};
            return false;
        }
    const QByteArray bytes = encodeMarkers(markers);
    if (bytes.size() > kMarkerFileSizeLimit) {
        error = {CoreErrorKind::MarkersTooLarge, path, {}, {}, kMarkerFileSizeLimit >> 20, 0, {}};
        return false;
    }
    QString reason;
    if (writeFileSafely(path, bytes, reason))
        return true;
    error = {CoreErrorKind::PathReason, path, {}, reason, 0, 0, {}};
    return false;
}

bool changeMarkers(const QString& rosPath, const std::function<bool(std::vector<Marker>&, QString&)>& edit,
                   CoreError& error) {
    SetLock lock;
    if (!lockSet(lock, rosPath, error))
        return false;
    recoverRecordingSet(rosPath);
    const QString path = markerFilePath(rosPath);
    MarkerReading reading = readMarkerFile(path);
    // Writing back what could be read would lose the rest for good.
    if (reading.damaged()) {
        error = {CoreErrorKind::MarkersUnreadable, path, {}, {}, reading.damagedLines, 0, {}};
        return false;
    }
    if (QString refusal; !edit(reading.markers, refusal)) {
        error = CoreError::worded(refusal);
        return false;
    }
    return writeMarkerFile(path, reading.markers, error);
}

std::optional<MarkerSpan> spanBetweenMarkers(const std::vector<Marker>& markers, std::int64_t first,
                                             std::int64_t last) {
    const auto count = static_cast<std::int64_t>(markers.size());
    if (first < 0 || first >= count || last < 0 || last >= count)
        return std::nullopt;
    const MarkerSpan span{markers[static_cast<std::size_t>(first)].start,
                          markers[static_cast<std::size_t>(last)].end};
    if (span.to <= span.from)
        return std::nullopt;
    return span;
}

} // namespace varnilog
