#include "windows/Otworzplik.h"
#include "windows/Unit8.h"

#include "ScriptedDialogs.h"
#include "WindowTestSupport.h"
#include "support/RecordingMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

namespace {

// A browser over a temporary folder holding a few recordings.
struct BrowserFixture {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    TForm8 form8{*state, boxes};
    TForm2 form2{*state, boxes};

    BrowserFixture() {
        form2.setRenameWindow(&form8);
        form2.setDialogs(&dialogs);
        state->dataDir = dir.path() + "/sub/.."; // the list expands it to the full path
        QDir(dir.path()).mkdir("sub");
    }
    void recording(const QString& base, const QByteArray& ros, int samples, const QStringList& more = {}) {
        writeFile(dir.filePath(base + ".ros"), ros);
        writeFile(dir.filePath(base + ".rca"), QByteArray(samples, char(125)));
        writeFile(dir.filePath(base + ".rcb"), QByteArray(samples, char(125)));
        for (const QString& ext : more)
            writeFile(dir.filePath(base + ext), (base + ext).toUtf8());
    }
    QListWidget* list() { return child<QListWidget>(form2, "FileListBox1"); }
    QStringList entries() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    void select(const QString& name) {
        const auto items = list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        list()->setCurrentItem(items.front());
    }
    QString label(const char* name) { return child<QLabel>(form2, name)->text(); }
    QString memo() { return child<QPlainTextEdit>(form2, "Memo1")->toPlainText(); }
    void click(const char* name) { child<QPushButton>(form2, name)->click(); }
    // Answers the rename window while the browser shows it modally; through the pop-up item or the button.
    void renameTo(const QString& typed, bool confirm = true, bool popup = false) {
        QTimer::singleShot(0, &form8, [this, typed, confirm] {
            child<QLineEdit>(form8, "Edit1")->setText(typed);
            if (confirm)
                child<QPushButton>(form8, "SpeedButton1")->click();
            else
                form8.reject(); // the close box
        });
        if (popup)
            child<QAction>(form2, "Zmienazw1")->trigger();
        else
            click("SpeedButton1");
    }
};

const QByteArray kRos5000 = "[PARAMETRY]\nPODSTAWA=10\nILOSCKANALOW=2\nSTART=2024-03-07 14.05.09\n";

} // namespace

TEST(OtworzplikTest, LayoutAndCaptions) {
    BrowserFixture f;
    EXPECT_EQ(f.form2.windowTitle(), QString::fromUtf8("Otwóż plik"));
    struct Row {
        const char* name;
        const char* text;
    } rows[] = {{"SpeedButton3", "Aktualizuj"},
                {"SpeedButton4", "Otwórz"},
                {"SpeedButton5", "Anuluj"},
                {"SpeedButton2", "Usuń"},
                {"SpeedButton1", "Zmień nazwę"}};
    for (const Row& r : rows)
        EXPECT_EQ(child<QPushButton>(f.form2, r.name)->text(), QString::fromUtf8(r.text)) << r.name;
    const Row labels[] = {{"Label1", "Próbkowanie (ms):"},
                          {"Label3", "Czas rozpoczęcia:"},
                          {"Label2", "Długość (h:m:s:ms):"},
                          {"Label4", "Ilość kanałów:"}};
    for (const Row& l : labels)
        EXPECT_EQ(f.label(l.name), QString::fromUtf8(l.text)) << l.name;
    struct Item {
        const char* name;
        const char* text;
    } items[] = {{"Otworz1", "&Otworz"}, {"Zmienazw1", "&Zmień nazwę"}, {"Usu1", "&Usuń"}};
    for (const Item& i : items)
        EXPECT_EQ(child<QAction>(f.form2, i.name)->text(), QString::fromUtf8(i.text)) << i.name;
}

