// The "Poświata" tab of the main window: off, fading (with how much a count keeps per frame) or
// infinite persistence of the view, "Wyczyść", and "Nałóż zdarzenia", the overlay of every trigger
// event of the recording. It keeps the counts of every channel (made once, on the first choice) and
// draws them over each picture the view draws: frameDrawn adds the frame and paints, allocating
// nothing. A change of V/div, time base or offset starts the counts again.
#pragma once

#include "analysis/Persistence.h"
#include "app/SharedState.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace varnilog {

struct ViewBuffers;

class PersistenceTab : public QWidget {
    Q_OBJECT
public:
    explicit PersistenceTab(QWidget* parent = nullptr);
    ~PersistenceTab() override;

    PersistenceMode mode() const;
    void setMode(PersistenceMode mode);
    void clear();
    // The view drew a new picture from channelData: counted and drawn over bmpScreen when on.
    void frameDrawn(const SharedState& state, ViewBuffers& view);
    // The counts of a channel (empty until persistence was first chosen).
    const Persistence* layer(int channel) const;
    // Layers filled elsewhere (the event overlay) take the place of the counts; infinite from now on.
    std::array<Persistence, kChannels>& layers();

    QPushButton* overlayButton() const { return overlay_; }

signals:
    void overlayClicked();
    // The picture needs drawing again (the choice or the counts changed).
    void redrawNeeded();

protected:
    void changeEvent(QEvent* event) override;

private:
    // The scales the counts belong to: any change of them clears the counts.
    struct Scales {
        std::uint8_t timeBase = 0;
        std::array<std::uint8_t, kChannels> sensitivity{}, offset{};
        bool operator==(const Scales&) const = default;
    };
    void retranslate();
    void applyChoice();

    QComboBox* mode_;
    QDoubleSpinBox* decay_;
    QLabel* decayLabel_;
    QPushButton* clear_;
    QPushButton* overlay_;
    std::unique_ptr<std::array<Persistence, kChannels>> layers_;
    Scales scales_;
};

} // namespace varnilog
