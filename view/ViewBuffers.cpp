#include "view/ViewBuffers.h"

namespace varnilog {

void sizeBitmaps(ViewBuffers& view) {
    view.bmpBackground = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    view.bmpWave = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    view.bmpScreen = QImage(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    view.bmpBackground.fill(0);
    view.bmpWave.fill(0);
    view.bmpScreen.fill(0);
}

} // namespace varnilog
