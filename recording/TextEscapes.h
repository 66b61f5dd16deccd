// Texts read from files or given by decoders, made safe to write out: control characters as escapes
// for a terminal or a line of text, and JSON strings with their escapes. The command line and the
// annotation export share them. Depends on QtCore.
#pragma once

#include <QByteArray>
#include <QString>

namespace varnilog {

// text with its control characters written as escapes ("\x1b", "\r"): a value read from a file
// cannot move the cursor, recolour or clear the terminal it is printed on, nor break a line.
QString printableText(const QString& text);

// text as a JSON string, quoted. A name's byte that is no UTF-8 (kept as U+DC80..U+DCFF, see
// recording/FileIdentity.h) stays its escaped surrogate, as Python's and Qt's JSON write it.
QByteArray jsonString(const QString& text);

} // namespace varnilog
