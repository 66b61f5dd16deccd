// "O Programie": a small modal window with the program's name and version, the board models it
// serves, the Qt version it runs on, the licence, and where its configuration file and data folder are
// (as selectable text).
#pragma once

#include <QDialog>

class QLabel;

namespace varnilog {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // The paths shown; set before each showing (the data folder may change in the settings).
    void setLocations(const QString& configurationPath, const QString& dataDir);
    // The window's text as plain text.
    QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLabel* lbAbout_ = nullptr;
    QString configurationPath_;
    QString dataDir_;
};

} // namespace varnilog
