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

// colour is 0x00BBGGRR. column: 0..499; a level off the picture draws no line.
void drawTriggerOverlay(QImage& screen, double levelCode, int column, std::int32_t colour);

} // namespace varnilog
