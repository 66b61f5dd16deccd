// For tests that read and draw a view of a loaded recording: the loaded-state fixture plus the view's
// own buffers, made once per test as the main window makes them.
#pragma once

#include "support/LoadedStateTest.h"
#include "view/ViewBuffers.h"

#include <memory>

namespace varnilog::test {

class LoadedViewTest : public LoadedStateTest {
protected:
    void SetUp() override {
        LoadedStateTest::SetUp();
        view = std::make_unique<ViewBuffers>();
    }
    std::unique_ptr<ViewBuffers> view;
};

} // namespace varnilog::test
