// The bit-rate rules: four samples a bit at the least, the usual rates a guess is rounded to, and the
// library's guesser over a recorded line.
#include "decode/BitRate.h"

#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace varnilog {
namespace {

TEST(BitRateTest, FourSamplesABitAndTheUsualRates) {
    const struct {
        double bitRate;
        std::uint64_t sampleRate;
        bool tooHigh;
    } rates[] = {
        {250, 1000, false}, {250.5, 1000, true}, {2400, 10000, false}, {2400, 9599, true}, {0, 1, false}};
    for (const auto& r : rates)
        EXPECT_EQ(bitRateTooHigh(r.bitRate, r.sampleRate), r.tooHigh) << r.bitRate << " at " << r.sampleRate;
    const std::pair<std::int64_t, std::int64_t> guesses[] = {
        {2350, 2400}, {2520, 2400}, {2521, 2521}, {111, 110}, {100, 100}, {9174, 9600}, {1, 1}};
    for (const auto& [guess, usual] : guesses)
        EXPECT_EQ(usualBitRate(guess), usual) << guess;
}

TEST(BitRateTest, TheLibrarysGuessOverARecordedLine) {
    QTemporaryDir dir;
    const std::vector<std::uint8_t> codes =
        test::analogCodes(test::uartLevels({0x55, 0x0F}, 40), {100, 160, 1, 0, 9});
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 1, {codes}});
    RecordingDecodeRequest request;
    request.sampleFiles[0] = ros.chopped(4) + QStringLiteral(".rca");
    request.sensitivity = {4, 4, 4, 4};
    request.span = {0, static_cast<std::int64_t>(codes.size())};
    const BitRateGuess guess = guessBitRate(request, 0);
    ASSERT_TRUE(guess.result.ok());
    EXPECT_EQ(guess.bitRate, 25); // 40 samples a bit at 1 kHz
    request.span = {0, 200};      // idle line only: no edge
    EXPECT_EQ(guessBitRate(request, 0).bitRate, std::nullopt);
}

} // namespace
} // namespace varnilog
