#include "app/Program.h"

namespace varnilog {

TForm1::TForm1(SharedState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
    setWindowTitle(QStringLiteral("Varnilog 2k"));
}

} // namespace varnilog
