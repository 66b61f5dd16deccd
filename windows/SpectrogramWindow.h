// "Spektrogram": the spectrogram of one channel of the recording on display, computed on the long-work
// worker (progress with "Anuluj"), with the block size, hop and range to choose. The mouse reads time,
// frequency and level; a click asks to centre the main view on that time; the picture and the table
// can be saved. A non-modal window the main window makes once.
#pragma once

#include "app/LongWork.h"
#include "app/SharedState.h"
#include "spectrum/Spectrogram.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace varnilog {

class BitmapWidget;
class MessageBoxes;
class StandardDialogs;

class SpectrogramWindow : public QWidget {
    Q_OBJECT
public:
    SpectrogramWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~SpectrogramWindow() override;

    void setDialogs(StandardDialogs* dialogs) { dialogs_ = dialogs; }
    // Shows the window with the channels of the recording on display (the picture of before stays
    // until "Oblicz").
    void FormShow();
    // "Oblicz": computes the spectrogram with the chosen settings; false when there is nothing to compute,
    // or it was cancelled (the picture of before stays).
    bool compute();
    // "Zapisz PNG", "Zapisz CSV": ask for a name and write; false when nothing was written.
    bool savePng();
    bool saveCsv();

    // The main view's span, drawn as a band over the picture.
    void setViewSpan(std::int64_t from, std::int64_t to);

    LongWork& longWork() { return work_; }
    const QImage& image() const { return image_; } // the picture as saved, without the band
    const QImage& shownImage() const { return shown_; }
    QString readout() const;
    // The widgets, for the tests.
    QComboBox* channelBox() const { return channel_; }
    QComboBox* blockBox() const { return block_; }
    QSpinBox* hopBox() const { return hop_; }
    BitmapWidget* plot() const { return plot_; }

signals:
    void centreRequested(std::int64_t sample);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void blockChanged();
    void plotMoved(QPoint p);
    SpectrogramRequest chosenRequest() const;
    void drawShown();

    SharedState& state_;
    MessageBoxes& boxes_;
    StandardDialogs* dialogs_ = nullptr;
    LongWork work_;
    QComboBox* channel_ = nullptr;
    QComboBox* block_ = nullptr;
    QSpinBox* hop_ = nullptr;
    QSpinBox* range_ = nullptr;
    QLabel* channelLabel_ = nullptr;
    QLabel* blockLabel_ = nullptr;
    QLabel* hopLabel_ = nullptr;
    QLabel* rangeLabel_ = nullptr;
    QPushButton* compute_ = nullptr;
    QPushButton* savePng_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QLabel* readout_ = nullptr;
    BitmapWidget* plot_ = nullptr;
    QImage image_;
    QImage shown_;
    std::int64_t viewFrom_ = 0;
    std::int64_t viewTo_ = 0;
    // What the picture on show was computed from.
    std::unique_ptr<SpectrogramPicture> picture_;
    SpectrogramRequest request_;
    int shownChannel_ = 0;
    double shownRange_ = spectrogramDefaultRange;
    float periodMs_ = 1.0f;
};

} // namespace varnilog
