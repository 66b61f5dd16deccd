#include "windows/MarkersWindow.h"

#include "view/ElapsedTime.h"
#include "view/MarkerFlags.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace varnilog {

MarkersWindow::MarkersWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("MarkersWindow"));
    resize(420, 360);
    auto* layout = new QVBoxLayout(this);
    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("cbKind"));
    for (int k = 0; k <= kMarkerKindCount; ++k) // "Wszystkie", then every kind
        filter_->addItem(QString());
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("tbMarkers"));
    // The time and the kind whole, the label takes the rest.
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    toNext_ = new QPushButton(this);
    toNext_->setObjectName(QStringLiteral("btToNext"));
    layout->addWidget(filter_);
    layout->addWidget(table_);
    layout->addWidget(toNext_);
    connect(filter_, &QComboBox::currentIndexChanged, this, &MarkersWindow::refill);
    connect(toNext_, &QPushButton::clicked, this, &MarkersWindow::selectToNext);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column != 2) // the label's cell is edited in place instead
            centreOnSelected();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &MarkersWindow::selectionChanged);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_ && item->column() == 2 && item->row() < static_cast<int>(shown_.size()))
            emit labelEdited(shown_[static_cast<std::size_t>(item->row())], item->text());
    });
    retranslate();
}

void MarkersWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        refill();
    }
    QWidget::changeEvent(event);
}

void MarkersWindow::retranslate() {
    setWindowTitle(tr("Znaczniki"));
    filter_->setItemText(0, tr("Wszystkie"));
    for (int k = 0; k < kMarkerKindCount; ++k)
        filter_->setItemText(k + 1, markerKindTitle(static_cast<MarkerKind>(k)));
    table_->setHorizontalHeaderLabels({tr("Czas"), tr("Rodzaj"), tr("Etykieta")});
    toNext_->setText(tr("Zaznacz do następnego"));
}

void MarkersWindow::setMarkers(const std::vector<Marker>& markers, float samplingPeriodMs) {
    markers_ = markers;
    periodMs_ = samplingPeriodMs;
    refill();
}

void MarkersWindow::refill() {
    filling_ = true;
    const int row = table_->currentRow();
    const int kind = filter_->currentIndex() - 1; // -1: every kind
    shown_.clear();
    for (std::size_t i = 0; i < markers_.size(); ++i)
        if (kind < 0 || static_cast<int>(markers_[i].kind) == kind)
            shown_.push_back(static_cast<int>(i));
    table_->setRowCount(static_cast<int>(shown_.size()));
    for (int r = 0; r < static_cast<int>(shown_.size()); ++r) {
        const Marker& m = markers_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(r)])];
        const auto readOnly = [](const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            return item;
        };
        table_->setItem(r, 0, readOnly(sampleTimeText(m.start, periodMs_)));
        table_->setItem(r, 1, readOnly(markerKindTitle(m.kind)));
        table_->setItem(r, 2, new QTableWidgetItem(m.label));
    }
    if (row >= 0 && row < table_->rowCount())
        table_->selectRow(row);
    filling_ = false;
}

int MarkersWindow::selectedMarker() const {
    const int row = table_->currentRow();
    return row >= 0 && row < static_cast<int>(shown_.size()) ? shown_[static_cast<std::size_t>(row)] : -1;
}

void MarkersWindow::centreOnSelected() {
    if (const int i = selectedMarker(); i >= 0)
        emit centreRequested(markers_[static_cast<std::size_t>(i)].start);
}

void MarkersWindow::selectToNext() {
    const int i = selectedMarker();
    if (const auto span = spanBetweenMarkers(markers_, i, i + 1))
        emit spanRequested(span->from, span->to);
}

void MarkersWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        centreOnSelected();
    else if (event->key() == Qt::Key_Delete && selectedMarker() >= 0)
        emit removeRequested(selectedMarker());
    else
        QWidget::keyPressEvent(event);
}

} // namespace varnilog
