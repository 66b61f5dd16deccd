#include "app/DeviceModels.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace varnilog;

TEST(DeviceModelsTest, ClampsOfTheModels) {
    auto s = std::make_unique<SharedState>();
    s->deviceModel = 2;
    ASSERT_NE(applyDeviceModelToState(*s), nullptr);
    EXPECT_EQ(s->timeBaseIndex, 11); // 20us -> 0.5ms
    EXPECT_EQ(s->channelSensitivity, (std::array<std::uint8_t, 4>{3, 3, 1, 1}));
    EXPECT_EQ(s->referenceVoltage, 1.25f);
    EXPECT_EQ(s->modelName, "KZ200");
    s->deviceModel = 1;
    applyDeviceModelToState(*s);
    EXPECT_EQ(s->timeBaseIndex, 11); // not raised back
    EXPECT_EQ(s->maxTimeBaseIndex, 15);
    EXPECT_EQ(s->referenceVoltage, 2.5f);

    auto k = std::make_unique<SharedState>();
    k->channelSensitivity = {1, 1, 1, 1};
    k->deviceModel = 4;
    applyDeviceModelToState(*k);
    EXPECT_EQ(k->channelSensitivity, (std::array<std::uint8_t, 4>{2, 2, 1, 1})); // C and D untouched
    k->channelSensitivity = {10, 9, 10, 10};
    applyDeviceModelToState(*k);
    EXPECT_EQ(k->channelSensitivity, (std::array<std::uint8_t, 4>{7, 7, 10, 10}));
    EXPECT_EQ(k->timeBaseIndex, 13);
}

TEST(DeviceModelsTest, UnknownModelChangesNothing) {
    auto s = std::make_unique<SharedState>();
    s->deviceModel = 7;
    EXPECT_EQ(applyDeviceModelToState(*s), nullptr);
    EXPECT_EQ(s->timeBaseIndex, 15);
    EXPECT_EQ(s->referenceVoltage, 2.7f);
    EXPECT_TRUE(s->modelName.isEmpty());
}

TEST(DeviceModelsTest, ButtonStates) {
    const ModelButtonStates kz200 = modelButtonStates(2);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(kz200.sensitivity[i], i >= 3 && i <= 7) << i;
    }
    EXPECT_TRUE(kz200.channelA);
    EXPECT_TRUE(kz200.channelB);
    EXPECT_TRUE(kz200.timeBase[11]);
    EXPECT_FALSE(kz200.timeBase[12]);
    const ModelButtonStates kz400 = modelButtonStates(4);
    EXPECT_FALSE(kz400.sensitivity[1]);
    EXPECT_TRUE(kz400.sensitivity[2]);
    EXPECT_FALSE(kz400.sensitivity[8]);
    EXPECT_TRUE(modelButtonStates(1).timeBase[15]);
    EXPECT_FALSE(modelButtonStates(1).timeBase[16]);
    EXPECT_TRUE(modelButtonStates(0).timeBase[22]);
    EXPECT_EQ(findDeviceModel(3)->caption, std::string("Torva Ferrolak KZ300 ver. 6.1 na LPC2142"));
}

struct OffsetCase {
    const char* name;
    int model;
    std::uint8_t zero;
    std::uint8_t offset;
    std::uint8_t expected;
};

TEST(DeviceModelsTest, OffsetsOfAAndBComeIntoTheRangeOfTheNewModel) {
    // KZ100 and KZ300 allow 50 steps either side of the zero, KZ200 and KZ400 100.
    const std::vector<OffsetCase> cases{
        {"KZ300: above the range", 3, 100, 190, 150},
        {"KZ300: below the range", 3, 100, 5, 50},
        {"KZ300: 255 counts as 0, then clamped", 3, 100, 255, 50},
        {"KZ200: a wider range keeps 190", 2, 100, 190, 190},
        {"KZ400: high zero, range reaches past 255", 4, 230, 20, 130},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = std::make_unique<SharedState>();
        s->deviceModel = static_cast<std::uint8_t>(c.model);
        s->channelZeroOffset = {c.zero, c.zero, c.zero, c.zero};
        s->channelOffset = {c.offset, c.offset, c.offset, c.offset};
        applyDeviceModelToState(*s);
        EXPECT_EQ(s->channelOffset[0], c.expected);
        EXPECT_EQ(s->channelOffset[1], c.expected);
        EXPECT_EQ(s->channelOffset[2], c.offset); // C and D are not sent to the board
        EXPECT_EQ(s->channelOffset[3], c.offset);
    }
}
