// TForm1, printing and help: "Drukuj" (and Ctrl+P), "Zapisz obraz…", "O Programie" and "Instrukcja".
#include "app/Program.h"

#include "ui_Program.h"
#include "view/PrintPage.h"
#include "windows/AboutWindow.h"
#include "windows/ManualWindow.h"
#include "windows/PagePrinting.h"

#include <QAction>
#include <QDateTime>

namespace varnilog {

namespace {

PrintPageContent screenPage(const SharedState& state, const QImage& screen) {
    PrintPageContent content = printPageContent(state, screen, QDateTime::currentDateTime());
    content.programName = QStringLiteral("Varnilog 2k " VARNILOG_VERSION);
    return content;
}

} // namespace

void TForm1::connectPrintHandlers() {
    auto* printKey = new QAction(this);
    printKey->setObjectName(QStringLiteral("DrukujSkrot"));
    printKey->setShortcut(QKeySequence::Print);
    addAction(printKey); // Ctrl+P anywhere in the window
    connect(printKey, &QAction::triggered, this, &TForm1::SpeedButton71Click);
    connect(ui_->SpeedButton71, &QAbstractButton::clicked, this, &TForm1::SpeedButton71Click);
    connect(ui_->Zapiszobraz1, &QAction::triggered, this, &TForm1::Zapiszobraz1Click);
    connect(ui_->OProgramie1, &QAction::triggered, this, &TForm1::OProgramie1Click);
    connect(ui_->Instrukcja1, &QAction::triggered, this, &TForm1::Instrukcja1Click);
}

void TForm1::SpeedButton71Click() {
    printPageWithPreview(this, screenPage(state_, view_->bmpScreen), state_.dataDir, *dialogs_);
}

void TForm1::Zapiszobraz1Click() {
    savePageWithDialog(this, screenPage(state_, view_->bmpScreen), state_.dataDir, boxes_, *dialogs_);
}

void TForm1::OProgramie1Click() {
    if (!about_)
        about_ = new AboutWindow(this);
    about_->setLocations(configurationPath_, state_.dataDir);
    about_->exec();
}

void TForm1::Instrukcja1Click() {
    if (!manual_)
        manual_ = new ManualWindow(this);
    manual_->show();
    manual_->raise();
    manual_->activateWindow();
}

} // namespace varnilog
