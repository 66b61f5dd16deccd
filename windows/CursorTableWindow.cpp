#include "windows/CursorTableWindow.h"

#include "view/ElapsedTime.h"
#include "view/NumberText.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace varnilog {

namespace {
QString voltsText(double volts, const QLocale& locale) {
    return generalNumberText(volts, 4, locale) + QStringLiteral(" V");
}
} // namespace

CursorTableWindow::CursorTableWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), table_(new QTableWidget(kRows, 1 + kChannels, this)),
      levels_(new QCheckBox(this)), toView_(new QPushButton(this)) {
    setObjectName(QStringLiteral("CursorTableWindow"));
    table_->setObjectName(QStringLiteral("tblCursors"));
    levels_->setObjectName(QStringLiteral("chkLevelCursors"));
    toView_->setObjectName(QStringLiteral("btCursorsToView"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    // Larger than the window's small print: read across the room from the bench.
    QFont font = table_->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    table_->setFont(font);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c <= kChannels; ++c)
            table_->setItem(r, c, new QTableWidgetItem);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(levels_);
    buttons->addStretch();
    buttons->addWidget(toView_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    connect(levels_, &QCheckBox::toggled, this, &CursorTableWindow::levelsToggled);
    connect(toView_, &QPushButton::clicked, this, &CursorTableWindow::bringIntoView);
    retranslate();
    resize(440, 260);
}

void CursorTableWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void CursorTableWindow::retranslate() {
    setWindowTitle(tr("Kursory"));
    levels_->setText(tr("Kursory napięcia"));
    toView_->setText(tr("Pokaż w widoku"));
    toView_->setToolTip(tr("Widok z obydwoma kursorami"));
    QStringList columns{tr("Czas")};
    for (int c = 0; c < kChannels; ++c)
        columns << QString(QChar(u'A' + c));
    table_->setHorizontalHeaderLabels(columns);
    table_->setVerticalHeaderLabels({QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("Δ"),
                                     QStringLiteral("U1"), QStringLiteral("U2"), QStringLiteral("ΔU")});
}

bool CursorTableWindow::levelsOn() const {
    return levels_->isChecked();
}

void CursorTableWindow::setLevelsOn(bool on) {
    levels_->setChecked(on);
}

QString CursorTableWindow::cell(int row, int column) const {
    return table_->item(row, column)->text();
}

void CursorTableWindow::setCell(int row, int column, const QString& text) {
    table_->item(row, column)->setText(text);
}

void CursorTableWindow::showReadout(const CursorReadout& r, float samplingPeriodMs,
                                    const std::array<bool, kChannels>& visible) {
    const QLocale locale;
    for (int n = 0; n < 2; ++n) {
        const auto i = static_cast<std::size_t>(n);
        setCell(n, kTimeColumn, sampleTimeText(static_cast<double>(r.sample[i]), samplingPeriodMs));
        for (std::size_t ch = 0; ch < kChannels; ++ch)
            setCell(n, 1 + static_cast<int>(ch),
                    r.volts[i][ch] ? voltsText(*r.volts[i][ch], locale) : QString());
    }
    QString delta =
        sampleTimeText(static_cast<double>(std::abs(r.sample[1] - r.sample[0])), samplingPeriodMs);
    if (r.inverseHz)
        delta +=
            QStringLiteral("  1/ΔT ") + generalNumberText(*r.inverseHz, 4, locale) + QStringLiteral(" Hz");
    setCell(Delta, kTimeColumn, delta);
    for (std::size_t ch = 0; ch < kChannels; ++ch)
        setCell(Delta, 1 + static_cast<int>(ch),
                r.deltaVolts[ch] ? voltsText(*r.deltaVolts[ch], locale) : QString());
    const std::array<std::pair<int, double>, 3> levels{
        {{Level1, r.levelVolts[0]}, {Level2, r.levelVolts[1]}, {LevelDelta, r.levelDeltaVolts}}};
    for (const auto& [row, volts] : levels) {
        table_->setRowHidden(row, !r.levelsOn);
        for (int c = 0; c <= kChannels; ++c)
            setCell(row, c, c == 1 + r.levelChannel ? voltsText(volts, locale) : QString());
    }
    for (std::size_t ch = 0; ch < kChannels; ++ch)
        table_->setColumnHidden(1 + static_cast<int>(ch),
                                !visible[ch] && !(r.levelsOn && r.levelChannel == static_cast<int>(ch)));
    table_->resizeColumnsToContents();
}

} // namespace varnilog
