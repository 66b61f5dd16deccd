#include "windows/BitmapWidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace varnilog {

BitmapWidget::BitmapWidget(QWidget* parent) : QWidget(parent) {
    // The bitmap covers the whole widget, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BitmapWidget::setSource(const QImage* source) {
    source_ = source;
    update();
}

void BitmapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (source_ && !source_->isNull())
        painter.drawImage(0, 0, *source_);
    else
        painter.fillRect(rect(), palette().window());
}

void BitmapWidget::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->position().toPoint(), event->button(), event->buttons());
}

void BitmapWidget::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint(), event->buttons());
}

} // namespace varnilog
