// The markers of the recording on display: read from its ".rmk" into the list the view draws its
// flags from, changed in the file under the set's lock and read back (so the view shows what the file
// holds), and the ones the view's jumps and hover text find. Depends on QtCore and the recording module.
#pragma once

#include "recording/MarkerFile.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace varnilog {

class RecordingMarkers {
public:
    // shown: the view's list (sorted by start), which this object alone replaces.
    explicit RecordingMarkers(std::vector<Marker>& shown) : shown_(shown) {}

    const std::vector<Marker>& list() const { return shown_; }
    // Reads the markers of the set of rosPath; the lines left out as damaged (0 for a sound file).
    int load(const QString& rosPath);
    // A recording being made: the preview shows none.
    void clear() { shown_.clear(); }

    // Changes the set's ".rmk" and reads it back; false with error set, the list as it was.
    bool change(const QString& rosPath, const std::function<void(std::vector<Marker>&)>& edit,
                CoreError& error);
    bool addPoint(const QString& rosPath, std::int64_t sample, CoreError& error);
    bool addRange(const QString& rosPath, std::int64_t from, std::int64_t to, CoreError& error);
    // By index in list(); an index the file no longer has changes nothing.
    bool setLabel(const QString& rosPath, int index, const QString& label, CoreError& error);
    bool remove(const QString& rosPath, int index, CoreError& error);

    // The damaged lines of the last reading.
    int damagedLines() const { return damagedLines_; }

private:
    std::vector<Marker>& shown_;
    int damagedLines_ = 0;
};

} // namespace varnilog
