#include "windows/Unit6.h"

#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingDescription.h"

#include "ui_Unit6.h"

#include <QShowEvent>

namespace varnilog {

TForm6::TForm6(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), state_(state),
      boxes_(boxes), ui_(std::make_unique<Ui::TForm6>()), fileName_([] { return QStringLiteral("..."); }) {
    ui_->setupUi(this);
    setFixedSize(234, 238);
    setModal(false);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm6::SpeedButton1Click);
}

TForm6::~TForm6() = default;

void TForm6::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        ui_->retranslateUi(this);
    QDialog::changeEvent(event);
}

void TForm6::setFileNameSource(std::function<QString()> source) {
    fileName_ = std::move(source);
}

QString TForm6::descriptionPath() const {
    // dataDir is the folder the browser shows, so a bare name means the same file there and here.
    return resolveAgainst(state_.dataDir, fileName_() + QStringLiteral(".roc"));
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) // a restore after minimising is no new opening
        FormShow();
}

void TForm6::FormShow() {
    ui_->Memo1->clear();
    ui_->Memo1->setPlainText(loadRecordingDescription(descriptionPath()));
}

void TForm6::SpeedButton1Click() {
    const QString path = descriptionPath();
    CoreError error;
    if (!saveRecordingDescription(path, ui_->Memo1->toPlainText(), &error))
        boxes_.showErrorBox(tr("Nie można zapisać opisu %1: %2").arg(path, coreMessage(error)));
}

} // namespace varnilog
