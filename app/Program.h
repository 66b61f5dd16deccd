// The main window TForm1 (unit Program): waveform view, acquisition controls, menus, status bar.
#pragma once

#include "app/SharedState.h"

#include <QMainWindow>

namespace varnilog {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(SharedState& state, QWidget* parent = nullptr);

private:
    SharedState& state_;
};

} // namespace varnilog
