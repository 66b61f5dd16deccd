#include "app/DisplayCheck.h"

#include <gtest/gtest.h>

using namespace varnilog;

// Without a display the window program says so in one line and points at the tool that needs none;
// a display of either kind, or a Qt platform named on purpose, lets Qt start.
TEST(DisplayCheckTest, NoDisplayIsOneLineThatNamesTheCommandLineTool) {
    const struct {
        const char* what;
        DisplayEnvironment environment;
        QStringList arguments;
        bool refused;
    } rows[] = {
        {"nothing set", {}, {"varnilog"}, true},
        {"X11", {"", ":0", ""}, {"varnilog"}, false},
        {"Wayland", {"", "", "wayland-0"}, {"varnilog"}, false},
        {"QT_QPA_PLATFORM=offscreen", {"offscreen", "", ""}, {"varnilog"}, false},
        {"-platform offscreen", {}, {"varnilog", "-platform", "offscreen"}, false},
        {"a recording named, no display", {}, {"varnilog", "a.ros"}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const QString message = noDisplayMessage(r.environment, r.arguments);
        EXPECT_EQ(!message.isEmpty(), r.refused);
        if (r.refused) {
            EXPECT_FALSE(message.contains(QLatin1Char('\n')));
            EXPECT_TRUE(message.startsWith(QLatin1String("varnilog: no display"))) << message.toStdString();
            EXPECT_TRUE(message.contains(QLatin1String("varnilog-cli works without one")));
        }
    }
}
