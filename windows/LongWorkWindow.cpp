#include "windows/LongWorkWindow.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace varnilog {

namespace {

constexpr int kBarSteps = 1000;

// The figures themselves while they fit the bar (the spectrum's blocks), else per mille.
void setBar(QProgressBar& bar, std::int64_t done, std::int64_t total) {
    done = std::clamp<std::int64_t>(done, 0, std::max<std::int64_t>(total, 0));
    if (total <= INT_MAX) {
        bar.setRange(0, static_cast<int>(total));
        bar.setValue(static_cast<int>(done));
    } else {
        bar.setRange(0, kBarSteps);
        bar.setValue(static_cast<int>(done * kBarSteps / total));
    }
}

} // namespace

LongWorkWindow::LongWorkWindow(LongWork& work, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), work_(work) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    caption_ = new QLabel(caption, this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    bar_->setMinimumWidth(260);
    cancel_ = new QPushButton(tr("Anuluj"), this);
    cancel_->setObjectName(QStringLiteral("btAnuluj"));
    layout->addWidget(caption_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    // Not modal: the main window stays usable (moved, closed) while the job runs.
    setModal(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(&work_, &LongWork::progressed, this, &LongWorkWindow::showProgress);
    if (parent != nullptr) {
        watched_ = parent->window();
        watched_->installEventFilter(this);
    }
}

LongWorkWindow::~LongWorkWindow() {
    if (mainBar_ != nullptr)
        mainBar_->hide();
}

void LongWorkWindow::showProgress(std::int64_t done, std::int64_t total) {
    setBar(*bar_, done, total);
    if (mainBar_ != nullptr) {
        setBar(*mainBar_, done, total);
        mainBar_->show();
    }
}

void LongWorkWindow::reject() {
    work_.cancel();
    cancel_->setEnabled(false);
}

bool LongWorkWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::Close)
        work_.cancel();
    return QDialog::eventFilter(watched, event);
}

void LongWorkWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        cancel_->setText(tr("Anuluj"));
    QDialog::changeEvent(event);
}

bool runWithProgress(LongWork& work, QWidget* parent, const QString& caption, QProgressBar* bar,
                     LongWork::Job job) {
    if (work.busy())
        return false;
    LongWorkWindow window(work, caption, parent);
    window.setMainBar(bar);
    if (bar != nullptr) {
        bar->setValue(bar->minimum());
        bar->show();
    }
    if (!work.start(std::move(job)))
        return false;
    QTimer::singleShot(LongWorkWindow::kShowAfterMs, &window, [&window, &work] {
        if (work.busy())
            window.show();
    });
    return work.wait();
}

} // namespace varnilog
