// The decoded annotation rows under the main window's picture: each row's label in the left margin
// and its boxes in the picture's 500 columns, drawn again whenever the view is; hovering a box shows
// all its texts and its time.
#pragma once

#include "app/SharedState.h"
#include "view/AnnotationRows.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <vector>

namespace varnilog {

class AnnotationRowsWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMargin = 39; // the picture's first column, as under Panel1

    AnnotationRowsWidget(const SharedState& state, QWidget* parent = nullptr);

    // The rows to show (null or empty: none); the caller keeps them while shown.
    void setRows(const AnnotationRows* rows);
    bool hasRows() const { return rows_ != nullptr && !rows_->empty(); }
    // The height the rows take (0 without rows).
    int rowsHeight() const;
    // Draws the rows at the view's start and zoom.
    void refresh();
    // What hovering at p shows: the item's texts and its time; empty off a box.
    QString hoverText(QPoint p) const;
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    const SharedState& state_;
    const AnnotationRows* rows_ = nullptr;
    QFont font_ = annotationFont();
    QImage picture_;
    std::vector<AnnotationBox> boxes_;
};

} // namespace varnilog
