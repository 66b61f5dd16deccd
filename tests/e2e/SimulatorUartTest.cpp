// The simulator's UART line through the decoders: at any bit rate a quarter of the sample rate
// allows, uart reads back its text, byte for byte and again after each idle stretch.
#include "decode/RecordingDecode.h"
#include "device/BoardSimulator.h"
#include "device/Protocol.h"
#include "recording/RecordingFileSet.h"
#include "support/RecordingSet.h"
#include "view/ScaleTables.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace varnilog;

namespace {

TEST(SimulatorUartTest, DecodesToTheTextSent) {
    const struct {
        int timeBase;
        double baud, amplitudeV;
        std::uint8_t sensitivity;
    } rows[] = {{15, 2400, 1.0, 4}, {15, 9600, 1.0, 4}, {13, 2400, 15.0, 1}};
    for (const auto& r : rows) {
        BoardOptions options;
        options.channels[0] = ChannelSignal{Waveform::Uart, r.baud, r.amplitudeV};
        BoardSimulator board(options);
        board.receive(settingsCommand(r.timeBase, {r.sensitivity, 4}, {ModeDC, ModeDC}, {100, 100}), 0);
        const float periodMs = samplingPeriodTable[static_cast<std::size_t>(r.timeBase)];
        constexpr std::size_t textBits = (sizeof(BoardSimulator::kUartText) - 1) * 10;
        // Two texts and a half.
        const auto count = static_cast<std::int64_t>((2.5 * (textBits + BoardSimulator::kUartIdleBits)) /
                                                     r.baud / (periodMs / 1000.0));
        test::Codes codes(static_cast<std::size_t>(count));
        for (std::int64_t n = 0; n < count; ++n)
            codes[static_cast<std::size_t>(n)] = board.sampleAt(0, n);
        QTemporaryDir dir;
        const QString ros =
            test::writeRecording(dir.path(), QStringLiteral("s"), {r.timeBase, r.sensitivity, 4, 1, {codes}});
        RecordingDecodeRequest request;
        request.sampleFiles[0] = sampleFilePath(ros, 0);
        request.sensitivity = {r.sensitivity, 4, 4, 4};
        request.samplingPeriodMs = periodMs;
        request.span = {0, count};
        request.stack = {{"uart", {{"baudrate", std::to_string(static_cast<int>(r.baud))}}}};
        request.channels = {{"rx", 0}};
        std::string got;
        const RecordingDecodeResult result = decodeRecording(request, [&](const Annotation& a) {
            if (a.annotationClass == 0) // rx-data
                got += static_cast<char>(std::stoi(a.texts.at(0), nullptr, 16));
        });
        ASSERT_TRUE(result.ok()) << result.problem.message;
        const std::string text = BoardSimulator::kUartText;
        EXPECT_EQ(got, text + text + text.substr(0, got.size() - 2 * text.size()))
            << r.timeBase << " " << r.baud;
        EXPECT_GE(got.size(), 2 * text.size() + 8);
    }
}

} // namespace
