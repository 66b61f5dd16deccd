// The overlay of a triggered picture: the trigger level as a dashed line across it and a small
// triangle at the top over the trigger column, both in the source channel's colour. Drawn onto the
// finished 500 x 250 picture; nothing is allocated. Depends on QtGui's QImage only.
#pragma once

#include <QImage>

#include <cstdint>

namespace varnilog {

inline constexpr int kDefaultPreTriggerPercent = 50;

// The picture column of the trigger at a pre-trigger position of 0..100 % of the 500 columns.
int preTriggerColumn(int percent);

// The display row of a level in codes (row 250 - code, as the traces), or -1 when off the picture.
int triggerLevelRow(double levelCode);

// The level a row of the picture stands for at a sensitivity index: the volts of its code, so a level
// dragged on the picture lands on the level's steps. Rows outside the picture are taken as its edges.
double triggerLevelAtRow(int row, int sensitivity);
// Whether a mouse at row y may take hold of the level's line at levelRow (a few rows either side).
bool nearTriggerLevel(int y, int levelRow);

// colour is 0x00BBGGRR. column: 0..499; a level off the picture draws no line.
void drawTriggerOverlay(QImage& screen, double levelCode, int column, std::int32_t colour);

} // namespace varnilog
