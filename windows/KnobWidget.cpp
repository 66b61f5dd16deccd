#include "windows/KnobWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QWheelEvent>

#include <cmath>
#include <numbers>

namespace varnilog {

KnobWidget::KnobWidget(QWidget* parent) : QWidget(parent) {}

void KnobWidget::setScale(int count, double startDegrees, double sweepDegrees) {
    count_ = count;
    start_ = startDegrees;
    sweep_ = sweepDegrees;
    update();
}

void KnobWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height());
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double outer = side / 2.0 - 0.5;
    const double face = outer * (side > 40 ? 0.80 : 0.72);

    // Scale ticks on the rim, one step apart; a full circle has no duplicate tick at its end.
    p.setPen(QPen(QColor(40, 40, 60), side > 40 ? 1.4 : 1.0));
    const bool fullCircle = std::abs(sweep_) >= 360.0;
    const int steps = fullCircle ? count_ : count_ - 1;
    for (int i = 0; i < count_ && steps > 0; ++i) {
        const double a = (start_ + sweep_ * i / steps) * std::numbers::pi / 180.0;
        const QPointF dir(std::cos(a), -std::sin(a));
        p.drawLine(centre + dir * (face + 1.5), centre + dir * outer);
    }

    // Face: a bevelled disc lit from the upper left.
    QRadialGradient shade(centre - QPointF(face * 0.35, face * 0.35), face * 1.6);
    shade.setColorAt(0.0, QColor(250, 250, 252));
    shade.setColorAt(0.6, QColor(170, 172, 185));
    shade.setColorAt(1.0, QColor(95, 98, 115));
    p.setBrush(shade);
    p.setPen(QPen(QColor(60, 60, 75), 1.0));
    p.drawEllipse(centre, face, face);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    p.drawEllipse(centre, face * 0.82, face * 0.82);
}

void KnobWidget::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->position().toPoint(), event->button(), event->buttons());
}

void KnobWidget::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint(), event->buttons());
}

void KnobWidget::wheelEvent(QWheelEvent* event) {
    // Touchpads send fractions of a notch; they add up until a whole step is reached.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps != 0)
        emit wheelTurned(steps);
    event->accept();
}

} // namespace varnilog
