#include "windows/AnnotationRowsWidget.h"

#include "view/ElapsedTime.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStringList>
#include <QToolTip>

namespace varnilog {

AnnotationRowsWidget::AnnotationRowsWidget(const SharedState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("imgAdnotacje"));
    hide();
}

void AnnotationRowsWidget::setRows(const AnnotationRows* rows) {
    rows_ = rows;
    const int h = rowsHeight();
    picture_ = h > 0 ? QImage(kDisplayColumns, h, QImage::Format_RGB32) : QImage();
    setFixedSize(kMargin + kDisplayColumns + 1, std::max(h, 1));
    setVisible(h > 0);
    refresh();
}

int AnnotationRowsWidget::rowsHeight() const {
    return hasRows() ? static_cast<int>(rows_->rows.size()) * kAnnotationRowHeight : 0;
}

void AnnotationRowsWidget::refresh() {
    if (!hasRows() || picture_.isNull())
        return;
    drawAnnotationRows(picture_, *rows_, state_.viewStart, state_.zoomDivisor, font_, boxes_);
    update();
}

QString AnnotationRowsWidget::hoverText(QPoint p) const {
    const int row = p.y() / kAnnotationRowHeight, column = p.x() - kMargin;
    if (!hasRows() || p.y() < 0 || row >= static_cast<int>(rows_->rows.size()) || column < 0 ||
        column >= kDisplayColumns)
        return {};
    const AnnotationRow& r = rows_->rows[static_cast<std::size_t>(row)];
    const std::optional<std::uint32_t> at =
        annotationAtColumn(*rows_, r, state_.viewStart, state_.zoomDivisor, column);
    if (!at)
        return QString::fromStdString(r.label);
    const AnnotationItem& item = rows_->items[*at];
    QStringList lines;
    for (const std::string& t : item.texts)
        lines << QString::fromStdString(t);
    lines << QStringLiteral("%1 – %2").arg(
        sampleTimeText(static_cast<double>(item.start), state_.samplingPeriodMs),
        sampleTimeText(static_cast<double>(item.end), state_.samplingPeriodMs));
    return lines.join(QLatin1Char('\n'));
}

bool AnnotationRowsWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = hoverText(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void AnnotationRowsWidget::paintEvent(QPaintEvent*) {
    if (!hasRows())
        return;
    QPainter p(this);
    p.drawImage(kMargin, 0, picture_);
    QFont small = font_;
    small.setPixelSize(8);
    p.setFont(small);
    p.setPen(Qt::black);
    for (std::size_t r = 0; r < rows_->rows.size(); ++r)
        p.drawText(QRect(0, static_cast<int>(r) * kAnnotationRowHeight, kMargin - 2, kAnnotationRowHeight),
                   Qt::AlignRight | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(QString::fromStdString(rows_->rows[r].label), Qt::ElideRight,
                                              kMargin - 2));
}

} // namespace varnilog
