#include "windows/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace varnilog {

namespace {
QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void QtMessageBoxes::showErrorBox(const QString& text) {
    ask(QMessageBox::Critical, QCoreApplication::translate("varnilog::QtMessageBoxes", "Błąd!"), text,
        QMessageBox::Ok);
}

void QtMessageBoxes::showMessage(const QString& caption, const QString& text) {
    ask(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
}

bool QtMessageBoxes::confirmOkCancel(const QString& caption, const QString& text) {
    return ask(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtMessageBoxes::confirmYesNo(const QString& caption, const QString& text) {
    return ask(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace varnilog
