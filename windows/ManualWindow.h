// "Instrukcja": the user manual (docs/manual.html, in English docs/manual.en.html, built into the
// program as resources) in a browser with its table of contents beside it; links between sections work
// offline. The manual follows the program's language.
#pragma once

#include <QDialog>

class QListWidget;
class QTextBrowser;

namespace varnilog {

class ManualWindow : public QDialog {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget* parent = nullptr);

    QTextBrowser* browser() const { return textBrowser_; }
    // The contents: one entry per chapter and section, holding the name of its anchor.
    QListWidget* contents() const { return lstContents_; }
    // The resource of the manual in the program's language; the Polish one while no English is built in.
    static QString manualPath();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void fillContents();

    QTextBrowser* textBrowser_ = nullptr;
    QListWidget* lstContents_ = nullptr;
};

} // namespace varnilog
