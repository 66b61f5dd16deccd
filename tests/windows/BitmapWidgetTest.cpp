// The picture widgets of the main window: they paint the bitmap they point at and report the mouse
// in their own coordinates, which the knob and picture handlers rely on.
#include "windows/BitmapWidget.h"
#include "windows/KnobWidget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace varnilog;

namespace {

TEST(BitmapWidgetTest, PaintsTheBitmapItPointsAtWithoutCopyingIt) {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    BitmapWidget w;
    w.resize(40, 20);
    w.setSource(&picture);
    EXPECT_EQ(QColor(w.grab().toImage().pixel(39, 19)), QColor(10, 20, 30));
    // A change of the bitmap shows at the next repaint: the widget keeps no copy.
    picture.setPixel(5, 6, qRgb(200, 100, 50));
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(5, 6)), QColor(200, 100, 50));
    EXPECT_EQ(QColor(shot.pixel(6, 6)), QColor(10, 20, 30));
}

TEST(BitmapWidgetTest, ReportsPressesAndMovesInItsOwnCoordinates) {
    BitmapWidget picture;
    KnobWidget knob;
    for (QWidget* w : {static_cast<QWidget*>(&picture), static_cast<QWidget*>(&knob)}) {
        w->resize(82, 82);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    const struct {
        QPoint at;
        Qt::MouseButton button;
    } rows[] = {// (0, 0) would be taken by QTest as "the centre"
                {{1, 2}, Qt::LeftButton},
                {{41, 40}, Qt::RightButton},
                {{81, 5}, Qt::LeftButton}};
    for (QWidget* w : {static_cast<QWidget*>(&picture), static_cast<QWidget*>(&knob)}) {
        QSignalSpy pressed(w, SIGNAL(mousePressed(QPoint, Qt::MouseButton, Qt::MouseButtons)));
        QSignalSpy moved(w, SIGNAL(mouseMoved(QPoint, Qt::MouseButtons)));
        for (const auto& r : rows) {
            QTest::mousePress(w, r.button, Qt::NoModifier, r.at);
            QTest::mouseRelease(w, r.button, Qt::NoModifier, r.at);
        }
        ASSERT_EQ(pressed.count(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(pressed[i][0].toPoint(), rows[i].at);
            EXPECT_EQ(pressed[i][1].value<Qt::MouseButton>(), rows[i].button);
        }
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 60), w->mapToGlobal(QPointF(30, 60)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(30, 60));
        ASSERT_EQ(moved.count(), 1);
        EXPECT_EQ(moved[0][0].toPoint(), QPoint(30, 60));
        EXPECT_EQ(moved[0][1].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
    }
}

} // namespace
