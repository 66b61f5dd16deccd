// The measurements window opened from "Pomiary parametrów" over a loaded recording: the table of the
// view and of the whole recording, following the scroll bar, the worker with its result, the copy,
// the per-period file, the lock while sampling, and the same numbers as the command line.
#include "windows/MeasurementsWindow.h"
#include "analysis/MeasurementText.h"
#include "app/Program.h"
#include "device/PtyBoard.h"
#include "recording/MarkerFile.h"
#include "support/CliRunner.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingSet.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowPlacement.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

using namespace varnilog;

namespace {

constexpr int kMeasuredSamples = 2002;

class MeasurementsWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        // A: square wave 100/150, rising edges at 1.5 + 4n (period 4 ms at 1 ms per sample); B: zero line.
        test::RecordingContents contents;
        test::Codes a(kMeasuredSamples);
        for (int i = 0; i < kMeasuredSamples; ++i)
            a[i] = (i / 2) % 2 ? 150 : 100;
        contents.channels = {a, test::Codes(kMeasuredSamples, 125)};
        ros = test::writeRecording(dir.path(), QStringLiteral("2024-05-06 07.08.09"), contents);
        makeWindow().setDialogs(&dialogs);
        form->FormCreate();
        form->openRecording(ros);
        ASSERT_EQ(state->sampleCount, kMeasuredSamples);
        test::child<QAbstractButton>(*form, "SpeedButton72")->click();
        window = form->findChild<MeasurementsWindow*>();
        ASSERT_NE(window, nullptr);
        table = test::child<QTableWidget>(*window, "tblPomiary");
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = table->item(row, column);
        return item ? item->text() : QStringLiteral("<none>");
    }
    // Rows: 6 frequency, 7 period, 11 periods, 12 samples.
    void expectTable(const char* frequency, const char* periods, const char* samples) {
        EXPECT_EQ(cell(6, 0), QString::fromUtf8(frequency));
        EXPECT_EQ(cell(11, 0), QString::fromUtf8(periods));
        EXPECT_EQ(cell(12, 0), QString::fromUtf8(samples));
        EXPECT_EQ(cell(6, 1), QString::fromUtf8("—")); // B is flat
    }

    test::ScopedLocale locale{QLocale(QLocale::Polish, QLocale::Poland)};
    QString ros;
    test::ScriptedDialogs dialogs;
    MeasurementsWindow* window = nullptr;
    QTableWidget* table = nullptr;
};

TEST_F(MeasurementsWindowTest, ViewAndWholeRecordingFollowTheMainWindow) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Pomiary parametrów"));
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "B");
    // The view: samples 0..499, rising edges 1.5 .. 497.5.
    expectTable("250,0 Hz", "124", "500");
    EXPECT_EQ(cell(0, 0), "1,000 V");
    EXPECT_EQ(cell(8, 0), "50,00 %");

    // Scrolled to the end: 500 samples from 1502, which starts high; rising edges 1505.5 .. 1997.5.
    test::child<QScrollBar>(*form, "ScrollBar1")->setValue(1502);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->measuredSpan().from == 1502; }, 2000));
    EXPECT_EQ(window->measuredSpan().to, 2002);
    expectTable("250,0 Hz", "123", "500");

    test::child<QRadioButton>(*window, "rbCale")->click();
    EXPECT_EQ(window->measuredSpan().to, kMeasuredSamples);
    expectTable("250,0 Hz", "499", "2002");

    // Copy: a header with the channels, then one line per measurement.
    test::child<QAbstractButton>(*window, "btKopiuj")->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    EXPECT_EQ(lines.value(0), "\tA\tB");
    EXPECT_EQ(lines.value(7), QString::fromUtf8("Częstotliwość\t250,0 Hz\t—"));
}

