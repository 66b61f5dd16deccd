// TForm8 (unit Unit8), "Zmiana nazwy": asks for the new name of a recording on behalf of the browser,
// which does the renaming. The confirmed text goes to renameTarget; any other way out leaves it empty.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TForm8;
}

namespace varnilog {

class MessageBoxes;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm8() override;

    // The browser fills the edit field before showing the window.
    void setEditText(const QString& text);

    void FormShow();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::TForm8> ui_;
};

} // namespace varnilog
