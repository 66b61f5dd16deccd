#include "view/CursorReadout.h"

#include <QFile>
#include <QTemporaryDir>

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

// Hand-worked, from A's sample file (code k % 256 at sample k, so sample 1503 is code 223): 1 V/div,
// a code is 0.04 V, so code 223 is 98 x 0.04 = 3.92 V. 0.5 ms per sample. The view is at zoom 10
// from 1000 (samples 1000..5999); a cursor off it still reads its sample. B has no file: it reads the
// view's column where the cursor is on the picture, nothing elsewhere. The voltage cursors are on the
// selected channel B at 0.5 V/div (0.02 V a code).
TEST(CursorReadoutTest, CursorsReadTheirOwnSamples) {
    QTemporaryDir dir;
    QFile out(dir.filePath("a.rca"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    QByteArray codes(10000, 0);
    for (int k = 0; k < codes.size(); ++k)
        codes[k] = static_cast<char>(k % 256);
    out.write(codes);
    out.close();
    auto s = std::make_unique<SharedState>();
    s->sampleFile[0].setFileName(out.fileName());
    ASSERT_TRUE(s->sampleFile[0].open(QIODevice::ReadOnly));
    s->samplingPeriodMs = 0.5f;
    s->zoomDivisor = 10;
    s->viewStart = 1000;
    s->channelSensitivity = {4, 5, 1, 1};
    s->channelVisible = {true, true, false, false};
    s->selectedChannel = 1;
    s->channelData[1][50] = 150; // B's column of sample 1503
    const struct {
        std::array<std::int64_t, 2> samples;
        std::optional<double> a1, a2, b1, deltaA;
        double deltaMs;
        std::optional<double> inverseHz;
    } rows[] = {
        {{1503, 1756}, 3.92, 3.80, 0.5, -0.12, 126.5, 1000.0 / 126.5},            // codes 223, 220
        {{9000, 1503}, -3.4, 3.92, std::nullopt, 7.32, -3748.5, 1000.0 / 3748.5}, // code 40; B off the view
        {{2000, 2000}, 3.32, 3.32, -2.5, 0.0, 0.0, std::nullopt},                 // B's column 100 is code 0
        {{20000, 1503}, std::nullopt, 3.92, std::nullopt, std::nullopt, -9248.5, 1000.0 / 9248.5}, // past the
                                                                                                   // end
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.samples[0] << ", " << row.samples[1]);
        CursorPlaces places;
        places.sample = row.samples;
        places.levelsOn = true;
        places.levelCode = {150, 100};
        const CursorReadout r = cursorReadout(*s, places);
        const auto near = [](std::optional<double> got, std::optional<double> want) {
            EXPECT_EQ(got.has_value(), want.has_value());
            if (got && want) {
                EXPECT_NEAR(*got, *want, 1e-9);
            }
        };
        near(r.volts[0][0], row.a1);
        near(r.volts[1][0], row.a2);
        near(r.volts[0][1], row.b1);
        near(r.deltaVolts[0], row.deltaA);
        EXPECT_FALSE(r.volts[0][2]) << "hidden channels are not read";
        EXPECT_NEAR(r.deltaMs, row.deltaMs, 1e-9);
        near(r.inverseHz, row.inverseHz);
        EXPECT_EQ(r.levelChannel, 1);
        EXPECT_NEAR(r.levelVolts[0], 0.5, 1e-12);
        EXPECT_NEAR(r.levelVolts[1], -0.5, 1e-12);
        EXPECT_NEAR(r.levelDeltaVolts, -1.0, 1e-12);
    }
}

// Columns of samples at zoom 10 from 1000, and rows of codes (250 - code, within the picture).
TEST(CursorReadoutTest, CursorsFindTheirColumnsAndRows) {
    const struct {
        std::int64_t sample;
        std::optional<int> column;
    } columns[] = {{1000, 0}, {1503, 50}, {5999, 499}, {999, std::nullopt}, {6000, std::nullopt}};
    for (const auto& c : columns)
        EXPECT_EQ(cursorColumnOf(c.sample, 1000, 10), c.column) << c.sample;
    const struct {
        int row, code, rowOfCode;
    } rows[] = {{100, 150, 100}, {0, 250, 0}, {-5, 255, 0}, {249, 1, 249}, {300, 0, 249}};
    for (const auto& r : rows) {
        EXPECT_EQ(levelCodeAtRow(r.row), r.code) << r.row;
        EXPECT_EQ(levelRowOf(r.code), r.rowOfCode) << r.code;
    }
}
