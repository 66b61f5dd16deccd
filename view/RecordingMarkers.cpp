#include "view/RecordingMarkers.h"

namespace varnilog {

int RecordingMarkers::load(const QString& rosPath) {
    MarkerReading reading = readMarkerFile(markerFilePath(rosPath));
    shown_ = std::move(reading.markers);
    damagedLines_ = reading.damagedLines;
    return damagedLines_;
}

bool RecordingMarkers::change(const QString& rosPath, const std::function<void(std::vector<Marker>&)>& edit,
                              CoreError& error) {
    const bool changed = changeMarkers(
        rosPath,
        [&](std::vector<Marker>& list, QString&) {
            edit(list);
            return true;
        },
        error);
    if (changed)
        load(rosPath);
    return changed;
}

bool RecordingMarkers::addPoint(const QString& rosPath, std::int64_t sample, CoreError& error) {
    return change(
        rosPath,
        [&](std::vector<Marker>& list) {
            list.push_back({sample, sample, MarkerKind::Uwaga, {}});
        },
        error);
}

bool RecordingMarkers::addRange(const QString& rosPath, std::int64_t from, std::int64_t to,
                                CoreError& error) {
    return change(
        rosPath,
        [&](std::vector<Marker>& list) {
            list.push_back({from, to, MarkerKind::Zakres, {}});
        },
        error);
}

bool RecordingMarkers::setLabel(const QString& rosPath, int index, const QString& label, CoreError& error) {
    return change(
        rosPath,
        [&](std::vector<Marker>& list) {
            if (index >= 0 && index < static_cast<int>(list.size()))
                list[static_cast<std::size_t>(index)].label = label;
        },
        error);
}

bool RecordingMarkers::remove(const QString& rosPath, int index, CoreError& error) {
    return change(
        rosPath,
        [&](std::vector<Marker>& list) {
            if (index >= 0 && index < static_cast<int>(list.size()))
                list.erase(list.begin() + index);
        },
        error);
}

} // namespace varnilog
