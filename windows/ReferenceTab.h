// The "Wzorce" tab of the main window: the reference waveforms R1..R4. "Zapamiętaj" keeps what the
// view shows of the chosen channel in the chosen slot, "Pokaż" shows or hides the slot, "Usuń"
// empties it; every change is written to the configuration file at once, so the references are there
// in the next run. The view draws them over each picture (drawOver).
#pragma once

#include "view/ReferenceWaveforms.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace varnilog {

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
    void drawOver(QImage& screen) const;

signals:
    void redrawNeeded();
    // The configuration file could not be written (its path).
    void saveFailed(const QString& path);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showSlot();
    void changed();

    const SharedState& state_;
    const ViewBuffers& view_;
    QString configurationPath_;
    ReferenceSet references_;
    QComboBox* slot_;
    QComboBox* channel_;
    QPushButton* store_;
    QCheckBox* shown_;
    QPushButton* remove_;
};

} // namespace varnilog
