#include "view/MarkerFlags.h"

#include <QCoreApplication>

#include <algorithm>

namespace varnilog {

namespace {

// The first marker starting at or after sample.
std::vector<Marker>::const_iterator firstFrom(const std::vector<Marker>& markers, std::int64_t sample) {
    return std::lower_bound(markers.begin(), markers.end(), sample,
                            [](const Marker& m, std::int64_t s) { return m.start < s; });
}

void fill(QImage& picture, int x0, int x1, int y0, int y1, QRgb colour) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, picture.width() - 1);
    y1 = std::min(y1, picture.height() - 1);
    for (int y = std::max(y0, 0); y <= y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = x0; x <= x1; ++x)
            line[x] = colour;
    }
}

// Calls drawn(index, column) for the one flag of every column that holds a point marker's start.
template <typename Drawn>
void forEachFlag(const std::vector<Marker>& markers, std::int64_t viewStart, std::int32_t zoomDivisor,
                 int columns, Drawn drawn) {
    const std::int64_t zoom = std::max<std::int32_t>(zoomDivisor, 1);
    auto it = firstFrom(markers, viewStart);
    while (it != markers.end()) {
        const std::optional<int> column = markerColumn(it->start, viewStart, zoomDivisor, columns);
        if (!column)
            return;
        // Ranges are bars; the flag of a column is its first point marker.
        auto pick = it;
        const std::int64_t nextColumn = viewStart + (*column + 1) * zoom;
        while (pick != markers.end() && pick->start < nextColumn && pick->isRange())
            ++pick;
        if (pick != markers.end() && pick->start < nextColumn)
            drawn(static_cast<int>(pick - markers.begin()), *column);
        it = firstFrom(markers, nextColumn);
    }
}

} // namespace

QString markerKindTitle(MarkerKind kind) {
    switch (kind) {
    case MarkerKind::Uwaga:
        return QCoreApplication::translate("varnilog::MarkerKind", "Uwaga");
    case MarkerKind::Strata:
        return QCoreApplication::translate("varnilog::MarkerKind", "Strata danych");
    case MarkerKind::Wyzwolenie:
        return QCoreApplication::translate("varnilog::MarkerKind", "Wyzwolenie");
    case MarkerKind::Zakres:
        return QCoreApplication::translate("varnilog::MarkerKind", "Zakres");
    case MarkerKind::Przekroczenie:
        return QCoreApplication::translate("varnilog::MarkerKind", "Przekroczenie");
    case MarkerKind::Dekoder:
        return QCoreApplication::translate("varnilog::MarkerKind", "Dekoder");
    }
    return markerKindName(kind);
}

QRgb markerColour(MarkerKind kind) {
    switch (kind) {
    case MarkerKind::Uwaga:
        return qRgb(255, 170, 0);
    case MarkerKind::Strata:
        return qRgb(230, 0, 0);
    case MarkerKind::Wyzwolenie:
        return qRgb(200, 0, 200);
    case MarkerKind::Zakres:
        return qRgb(0, 120, 255);
    case MarkerKind::Przekroczenie:
        return qRgb(255, 90, 40);
    case MarkerKind::Dekoder:
        return qRgb(0, 200, 160);
    }
    return qRgb(255, 255, 255);
}

std::optional<int> markerColumn(std::int64_t sample, std::int64_t viewStart, std::int32_t zoomDivisor,
                                int columns) {
    if (sample < viewStart)
        return std::nullopt;
    const std::int64_t column = (sample - viewStart) / std::max<std::int32_t>(zoomDivisor, 1);
    if (column >= columns)
        return std::nullopt;
    return static_cast<int>(column);
}

void drawMarkerFlags(QImage& picture, const std::vector<Marker>& markers, std::int64_t viewStart,
                     std::int32_t zoomDivisor) {
    const int columns = picture.width();
    if (markers.empty() || columns <= 0 || picture.depth() != 32)
        return;
    const std::int64_t zoom = std::max<std::int32_t>(zoomDivisor, 1);
    const std::int64_t viewEnd = viewStart + columns * zoom;
    // Bars first, under the flags. Ranges come in order of start, so each kind's bar grows to the right
    // and no column is filled twice for one kind.
    int barEnd[kMarkerKindCount];
    std::fill(std::begin(barEnd), std::end(barEnd), -1);
    for (auto it = markers.begin(); it != markers.end() && it->start < viewEnd; ++it) {
        if (!it->isRange() || it->end < viewStart)
            continue;
        const auto kind = static_cast<std::size_t>(it->kind);
        const int first = static_cast<int>((std::max(it->start, viewStart) - viewStart) / zoom);
        const int last = static_cast<int>((std::min(it->end, viewEnd - 1) - viewStart) / zoom);
        if (last > barEnd[kind]) {
            fill(picture, std::max(first, barEnd[kind] + 1), last, 0, kRangeBarRows - 1,
                 markerColour(it->kind));
            barEnd[kind] = last;
        }
    }
    forEachFlag(markers, viewStart, zoomDivisor, columns, [&](int index, int x) {
        const QRgb colour = markerColour(markers[static_cast<std::size_t>(index)].kind);
        fill(picture, x, x, 0, kFlagStemRows - 1, colour);
        fill(picture, x + 1, x + 3, 1, kFlagPennantRows, colour);
    });
}

int markerAtColumn(const std::vector<Marker>& markers, std::int64_t viewStart, std::int32_t zoomDivisor,
                   int column) {
    const std::int64_t zoom = std::max<std::int32_t>(zoomDivisor, 1);
    // A flag at this column or one of the three before it (its pennant) comes first, then a bar.
    for (int x = column; x >= std::max(0, column - 3); --x) {
        const std::int64_t from = viewStart + x * zoom;
        int found = -1;
        forEachFlag(markers, from, zoomDivisor, 1, [&](int index, int) { found = index; });
        if (found >= 0)
            return found;
    }
    const std::int64_t sample = viewStart + column * zoom;
    for (auto it = markers.begin(); it != markers.end() && it->start < sample + zoom; ++it)
        if (it->isRange() && it->end >= sample)
            return static_cast<int>(it - markers.begin());
    return -1;
}

int neighbourMarker(const std::vector<Marker>& markers, std::int64_t middle, bool forward) {
    if (forward) {
        const auto it = firstFrom(markers, middle + 1);
        return it == markers.end() ? -1 : static_cast<int>(it - markers.begin());
    }
    return static_cast<int>(firstFrom(markers, middle) - markers.begin()) - 1;
}

std::int64_t centredViewStart(std::int64_t sample, std::int32_t zoomDivisor, int columns) {
    return std::max<std::int64_t>(sample - static_cast<std::int64_t>(columns / 2) * std::max(zoomDivisor, 1),
                                  0);
}

} // namespace varnilog
