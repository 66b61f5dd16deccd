// Long work (export, spectrum) keeps the recording it started on when another one is loaded while it
// runs: the open command or the stop of a recording after a fault loads into the window's handles
// while the save dialog or the progress lets events through.
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "spectrum/Unit5.h"
#include "support/MainWindowFixture.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>

using namespace varnilog;

namespace {

constexpr int kFirstSamples = 2 * 131072; // two spectrum blocks, four export blocks

// The first recording: A a square wave of +-1 V at 1 V/div, B flat at -1 V. The second: longer, at
// 10 V/div, both channels on the zero line.
struct TwoRecordings {
    QTemporaryDir dir;
    QString first = dir.filePath(QStringLiteral("2024-01-01 00.00.01.ros"));
    QString second = dir.filePath(QStringLiteral("2024-01-01 00.00.02.ros"));

    static char squareA(int n) { return static_cast<char>((n / 8) % 2 == 0 ? 150 : 100); }

    TwoRecordings() {
        QByteArray a(kFirstSamples, 0);
        for (int n = 0; n < kFirstSamples; ++n)
            a[n] = squareA(n);
        write(first, "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=4\r\nILOSCKANALOW=2\r\n", a,
              QByteArray(kFirstSamples, static_cast<char>(100)));
        write(second, "[PARAMETRY]\r\nPODSTAWA=12\r\nCZULOSCA=1\r\nCZULOSCB=1\r\nILOSCKANALOW=2\r\n",
              QByteArray(kFirstSamples + 70000, static_cast<char>(125)),
              QByteArray(kFirstSamples + 70000, static_cast<char>(125)));
    }
    static void write(const QString& ros, const QByteArray& header, const QByteArray& a,
                      const QByteArray& b) {
        test::writeFile(ros, header);
        test::writeFile(siblingPath(ros, QStringLiteral(".rca")), a);
        test::writeFile(siblingPath(ros, QStringLiteral(".rcb")), b);
    }
};

} // namespace

TEST(LongWorkInputTest, ExportWritesTheRecordingItStartedOnWhenAnotherIsLoadedMeanwhile) {
    enum class LoadWhile { SaveDialog, Export };
    struct Row {
        const char* name;
        LoadWhile when;
    } rows[] = {{"load while the save dialog is open", LoadWhile::SaveDialog},
                {"load between two blocks of the export", LoadWhile::Export}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TwoRecordings recs;
        test::MainWindowFixture window;
        window.ini = recs.dir.filePath(QStringLiteral("varnilog.ini"));
        SharedState* state = window.state.get();
        test::RecordingMessageBoxes& boxes = window.boxes;
        test::ScriptedDialogs dialogs;
        TForm1& form = window.makeWindow();
        form.setDialogs(&dialogs);
        form.FormCreate();
        // Slower than the progress reaches the window, so the load falls between two blocks.
        form.longWork().setWorkerProgressHook(
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); });
        form.openRecording(recs.first);
        const QString out = recs.dir.filePath(QStringLiteral("out.txt"));
        dialogs.fileNames.push_back(out);

        bool loaded = false;
        const auto loadSecond = [&] {
            if (!loaded) {
                loaded = true;
                form.openRecording(recs.second);
            }
        };
        if (r.when == LoadWhile::SaveDialog)
            dialogs.whileSaveDialogOpen = loadSecond;
        auto* bar = test::child<QProgressBar>(form, "ProgressBar1");
        QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int value) {
            if (r.when == LoadWhile::Export && value > 0 && value < bar->maximum())
                loadSecond();
        });
        test::child<QAction>(form, "Zapiszdotxt1")->trigger();
        ASSERT_TRUE(loaded);
        ASSERT_EQ(state->sampleCount, kFirstSamples + 70000); // the second is on display now
        EXPECT_TRUE(boxes.shown.empty());

        const QList<QByteArray> lines = test::readFile(out).split('\n');
        EXPECT_EQ(lines.size(), kFirstSamples + 1); // the empty tail after the last line end
        int wrong = 0, firstWrong = -1;
        for (int n = 0; n < kFirstSamples && n < lines.size(); ++n) {
            const QByteArray values = TwoRecordings::squareA(n) == static_cast<char>(150)
                                          ? QByteArray(";1.0000;-1.0000\r")
                                          : QByteArray(";-1.0000;-1.0000\r");
            if (!lines[n].endsWith(values) && wrong++ == 0)
                firstWrong = n;
        }
        EXPECT_EQ(wrong, 0) << "first at line " << firstWrong;
    }
}

TEST(LongWorkInputTest, SpectrumIsComputedOverTheRecordingItStartedOn) {
    TwoRecordings recs;
    auto state = std::make_unique<SharedState>();
    test::RecordingMessageBoxes boxes;
    state->recordingPath = recs.first;
    ASSERT_TRUE(loadRecording(*state).ok);

    // A straight run for comparison, then one during which the second recording is loaded.
    TForm5 straight(*state, boxes);
    test::onceShown(straight, [&] { straight.close(); });
    straight.showSpectrum();

    TForm5 form(*state, boxes);
    form.longWork().setWorkerProgressHook([] { std::this_thread::sleep_for(std::chrono::milliseconds(80)); });
    QProgressBar bar;
    bool loaded = false;
    QObject::connect(&bar, &QProgressBar::valueChanged, &form, [&](int value) {
        if (!loaded && value > 0 && value < bar.maximum()) {
            loaded = true;
            state->recordingPath = recs.second;
            ASSERT_TRUE(loadRecording(*state).ok);
        }
    });
    test::onceShown(form, [&] { form.close(); });
    form.showSpectrum(&bar);
    ASSERT_TRUE(loaded);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(form.spectra().spectrumPeak[c], straight.spectra().spectrumPeak[c]) << c;
        EXPECT_EQ(form.spectra().spectrumDisplay[c], straight.spectra().spectrumDisplay[c]) << c;
    }
}
