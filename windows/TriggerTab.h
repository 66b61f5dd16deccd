// The "Wyzwalanie" tab of the main window: mode, source, edge, level, pre-trigger position, and in a
// small panel hysteresis, pulse-width condition and holdoff; "Uzbrój", "Poprzednie" / "Następne" and
// the status. It reads and shows; the main window decides what the settings do.
#pragma once

#include "analysis/LiveTrigger.h"
#include "analysis/TriggerSpec.h"

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace varnilog {

class TriggerTab : public QWidget {
    Q_OBJECT
public:
    explicit TriggerTab(QWidget* parent = nullptr);

    TriggerMode mode() const;
    int source() const; // 0..3 (A..D)
    int preTriggerPercent() const;
    // The trigger the tab shows.
    TriggerSpec triggerSpec() const;
    // A saved setup's trigger onto the tab (one settingsChanged). The level is kept within the source
    // channel's codes at sensitivity; a width limit without a width condition leaves the field alone.
    void showSettings(TriggerMode mode, const TriggerSpec& triggerSpec, int preTriggerPercent,
                      std::uint8_t sensitivity);
    // A level dragged on the picture (settingsChanged as from the field).
    void setLevel(double volts);
    // The level's step and range follow the source channel's V/div.
    void setSensitivity(std::uint8_t sensitivity);
    // While sampling only A and B can be the source and the search buttons rest.
    void setSampling(bool sampling);

    void showState(TriggerState state);
    void showOff();                      // "Wył.": no status
    void showEvents(std::int64_t count); // < 0 empties it

    QPushButton* armButton() const { return arm_; }
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }
    // The status and the event count, for the owner to place (they do not fit the row of controls).
    QWidget* statusBox() const { return statusBox_; }

signals:
    void settingsChanged();
    void armClicked();
    void previousClicked();
    void nextClicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QComboBox* mode_;
    QComboBox* source_;
    QComboBox* edge_;
    QDoubleSpinBox* level_;
    QSpinBox* pre_;
    QToolButton* more_;
    QPushButton* arm_;
    QPushButton* previous_;
    QPushButton* next_;
    QWidget* statusBox_;
    QLabel* status_;
    QLabel* events_;
    QFrame* panel_; // hysteresis, width and holdoff
    QDoubleSpinBox* hysteresis_;
    QComboBox* widthKind_;
    QSpinBox* width_;
    QSpinBox* holdoff_;
    std::int64_t shownEvents_ = -2;
    int shownState_ = -1;
};

} // namespace varnilog
