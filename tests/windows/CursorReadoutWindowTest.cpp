// The cursors' whole reading in the status bar once a cursor is placed on a recording.
#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace varnilog;

namespace {
class CursorReadoutWindowTest : public test::MainWindowTest {};
} // namespace

TEST_F(CursorReadoutWindowTest, PlacedCursorsReadInTheStatusBar) {
    createWindow();
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("k"),
                                             "[PARAMETRY]\nPODSTAWA=10\nCZULOSCA=4\nCZULOSCB=4\n",
                                             {QByteArray(1000, char(150)), QByteArray(1000, char(125))});
    form->openRecording(ros);
    QTest::mouseClick(child<QWidget>("Label1"), Qt::LeftButton, {}, QPoint(60, 2));
    const QString text = form->statusPanelText(16);
    EXPECT_TRUE(text.startsWith("K1 ")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" A 1 V B 0 V | K2 "))) << text.toStdString();
}
