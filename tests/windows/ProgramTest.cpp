// The main window: its controls, the device-model menu, the status bar, closing and the command line.
#include "app/Program.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "view/Knobs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <memory>

using namespace varnilog;

namespace {

class ProgramTest : public test::MainWindowTest {
protected:
    // Creates the window over a configuration file holding text (no file when text is null).
    void start(const char* text) {
        ini = dir.filePath(QStringLiteral("varnilog.ini"));
        if (text) {
            test::writeFile(ini, text);
        }
        createWindow();
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    // Geometry in client coordinates (the central widget is the client area).
    QRect clientRect(const char* name) const {
        QWidget* w = child<QWidget>(name);
        return QRect(w->mapTo(form->centralWidget(), QPoint(0, 0)), w->size());
    }
    QString configValue(const char* key) const {
        return ProfileFile(ini).readString(QStringLiteral("CONFIG"), QString::fromLatin1(key),
                                           QStringLiteral("<none>"));
    }
};

TEST_F(ProgramTest, ComponentsSitAtTheirPlacesInTheClientArea) {
    start("[CONFIG]\n");
    EXPECT_EQ(form->centralWidget()->size(), QSize(776, 389));
    const struct {
        const char* name;
        QRect rect;
    } rows[] = {
        {"Label1", {39, 17, 502, 15}},       {"imgOsY", {0, 25, 38, 263}},
        {"Panel1", {38, 32, 502, 252}},      {"imgDisplay", {39, 33, 500, 250}},
        {"ProgressBar1", {38, 16, 502, 16}}, {"imgOsX", {28, 284, 520, 16}},
        {"ScrollBar1", {38, 304, 500, 17}},  {"PageControl1", {38, 320, 500, 49}},
        {"Panel4", {544, 8, 228, 41}},       {"Panel5", {544, 51, 228, 134}},
        {"Panel3", {544, 186, 228, 167}},    {"Panel6", {548, 355, 228, 17}},
        {"StatusBar1", {0, 373, 776, 16}},   {"Image1", {575, 87, 62, 62}},
        {"Image5", {616, 232, 82, 82}},      {"Image11", {669, 149, 32, 32}},
        {"Image3", {674, 65, 16, 64}},       {"Image7", {716, 65, 16, 64}},
        {"Shape1", {36, 17, 5, 13}},         {"Shape2", {36, 17, 5, 13}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(clientRect(r.name), r.rect) << r.name;
    EXPECT_TRUE(child<QWidget>("ProgressBar1")->isHidden());
    EXPECT_TRUE(child<QWidget>("Shape1")->isHidden());
    EXPECT_TRUE(child<QWidget>("Shape2")->isHidden());
}

TEST_F(ProgramTest, ButtonsCarryTheirCaptionsHintsAndStartStates) {
    start("[CONFIG]\n");
    const struct {
        const char* name;
        const char* text; // caption, or nullptr when only the hint matters
        const char* hint;
        bool enabled;
    } rows[] = {
        {"btStart", nullptr, "Start próbkowania", true},
        {"btStop", nullptr, "Zatrzymaj próbkowanie", false},
        {"btOpen", nullptr, "Otwórz", true},
        {"SpeedButton47", nullptr, "Wyjście z programu", true},
        {"SpeedButton71", nullptr, "Drukuj", true},
        {"SpeedButton72", nullptr, "Pomiary parametrów", true},
        {"SpeedButton73", nullptr, "FFT", true},
        {"SpeedButton74", nullptr, "Kursory", true},
        {"SpeedButton75", nullptr, "Działania na przebiegach", true},
        {"SpeedButton80", nullptr, "Ustawienia", true},
        {"SpeedButton2", nullptr, "Oddal", true},
        {"SpeedButton3", nullptr, "Zbliż", true},
        {"SpeedButton5", nullptr, "Pokaż całość", true},
        {"SpeedButton6", nullptr, "Pokaż zaznaczenie", true},
        {"SpeedButton4", nullptr, "Wyłącz powiększenie", true},
        {"SpeedButton18", "A", nullptr, true},
        {"SpeedButton19", "B", nullptr, true},
        {"SpeedButton20", "C", nullptr, false},
        {"SpeedButton49", "D", nullptr, false},
        {"SpeedButton43", "AC", nullptr, true},
        {"SpeedButton44", "GND", nullptr, true},
        {"SpeedButton45", "DC", nullptr, true},
        {"SpeedButton57", "+", nullptr, true},
        {"SpeedButton56", "-", nullptr, true},
        {"SpeedButton58", "0", nullptr, true},
        // KZ100: time bases 1..15 usable, the faster ones not.
        {"SpeedButton30", "1s", nullptr, true},
        {"SpeedButton29", "0.5s", nullptr, true},
        {"SpeedButton28", "0.2s", nullptr, true},
        {"SpeedButton27", "0.1s", nullptr, true},
        {"SpeedButton26", "50ms", nullptr, true},
        {"SpeedButton25", "20ms", nullptr, true},
        {"SpeedButton24", "10ms", nullptr, true},
        {"SpeedButton21", "5ms", nullptr, true},
        {"SpeedButton22", "2ms", nullptr, true},
        {"SpeedButton23", "1ms", nullptr, true},
        {"SpeedButton31", "0.5ms", nullptr, true},
        {"SpeedButton32", "0.2ms", nullptr, true},
        {"SpeedButton33", "0.1ms", nullptr, true},
        {"SpeedButton34", "50us", nullptr, true},
        {"SpeedButton35", "20us", nullptr, true},
        {"SpeedButton36", "10us", nullptr, false},
        {"SpeedButton37", "5us", nullptr, false},
        {"SpeedButton38", "2us", nullptr, false},
        {"SpeedButton39", "1us", nullptr, false},
        {"SpeedButton40", "0.5us", nullptr, false},
        {"SpeedButton41", "0.2us", nullptr, false},
        {"SpeedButton42", "0.1us", nullptr, false},
        {"SpeedButton16", "10V", nullptr, true},
        {"SpeedButton15", "5V", nullptr, true},
        {"SpeedButton14", "2V", nullptr, true},
        {"SpeedButton13", "1V", nullptr, true},
        {"SpeedButton12", "0.5V", nullptr, true},
        {"SpeedButton11", "0.2V", nullptr, true},
        {"SpeedButton10", "0.1V", nullptr, true},
        {"SpeedButton9", "50mV", nullptr, true},
        {"SpeedButton8", "20mV", nullptr, true},
        {"SpeedButton7", "10mV", nullptr, true},
    };
    for (const auto& r : rows) {
        auto* b = child<QAbstractButton>(r.name);
        if (!b)
            continue;
        if (r.text) {
            EXPECT_EQ(b->text(), QString::fromUtf8(r.text)) << r.name;
        }
        if (r.hint) {
            EXPECT_EQ(b->toolTip(), QString::fromUtf8(r.hint)) << r.name;
        }
        EXPECT_EQ(b->isEnabled(), r.enabled) << r.name;
    }
    EXPECT_EQ(child<QLineEdit>("edFilename")->text(), QStringLiteral("..."));
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("Przebieg czasowy"));
    EXPECT_EQ(child<QLabel>("Label16")->text(), QStringLiteral("0V"));
    EXPECT_EQ(child<QLabel>("lbV1")->text(), QStringLiteral("T:"));
    EXPECT_EQ(child<QLabel>("lbV2")->text(), QStringLiteral("U:"));
}

TEST_F(ProgramTest, TabsCheckBoxesAndCursorChoosers) {
    start("[CONFIG]\n");
    auto* tabs = child<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->widget(0)->objectName(), QStringLiteral("TabSheet1"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Widok"));
    EXPECT_EQ(tabs->widget(1)->objectName(), QStringLiteral("TabSheet2"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Kursory"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Wyzwalanie"));
    EXPECT_EQ(tabs->tabText(3), QString::fromUtf8("Poświata"));
    EXPECT_EQ(tabs->tabText(4), QStringLiteral("Wzorce"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    const struct {
        const char* name;
        const char* text;
        bool checked, enabled;
    } boxesRows[] = {
        {"chkA", "A", true, true},
        {"chkB", "B", true, true},
        {"chkC", "C", false, false},
        {"chkD", "D", false, false},
        {"chkPodglad", "Podgląd przy próbkowaniu", true, true},
        {"CheckBox1", "Aktywne", false, true},
    };
    for (const auto& r : boxesRows) {
        auto* b = child<QCheckBox>(r.name);
        EXPECT_EQ(b->text(), QString::fromUtf8(r.text)) << r.name;
        EXPECT_EQ(b->isChecked(), r.checked) << r.name;
        EXPECT_EQ(b->isEnabled(), r.enabled) << r.name;
    }
    EXPECT_EQ(child<QCheckBox>("CheckBox1")->toolTip(), QStringLiteral("Włącz kursory"));
    for (const char* name : {"ComboBox1", "ComboBox2"}) {
        auto* c = child<QComboBox>(name);
        ASSERT_EQ(c->count(), 4) << name;
        EXPECT_EQ(c->itemText(0) + c->itemText(1) + c->itemText(2) + c->itemText(3), QStringLiteral("ABCD"));
    }
    EXPECT_EQ(child<QComboBox>("ComboBox1")->toolTip(), QStringLiteral("Kursor1 na kanale:"));
    EXPECT_EQ(child<QComboBox>("ComboBox2")->toolTip(), QStringLiteral("Kursor2 na kanale:"));
    auto* timer = child<QTimer>("Timer1");
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(ProgramTest, MenusHoldTheirItemsAndTheModelsFormOneRadioGroup) {
    start("[CONFIG]\n");
    const struct {
        const char* name;
        const char* text;
    } items[] = {
        {"Odczyt1", "&Odczyt"},
        {"Zapiszdotxt1", "Eksport do .txt"},
        {"Koniec1", "Koniec"},
        {"Opis1", "&Opis"},
        {"Kalibracja1", "&Kalibracja"},
        {"OProgramie1", "O Programie"},
        {"Instrukcja1", "Instrukcja"},
        {"KZ100ATMega321", "KZ100 ATMega32"},
        {"KZ200ADuC8411", "KZ200 ADuC841"},
        {"KZ300LPC21421", "KZ300 LPC2142"},
        {"KZ400LPC21441", "KZ400 LPC2144"},
    };
    for (const auto& i : items)
        if (QAction* a = action(i.name)) {
            EXPECT_EQ(a->text(), QString::fromUtf8(i.text)) << i.name;
        }
    QStringList titles;
    for (QAction* a : form->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("&Plik"), QStringLiteral("&Opis"), QStringLiteral("&Kalibracja"),
                           QString::fromUtf8("&Układ"), QStringLiteral("P&omoc")}));
    EXPECT_EQ(child<QMenu>("Uklad")->title(), QString::fromUtf8("&Układ"));

    // Whatever is chosen, exactly that model is checked.
    const char* models[] = {"KZ100ATMega321", "KZ200ADuC8411", "KZ300LPC21421", "KZ400LPC21441"};
    for (int chosen : {2, 0, 3, 1}) {
        action(models[chosen])->trigger();
        for (int m = 0; m < 4; ++m)
            EXPECT_EQ(action(models[m])->isChecked(), m == chosen)
                << models[m] << " after " << models[chosen];
    }
}

TEST_F(ProgramTest, CaptionIsTheConfiguredModelsIdentification) {
    const struct {
        const char* config;
        const char* caption;
        const char* checked;
    } rows[] = {
        {"[CONFIG]\nUKLAD=1\n", "Torva Ferrolak KZ100 ver. 5.1 na ATMega32", "KZ100ATMega321"},
        {"[CONFIG]\nUKLAD=2\n", "Torva Dovrent KZ200 ver. 2.1 na ADuC841", "KZ200ADuC8411"},
        {"[CONFIG]\nUKLAD=3\n", "Torva Ferrolak KZ300 ver. 6.1 na LPC2142", "KZ300LPC21421"},
        {"[CONFIG]\nUKLAD=4\n", "Torva Quellin KZ400 ver. 1.1 na LPC2144", "KZ400LPC21441"},
        {nullptr, "Torva Ferrolak KZ100 ver. 5.1 na ATMega32", "KZ100ATMega321"}, // no file at all
        {"[CONFIG]\nUKLAD=9\n", "Varnilog 2k", "KZ100ATMega321"}, // unknown model: the resource caption stays
    };
    for (const auto& r : rows) {
        state = std::make_unique<SharedState>();
        QFile::remove(dir.filePath(QStringLiteral("varnilog.ini")));
        start(r.config);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(r.caption)) << (r.config ? r.config : "(no file)");
        EXPECT_TRUE(action(r.checked)->isChecked()) << r.checked;
    }
}

TEST_F(ProgramTest, UnknownModelLeavesEveryScaleButtonUsable) {
    start("[CONFIG]\nUKLAD=0\n");
    for (int i = 1; i <= 22; ++i)
        EXPECT_TRUE(form->timeBaseButton(i)->isEnabled()) << "time base " << i;
    for (int i = 1; i <= 10; ++i)
        EXPECT_TRUE(form->sensitivityButton(i)->isEnabled()) << "sensitivity " << i;
    // The refresh still runs: time base 15 of the initial state is shown.
    EXPECT_EQ(form->statusPanelText(12), QStringLiteral("20us"));
    EXPECT_FLOAT_EQ(state->samplingPeriodMs, 0.02f);
}

TEST_F(ProgramTest, ChoosingKZ200ClampsTheTimeBaseAndLimitsTheButtons) {
    start("[CONFIG]\nUKLAD=1\n");
    ASSERT_EQ(state->timeBaseIndex, 15);
    action("KZ200ADuC8411")->trigger();
    EXPECT_EQ(state->deviceModel, 2);
    EXPECT_EQ(state->timeBaseIndex, 11);
    EXPECT_FLOAT_EQ(state->samplingPeriodMs, 0.5f);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Torva Dovrent KZ200 ver. 2.1 na ADuC841"));
    EXPECT_EQ(form->statusPanelText(12), QStringLiteral("0.5ms"));
    EXPECT_EQ(form->statusPanelText(13), QStringLiteral("KZ200"));
    // Sensitivities 1 (10 V) are raised to the model's 3 (2 V).
    EXPECT_EQ(state->channelSensitivity[0], 3);
    EXPECT_EQ(form->statusPanelText(1), QStringLiteral("2V"));
    EXPECT_EQ(form->statusPanelText(4), QStringLiteral("2V"));
    // Mark of "0.5ms" is (58, 57) with 40 added to x; of 2 V at (40, 61).
    EXPECT_EQ(child<QWidget>("Image6")->pos(), QPoint(98, 57));
    EXPECT_EQ(child<QWidget>("Image2")->pos(), QPoint(40, 61));
    for (int i = 1; i <= 22; ++i)
        EXPECT_EQ(form->timeBaseButton(i)->isEnabled(), i <= 11) << "time base " << i;
    // The buttons of the range 2 V .. 0.1 V, and both recorded channels.
    const bool sensitivityEnabled[11] = {false, false, false, true,  true, true,
                                         true,  true,  false, false, false};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(form->sensitivityButton(i)->isEnabled(), sensitivityEnabled[i]) << "sensitivity " << i;
    EXPECT_TRUE(child<QAbstractButton>("SpeedButton18")->isEnabled());
    EXPECT_TRUE(child<QAbstractButton>("SpeedButton19")->isEnabled());

    // Going back to KZ100 keeps the clamped time base and frees every V/div button.
    action("KZ100ATMega321")->trigger();
    EXPECT_EQ(state->timeBaseIndex, 11);
    for (int i = 1; i <= 22; ++i)
        EXPECT_EQ(form->timeBaseButton(i)->isEnabled(), i <= 15) << "time base " << i;
    for (int i = 1; i <= 10; ++i)
        EXPECT_TRUE(form->sensitivityButton(i)->isEnabled()) << "sensitivity " << i;
}

TEST_F(ProgramTest, ChoosingKZ400RaisesTheRecordedChannelsSensitivity) {
    start("[CONFIG]\n");
    action("KZ400LPC21441")->trigger();
    EXPECT_EQ(state->channelSensitivity[0], 2);
    EXPECT_EQ(state->channelSensitivity[1], 2);
    EXPECT_EQ(state->channelSensitivity[2], 1);
    EXPECT_EQ(state->channelSensitivity[3], 1);
    EXPECT_EQ(state->timeBaseIndex, 13);
    EXPECT_FLOAT_EQ(state->referenceVoltage, 1.25f);
    const char* panels[17] = {"A:", "5V",  "AC", "B:",    "5V",    "AC",   "C:", "10V", "AC",
                              "D:", "10V", "AC", "0.1ms", "KZ400", "COM1", "",   ""};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(form->statusPanelText(i), QString::fromLatin1(panels[i])) << "panel " << i;
    EXPECT_EQ(child<QWidget>("Image2")->pos(), QPoint(40, 68));
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(form->sensitivityButton(i)->isEnabled(), i >= 2 && i <= 7) << "sensitivity " << i;
}

TEST_F(ProgramTest, StatusBarHasSeventeenPanels) {
    start("[CONFIG]\nCOMPORT=/dev/pts/7\n");
    auto* bar = child<QStatusBar>("StatusBar1");
    const auto* row = bar->findChild<QWidget*>(QStringLiteral("StatusPanels"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size(), 17);
    for (int i = 0; i < 17; ++i)
        EXPECT_NE(bar->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i)), nullptr) << i;
    const char* panels[17] = {"A:", "10V", "AC", "B:",   "10V",   "AC",         "C:", "10V", "AC",
                              "D:", "10V", "AC", "20us", "KZ100", "/dev/pts/7", "",   ""};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(form->statusPanelText(i), QString::fromLatin1(panels[i])) << "panel " << i;
    form->showStatusMessage(QStringLiteral("Brak odpowiedzi"));
    EXPECT_EQ(form->statusPanelText(16), QStringLiteral("Brak odpowiedzi"));
    EXPECT_EQ(form->statusPanelText(17), QString());
    EXPECT_EQ(form->statusPanelText(-1), QString());
}

TEST_F(ProgramTest, EndingTheProgramWritesTheWindowsKeys) {
    // Koniec1 (which did nothing in the old program) and the exit button both close the window.
    for (const char* how : {"Koniec1", "SpeedButton47"}) {
        state = std::make_unique<SharedState>();
        QFile::remove(dir.filePath(QStringLiteral("varnilog.ini")));
        start("[CONFIG]\nOFFSETZEROB=77\nDATADIR=/srv/pomiary\n");
        form->show();
        action("KZ300LPC21421")->trigger();
        form->move(123, 45);
        if (QString::fromLatin1(how) == QLatin1String("Koniec1"))
            action("Koniec1")->trigger();
        else
            child<QAbstractButton>("SpeedButton47")->click();
        EXPECT_FALSE(form->isVisible()) << how;
        const struct {
            const char* key;
            const char* value;
        } keys[] = {{"UKLAD", "3"},         {"WINTOP", "45"},           {"WINLEFT", "123"},
                    {"OFFSETZEROA", "100"}, {"OFFSETZEROB", "77"},      {"OFFSETZEROC", "100"},
                    {"OFFSETZEROD", "100"}, {"DATADIR", "/srv/pomiary"}};
        for (const auto& k : keys)
            EXPECT_EQ(configValue(k.key), QString::fromLatin1(k.value)) << how << " " << k.key;
    }
}

TEST_F(ProgramTest, MissingConfigurationIsCreatedAtClose) {
    start(nullptr);
    EXPECT_FALSE(QFile::exists(ini));
    form->show();
    form->close();
    EXPECT_EQ(configValue("UKLAD"), QStringLiteral("1"));
    EXPECT_EQ(configValue("OFFSETZEROD"), QStringLiteral("100"));
    EXPECT_NE(configValue("DATADIR"), QStringLiteral("<none>"));
    EXPECT_EQ(configValue("COMPORT"), QStringLiteral("<none>")); // the settings window's key
}

TEST_F(ProgramTest, WindowOpensCentredWhateverThePositionRead) {
    start("[CONFIG]\nWINTOP=5000\nWINLEFT=-300\n");
    EXPECT_EQ(form->pos(), QPoint(-300, 5000)); // applied as read...
    form->centreOnScreen();
    form->show();
    const QRect screen = form->screen()->availableGeometry();
    const QPoint offCentre = form->frameGeometry().center() - screen.center();
    EXPECT_LE(std::abs(offCentre.x()), 2); // ...and then the centring wins (QRect centres round down)
    EXPECT_LE(std::abs(offCentre.y()), 2);
}

TEST_F(ProgramTest, SensitivityButtonsSitWhereTheKnobGivesTheirIndex) {
    // A V/div button acts as the knob pressed at its centre, so each one must sit in its own sector.
    start("[CONFIG]\n");
    const QWidget* knob = child<QWidget>("Image1");
    const struct {
        const char* name;
        int index;
    } rows[] = {{"SpeedButton16", 1}, {"SpeedButton15", 2}, {"SpeedButton14", 3}, {"SpeedButton13", 4},
                {"SpeedButton12", 5}, {"SpeedButton11", 6}, {"SpeedButton10", 7}, {"SpeedButton9", 8},
                {"SpeedButton8", 9},  {"SpeedButton7", 10}};
    for (const auto& r : rows) {
        const QWidget* b = child<QWidget>(r.name);
        ASSERT_EQ(b->parentWidget(), knob->parentWidget()) << r.name;
        const int x = b->x() + b->width() / 2 - knob->x();
        const int y = b->y() + b->height() / 2 - knob->y();
        EXPECT_EQ(sensitivityFromKnob(x, y, 1, 10), r.index) << r.name;
    }
}

TEST_F(ProgramTest, PictureShowsTheBackgroundColourInTheWindowColour) {
    // CLTLO1 is 0x00BBGGRR: 0x804020 is blue 0x80, green 0x40, red 0x20 (read between grid lines).
    start("[CONFIG]\nCLTLO1=8405024\n");
    form->show();
    const QImage shot = form->grab().toImage();
    shot.save(QStringLiteral("/tmp/tform1.png"));
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    child<QWidget>("PageControl1")->grab().save(QStringLiteral("/tmp/tform1-kursory.png"));
    child<QTabWidget>("PageControl1")->setCurrentIndex(0);
    const QPoint origin = form->centralWidget()->mapTo(form, QPoint(0, 0));
    EXPECT_EQ(QColor(shot.pixel(origin + QPoint(39 + 262, 33 + 62))), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(QColor(shot.pixel(origin + QPoint(542, 3))), QColor(0xC0, 0xC0, 0xD0));
    // No offset: the offset mark stands straight above the knob's centre.
    EXPECT_EQ(child<QWidget>("Image12")->pos(), QPoint(138, 103));
    // Time base 15 of KZ100: mark at (42 + 40, 79).
    EXPECT_EQ(child<QWidget>("Image6")->pos(), QPoint(82, 79));
}

TEST_F(ProgramTest, WindowResourceDefaultsBeforeAndAfterStartUp) {
    ini = dir.filePath(QStringLiteral("none.ini"));
    makeWindow();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Varnilog 2k"));
    EXPECT_EQ(form->font().family(), QStringLiteral("Arial"));
    form->FormCreate();
    // Without WINTOP/WINLEFT the resource's own position is kept.
    EXPECT_EQ(form->pos(), QPoint(192, 107));
    // A fixed border: the window cannot be resized.
    form->show();
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->centralWidget()->size(), QSize(776, 389));
    // The window colour 13680832 is 0x00D0C0C0: red 0xC0, green 0xC0, blue 0xD0.
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xD0));
}

TEST_F(ProgramTest, DataFolderDefaultComesFromTheOptions) {
    // A configuration without DATADIR records into the folder the start-up chose (the documents
    // folder of an installed program), else into the executable's folder.
    ini = dir.filePath(QStringLiteral("none.ini"));
    makeWindow();
    ProgramOptions options;
    options.dataDirDefault = dir.filePath(QStringLiteral("Varnilog"));
    form->setProgramOptions(options);
    form->FormCreate();
    EXPECT_EQ(state->dataDir, QDir::toNativeSeparators(dir.filePath(QStringLiteral("Varnilog"))));

    state = std::make_unique<SharedState>();
    makeWindow();
    form->FormCreate();
    EXPECT_EQ(state->dataDir, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

TEST_F(ProgramTest, CursorMarkersTakeTheirChannelsColours) {
    // CL0 = 0x0000FF is pure red; CL1 = 0xFF0000 pure blue.
    start("[CONFIG]\nCL0=255\nCL1=16711680\n");
    EXPECT_EQ(child<QWidget>("Shape1")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(child<QWidget>("Shape2")->palette().color(QPalette::Window), QColor(255, 0, 0));
    state = std::make_unique<SharedState>();
    state->cursor2Channel = 1;
    start("[CONFIG]\nCL0=255\nCL1=16711680\n");
    EXPECT_EQ(child<QWidget>("Shape2")->palette().color(QPalette::Window), QColor(0, 0, 255));
}

TEST_F(ProgramTest, RepaintShowsTheLastComposedPicture) {
    start("[CONFIG]\n");
    form->show();
    // Whatever was composed last into bmpScreen is what a repaint puts on the screen.
    const QColor colours[] = {QColor(0, 200, 0), QColor(17, 34, 51)};
    for (const QColor& c : colours) {
        form->view().bmpScreen.fill(c);
        const QImage shot = child<QWidget>("imgDisplay")->grab().toImage();
        ASSERT_EQ(shot.size(), QSize(500, 250));
        for (const QPoint p : {QPoint(0, 0), QPoint(499, 249), QPoint(250, 125)})
            EXPECT_EQ(QColor(shot.pixel(p)), c) << p.x() << "," << p.y();
    }
}

} // namespace
