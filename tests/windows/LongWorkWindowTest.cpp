// The long jobs of the windows (spectrum, text export) run on a worker: the window thread keeps
// handling events meanwhile, "Anuluj", Esc and closing the main window cancel them without a result,
// and a completed job gives what a straight run gives.
#include "windows/LongWorkWindow.h"
#include "app/LongWork.h"
#include "recording/RecordingInput.h"
#include "recording/TextExport.h"
#include "spectrum/RecordingSpectra.h"
#include "spectrum/Unit5.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>

using namespace varnilog;

namespace {

constexpr int kSamples = 4 * 131072; // four spectrum blocks, eight export blocks per channel

enum class Job { Spectrum, Export };
enum class Cancel { Button, Escape, CloseMainWindow };

// A main window with its secondary windows over a two-channel recording: A a square wave, B a ramp.
struct LongWorkWindows : test::MainWindowFixture {
    test::ScriptedDialogs dialogs;
    test::ProgramWindowSet& set;
    QString out = dir.filePath(QStringLiteral("out.txt"));

    LongWorkWindows() : set(makeWindowSet()) {
        QByteArray a(kSamples, 0), b(kSamples, 0);
        for (int n = 0; n < kSamples; ++n) {
            a[n] = static_cast<char>((n / 16) % 2 == 0 ? 160 : 90);
            b[n] = static_cast<char>(n % 200);
        }
        const QString ros = test::writeRecording(
            dir.path(), QStringLiteral("2024-02-03 04.05.06"),
            "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=6\r\nILOSCKANALOW=2\r\n", {a, b});
        set.form1.setDialogs(&dialogs);
        set.form1.FormCreate();
        set.form1.openRecording(ros);
    }
    LongWork& work(Job job) { return job == Job::Spectrum ? set.form5.longWork() : set.form1.longWork(); }
    // Starts the job as the user does; returns when it has ended.
    void run(Job job) {
        if (job == Job::Spectrum) {
            test::onceShown(set.form5, [this] { set.form5.close(); });
            test::child<QAbstractButton>(set.form1, "SpeedButton73")->click();
        } else {
            dialogs.fileNames.push_back(out);
            test::child<QAction>(set.form1, "Zapiszdotxt1")->trigger();
        }
    }
    // Every progress call on the worker takes this long, so the job outlasts what the test does.
    void slowDown(Job job, int ms) {
        work(job).setWorkerProgressHook([ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    }
};

// Counts the times a window appeared.
struct ShowCounter : QObject {
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show ? 1 : 0;
        return false;
    }
};

const char* jobName(Job job) {
    return job == Job::Spectrum ? "spectrum" : "export";
}

} // namespace

TEST(LongWorkWindowTest, CancelEndsTheJobWithoutAResult) {
    struct Row {
        Job job;
        Cancel how;
    } rows[] = {{Job::Spectrum, Cancel::Button},
                {Job::Spectrum, Cancel::Escape},
                {Job::Spectrum, Cancel::CloseMainWindow},
                {Job::Export, Cancel::Button},
                {Job::Export, Cancel::Escape},
                {Job::Export, Cancel::CloseMainWindow}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(jobName(r.job)) + ", cancel " + std::to_string(static_cast<int>(r.how)));
        LongWorkWindows w;
        w.slowDown(r.job, 40);
        ShowCounter counter;
        w.set.form5.installEventFilter(&counter);
        const float peakBefore = w.set.form5.spectra().spectrumPeakAll;
        bool cancelled = false;
        // Cancel at the first progress the window thread hears of, as the user would.
        QObject::connect(&w.work(r.job), &LongWork::progressed, &w.set.form1,
                         [&](std::int64_t done, std::int64_t) {
                             if (cancelled || done == 0)
                                 return;
                             cancelled = true;
                             auto* window = w.set.form1.findChild<LongWorkWindow*>();
                             ASSERT_NE(window, nullptr);
                             switch (r.how) {
                             case Cancel::Button:
                                 window->cancelButton()->click();
                                 break;
                             case Cancel::Escape:
                                 QTest::keyClick(window, Qt::Key_Escape);
                                 break;
                             case Cancel::CloseMainWindow:
                                 w.set.form1.close();
                                 break;
                             }
                         });
        w.run(r.job);
        ASSERT_TRUE(cancelled);
        EXPECT_FALSE(w.work(r.job).busy()); // joined before the window went on
        EXPECT_FALSE(w.work(r.job).lastCompleted());
        EXPECT_EQ(counter.shows, 0); // the spectrum window never appeared
        EXPECT_EQ(w.set.form5.spectra().spectrumPeakAll, peakBefore);
        EXPECT_FALSE(QFile::exists(w.out));
        EXPECT_TRUE(w.boxes.shown.empty());
        EXPECT_EQ(w.set.form1.findChild<LongWorkWindow*>(), nullptr);
        w.set.form5.removeEventFilter(&counter);
    }
}

TEST(LongWorkWindowTest, WindowThreadHandlesEventsWhileTheJobRunsAndTheResultIsAStraightRun) {
    for (Job job : {Job::Spectrum, Job::Export}) {
        SCOPED_TRACE(jobName(job));
        LongWorkWindows w;
        w.slowDown(job, 20);
        int ticksWhileBusy = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileBusy += w.work(job).busy() ? 1 : 0; });
        tick.start(5);
        w.run(job);
        tick.stop();
        EXPECT_GE(ticksWhileBusy, 3);
        EXPECT_TRUE(w.work(job).lastCompleted());
        EXPECT_TRUE(w.boxes.shown.empty());

        RecordingInput input(*w.state);
        if (job == Job::Spectrum) {
            auto straight = std::make_unique<SpectrumData>();
            ASSERT_TRUE(
                RecordingSpectra(1).ComputeRecordingSpectra(input.files(), input.channelCount(), *straight));
            const SpectrumData& shown = w.set.form5.spectra();
            EXPECT_EQ(shown.spectrumPeak, straight->spectrumPeak);
            EXPECT_EQ(shown.spectrumPeakAll, straight->spectrumPeakAll);
            for (int c = 0; c < 2; ++c) {
                EXPECT_EQ(shown.channelSpectrum[c], straight->channelSpectrum[c]) << c;
                EXPECT_EQ(shown.spectrumDisplay[c], straight->spectrumDisplay[c]) << c;
            }
        } else {
            QByteArray expected;
            QBuffer buffer(&expected);
            buffer.open(QIODevice::WriteOnly);
            ASSERT_TRUE(exportRecordingText(textExportSourceFrom(input), buffer, QLocale()).ok);
            const QByteArray written = test::readFile(w.out);
            EXPECT_EQ(written.size(), expected.size());
            EXPECT_TRUE(written == expected);
        }
    }
}

// The menu item does nothing while an export still runs: the running one is not disturbed.
TEST(LongWorkWindowTest, AnotherExportWhileOneRunsIsRefused) {
    LongWorkWindows w;
    w.slowDown(Job::Export, 20);
    int refused = 0;
    QTimer::singleShot(30, &w.set.form1, [&] {
        ASSERT_TRUE(w.set.form1.longWork().busy());
        w.dialogs.fileNames.push_back(w.dir.filePath(QStringLiteral("second.txt")));
        test::child<QAction>(w.set.form1, "Zapiszdotxt1")->trigger(); // returns at once
        refused += QFile::exists(w.dir.filePath(QStringLiteral("second.txt"))) ? 0 : 1;
    });
    w.run(Job::Export);
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(w.set.form1.longWork().lastCompleted());
    EXPECT_TRUE(QFile::exists(w.out));
}
