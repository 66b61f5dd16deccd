// For tests of loading and viewing recordings: a folder of the test's and a shared state whose
// bitmaps are sized, with a GUI application for the text the pictures draw.
#pragma once

#include "app/SharedState.h"
#include "support/OffscreenGui.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varnilog::test {

class LoadedStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureOffscreenGui();
        ASSERT_TRUE(dir.isValid());
        s = std::make_unique<SharedState>();
        sizeBitmaps(*s);
    }
    QTemporaryDir dir;
    std::unique_ptr<SharedState> s;
};

} // namespace varnilog::test
