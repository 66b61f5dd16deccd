// A scroll bar whose thumb shows the page (pageStep) while a click on the track beside the thumb
// moves by a step of its own, which may be much smaller than the page.
#pragma once

#include <QScrollBar>

namespace varnilog {

class ScrollBarWidget : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBarWidget(QWidget* parent = nullptr);

    void setTrackStep(int step) { trackStep_ = step; }

private:
    int trackStep_ = 1;
};

} // namespace varnilog
