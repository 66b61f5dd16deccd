// The free-text description of a recording (".roc"): plain text, lines separated by CR LF, written in
// UTF-8 (the system code page here) and read back also from files written in the Windows-1250 code
// page. Depends on QtCore only.
#pragma once

#include "app/CoreError.h"

#include <QString>

namespace varnilog {

// A description is a few lines typed by the user; a larger file under its name is not one.
inline constexpr qint64 kDescriptionSizeLimit = 1 << 20; // bytes

// The lines of the file joined by "\n"; an empty text when the file does not exist (or is no regular
// file, or is larger than kDescriptionSizeLimit). exists (optional) tells which of the two it was.
QString loadRecordingDescription(const QString& path, bool* exists = nullptr);

// Writes text (lines separated by "\n", "\r\n" or "\r") with CR LF line ends, replacing the file. Like
// a saved text list every line, the last one too, ends with CR LF; an empty text gives an empty file.
// On failure returns false and puts the reason into error (optional).
bool saveRecordingDescription(const QString& path, const QString& text, CoreError* error = nullptr);

// The file a bare name such as "2024-03-07 14.05.09.roc" stands for: resolved against baseDir (the
// folder shown by the browser); an absolute name stays as it is.
QString resolveAgainst(const QString& baseDir, const QString& name);

} // namespace varnilog
