#include "windows/Ustawienia.h"

#include "app/Configuration.h"
#include "app/MessageBoxes.h"
#include "view/Colour.h"
#include "windows/ProgramLanguage.h"
#include "windows/QtStandardDialogs.h"

#include "ui_Ustawienia.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <QShowEvent>

namespace varnilog {

namespace {
// Each language by its own name, in the order of Language.
constexpr Language kLanguages[] = {Language::Polish, Language::English};

QStringList availablePortNames() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}
} // namespace

void paintSwatch(QFrame* swatch, std::int32_t colour) {
    const QColor c = QColor::fromRgb(toQRgb(colour));
    swatch->setStyleSheet(
        QStringLiteral("QFrame { background-color: %1; border: 1px solid black; }").arg(c.name()));
}

TForm4::TForm4(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      state_(state), boxes_(boxes), ui_(std::make_unique<Ui::TForm4>()),
      ownDialogs_(std::make_unique<QtStandardDialogs>()), dialogs_(ownDialogs_.get()),
      portLister_(availablePortNames) {
    ui_->setupUi(this);
    setFixedSize(355, 162);
    setStyleSheet(QStringLiteral("QDialog#TForm4 { background-color: %1; }")
                      .arg(QColor::fromRgb(toQRgb(13680832)).name()));
    // Clicks on a swatch belong to its button.
    for (QFrame* swatch : {ui_->Shape1, ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5, ui_->Shape6})
        swatch->setAttribute(Qt::WA_TransparentForMouseEvents);

    const auto bind = [this](QPushButton* button, std::int32_t& value, QFrame* swatch) {
        connect(button, &QPushButton::clicked, this, [this, &value, swatch] { chooseColour(value, swatch); });
    };
    bind(ui_->SpeedButton3, state_.channelColor[0], ui_->Shape3);
    bind(ui_->SpeedButton4, state_.channelColor[1], ui_->Shape1);
    bind(ui_->SpeedButton5, state_.channelColor[2], ui_->Shape4);
    bind(ui_->SpeedButton6, state_.channelColor[3], ui_->Shape5);
    bind(ui_->SpeedButton7, state_.backgroundColor1, ui_->Shape2);
    bind(ui_->SpeedButton8, state_.backgroundColor2, ui_->Shape6);
    connect(ui_->CheckBox1, &QCheckBox::clicked, this, &TForm4::CheckBox1Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm4::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TForm4::SpeedButton2Click);
    ui_->ComboBoxLanguage->addItems({QStringLiteral("Polski"), QStringLiteral("English")});
    connect(ui_->ComboBoxLanguage, &QComboBox::activated, this, &TForm4::ComboBoxLanguageChange);
}

TForm4::~TForm4() = default;

void TForm4::setConfigurationPath(const QString& path) {
    configurationPath_ = path;
}

void TForm4::setDialogs(StandardDialogs* dialogs) {
    dialogs_ = dialogs != nullptr ? dialogs : ownDialogs_.get();
}

void TForm4::setPortLister(std::function<QStringList()> lister) {
    portLister_ = std::move(lister);
}

void TForm4::setExtraPorts(const QStringList& ports) {
    extraPorts_ = ports;
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) // a restore after minimising is no new opening
        FormShow();
}

void TForm4::FormShow() {
    savedChannelColor_ = state_.channelColor;
    savedBackgroundColor1_ = state_.backgroundColor1;
    savedBackgroundColor2_ = state_.backgroundColor2;
    savedLanguage_ = state_.language;
    ui_->ComboBoxLanguage->setCurrentIndex(state_.language == Language::English ? 1 : 0);
    paintSwatch(ui_->Shape3, state_.channelColor[0]);
    paintSwatch(ui_->Shape1, state_.channelColor[1]);
    paintSwatch(ui_->Shape4, state_.channelColor[2]);
    paintSwatch(ui_->Shape5, state_.channelColor[3]);
    paintSwatch(ui_->Shape2, state_.backgroundColor1);
    paintSwatch(ui_->Shape6, state_.backgroundColor2);
    ui_->ComboBox2->clear();
    ui_->ComboBox2->setEditText(state_.comPortName);
    ui_->CheckBox1->setChecked(!state_.gradientOn);
    fillPortList();
}

void TForm4::fillPortList() {
    // Listed in the order found, nothing selected: the text stays the configured port either way.
    QStringList names = portLister_ ? portLister_() : QStringList();
    names += extraPorts_;
    const QString text = ui_->ComboBox2->currentText();
    ui_->ComboBox2->addItems(names);
    ui_->ComboBox2->setCurrentIndex(-1);
    ui_->ComboBox2->setEditText(text);
}

void TForm4::chooseColour(std::int32_t& value, QFrame* swatch) {
    const std::optional<QColor> chosen = dialogs_->color(this, QColor::fromRgb(toQRgb(value)));
    if (chosen.has_value())
        value = fromQRgb(chosen->rgb());
    paintSwatch(swatch, value);
}

void TForm4::CheckBox1Click() {
    state_.gradientOn = !ui_->CheckBox1->isChecked();
}

void TForm4::SpeedButton1Click() {
    state_.comPortName = ui_->ComboBox2->currentText();
    // Unlike the rest of the window's work, a lost save is worth a word: the user expects the
    // settings back at the next start.
    if (!writeSettingsConfiguration(state_, configurationPath_))
        boxes_.showErrorBox(tr("Nie można zapisać ustawień w pliku %1.").arg(configurationPath_));
    accept();
}

void TForm4::SpeedButton2Click() {
    state_.channelColor = savedChannelColor_;
    state_.backgroundColor1 = savedBackgroundColor1_;
    state_.backgroundColor2 = savedBackgroundColor2_;
    if (state_.language != savedLanguage_) {
        state_.language = savedLanguage_;
        installProgramLanguage(*QCoreApplication::instance(), state_.language);
    }
    reject();
}

void TForm4::ComboBoxLanguageChange() {
    const Language chosen = kLanguages[std::max(0, ui_->ComboBoxLanguage->currentIndex())];
    if (chosen == state_.language)
        return;
    state_.language = chosen;
    installProgramLanguage(*QCoreApplication::instance(), chosen);
}

void TForm4::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        ui_->retranslateUi(this); // every text of the window is in the .ui
    QDialog::changeEvent(event);
}

} // namespace varnilog
