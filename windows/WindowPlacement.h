// Where a tool window opens: beside its main window, on the side where the screen has room, and
// always whole on the screen. Pure geometry; Qt Core only.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace varnilog {

// The top-left corner of a frame of frameSize next to mainFrame (right of it, else left of it, at its
// top), moved into screenArea when neither side has room.
QPoint placeBeside(const QRect& mainFrame, const QSize& frameSize, const QRect& screenArea);

} // namespace varnilog
