// TForm2 (unit Otworzplik), "Otwóż plik": the recording browser. Lists the ".ros" files of the data
// folder, shows the details and the description of the selected one, and opens, deletes, renames
// and describes it. The folder shown is dataDir; bare names used later resolve against it.
#pragma once

#include "app/SharedState.h"

#include <QDialog>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class TForm2;
}

namespace varnilog {

class MessageBoxes;
class StandardDialogs;
class TForm8;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm2() override;

    // The rename window of the program (a private one until set). Not owned.
    void setRenameWindow(TForm8* form8);
    // The folder picker; the window's own Qt dialogs until set. Not owned.
    void setDialogs(StandardDialogs* dialogs);
    // Where the window learns the ".ros" of the recording being written (empty while idle): that set
    // is neither deleted nor renamed.
    void setRecordingInProgress(std::function<QString()> source);

    // Full path of the selected entry (folder + file name with ".ros"); empty with no selection.
    // The main window loads it when openAccepted is set after the window closed.
    QString selectedPath() const;

    void FormShow();
    void DirectoryEdit1Change();
    void FileListBox1Change();
    void SpeedButton1Click(); // Zmień nazwę, also the pop-up item
    void SpeedButton2Click(); // Usuń, after confirmation
    void SpeedButton3Click(); // Aktualizuj
    void SpeedButton4Click(); // Otwórz
    void SpeedButton5Click(); // Anuluj
    void Usu1Click();         // pop-up Usuń, without asking

    static constexpr int kMemoLimit = 250; // characters the user may type into the memo

signals:
    // The recording on display was deleted (its view is now empty) or renamed (its handles follow the
    // new name): the main window redraws and shows the new base name.
    void recordingOnDisplayChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showDetails();
    void rereadList();
    void setDirectoryText(const QString& text);
    void chooseDirectory();
    void limitMemo(int position, int removed, int added);
    // True (after telling the user) when path is the recording being written.
    bool refuseRecordingInProgress(const QString& path, const QString& text);
    void renameSelected(const QString& path, const QString& target);

    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<Ui::TForm2> ui_;
    std::unique_ptr<StandardDialogs> ownDialogs_;
    StandardDialogs* dialogs_ = nullptr;
    std::unique_ptr<TForm8> ownForm8_;
    TForm8* form8_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    std::function<QString()> recordingInProgress_;
    QString listDirectory_; // the folder the list shows, as a full path
    bool loadingMemo_ = false;
};

} // namespace varnilog
