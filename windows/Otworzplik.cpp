#include "windows/Otworzplik.h"

#include "app/MessageBoxes.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingDescription.h"
#include "recording/RecordingDetails.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingManagement.h"
#include "windows/QtStandardDialogs.h"
#include "windows/Unit8.h"

#include "ui_Otworzplik.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace varnilog {

TForm2::TForm2(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes), ui_(std::make_unique<Ui::TForm2>()),
      ownDialogs_(std::make_unique<QtStandardDialogs>()), dialogs_(ownDialogs_.get()) {
    ui_->setupUi(this);
    setFixedSize(560, 360);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* open = popupMenu_->addAction(QString());
    open->setObjectName(QStringLiteral("Otworz1"));
    QAction* rename = popupMenu_->addAction(QString());
    rename->setObjectName(QStringLiteral("Zmienazw1"));
    popupMenu_->addSeparator();
    QAction* remove = popupMenu_->addAction(QString());
    remove->setObjectName(QStringLiteral("Usu1"));
    retranslate();
    connect(open, &QAction::triggered, this, &TForm2::SpeedButton4Click);
    connect(rename, &QAction::triggered, this, &TForm2::SpeedButton1Click);
    connect(remove, &QAction::triggered, this, &TForm2::Usu1Click);
    connect(ui_->FileListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu_->popup(ui_->FileListBox1->viewport()->mapToGlobal(at)); });

    connect(ui_->FileListBox1, &QListWidget::itemSelectionChanged, this, &TForm2::FileListBox1Change);
    connect(ui_->FileListBox1, &QListWidget::itemDoubleClicked, this, &TForm2::SpeedButton4Click);
    connect(ui_->DirectoryEdit1Button, &QToolButton::clicked, this, &TForm2::chooseDirectory);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TForm2::SpeedButton2Click);
    connect(ui_->SpeedButton3, &QPushButton::clicked, this, &TForm2::SpeedButton3Click);
    connect(ui_->SpeedButton4, &QPushButton::clicked, this, &TForm2::SpeedButton4Click);
    connect(ui_->SpeedButton5, &QPushButton::clicked, this, &TForm2::SpeedButton5Click);
    connect(ui_->Memo1->document(), &QTextDocument::contentsChange, this, &TForm2::limitMemo);
}

TForm2::~TForm2() = default;

void TForm2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        // retranslateUi puts the placeholder back into the memo: what the user typed stays.
        const QString memo = ui_->Memo1->toPlainText();
        const bool detailsShown = !ui_->Label5->text().isEmpty();
        loadingMemo_ = true;
        ui_->retranslateUi(this);
        if (!listDirectory_.isEmpty())
            ui_->Memo1->setPlainText(memo);
        loadingMemo_ = false;
        retranslate();
        if (detailsShown) // the details of a chosen recording, in the new words
            showDetails();
    }
    QDialog::changeEvent(event);
}

void TForm2::retranslate() {
    popupMenu_->findChild<QAction*>(QStringLiteral("Otworz1"))->setText(tr("&Otworz"));
    popupMenu_->findChild<QAction*>(QStringLiteral("Zmienazw1"))->setText(tr("&Zmień nazwę"));
    popupMenu_->findChild<QAction*>(QStringLiteral("Usu1"))->setText(tr("&Usuń"));
}

void TForm2::setRenameWindow(TForm8* form8) {
    form8_ = form8;
}

void TForm2::setDialogs(StandardDialogs* dialogs) {
    dialogs_ = dialogs != nullptr ? dialogs : ownDialogs_.get();
}

void TForm2::setRecordingInProgress(std::function<QString()> source) {
    recordingInProgress_ = std::move(source);
}

QString TForm2::selectedPath() const {
    const QListWidgetItem* item = ui_->FileListBox1->currentItem();
    if (item == nullptr || !item->isSelected())
        return {};
    return QDir(listDirectory_).filePath(item->text());
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A restore after minimising is no new opening: the selection and the typed description stay.
    if (!event->spontaneous())
        FormShow();
}

void TForm2::FormShow() {
    const QString dir = state_.dataDir.isEmpty() ? QDir::currentPath() : state_.dataDir;
    listDirectory_ = QDir::cleanPath(QDir(dir).absolutePath());
    if (ui_->DirectoryEdit1->text() != listDirectory_)
        setDirectoryText(listDirectory_); // runs the change: dataDir becomes the full path
    else
        rereadList();
}

void TForm2::setDirectoryText(const QString& text) {
    ui_->DirectoryEdit1->setText(text);
    DirectoryEdit1Change();
}

void TForm2::chooseDirectory() {
    const QString chosen = dialogs_->existingDirectory(this, listDirectory_);
    if (!chosen.isEmpty())
        setDirectoryText(QDir::cleanPath(QDir(chosen).absolutePath()));
}

void TForm2::DirectoryEdit1Change() {
    state_.dataDir = ui_->DirectoryEdit1->text();
    listDirectory_ = QDir::cleanPath(QDir(state_.dataDir).absolutePath());
    rereadList();
}

