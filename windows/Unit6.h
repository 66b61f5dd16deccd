// TForm6 (unit Unit6), "Opis": edits the description (".roc") of the recording named in the main
// window's file-name field. Shown without being modal; reads the file each time it is shown.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TForm6;
}

namespace varnilog {

class MessageBoxes;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm6() override;

    // Where the window learns the base name (the text of edFilename; "..." until set).
    void setFileNameSource(std::function<QString()> source);
    // The description file: edFilename + ".roc", a bare name resolved against the browsed folder.
    QString descriptionPath() const;

    void FormShow();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::TForm6> ui_;
    std::function<QString()> fileName_;
};

} // namespace varnilog
