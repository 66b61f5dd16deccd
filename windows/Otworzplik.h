// TForm2 (unit Otworzplik): window shell; its behaviour is built by the module that owns it.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

namespace varnilog {

class MessageBoxes;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);

private:
    SharedState& state_;
    MessageBoxes& boxes_;
};

} // namespace varnilog
