// The markers of the recording on display follow its file: each change is written under the set's
// lock and read back sorted into the view's list; a refused change leaves the list as it was.
#include "view/RecordingMarkers.h"
#include "recording/SetLock.h"
#include "support/RecordingSetBuilder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

TEST(RecordingMarkersTest, ChangesAreWrittenAndReadBackIntoTheViewsList) {
    QTemporaryDir dir;
    const QString ros = dir.filePath(QStringLiteral("r.ros"));
    test::writeFile(ros, "[CONFIG]\r\n");
    std::vector<Marker> shown{{1, 1, MarkerKind::Uwaga, {}}}; // a previous recording's
    RecordingMarkers markers(shown);
    EXPECT_EQ(markers.load(ros), 0);
    EXPECT_TRUE(shown.empty());

    using Change = std::function<bool(CoreError&)>;
    const struct {
        Change change;
        std::vector<Marker> after;
    } steps[] = {
        {[&](CoreError& e) { return markers.addPoint(ros, 50, e); }, {{50, 50, MarkerKind::Uwaga, {}}}},
        {[&](CoreError& e) { return markers.addRange(ros, 10, 20, e); },
         {{10, 20, MarkerKind::Zakres, {}}, {50, 50, MarkerKind::Uwaga, {}}}},
        {[&](CoreError& e) { return markers.setLabel(ros, 1, QStringLiteral("x"), e); },
         {{10, 20, MarkerKind::Zakres, {}}, {50, 50, MarkerKind::Uwaga, QStringLiteral("x")}}},
        {[&](CoreError& e) { return markers.remove(ros, 5, e); },
         {{10, 20, MarkerKind::Zakres, {}}, {50, 50, MarkerKind::Uwaga, QStringLiteral("x")}}},
        {[&](CoreError& e) { return markers.remove(ros, 0, e); },
         {{50, 50, MarkerKind::Uwaga, QStringLiteral("x")}}},
    };
    for (const auto& step : steps) {
        CoreError error;
        ASSERT_TRUE(step.change(error)) << error.reason.toStdString();
        EXPECT_EQ(shown, step.after);
        EXPECT_EQ(readMarkerFile(markerFilePath(ros)).markers, step.after);
    }

    QString lockError;
    CoreError error;
    SetLock other;
    ASSERT_EQ(other.lock(ros, 0, lockError), SetLock::Result::Locked);
    EXPECT_FALSE(markers.addPoint(ros, 70, error));
    EXPECT_EQ(error.kind, CoreErrorKind::SetBusy);
    EXPECT_EQ(shown, steps[4].after);
    other.unlock();

    // A line that cannot be read is counted and left out.
    test::writeFile(markerFilePath(ros), encodeMarkers(steps[4].after) + "?\r\n");
    EXPECT_EQ(markers.load(ros), 1);
    EXPECT_EQ(markers.damagedLines(), 1);
    EXPECT_EQ(shown, steps[4].after);
    markers.clear();
    EXPECT_TRUE(shown.empty());
}
