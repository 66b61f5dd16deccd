#include "windows/QtStandardDialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace varnilog {

QString QtStandardDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                        const QString& initialName) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile); // the folder must exist, the file need not
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(initialName);
    // With several file types the chosen type decides the suffix: of a name typed without one, and of
    // the name in the box when it ends in another type's suffix.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filter](const QString& chosen) {
            static const QRegularExpression suffixPattern(QStringLiteral(R"(\*\.(\w+))"));
            const QString suffix = suffixPattern.match(chosen).captured(1);
            if (suffix.isEmpty())
                return;
            dialog.setDefaultSuffix(suffix);
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!edit)
                return;
            const QString typed = edit->text();
            const QString old = QFileInfo(typed).suffix();
            if (!old.isEmpty() && filter.contains(QStringLiteral("*.") + old, Qt::CaseInsensitive))
                edit->setText(typed.left(typed.size() - old.size()) + suffix);
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtStandardDialogs::openFileName(QWidget* parent, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
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

bool QtStandardDialogs::printPreview(QWidget* parent, QPrinter& printer,
                                     const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QCoreApplication::translate("varnilog::QtStandardDialogs", "Podgląd wydruku"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(*target); });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace varnilog
