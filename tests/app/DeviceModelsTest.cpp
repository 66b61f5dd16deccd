#include "app/DeviceModels.h"

#include <gtest/gtest.h>

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
