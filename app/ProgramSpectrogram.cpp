// TForm1's spectrogram window: opened from the file menu, its clicks centre the main view.
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
        }
        spectrogramWindow_->setDialogs(dialogs_);
        spectrogramWindow_->FormShow();
    });
}

} // namespace varnilog
