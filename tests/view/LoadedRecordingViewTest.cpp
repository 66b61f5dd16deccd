// What the view shows of a recording just loaded: its samples from sample 0, the zero line past the
// end of a short channel and for a channel without a file.
#include "app/SharedState.h"
#include "recording/RecordingLoader.h"
#include "view/ViewWindow.h"

#include "support/OffscreenGui.h"
#include "support/RecordingSetBuilder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <memory>

using namespace varnilog;

TEST(LoadedRecordingViewTest, SamplesThenTheZeroLine) {
    ensureOffscreenGui();
    const QByteArray header = "[PARAMETRY]\r\nPODSTAWA=13\r\nILOSCKANALOW=2\r\n";
    const struct {
        const char* name;
        int samplesA, samplesB; // -1: no file
        std::int64_t viewStartBefore;
    } rows[] = {
        {"300 samples", 300, 300, 0},
        {"no .rcb", 700, -1, 0},
        {"long, scrolled before", 2000, 1500, 1200},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        auto s = std::make_unique<SharedState>();
        s->viewStart = r.viewStartBefore;
        s->recordingPath = test::writeRecordingSet(dir.path(), QStringLiteral("rec"), header,
                                                   {{r.samplesA, 50}, {r.samplesB, 200}});
        ASSERT_TRUE(loadRecording(*s).ok) << r.name;
        auto view = std::make_unique<ViewBuffers>();
        sizeBitmaps(*view);
        refreshView(*s, *view);
        const int a = std::min(r.samplesA, 500);
        const int b = std::max(0, std::min(r.samplesB, 500));
        for (int k = 0; k < 500; ++k) {
            ASSERT_EQ(s->channelData[0][k], k < a ? 50 : 125) << r.name << " A column " << k;
            ASSERT_EQ(s->channelData[1][k], k < b ? 200 : 125) << r.name << " B column " << k;
        }
    }
}
