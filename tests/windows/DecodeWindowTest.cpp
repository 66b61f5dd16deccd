// The decode window over a recorded UART line: a decoder found by the search, its channel, the bit
// rate's warning and guess, the decode on the worker, the rows under the picture (which move the
// controls below and go again with the recording), the table's line that centres the view, F3.
#include "windows/DecodeWindow.h"
#include "app/Program.h"
#include "support/MainWindowFixture.h"
#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"
#include "view/MarkerFlags.h"
#include "windows/AnnotationRowsWidget.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace varnilog;

namespace {

class DecodeWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        // 100 baud at 1 kHz: ten samples a bit, offset from the zero line.
        const test::Codes a = test::analogCodes(test::uartLevels({'H', 'i', '!'}, 10), {110, 170, 1, 0, 4});
        ros = test::writeRecording(dir.path(), QStringLiteral("uart"),
                                   {10, 4, 4, 2, {a, test::Codes(a.size(), 125)}});
        createWindow();
        form->openRecording(ros);
        ASSERT_GT(state->sampleCount, 500);
        form->findChild<QAction*>(QStringLiteral("Dekodowanie1"))->trigger();
        window = form->findChild<DecodeWindow*>();
        ASSERT_NE(window, nullptr);
    }
    template <typename T> T* get(const char* name) { return test::child<T>(*window, name); }
    QString textOf(int line) const {
        return QString::fromStdString(window->rows().items[window->tableItems()[line]].texts.front());
    }

    QString ros;
    DecodeWindow* window = nullptr;
};

TEST_F(DecodeWindowTest, DecodesDrawsRowsAndCentresTheView) {
    EXPECT_TRUE(window->isVisible());
    auto* rowsWidget = form->findChild<AnnotationRowsWidget*>();
    ASSERT_NE(rowsWidget, nullptr);
    EXPECT_TRUE(rowsWidget->isHidden());
    const int height = form->centralWidget()->height(),
              scrollY = test::child<QWidget>(*form, "ScrollBar1")->y();

    get<QLineEdit>("edSzukaj")->setText(QStringLiteral("UART"));
    auto* library = get<QListWidget>("lbDekodery");
    ASSERT_GE(library->count(), 1);
    EXPECT_LT(library->count(), 10);
    for (int i = 0; i < library->count(); ++i)
        if (library->item(i)->data(Qt::UserRole).toString() == QStringLiteral("uart"))
            library->setCurrentRow(i);
    get<QPushButton>("btDodaj")->click();
    EXPECT_EQ(get<QListWidget>("lbStos")->count(), 1);
    EXPECT_EQ(get<QComboBox>("cbKanal_rx")->currentText(), QStringLiteral("A"));
    EXPECT_EQ(get<QComboBox>("cbKanal_tx")->currentIndex(), 0); // the second optional one: unmapped

    // The default 115200 baud needs four samples a bit the 1 kHz rate cannot give; the guess reads 100.
    auto* baud = get<QLineEdit>("op_baudrate");
    EXPECT_EQ(baud->text(), QStringLiteral("115200"));
    EXPECT_FALSE(get<QLabel>("lbOstrzezenie")->isHidden());
    get<QPushButton>("btZgadnij")->click();
    window->longWork().wait();
    EXPECT_EQ(baud->text(), QStringLiteral("100"));
    EXPECT_TRUE(get<QLabel>("lbOstrzezenie")->isHidden());

    get<QComboBox>("op_format")->setCurrentText(QStringLiteral("ascii"));
    get<QPushButton>("btDekoduj")->click();
    EXPECT_FALSE(get<QPushButton>("btDekoduj")->isEnabled());
    window->longWork().wait();
    get<QLineEdit>("edFiltr")->setText(QStringLiteral("rx-data-bits"));
    EXPECT_EQ(window->tableItems().size(), 24u); // eight bits a byte
    get<QLineEdit>("edFiltr")->clear();
    QStringList bytes; // class 0: the data
    for (std::size_t line = 0; line < window->tableItems().size(); ++line)
        if (window->rows().items[window->tableItems()[line]].colour == 0)
            bytes << textOf(static_cast<int>(line));
    EXPECT_EQ(bytes, QStringList({"H", "i", "!"}));

    // Rows of bits and of bytes under the picture; the controls below move down by their height.
    ASSERT_FALSE(rowsWidget->isHidden());
    ASSERT_EQ(window->rows().rows.size(), 2u);
    EXPECT_EQ(rowsWidget->rowsHeight(), 2 * kAnnotationRowHeight);
    EXPECT_EQ(form->centralWidget()->height(), height + rowsWidget->rowsHeight() + 4);
    EXPECT_EQ(test::child<QWidget>(*form, "ScrollBar1")->y(), scrollY + rowsWidget->rowsHeight() + 4);

    // The line of "i" puts it in the middle of the view; the rows follow, and hovering it names it.
    int line = 0;
    while (textOf(line) != QStringLiteral("i"))
        ++line;
    window->chooseLine(line);
    const AnnotationItem& i = window->rows().items[window->tableItems()[line]];
    EXPECT_EQ(state->viewStart, centredViewStart((i.start + i.end) / 2, state->zoomDivisor, kDisplayColumns));
    const int column = static_cast<int>((i.start + i.end) / 2 - state->viewStart);
    EXPECT_TRUE(rowsWidget->hoverText({AnnotationRowsWidget::kMargin + column, kAnnotationRowHeight + 5})
                    .startsWith(QStringLiteral("i\n")));
    int ink = 0; // the box's letter drawn in black
    for (int y = kAnnotationRowHeight; y < 2 * kAnnotationRowHeight; ++y)
        for (int x = column - 10; x < column + 10; ++x)
            ink += qGray(rowsWidget->picture().pixel(x, y)) < 60;
    EXPECT_GT(ink, 3);

    // F3 finds the byte typed in hex, Shift+F3 goes back; nothing after the last.
    get<QLineEdit>("edZnajdz")->setText(QStringLiteral("0x21"));
    QTest::keyClick(window, Qt::Key_F3);
    EXPECT_EQ(textOf(window->chosenLine()), QStringLiteral("!"));
    get<QLineEdit>("edZnajdz")->setText(QStringLiteral("h"));
    QTest::keyClick(window, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(textOf(window->chosenLine()), QStringLiteral("H"));

    // Rows turned off: the window as before; on again: the rows back.
    test::child<QCheckBox>(*window, "chkWiersze")->setChecked(false);
    EXPECT_TRUE(rowsWidget->isHidden());
    EXPECT_EQ(form->centralWidget()->height(), height);
    test::child<QCheckBox>(*window, "chkWiersze")->setChecked(true);
    EXPECT_FALSE(rowsWidget->isHidden());

    // The recording again: its annotations are gone, the window as before.
    form->openRecording(ros);
    EXPECT_TRUE(window->rows().empty());
    EXPECT_TRUE(rowsWidget->isHidden());
    EXPECT_EQ(form->centralWidget()->height(), height);
    EXPECT_EQ(test::child<QWidget>(*form, "ScrollBar1")->y(), scrollY);
}

} // namespace

// The decoders' embedded Python keeps what it allocated until the process ends: the window tests'
// leak check leaves it out as the core's tests do (LeakSanitizer asks for this at start).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpython3\nleak:libsigrokdecode\nleak:g_malloc\n";
}
