// The persistence picture: a channel's 500 x 250 counts drawn over the finished view picture as the
// intensity of the channel's colour, on a logarithmic scale up to the largest count. A table of
// log(1 + c) by the count's upper float bits, made once, keeps a frame well within the tick: nothing
// is allocated and no logarithm is taken per pixel. Core: QtGui's QImage only.
#pragma once

#include <QImage>

#include <cstdint>

namespace varnilog {

// counts: [column * 250 + row], 500 x 250; peak: the largest of them; colour 0x00BBGGRR. A pixel
// moves from what the screen holds toward colour by log(1 + c) / log(1 + peak).
void drawPersistence(QImage& screen, const float* counts, float peak, std::int32_t colour);

// The intensity a count is drawn with (the table's value, within 1 % of the exact one).
float persistenceIntensity(float count, float peak);

} // namespace varnilog