TEST_F(MeasurementsWindowTest, LongSpansRunOnTheWorkerWithTheSameNumbers) {
    const MeasureResult before = window->result();
    window->setBackgroundFrom(0);
    test::child<QRadioButton>(*window, "rbCale")->click();
    EXPECT_TRUE(window->busy());
    EXPECT_TRUE(test::child<QWidget>(*window, "btAnuluj")->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    EXPECT_FALSE(test::child<QWidget>(*window, "btAnuluj")->isVisible());
    expectTable("250,0 Hz", "499", "2002");
    EXPECT_NE(window->result().channels[0].periods, before.channels[0].periods);

    // The per-period file of the same span, written on the worker too.
    const QString csv = dir.filePath(QStringLiteral("okresy.csv"));
    dialogs.fileNames.push_back(csv);
    test::child<QAbstractButton>(*window, "btZapiszOkresy")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    const QList<QByteArray> lines = test::readFile(csv).split('\n');
    EXPECT_EQ(lines.size(), 1 + 499 + 1); // header, periods, nothing after the last line end
    EXPECT_EQ(lines.value(1), "A;0000:00:00:002;4;250;50;1,0000;-1,0000\r");
    EXPECT_TRUE(boxes.errors().isEmpty());
}

TEST_F(MeasurementsWindowTest, WindowAndCommandLineGiveTheSameNumbers) {
    test::child<QRadioButton>(*window, "rbWidok")->click();
    const test::CliRun run = test::runCli({"measure", ros, "--json", "--from", "0", "--to", "500"});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QJsonArray channels = QJsonDocument::fromJson(run.out).object()["channels"].toArray();
    ASSERT_EQ(channels.size(), 2);
    for (int c = 0; c < 2; ++c) {
        const ChannelMeasurements& m = window->result().channels[c];
        const QJsonObject cli = channels[c].toObject();
        EXPECT_EQ(cli["samples"].toInteger(), m.samples);
        EXPECT_EQ(cli["periods"].toInteger(), m.periods);
        for (const auto& [key, value] : {std::pair{"max", m.max},
                                         {"mean", m.mean},
                                         {"rms", m.rms},
                                         {"acrms", m.acrms},
                                         {"frequency", m.frequency},
                                         {"duty", m.duty},
                                         {"rise", m.rise},
                                         {"fall", m.fall}}) {
            EXPECT_EQ(cli[key].isNull(), !value.has_value()) << key;
            if (value) {
                EXPECT_EQ(cli[key].toDouble(), *value) << key; // the same function: equal to the bit
            }
        }
    }
}

TEST_F(MeasurementsWindowTest, LockedWhileSamplingThenMeasuresTheNewRecording) {
    BoardOptions options;
    options.model = 3;
    PtyBoard board(options);
    ASSERT_TRUE(board.start());
    state->comPortName = board.slavePath();
    test::child<QRadioButton>(*window, "rbCale")->click();
    test::child<QAbstractButton>(*form, "btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    QCoreApplication::processEvents(); // the main window's news is taken in its event loop
    EXPECT_FALSE(test::child<QWidget>(*window, "rbCale")->isEnabled());
    EXPECT_FALSE(test::child<QWidget>(*window, "btZapiszOkresy")->isEnabled());
    QTest::qWait(200);
    test::child<QAbstractButton>(*form, "btStop")->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::child<QWidget>(*window, "rbCale")->isEnabled());
    EXPECT_EQ(window->measuredSpan().to, state->sampleCount);
}

// While sampling the table measures the frame the preview shows (here a "Pojedynczy" trigger's frame,
// which stays) as a measurement of those 500 samples from a file does; the other spans come back at
// the stop.
TEST_F(MeasurementsWindowTest, MeasuresThePreviewFrameWhileSampling) {
    BoardOptions options;
    options.channels = {ChannelSignal{Waveform::Pulse, 0, 1.0}, ChannelSignal{Waveform::Sine, 50.0, 0.5}};
    PtyBoard board(options);
    ASSERT_TRUE(board.start());
    state->comPortName = board.slavePath();
    state->channelSensitivity = {4, 4, 4, 4}; // 1 V/div: the pulses reach code 150
    test::child<QComboBox>(*form, "cbTrigMode")->setCurrentIndex(3);
    test::child<QDoubleSpinBox>(*form, "sbTrigLevel")->setValue(0.5);
    test::child<QRadioButton>(*window, "rbCale")->click();
    test::child<QAbstractButton>(*window, "cbStatystyka")->click();
    test::child<QAbstractButton>(*form, "btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    const auto* status = test::child<QLabel>(*form, "lbTrigStatus");
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == QString::fromUtf8("Zatrzymano"); }, 8000));
    QTest::qWait(150); // a refresh of the window after the frame stood still
    // Every frame measured since Start counts, the held one last; cleared, none until a new frame.
    EXPECT_GE(window->statisticsOf(0, 0).count, 1);
    EXPECT_EQ(window->statisticsOf(0, 0).max, 1.0);
    test::child<QAbstractButton>(*window, "btWyczysc")->click();
    EXPECT_EQ(window->statisticsOf(0, 0).count, 0);
    EXPECT_EQ(cell(0, 6), "0");
    test::child<QAbstractButton>(*window, "cbStatystyka")->click();
    EXPECT_TRUE(test::child<QRadioButton>(*window, "rbPodglad")->isChecked());
    EXPECT_FALSE(test::child<QWidget>(*window, "rbCale")->isEnabled());
    EXPECT_EQ(test::child<QLabel>(*window, "lbZakres")->text(), QString::fromUtf8("Podgląd (500 próbek)"));
    EXPECT_EQ(window->measuredSpan(), (SampleSpan{0, 500}));
    MeasureRequest direct;
    for (std::size_t c = 0; c < 2; ++c) {
        direct.sampleFiles[c] = dir.filePath(QStringLiteral("frame%1").arg(c));
        ASSERT_TRUE(
            test::writeCodes(direct.sampleFiles[c], test::Codes(state->channelData[c].begin(),
                                                                state->channelData[c].begin() + 500)));
    }
    direct.channelSensitivity = state->channelSensitivity;
    direct.samplingPeriodMs = state->samplingPeriodMs;
    direct.to = 500;
    const MeasureResult expected = measureSpan(direct);
    ASSERT_EQ(table->columnCount(), 2);
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < table->rowCount(); ++r) {
            const MeasurementField& f = kMeasurementFields[static_cast<std::size_t>(r)];
            EXPECT_EQ(cell(r, c), measurementText(f, expected.channels[c], QLocale()))
                << "row " << r << " channel " << c;
        }
    EXPECT_EQ(cell(0, 0), "1,000 V"); // the caught pulse is in the frame

    test::child<QAbstractButton>(*form, "btStop")->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(test::child<QWidget>(*window, "rbPodglad")->isVisible());
    EXPECT_TRUE(test::child<QRadioButton>(*window, "rbCale")->isChecked());
    EXPECT_TRUE(test::child<QWidget>(*window, "rbCale")->isEnabled());
    EXPECT_EQ(window->measuredSpan().to, state->sampleCount);
}

