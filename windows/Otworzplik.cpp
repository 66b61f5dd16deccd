#include "windows/Otworzplik.h"

namespace varnilog {

TForm2::TForm2(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QString::fromUtf8("Otwóż plik"));
    setFixedSize(560, 360);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
