// The XY window over a loaded recording gives the command line's cells, on the worker too; the
// "Poświata" tab counts the frames drawn and starts again at a new V/div; "Nałóż zdarzenia"
// overlays as many events as `events` lists; a reference of "Wzorce" is there in the next run.
#include "windows/XyWindow.h"

#include "ScriptedDialogs.h"
#include "app/Program.h"
#include "support/CliRunner.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSet.h"
#include "view/Colour.h"
#include "windows/PersistenceTab.h"
#include "windows/ReferenceTab.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

using namespace varnilog;

namespace {

class XyWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        test::RecordingContents contents; // A: a square wave through 0 V; B: a sine a quarter behind
        test::Codes a(kSamples), b(kSamples);
        for (int i = 0; i < kSamples; ++i) {
            a[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i / 300) % 2 ? 170 : 80);
            b[static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(125 + std::lround(90 * std::cos(i / 95.0)));
        }
        contents.channels = {a, b};
        ros = test::writeRecording(dir.path(), QStringLiteral("2024-05-06 07.08.09"), contents);
        createWindow();
        form->openRecording(ros);
        ASSERT_EQ(state->sampleCount, kSamples);
    }
    static constexpr int kSamples = 6000;
    QString ros;
};

TEST_F(XyWindowTest, WholeRecordingGivesTheCommandLinesCells) {
    child<QAction>("XY1")->trigger();
    auto* window = form->findChild<XyWindow*>();
    ASSERT_NE(window, nullptr);
    auto* span = test::child<QComboBox>(*window, "cbZakres");
    const test::CliRun cli = test::runCli({"xy", ros, "--locale", "C"});
    ASSERT_EQ(cli.code, 0) << cli.err.toStdString();
    for (const std::int64_t background : {std::int64_t{1} << 30, std::int64_t{1}}) {
        window->setBackgroundFrom(background); // counted here, then on the worker
        span->setCurrentIndex(0);
        span->setCurrentIndex(4); // "Całość"
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
        EXPECT_EQ(window->shownSpan(), (SampleSpan{0, kSamples}));
        EXPECT_EQ(xyDensityCsv(window->density(), 4, 4, QLocale::c()), cli.out);
    }
    span->setCurrentIndex(0); // "Widok": the 500 samples on display
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    EXPECT_EQ(window->density().samples, kDisplayColumns);
    window->setMarkerSpan(SampleSpan{1000, 1700});
    span->setCurrentIndex(3); // "Między znacznikami"
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    EXPECT_EQ(window->shownSpan(), (SampleSpan{1000, 1700}));
    EXPECT_EQ(window->density().samples, 700);
    // "Anuluj" stops a count on the worker and says so.
    // The worker waits at its progress until the click has been made, however late a loaded machine
    // runs this thread.
    std::atomic<bool> clicked{false};
    window->setBackgroundFrom(1);
    window->longWork().setWorkerProgressHook([&clicked] {
        while (!clicked.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    span->setCurrentIndex(4);
    ASSERT_TRUE(window->busy());
    test::child<QPushButton>(*window, "btAnuluj")->click();
    clicked.store(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(test::child<QLabel>(*window, "lbZakres")->text(), QStringLiteral("Przerwano liczenie"));
    EXPECT_EQ(window->density().samples, 700); // the last whole count stays on show
}

TEST_F(XyWindowTest, PersistenceCountsFramesAndOverlayFindsEveryEvent) {
    auto* tab = form->findChild<PersistenceTab*>();
    ASSERT_NE(tab, nullptr);
    tab->setMode(PersistenceMode::Infinite); // draws the view once
    click("SpeedButton4");                   // and again
    const Persistence* a = tab->layer(0);
    ASSERT_NE(a, nullptr);
    const int row = kDisplayRows - state->channelData[0][0];
    EXPECT_GE(a->at(0, row), 2.0f);
    const float before = a->at(0, row);
    click("SpeedButton4");
    EXPECT_EQ(a->at(0, row), before + 1);
    // A new V/div, time base or offset starts the counts again.
    for (const auto change :
         {+[](SharedState& s) { s.channelSensitivity[0] = 3; }, +[](SharedState& s) { s.timeBaseIndex = 9; },
          +[](SharedState& s) { s.channelOffset[1] = 90; }}) {
        click("SpeedButton4");
        ASSERT_GE(a->at(0, row), 2.0f);
        change(*state);
        click("SpeedButton4");
        EXPECT_EQ(a->at(0, row), 1.0f);
    }

    tab->overlayButton()->click(); // the trigger tab's default: A rising through 0 V
    const test::CliRun events = test::runCli({"events", ros, "--trigger", "A,rising,0", "--csv"});
    ASSERT_EQ(events.code, 0);
    const auto listed = events.out.count('\n') - 1;
    EXPECT_EQ(form->statusPanelText(16), QString::fromUtf8("Nałożone zdarzenia: %1").arg(listed));
    EXPECT_EQ(tab->layers()[0].frames(), listed);
}

} // namespace

TEST_F(XyWindowTest, StoredReferenceComesBackInTheNextRun) {
    auto* tab = form->findChild<ReferenceTab*>();
    ASSERT_NE(tab, nullptr);
    tab->choose(1, 1); // R2 of B
    tab->store();
    tab->rename(QStringLiteral(" Wzór B "));
    const ReferenceWaveform stored = tab->references()[1];
    ASSERT_TRUE(stored.stored);
    EXPECT_EQ(stored.name, QStringLiteral("Wzór B"));
    EXPECT_EQ(child<QComboBox>("cbWzorzec")->itemText(1), QStringLiteral("Wzór B"));
    EXPECT_TRUE(std::equal(stored.hi.begin(), stored.hi.end(), state->channelData[1].begin()));
    form->close(); // the configuration the window writes at the end keeps them too
    createWindow();
    form->openRecording(ros);
    tab = form->findChild<ReferenceTab*>();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->references()[1], stored);
    const int row = kDisplayRows - stored.hi[0];
    EXPECT_EQ(form->view().bmpScreen.pixel(0, row), toQRgb(kReferenceColours[1]));
    tab->choose(1, 1);
    tab->remove(); // gone from the picture and from the file
    EXPECT_NE(form->view().bmpScreen.pixel(0, row), toQRgb(kReferenceColours[1]));
    EXPECT_FALSE(test::readFile(ini).contains("R2DANE"));
}

TEST_F(XyWindowTest, PreviewFadesAndSavesWriteEachFormat) {
    child<QAction>("XY1")->trigger();
    auto* window = form->findChild<XyWindow*>();
    ASSERT_NE(window, nullptr);
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> frame{};
    frame[0].fill(40);
    frame[1].fill(60);
    window->setPreviewSource([&](int channel) { return frame[static_cast<std::size_t>(channel)].data(); });
    state->samplingActive = true;
    window->recordingChanged();
    QCoreApplication::processEvents(); // the window takes the news in its event loop
    window->addPreviewFrame();
    EXPECT_EQ(window->cells()[40 << 8 | 60], kDisplayColumns);
    window->addPreviewFrame(); // the same frame again counts nothing
    EXPECT_EQ(window->cells()[40 << 8 | 60], kDisplayColumns);
    frame[1].fill(61);
    window->addPreviewFrame(); // each count keeps 0.9 of itself first
    EXPECT_FLOAT_EQ(window->cells()[40 << 8 | 60], 0.9f * kDisplayColumns);
    EXPECT_EQ(window->cells()[40 << 8 | 61], kDisplayColumns);
    state->samplingActive = false;
    window->recordingChanged();
    QCoreApplication::processEvents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy() && window->density().samples > 0; }, 5000));
    for (const char* name : {"xy.png", "xy.svg", "xy.csv"}) {
        QString error;
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(window->saveTo(path, error)) << error.toStdString();
        const QByteArray bytes = test::readFile(path);
        EXPECT_TRUE(bytes.startsWith(name[3] == 'p'   ? QByteArray("\x89PNG")
                                     : name[3] == 's' ? QByteArray("<?xml")
                                                      : QByteArray("x_code;y_code;x_v;y_v;count\n")))
            << name;
    }
}

