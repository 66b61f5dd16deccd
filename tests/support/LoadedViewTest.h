// For tests that read and draw a view of a loaded recording: the loaded-state fixture plus the view's
// own buffers with their bitmaps sized, made once per test as the main window makes them, and a GUI
// application for the text the pictures draw.
#pragma once

#include "support/LoadedStateTest.h"
#include "support/OffscreenGui.h"
#include "view/ViewBuffers.h"

#include <memory>

namespace varnilog::test {

class LoadedViewTest : public LoadedStateTest {
protected:
    void SetUp() override {
        ensureOffscreenGui();
        LoadedStateTest::SetUp();
        view = std::make_unique<ViewBuffers>();
        sizeBitmaps(*view);
    }
    std::unique_ptr<ViewBuffers> view;
};

} // namespace varnilog::test
