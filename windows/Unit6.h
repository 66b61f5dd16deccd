// TForm6 (unit Unit6): window shell; its behaviour is built by the module that owns it.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

namespace varnilog {

class MessageBoxes;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);

private:
    SharedState& state_;
    MessageBoxes& boxes_;
};

} // namespace varnilog
