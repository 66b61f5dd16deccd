#include "windows/Ustawienia.h"
#include "LanguageTestSupport.h"

#include "ScriptedDialogs.h"
#include "WindowTestSupport.h"
#include "recording/ProfileFile.h"
#include "support/RecordingMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

namespace {

struct SettingsFixture {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    QStringList ports{"ttyS0", "ttyUSB0"};
    TForm4 form{*state, boxes};

    SettingsFixture() {
        form.setDialogs(&dialogs);
        form.setConfigurationPath(dir.filePath("varnilog.ini"));
        form.setPortLister([this] { return ports; });
        state->comPortName = "ttyUSB1";
        state->channelColor = {0x0000FF, 0x00FF00, 0xFF0000, 0x123456};
        state->backgroundColor1 = 0x010203;
        state->backgroundColor2 = 0x040506;
        state->gradientOn = true;
    }
    QComboBox* combo() { return child<QComboBox>(form, "ComboBox2"); }
    QCheckBox* check() { return child<QCheckBox>(form, "CheckBox1"); }
    void click(const char* name) { child<QPushButton>(form, name)->click(); }
    // The colour a swatch shows, taken from its middle pixel.
    QRgb swatch(const char* name) { return child<QFrame>(form, name)->grab().toImage().pixel(12, 12); }
    QString key(const char* name) {
        return ProfileFile(dir.filePath("varnilog.ini")).readString("CONFIG", name, "-");
    }
};

} // namespace

TEST(UstawieniaTest, LayoutAndOpening) {
    SettingsFixture f;
    EXPECT_EQ(f.form.windowTitle(), "Ustawienia");
    auto* pages = child<QTabWidget>(f.form, "PageControl1");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), QString::fromUtf8("Urządzenie"));
    EXPECT_EQ(pages->tabText(1), QString::fromUtf8("Wygląd"));
    EXPECT_EQ(f.check()->text(), QString::fromUtf8("Użyj jednego koloru"));
    EXPECT_EQ(f.combo()->currentText(), "Auto"); // the design text until the window opens
    f.form.show();
    // Swatches: A, B, C, D and the two background colours, 0x00BBGGRR shown as RGB.
    struct Row {
        const char* shape;
        QRgb rgb;
    } rows[] = {{"Shape3", 0xFFFF0000}, {"Shape1", 0xFF00FF00}, {"Shape4", 0xFF0000FF},
                {"Shape5", 0xFF563412}, {"Shape2", 0xFF030201}, {"Shape6", 0xFF060504}};
    for (const Row& r : rows)
        EXPECT_EQ(f.swatch(r.shape), r.rgb) << r.shape;
    EXPECT_EQ(f.combo()->currentText(), "ttyUSB1"); // the configured port, whether listed or not
    EXPECT_EQ(f.combo()->count(), 2);
    EXPECT_EQ(f.combo()->itemText(0), "ttyS0");
    EXPECT_EQ(f.combo()->itemText(1), "ttyUSB0");
    EXPECT_FALSE(f.check()->isChecked()); // gradient on: "one colour" unchecked
    f.form.hide();

    // With no ports the list is empty and the text still shows the configured port; an extra port
    // (the simulator's) is offered after the ports found.
    f.ports.clear();
    f.form.show();
    EXPECT_EQ(f.combo()->count(), 0);
    EXPECT_EQ(f.combo()->currentText(), "ttyUSB1");
    f.form.hide();
    f.form.setExtraPorts({"/dev/pts/7"});
    f.form.show();
    EXPECT_EQ(f.combo()->count(), 1);
    EXPECT_EQ(f.combo()->itemText(0), "/dev/pts/7");
    EXPECT_EQ(f.combo()->currentText(), "ttyUSB1");
    f.form.hide();
}

