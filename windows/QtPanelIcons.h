// Pictures of the main window's front panel drawn in code: button icons, the knob indicators and the five
// slider pictures of the channel and coupling selectors. Widgets only (QtGui painting).
#pragma once

#include <QIcon>
#include <QImage>

namespace varnilog {

enum class PanelIcon {
    Start,
    Stop,
    Open,
    Print,
    Measure,
    Spectrum,
    Cursors,
    Operations,
    Settings,
    ZoomOut,
    ZoomIn,
    ZoomAll,
    ZoomSelection,
    ZoomOff,
    LookOnly
};

QIcon panelIcon(PanelIcon which);

// A round knob indicator of the given side length.
QImage knobIndicatorImage(int side);

// Slider picture 0..4 (16 x 64): the thumb at the top (0) .. the bottom (4) of the slot.
QImage sliderPicture(int index);

} // namespace varnilog
