#include "view/AnnotationRows.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace varnilog {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int clampColumn(std::int64_t c, int columns) {
    return static_cast<int>(std::clamp<std::int64_t>(c, 0, columns));
}

std::int64_t endOf(const AnnotationItem& item) {
    return std::max(item.end, item.start + 1);
}

// The first position of row.order whose item starts at or after sample.
std::size_t firstStartingAt(const AnnotationRows& rows, const AnnotationRow& row, std::int64_t sample) {
    return static_cast<std::size_t>(
        std::partition_point(row.order.begin(), row.order.end(),
                             [&](std::uint32_t i) { return rows.items[i].start < sample; }) -
        row.order.begin());
}

// text as UTF-16 into out, whose buffer is kept (QString's own conversions make a new one each time).
void utf8Into(QString& out, std::string_view text) {
    out.resize(static_cast<qsizetype>(text.size()) * 2);
    QChar* d = out.data();
    qsizetype n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            d[n++] = QChar(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            d[n++] = QChar(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            d[n++] = QChar(static_cast<char16_t>(cp));
        }
    }
    out.resize(n);
}

// Pale fills, one hue a class, as logic analysers colour their annotation classes.
constexpr std::array<QRgb, 10> kColours{0xFFF6C36B, 0xFF9FD7A0, 0xFF9CC3EC, 0xFFEFA3A3, 0xFFD2B4E6,
                                        0xFFF2E27C, 0xFF8FD9D2, 0xFFF0B7D4, 0xFFC8C8A0, 0xFFB9C9D9};

} // namespace

void addAnnotation(AnnotationRows& rows, int row, AnnotationItem item) {
    if (row < 0)
        return;
    if (static_cast<std::size_t>(row) >= rows.rows.size())
        rows.rows.resize(static_cast<std::size_t>(row) + 1);
    rows.rows[static_cast<std::size_t>(row)].order.push_back(static_cast<std::uint32_t>(rows.items.size()));
    rows.items.push_back(std::move(item));
}

void sortRows(AnnotationRows& rows) {
    for (AnnotationRow& row : rows.rows) {
        std::stable_sort(row.order.begin(), row.order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return rows.items[a].start < rows.items[b].start;
        });
        row.longest = 1;
        for (const std::uint32_t i : row.order)
            row.longest = std::max(row.longest, endOf(rows.items[i]) - rows.items[i].start);
    }
}

int textLength(std::string_view text) {
    // Every byte that does not continue a UTF-8 sequence starts a character.
    return static_cast<int>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

int fittingText(const std::vector<std::string>& texts, int width, int charWidth) {
    const int room = width - 2 * kAnnotationTextPadding;
    int best = -1, bestLength = -1;
    // The decoders give the longest first, but nothing holds them to it: the longest that fits wins.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int length = textLength(texts[i]);
        if (length > 0 && length * charWidth <= room && length > bestLength) {
            best = static_cast<int>(i);
            bestLength = length;
        }
    }
    return best;
}

void layoutRow(const AnnotationRows& rows, const AnnotationRow& row, std::int64_t viewStart,
               std::int32_t zoomDivisor, int columns, int charWidth, std::vector<AnnotationBox>& out) {
    out.clear();
    const std::int64_t zoom = std::max<std::int32_t>(zoomDivisor, 1);
    const std::int64_t viewEnd = viewStart + columns * zoom;
    std::size_t i = firstStartingAt(rows, row, viewStart - row.longest);
    while (i < row.order.size()) {
        const std::uint32_t index = row.order[i];
        const AnnotationItem& item = rows.items[index];
        if (item.start >= viewEnd)
            break;
        ++i;
        if (endOf(item) <= viewStart)
            continue;
        const int x0 = clampColumn(floorDiv(item.start - viewStart, zoom), columns);
        const int x1 = std::max(x0 + 1, clampColumn(floorDiv(endOf(item) - viewStart, zoom), columns));
        if (!out.empty() && x0 < out.back().x1) {
            // Shares a column with the box before: both become one mark, and whatever starts in
            // its columns joins it without being looked at one by one.
            AnnotationBox& mark = out.back();
            mark.text = -1;
            mark.merged = true;
            mark.x1 = std::max(mark.x1, x1);
            for (;;) {
                const std::size_t next = std::max(i, firstStartingAt(rows, row, viewStart + mark.x1 * zoom));
                int reach = mark.x1;
                if (next > i) {
                    // The last item skipped may reach past the mark's columns.
                    const AnnotationItem& last = rows.items[row.order[next - 1]];
                    reach = std::max(reach, clampColumn(floorDiv(endOf(last) - viewStart, zoom), columns));
                }
                i = next;
                if (reach <= mark.x1)
                    break;
                mark.x1 = reach;
            }
            continue;
        }
        out.push_back({x0, x1, index, fittingText(item.texts, x1 - x0, charWidth), false});
    }
}

