#include "windows/Unit7.h"

namespace varnilog {

TForm7::TForm7(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QString::fromUtf8("Kalibracja"));
    setFixedSize(160, 81);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
