#include "windows/AboutWindow.h"

#include "app/DeviceModels.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>

namespace varnilog {

namespace {

// The licence of the program; its full text is LICENSE, installed beside the documentation.
constexpr char kLicence[] = "GNU GPL w wersji 3 lub późniejszej (GPL-3.0-or-later): wolno go używać, "
                            "zmieniać i rozpowszechniać na jej warunkach, bez żadnej gwarancji.";

} // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("O Programie"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    lbAbout_ = new QLabel(this);
    lbAbout_->setObjectName(QStringLiteral("lbAbout"));
    lbAbout_->setTextFormat(Qt::RichText);
    lbAbout_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lbAbout_->setWordWrap(true);
    lbAbout_->setMinimumWidth(420);
    layout->addWidget(lbAbout_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setLocations(QString(), QString());
}

void AboutWindow::setLocations(const QString& configurationPath, const QString& dataDir) {
    QStringList models;
    for (const DeviceModelInfo& m : deviceModelTable)
        models << QString::fromUtf8(m.menuCaption).toHtmlEscaped();
    const auto row = [](const QString& label, const QString& html) {
        return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(label, html);
    };
    const auto path = [](const QString& p) {
        return QDir::toNativeSeparators(p.isEmpty() ? p : QFileInfo(p).absoluteFilePath()).toHtmlEscaped();
    };
    lbAbout_->setText(
        QStringLiteral("<p><b style='font-size:large'>Varnilog 2k</b><br>Wersja %1</p>")
            .arg(QStringLiteral(VARNILOG_VERSION)) +
        QString::fromUtf8("<p>Oscyloskop i rejestrator z płytkami KZ100–KZ400.</p><table cellspacing='3'>") +
        row(QString::fromUtf8("Płytki:"), models.join(QStringLiteral("<br>"))) +
        row(QStringLiteral("Qt:"), QString::fromLatin1(qVersion())) +
        row(QStringLiteral("Licencja:"), QString::fromUtf8(kLicence).toHtmlEscaped()) +
        row(QStringLiteral("Plik konfiguracji:"), path(configurationPath)) +
        row(QStringLiteral("Folder danych:"), path(dataDir)) + QStringLiteral("</table>"));
}

QString AboutWindow::text() const {
    QTextDocument doc;
    doc.setHtml(lbAbout_->text());
    return doc.toPlainText();
}

} // namespace varnilog
