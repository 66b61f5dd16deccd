// A round scale knob drawn in code: a ring of scale ticks around a shaded face. The value it stands
// for is shown by a separate indicator picture that the main window moves over it; the knob itself only
// draws the scale and reports the mouse.
#pragma once

#include <QWidget>

namespace varnilog {

class KnobWidget : public QWidget {
    Q_OBJECT
public:
    explicit KnobWidget(QWidget* parent = nullptr);

    // Scale ticks: count ticks from startDegrees (counter-clockwise from the right) over
    // sweepDegrees (negative = clockwise). A sweep of 360 spreads them over the whole circle.
    void setScale(int count, double startDegrees, double sweepDegrees);

signals:
    void mousePressed(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseMoved(QPoint position, Qt::MouseButtons buttons);
    // Wheel notches: positive away from the user.
    void wheelTurned(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int count_ = 0;
    double start_ = 225.0;
    double sweep_ = -270.0;
    int wheelRemainder_ = 0; // eighths of a degree not yet turned into a step
};

} // namespace varnilog
