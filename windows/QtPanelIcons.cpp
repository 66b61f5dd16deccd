#include "windows/QtPanelIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varnilog {

namespace {

constexpr int kIconSide = 20;
const QColor kInk(30, 34, 60);

void drawMagnifier(QPainter& p, const QString& sign) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(225, 235, 255));
    p.drawEllipse(QPointF(8.5, 8.5), 5.5, 5.5);
    p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    p.setPen(QPen(kInk, 1.4));
    p.drawLine(QPointF(6, 8.5), QPointF(11, 8.5));
    if (sign == QLatin1String("+"))
        p.drawLine(QPointF(8.5, 6), QPointF(8.5, 11));
}

void drawOne(QPainter& p, PanelIcon which) {
    switch (which) {
    case PanelIcon::Start: {
        QPainterPath tri;
        tri.moveTo(5, 3);
        tri.lineTo(17, 10);
        tri.lineTo(5, 17);
        tri.closeSubpath();
        p.fillPath(tri, QColor(20, 150, 40));
        p.setPen(QPen(QColor(10, 80, 20), 1));
        p.drawPath(tri);
        break;
    }
    case PanelIcon::LookOnly: {
        // An eye: looking, not writing.
        QPainterPath eye;
        eye.moveTo(2, 10);
        eye.quadTo(10, 2, 18, 10);
        eye.quadTo(10, 18, 2, 10);
        p.fillPath(eye, Qt::white);
        p.setPen(QPen(kInk, 1));
        p.drawPath(eye);
        p.setBrush(QColor(30, 90, 170));
        p.drawEllipse(QRectF(7, 7, 6, 6));
        break;
    }
    case PanelIcon::Stop:
        p.setPen(QPen(QColor(110, 10, 10), 1));
        p.setBrush(QColor(200, 30, 30));
        p.drawRect(QRectF(4.5, 4.5, 11, 11));
        break;
    case PanelIcon::Open:
        p.setPen(QPen(QColor(120, 80, 10), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2.5, 5.5, 15, 11));
        p.setBrush(QColor(250, 220, 120));
        p.drawRect(QRectF(2.5, 3.5, 6, 3));
        break;
    case PanelIcon::Print:
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        p.setBrush(QColor(150, 155, 170));
        p.drawRect(QRectF(2.5, 8.5, 15, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 12.5, 9, 5));
        break;
    case PanelIcon::Measure:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(250, 230, 120));
        p.drawRect(QRectF(1.5, 7.5, 17, 6));
        for (int x = 4; x < 18; x += 3)
            p.drawLine(QPointF(x, 7.5), QPointF(x, x % 2 ? 10 : 11.5));
        break;
    case PanelIcon::Spectrum:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 200));
        for (int i = 0; i < 5; ++i) {
            const int h = (i == 1) ? 14 : (i == 3 ? 9 : 4 + i);
            p.drawRect(QRectF(2 + i * 3.4, 18 - h, 2.4, h));
        }
        break;
    case PanelIcon::Cursors:
        p.setPen(QPen(QColor(200, 40, 40), 1.2, Qt::DashLine));
        p.drawLine(QPointF(6.5, 2), QPointF(6.5, 18));
        p.drawLine(QPointF(14.5, 2), QPointF(14.5, 18));
        p.setPen(QPen(kInk, 1.3));
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        break;
    case PanelIcon::Operations: {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(16);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, kIconSide, kIconSide), Qt::AlignCenter, QString(QChar(0x03A3)));
        break;
    }
    case PanelIcon::Settings:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(170, 175, 190));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(10, 10);
            p.rotate(45.0 * i);
            p.drawRect(QRectF(-1.5, -8.5, 3, 4));
            p.restore();
        }
        p.drawEllipse(QPointF(10, 10), 5.5, 5.5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(10, 10), 2, 2);
        break;
    case PanelIcon::ZoomOut:
        drawMagnifier(p, QStringLiteral("-"));
        break;
    case PanelIcon::ZoomIn:
        drawMagnifier(p, QStringLiteral("+"));
        break;
    case PanelIcon::ZoomAll:
        p.setPen(QPen(kInk, 1.4));
        p.drawRect(QRectF(2.5, 5.5, 15, 9));
        p.drawLine(QPointF(5, 10), QPointF(15, 10));
        p.drawLine(QPointF(5, 10), QPointF(7.5, 7.5));
        p.drawLine(QPointF(5, 10), QPointF(7.5, 12.5));
        p.drawLine(QPointF(15, 10), QPointF(12.5, 7.5));
        p.drawLine(QPointF(15, 10), QPointF(12.5, 12.5));
        break;
    case PanelIcon::ZoomSelection:
        p.fillRect(QRectF(6, 3, 8, 14), QColor(170, 190, 255));
        p.setPen(QPen(kInk, 1.4));
        p.drawLine(QPointF(6, 3), QPointF(6, 17));
        p.drawLine(QPointF(14, 3), QPointF(14, 17));
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        break;
    case PanelIcon::ZoomOff: {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, kIconSide, kIconSide), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    }
}

} // namespace

QIcon panelIcon(PanelIcon which) {
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawOne(p, which);
    p.end();
    return QIcon(pixmap);
}

QImage knobIndicatorImage(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 0, 0), side > 4 ? 1.0 : 0.5));
    p.setBrush(QColor(230, 30, 30));
    p.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    return image;
}

QImage sliderPicture(int index) {
    QImage image(16, 64, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 208));
    QPainter p(&image);
    // The slot, then the thumb at one of five places from top to bottom.
    p.fillRect(QRect(6, 2, 4, 60), QColor(60, 60, 70));
    p.fillRect(QRect(7, 3, 2, 58), QColor(20, 20, 25));
    const int top = 1 + index * 13;
    QLinearGradient g(0, top, 0, top + 10);
    g.setColorAt(0.0, QColor(245, 245, 250));
    g.setColorAt(1.0, QColor(130, 132, 150));
    p.setPen(QColor(50, 50, 60));
    p.setBrush(g);
    p.drawRect(QRect(1, top, 13, 10));
    p.setPen(QColor(200, 30, 30));
    p.drawLine(3, top + 5, 12, top + 5);
    return image;
}

} // namespace varnilog
