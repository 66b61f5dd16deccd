#include "windows/QtStandardDialogs.h"

#include <QColorDialog>
#include <QFileDialog>

namespace varnilog {

QString QtStandardDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                        const QString& initialName) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile); // the folder must exist, the file need not
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtStandardDialogs::existingDirectory(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, QString(), start, QFileDialog::ShowDirsOnly);
}

std::optional<QColor> QtStandardDialogs::color(QWidget* parent, const QColor& initial) {
    QColorDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

} // namespace varnilog
