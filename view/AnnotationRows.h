// Decoded annotations drawn as rows under the waveform, in the view's own columns: each row holds
// the annotations of one annotation row of one decoder, sorted by start, and a view window of it
// becomes boxes of whole columns. A box takes the longest of its texts that fits (a fixed-pitch font:
// text widths are character counts), then a shorter one, then none (a mark); annotations that share a
// column with their neighbour are merged into one mark, so a million of them cost a few binary
// searches per column. Layout and drawing allocate nothing once the box list has its capacity.
// Core: depends on QtGui's QImage and QPainter.
#pragma once

#include <QFont>
#include <QImage>
#include <QRgb>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnilog {

inline constexpr int kAnnotationRowHeight = 14;  // pixels of one row
inline constexpr int kAnnotationTextPadding = 2; // pixels left free on each side of a box's text

struct AnnotationItem {
    std::int64_t start = 0, end = 0; // samples; end == start: one sample
    std::vector<std::string> texts;  // longest first
    int colour = 0;                  // the annotation class: its colour
    int decoder = 0;                 // its index in the stack
};

struct AnnotationRow {
    std::string label;                // the decoder and its row, as the left margin shows them
    std::vector<std::uint32_t> order; // indexes into the items, by start
    std::int64_t longest = 1;         // the longest item's length in samples (at least 1)
};

struct AnnotationRows {
    std::vector<AnnotationItem> items; // in the order the decoders gave them
    std::vector<AnnotationRow> rows;
    bool empty() const { return rows.empty(); }
};

// Adds an item to row (rows made up to it), after the others; sortRows() orders the rows after.
void addAnnotation(AnnotationRows& rows, int row, AnnotationItem item);
// Orders each row by start (stable: equal starts keep the decoders' order) and notes its longest item.
void sortRows(AnnotationRows& rows);

// A box of a row: columns [x0, x1) of the view, the first item in it and the text shown (-1: none).
struct AnnotationBox {
    int x0 = 0, x1 = 0;
    std::uint32_t item = 0;
    int text = -1;
    bool merged = false; // several items share these columns: drawn as a mark
};

// Characters of a UTF-8 text (its code points).
int textLength(std::string_view text);
// The first (longest) of texts whose characters at charWidth pixels fit width pixels with the
// padding on both sides; -1 when none does.
int fittingText(const std::vector<std::string>& texts, int width, int charWidth);

// The boxes of row for the columns [0, columns) of a view at viewStart, zoomDivisor samples a column:
// an item covers the columns from its start's to its end's (at least one), clipped to the view.
void layoutRow(const AnnotationRows& rows, const AnnotationRow& row, std::int64_t viewStart,
               std::int32_t zoomDivisor, int columns, int charWidth, std::vector<AnnotationBox>& out);

// The item of row whose samples meet column's (the first by start), for the hover text.
std::optional<std::uint32_t> annotationAtColumn(const AnnotationRows& rows, const AnnotationRow& row,
                                                std::int64_t viewStart, std::int32_t zoomDivisor, int column);

// Whether query is in one of item's texts (letters of any case); a query that is a byte in hex
// ("0x41", "41h") also matches a text that is that byte's character ("A") or its hex digits.
bool annotationMatches(const AnnotationItem& item, std::string_view query);
// Every item by start (equal starts in the decoders' order): the table's order.
std::vector<std::uint32_t> itemsByStart(const AnnotationRows& rows);
// The position in order after (forward) or before from whose item matches query; from -1 searches
// from the start (forward) or the end. Empty when none does.
std::optional<std::size_t> findAnnotation(const AnnotationRows& rows, const std::vector<std::uint32_t>& order,
                                          std::ptrdiff_t from, bool forward, std::string_view query);

// The colour of an annotation class's boxes.
QRgb annotationColour(int colour);

// The font of the boxes' texts, and the width of one of its characters.
QFont annotationFont();
int annotationCharWidth(const QFont& font);

// Draws every row (kAnnotationRowHeight each, top to bottom) of the view into picture, whose width
// is the view's columns; boxes is the working list (kept between calls so it allocates once).
void drawAnnotationRows(QImage& picture, const AnnotationRows& rows, std::int64_t viewStart,
                        std::int32_t zoomDivisor, const QFont& font, std::vector<AnnotationBox>& boxes);

} // namespace varnilog
