#include "windows/AboutWindow.h"

#include "app/DeviceModels.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>

namespace varnilog {

namespace {

// The licence of the program; its full text is LICENSE, installed beside the documentation.
constexpr char kLicence[] =
    QT_TRANSLATE_NOOP("varnilog::AboutWindow", "GNU GPL w wersji 3 lub późniejszej (GPL-3.0-or-later): wolno "
                                               "go używać, zmieniać i rozpowszechniać na jej warunkach, bez "
                                               "żadnej gwarancji.");

} // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutWindow"));
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

void AboutWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void AboutWindow::setLocations(const QString& configurationPath, const QString& dataDir) {
    configurationPath_ = configurationPath;
    dataDir_ = dataDir;
    retranslate();
}

void AboutWindow::retranslate() {
    setWindowTitle(tr("O Programie"));
    QStringList models;
    for (const DeviceModelInfo& m : deviceModelTable)
        models << QString::fromUtf8(m.menuCaption).toHtmlEscaped();
    const auto row = [](const QString& label, const QString& html) {
        return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(label, html);
    };
    const auto path = [](const QString& p) {
        return QDir::toNativeSeparators(p.isEmpty() ? p : QFileInfo(p).absoluteFilePath()).toHtmlEscaped();
    };
    lbAbout_->setText(QStringLiteral("<p><b style='font-size:large'>Varnilog 2k</b><br>%1</p>")
                          .arg(tr("Wersja %1").arg(QStringLiteral(VARNILOG_VERSION))) +
                      tr("<p>Oscyloskop i rejestrator z płytkami KZ100–KZ400.</p>") +
                      QStringLiteral("<table cellspacing='3'>") +
                      row(tr("Płytki:"), models.join(QStringLiteral("<br>"))) +
                      row(QStringLiteral("Qt:"), QString::fromLatin1(qVersion())) +
                      row(tr("Licencja:"), tr(kLicence).toHtmlEscaped()) +
                      row(tr("Plik konfiguracji:"), path(configurationPath_)) +
                      row(tr("Folder danych:"), path(dataDir_)) + QStringLiteral("</table>"));
}

QString AboutWindow::text() const {
    QTextDocument doc;
    doc.setHtml(lbAbout_->text());
    return doc.toPlainText();
}

} // namespace varnilog
