// "Znaczniki": the non-modal list of the markers of the recording on display (time as the export
// writes it, kind, label) with a filter by kind. Double-click or Enter asks to centre the view on a
// marker, an edited label or Delete asks to change the list, "Zaznacz do następnego" asks for the
// selection from a marker to the next one; the main window does each and refills the list.
#pragma once

#include "recording/MarkerFile.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace varnilog {

class MarkersWindow : public QWidget {
    Q_OBJECT
public:
    explicit MarkersWindow(QWidget* parent = nullptr);

    // Shows markers (sorted) of a recording with samples samplingPeriodMs apart; the filter stays.
    void setMarkers(const std::vector<Marker>& markers, float samplingPeriodMs);
    // The marker of the selected row (an index into the list given), or -1.
    int selectedMarker() const;
    // The markers shown, in order (indices into the list given).
    const std::vector<int>& shownMarkers() const { return shown_; }

signals:
    void centreRequested(std::int64_t sample);
    void spanRequested(std::int64_t from, std::int64_t to);
    void labelEdited(int index, const QString& label);
    void removeRequested(int index);
    // selectedMarker() may have changed.
    void selectionChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void refill();
    void centreOnSelected();
    void selectToNext();

    QComboBox* filter_;
    QTableWidget* table_;
    QPushButton* toNext_;
    std::vector<Marker> markers_;
    std::vector<int> shown_;
    float periodMs_ = 1.0f;
    bool filling_ = false;
};

} // namespace varnilog