TEST_F(XyWindowTest, FadingPersistenceAndClearInTheTab) {
    auto* tab = form->findChild<PersistenceTab*>();
    ASSERT_NE(tab, nullptr);
    auto* decay = test::child<QDoubleSpinBox>(*tab, "sbZanikanie");
    decay->setValue(0.5);
    tab->setMode(PersistenceMode::Fading); // the first frame
    click("SpeedButton4");                 // half of it, and a second
    const int row = kDisplayRows - state->channelData[0][0];
    EXPECT_FLOAT_EQ(tab->layer(0)->at(0, row), 1.5f);
    test::child<QPushButton>(*tab, "btWyczysc")->click(); // cleared, then the picture drawn again
    EXPECT_FLOAT_EQ(tab->layer(0)->at(0, row), 1.0f);
    tab->setMode(PersistenceMode::Off);
    click("SpeedButton4");
    EXPECT_EQ(tab->layer(0)->at(0, row), 0.0f);
}

// Another recording's channel, shorter than the view, drawn over it from its first sample (and gone
// again when switched off); one that cannot be read is refused with its reason.
TEST_F(XyWindowTest, ComparisonShorterThanTheViewIsDrawnWhereItHasSamples) {
    test::RecordingContents contents;
    contents.channels = {test::Codes(200, 125), test::Codes(200, 200)};
    const QString other = test::writeRecording(dir.path(), QStringLiteral("other"), contents);
    auto* tab = form->findChild<ReferenceTab*>();
    ASSERT_NE(tab, nullptr);
    tab->choose(0, 1);
    CoreError error;
    ASSERT_TRUE(tab->compareWith(other, -1, -1, error));
    const QRgb colour = toQRgb(kComparisonColour);
    EXPECT_EQ(form->view().bmpScreen.pixel(10, kDisplayRows - 200), colour);
    EXPECT_NE(form->view().bmpScreen.pixel(300, kDisplayRows - 200), colour);
    EXPECT_FALSE(tab->compareWith(other, 0, 0, error)) << "neither has a marker";
    EXPECT_FALSE(tab->comparison());
    EXPECT_NE(form->view().bmpScreen.pixel(10, kDisplayRows - 200), colour);
    EXPECT_FALSE(tab->compareWith(dir.filePath(QStringLiteral("none.ros")), -1, -1, error));
    EXPECT_FALSE(error.reason.isEmpty());
}

