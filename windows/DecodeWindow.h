// DecodeWindow, "Dekodowanie": a stack of the library's protocol decoders chosen from its list (with a
// search field), the bottom one's channels mapped to A–D, each channel's threshold, the options as the
// metadata offers them (lists of values, fields with the defaults), a warning where a bit rate asks
// for fewer than four samples a bit and "Zgadnij" beside it; "Dekoduj" runs over the whole recording
// on the long-work worker with progress and "Anuluj". The result is a set of annotation rows the main
// window draws under the waveform, and a table (time, decoder, class, text) with a filter whose
// chosen line asks the main window to centre its view there; F3 / Shift+F3 find the typed text.
#pragma once

#include "app/LongWork.h"
#include "app/SharedState.h"
#include "decode/DecoderLibrary.h"
#include "view/AnnotationRows.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace varnilog {

class MessageBoxes;
struct RecordingDecodeRequest;

class DecodeWindow : public QWidget {
    Q_OBJECT
public:
    DecodeWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~DecodeWindow() override;

    // Shows (or raises) the window; the library's list is read on the first show.
    void FormShow();
    // The recording on display was (re)loaded or changed: the annotations shown are dropped.
    void recordingChanged();

    // Adds the decoder chosen in the list to the stack ("Dodaj").
    void addChosenDecoder();
    // Decodes the whole recording as the controls say ("Dekoduj").
    void decode();
    // Guesses the bit rate of the stack entry on show ("Zgadnij").
    void guessBitRate();
    LongWork& longWork() { return work_; }

    // The annotations of the last decode, as rows for the main window (empty: none shown).
    const AnnotationRows& rows() const { return *rows_; }
    // "Wiersze pod przebiegiem": the main window draws the rows.
    bool rowsShown() const;
    // The table's items (filtered), by start.
    const std::vector<std::uint32_t>& tableItems() const { return shown_; }
    // Chooses line of the table (the view is centred there); F3 / Shift+F3 from the line chosen.
    void chooseLine(int line);
    void findNext(bool forward);
    int chosenLine() const;

signals:
    void annotationsChanged();
    void centreRequested(std::int64_t sample);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override; // a decode running stops

private:
    class TableModel;
    struct Entry;

    void retranslate();
    void fillLibrary();
    void filterLibrary();
    void removeLastDecoder();
    void showEntry(int index);
    Entry makeEntry(const DecoderInfo& info, bool bottom);
    bool buildRequest(RecordingDecodeRequest& request, QString& error) const;
    void updateBitRateWarning();
    void workerDone();
    void refilter();
    void setBusy(bool busy);

    SharedState& state_;
    MessageBoxes& boxes_;
    LongWork work_;
    QLineEdit* search_ = nullptr;
    QListWidget* library_ = nullptr;
    QListWidget* stack_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QStackedWidget* settings_ = nullptr;
    std::array<QLineEdit*, kChannels> thresholds_{};
    QLabel* thresholdLabel_ = nullptr;
    QPushButton* decode_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* showRows_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLineEdit* find_ = nullptr;
    QTableView* table_ = nullptr;
    TableModel* model_ = nullptr;
    std::vector<Entry> entries_;
    std::vector<const DecoderInfo*> decoders_; // of the library, by id

    std::shared_ptr<AnnotationRows> rows_ = std::make_shared<AnnotationRows>();
    std::vector<std::string> decoderIds_; // of the rows' stack
    std::vector<const DecoderInfo*> rowsDecoders_;
    std::vector<std::uint32_t> byStart_, shown_;
    struct Job;
    std::shared_ptr<Job> job_;
};

} // namespace varnilog
