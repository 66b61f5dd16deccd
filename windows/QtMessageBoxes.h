// MessageBoxes shown with QMessageBox, owned by the application's active window.
#pragma once

#include "app/MessageBoxes.h"

namespace varnilog {

class QtMessageBoxes final : public MessageBoxes {
public:
    void showErrorBox(const QString& text) override;
    void showMessage(const QString& caption, const QString& text) override;
    bool confirmOkCancel(const QString& caption, const QString& text) override;
    bool confirmYesNo(const QString& caption, const QString& text) override;
};

} // namespace varnilog