// Chosen in the dialog: its B over this one's A, aligned at a marker of each (its marker at sample 30
// over this one's at 10); the cursors read it beside the channels.
TEST_F(XyWindowTest, ComparisonAlignedAtMarkersIsReadByTheCursors) {
    test::RecordingContents contents;
    contents.channels = {test::Codes(1000, 125), test::Codes(1000, 200)}; // B: 3 V
    const QString other = test::writeRecording(dir.path(), QStringLiteral("other"), contents);
    const auto mark = [](const QString& rosPath, std::int64_t at) {
        Marker m;
        m.start = m.end = at;
        test::writeFile(markerFilePath(rosPath), encodeMarkers({m}));
    };
    mark(ros, 10);
    mark(other, 30);
    auto* tab = form->findChild<ReferenceTab*>();
    ASSERT_NE(tab, nullptr);
    test::ScriptedDialogs dialogs;
    dialogs.openNames = {other};
    form->setDialogs(&dialogs);
    test::child<QPushButton>(*tab, "btPorownaj")->click();
    auto* dialog = tab->findChild<QDialog*>(QStringLiteral("dlgPorownaj"));
    ASSERT_NE(dialog, nullptr);
    test::child<QComboBox>(*dialog, "cbKanalPorownywanego")->setCurrentIndex(1);
    test::child<QComboBox>(*dialog, "cbNadKanalem")->setCurrentIndex(0);
    test::child<QComboBox>(*dialog, "cbWyrownanie")->setCurrentIndex(1);
    dialog->accept();
    ASSERT_TRUE(tab->comparison());
    EXPECT_TRUE(dialogs.openNames.empty());
    EXPECT_EQ(tab->comparison()->channel, 1);
    EXPECT_EQ(tab->comparison()->over, 0);
    EXPECT_EQ(tab->comparison()->shift, 20);
    EXPECT_EQ(form->view().bmpScreen.pixel(0, kDisplayRows - 200), toQRgb(kComparisonColour));
    QTest::mouseClick(child<QWidget>("Label1"), Qt::LeftButton, {}, QPoint(60, 2));
    const QString text = form->statusPanelText(16);
    EXPECT_TRUE(text.contains(QStringLiteral(" B' 3 V"))) << text.toStdString();
}
