// Makes a stored recording the one on display: opens its four sample files read-only and keeps them
// open, takes the sample count from the ".rca" length and copies the ".ros" settings into the shared
// state. Never reads the samples as a whole and draws nothing.
#pragma once

#include "app/CoreError.h"
#include "app/SharedState.h"
#include "recording/RecordingHeader.h"

#include <QString>

#include <array>

namespace varnilog {

// What a load read: the base name for edFilename, or the reason it failed.
struct LoadResult {
    bool ok = true;
    CoreError error;               // LoadFailed when !ok (the error box's text, caption "Błąd!")
    QString baseName;              // file name of recordingPath without folder and extension
    bool changedWhileRead = false; // another program kept changing the set while it was read
};

// The first half of a load: closes the sample files of the recording on display and opens those of
// state.recordingPath (".rca" .. ".rcd", regular files only, read-only); sampleCount is the ".rca"
// length, -1 without it. viewStart and the view's columns are left as they were.
void openSampleFiles(SharedState& state);
// Opens the summary beside the channel's sample file read-only, when both exist (closed otherwise).
void openSummaryFile(SharedState& state, int channel);

// Opens path read-only into file (named path) when it is a regular file, without ever waiting: a
// pipe or a device under a set's name would block the reader for ever or never end. Every reader of a
// set's files opens them this way. False (file closed) otherwise.
bool openSetFileForReading(QFile& file, const QString& path,
                           QIODevice::OpenMode extra = QIODevice::Unbuffered);

// The second half: fills the first 500 bytes of the staging rows of the channels below
// previousChannelCount with the zero line and reads the ".ros" settings. A missing ".ros" gives every
// default; damaged settings are brought into range (time base 1..22, sensitivity 1..10, coupling
// 0..2, channel count 1..4). An existing ".ros" that is Unreadable (see headerFileState) fails;
// what the earlier steps changed stays changed. With more than one sample, zoomDivisor becomes 1.
LoadResult readRecordingSettings(SharedState& state, int previousChannelCount);

// The same two halves for sample files that have no name, such as files in memory: channel c reads the
// open descriptor descriptors[c] (-1: the channel has no file), which stays the caller's to close, and
// the header is one already read, taken as the one those files belong to (no check, no summaries).
void openSampleDescriptors(SharedState& state, const std::array<int, kChannels>& descriptors);
LoadResult applyRecordingSettings(SharedState& state, const HeaderReading& header, int previousChannelCount);

// Both halves, with the view put back to sample 0 (nothing read or drawn): for callers that show
// the recording afterwards in their own way (the command line, tests).
LoadResult loadRecording(SharedState& state);

// File name of path without folder and extension.
QString baseNameOf(const QString& path);

// The recording on display has samples of channel c: a channel below channelCount whose sample file
// is open and not empty.
bool channelHasData(const SharedState& state, int channel);

} // namespace varnilog
