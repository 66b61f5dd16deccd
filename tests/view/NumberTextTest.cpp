#include "view/Cursors.h"
#include "view/Knobs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace varnilog;

namespace {
const QLocale c(QLocale::C);
const QLocale polish(QLocale::Polish, QLocale::Poland);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

// The offset text (Label16) and the cursor voltage (lbV2) in the user's number format; a small
// negative offset that truncates to nothing reads "0", not "-0".
TEST(NumberTextTest, OffsetAndCursorVoltageTexts) {
    struct Row {
        int offset;
        float referenceVoltage;
        int sensitivity;
        const QLocale& locale;
        const char* text;
    } rows[] = {
        {101, 2.5f, 4, c, "0.07V"},     {101, 2.5f, 4, polish, "0,07V"}, {99, 2.5f, 4, german, "-0,11V"},
        {99, 1.25f, 10, c, "0mV"}, // one step below zero at 10 mV/div: -0.74 mV truncates to 0
        {99, 1.25f, 10, polish, "0mV"}, {150, 2.5f, 1, german, "50V"},
    };
    for (const Row& r : rows) {
        const OffsetDisplay d = describeOffset(static_cast<std::uint8_t>(r.offset), 100, r.referenceVoltage,
                                               r.sensitivity, r.locale);
        EXPECT_EQ(d.text.toStdString(), r.text) << r.offset << " at " << r.sensitivity;
    }

    auto s = std::make_unique<SharedState>();
    s->channelSensitivity = {4, 4, 1, 1};
    s->cursor1Channel = 0;
    s->cursor2Channel = 1;
    s->cursorColumn = {10, 20};
    s->channelData[0][10] = 199;
    s->channelData[1][20] = 100;
    EXPECT_EQ(cursorVoltageText(*s, c), "U: 3.96V");
    EXPECT_EQ(cursorVoltageText(*s, polish), "U: 3,96V");
}