void TForm2::rereadList() {
    QListWidget* list = ui_->FileListBox1;
    const QSignalBlocker blocker(list);
    list->clear();
    if (!folderNamed(listDirectory_)) {
        boxes_.showErrorBox(tr("Nie można otworzyć folderu %1.").arg(listDirectory_));
    } else {
        const QIcon glyph = style()->standardIcon(QStyle::SP_FileIcon);
        for (const QString& name : recordingNamesIn(listDirectory_))
            list->addItem(new QListWidgetItem(glyph, name));
    }
    list->setCurrentRow(-1);
    list->clearSelection();
    FileListBox1Change(); // a re-read ends with nothing selected
}

void TForm2::showDetails() {
    const RecordingDetails details = readRecordingDetails(selectedPath(), state_.timeBaseIndex, QLocale());
    ui_->Label5->setText(details.period);
    ui_->Label6->setText(details.start);
    ui_->Label7->setText(details.length);
    ui_->Label8->setText(details.channels);
    ui_->Label10->setText(details.markers);
}

void TForm2::FileListBox1Change() {
    const QString path = selectedPath();
    showDetails();
    loadingMemo_ = true;
    ui_->Memo1->clear();
    if (!path.isEmpty())
        ui_->Memo1->setPlainText(loadRecordingDescription(siblingPath(path, QStringLiteral(".roc"))));
    loadingMemo_ = false;
}

void TForm2::limitMemo(int position, int /*removed*/, int added) {
    // Like an edit field's length limit: what the user types or pastes past the limit is dropped,
    // a longer description loaded from its file stays whole.
    if (loadingMemo_ || added <= 0)
        return;
    const int length = ui_->Memo1->document()->characterCount() - 1;
    const int excess = std::min(added, length - kMemoLimit);
    if (excess <= 0)
        return;
    loadingMemo_ = true;
    QTextCursor cursor(ui_->Memo1->document());
    cursor.setPosition(position + added - excess);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    loadingMemo_ = false;
}

void TForm2::SpeedButton3Click() {
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    const QString roc = siblingPath(path, QStringLiteral(".roc"));
    QString error;
    if (!saveRecordingDescription(roc, ui_->Memo1->toPlainText(), &error))
        boxes_.showErrorBox(tr("Nie można zapisać opisu %1: %2").arg(roc, error));
}

void TForm2::SpeedButton4Click() {
    state_.openAccepted = true;
    accept();
}

void TForm2::SpeedButton5Click() {
    state_.openAccepted = false;
    reject();
}

bool TForm2::refuseRecordingInProgress(const QString& path, const QString& text) {
    if (!recordingInProgress_ || !sameRecording(recordingInProgress_(), path))
        return false;
    boxes_.showErrorBox(text);
    return true;
}

void TForm2::SpeedButton2Click() {
    const QString path = selectedPath();
    if (path.isEmpty() || refuseRecordingInProgress(path, tr("Nie można usunąć nagrywanego zapisu.")))
        return;
    if (boxes_.confirmOkCancel(tr("Uwaga!"), tr("Czy na pewno usunąć zapis?")))
        Usu1Click();
}

void TForm2::Usu1Click() {
    const QString path = selectedPath();
    if (path.isEmpty() || refuseRecordingInProgress(path, tr("Nie można usunąć nagrywanego zapisu.")))
        return;
    // The loader's handles must not outlive the files they point at.
    const bool onDisplay = isRecordingOnDisplay(state_, path);
    if (onDisplay)
        releaseRecordingOnDisplay(state_);
    if (!deleteRecordingSet(path))
        boxes_.showErrorBox(
            tr("Nie można usunąć wszystkich plików zapisu %1.").arg(QFileInfo(path).fileName()));
    rereadList();
    if (onDisplay)
        emit recordingOnDisplayChanged();
}

void TForm2::SpeedButton1Click() {
    const QString path = selectedPath();
    if (path.isEmpty() || refuseRecordingInProgress(path, tr("Nie można zmienić nazwy nagrywanego zapisu.")))
        return;
    if (form8_ == nullptr) {
        ownForm8_ = std::make_unique<TForm8>(state_, boxes_, this);
        form8_ = ownForm8_.get();
    }
    form8_->setEditText(QFileInfo(path).fileName());
    form8_->exec();
    if (!state_.renameTarget.isEmpty())
        renameSelected(path, state_.renameTarget);
    rereadList();
}

void TForm2::renameSelected(const QString& path, const QString& target) {
    const QString newBase = renameBaseFor(target, listDirectory_);
    // A description left by a deleted recording goes only when the user says so.
    const QString leftover = leftoverDescriptionAt(newBase);
    if (!leftover.isEmpty() &&
        !boxes_.confirmOkCancel(
            tr("Uwaga!"),
            tr("Opis %1 pozostał po usuniętym zapisie. Zastąpić go?").arg(QFileInfo(leftover).fileName())))
        return;
    const bool onDisplay = isRecordingOnDisplay(state_, path);
    if (onDisplay)
        closeSampleFiles(state_);
    const RenameResult result = renameRecordingSet(path, newBase, {}, !leftover.isEmpty());
    if (onDisplay) {
        reopenRecordingOnDisplay(state_, result.renamed ? result.newRosPath : state_.recordingPath);
        emit recordingOnDisplayChanged();
    }
    if (!result.error.isEmpty())
        boxes_.showErrorBox(result.error);
}

} // namespace varnilog
