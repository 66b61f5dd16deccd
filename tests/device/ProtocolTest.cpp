#include "device/Protocol.h"
#include "device/Acquisition.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(ProtocolTest, SettingsCommandBytes) {
    struct Row {
        const char* name;
        std::uint8_t timeBase;
        BoardChannelSettings sens, mode, offset;
        CommandFrame expected;
    } rows[] = {
        {"A DC 1V, B AC 10V, 10ms",
         7,
         {4, 1},
         {ModeDC, ModeAC},
         {100, 100},
         {0x83, 0x6B, 0x41, 0x11, 0x64, 0x64, 0x7D, 0x85}},
        {"checksum wraps",
         1,
         {10, 10},
         {ModeDC, ModeDC},
         {255, 255},
         {0xC3, 0x71, 0xA1, 0xA1, 0xFF, 0xFF, 0x7D, 0xF1}},
        // GND on A: bit 7 set, sensitivity nibble 0; 0.1 ms still sets the flag bit.
        {"A GND at 10mV, 0.1ms",
         13,
         {10, 3},
         {ModeGND, ModeAC},
         {0, 0},
         {0x83, 0x65, 0x01, 0x31, 0x00, 0x00, 0x7D, 0x97}},
        // 50 us clears the flag bit; B in GND sets bit 6.
        {"B GND, 50us",
         14,
         {1, 5},
         {ModeAC, ModeGND},
         {1, 2},
         {0x43, 0x64, 0x10, 0x00, 0x01, 0x02, 0x7D, 0x37}},
        {"both AC, 20us",
         15,
         {1, 1},
         {ModeAC, ModeAC},
         {100, 100},
         {0x03, 0x63, 0x10, 0x10, 0x64, 0x64, 0x7D, 0xCB}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(settingsCommand(r.timeBase, r.sens, r.mode, r.offset), r.expected) << r.name;
    }
}

TEST(ProtocolTest, SettingsCommandFromSharedState) {
    auto s = std::make_unique<SharedState>();
    s->timeBaseIndex = 7;
    s->channelSensitivity = {4, 1, 1, 1};
    s->channelMode = {ModeDC, ModeAC, 0, 0};
    EXPECT_EQ(settingsCommand(*s), (CommandFrame{0x83, 0x6B, 0x41, 0x11, 0x64, 0x64, 0x7D, 0x85}));
}

TEST(ProtocolTest, IdentifyAndStopCommands) {
    EXPECT_EQ(identifyCommand(), (CommandFrame{0x20, 0, 0, 0, 0, 0, 0, 0x20}));
    EXPECT_EQ(commandChecksum(identifyCommand()), 0x20);
    EXPECT_EQ(stopCommand.size(), 1u);
    EXPECT_EQ(stopCommand[0], 0x00);
}

TEST(ProtocolTest, IdentificationReplyJudgement) {
    struct Row {
        std::vector<std::uint8_t> queued;
        std::uint8_t model;
    } rows[] = {
        {{}, 0},  {{0}, 0}, {{1}, 1},   {{2}, 2},    {{3}, 3},
        {{4}, 4}, {{5}, 0}, {{255}, 0}, {{1, 1}, 0}, {{3, 0x41}, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(judgeIdentificationReply(r.queued), r.model) << r.queued.size();
    }
}