TEST(OtworzplikTest, ShowListsRecordingsWithNothingSelected) {
    BrowserFixture f;
    f.recording("b", kRos5000, 10);
    f.recording("a", kRos5000, 10);
    writeFile(f.dir.filePath("notes.txt"), "x");
    f.state->timeBaseIndex = 15;
    f.form2.show();
    EXPECT_EQ(f.entries(), QStringList({"a.ros", "b.ros"}));
    EXPECT_EQ(f.state->dataDir, f.dir.path()); // the full, clean path
    EXPECT_EQ(child<QLineEdit>(f.form2, "DirectoryEdit1")->text(), f.dir.path());
    EXPECT_TRUE(f.form2.selectedPath().isEmpty());
    // The details of a set whose files are all missing, at the current time base.
    EXPECT_EQ(f.label("Label5"), "0.02");
    EXPECT_EQ(f.label("Label6"), "...");
    EXPECT_EQ(f.label("Label8"), "1");
    EXPECT_EQ(f.label("Label7"), "0000:00:00:000");
    EXPECT_EQ(f.memo(), "");
    f.form2.hide();
}

TEST(OtworzplikTest, DetailsOfTheSelection) {
    BrowserFixture f;
    f.recording("a", kRos5000, 5000);
    f.recording("noch", "[PARAMETRY]\nPODSTAWA=11\n", 3);
    writeFile(f.dir.filePath("a.roc"), "Pierwsza\r\nDruga\r\n");
    struct Row {
        const char* entry;
        const QLocale locale;
        const char* period;
        const char* start;
        const char* length;
        const char* channels;
        const char* memo;
    } rows[] = {
        {"a.ros", QLocale(QLocale::English), "1", "2024-03-07 14.05.09", "0000:00:05:000", "2",
         "Pierwsza\nDruga"},
        {"noch.ros", QLocale(QLocale::English), "0.5", "...", "0000:00:00:002", "1", ""},
        {"noch.ros", QLocale(QLocale::Polish), "0,5", "...", "0000:00:00:002", "1", ""},
    };
    f.form2.show();
    for (const Row& r : rows) {
        const ScopedLocale locale(r.locale);
        f.list()->clearSelection();
        f.select(r.entry);
        EXPECT_EQ(f.label("Label5").toStdString(), r.period) << r.entry;
        EXPECT_EQ(f.label("Label6").toStdString(), r.start) << r.entry;
        EXPECT_EQ(f.label("Label7").toStdString(), r.length) << r.entry;
        EXPECT_EQ(f.label("Label8").toStdString(), r.channels) << r.entry;
        EXPECT_EQ(f.memo().toStdString(), r.memo) << r.entry;
    }
    f.form2.hide();
}

TEST(OtworzplikTest, OpenCancelAndCloseBox) {
    struct Row {
        const char* name;
        const char* select; // nullptr = nothing selected
        const char* action; // button name or "close"
        bool before;        // openAccepted before
        bool after;
        bool pathEmpty;
    } rows[] = {
        {"open the selection", "a.ros", "SpeedButton4", false, true, false},
        {"open with nothing selected", nullptr, "SpeedButton4", false, true, true},
        {"cancel", "a.ros", "SpeedButton5", true, false, false},
        {"close box after an earlier open", "a.ros", "close", true, true, false},
        {"close box after an earlier cancel", "a.ros", "close", false, false, false},
    };
    for (const Row& r : rows) {
        BrowserFixture f;
        f.recording("a", kRos5000, 10);
        f.state->openAccepted = r.before;
        f.form2.show();
        if (r.select != nullptr)
            f.select(r.select);
        if (std::string(r.action) == "close")
            f.form2.close();
        else
            f.click(r.action);
        EXPECT_FALSE(f.form2.isVisible()) << r.name;
        EXPECT_EQ(f.state->openAccepted, r.after) << r.name;
        EXPECT_EQ(f.form2.selectedPath().isEmpty(), r.pathEmpty) << r.name;
        if (!r.pathEmpty) {
            EXPECT_EQ(f.form2.selectedPath(), f.dir.filePath("a.ros")) << r.name;
        }
    }
}

