#include "view/ScaleTables.h"
#include "view/SampleCodes.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(ScaleTablesTest, VoltLabels) {
    struct Row {
        int row, column;
        const char* text;
    } rows[] = {
        {1, 0, "-50V"},   {1, 5, "0V"},     {1, 10, "50V"},   {2, 1, "-20V"}, {3, 9, "8V"},
        {4, 4, "-1V"},    {5, 0, "-2.5V"},  {5, 5, "0.0V"},   {5, 7, "1.0V"}, {6, 3, "-0.4V"},
        {7, 10, "0.5V"},  {7, 4, "-0.1V"},  {8, 0, "-250mV"}, {8, 5, "0mV"},  {9, 4, "-20mV"},
        {10, 4, "-10mV"}, {10, 10, "50mV"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(voltLabel(r.row, r.column), QString::fromLatin1(r.text)) << r.row << "," << r.column;
    }
    // Column 6 is the sensitivity itself.
    const char* perDivision[] = {"10V", "5V", "2V", "1V", "0.5V", "0.2V", "0.1V", "50mV", "20mV", "10mV"};
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(voltLabel(i, 6), QString::fromLatin1(perDivision[i - 1]));
    }
}

TEST(ScaleTablesTest, PeriodsAreSinglePrecision) {
    EXPECT_EQ(samplingPeriodTable[1], 1000.0f);
    EXPECT_EQ(samplingPeriodTable[13], 0.1f);
    EXPECT_EQ(samplingPeriodTable[22], 0.0001f);
    EXPECT_NE(static_cast<double>(samplingPeriodTable[12]), 0.2); // held as 0.2000000030
    EXPECT_NEAR(static_cast<double>(samplingPeriodTable[12]), 0.2000000030, 1e-10);
    EXPECT_EQ(sensitivityTable[1], 10.0);
    EXPECT_EQ(sensitivityTable[10], 0.01);
}

TEST(ScaleTablesTest, CaptionsAndMarks) {
    EXPECT_EQ(timeBaseCaption(1), "1s");
    EXPECT_EQ(timeBaseCaption(11), "0.5ms");
    EXPECT_EQ(timeBaseCaption(15), "20us");
    EXPECT_EQ(timeBaseCaption(22), "0.1us");
    EXPECT_EQ(timeBaseIndicatorPosition(1), QPoint(126, 104));
    EXPECT_EQ(timeBaseIndicatorPosition(22), QPoint(120, 109));
    EXPECT_EQ(sensitivityIndicatorPosition(1), QPoint(44, 76));
    EXPECT_EQ(sensitivityIndicatorPosition(10), QPoint(75, 76));
    EXPECT_EQ(QString(QChar::fromLatin1(channelName[3])), "D");
}

TEST(ScaleTablesTest, CodesToVolts) {
    struct Row {
        int code, sensitivity;
        double volts;
    } rows[] = {
        {150, 4, 1.0},  {100, 4, -1.0}, {125, 1, 0.0},   {255, 1, 52.0},
        {0, 10, -0.05}, {150, 0, 10.0}, {150, 11, 0.01}, // an index outside the table is clamped into it
    };
    for (const Row& r : rows)
        EXPECT_NEAR(codeVolts(static_cast<std::uint8_t>(r.code), r.sensitivity), r.volts, 1e-12)
            << r.code << " at " << r.sensitivity;
    // The export's order of multiplication, (code - 125) x V/div, then x 0.04, to the last bit.
    EXPECT_EQ(codeVolts(126, 7), 1.0 * 0.1 * 0.04);
    EXPECT_EQ(stepVolts(-3.5, 9), -3.5 * 0.02 * 0.04);
}
