// "Działania na przebiegach" over a loaded recording: A − B into C on the worker, after which C is a
// channel of the main window (its box enabled and checked, its V/div in the status bar); replacing
// recorded data only after the user agrees; removing C takes the channel away again.
#include "windows/MathWindow.h"
#include "analysis/Measurements.h"
#include "app/Program.h"
#include "recording/SetLock.h"
#include "spectrum/Unit5.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingSet.h"
#include "windows/FormulaPreview.h"
#include "windows/ScriptedDialogs.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

using namespace varnilog;

namespace {

class MathWindowTest : public test::MainWindowTest {
protected:
    void open(const std::vector<test::Codes>& channels, int channelCount = 2) {
        test::writeFile(ini, QStringLiteral("[CONFIG]\nDATADIR=%1\n").arg(dir.path()).toUtf8());
        test::RecordingContents contents;
        contents.channels = channels;
        contents.channelCount = channelCount;
        ros = test::writeRecording(dir.path(), QStringLiteral("2024-05-06 07.08.09"), contents);
        makeWindow().setDialogs(&dialogs);
        form->FormCreate();
        form->openRecording(ros);
    }
    // Opens the window and runs drive in it; the window is closed afterwards if drive left it open.
    void inWindow(const std::function<void(MathWindow&)>& drive) {
        QTimer::singleShot(0, form, [this, drive] {
            auto* w = form->findChild<MathWindow*>();
            ASSERT_NE(w, nullptr);
            drive(*w);
            if (w->isVisible() && !w->busy())
                test::child<QPushButton>(*w, "btAnuluj")->click();
        });
        test::child<QAbstractButton>(*form, "SpeedButton75")->click();
    }
    static void compute(MathWindow& w, int operation, const char* target, int sensitivity) {
        if (operation >= 0)
            test::child<QComboBox>(w, "cbDzialanie")->setCurrentIndex(operation);
        test::child<QRadioButton>(w, target)->setChecked(true);
        test::child<QComboBox>(w, "cbCzulosc")->setCurrentIndex(sensitivity);
        test::child<QPushButton>(w, "btOblicz")->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.busy(); }, 5000));
        QCoreApplication::processEvents(); // the worker's end arrives queued
    }
    QByteArray fileOf(const char* extension) const {
        return test::readFile(dir.filePath(QStringLiteral("2024-05-06 07.08.09") + QLatin1String(extension)));
    }

    QString ros;
    test::ScriptedDialogs dialogs;
};

TEST_F(MathWindowTest, DifferenceIntoCBecomesAChannelOfTheView) {
    // A 150, 100 at 1 V/div, B 125, 150: A − B is 1 V, -2 V; at 0.5 V/div 50 and 100 codes from zero.
    open({{150, 100, 150, 100}, {125, 150, 125, 150}});
    auto* chkC = test::child<QCheckBox>(*form, "chkC");
    EXPECT_FALSE(chkC->isEnabled());
    inWindow([](MathWindow& w) { compute(w, 1, "rbC", 5); });
    EXPECT_EQ(fileOf(".rcc"), QByteArray("\xAF\x19\xAF\x19", 4)); // 175, 25
    EXPECT_TRUE(chkC->isEnabled());
    EXPECT_TRUE(chkC->isChecked());
    EXPECT_TRUE(state->channelVisible[2]);
    EXPECT_FALSE(test::child<QCheckBox>(*form, "chkD")->isEnabled());
    EXPECT_EQ(state->channelCount, 3);
    EXPECT_EQ(form->statusPanelText(7), QStringLiteral("0.5V"));
    EXPECT_TRUE(boxes.shown.empty());
    {
        // The spectrum window offers C, not D.
        TForm5 form5(*state, boxes);
        form5.FormShow();
        EXPECT_TRUE(test::child<QCheckBox>(form5, "chkC")->isEnabled());
        EXPECT_FALSE(test::child<QCheckBox>(form5, "chkD")->isEnabled());
    }

    // Removing it takes the box away again and lowers the count.
    inWindow([](MathWindow& w) { test::child<QPushButton>(w, "btUsunC")->click(); });
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("2024-05-06 07.08.09.rcc"))));
    EXPECT_FALSE(chkC->isEnabled());
    EXPECT_FALSE(chkC->isChecked());
    EXPECT_FALSE(state->channelVisible[2]);
    EXPECT_EQ(state->channelCount, 2);
}

