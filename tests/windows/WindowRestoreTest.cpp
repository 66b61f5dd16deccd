// A window restored after being minimised is the same opening: what the user did in it stays.
#include "windows/Otworzplik.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Ustawienia.h"

#include "ScriptedDialogs.h"
#include "WindowTestSupport.h"
#include "support/RecordingMessageBoxes.h"

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace varnilog;
using namespace varnilog::test;

namespace {

struct RestoreFixture {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
};

struct Row {
    const char* name;
    std::function<std::unique_ptr<QDialog>(RestoreFixture&)> make;
    std::function<void(QDialog&)> edit;                         // what the user does after opening
    std::function<std::string(QDialog&, RestoreFixture&)> kept; // read after the restore
    const char* expected;
};

QPlainTextEdit* memo(QDialog& w) {
    return child<QPlainTextEdit>(w, "Memo1");
}

} // namespace

TEST(WindowRestoreTest, RestoreIsNoNewOpening) {
    const Row rows[] = {
        {"Opis keeps the unsaved text",
         [](RestoreFixture& f) {
             writeFile(f.dir.filePath("x.roc"), "zapisany\r\n");
             f.state->dataDir = f.dir.path();
             auto w = std::make_unique<TForm6>(*f.state, f.boxes);
             w->setFileNameSource([] { return QStringLiteral("x"); });
             return std::unique_ptr<QDialog>(std::move(w));
         },
         [](QDialog& w) { memo(w)->setPlainText("wpisany"); },
         [](QDialog& w, RestoreFixture&) { return memo(w)->toPlainText().toStdString(); }, "wpisany"},
        {"browser keeps its selection and the typed description",
         [](RestoreFixture& f) {
             for (const char* name : {"a.ros", "b.ros"})
                 writeFile(f.dir.filePath(name), "[PARAMETRY]\n");
             f.state->dataDir = f.dir.path();
             auto w = std::make_unique<TForm2>(*f.state, f.boxes);
             w->setDialogs(&f.dialogs);
             return std::unique_ptr<QDialog>(std::move(w));
         },
         [](QDialog& w) {
             child<QListWidget>(w, "FileListBox1")->setCurrentRow(1);
             memo(w)->setPlainText("opis");
         },
         [](QDialog& w, RestoreFixture&) {
             const QString path = static_cast<TForm2&>(w).selectedPath();
             return (QFileInfo(path).fileName() + '|' + memo(w)->toPlainText()).toStdString();
         },
         "b.ros|opis"},
        {"settings: Anuluj still takes back a colour chosen before the restore",
         [](RestoreFixture& f) {
             f.state->channelColor[0] = 0x0000FF;
             f.dialogs.colors = {QColor(0, 255, 0)};
             auto w = std::make_unique<TForm4>(*f.state, f.boxes);
             w->setDialogs(&f.dialogs);
             w->setConfigurationPath(f.dir.filePath("varnilog.ini"));
             w->setPortLister([] { return QStringList(); });
             return std::unique_ptr<QDialog>(std::move(w));
         },
         [](QDialog& w) { child<QPushButton>(w, "SpeedButton3")->click(); },
         [](QDialog& w, RestoreFixture& f) {
             child<QPushButton>(w, "SpeedButton2")->click(); // Anuluj
             return QString::number(f.state->channelColor[0], 16).toStdString();
         },
         "ff"},
        {"calibration keeps the channel and the edited value",
         [](RestoreFixture& f) {
             return std::unique_ptr<QDialog>(std::make_unique<TForm7>(*f.state, f.boxes));
         },
         [](QDialog& w) {
             child<QSpinBox>(w, "RxSpinEdit1")->setValue(120);
             child<QComboBox>(w, "ComboBox1")->setCurrentIndex(1);
         },
         [](QDialog& w, RestoreFixture& f) {
             const int channel = child<QComboBox>(w, "ComboBox1")->currentIndex();
             child<QPushButton>(w, "SpeedButton1")->click(); // Zapisz
             return std::to_string(channel) + ' ' + std::to_string(f.state->channelZeroOffset[0]);
         },
         "1 120"},
    };
    for (const Row& r : rows) {
        RestoreFixture f;
        const std::unique_ptr<QDialog> window = r.make(f);
        window->show();
        r.edit(*window);
        minimiseAndRestore(*window);
        EXPECT_TRUE(window->isVisible()) << r.name;
        EXPECT_EQ(r.kept(*window, f), r.expected) << r.name;
        window->hide();
    }
}
