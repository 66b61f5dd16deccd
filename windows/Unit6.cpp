#include "windows/Unit6.h"

namespace varnilog {

TForm6::TForm6(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QString::fromUtf8("Opis"));
    setFixedSize(234, 238);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
