// Rename and delete of a stored recording as the browser does them, without ever splitting a set:
// both are journalled (SetMove), so a kill leaves the old set or the new one once recovered; a
// rename checks every target first and undoes what it moved when a move fails, and takes the
// description (".roc") along; a delete removes the settings and sample files and keeps the
// description, which a later rename to that name replaces only when the caller allows it. Also releases or
// reopens the loader's handles when the set is the one on display. Depends on QtCore and the shared state.
#pragma once

#include "app/CoreError.h"
#include "app/SharedState.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace varnilog {

// The extensions moved by a rename, in the order they are moved.
const QStringList& renamedExtensions(); // ".ros", ".rca" .. ".rcd", ".roc", ".rsa" .. ".rsd", ".rmk", ".rdk"
// The extensions removed by a delete, in the order they are removed (no ".roc"). The markers go with
// the set, so they never attach themselves to a later recording of that name.
const QStringList& deletedExtensions(); // ".ros", ".rca" .. ".rcd", ".rsa" .. ".rsd", ".rmk", ".rdk"

// The new base path (without extension) for a typed name: only a trailing ".ros" (any case) is taken
// as the extension, every other dot belongs to the name; a name without a directory is resolved
// against baseDir. Empty when nothing but blanks or an extension was typed.
QString renameBaseFor(const QString& typedName, const QString& baseDir);

struct RenameResult {
    bool renamed = false; // the set now lives under the new name
    QString newRosPath;   // its ".ros"
    CoreError error;      // why nothing was renamed (none when renamed or when there was nothing to do)
};

// Moves one file; fails when the target exists. The default is QFile::rename.
using FileMover = std::function<bool(const QString& from, const QString& to, QString& reason)>;

// The ".roc" at newBase when it is all that is left of a set there (its recording was deleted);
// empty otherwise. A rename to newBase replaces it only when allowed to.
QString leftoverDescriptionAt(const QString& newBase);

// Renames every existing file of the set of rosPath to newBase + its extension: all or nothing. A
// leftover description at newBase blocks it unless replaceLeftoverDescription; a replaced one is
// removed only once the set has moved, and is put back when the rename is undone.
RenameResult renameRecordingSet(const QString& rosPath, const QString& newBase, const FileMover& move = {},
                                bool replaceLeftoverDescription = false);

// The names of the recordings in folder (their ".ros", any case; regular files, also through a link),
// by the names' own bytes and sorted ignoring case, as the browser lists them.
QStringList recordingNamesIn(const QString& folder);

// True when both paths name the same recording (the same ".ros", however written).
bool sameRecording(const QString& rosPathA, const QString& rosPathB);

// Deletes the ".ros" and the sample files of the set; a missing file is skipped. True when none of the
// files is left.
bool deleteRecordingSet(const QString& rosPath);

// The ".ros" of the existing recording set that writing to outputPath would replace or add a file
// of, empty when there is none: a name of a set's file (any extension of renamedExtensions()) beside
// a file of that set, as written or with links followed; or the file there is one of the sets of
// rosPaths (the same inode, through a link or under another name), or a hard link to a set's file
// in its own folder.
QString recordingSetAtOutput(const QString& outputPath, const QStringList& rosPaths = {});
// The usage error for an output onto a set's file (see recordingSetAtOutput), none when there is
// none.
CoreError outputOntoRecordingError(const QString& outputPath, const QStringList& rosPaths = {});

// True when rosPath names the recording whose sample files the loader holds open.
bool isRecordingOnDisplay(const SharedState& state, const QString& rosPath);

// Closes the loader's handles and makes the view's recording empty (sampleCount -1, no path).
void releaseRecordingOnDisplay(SharedState& state);

// Closes the loader's handles and nothing else (before the files of the set are moved).
void closeSampleFiles(SharedState& state);

// After a rename of the recording on display: opens its sample files under the new name (those that
// exist, as the loader does). The settings and the number of samples are those of the same files, so
// nothing else changes.
void reopenRecordingOnDisplay(SharedState& state, const QString& newRosPath);

} // namespace varnilog
