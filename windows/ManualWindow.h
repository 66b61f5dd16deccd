// "Instrukcja": the user manual (Polish, docs/manual.html built into the program as a resource) in a
// browser with its table of contents beside it; links between sections work offline.
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

private:
    void fillContents();

    QTextBrowser* textBrowser_ = nullptr;
    QListWidget* lstContents_ = nullptr;
};

} // namespace varnilog
