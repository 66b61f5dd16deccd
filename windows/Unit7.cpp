#include "windows/Unit7.h"

#include "view/Colour.h"

#include "ui_Unit7.h"

#include <QColor>
#include <QLineEdit>
#include <QShowEvent>

namespace varnilog {

TForm7::TForm7(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), state_(state),
      boxes_(boxes), ui_(std::make_unique<Ui::TForm7>()) {
    ui_->setupUi(this);
    setStyleSheet(
        QStringLiteral("QDialog#TForm7 { background-color: %1; }").arg(QColor(toQRgb(kWindowColour)).name()));
    setFixedSize(190, 81); // wide enough for the title beside a title bar's buttons
    (void)boxes_;
    connect(ui_->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox1Change);
    connect(ui_->ComboBox1, &QComboBox::editTextChanged, this, &TForm7::ComboBox1Change);
    connect(ui_->RxSpinEdit1, &QSpinBox::valueChanged, this, &TForm7::RxSpinEdit1Change);
    // The spin box signals a value only; an emptied field is seen in its line edit.
    if (const QLineEdit* edit = ui_->RxSpinEdit1->findChild<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, &TForm7::RxSpinEdit1Change);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm7::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TForm7::SpeedButton2Click);
}

TForm7::~TForm7() = default;

void TForm7::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        // The channel names change under the edit field: it shows the edited channel's new name, or
        // the typed text that names none.
        const QSignalBlocker blocker(ui_->ComboBox1);
        const QString typed = ui_->ComboBox1->currentText();
        ui_->retranslateUi(this);
        ui_->ComboBox1->setEditText(channel_ >= 0 ? ui_->ComboBox1->itemText(channel_) : typed);
    }
    QDialog::changeEvent(event);
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) // a restore after minimising is no new opening
        FormShow();
}

void TForm7::FormShow() {
    zeroOffsetEdit_ = state_.channelZeroOffset;
    ui_->ComboBox1->setCurrentIndex(0);
    ui_->ComboBox1->setEditText(ui_->ComboBox1->itemText(0));
    ComboBox1Change();
}

void TForm7::ComboBox1Change() {
    // A typed text that names none of the four channels edits nothing until a channel is named again.
    channel_ = ui_->ComboBox1->findText(ui_->ComboBox1->currentText(), Qt::MatchFixedString);
    ui_->RxSpinEdit1->setEnabled(channel_ >= 0);
    if (channel_ >= 0)
        ui_->RxSpinEdit1->setValue(zeroOffsetEdit_[static_cast<std::size_t>(channel_)]);
}

void TForm7::RxSpinEdit1Change() {
    if (channel_ < 0 || channel_ >= kChannels)
        return;
    // While the text is no whole number (an emptied field) the spin box still holds its last value;
    // such a text counts as 0, and leaving the field shows that 0 (correction to the nearest value).
    bool whole = false;
    ui_->RxSpinEdit1->cleanText().trimmed().toInt(&whole);
    zeroOffsetEdit_[static_cast<std::size_t>(channel_)] =
        whole ? static_cast<std::uint8_t>(ui_->RxSpinEdit1->value()) : std::uint8_t{0};
}

void TForm7::SpeedButton1Click() {
    state_.channelZeroOffset = zeroOffsetEdit_;
    accept();
}

void TForm7::SpeedButton2Click() {
    reject();
}

} // namespace varnilog
