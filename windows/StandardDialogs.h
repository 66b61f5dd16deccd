// The file, folder, colour and print dialogs the windows ask, behind an interface so tests answer them
// without a dialog ever staying open. Real implementation: QtStandardDialogs.
#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace varnilog {

class StandardDialogs {
public:
    virtual ~StandardDialogs() = default;
    // A save dialog that asks before overwriting and adds defaultSuffix to a name typed without one;
    // the chosen path, or an empty text when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                 const QString& initialName) = 0;
    // An open dialog for an existing file of filter's types, starting in folder; the chosen path, or an
    // empty text when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& filter, const QString& folder) = 0;
    // A folder picker that may create folders; the chosen folder, or an empty text when cancelled.
    virtual QString existingDirectory(QWidget* parent, const QString& start) = 0;
    // The colour dialog preset to initial; no value when cancelled.
    virtual std::optional<QColor> color(QWidget* parent, const QColor& initial) = 0;
    // The print preview of a page on printer; its print button opens the system's print dialog, which
    // always offers printing to a PDF file. paint draws the page onto the printer it is given. True
    // when the page was printed.
    virtual bool printPreview(QWidget* parent, QPrinter& printer,
                              const std::function<void(QPrinter&)>& paint) = 0;
};

} // namespace varnilog
