// TForm7 (unit Unit7), "Kalibracja": edits the calibrated zero offset of each channel in a working
// copy; "Zapisz" puts all four into the shared state, "Anuluj" and the close box drop them.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>

namespace Ui {
class TForm7;
}

namespace varnilog {

class MessageBoxes;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm7() override;

    void FormShow();
    void ComboBox1Change();
    void RxSpinEdit1Change();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::TForm7> ui_;
    std::array<std::uint8_t, kChannels> zeroOffsetEdit_{100, 100, 100, 100};
    int channel_ = 0; // the channel the spin field edits; -1 while the combo box text names none
};

} // namespace varnilog
