// MathWindow, "Działania na przebiegach": the modal window that computes a derived channel C or D
// of the recording on display (the operation, the target, its V/div or "Auto") and removes one. The
// computation runs on a worker with progress and "Anuluj"; replacing recorded data is confirmed
// first. The caller reloads the recording when changed() is set.
#pragma once

#include "analysis/ChannelMath.h"
#include "analysis/FormulaChannel.h"
#include "app/LongWork.h"
#include "app/SharedState.h"

#include <QDialog>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

namespace Ui {
class MathWindow;
}

namespace varnilog {

class MessageBoxes;

class MathWindow : public QDialog {
    Q_OBJECT
public:
    MathWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~MathWindow() override;

    // Shows the window modally for the recording on display; the result says whether the set changed.
    int FormShow();
    bool changed() const { return changed_; }
    // The channel computed by the last "Oblicz" (2 = C, 3 = D); -1 when none was.
    int computedChannel() const { return computedChannel_; }
    bool busy() const { return work_.busy(); }
    // The worker the derived channel is computed on.
    LongWork& longWork() { return work_; }

    // The operation, target and sensitivity (0 = Auto) chosen in the controls.
    Operation chosenOperation() const;
    int chosenTarget() const;
    int chosenSensitivity() const;
    // The expression in its field, and whether it is today's operation as the list shows it (which
    // is then computed as that operation).
    QString expression() const;
    bool expressionIsOperation() const;
    // The expression's fault in the channels of the recording on display; none when it is valid.
    const CoreError& expressionError() const { return expressionError_; }
    // Starts the preview's computation now (it follows the field after a short pause); it runs on a
    // worker of its own, and a newer preview stops the one before.
    void refreshPreview();
    // Waits for the preview under way and shows it.
    void waitForPreview();

protected:
    void reject() override;
    void changeEvent(QEvent* event) override;

private:
    struct Job;

    void retranslate();
    void btObliczClick();
    void computeFormula();
    void btAnulujClick();
    void btUsunClick(int channel);
    void cbDzialanieChange();
    void cbWstawChange(int index);
    void validateExpression();
    void showProgress(std::int64_t done, std::int64_t total);
    void workerDone();
    void setBusy(bool busy);
    void refreshRemoveButtons();
    QString rosPath() const;

    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::MathWindow> ui_;
    std::unique_ptr<Job> job_;
    LongWork work_; // after job_: a computation still running ends before its job goes
    bool changed_ = false;
    int computedChannel_ = -1;
    CoreError expressionError_;
    QTimer* previewTimer_ = nullptr;
    // The preview shown is the last one asked for: an older one still running stops at its next block.
    std::shared_ptr<std::atomic<int>> previewGeneration_ = std::make_shared<std::atomic<int>>(0);
    QThreadPool previewPool_; // last: waited for before the rest goes
};

} // namespace varnilog
