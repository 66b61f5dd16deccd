// The printable page saved as a file: PNG, SVG or PDF, chosen by the file's extension. Written through
// the safe writer, so a failed write (a full disk too) leaves the old file and nothing else. Core: QtGui and
// Qt SVG.
#pragma once

#include "view/PrintPage.h"

#include <QImage>
#include <QString>

namespace varnilog {

enum class PageFormat { Png, Svg, Pdf, Unknown };

// The format of a file name by its extension, in any letter case.
PageFormat pageFormatFor(const QString& path);

// Picture scale of the raster pages (PNG, SVG): each picture pixel becomes 2 x 2.
inline constexpr int kSavedPictureScale = 2;

// Writes the page to path in the format of its extension; false with the reason in error (the
// system's text for a failed write, "unknown file type" for another extension).
bool writePageFile(const QString& path, const PrintPageContent& content, QString* error = nullptr);

// Writes image to path as PNG through the safe writer; false with the system's reason in error.
bool writeImageFile(const QString& path, const QImage& image, QString* error = nullptr);

} // namespace varnilog
