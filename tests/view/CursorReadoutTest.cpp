#include "view/CursorReadout.h"

#include <gtest/gtest.h>

using namespace varnilog;

// Hand-worked: time base 1 ms per sample, zoom 10, view from sample 1000; cursor 1 at column 50
// (sample 1500), cursor 2 at column 75 (sample 1750): ΔT 250 ms, 1/ΔT 4 Hz. A at 1 V/div (index 4):
// code 150 is 25 x 0.04 V = 1 V; B at 10 V/div (index 1): code 100 is -25 x 0.4 V = -10 V.
TEST(CursorReadoutTest, ReadsTimesValuesAndTheirDifferenceByHand) {
    auto s = std::make_unique<SharedState>();
    s->samplingPeriodMs = 1;
    s->zoomDivisor = 10;
    s->viewStart = 1000;
    s->channelSensitivity = {4, 1, 1, 1};
    s->channelVisible = {true, true, false, false};
    s->cursorColumn = {50, 75};
    s->channelData[0][50] = 150;
    s->channelData[1][50] = 100;
    s->channelData[0][75] = 125;
    s->channelData[1][75] = 125;
    const CursorReadout r = cursorReadout(*s);
    EXPECT_EQ(r.sample, (std::array<std::int64_t, 2>{1500, 1750}));
    EXPECT_DOUBLE_EQ(*r.volts[0][0], 1.0);
    EXPECT_DOUBLE_EQ(*r.volts[0][1], -10.0);
    EXPECT_FALSE(r.volts[0][2]) << "hidden channels are not read";
    EXPECT_DOUBLE_EQ(r.deltaMs, 250.0);
    EXPECT_DOUBLE_EQ(*r.inverseHz, 4.0);
    EXPECT_EQ(
        cursorReadoutText(r, 1, QLocale::c()),
        "K1 0000:00:01:500 A 1 V B -10 V | K2 0000:00:01:750 A 0 V B 0 V | ΔT 0000:00:00:250 1/ΔT 4 Hz");
    CursorReadout compared = r; // a comparison's channel B where it has a sample: at cursor 2 only
    compared.comparedChannel = 1;
    compared.compared[1] = 0.5;
    EXPECT_EQ(cursorReadoutText(compared, 1, QLocale::c()),
              "K1 0000:00:01:500 A 1 V B -10 V | K2 0000:00:01:750 A 0 V B 0 V B' 0.5 V | ΔT 0000:00:00:250 "
              "1/ΔT 4 Hz");
    s->cursorColumn = {60, 60};
    EXPECT_FALSE(cursorReadout(*s).inverseHz) << "no frequency of cursors on one sample";
}
