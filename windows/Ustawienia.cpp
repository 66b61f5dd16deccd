#include "windows/Ustawienia.h"

namespace varnilog {

TForm4::TForm4(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QString::fromUtf8("Ustawienia"));
    setFixedSize(400, 300);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
