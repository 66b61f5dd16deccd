// TForm1's spectrogram window: opened from the file menu, its clicks centre the main view, the
// main view's span a band on it.
#include "analysis/SpanRequest.h"
#include "app/Program.h"
#include "ui_Program.h"
#include "windows/SpectrogramWindow.h"

#include <QAction>

namespace varnilog {

void TForm1::connectSpectrogramWindow() {
    spectrogramAction_ = new QAction(tr("Spektrogram"), this);
    QAction* open = spectrogramAction_;
    open->setObjectName(QStringLiteral("Spektrogram1"));
    ui_->Plik1->insertAction(ui_->Koniec1, open);
    connect(open, &QAction::triggered, this, [this] {
        if (spectrogramWindow_ == nullptr) {
            spectrogramWindow_ = new SpectrogramWindow(state_, boxes_, this);
            connect(spectrogramWindow_, &SpectrogramWindow::centreRequested, this, &TForm1::centreViewOn);
            connect(this, &TForm1::screenChanged, spectrogramWindow_,
                    [this] { showViewSpanOnSpectrogram(); });
        }
        showViewSpanOnSpectrogram();
        spectrogramWindow_->setDialogs(dialogs_);
        spectrogramWindow_->FormShow();
    });
}

void TForm1::showViewSpanOnSpectrogram() {
    if (spectrogramWindow_ == nullptr || state_.samplingActive)
        return;
    const SampleSpan view = resolveSpan(windowSpanRequest(SpanSource::View, state_)).span;
    spectrogramWindow_->setViewSpan(view.from, view.to);
}

} // namespace varnilog
