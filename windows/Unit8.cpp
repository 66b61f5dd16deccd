#include "windows/Unit8.h"

namespace varnilog {

TForm8::TForm8(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QString::fromUtf8("Zmiana nazwy"));
    setFixedSize(315, 47);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
