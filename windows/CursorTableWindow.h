// "Kursory": the readouts of the cursors in a small table beside the main window, readable at a
// glance: each time cursor's time and the value of every visible channel there, ΔT, 1/ΔT and ΔU, and
// with "Kursory napięcia" the two levels of the selected channel and their difference. "Pokaż w
// widoku" asks for the view that holds both cursors.
#pragma once

#include "view/CursorReadout.h"

#include <QWidget>

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace varnilog {

class CursorTableWindow : public QWidget {
    Q_OBJECT
public:
    explicit CursorTableWindow(QWidget* parent = nullptr);

    void showReadout(const CursorReadout& readout, float samplingPeriodMs,
                     const std::array<bool, kChannels>& visible);
    bool levelsOn() const;
    void setLevelsOn(bool on);
    // The text of a cell (row, column), as shown.
    QString cell(int row, int column) const;

    enum Row { Cursor1, Cursor2, Delta, Level1, Level2, LevelDelta, kRows };
    static constexpr int kTimeColumn = 0; // then A..D

signals:
    void levelsToggled(bool on);
    void bringIntoView();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void setCell(int row, int column, const QString& text);

    QTableWidget* table_;
    QCheckBox* levels_;
    QPushButton* toView_;
};

} // namespace varnilog