TEST(UstawieniaTest, SaveWritesTheEightKeys) {
    struct Row {
        const char* name;
        const char* typedPort; // nullptr = unchanged
        const char* port;
        bool oneColour; // CheckBox1 clicked to this state (or left)
        const char* gradient;
    } rows[] = {
        {"no changes", nullptr, "ttyUSB1", false, "1"},
        {"typed port not in the list", "ttyACM3", "ttyACM3", false, "1"},
        {"one colour", nullptr, "ttyUSB1", true, "0"},
    };
    for (const Row& r : rows) {
        SettingsFixture f;
        f.form.show();
        if (r.typedPort != nullptr)
            f.combo()->setEditText(r.typedPort);
        if (r.oneColour)
            f.check()->click();
        f.click("SpeedButton1");
        EXPECT_FALSE(f.form.isVisible()) << r.name;
        EXPECT_EQ(f.state->comPortName.toStdString(), r.port) << r.name;
        EXPECT_EQ(f.key("COMPORT").toStdString(), r.port) << r.name;
        EXPECT_EQ(f.key("CL0"), "255") << r.name;
        EXPECT_EQ(f.key("CL1"), "65280") << r.name;
        EXPECT_EQ(f.key("CL2"), "16711680") << r.name;
        EXPECT_EQ(f.key("CL3"), "1193046") << r.name;
        EXPECT_EQ(f.key("CLTLO1"), "66051") << r.name;
        EXPECT_EQ(f.key("CLTLO2"), "263430") << r.name;
        EXPECT_EQ(f.key("GRADIENT").toStdString(), r.gradient) << r.name;
        EXPECT_TRUE(f.boxes.shown.empty()) << r.name;
    }
}

TEST(UstawieniaTest, ColoursCancelAndCloseBox) {
    struct Row {
        const char* name;
        const char* button;
        std::optional<QColor> answer;
        const char* leave; // "SpeedButton2" (Anuluj), "SpeedButton1" (Zapisz), "close"
        std::int32_t expectedA, expectedBack1;
        bool gradientAfter;
    } rows[] = {
        {"colour then Anuluj restores it", "SpeedButton3", QColor(0x10, 0x20, 0x30), "SpeedButton2", 0x0000FF,
         0x010203, true},
        {"colour then Zapisz keeps it", "SpeedButton3", QColor(0x10, 0x20, 0x30), "SpeedButton1", 0x302010,
         0x010203, true},
        {"colour then close box keeps it", "SpeedButton3", QColor(0x10, 0x20, 0x30), "close", 0x302010,
         0x010203, true},
        {"cancelled dialog leaves the colour", "SpeedButton3", std::nullopt, "SpeedButton1", 0x0000FF,
         0x010203, true},
        {"background colour then Anuluj", "SpeedButton7", QColor(0xAA, 0xBB, 0xCC), "SpeedButton2", 0x0000FF,
         0x010203, true},
        {"background colour then Zapisz", "SpeedButton7", QColor(0xAA, 0xBB, 0xCC), "SpeedButton1", 0x0000FF,
         0xCCBBAA, true},
        {"one colour toggled then Anuluj stays toggled", nullptr, std::nullopt, "SpeedButton2", 0x0000FF,
         0x010203, false},
    };
    for (const Row& r : rows) {
        SettingsFixture f;
        f.form.show();
        if (r.button != nullptr) {
            f.dialogs.colors = {r.answer};
            f.click(r.button);
            ASSERT_EQ(f.dialogs.colorPresets.size(), 1u) << r.name;
            // The dialog opens on the value's current colour.
            const QRgb preset = std::string(r.button) == "SpeedButton3" ? 0xFFFF0000 : 0xFF030201;
            EXPECT_EQ(f.dialogs.colorPresets[0].rgb(), preset) << r.name;
        } else {
            f.check()->click();
        }
        if (std::string(r.leave) == "close")
            f.form.close();
        else
            f.click(r.leave);
        EXPECT_EQ(f.state->channelColor[0], r.expectedA) << r.name;
        EXPECT_EQ(f.state->backgroundColor1, r.expectedBack1) << r.name;
        EXPECT_EQ(f.state->gradientOn, r.gradientAfter) << r.name;
        EXPECT_EQ(f.state->channelColor[3], 0x123456) << r.name;
        // Only "Zapisz" writes the file.
        EXPECT_EQ(QFile::exists(f.dir.filePath("varnilog.ini")), std::string(r.leave) == "SpeedButton1")
            << r.name;
    }
}

