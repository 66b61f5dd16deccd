// Decoding a recording's span: the default level is the middle of the span's codes, and any chunk
// size gives the same annotations with the recording's own sample numbers.
#include "decode/RecordingDecode.h"

#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <tuple>

namespace varnilog {
namespace {

TEST(RecordingDecodeTest, AnyChunkSizeGivesTheSameAnnotationsFromTheSpansStart) {
    QTemporaryDir dir;
    const std::vector<std::uint8_t> codes =
        test::analogCodes(test::uartLevels({'v', '2'}, 10), {110, 170, 2, 3, 4});
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 1, {codes}});
    RecordingDecodeRequest request;
    request.sampleFiles[0] = ros.chopped(4) + QStringLiteral(".rca");
    request.sensitivity = {4, 4, 4, 4};
    request.samplingPeriodMs = 1.0f;
    request.span = {5, static_cast<std::int64_t>(codes.size())};
    request.stack = {{"uart", {{"baudrate", "100"}, {"format", "ascii"}}}};
    request.channels = {{"rx", 0}};
    std::vector<std::tuple<std::int64_t, std::int64_t, std::string>> first;
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 16}) {
        request.chunkSamples = chunk;
        std::vector<std::tuple<std::int64_t, std::int64_t, std::string>> got;
        const RecordingDecodeResult r = decodeRecording(request, [&](const Annotation& a) {
            if (a.annotationClass == 0)
                got.emplace_back(a.start, a.end, a.texts.at(0));
        });
        ASSERT_TRUE(r.ok()) << r.problem.message << r.readError.toStdString();
        EXPECT_EQ(r.sampleRateHz, 1000u);
        const auto [lo, hi] = std::minmax_element(codes.begin() + 5, codes.end());
        EXPECT_DOUBLE_EQ(r.levels[0].volts, ((*lo + *hi) / 2.0 - 125) * 1.0 * 0.04); // the span's middle
        if (first.empty())
            first = got;
        EXPECT_EQ(got, first) << chunk;
    }
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(std::get<2>(first[0]), "v");
    EXPECT_EQ(std::get<2>(first[1]), "2");
    EXPECT_GE(std::get<0>(first[0]), 100); // ten idle bits, then the start bit
}

} // namespace
} // namespace varnilog
