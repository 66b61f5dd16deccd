#include "app/SharedState.h"

namespace varnilog {

void sizeBitmaps(SharedState& s) {
    s.bmpBackground = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    s.bmpWave = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    s.bmpScreen = QImage(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    s.bmpBackground.fill(0);
    s.bmpWave.fill(0);
    s.bmpScreen.fill(0);
}

} // namespace varnilog
