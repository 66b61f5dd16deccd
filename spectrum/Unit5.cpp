#include "spectrum/Unit5.h"

namespace varnilog {

TForm5::TForm5(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QString::fromUtf8("FFT"));
    setFixedSize(563, 352);
    (void)state_;
    (void)boxes_;
}

} // namespace varnilog
