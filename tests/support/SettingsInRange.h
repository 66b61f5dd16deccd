// Every setting a loaded header gives must be a value the scale tables hold.
#pragma once

#include "app/SharedState.h"
#include "view/ScaleTables.h"

#include <gtest/gtest.h>

#include <string>

namespace varnilog::test {

inline void expectSettingsInRange(const SharedState& s, const std::string& where) {
    EXPECT_GE(s.timeBaseIndex, 1) << where;
    EXPECT_LE(s.timeBaseIndex, kTimeBaseCount) << where;
    EXPECT_GE(s.channelCount, 1) << where;
    EXPECT_LE(s.channelCount, kChannels) << where;
    for (int c = 0; c < 2; ++c) {
        EXPECT_GE(s.channelSensitivity[c], 1) << where;
        EXPECT_LE(s.channelSensitivity[c], kSensitivityCount) << where;
        EXPECT_LE(s.channelMode[c], ModeDC) << where;
    }
}

} // namespace varnilog::test
