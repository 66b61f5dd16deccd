// Steps through a recording's events as "Następne" / "Poprzednie" take them: a missing source
// channel, a view held at the recording's end going on from the event it shows, and a rewritten
// channel file searched again rather than through the kept search.
#include "analysis/EventFinder.h"
#include "support/RecordingSetBuilder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

namespace {

QByteArray pulses(int size, std::initializer_list<int> at) {
    QByteArray a(size, char(100));
    for (const int i : at)
        a[i] = char(200);
    return a;
}

} // namespace

TEST(EventFinderTest, StepsThroughTheEventsOfTheSourceChannel) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), "[PARAMETRY]\r\n",
                                             {pulses(100000, {5000, 20000, 99900})});
    TriggerSpec triggerSpec;
    triggerSpec.levelVolts = 2.0; // code 175 at 1 V/div
    EventFinder finder;
    triggerSpec.source = 1;
    EXPECT_EQ(finder.prepare(ros, triggerSpec, 4).status, EventFinder::Status::NoChannel);
    triggerSpec.source = 0;

    // The window's view holds at most 99 500 (its last 500 samples), so the last event is off its column.
    const auto place = [](std::int64_t k) {
        return std::min<std::int64_t>(EventFinder::viewStartFor(k, 250, 1), 99500);
    };
    const struct {
        bool forward;
        std::int64_t from;  // where the step starts
        std::int64_t event; // -1: none
    } steps[] = {{true, 250, 5000},     {true, 5000, 20000},  {true, 20000, 99900}, {true, 99900, -1},
                 {false, 99900, 20000}, {false, 20000, 5000}, {false, 5000, -1}};
    std::int64_t viewStart = 0;
    for (const auto& s : steps) {
        ASSERT_EQ(finder.prepare(ros, triggerSpec, 4).status, EventFinder::Status::Ready);
        const std::int64_t from = finder.stepStart(viewStart, 250, 1);
        EXPECT_EQ(from, s.from);
        const EventSearch::Found found = finder.step(s.forward, from);
        ASSERT_EQ(found.outcome, EventSearch::Outcome::Done);
        EXPECT_EQ(found.event ? found.event->sample : -1, s.event) << s.from;
        if (found.event) {
            viewStart = place(found.event->sample);
            finder.shown(found.event->sample, viewStart);
        }
    }

    // The file changed under the kept search: the new events are found, the step starts at the view.
    test::writeRecording(dir.path(), QStringLiteral("r"), QByteArray(), {pulses(200000, {150000})});
    ASSERT_EQ(finder.prepare(ros, triggerSpec, 4).status, EventFinder::Status::Ready);
    EXPECT_EQ(finder.stepStart(viewStart, 250, 1), viewStart + 250);
    const EventSearch::Found found = finder.step(true, 99900);
    ASSERT_TRUE(found.event.has_value());
    EXPECT_EQ(found.event->sample, 150000);
}
