// The markers of a recording (".rmk" beside its ".ros"): UTF-8 text with CR LF line ends, a first
// line naming the format and its version, then one marker per line, "start;end;kind;label", sorted by
// start. Sample indexes; end == start for a point, end > start for a range. In a label "\" is
// written "\\", ";" as "\;", CR as "\r" and LF as "\n", so a marker is always one line of four
// fields. The one place that knows this format. Depends on QtCore.
#pragma once

#include "app/CoreError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace varnilog {

enum class MarkerKind : std::uint8_t {
    Uwaga,         // a mark the user made (key M, "Dodaj znacznik", the command line)
    Strata,        // data lost: the frame parser skipped bytes there
    Wyzwolenie,    // a trigger event
    Zakres,        // a range the user chose
    Przekroczenie, // where a trend was beyond a limit
    Dekoder,       // an error or a warning a protocol decoder gave
};
inline constexpr int kMarkerKindCount = 6;

// The kind's name as the file and the command line write it ("uwaga", "strata", ...).
QString markerKindName(MarkerKind kind);
std::optional<MarkerKind> markerKindFromName(QStringView name);

struct Marker {
    std::int64_t start = 0; // samples
    std::int64_t end = 0;   // samples, >= start
    MarkerKind kind = MarkerKind::Uwaga;
    QString label;

    bool isRange() const { return end > start; }
    friend bool operator==(const Marker&, const Marker&) = default;
};

// The first line of every marker file.
inline constexpr char kMarkerFormatLine[] = "varnilog-markers;1";
// Far more than a million markers; a larger file under this name is not ours and is not read.
inline constexpr qint64 kMarkerFileSizeLimit = 256 << 20; // bytes

// The ".rmk" of the set whose ".ros" is rosPath.
QString markerFilePath(const QString& rosPath);

// Sorted by start, then end, kind and label; equal markers keep their order.
void sortMarkers(std::vector<Marker>& markers);

struct MarkerReading {
    std::vector<Marker> markers; // sorted
    bool exists = false;         // a file was found (a set without one has no markers)
    int damagedLines = 0;        // lines that could not be read and were left out
    bool damaged() const { return damagedLines > 0; }
};

// The bytes of a marker file: every line that can be read (a line that cannot, or a missing or
// unknown first line, counts as damaged).
MarkerReading parseMarkers(QByteArrayView bytes);
// The whole file for markers (sorted by the caller or not: written sorted).
QByteArray encodeMarkers(std::vector<Marker> markers);

// Reads the ".rmk" at path; a missing file gives no markers, one that is no regular file or larger
// than kMarkerFileSizeLimit counts as one damaged line.
MarkerReading readMarkerFile(const QString& path);
// Replaces the file at path with markers through the safe writer. False with error set, also for a
// marker the reader would refuse (start < 0, end < start) or a file larger than kMarkerFileSizeLimit.
bool writeMarkerFile(const QString& path, const std::vector<Marker>& markers, CoreError& error);

// Changes the markers of the set of rosPath while holding the set's lock: reads its ".rmk", lets edit
// change the list (edit returns false, with error set, to leave the file alone) and writes the
// result (edit's text is passed on worded). A file with lines that cannot be read is left as it is
// (edit is not called). False with error set (SetBusy when another program holds the set).
bool changeMarkers(const QString& rosPath, const std::function<bool(std::vector<Marker>&, QString&)>& edit,
                   CoreError& error);

// The span of samples [from, to) from marker first's start to marker last's end (a range marker's
// end; a point's own sample). Empty when an index is outside the list or the span holds no sample.
struct MarkerSpan {
    std::int64_t from = 0;
    std::int64_t to = 0;
};
std::optional<MarkerSpan> spanBetweenMarkers(const std::vector<Marker>& markers, std::int64_t first,
                                             std::int64_t last);

} // namespace varnilog