// "Statystyka" over a recording: beside A's values the statistics of its intervals of the span, those
// the core gives, in columns of their own; the window widens for them and narrows again.
TEST_F(MeasurementsWindowTest, StatisticsOfTheIntervalsBesideTheValues) {
    test::child<QRadioButton>(*window, "rbCale")->click();
    const int narrow = window->width();
    test::child<QAbstractButton>(*window, "cbStatystyka")->click();
    test::child<QSpinBox>(*window, "sbInterwal")->setValue(100);
    QCoreApplication::processEvents();
    ASSERT_EQ(table->columnCount(), 7);
    EXPECT_GT(window->width(), narrow);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "min A");
    EXPECT_EQ(table->horizontalHeaderItem(6)->text(), "n A");
    const IntervalStatistics want = intervalStatistics(measureRequestFor(*state, 0, kMeasuredSamples), 100);
    for (std::size_t r = 0; r < kMeasurementFields.size(); ++r) {
        const TrendStatistics got = window->statisticsOf(0, r);
        EXPECT_EQ(got.count, want.channels[0][r].count) << r;
        EXPECT_EQ(got.mean, want.channels[0][r].mean) << r;
        EXPECT_EQ(got.sd, want.channels[0][r].sd) << r;
    }
    EXPECT_EQ(cell(6, 2), "250,0 Hz"); // the square's frequency in every interval
    EXPECT_EQ(cell(6, 5), "0,000 Hz");
    EXPECT_EQ(cell(6, 6), "20"); // 20 intervals of 100; the last 2 samples have no frequency
    test::child<QAbstractButton>(*window, "cbStatystyka")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_EQ(window->width(), narrow);
}

