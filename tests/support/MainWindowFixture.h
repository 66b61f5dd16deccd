// The main window as the window tests make it: a folder of the test's with the configuration file's
// path, the serial link and clock the program entry would own, the shared state, message boxes that
// record, and the window (alone, or with its six secondary windows wired as the program wires them).
#pragma once

#include "app/Program.h"
#include "app/SystemClock.h"
#include "device/PosixSerialLink.h"
#include "recording/MarkerFile.h"
#include "spectrum/Unit5.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingSetBuilder.h"
#include "windows/Otworzplik.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Unit8.h"
#include "windows/Ustawienia.h"

#include <QAbstractButton>
#include <QAction>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varnilog::test {

// The main window and its six secondary windows, made in the program's order.
struct ProgramWindowSet {
    ProgramWindowSet(SharedState& state, MessageBoxes& boxes, SerialLink& link, Clock& clock,
                     const QString& configurationPath)
        : form1(state, boxes, link, clock, configurationPath), form2(state, boxes, &form1),
          form4(state, boxes, &form1), form5(state, boxes, &form1), form6(state, boxes, &form1),
          form7(state, boxes, &form1), form8(state, boxes, &form1) {
        form1.setSecondaryWindows({&form2, &form4, &form5, &form6, &form7, &form8});
    }
    // Destroyed in reverse order: the secondary windows go before the main window that parents them.
    TForm1 form1;
    TForm2 form2;
    TForm4 form4;
    TForm5 form5;
    TForm6 form6;
    TForm7 form7;
    TForm8 form8;
};

class MainWindowFixture {
public:
    // A new main window over ini (any window made before goes), not yet started up: a test can set
    // options or dialogs first.
    TForm1& makeWindow() {
        windowSet.reset();
        ownForm_ = std::make_unique<TForm1>(*state, boxes, link, *clock, ini);
        form = ownForm_.get();
        return *form;
    }
    // A new main window, started up.
    TForm1& createWindow() {
        makeWindow().FormCreate();
        return *form;
    }
    // A new main window with its secondary windows, not yet started up.
    ProgramWindowSet& makeWindowSet() {
        destroyWindows();
        windowSet = std::make_unique<ProgramWindowSet>(*state, boxes, link, *clock, ini);
        form = &windowSet->form1;
        return *windowSet;
    }

    // The windows go (before what they use that a test owns, such as a simulated board).
    void destroyWindows() {
        form = nullptr;
        windowSet.reset();
        ownForm_.reset();
    }

    // A control of the main window by its name (a failure when there is none).
    template <class T> T* child(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAbstractButton* button(const char* name) const { return child<QAbstractButton>(name); }
    void click(const char* name) const { button(name)->click(); }

    // Opens a flat recording of n samples a channel (time base 10) named "2024-01-02 03.04.05" with
    // markers as its marker file, and shows the markers window. Returns the ".ros" path.
    QString openMarkedRecording(int n, const QByteArray& markers) const {
        const QString ros =
            writeRecording(dir.path(), QStringLiteral("2024-01-02 03.04.05"), "[PARAMETRY]\nPODSTAWA=10\n",
                           {QByteArray(n, char(125)), QByteArray(n, char(125))});
        writeFile(markerFilePath(ros), markers);
        form->openRecording(ros);
        child<QAction>("Znaczniki1")->trigger();
        return ros;
    }

    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("varnilog.ini"));
    PosixSerialLink link;
    SystemClock systemClock;
    Clock* clock = &systemClock; // a test may give its own before making the window
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    TForm1* form = nullptr;
    std::unique_ptr<ProgramWindowSet> windowSet;

private:
    std::unique_ptr<TForm1> ownForm_;
};

// For TEST_F: the fixture's members are the test's.
class MainWindowTest : public ::testing::Test, public MainWindowFixture {};

} // namespace varnilog::test
