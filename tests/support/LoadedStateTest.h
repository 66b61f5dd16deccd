// For tests of loading and viewing recordings: a folder of the test's and a shared state.
#pragma once

#include "app/SharedState.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varnilog::test {

class LoadedStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        s = std::make_unique<SharedState>();
    }
    QTemporaryDir dir;
    std::unique_ptr<SharedState> s;
};

} // namespace varnilog::test
