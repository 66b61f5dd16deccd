// Modal message boxes behind an interface, so the core and the windows can ask questions that tests
// answer without blocking. Real implementation: QtMessageBoxes (QMessageBox).
#pragma once

#include <QString>

namespace varnilog {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal box with the caption "Błąd!" and the error icon.
    virtual void showErrorBox(const QString& text) = 0;
    // A plain modal message with its own caption and no icon.
    virtual void showMessage(const QString& caption, const QString& text) = 0;
    // OK/Cancel question; true on OK.
    virtual bool confirmOkCancel(const QString& caption, const QString& text) = 0;
    // Yes/No question; true on Yes.
    virtual bool confirmYesNo(const QString& caption, const QString& text) = 0;
};

} // namespace varnilog
