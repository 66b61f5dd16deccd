// The trigger marks of a picture: the pre-trigger column, the level's row, the dashed line and the
// triangle over the trigger column, pixel by pixel on a black picture.
#include "view/TriggerOverlay.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(TriggerOverlayTest, ColumnRowDashesAndTriangle) {
    EXPECT_EQ(preTriggerColumn(0), 0);
    EXPECT_EQ(preTriggerColumn(50), 250);
    EXPECT_EQ(preTriggerColumn(100), 499);
    EXPECT_EQ(triggerLevelRow(125), 125);
    EXPECT_EQ(triggerLevelRow(137.5), 113); // row 250 - code, rounded
    EXPECT_EQ(triggerLevelRow(0), -1);      // row 250 is below the picture
    EXPECT_EQ(triggerLevelRow(255), -1);

    QImage picture(500, 250, QImage::Format_RGB32);
    picture.fill(Qt::black);
    drawTriggerOverlay(picture, 125, 250, 0x0000FF); // red as 0x00BBGGRR
    const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
    const struct {
        int x, y;
        QRgb colour;
    } pixels[] = {
        {0, 125, red},     {3, 125, red}, {4, 125, black}, {7, 125, black}, {8, 125, red},
        {499, 124, black}, {250, 0, red}, {246, 0, red},   {245, 0, black}, {254, 0, red},
        {255, 0, black},   {250, 4, red}, {251, 4, black}, {250, 5, black},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(picture.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}
