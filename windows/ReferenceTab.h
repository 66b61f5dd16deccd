// The "Wzorce" tab of the main window: the reference waveforms R1..R4. "Zapamiętaj" keeps what the
// view shows of the chosen channel in the chosen slot, "Pokaż" shows or hides the slot, "Nazwa…"
// renames it, "Usuń" empties it; "Porównaj…" draws a channel of another recording over the chosen channel
// of the view (aligned at the first samples or at a marker of each) until it is switched off again; every
// change is written to the configuration file at once, so the references are there in the next run. The view
// draws them over each picture (drawOver).
#pragma once

#include "view/ComparisonTrace.h"
#include "view/CursorReadout.h"
#include "view/ReferenceWaveforms.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace varnilog {

class StandardDialogs;
struct ViewBuffers;

class ReferenceTab : public QWidget {
    Q_OBJECT
public:
    ReferenceTab(const SharedState& state, const ViewBuffers& view, QString configurationPath,
                 QWidget* parent = nullptr);

    const ReferenceSet& references() const { return references_; }
    // The slot and channel the buttons act on.
    void choose(int slot, int channel);
    void store();
    void remove();
    // The chosen slot's name; an empty one gives the slot back its "R1".."R4".
    void rename(const QString& name);
    // Channel otherChannel of the recording at rosPath (-1: the chosen channel) over the chosen channel
    // of the view, its marker `otherMarker` at marker `ownMarker` of the recording on display (-1: the
    // first samples at each other); false with error when it cannot be read. An empty path switches the
    // comparison off.
    bool compareWith(const QString& rosPath, int ownMarker, int otherMarker, CoreError& error,
                     int otherChannel = -1);
    // Where "Porównaj…" asks for the recording (the program's dialogs; tests answer them).
    void setDialogs(StandardDialogs* dialogs) { dialogs_ = dialogs; }
    const std::optional<ComparisonTrace>& comparison() const { return comparison_; }
    // The comparison's volts at the cursors' samples.
    void readComparison(CursorReadout& readout) const;
    void drawOver(QImage& screen) const;

signals:
    void redrawNeeded();
    // The configuration file could not be written (its path).
    void saveFailed(const QString& path);
    // The recording to compare with could not be read (the message).
    void comparisonFailed(const QString& message);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showSlot();
    void changed();
    void compareClicked();
    // The dialog's answer: marker indexes -1 when aligned at the first samples.
    void compareAnswered(int answer, int otherChannel, int over, int ownMarker, int otherMarker);

    const SharedState& state_;
    const ViewBuffers& view_;
    QString configurationPath_;
    ReferenceSet references_;
    QComboBox* slot_;
    QComboBox* channel_;
    QPushButton* store_;
    QCheckBox* shown_;
    QPushButton* rename_;
    QPushButton* remove_;
    QPushButton* compare_;
    StandardDialogs* dialogs_ = nullptr;
    mutable std::optional<ComparisonTrace> comparison_; // its columns are read as it is drawn
};

} // namespace varnilog
