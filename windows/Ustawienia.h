// TForm4 (unit Ustawienia), "Ustawienia": the board's serial port, the trace colour of each channel,
// the background (one colour or a vertical gradient) and the language of the windows. Colour,
// gradient and language changes act at once; "Zapisz" also writes them and the port to the
// configuration file, "Anuluj" takes back the six colours and the language.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QFrame;
class QPushButton;

namespace Ui {
class TForm4;
}

namespace varnilog {

class MessageBoxes;
class StandardDialogs;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm4() override;

    // The configuration file that "Zapisz" writes (the executable's path with ".ini" or --config).
    void setConfigurationPath(const QString& path);
    // The colour dialog; the window's own Qt dialogs until set. Not owned.
    void setDialogs(StandardDialogs* dialogs);
    // The names offered in the port list; the available serial ports until set.
    void setPortLister(std::function<QStringList()> lister);
    // Extra names offered after the ports found (the built-in simulator's port).
    void setExtraPorts(const QStringList& ports);

    void FormShow();
    void CheckBox1Click();
    void SpeedButton1Click(); // Zapisz
    void SpeedButton2Click(); // Anuluj
    void ComboBoxLanguageChange();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void chooseColour(std::int32_t& value, QFrame* swatch);
    void fillPortList();

    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::TForm4> ui_;
    std::unique_ptr<StandardDialogs> ownDialogs_;
    StandardDialogs* dialogs_ = nullptr;
    std::function<QStringList()> portLister_;
    QStringList extraPorts_;
    QString configurationPath_;
    // Taken at every opening, put back by "Anuluj".
    std::array<std::int32_t, kChannels> savedChannelColor_{};
    std::int32_t savedBackgroundColor1_ = 0;
    std::int32_t savedBackgroundColor2_ = 0;
    Language savedLanguage_ = Language::Polish;
};

// Shows a settings colour (0x00BBGGRR) as the fill of a swatch.
void paintSwatch(QFrame* swatch, std::int32_t colour);

} // namespace varnilog
