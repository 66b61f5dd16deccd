#include "recording/RecordingDetails.h"
#include "recording/RecordingFileSet.h"

#include "support/NumberLocales.h"
#include "support/TestFiles.h"
#include "view/ScaleTables.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;

namespace {
using test::kComma;
using test::kPoint;
using test::writeFile;
} // namespace

TEST(RecordingDetailsTest, SiblingNames) {
    struct Row {
        const char *path, *extension, *expected;
    } rows[] = {
        {"/d/a.ros", ".rca", "/d/a.rca"},
        {"/d/2024-03-07 14.05.09.ros", ".roc", "/d/2024-03-07 14.05.09.roc"},
        {"/d.x/a", ".rcb", "/d.x/a.rcb"}, // a dot in the folder is not an extension
        {"a", ".rcd", "a.rcd"},
        {"/d/a.b.ROS", ".rcc", "/d/a.b.rcc"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(siblingPath(r.path, r.extension).toStdString(), r.expected) << r.path;
}

TEST(RecordingDetailsTest, PeriodTexts) {
    struct Row {
        int index;
        const char* point;
        const char* comma;
    } rows[] = {
        {1, "1000", "1000"},      {2, "500", "500"},        {5, "50", "50"},      {10, "1", "1"},
        {11, "0.5", "0,5"},       {14, "0.05", "0,05"},     {15, "0.02", "0,02"}, {19, "0.001", "0,001"},
        {20, "0.0005", "0,0005"}, {22, "0.0001", "0,0001"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(periodText(samplingPeriodTable[r.index], kPoint).toStdString(), r.point) << r.index;
        EXPECT_EQ(periodText(samplingPeriodTable[r.index], kComma).toStdString(), r.comma) << r.index;
    }
}

TEST(RecordingDetailsTest, DetailsOfASelectedRecording) {
    QTemporaryDir dir;
    struct Row {
        const char* name;
        const char* ros;  // nullptr = no ".ros" file
        int rcaBytes;     // -1 = no ".rca" file
        int currentIndex; // the time base in force
        const QLocale* locale;
        bool select; // false = no entry selected
        const char* period;
        const char* start;
        const char* channels;
        const char* length;
    } rows[] = {
        {"5000 samples at 1 ms", "[PARAMETRY]\nPODSTAWA=10\nILOSCKANALOW=2\nSTART=2024-03-07 14.05.09\n",
         5000, 15, &kPoint, true, "1", "2024-03-07 14.05.09", "2", "0000:00:05:000"},
        {"no ILOSCKANALOW shows 1", "[PARAMETRY]\nPODSTAWA=10\nSTART=x\n", 10, 15, &kPoint, true, "1", "x",
         "1", "0000:00:00:010"},
        {"no PODSTAWA takes the current time base", "[PARAMETRY]\nILOSCKANALOW=4\n", 100, 15, &kPoint, true,
         "0.02", "...", "4", "0000:00:00:002"},
        {"comma locale", "[PARAMETRY]\nPODSTAWA=11\n", 3, 1, &kComma, true, "0,5", "...", "1",
         "0000:00:00:002"},
        {"an hour of samples", "[PARAMETRY]\nPODSTAWA=7\n", 360000, 1, &kPoint, true, "10", "...", "1",
         "0001:00:00:000"},
        {"missing .rca is -1 samples", "[PARAMETRY]\nPODSTAWA=2\n", -1, 15, &kPoint, true, "500", "...", "1",
         "0000:00:00:-500"},
        {"missing .ros and .rca", nullptr, -1, 1, &kPoint, true, "1000", "...", "1", "0000:00:-1:000"},
        {"time base 0 is taken as 1", "[PARAMETRY]\nPODSTAWA=0\n", 2, 15, &kPoint, true, "1000", "...", "1",
         "0000:00:02:000"},
        {"time base 40 is taken as 22", "[PARAMETRY]\nPODSTAWA=40\n", 10000, 15, &kPoint, true, "0.0001",
         "...", "1", "0000:00:00:001"},
        {"nothing selected, time base 15", nullptr, -1, 15, &kPoint, false, "0.02", "...", "1",
         "0000:00:00:000"},
        {"nothing selected, time base 1", nullptr, -1, 1, &kPoint, false, "1000", "...", "1",
         "0000:00:-1:000"},
    };
    int n = 0;
    for (const Row& r : rows) {
        const QString base = dir.filePath(QString("rec%1").arg(n++));
        if (r.ros != nullptr)
            writeFile(base + ".ros", r.ros);
        if (r.rcaBytes >= 0)
            writeFile(base + ".rca", QByteArray(r.rcaBytes, char(125)));
        const RecordingDetails d = readRecordingDetails(r.select ? base + ".ros" : QString(),
                                                        static_cast<std::uint8_t>(r.currentIndex), *r.locale);
        EXPECT_EQ(d.period.toStdString(), r.period) << r.name;
        EXPECT_EQ(d.start.toStdString(), r.start) << r.name;
        EXPECT_EQ(d.channels.toStdString(), r.channels) << r.name;
        EXPECT_EQ(d.length.toStdString(), r.length) << r.name;
        EXPECT_EQ(d.markers.toStdString(), "0") << r.name;
    }
    // The markers that can be read are counted, a damaged line is not.
    writeFile(dir.filePath("rec0.rmk"), "varnilog-markers;1\r\n1;1;uwaga;a\r\nbad\r\n5;9;zakres;b\r\n");
    EXPECT_EQ(readRecordingDetails(dir.filePath("rec0.ros"), 1, kPoint).markers.toStdString(), "2");
}
