#include "windows/ManualWindow.h"

#include "app/Language.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>

// The manual's resource lives in a static library: it is registered by name before its first use.
static void initManualResource() {
    Q_INIT_RESOURCE(manual);
}

namespace varnilog {

ManualWindow::ManualWindow(QWidget* parent) : QDialog(parent) {
    initManualResource();
    setObjectName(QStringLiteral("ManualWindow"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(900, 620);
    auto* splitter = new QSplitter(this);
    lstContents_ = new QListWidget(splitter);
    lstContents_->setObjectName(QStringLiteral("lstContents"));
    textBrowser_ = new QTextBrowser(splitter);
    textBrowser_->setObjectName(QStringLiteral("textBrowser"));
    textBrowser_->setOpenExternalLinks(true);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 670});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    retranslate();
    connect(lstContents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            textBrowser_->scrollToAnchor(item->data(Qt::UserRole).toString());
    });
}

QString ManualWindow::manualPath() {
    const QString english = QStringLiteral(":/docs/manual.en.html");
    if (currentLanguage(*QCoreApplication::instance()) == Language::English && QFile::exists(english))
        return english;
    return QStringLiteral(":/docs/manual.html");
}

void ManualWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void ManualWindow::retranslate() {
    setWindowTitle(tr("Instrukcja"));
    const QUrl source(QStringLiteral("qrc") + manualPath());
    if (textBrowser_->source() == source)
        return;
    textBrowser_->setSource(source);
    lstContents_->clear();
    fillContents();
}

void ManualWindow::fillContents() {
    // Every chapter (h2) and section (h3) heading that carries an anchor, in the order of the text.
    for (QTextBlock block = textBrowser_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3)
            continue;
        QString anchor;
        for (auto it = block.begin(); !it.atEnd() && anchor.isEmpty(); ++it)
            if (const QStringList names = it.fragment().charFormat().anchorNames(); !names.isEmpty())
                anchor = names.constFirst();
        if (anchor.isEmpty())
            continue;
        auto* item = new QListWidgetItem(
            QString(level == 3 ? 4 : 0, QLatin1Char(' ')) + block.text().trimmed(), lstContents_);
        item->setData(Qt::UserRole, anchor);
    }
    // The contents as wide as their longest entry, the text takes the rest.
    auto* splitter = static_cast<QSplitter*>(lstContents_->parentWidget());
    const int contents = std::max(230, lstContents_->sizeHintForColumn(0) + 2 * lstContents_->frameWidth() +
                                           lstContents_->verticalScrollBar()->sizeHint().width() + 4);
    const int total = std::max(splitter->width(), 900);
    splitter->setSizes({contents, total - contents});
}

} // namespace varnilog
