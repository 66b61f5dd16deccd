#include "view/Knobs.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(KnobsTest, AngleOfAPositionOnTheKnob) {
    struct Row {
        int x, y, angle;
    } rows[] = {
        {31, 0, 135},  // straight up
        {0, 31, 46},   // left, nudged just above the centre line: 179 degrees -> 225 - 179
        {62, 31, 225}, // right, just above the centre line
        {10, 60, 0},   // dead zone, left of the centre: lower-left end
        {50, 60, 270}, // dead zone, right: lower-right end
        {31, 62, 270}, // straight down counts as the right half
        {0, 62, 0},    // -135 degrees exactly is on the scale: -(-135) - 135 = 0
    };
    for (const Row& r : rows) {
        EXPECT_EQ(knobAngle(r.x, r.y, 31), r.angle) << r.x << "," << r.y;
    }
}

TEST(KnobsTest, SensitivityKnobIndices) {
    EXPECT_EQ(sensitivityFromKnob(10, 60, 1, 10), 1);  // dead zone left
    EXPECT_EQ(sensitivityFromKnob(50, 60, 1, 10), 10); // dead zone right
    EXPECT_EQ(sensitivityFromKnob(50, 60, 1, 7), 7);   // model limit
    EXPECT_EQ(sensitivityFromKnob(10, 60, 3, 7), 3);
    EXPECT_EQ(sensitivityFromKnob(31, 0, 1, 10), 6); // top: 135 degrees -> (150 div 30) + 1
}

TEST(KnobsTest, TimeBaseKnobIndices) {
    EXPECT_EQ(timeBaseFromKnob(82, 41, 22), 4); // right edge, 0 degrees
    // About -60 degrees (lower right): 1 s.
    EXPECT_EQ(timeBaseFromKnob(41 + 20, 41 + 35, 22), 1);
    EXPECT_EQ(timeBaseFromKnob(41, 82, 22), 21); // straight down
    EXPECT_EQ(timeBaseFromKnob(41, 82, 15), 15); // limited by the model
    EXPECT_EQ(timeBaseFromKnob(41, 0, 22), 9);   // straight up: (98 * 0.0611) = 5 -> index 9
}

TEST(KnobsTest, OffsetRangeIndicatorAndText) {
    EXPECT_FLOAT_EQ(offsetRange(2.5f), 50.0f);
    const OffsetDisplay none = describeOffset(100, 100, 2.5f, 1);
    EXPECT_EQ(none.offset, 100);
    EXPECT_EQ(none.angle, 135);
    EXPECT_EQ(none.indicator, QPoint(138, 103));
    EXPECT_EQ(none.text, "0V");
    struct Row {
        int offset, sensitivity;
        const char* text;
        int kept;
    } rows[] = {
        {160, 1, "50V", 150}, // clamped to zero + range, text rounded up to the end
        {150, 1, "50V", 150},        {40, 1, "-50V", 50},  {110, 4, "1V", 110}, // +10 steps of 50 at 1 V/div
        {100 - 25, 8, "-125mV", 75}, {255, 1, "-50V", 50}, // 255 is 0 then raised to the range
    };
    for (const Row& r : rows) {
        const OffsetDisplay d = describeOffset(static_cast<std::uint8_t>(r.offset), 100, 2.5f, r.sensitivity);
        EXPECT_EQ(d.offset, r.kept) << r.offset;
        EXPECT_EQ(d.text, QString::fromLatin1(r.text)) << r.offset;
    }
    // 20 steps at 0.5 V/div: angle 189, v = trunc(54 * 250 / 135) = 100 -> "1V".
    EXPECT_EQ(describeOffset(120, 100, 2.5f, 5).text, "1V");
    EXPECT_EQ(offsetFromKnob(16, 0, 100, 2.5f), 100); // straight up: no offset
    EXPECT_EQ(offsetFromKnob(2, 31, 100, 2.5f), 50);  // dead zone left: the low end
    EXPECT_EQ(offsetFromKnob(0, 30, 100, 2.5f), 51);  // just left of the dead zone: 3 degrees
}
