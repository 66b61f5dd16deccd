#include "windows/ScrollBarWidget.h"

#include "view/ViewWindow.h"

namespace varnilog {

ScrollBarWidget::ScrollBarWidget(QWidget* parent) : QScrollBar(parent) {
    // Qt moves a track click by the page, which is also the thumb's size; the position is replaced
    // before it becomes the value.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == SliderPageStepAdd || action == SliderPageStepSub)
            setSliderPosition(trackClickPosition(value(), action == SliderPageStepAdd ? 1 : -1, trackStep_,
                                                 minimum(), maximum()));
    });
}

} // namespace varnilog