TEST_F(MathWindowTest, RecordedDataIsReplacedOnlyWhenTheUserAgrees) {
    open({{150}, {125}, {7}}, 3);
    EXPECT_TRUE(test::child<QCheckBox>(*form, "chkC")->isEnabled()); // recorded C is a channel too
    boxes.answers = {false};
    inWindow([](MathWindow& w) { compute(w, 3, "rbC", 4); });
    EXPECT_EQ(fileOf(".rcc"), QByteArray("\x07"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, "yesno");
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("Kanał C zawiera nagrane dane. Zastąpić je?"));
    boxes.answers = {true};
    inWindow([](MathWindow& w) { compute(w, 3, "rbC", 4); });
    EXPECT_EQ(fileOf(".rcc"), QByteArray("\x64")); // -A: 100
}

TEST_F(MathWindowTest, OperationsNeedingBRefuseWithoutIt) {
    open({{150, 150}});
    inWindow([](MathWindow& w) { compute(w, 0, "rbD", 0); });
    EXPECT_EQ(boxes.errors(), QStringList{QString::fromUtf8("Nagranie nie zawiera kanału B.")});
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("2024-05-06 07.08.09.rcd"))));
    // -A needs no B. At Auto the most sensitive scale that holds -1 V is 0.2 V/div: 125 codes below
    // the zero line, code 0 (0.1 V/div would need -250).
    inWindow([](MathWindow& w) { compute(w, 3, "rbD", 0); });
    EXPECT_EQ(fileOf(".rcd"), QByteArray(2, '\0'));
    EXPECT_EQ(state->channelSensitivity[3], 6);
    EXPECT_TRUE(test::child<QCheckBox>(*form, "chkD")->isChecked());
}

} // namespace

TEST_F(MathWindowTest, AnulujStopsTheComputationAndWritesNothing) {
    open({{150, 100, 150, 100}, {125, 150, 125, 150}});
    inWindow([](MathWindow& w) {
        // The worker holds at its first block until the window thread has asked it to stop.
        w.longWork().setWorkerProgressHook([&w] {
            QDeadlineTimer deadline(5000);
            while (!w.longWork().cancelRequested() && !deadline.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        test::child<QPushButton>(w, "btOblicz")->click();
        ASSERT_TRUE(w.busy());
        test::child<QPushButton>(w, "btAnuluj")->click(); // while busy: stops, the window stays
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.busy(); }, 5000));
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.changed());
        EXPECT_EQ(w.computedChannel(), -1);
    });
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("2024-05-06 07.08.09.rcc"))));
    EXPECT_EQ(state->channelCount, 2);
    EXPECT_TRUE(boxes.shown.empty());
}

// Another program changes the recording on display: the window shows the new channel with its own
// scale, a measurement prepared before the change refuses the replaced file instead of mixing it with
// the old scale, and a change asked for here while the other program holds the set is refused.
TEST_F(MathWindowTest, AChangeByAnotherProgramIsShownAndNeverMixed) {
    open({{150, 100, 150, 100}, {125, 150, 125, 150}});
    const auto outside = [this](int sensitivity) {
        OperationRequest r;
        r.rosPath = ros;
        r.op = *parseOperation(QStringLiteral("A-B"));
        r.sensitivity = sensitivity;
        r.sourceSensitivity = {4, 4};
        ASSERT_TRUE(computeDerivedChannel(r).ok());
    };
    outside(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->channelCount == 3; }, 5000));
    EXPECT_EQ(state->channelSensitivity[2], 5);
    EXPECT_TRUE(test::child<QCheckBox>(*form, "chkC")->isEnabled());

    const MeasureRequest before = measureRequestFor(*state, 0, 4);
    outside(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->channelSensitivity[2] == 3; }, 5000));
    const MeasureResult stale = measureSpan(before);
    EXPECT_FALSE(stale.ok);
    EXPECT_TRUE(stale.error.endsWith(QStringLiteral("the recording changed while it was read")))
        << stale.error.toStdString();
    EXPECT_TRUE(measureSpan(measureRequestFor(*state, 0, 4)).ok);

    SetLock other;
    QString error;
    ASSERT_EQ(other.lock(ros, 0, error), SetLock::Result::Locked);
    inWindow([](MathWindow& w) { compute(w, 1, "rbD", 5); });
    EXPECT_EQ(boxes.errors(), QStringList{QString::fromUtf8("Nagranie jest zmieniane przez inny program")});
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("2024-05-06 07.08.09.rcd"))));
}

