#include "windows/Unit8.h"

#include "ui_Unit8.h"

#include <QShowEvent>

namespace varnilog {

TForm8::TForm8(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), state_(state),
      boxes_(boxes), ui_(std::make_unique<Ui::TForm8>()) {
    ui_->setupUi(this);
    setFixedSize(315, 47);
    (void)boxes_;
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(ui_->Edit1, &QLineEdit::returnPressed, this, &TForm8::SpeedButton1Click);
}

TForm8::~TForm8() = default;

void TForm8::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        ui_->retranslateUi(this);
    QDialog::changeEvent(event);
}

void TForm8::setEditText(const QString& text) {
    ui_->Edit1->setText(text);
}

void TForm8::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) // a restore after minimising is no new opening
        FormShow();
}

void TForm8::FormShow() {
    state_.renameTarget.clear();
}

void TForm8::SpeedButton1Click() {
    state_.renameTarget = ui_->Edit1->text();
    accept();
}

} // namespace varnilog
