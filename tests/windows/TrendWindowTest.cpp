// The trend window opened from the file menu over a loaded recording: its points equal the command
// line's for every kind of interval, cancelling, the limits and their markers, a click that centres
// the view, and the CSV and PNG it saves.
#include "windows/TrendWindow.h"
#include "app/Program.h"
#include "recording/MarkerFile.h"
#include "support/CliRunner.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSet.h"
#include "view/MarkerFlags.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QThread>

using namespace varnilog;

namespace {

constexpr int kTrendSamples = 4000;

class TrendWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        // A: a square of period 4 ms, then of period 8 ms from sample 2000; B: the zero line.
        test::Codes a(kTrendSamples);
        for (int i = 0; i < kTrendSamples; ++i)
            a[i] = (i < 2000 ? (i / 2) % 2 : (i / 4) % 2) ? 150 : 100;
        test::RecordingContents contents;
        contents.channels = {a, test::Codes(kTrendSamples, 125)};
        ros = test::writeRecording(dir.path(), QStringLiteral("trend"), contents);
        makeWindow().setDialogs(&dialogs);
        form->FormCreate();
        form->openRecording(ros);
        ASSERT_EQ(state->sampleCount, kTrendSamples);
        form->findChild<QAction*>(QStringLiteral("Trend1"))->trigger();
        window = form->findChild<TrendWindow*>();
        ASSERT_NE(window, nullptr);
    }
    template <typename T> T* get(const char* name) { return test::child<T>(*window, name); }
    void compute() {
        get<QPushButton>("btOblicz")->click();
        window->longWork().wait();
    }

    QString ros;
    test::ScriptedDialogs dialogs;
    TrendWindow* window = nullptr;
};

TEST_F(TrendWindowTest, PointsEqualTheCommandLines) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Trend pomiaru"));
    const struct {
        int measure, mode, samples, time;
        QStringList cli;
    } cases[] = {
        {6, 0, 500, 0, {"--channel", "A", "--measure", "frequency", "--interval", "500"}},
        {3, 1, 0, 1, {"--channel", "A", "--measure", "mean", "--interval", "10"}}, // 10 ms at 1 ms
        {8, 2, 0, 0, {"--channel", "A", "--measure", "duty", "--per-period"}},
        {0, 0, 999, 0, {"--channel", "B", "--measure", "max", "--interval", "999"}},
    };
    for (const auto& c : cases) {
        get<QComboBox>("cbKanal")->setCurrentIndex(c.cli[1] == "B" ? 1 : 0);
        get<QComboBox>("cbPomiar")->setCurrentIndex(c.measure);
        get<QComboBox>("cbTryb")->setCurrentIndex(c.mode);
        get<QSpinBox>("seProbki")->setValue(c.samples);
        get<QComboBox>("cbCzas")->setCurrentIndex(c.time);
        compute();
        const test::CliRun run = test::runCli(QStringList{"trend", ros, "--csv"} + c.cli);
        ASSERT_EQ(run.code, 0) << run.err.constData();
        EXPECT_EQ(window->csvText(), run.out) << c.cli.join(' ').toStdString();
        EXPECT_GT(window->points().size(), 3u);
    }
    // Cancelled while it runs: nothing is shown and the window can compute again.
    window->longWork().setWorkerProgressHook([this] {
        const QDeadlineTimer deadline(5000);
        while (!window->longWork().cancelRequested() && !deadline.hasExpired())
            QThread::msleep(1);
    });
    get<QPushButton>("btOblicz")->click();
    EXPECT_TRUE(get<QPushButton>("btAnuluj")->isEnabled());
    get<QPushButton>("btAnuluj")->click();
    window->longWork().wait();
    window->longWork().setWorkerProgressHook({});
    EXPECT_TRUE(get<QPushButton>("btOblicz")->isEnabled());
}

TEST_F(TrendWindowTest, LimitsMarkersClicksAndFiles) {
    get<QComboBox>("cbPomiar")->setCurrentIndex(6); // frequency: 250 Hz, then 125 Hz
    get<QSpinBox>("seProbki")->setValue(400);
    compute();
    get<QLineEdit>("edPonizej")->setText(QStringLiteral("200"));
    ASSERT_EQ(window->violations().size(), 1u);
    EXPECT_EQ(window->violations()[0].start, 2000);
    EXPECT_EQ(window->violations()[0].end, kTrendSamples);
    get<QLineEdit>("edPowyzej")->setText(QStringLiteral("x"));
    TrendLimits typed;
    EXPECT_FALSE(window->limits(typed));
    get<QLineEdit>("edPowyzej")->setText(QStringLiteral("1e9"));
    get<QPushButton>("btOznacz")->click();
    const std::vector<Marker> want{
        {2000, kTrendSamples, MarkerKind::Przekroczenie, QStringLiteral("frequency < 200: 125")}};
    EXPECT_EQ(readMarkerFile(markerFilePath(ros)).markers, want);

    // A click in the plot's middle column centres the main view on the sample drawn there.
    auto* plot = get<QWidget>("imgTrend");
    const int x = 70 + (plot->width() - 80) / 2;
    const std::optional<std::int64_t> sample = window->sampleAt(x, plot->width());
    ASSERT_TRUE(sample);
    EXPECT_NEAR(static_cast<double>(*sample), kTrendSamples / 2.0, kTrendSamples / 100.0);
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(x, plot->height() / 2));
    EXPECT_EQ(state->viewStart, centredViewStart(*sample, std::max(1, state->zoomDivisor), kDisplayColumns));

    const QString csv = dir.filePath(QStringLiteral("t.csv")), png = dir.filePath(QStringLiteral("t.png"));
    dialogs.fileNames = {csv, png};
    get<QPushButton>("btCsv")->click();
    get<QPushButton>("btPng")->click();
    QFile saved(csv);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), window->csvText());
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), plot->size());
    // The trend is drawn: the plot holds its blue line and the red limit.
    const QImage drawn = window->picture(QSize(600, 300));
    int blue = 0, shaded = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int i = 0; i < drawn.width(); ++i) {
            blue += drawn.pixel(i, y) == qRgb(0, 60, 200);
            shaded += drawn.pixel(i, y) == qRgb(255, 200, 190);
        }
    EXPECT_GT(blue, 100);
    EXPECT_GT(shaded, 1000);
}

} // namespace
