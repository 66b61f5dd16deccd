#include "windows/Unit7.h"

#include "WindowTestSupport.h"
#include "support/RecordingMessageBoxes.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

namespace {
struct CalibrationFixture {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    TForm7 form{*state, boxes};
    QComboBox* combo() { return child<QComboBox>(form, "ComboBox1"); }
    QSpinBox* spin() { return child<QSpinBox>(form, "RxSpinEdit1"); }
    void click(const char* name) { child<QPushButton>(form, name)->click(); }
};
} // namespace

TEST(Unit7Test, Layout) {
    CalibrationFixture f;
    EXPECT_EQ(f.form.windowTitle(), "Kalibracja");
    EXPECT_EQ(f.form.size(), QSize(190, 81));
    EXPECT_EQ(child<QGroupBox>(f.form, "GroupBox1")->title(),
              QString::fromUtf8("Kalibracja składowej stałej"));
    ASSERT_EQ(f.combo()->count(), 4);
    EXPECT_EQ(f.combo()->itemText(3), QString::fromUtf8("Kanał D"));
    EXPECT_EQ(f.spin()->minimum(), 0);
    EXPECT_EQ(f.spin()->maximum(), 255);
    EXPECT_EQ(f.spin()->toolTip(), QString::fromUtf8("(0..255) Domyślnie 100"));
    EXPECT_EQ(child<QPushButton>(f.form, "SpeedButton1")->size(), QSize(96, 25));
}

TEST(Unit7Test, WorkingCopySaveCancelAndCloseBox) {
    struct Row {
        const char* name;
        const char* leave; // "SpeedButton1" Zapisz, "SpeedButton2" Anuluj, "close"
        std::array<std::uint8_t, 4> after;
    } rows[] = {
        {"Zapisz stores every edited channel", "SpeedButton1", {120, 7, 100, 255}},
        {"Anuluj keeps the old values", "SpeedButton2", {100, 100, 100, 100}},
        {"close box acts like Anuluj", "close", {100, 100, 100, 100}},
    };
    for (const Row& r : rows) {
        CalibrationFixture f;
        f.form.show();
        EXPECT_EQ(f.combo()->currentIndex(), 0) << r.name;
        EXPECT_EQ(f.spin()->value(), 100) << r.name; // the default of every channel
        f.spin()->setValue(120);
        f.combo()->setCurrentIndex(1);
        EXPECT_EQ(f.spin()->value(), 100) << r.name;
        f.spin()->setValue(7);
        f.combo()->setCurrentIndex(0);
        EXPECT_EQ(f.spin()->value(), 120) << r.name; // A shows its edit again
        f.combo()->setCurrentIndex(3);
        f.spin()->setValue(300); // the field keeps to 0..255
        EXPECT_EQ(f.spin()->value(), 255) << r.name;
        if (std::string(r.leave) == "close")
            f.form.close();
        else
            f.click(r.leave);
        EXPECT_EQ(f.state->channelZeroOffset, r.after) << r.name;
    }
}

TEST(Unit7Test, EveryOpeningStartsFromTheSharedValuesAtChannelA) {
    CalibrationFixture f;
    f.state->channelZeroOffset = {10, 20, 30, 40};
    f.form.show();
    f.combo()->setCurrentIndex(2);
    f.spin()->setValue(99);
    f.click("SpeedButton2");
    f.form.show();
    EXPECT_EQ(f.combo()->currentIndex(), 0);
    EXPECT_EQ(f.spin()->value(), 10);
    f.combo()->setCurrentIndex(2);
    EXPECT_EQ(f.spin()->value(), 30); // the cancelled 99 is gone
    f.form.hide();
}

TEST(Unit7Test, TypedTextNamingNoChannelEditsNothing) {
    CalibrationFixture f;
    f.form.show();
    f.combo()->setCurrentIndex(1);
    f.combo()->setEditText("Kanał X");
    EXPECT_FALSE(f.spin()->isEnabled());
    f.spin()->setValue(5);
    f.click("SpeedButton1");
    EXPECT_EQ(f.state->channelZeroOffset, (std::array<std::uint8_t, 4>{100, 100, 100, 100}));
    // Typing a channel's name again edits that channel.
    f.form.show();
    f.combo()->setEditText(QString::fromUtf8("kanał c"));
    EXPECT_TRUE(f.spin()->isEnabled());
    f.spin()->setValue(42);
    f.click("SpeedButton1");
    EXPECT_EQ(f.state->channelZeroOffset, (std::array<std::uint8_t, 4>{100, 100, 42, 100}));
}

TEST(Unit7Test, TextThatIsNoWholeNumberCountsAsZero) {
    struct Row {
        const char* name;
        const char* typed; // into the emptied field
        std::uint8_t stored;
    } rows[] = {
        {"emptied field", "", 0},
        {"letters are refused, the field stays empty", "ab", 0},
        {"blank", " ", 0},
        {"a whole number", "7", 7},
    };
    for (const Row& r : rows) {
        CalibrationFixture f;
        f.state->channelZeroOffset = {120, 120, 120, 120};
        f.form.show();
        QSpinBox* spin = f.spin();
        spin->setFocus();
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Backspace);
        QTest::keyClicks(spin, r.typed);
        f.click("SpeedButton1"); // Zapisz, with the typed text still in the field
        EXPECT_EQ(f.state->channelZeroOffset[0], r.stored) << r.name;
        EXPECT_EQ(f.state->channelZeroOffset[1], 120) << r.name;
        // Leaving the field shows the value that counts.
        f.form.show();
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Backspace);
        QTest::keyClicks(spin, r.typed);
        spin->interpretText();
        EXPECT_EQ(spin->value(), r.stored) << r.name;
        EXPECT_EQ(spin->text().toStdString(), std::to_string(r.stored)) << r.name;
        f.form.hide();
    }
}
