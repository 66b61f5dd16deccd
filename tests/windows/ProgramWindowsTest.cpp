// The main window with its secondary windows: opening through the browser, the text export through
// the save dialog, calibration and settings followed by their redraws.
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowTestSupport.h"

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

class ProgramWindowsTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        makeWindowSet();
        form->setDialogs(&dialogs);
        form->FormCreate();
    }
    void makeRecording(const char* base) {
        const QByteArray samples("\x96\x7d\x64\x7d", 4); // 150 125 100 125
        test::writeRecording(dir.path(), QString::fromLatin1(base),
                             "[PARAMETRY]\nPODSTAWA=10\nCZULOSCA=4\nCZULOSCB=4\nILOSCKANALOW=2\n",
                             {samples, samples});
    }
    // Runs action once the modal window is up, then the test goes on after it closes.
    static void whenShown(QWidget* modal, std::function<void()> action) {
        QTimer::singleShot(0, modal, [modal, action] {
            if (modal->isVisible())
                action();
        });
    }

    test::ScriptedDialogs dialogs;
};

} // namespace

TEST_F(ProgramWindowsTest, OpenThroughTheBrowserThenExport) {
    makeRecording("2024-05-06 07.08.09");
    whenShown(&windowSet->form2, [this] {
        QListWidget* list = test::child<QListWidget>(windowSet->form2, "FileListBox1");
        ASSERT_GT(list->count(), 0);
        list->setCurrentRow(0);
        test::child<QAbstractButton>(windowSet->form2, "SpeedButton4")->click(); // "Otwórz"
    });
    child<QAbstractButton>("btOpen")->click();
    EXPECT_TRUE(state->openAccepted);
    EXPECT_EQ(state->sampleCount, 4);
    EXPECT_EQ(child<QLineEdit>("edFilename")->text(), "2024-05-06 07.08.09");

    const QString out = dir.filePath("export.txt");
    dialogs.fileNames.push_back(out);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    child<QAction>("Zapiszdotxt1")->trigger();
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
    whenShown(&windowSet->form2, [this] {
        test::child<QAbstractButton>(windowSet->form2, "SpeedButton5")->click();
    }); // "Anuluj"
    child<QAbstractButton>("btOpen")->click();
    EXPECT_FALSE(state->openAccepted);
    EXPECT_EQ(state->sampleCount, 0);
    EXPECT_EQ(child<QLineEdit>("edFilename")->text(), "...");
}

TEST_F(ProgramWindowsTest, SpectrumNeedsARecording) {
    bool shown = false;
    QTimer::singleShot(0, &windowSet->form5, [&] {
        shown = windowSet->form5.isVisible();
        windowSet->form5.close();
    });
    child<QAbstractButton>("SpeedButton73")->click(); // nothing recorded: nothing opens
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}
