// The main window with its secondary windows: opening through the browser, the text export through
// the save dialog, calibration and settings followed by their redraws.
#include "app/Program.h"
#include "spectrum/Unit5.h"
#include "support/RecordingMessageBoxes.h"
#include "windows/Otworzplik.h"
#include "windows/ScriptedDialogs.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Unit8.h"
#include "windows/Ustawienia.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

using namespace varnilog;

namespace {

class ProgramWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString ini = dir.filePath(QStringLiteral("varnilog.ini"));
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        f.close();
        form1 = std::make_unique<TForm1>(*state, boxes, ini);
        form2 = std::make_unique<TForm2>(*state, boxes, form1.get());
        form4 = std::make_unique<TForm4>(*state, boxes, form1.get());
        form5 = std::make_unique<TForm5>(*state, boxes, form1.get());
        form6 = std::make_unique<TForm6>(*state, boxes, form1.get());
        form7 = std::make_unique<TForm7>(*state, boxes, form1.get());
        form8 = std::make_unique<TForm8>(*state, boxes, form1.get());
        form1->setSecondaryWindows(
            {form2.get(), form4.get(), form5.get(), form6.get(), form7.get(), form8.get()});
        form1->setDialogs(&dialogs);
        form1->FormCreate();
    }
    void TearDown() override {
        // Children of form1 go with it; release ours first.
        form8.release();
        form7.release();
        form6.release();
        form5.release();
        form4.release();
        form2.release();
    }
    void makeRecording(const char* base) {
        for (const char* ext : {".rca", ".rcb"}) {
            QFile f(dir.filePath(QString::fromLatin1(base) + ext));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("\x96\x7d\x64\x7d", 4)); // 150 125 100 125
        }
        QFile ros(dir.filePath(QString::fromLatin1(base) + ".ros"));
        ASSERT_TRUE(ros.open(QIODevice::WriteOnly));
        ros.write("[PARAMETRY]\nPODSTAWA=10\nCZULOSCA=4\nCZULOSCB=4\nILOSCKANALOW=2\n");
    }
    // Runs action once the modal window is up, then the test goes on after it closes.
    static void whenShown(QWidget* modal, std::function<void()> action) {
        QTimer::singleShot(0, modal, [modal, action] {
            if (modal->isVisible())
                action();
        });
    }
    template <class T> T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    test::RecordingMessageBoxes boxes;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm6> form6;
    std::unique_ptr<TForm7> form7;
    std::unique_ptr<TForm8> form8;
};

} // namespace

TEST_F(ProgramWindowsTest, OpenThroughTheBrowserThenExport) {
    makeRecording("2024-05-06 07.08.09");
    whenShown(form2.get(), [this] {
        QListWidget* list = child<QListWidget>(form2.get(), "FileListBox1");
        ASSERT_GT(list->count(), 0);
        list->setCurrentRow(0);
        child<QAbstractButton>(form2.get(), "SpeedButton4")->click(); // "Otwórz"
    });
    child<QAbstractButton>(form1.get(), "btOpen")->click();
    EXPECT_TRUE(state->openAccepted);
    EXPECT_EQ(state->sampleCount, 4);
    EXPECT_EQ(child<QLineEdit>(form1.get(), "edFilename")->text(), "2024-05-06 07.08.09");

    const QString out = dir.filePath("export.txt");
    dialogs.fileNames.push_back(out);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    child<QAction>(form1.get(), "Zapiszdotxt1")->trigger();
    QLocale::setDefault(QLocale::c());
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("0000:00:00:000;1")) << text.constData();
    EXPECT_EQ(text.count("\r\n"), 4);
    EXPECT_TRUE(boxes.errors().isEmpty());
}

TEST_F(ProgramWindowsTest, CancelledBrowserLoadsNothing) {
    makeRecording("2024-05-06 07.08.09");
    whenShown(form2.get(),
              [this] { child<QAbstractButton>(form2.get(), "SpeedButton5")->click(); }); // "Anuluj"
    child<QAbstractButton>(form1.get(), "btOpen")->click();
    EXPECT_FALSE(state->openAccepted);
    EXPECT_EQ(state->sampleCount, 0);
    EXPECT_EQ(child<QLineEdit>(form1.get(), "edFilename")->text(), "...");
}

TEST_F(ProgramWindowsTest, SpectrumNeedsARecording) {
    bool shown = false;
    QTimer::singleShot(0, form5.get(), [&] {
        shown = form5->isVisible();
        form5->close();
    });
    child<QAbstractButton>(form1.get(), "SpeedButton73")->click(); // nothing recorded: nothing opens
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}
