// The loader takes a derived channel's sensitivity from its key and leaves C and D alone without it;
// out-of-range values are brought into 1..10 like the recorded channels'.
#include "app/SharedState.h"
#include "recording/RecordingLoader.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

TEST(DerivedChannelKeysTest, LoaderReadsTheDerivedSensitivities) {
    struct Case {
        const char* name;
        const char* keys;
        std::array<std::uint8_t, 2> want; // C, D
    };
    const std::vector<Case> cases{
        {"no keys: as before the load", "", {3, 9}},
        {"C only", "CZULOSCC=6\r\nOPERACJAC=A-B\r\n", {6, 9}},
        {"both", "CZULOSCC=10\r\nCZULOSCD=1\r\n", {10, 1}},
        {"out of range", "CZULOSCC=0\r\nCZULOSCD=12\r\n", {1, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        SharedState state;
        state.channelSensitivity = {1, 1, 3, 9};
        state.recordingPath =
            test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 3, {{1}, {1}, {1}}});
        QFile ros(state.recordingPath);
        ASSERT_TRUE(ros.open(QIODevice::Append));
        ros.write(c.keys);
        ros.close();
        ASSERT_TRUE(loadRecording(state).ok);
        EXPECT_EQ(state.channelSensitivity[2], c.want[0]);
        EXPECT_EQ(state.channelSensitivity[3], c.want[1]);
        EXPECT_EQ(state.channelCount, 3);
    }
}
