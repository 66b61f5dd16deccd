// The worker of the windows' long jobs: the end reaches the owner's thread once, after the join; a
// cancel, a stop and the owner going away all end a job that only stops when asked; progress arrives
// throttled, its last figures always.
#include "app/LongWork.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace varnilog;

namespace {

// Counts to total in steps of 1 ms; stops when progress says so.
LongWork::Job counting(std::int64_t total) {
    return [total](const WorkProgress& progress) {
        for (std::int64_t i = 1; i <= total; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!progress(i, total))
                return false;
        }
        return true;
    };
}

// The end and the progress reach the owner's thread through its event loop: a core application
// is all the worker needs.
void ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
}

} // namespace

TEST(LongWorkTest, EveryWayAJobEnds) {
    enum class End { Completes, Cancel, Stop, OwnerGoes };
    struct Row {
        const char* name;
        End end;
        std::int64_t units;
        bool completed;
        int doneCalls;
    } rows[] = {{"runs to the end", End::Completes, 40, true, 1},
                {"cancelled", End::Cancel, 1'000'000, false, 1},
                {"stopped", End::Stop, 1'000'000, false, 0},
                {"owner destroyed", End::OwnerGoes, 1'000'000, false, 0}};
    ensureApplication();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto work = std::make_unique<LongWork>();
        int doneCalls = 0;
        bool doneCompleted = !r.completed;
        std::vector<std::int64_t> seen;
        QObject::connect(work.get(), &LongWork::progressed,
                         [&](std::int64_t done, std::int64_t) { seen.push_back(done); });
        ASSERT_TRUE(work->start(counting(r.units), [&](bool completed) {
            ++doneCalls;
            doneCompleted = completed;
        }));
        EXPECT_TRUE(work->busy());
        EXPECT_FALSE(work->start(counting(1))); // one job at a time
        bool completed = false;
        switch (r.end) {
        case End::Completes:
            completed = work->wait();
            break;
        case End::Cancel:
            QTimer::singleShot(30, work.get(), [&] { work->cancel(); });
            completed = work->wait();
            break;
        case End::Stop:
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            work->stop();
            completed = work->lastCompleted();
            break;
        case End::OwnerGoes:
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            work.reset(); // cancels and joins
            break;
        }
        QCoreApplication::processEvents(); // a queued end of a stopped job changes nothing
        EXPECT_EQ(completed, r.completed);
        EXPECT_EQ(doneCalls, r.doneCalls);
        if (r.doneCalls > 0) {
            EXPECT_EQ(doneCompleted, r.completed);
        }
        if (work) {
            EXPECT_FALSE(work->busy());
        }
        if (r.end == End::Completes) {
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), r.units);                           // the last figures always arrive
            EXPECT_LT(seen.size(), static_cast<std::size_t>(r.units)); // but not every one of them
        }
    }
}