// "Między znacznikami": from the marker selected in "Znaczniki" to the next one; no choice without
// one, and the view again when the selection loses its next marker.
TEST_F(MeasurementsWindowTest, MeasuresBetweenTheSelectedMarkerAndTheNext) {
    CoreError error;
    ASSERT_TRUE(writeMarkerFile(markerFilePath(ros),
                                {{300, 300, MarkerKind::Uwaga, {}}, {1000, 1000, MarkerKind::Strata, {}}},
                                error));
    form->openRecording(ros);
    auto* between = test::child<QRadioButton>(*window, "rbZnaczniki");
    EXPECT_FALSE(between->isEnabled());
    form->findChild<QAction*>("Znaczniki1")->trigger();
    auto* list = form->findChild<QTableWidget*>("tbMarkers");
    list->selectRow(0);
    ASSERT_TRUE(between->isEnabled());
    between->click();
    EXPECT_EQ(window->measuredSpan(), (SampleSpan{300, 1000}));
    expectTable("250,0 Hz", "174", "700");
    list->selectRow(1); // the last marker has no next one
    EXPECT_FALSE(between->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::child<QRadioButton>(*window, "rbWidok")->isChecked());
    EXPECT_EQ(window->measuredSpan(), (SampleSpan{0, 500}));
}

// A channel computed again at the same scale, or removed, is measured again at once; the columns
// still fill the table.
TEST_F(MeasurementsWindowTest, AChangedChannelIsMeasuredAgainAtOnce) {
    const auto changeD = [&](const QStringList& args) {
        ASSERT_EQ(test::runCli(QStringList{"math", ros} + args).code, 0);
        form->openRecording(ros); // as the main window does after "Działania na przebiegach"
        QCoreApplication::processEvents();
    };
    const auto columnWidths = [&] {
        int sum = 0;
        for (int c = 0; c < table->columnCount(); ++c)
            sum += table->columnWidth(c);
        return sum;
    };
    changeD({"--op", "A+B", "--to", "D", "--sens", "4"});
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(cell(0, 2), "1,000 V");
    changeD({"--op", "-B", "--to", "D", "--sens", "4"});
    EXPECT_EQ(cell(0, 2), "0,000 V");
    changeD({"--remove", "D"});
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_EQ(columnWidths(), table->viewport()->width());
}

} // namespace

TEST_F(MeasurementsWindowTest, AnulujStopsALongMeasurementWithoutATable) {
    const MeasureResult before = window->result();
    window->setBackgroundFrom(0);
    // The worker holds at its first block until the window thread has asked it to stop.
    window->longWork().setWorkerProgressHook([this] {
        QDeadlineTimer deadline(5000);
        while (!window->longWork().cancelRequested() && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    test::child<QRadioButton>(*window, "rbCale")->click();
    ASSERT_TRUE(window->busy());
    test::child<QAbstractButton>(*window, "btAnuluj")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, 5000));
    EXPECT_EQ(test::child<QLabel>(*window, "lbZakres")->text(), QString::fromUtf8("Przerwano pomiar"));
    EXPECT_FALSE(test::child<QWidget>(*window, "btAnuluj")->isVisible());
    EXPECT_EQ(window->result().channels[0].periods, before.channels[0].periods); // the view's table kept
    EXPECT_TRUE(boxes.errors().isEmpty());
}

// Beside the main window where the screen has room (right, else left), otherwise moved onto the screen.
TEST(MeasurementsWindowPlacement, BesideTheMainWindowAndWholeOnTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(300, 400);
    const struct {
        QRect main;
        QPoint want;
    } rows[] = {
        {QRect(100, 50, 800, 450), QPoint(900, 50)},   // room on the right
        {QRect(1000, 50, 800, 450), QPoint(700, 50)},  // room on the left only
        {QRect(0, 800, 1800, 450), QPoint(1620, 680)}, // room on neither side: the screen's edge
        {QRect(-500, -100, 600, 300), QPoint(100, 0)}, // a main window partly off the screen
    };
    for (const auto& r : rows)
        EXPECT_EQ(placeBeside(r.main, size, screen), r.want) << r.main.x() << "," << r.main.y();
}