TEST_F(MathWindowTest, ComputingKeepsTheViewWhereItWas) {
    open({test::Codes(3000, 150), test::Codes(3000, 125)});
    auto* scroll = test::child<QScrollBar>(*form, "ScrollBar1");
    scroll->setValue(scroll->maximum() / 2);
    const std::int64_t viewStart = state->viewStart;
    ASSERT_GT(viewStart, 0);
    inWindow([](MathWindow& w) { compute(w, 1, "rbC", 5); });
    EXPECT_TRUE(test::child<QCheckBox>(*form, "chkC")->isChecked());
    EXPECT_EQ(state->viewStart, viewStart);
    EXPECT_EQ(scroll->value(), scroll->maximum() / 2);
}

// An expression of the channels: a fault named at its character while typing (and "Oblicz" refused),
// today's operations as presets, and a preview over the view, computed off the window's thread, equal
// to what is then written.
TEST_F(MathWindowTest, ExpressionIsCheckedPreviewedAndWritten) {
    test::Codes a(3000), b(3000);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = static_cast<std::uint8_t>(100 + i % 50);
        b[i] = static_cast<std::uint8_t>(150 - i % 30);
    }
    open({a, b});
    state->viewStart = 1200;
    std::vector<std::uint8_t> preview;
    inWindow([&](MathWindow& w) {
        auto* field = test::child<QLineEdit>(w, "leWyrazenie");
        test::child<QComboBox>(w, "cbDzialanie")->setCurrentIndex(5);
        EXPECT_EQ(field->text(), QStringLiteral("avg(A,16)"));
        EXPECT_TRUE(w.expressionIsOperation());
        field->setText(QStringLiteral("0.5*(A+E)"));
        EXPECT_EQ(w.expressionError().first, 8);
        EXPECT_EQ(test::child<QLabel>(w, "lbBlad")->text(), QStringLiteral("nieznana nazwa 'E' w znaku 8"));
        EXPECT_FALSE(test::child<QPushButton>(w, "btOblicz")->isEnabled());
        field->setText(QStringLiteral("lowpass(A,50)*B"));
        EXPECT_FALSE(w.expressionError().failed());
        EXPECT_TRUE(test::child<QPushButton>(w, "btOblicz")->isEnabled());
        test::child<QComboBox>(w, "cbCzulosc")->setCurrentIndex(3);
        // The preview runs on its worker; a newer one replaces what an older one would show.
        field->setText(QStringLiteral("-A"));
        w.refreshPreview();
        field->setText(QStringLiteral("lowpass(A,50)*B"));
        w.refreshPreview();
        w.waitForPreview();
        preview = test::child<FormulaPreview>(w, "wPodglad")->codes();
        compute(w, -1, "rbD", 3);
    });
    const QByteArray written = fileOf(".rcd");
    ASSERT_EQ(written.size(), 3000);
    ASSERT_FALSE(preview.empty());
    EXPECT_EQ(test::bytesOf(preview), written.mid(1200, static_cast<qsizetype>(preview.size())));
    EXPECT_TRUE(test::readFile(ros).contains("OPERACJAD=lowpass(A,50)*B"));
}
