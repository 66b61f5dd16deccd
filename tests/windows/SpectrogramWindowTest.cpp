// "Spektrogram" from the file menu over a loaded recording: computed on the worker, the picture the
// command line draws, the readout under the mouse, a click centring the main view, the saved table.
#include "windows/SpectrogramWindow.h"
#include "app/Program.h"
#include "spectrum/SpectrogramImage.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSet.h"
#include "windows/BitmapWidget.h"
#include "windows/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

using namespace varnilog;

namespace {

class SpectrogramWindowTest : public test::MainWindowTest {
protected:
    // A: +-100 at every other sample for 4096 samples (everything at half the 1 kHz rate); B: zero.
    SpectrogramWindow& open() {
        test::Codes a;
        for (int i = 0; i < 2048; ++i)
            a.insert(a.end(), {225, 25});
        test::RecordingContents contents;
        contents.channels = {a, test::Codes(a.size(), 125)};
        ros = test::writeRecording(dir.path(), QStringLiteral("2024-05-06 07.08.09"), contents);
        createWindow().setDialogs(&dialogs);
        form->openRecording(ros);
        child<QAction>("Spektrogram1")->trigger();
        auto* w = form->findChild<SpectrogramWindow*>();
        EXPECT_NE(w, nullptr);
        w->blockBox()->setCurrentIndex(w->blockBox()->findData(1024));
        return *w;
    }
    QString ros;
    test::ScriptedDialogs dialogs;
};

TEST_F(SpectrogramWindowTest, ComputesReadsCentresAndSaves) {
    SpectrogramWindow& w = open();
    EXPECT_EQ(w.hopBox()->value(), 1024); // the hop follows the block
    ASSERT_TRUE(w.compute());
    // Four blocks; the top row (bins 511 and 512) at 0 dB is white, the lowest bin the floor, black.
    EXPECT_EQ(w.image().pixel(spectrogramPlotLeft + 5, spectrogramPlotTop), qRgb(255, 255, 255));
    EXPECT_EQ(w.image().pixel(spectrogramPlotLeft + 5, spectrogramPlotTop + spectrogramPlotHeight - 1),
              qRgb(0, 0, 0));

    // Over the top left cell: the middle of block 0, bin 511 of 1024 at 1 ms, 0 dB.
    QTest::mouseMove(w.plot(), QPoint(spectrogramPlotLeft, spectrogramPlotTop));
    const QLocale l;
    EXPECT_EQ(w.readout(), QStringLiteral("%1 s   %2 Hz   %3 dB")
                               .arg(l.toString(0.512, 'g', 6), l.toString(511 * 1000.0 / 1024, 'g', 6),
                                    l.toString(0.0, 'f', 1)));

    // A click in the last of the four columns asks for the middle of block 3.
    QSignalSpy centre(&w, &SpectrogramWindow::centreRequested);
    QTest::mouseClick(w.plot(), Qt::LeftButton, {},
                      QPoint(spectrogramPlotLeft + spectrogramPlotWidth - 1, 200));
    ASSERT_EQ(centre.size(), 1);
    EXPECT_EQ(centre.at(0).at(0).toLongLong(), 3 * 1024 + 512);
    // The main view went there: its span is the band, on the picture shown only.
    QCoreApplication::processEvents();
    const int y = spectrogramPlotTop + 200;
    const int centreX = spectrogramPlotLeft + (3 * 1024 + 512) * spectrogramPlotWidth / 4096;
    EXPECT_NE(w.shownImage().pixel(centreX, y), w.image().pixel(centreX, y));
    EXPECT_EQ(w.shownImage().pixel(spectrogramPlotLeft + 5, y), w.image().pixel(spectrogramPlotLeft + 5, y));

    const QString csv = dir.filePath(QStringLiteral("s.csv"));
    dialogs.fileNames = {csv};
    ASSERT_TRUE(w.saveCsv());
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = table.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1 + 4 * 513 + 1); // the header, every block and bin, the last newline
    EXPECT_EQ(lines[0], "block_start;frequency_hz;db");
    EXPECT_EQ(lines[513], "0;500;0.000");
    EXPECT_EQ(lines[4 * 513], "3072;500;0.000");
    const QString png = dir.filePath(QStringLiteral("s.png"));
    dialogs.fileNames = {png};
    ASSERT_TRUE(w.savePng());
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), w.image());
    // A name of the recording's own set is refused.
    dialogs.fileNames = {dir.filePath(QStringLiteral("2024-05-06 07.08.09.rca"))};
    EXPECT_FALSE(w.savePng());
}

TEST_F(SpectrogramWindowTest, CancelledComputationKeepsThePictureOfBefore) {
    SpectrogramWindow& w = open();
    ASSERT_TRUE(w.compute());
    const QImage before = w.image();
    w.blockBox()->setCurrentIndex(w.blockBox()->findData(2048));
    // The worker waits at its progress until the cancel is in, however late a loaded machine runs it.
    std::atomic<bool> cancelled{false};
    w.longWork().setWorkerProgressHook([&cancelled] {
        while (!cancelled.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    QTimer::singleShot(0, &w, [&w, &cancelled] {
        w.longWork().cancel();
        cancelled.store(true);
    });
    EXPECT_FALSE(w.compute());
    EXPECT_EQ(w.image(), before);
    // The clicks still read the picture on show: blocks of 1024.
    QSignalSpy centre(&w, &SpectrogramWindow::centreRequested);
    QTest::mouseClick(w.plot(), Qt::LeftButton, {}, QPoint(spectrogramPlotLeft, 200));
    ASSERT_EQ(centre.size(), 1);
    EXPECT_EQ(centre.at(0).at(0).toLongLong(), 512);
}

TEST_F(SpectrogramWindowTest, ARecordingShorterThanABlockComputesNothing) {
    SpectrogramWindow& w = open();
    w.blockBox()->setCurrentIndex(w.blockBox()->findData(8192));
    EXPECT_FALSE(w.compute());
    ASSERT_EQ(boxes.shown.size(), 1u);
}

} // namespace