TEST(OtworzplikTest, DeleteKeepsTheDescription) {
    struct Row {
        const char* name;
        const char* how; // "button" (asks), "popup" (does not ask)
        bool answer;
        bool asked;
        const char* after;
    } rows[] = {
        {"button, OK", "button", true, true, "a.roc b.rca b.rcb b.ros"},
        {"button, Cancel", "button", false, true, "a.rca a.rcb a.rcc a.rcd a.roc a.ros b.rca b.rcb b.ros"},
        {"pop-up item", "popup", true, false, "a.roc b.rca b.rcb b.ros"},
    };
    for (const Row& r : rows) {
        BrowserFixture f;
        f.recording("a", kRos5000, 10, {".rcc", ".rcd", ".roc"});
        f.recording("b", kRos5000, 10);
        f.boxes.answers = {r.answer};
        f.form2.show();
        f.select("a.ros");
        if (std::string(r.how) == "button")
            f.click("SpeedButton2");
        else
            child<QAction>(f.form2, "Usu1")->trigger();
        EXPECT_EQ(listing(f.dir.path()), r.after) << r.name;
        EXPECT_EQ(f.boxes.shown.size(), r.asked ? 1u : 0u) << r.name;
        if (r.asked) {
            EXPECT_EQ(f.boxes.shown[0].kind, "okcancel");
            EXPECT_EQ(f.boxes.shown[0].caption, "Uwaga!");
            EXPECT_EQ(f.boxes.shown[0].text, QString::fromUtf8("Czy na pewno usunąć zapis?"));
        }
        EXPECT_EQ(f.entries(), r.answer ? QStringList({"b.ros"}) : QStringList({"a.ros", "b.ros"})) << r.name;
        // A delete re-reads the list and leaves nothing selected; a cancelled one keeps the selection.
        EXPECT_EQ(f.form2.selectedPath().isEmpty(), r.answer) << r.name;
        f.form2.hide();
    }
}

TEST(OtworzplikTest, RenameThroughTheRenameWindow) {
    struct Row {
        const char* name;
        const char* typed;
        bool confirm;
        QStringList existing; // files of "b" already there
        const char* after;
        const char* entries;
        int errors;
    } rows[] = {
        {"a.ros to b.ros with C, D and description",
         "b.ros",
         true,
         {},
         "b.rca b.rcb b.rcc b.rcd b.roc b.ros",
         "b.ros",
         0},
        {"a name without .ros keeps its dots",
         "2024-03-07 14.05.09",
         true,
         {},
         "2024-03-07 14.05.09.rca 2024-03-07 14.05.09.rcb 2024-03-07 14.05.09.rcc 2024-03-07 14.05.09.rcd "
         "2024-03-07 14.05.09.roc 2024-03-07 14.05.09.ros",
         "2024-03-07 14.05.09.ros",
         0},
        {"an existing target renames nothing",
         "b.ros",
         true,
         {".rca"},
         "a.rca a.rcb a.rcc a.rcd a.roc a.ros b.rca",
         "a.ros",
         1},
        {"closing the rename window renames nothing",
         "b.ros",
         false,
         {},
         "a.rca a.rcb a.rcc a.rcd a.roc a.ros",
         "a.ros",
         0},
    };
    for (const Row& r : rows) {
        BrowserFixture f;
        f.recording("a", kRos5000, 10, {".rcc", ".rcd", ".roc"});
        for (const QString& ext : r.existing)
            writeFile(f.dir.filePath("b" + ext), "other");
        f.form2.show();
        f.select("a.ros");
        f.renameTo(r.typed, r.confirm);
        EXPECT_EQ(child<QLineEdit>(f.form8, "Edit1")->text(), QString(r.typed)) << r.name;
        EXPECT_EQ(listing(f.dir.path()), r.after) << r.name;
        EXPECT_EQ(f.entries().join(' ').toStdString(), r.entries) << r.name;
        EXPECT_EQ(static_cast<int>(f.boxes.errors().size()), r.errors) << r.name;
        EXPECT_TRUE(f.state->renameTarget.isEmpty() != r.confirm) << r.name;
        f.form2.hide();
    }
}

