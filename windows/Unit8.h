// TForm8 (unit Unit8): window shell; its behaviour is built by the module that owns it.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

namespace varnilog {

class MessageBoxes;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);

private:
    SharedState& state_;
    MessageBoxes& boxes_;
};

} // namespace varnilog
