// Makes a stored recording the one on display: opens its four sample files read-only and keeps them
// open, takes the sample count from the ".rca" length and copies the ".ros" settings into the shared
// state. Never reads the samples as a whole. Core: QtCore files, the profile file and the view.
#pragma once

#include "app/SharedState.h"

#include <QString>

#include <cstdint>

namespace varnilog {

class ProfileFile;

// Shown in the error box (caption "Błąd!") when a load fails.
inline constexpr char16_t kLoadErrorText[] = u"Błąd otwarcia pliku!";

// What the main window does after loadRecording (in this order):
//   if !ok: showErrorBox(errorText) and stop;
//   ScrollBar1 position 0 with its signals blocked; if viewReloaded, redraw the time axis;
//   edFilename := baseName; refreshTimeBase(); refreshSensitivity();
//   if refreshView: varnilog::refreshView(state) and apply its result.
struct LoadResult {
    bool ok = true;
    QString errorText;         // kLoadErrorText when !ok
    QString baseName;          // file name of recordingPath without folder and extension
    bool viewReloaded = false; // viewStart was not 0: the window at sample 0 was read and drawn
    bool refreshView = false;  // more than one sample: zoomDivisor is 1, refreshView must follow
};

// Loads state.recordingPath (the ".ros" path). A missing ".ros" gives every default, a missing sample
// file a channel without data (".rca" missing: sampleCount -1). Damaged settings are brought into
// range: time base 1..22, sensitivity 1..10, coupling 0..2, channel count 1..4. An existing ".ros"
// that is Unreadable (see headerFileState) fails the load; what the earlier steps changed stays changed.
LoadResult loadRecording(SharedState& state);

// A ".ros" holds a few hundred bytes. The profile reader takes a file whole, so a larger file under that
// name (a sample file renamed, a disk image) is refused before it is read.
inline constexpr qint64 kHeaderSizeLimit = 1 << 20; // bytes

enum class HeaderFile {
    Missing,    // nothing of that name: every setting takes its default
    Readable,   // a regular file we may read, within kHeaderSizeLimit
    Unreadable, // a folder, a device or pipe, no read permission, or larger than kHeaderSizeLimit
};
// Judges the ".ros" at rosPath without reading its contents (a pipe would block the reader).
HeaderFile headerFileState(const QString& rosPath);

// The rules every reader of a ".ros" applies to its indices: the low 8 bits of the value, then
// brought into the table's range (time base 1..22, channel count 1..4).
std::uint8_t headerTimeBaseIndex(const ProfileFile& ros, std::uint8_t defaultValue);
std::uint8_t headerChannelCount(const ProfileFile& ros, std::uint8_t defaultValue);

// File name of path without folder and extension.
QString baseNameOf(const QString& path);

} // namespace varnilog
