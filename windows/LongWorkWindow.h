// The window side of a long job: a small progress window (caption, bar, "Anuluj"; Esc cancels too) that
// does not block the rest of the program, optionally also the main window's ProgressBar1. The job runs
// on the worker of a LongWork; this thread keeps painting and moving the windows meanwhile, and closing
// the main window cancels the job.
#pragma once

#include "app/LongWork.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnilog {

class LongWorkWindow : public QDialog {
    Q_OBJECT
public:
    // Follows work's progress; parent's top-level window closing cancels the job.
    LongWorkWindow(LongWork& work, const QString& caption, QWidget* parent);
    ~LongWorkWindow() override;

    // Also show the progress on this bar (hidden again when the job ends); may be null.
    void setMainBar(QProgressBar* bar) { mainBar_ = bar; }
    QPushButton* cancelButton() const { return cancel_; }

    // How long a job runs before the window appears: short jobs show only the main bar.
    static constexpr int kShowAfterMs = 300;

protected:
    void reject() override; // Esc and the close box cancel the job
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showProgress(std::int64_t done, std::int64_t total);

    LongWork& work_;
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* mainBar_ = nullptr;
    QWidget* watched_ = nullptr;
};

// Runs job through work while the progress window is shown over parent (parent may be null) and bar
// (may be null) follows it; returns when the job has ended, true when it completed. Every event of this
// thread is handled meanwhile. False at once when work already runs a job.
bool runWithProgress(LongWork& work, QWidget* parent, const QString& caption, QProgressBar* bar,
                     LongWork::Job job);

} // namespace varnilog