TEST(UstawieniaTest, ChosenColourShowsInItsSwatchAtOnce) {
    SettingsFixture f;
    f.form.show();
    struct Row {
        const char* button;
        const char* shape;
        std::int32_t* value;
    } rows[] = {{"SpeedButton4", "Shape1", &f.state->channelColor[1]},
                {"SpeedButton5", "Shape4", &f.state->channelColor[2]},
                {"SpeedButton6", "Shape5", &f.state->channelColor[3]},
                {"SpeedButton8", "Shape6", &f.state->backgroundColor2}};
    for (const Row& r : rows) {
        f.dialogs.colors = {QColor(0x11, 0x22, 0x33)};
        f.click(r.button);
        EXPECT_EQ(f.swatch(r.shape), 0xFF112233u) << r.button;
        EXPECT_EQ(*r.value, 0x332211) << r.button;
    }
    f.form.hide();
}

TEST(UstawieniaTest, UnwritableConfigurationIsReported) {
    SettingsFixture f;
    f.form.setConfigurationPath(f.dir.filePath("no/such/folder/varnilog.ini"));
    f.form.show();
    f.click("SpeedButton1");
    EXPECT_EQ(f.boxes.errors().size(), 1);
    EXPECT_EQ(f.state->comPortName, "ttyUSB1");
}

// "Język": the choice acts on every window at once, "Anuluj" takes it back, "Zapisz" and the close box
// keep it (only "Zapisz" writes it).
TEST(UstawieniaTest, LanguageActsAtOnceAndCancelTakesItBack) {
    struct Row {
        const char* leave; // "SpeedButton2" (Anuluj), "SpeedButton1" (Zapisz), "close"
        Language after;
        const char* written;
    } rows[] = {
        {"SpeedButton2", Language::Polish, "-"},
        {"SpeedButton1", Language::English, "en"},
        {"close", Language::English, "-"},
    };
    for (const Row& r : rows) {
        RestoreTestLanguage restore;
        SettingsFixture f;
        f.form.show();
        auto* language = child<QComboBox>(f.form, "ComboBoxLanguage");
        ASSERT_EQ(language->count(), 2);
        EXPECT_EQ(language->itemText(0), "Polski");
        EXPECT_EQ(language->itemText(1), "English");
        EXPECT_EQ(language->currentIndex(), 0);
        QTest::keyClick(language, Qt::Key_Down); // as the user picks "English"
        QApplication::processEvents();           // the windows retranslate on a posted event
        EXPECT_EQ(f.state->language, Language::English) << r.leave;
        EXPECT_EQ(currentLanguage(*qApp), Language::English) << r.leave;
        EXPECT_EQ(f.form.windowTitle(), "Settings") << r.leave;
        EXPECT_EQ(f.combo()->currentText(), "ttyUSB1") << r.leave; // the port typed stays
        if (std::string(r.leave) == "close")
            f.form.close();
        else
            f.click(r.leave);
        EXPECT_EQ(f.state->language, r.after) << r.leave;
        EXPECT_EQ(currentLanguage(*qApp), r.after) << r.leave;
        EXPECT_EQ(f.key("LANGUAGE").toStdString(), r.written) << r.leave;
        // Opened again, the window shows the language in use.
        f.form.show();
        EXPECT_EQ(language->currentIndex(), r.after == Language::English ? 1 : 0) << r.leave;
        f.form.hide();
    }
}
