// A widget that shows an off-screen bitmap owned elsewhere (the waveform picture, an axis, a slider
// picture) at (0, 0) and reports the mouse, so the main window's handlers can act on positions in
// the picture. It keeps only a pointer: repainting never copies the bitmap.
#pragma once

#include <QImage>
#include <QWidget>

namespace varnilog {

class BitmapWidget : public QWidget {
    Q_OBJECT
public:
    explicit BitmapWidget(QWidget* parent = nullptr);

    // The bitmap to show; it must outlive the widget or be replaced before it goes away.
    void setSource(const QImage* source);
    const QImage* source() const { return source_; }

signals:
    void mousePressed(QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseMoved(QPoint position, Qt::MouseButtons buttons);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const QImage* source_ = nullptr;
};

} // namespace varnilog