TEST(OtworzplikTest, RenameWindowGetsTheFileName) {
    BrowserFixture f;
    f.recording("2024-03-07 14.05.09", kRos5000, 10);
    f.form2.show();
    f.select("2024-03-07 14.05.09.ros");
    QString offered;
    QTimer::singleShot(0, &f.form8, [&] {
        offered = child<QLineEdit>(f.form8, "Edit1")->text();
        f.form8.reject();
    });
    f.click("SpeedButton1");
    EXPECT_EQ(offered, "2024-03-07 14.05.09.ros");
    f.form2.hide();
}

TEST(OtworzplikTest, RecordingOnDisplay) {
    BrowserFixture f;
    f.recording("a", kRos5000, 10);
    f.state->recordingPath = f.dir.filePath("a.ros");
    f.state->sampleFile[0].setFileName(f.dir.filePath("a.rca"));
    f.state->sampleFile[1].setFileName(f.dir.filePath("a.rcb"));
    ASSERT_TRUE(f.state->sampleFile[0].open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.state->sampleFile[1].open(QIODevice::ReadOnly));
    f.state->sampleCount = 10;
    QSignalSpy changed(&f.form2, &TForm2::recordingOnDisplayChanged);
    f.form2.show();

    f.select("a.ros");
    f.renameTo("c");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(f.state->recordingPath, f.dir.filePath("c.ros"));
    EXPECT_EQ(f.state->sampleFile[0].fileName(), f.dir.filePath("c.rca"));
    EXPECT_TRUE(f.state->sampleFile[0].isOpen());
    EXPECT_TRUE(f.state->sampleFile[1].isOpen());
    EXPECT_EQ(f.state->sampleCount, 10);

    f.select("c.ros");
    child<QAction>(f.form2, "Usu1")->trigger();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(listing(f.dir.path()), "");
    for (const QFile& file : f.state->sampleFile)
        EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(f.state->sampleCount, -1);
    f.form2.hide();
}

TEST(OtworzplikTest, DescriptionMemo) {
    BrowserFixture f;
    f.recording("a", kRos5000, 10);
    const QString longText(300, 'x');
    writeFile(f.dir.filePath("long.ros"), kRos5000);
    writeFile(f.dir.filePath("long.roc"), longText.toUtf8());
    f.form2.show();
    auto* memo = child<QPlainTextEdit>(f.form2, "Memo1");

    // "Aktualizuj" with nothing selected saves nothing.
    memo->setPlainText("nic");
    f.click("SpeedButton3");
    EXPECT_EQ(listing(f.dir.path()), "a.rca a.rcb a.ros long.roc long.ros");

    // Typing stops at 250 characters; what was typed is saved with CR LF.
    f.select("a.ros");
    memo->setFocus();
    QTest::keyClicks(memo, "ab");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QString(260, 'y'));
    EXPECT_EQ(memo->toPlainText().size(), 250);
    f.click("SpeedButton3");
    EXPECT_EQ(readFile(f.dir.filePath("a.roc")), "ab\r\n" + QByteArray(247, 'y') + "\r\n");

    // A longer description from its file is shown whole; more typing is refused.
    f.select("long.ros");
    EXPECT_EQ(memo->toPlainText(), longText);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "zz");
    EXPECT_EQ(memo->toPlainText(), longText);
    f.form2.hide();
}

TEST(OtworzplikTest, FolderPicker) {
    BrowserFixture f;
    f.recording("a", kRos5000, 10);
    QDir(f.dir.path()).mkdir("other");
    writeFile(f.dir.filePath("other/z.ros"), kRos5000);
    f.form2.show();
    struct Row {
        QString answer; // empty = cancelled
        QString dataDir;
        QStringList entries;
    } rows[] = {
        {QString(), f.dir.path(), {"a.ros"}},
        {f.dir.filePath("other"), f.dir.filePath("other"), {"z.ros"}},
        {f.dir.path(), f.dir.path(), {"a.ros"}},
    };
    for (const Row& r : rows) {
        f.dialogs.directories = {r.answer};
        child<QWidget>(f.form2, "DirectoryEdit1Button")->setFocus();
        QTest::mouseClick(child<QWidget>(f.form2, "DirectoryEdit1Button"), Qt::LeftButton);
        EXPECT_EQ(f.state->dataDir, r.dataDir);
        EXPECT_EQ(f.entries(), r.entries);
        EXPECT_EQ(child<QLineEdit>(f.form2, "DirectoryEdit1")->text(), r.dataDir);
    }
    f.form2.hide();
}