std::optional<std::uint32_t> annotationAtColumn(const AnnotationRows& rows, const AnnotationRow& row,
                                                std::int64_t viewStart, std::int32_t zoomDivisor,
                                                int column) {
    const std::int64_t zoom = std::max<std::int32_t>(zoomDivisor, 1);
    const std::int64_t from = viewStart + column * zoom, to = from + zoom;
    for (std::size_t i = firstStartingAt(rows, row, from - row.longest); i < row.order.size(); ++i) {
        const AnnotationItem& item = rows.items[row.order[i]];
        if (item.start >= to)
            break;
        if (endOf(item) > from)
            return row.order[i];
    }
    return std::nullopt;
}

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsFolded(std::string_view text, std::string_view query) {
    return std::search(text.begin(), text.end(), query.begin(), query.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

bool equalFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && containsFolded(a, b);
}

// The byte a query names in hex, or -1.
int hexByte(std::string_view q) {
    if (q.size() > 2 && q[0] == '0' && lower(q[1]) == 'x')
        q.remove_prefix(2);
    else if (q.size() > 1 && lower(q.back()) == 'h')
        q.remove_suffix(1);
    else
        return -1;
    int value = 0;
    if (q.empty() || q.size() > 2)
        return -1;
    for (const char c : q) {
        const char l = lower(c);
        const int digit = l >= '0' && l <= '9' ? l - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

bool annotationMatches(const AnnotationItem& item, std::string_view query) {
    if (query.empty())
        return false;
    const int byte = hexByte(query);
    const char digits[] = "0123456789abcdef";
    const char hex[3] = {digits[(byte >> 4) & 15], digits[byte & 15], 0};
    for (const std::string& text : item.texts) {
        if (containsFolded(text, query))
            return true;
        if (byte >= 0 &&
            ((text.size() == 1 && static_cast<unsigned char>(text[0]) == byte) || equalFolded(text, hex) ||
             (text.size() == 4 && equalFolded(std::string_view(text).substr(2), hex) && text[0] == '0' &&
              lower(text[1]) == 'x')))
            return true;
    }
    return false;
}

std::vector<std::uint32_t> itemsByStart(const AnnotationRows& rows) {
    std::vector<std::uint32_t> order(rows.items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return rows.items[a].start < rows.items[b].start;
    });
    return order;
}

std::optional<std::size_t> findAnnotation(const AnnotationRows& rows, const std::vector<std::uint32_t>& order,
                                          std::ptrdiff_t from, bool forward, std::string_view query) {
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    for (std::ptrdiff_t i = from < 0 ? (forward ? 0 : n - 1) : from + (forward ? 1 : -1); i >= 0 && i < n;
         i += forward ? 1 : -1)
        if (annotationMatches(rows.items[order[static_cast<std::size_t>(i)]], query))
            return static_cast<std::size_t>(i);
    return std::nullopt;
}

QRgb annotationColour(int colour) {
    return kColours[static_cast<std::size_t>(std::abs(colour)) % kColours.size()];
}

QFont annotationFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(10);
    return font;
}

int annotationCharWidth(const QFont& font) {
    return std::max(1, QFontMetrics(font).horizontalAdvance(QLatin1Char('0')));
}

void drawAnnotationRows(QImage& picture, const AnnotationRows& rows, std::int64_t viewStart,
                        std::int32_t zoomDivisor, const QFont& font, std::vector<AnnotationBox>& boxes) {
    picture.fill(0xFFFFFFFF);
    QPainter p(&picture);
    p.setFont(font);
    const int charWidth = annotationCharWidth(font);
    const int columns = picture.width();
    boxes.reserve(static_cast<std::size_t>(columns) + 1);
    thread_local QString text; // its capacity is kept from box to box
    for (std::size_t r = 0; r < rows.rows.size(); ++r) {
        const int top = static_cast<int>(r) * kAnnotationRowHeight;
        p.fillRect(0, top + kAnnotationRowHeight - 1, columns, 1, QColor(0xE0, 0xE0, 0xE0));
        layoutRow(rows, rows.rows[r], viewStart, zoomDivisor, columns, charWidth, boxes);
        for (const AnnotationBox& b : boxes) {
            const QColor fill = QColor::fromRgb(annotationColour(rows.items[b.item].colour));
            const QRect box(b.x0, top + 1, b.x1 - b.x0, kAnnotationRowHeight - 3);
            if (b.merged) {
                p.fillRect(box.adjusted(0, 3, 0, -3), fill.darker(150));
                continue;
            }
            p.fillRect(box, fill);
            p.setPen(fill.darker(170));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (b.text >= 0) {
                utf8Into(text, rows.items[b.item].texts[static_cast<std::size_t>(b.text)]);
                p.setPen(Qt::black);
                p.drawText(box, Qt::AlignCenter, text);
            }
        }
    }
}

} // namespace varnilog
