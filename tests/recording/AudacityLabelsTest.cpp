#include "recording/AudacityLabels.h"

#include "view/ScaleTables.h"

#include <gtest/gtest.h>

using namespace varnilog;

// Every time base's label times name their own sample: 6 decimals as Audacity writes them, more when
// the rate needs them, and each reads back to the sample it was written for, far into the recording.
TEST(AudacityLabelsTest, TimesKeepEverySampleAtEveryRate) {
    const struct {
        int timeBase;
        std::int64_t sample;
        const char* text;
    } rows[] = {
        {10, 2, "0.002000"},              // 1 ms
        {1, 3, "3.000000"},               // 1 s
        {19, 1, "0.000001"},              // 1 us
        {20, 1, "0.0000005"},             // 0.5 us: 6 decimals would make it 0.000001 (sample 2)
        {21, 3, "0.0000006"},             // 0.2 us
        {22, 7, "0.0000007"},             // 0.1 us: 6 decimals would make it 0.000001 (sample 10)
        {22, 1, "0.0000001"},             // 0.1 us: 6 decimals would make it 0 (gone onto sample 0)
        {22, 123456789, "12.3456789"},    // the float period's own error would move it
        {20, 2999999999, "1499.9999995"}, // past 2^31 samples
    };
    for (const auto& row : rows) {
        const float period = samplingPeriodTable[row.timeBase];
        const std::vector<Marker> markers{
            {row.sample, row.sample + 1, MarkerKind::Zakres, QStringLiteral("m")}};
        const QByteArray text = encodeAudacityLabels(markers, period);
        EXPECT_TRUE(text.startsWith(QByteArray(row.text) + '\t'))
            << row.timeBase << ": " << text.toStdString();
        const AudacityImport back = parseAudacityLabels(text, period, row.sample + 2);
        EXPECT_TRUE(back.skippedLines.empty()) << row.timeBase;
        ASSERT_EQ(back.markers.size(), 1u) << row.timeBase << ": " << text.toStdString();
        EXPECT_EQ(back.markers[0].start, row.sample) << row.timeBase;
        EXPECT_EQ(back.markers[0].end, row.sample + 1) << row.timeBase;
    }
}
