// Saved setups through the main window: a setup made with the controls comes back from "Wczytaj
// ustawienia…" after other settings were chosen, and after a restart from the configuration file.
#include "app/Program.h"
#include "app/SavedSetup.h"
#include "support/MainWindowFixture.h"
#include "windows/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSpinBox>

using namespace varnilog;

namespace {
class SavedSetupWindowTest : public test::MainWindowTest {};
} // namespace

TEST_F(SavedSetupWindowTest, SetupComesBackFromItsFileAndAfterARestart) {
    test::ScriptedDialogs dialogs;
    makeWindow().setDialogs(&dialogs);
    form->FormCreate();
    // Every kind of setting away from its default, through the controls.
    form->timeBaseButton(9)->click();
    click("SpeedButton44"); // A: coupling 1
    click("SpeedButton57"); // A: offset + 1
    click("SpeedButton19"); // channel B
    form->sensitivityButton(6)->click();
    click("SpeedButton45");
    child<QCheckBox>("chkA")->click();
    child<QComboBox>("cbTrigMode")->setCurrentIndex(2);
    child<QComboBox>("cbTrigSource")->setCurrentIndex(1);
    child<QComboBox>("cbTrigEdge")->setCurrentIndex(1);
    child<QDoubleSpinBox>("sbTrigLevel")->setValue(0.3);
    child<QSpinBox>("sbTrigPre")->setValue(20);
    click("SpeedButton72");
    form->findChild<QRadioButton*>("rbCale")->click();
    const SavedSetup made = form->currentSetup();
    ASSERT_EQ(made.timeBaseIndex, 9);
    ASSERT_EQ(made.sensitivity[1], 6);
    ASSERT_EQ(made.coupling, (std::array<std::uint8_t, 4>{1, 2, 0, 0}));
    ASSERT_EQ(made.offset[0], 101);
    ASSERT_EQ(made.visible, (std::array<bool, 4>{false, true, false, false}));
    ASSERT_EQ(made.trigger.source, 1);
    ASSERT_EQ(made.measurementSpan, SpanChoice::Whole);

    const QString file = dir.filePath("zestaw.ini");
    dialogs.fileNames.push_back(file);
    child<QAction>("Zapiszustawienia1")->trigger();
    form->applySetup(SavedSetup{});
    ASSERT_NE(form->currentSetup(), made);
    dialogs.openNames.push_back(file);
    child<QAction>("Wczytajustawienia1")->trigger();
    EXPECT_EQ(form->currentSetup(), made);
    EXPECT_FALSE(child<QCheckBox>("chkA")->isChecked());
    EXPECT_EQ(child<QComboBox>("cbTrigEdge")->currentIndex(), 1);
    EXPECT_TRUE(boxes.errors().isEmpty());

    form->close();
    destroyWindows();
    state = std::make_unique<SharedState>();
    createWindow();
    EXPECT_EQ(form->currentSetup(), made);
    click("SpeedButton72"); // the measurements window made now takes the span
    EXPECT_TRUE(form->findChild<QRadioButton*>("rbCale")->isChecked());
}
