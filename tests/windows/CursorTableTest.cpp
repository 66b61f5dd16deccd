// The cursors' table on a recording: readouts of both cursors at their samples, which stay there
// while the view zooms and scrolls, "Pokaż w widoku", and the voltage cursors put on the volt axis.
#include "app/Program.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "windows/CursorTableWindow.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

using namespace varnilog;

namespace {
class CursorTableTest : public test::MainWindowTest {
protected:
    void SetUp() override { createWindow(); }
    test::ScopedLocale locale{QLocale::c()};
};
} // namespace

TEST_F(CursorTableTest, ReadsTheCursorsAtTheirSamplesWhereverTheViewIs) {
    // A counts 0..249 repeatedly, B is flat at 150; 1 ms a sample, both 1 V/div (0.04 V a code).
    QByteArray a(10000, 0);
    for (int i = 0; i < a.size(); ++i)
        a[i] = static_cast<char>(i % 250);
    form->openRecording(test::writeRecording(dir.path(), QStringLiteral("2024-01-02 03.04.05"),
                                             "[PARAMETRY]\nPODSTAWA=10\nCZULOSCA=4\nCZULOSCB=4\n",
                                             {a, QByteArray(a.size(), static_cast<char>(150))}));
    QWidget* strip = child<QWidget>("Label1");
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
    QTest::mouseClick(strip, Qt::RightButton, Qt::NoModifier, QPoint(380, 5));
    auto* table = form->findChild<CursorTableWindow*>();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    using R = CursorTableWindow::Row;
    const auto expectReadout = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(table->cell(R::Cursor1, 0), "0000:00:00:100");
        EXPECT_EQ(table->cell(R::Cursor1, 1), "-1 V"); // code 100
        EXPECT_EQ(table->cell(R::Cursor2, 0), "0000:00:00:380");
        EXPECT_EQ(table->cell(R::Cursor2, 1), "0.2 V"); // code 130
        EXPECT_EQ(table->cell(R::Cursor2, 2), "1 V");
        EXPECT_EQ(table->cell(R::Delta, 0), "0000:00:00:280  1/ΔT 3.571 Hz");
        EXPECT_EQ(table->cell(R::Delta, 1), "1.2 V");
        EXPECT_EQ(table->cell(R::Delta, 2), "0 V");
    };
    expectReadout("placed");

    click("SpeedButton2"); // "Oddal": zoom 2 from sample 0
    EXPECT_EQ(state->zoomDivisor, 2);
    EXPECT_EQ(state->cursorColumn, (std::array<std::int32_t, 2>{50, 190}));
    expectReadout("zoomed out");

    child<QScrollBar>("ScrollBar1")->setValue(5000);
    EXPECT_EQ(state->viewStart, 5000);
    EXPECT_TRUE(child<QWidget>("Shape1")->isHidden()) << "no mark for a cursor off the view";
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    expectReadout("scrolled away");

    click("btCursorsToView");
    EXPECT_LE(state->viewStart, 100);
    EXPECT_GT(state->viewStart + 500 * state->zoomDivisor, 380);
    EXPECT_FALSE(child<QWidget>("Shape1")->isHidden());
    EXPECT_FALSE(child<QWidget>("Shape2")->isHidden());

    // The voltage cursors on A (selected), rows 100 and 150 of the picture: codes 150 and 100.
    child<QCheckBox>("chkLevelCursors")->click();
    QWidget* axis = child<QWidget>("imgOsY");
    QWidget* picture = child<QWidget>("imgDisplay");
    const auto onAxis = [&](int row) {
        return QPoint(10, axis->mapFromGlobal(picture->mapToGlobal(QPoint(0, row))).y());
    };
    QTest::mouseClick(axis, Qt::LeftButton, Qt::NoModifier, onAxis(100));
    QTest::mouseClick(axis, Qt::RightButton, Qt::NoModifier, onAxis(150));
    EXPECT_EQ(table->cell(R::Level1, 1), "1 V");
    EXPECT_EQ(table->cell(R::Level2, 1), "-1 V");
    EXPECT_EQ(table->cell(R::LevelDelta, 1), "-2 V");
    EXPECT_EQ(table->cell(R::Level1, 2), "") << "on the selected channel only";
    expectReadout("with the voltage cursors");
    {
        // The window and its table side by side, as on the desk.
        const QImage window = form->grab().toImage(), readouts = table->grab().toImage();
        QImage shot(window.width() + readouts.width() + 8, std::max(window.height(), readouts.height()),
                    QImage::Format_RGB32);
        shot.fill(Qt::darkGray);
        QPainter painter(&shot);
        painter.drawImage(0, 0, window);
        painter.drawImage(window.width() + 8, 0, readouts);
        painter.end();
        shot.save(QStringLiteral("/tmp/varnilog-cursor-readouts.png"));
    }

    child<QCheckBox>("CheckBox1")->click();
    EXPECT_FALSE(table->isVisible());
}