TEST(OtworzplikTest, RenameOverADescriptionLeftByADeletedRecording) {
    struct Row {
        const char* name;
        bool popup;
        bool leftover;  // b.roc of a deleted recording "b" is there
        bool sourceRoc; // "a" has a description of its own
        bool answer;
        const char* after;
        const char* bRoc; // content of b.roc afterwards
    } rows[] = {
        {"pop-up item renames as the button does", true, false, true, true, "b.rca b.rcb b.roc b.ros",
         "a.roc"},
        {"leftover replaced after OK", false, true, true, true, "b.rca b.rcb b.roc b.ros", "a.roc"},
        {"Cancel keeps everything", false, true, true, false, "a.rca a.rcb a.roc a.ros b.roc", "b.roc"},
    };
    for (const Row& r : rows) {
        BrowserFixture f;
        f.recording("a", kRos5000, 10, r.sourceRoc ? QStringList{".roc"} : QStringList{});
        if (r.leftover)
            writeFile(f.dir.filePath("b.roc"), "b.roc");
        f.boxes.answers = {r.answer};
        f.form2.show();
        f.select("a.ros");
        f.renameTo("b.ros", true, r.popup);
        EXPECT_EQ(listing(f.dir.path()), r.after) << r.name;
        EXPECT_EQ(readFile(f.dir.filePath("b.roc")).toStdString(), r.bRoc) << r.name;
        ASSERT_EQ(f.boxes.shown.size(), r.leftover ? 1u : 0u) << r.name;
        if (r.leftover) {
            EXPECT_EQ(f.boxes.shown[0].kind, "okcancel") << r.name;
            EXPECT_TRUE(f.boxes.shown[0].text.contains("b.roc")) << r.name;
        }
        f.form2.hide();
    }
}

TEST(OtworzplikTest, TheRecordingBeingWrittenIsNeitherDeletedNorRenamed) {
    struct Row {
        const char* name;
        const char* select;
        const char* action; // "delete", "popup delete", "rename", "popup rename"
        const char* after;
        int errors;
    } rows[] = {
        {"Usuń", "a.ros", "delete", "a.rca a.rcb a.ros b.rca b.rcb b.ros", 1},
        {"pop-up Usuń", "a.ros", "popup delete", "a.rca a.rcb a.ros b.rca b.rcb b.ros", 1},
        {"Zmień nazwę", "a.ros", "rename", "a.rca a.rcb a.ros b.rca b.rcb b.ros", 1},
        {"pop-up Zmień nazwę", "a.ros", "popup rename", "a.rca a.rcb a.ros b.rca b.rcb b.ros", 1},
        {"another recording is deleted", "b.ros", "delete", "a.rca a.rcb a.ros", 0},
    };
    for (const Row& r : rows) {
        BrowserFixture f;
        f.recording("a", kRos5000, 10);
        f.recording("b", kRos5000, 10);
        const QString writing = f.dir.path() + "/./a.ros";
        f.form2.setRecordingInProgress([&] { return writing; });
        f.form2.show();
        f.select(r.select);
        const std::string action = r.action;
        if (action == "delete")
            f.click("SpeedButton2");
        else if (action == "popup delete")
            child<QAction>(f.form2, "Usu1")->trigger();
        else
            f.renameTo("c", true, action == "popup rename");
        EXPECT_EQ(listing(f.dir.path()), r.after) << r.name;
        EXPECT_EQ(static_cast<int>(f.boxes.errors().size()), r.errors) << r.name;
        f.form2.hide();
    }
}
