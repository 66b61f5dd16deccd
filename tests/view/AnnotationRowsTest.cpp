// The annotation rows' arithmetic worked out by hand: which text a box takes, the columns of the
// boxes at several zooms and scrolls, merged marks, the item under a column, and the search.
#include "view/AnnotationRows.h"

#include <gtest/gtest.h>

#include <tuple>

namespace varnilog {
namespace {

AnnotationRows rowOf(const std::vector<std::pair<std::int64_t, std::int64_t>>& spans) {
    AnnotationRows rows;
    for (const auto& [start, end] : spans)
        addAnnotation(rows, 0, {start, end, {"Data 0x41", "41", "A"}, 0, 0});
    sortRows(rows);
    return rows;
}

TEST(AnnotationRowsTest, TheLongestTextThatFitsThenShorterThenNone) {
    const std::vector<std::string> texts{"Data 0x41", "41", "A"};
    const struct {
        int width, want;
    } cases[] = {{58, 0}, {57, 1}, {16, 1}, {15, 2}, {10, 2}, {9, -1}, {0, -1}};
    for (const auto& c : cases) // 6 pixels a character, 2 free on each side
        EXPECT_EQ(fittingText(texts, c.width, 6), c.want) << c.width;
    EXPECT_EQ(textLength("Łódź"), 4);
    EXPECT_EQ(fittingText({"Łódź"}, 4 * 6 + 4, 6), 0); // characters, not bytes
    EXPECT_EQ(fittingText({"", "ab"}, 100, 6), 1);     // an empty text is no text
}

TEST(AnnotationRowsTest, BoxesInTheViewsColumns) {
    using Box = std::tuple<int, int, int, bool>; // x0, x1, text, merged
    const struct {
        std::vector<std::pair<std::int64_t, std::int64_t>> items;
        std::int64_t viewStart;
        int zoom;
        std::vector<Box> want;
    } cases[] = {
        // Zoom 1: a column a sample; 22 columns take "Data 0x41" (9 × 2 px + 2 × 2 free), 6 only "A".
        {{{10, 32}, {32, 38}}, 0, 1, {{10, 32, 0, false}, {32, 38, 2, false}}},
        // Scrolled: clipped at the left edge, the columns count from the view's start.
        {{{10, 40}}, 25, 1, {{0, 15, 1, false}}},
        // Zoom 4: the same items a quarter as wide; the second too narrow for any text.
        {{{10, 32}, {32, 38}}, 0, 4, {{2, 8, 2, false}, {8, 9, -1, false}}},
        // Items that share a column become one mark, reaching the last one's end.
        {{{0, 3}, {3, 5}, {5, 9}, {40, 100}}, 0, 10, {{0, 1, -1, true}, {4, 10, 2, false}}},
        // Past the right edge nothing is laid out; an item of no length covers its sample's column.
        {{{5, 5}, {60, 70}}, 0, 1, {{5, 6, -1, false}}},
        // The view starts inside a long item: found through the row's longest item.
        {{{0, 400}, {400, 401}}, 380, 1, {{0, 20, 1, false}, {20, 21, -1, false}}},
    };
    std::vector<AnnotationBox> boxes;
    for (const auto& c : cases) {
        const AnnotationRows rows = rowOf(c.items);
        layoutRow(rows, rows.rows[0], c.viewStart, c.zoom, 50, 2, boxes);
        std::vector<Box> got;
        for (const AnnotationBox& b : boxes)
            got.emplace_back(b.x0, b.x1, b.text, b.merged);
        EXPECT_EQ(got, c.want) << c.viewStart << " zoom " << c.zoom;
    }
    // Under a column: the item whose samples meet it, none in a gap.
    const AnnotationRows rows = rowOf({{10, 30}, {40, 41}});
    EXPECT_EQ(annotationAtColumn(rows, rows.rows[0], 0, 4, 3), 0u);  // samples 12..15
    EXPECT_EQ(annotationAtColumn(rows, rows.rows[0], 0, 4, 10), 1u); // 40..43
    EXPECT_EQ(annotationAtColumn(rows, rows.rows[0], 0, 4, 8), std::nullopt);
}

TEST(AnnotationRowsTest, SearchByTextOrHexByte) {
    AnnotationRows rows;
    for (const auto& t :
         std::vector<std::vector<std::string>>{{"Start bit", "S"}, {"A"}, {"4F"}, {"0x4f"}, {"xyz"}})
        addAnnotation(rows, 0, {static_cast<std::int64_t>(rows.items.size()) * 10, 0, t, 0, 0});
    const struct {
        const char* query;
        std::vector<int> matches;
    } cases[] = {
        {"start", {0}}, {"0x41", {1}}, {"41h", {1}}, {"0x4F", {2, 3}}, {"4f", {2, 3}},
        {"0x", {3}},    {"0x123", {}}, {"", {}},     {"xy", {4}},
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        for (std::size_t i = 0; i < rows.items.size(); ++i)
            if (annotationMatches(rows.items[i], c.query))
                got.push_back(static_cast<int>(i));
        EXPECT_EQ(got, c.matches) << c.query;
    }
    const std::vector<std::uint32_t> order = itemsByStart(rows);
    EXPECT_EQ(findAnnotation(rows, order, -1, true, "4f"), 2u);
    EXPECT_EQ(findAnnotation(rows, order, 2, true, "4f"), 3u);
    EXPECT_EQ(findAnnotation(rows, order, 3, true, "4f"), std::nullopt);
    EXPECT_EQ(findAnnotation(rows, order, 3, false, "4f"), 2u);
    EXPECT_EQ(findAnnotation(rows, order, -1, false, "S"), 0u);
}

} // namespace
} // namespace varnilog
