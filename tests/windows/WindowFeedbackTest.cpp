// What the main window tells while it records (a mark taken, the trigger's state after Stop) and what
// it tells a screen reader and the eye: names of the icon-only buttons, the marker kinds by name, the
// progress bar beside the waveform, not over it.
#include "LanguageTestSupport.h"
#include "app/Program.h"
#include "device/PtyBoard.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"
#include "windows/MarkersWindow.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace varnilog;

namespace {

class WindowFeedbackTest : public test::MainWindowTest {
protected:
    void TearDown() override { destroyWindows(); }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
};

} // namespace

TEST_F(WindowFeedbackTest, RecordingTellsOfMarksAndTheTriggerEndsWithStop) {
    ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
    BoardOptions options;
    options.channels = {ChannelSignal{Waveform::Pulse, 0, 1.0}, ChannelSignal{Waveform::Dc, 0, 0}};
    PtyBoard board(options);
    ASSERT_TRUE(board.start());
    createWindow();
    state->comPortName = board.slavePath();
    state->channelSensitivity = {4, 4, 4, 4};
    child<QComboBox>("cbTrigMode")->setCurrentIndex(2); // "Normalny"
    child<QDoubleSpinBox>("sbTrigLevel")->setValue(0.5);
    click("btStart");
    ASSERT_TRUE(state->samplingActive);
    for (int waited = 0; waited < 8000 && label("lbTrigStatus") != QString::fromUtf8("Wyzwolono");
         waited += 50)
        QTest::qWait(50);
    ASSERT_EQ(label("lbTrigStatus"), QString::fromUtf8("Wyzwolono"));
    click("btMark");
    const auto* message = child<QLabel>("StatusPanel16");
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("Dodano znacznik")))
        << message->text().toStdString();
    // Whole beside the panels of a recording (the count of skipped bytes among them).
    EXPECT_LE(message->fontMetrics().horizontalAdvance(message->text() + QLatin1Char('x')),
              message->contentsRect().width());

    click("btStop");
    EXPECT_EQ(label("lbTrigStatus"), QString::fromUtf8("Zatrzymano"));
}

TEST_F(WindowFeedbackTest, ButtonsAreNamedKindsByNameAndProgressBesideTheWaveform) {
    test::RestoreTestLanguage restore;
    const char* const iconButtons[] = {"btStart",       "btStop",        "btOpen",        "SpeedButton71",
                                       "SpeedButton72", "SpeedButton73", "SpeedButton74", "SpeedButton75",
                                       "SpeedButton80", "SpeedButton2",  "SpeedButton3",  "SpeedButton5",
                                       "SpeedButton6",  "SpeedButton4"};
    const QRegularExpression polishLetter(QStringLiteral("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]"));
    for (const Language language : {Language::Polish, Language::English}) {
        SCOPED_TRACE(languageCode(language).toStdString());
        ASSERT_TRUE(installProgramLanguage(*qApp, language));
        createWindow();
        for (const char* name : iconButtons) {
            const QString accessible = child<QToolButton>(name)->accessibleName();
            EXPECT_FALSE(accessible.isEmpty()) << name;
            if (language == Language::English) {
                EXPECT_FALSE(accessible.contains(polishLetter)) << name << ": " << accessible.toStdString();
            }
        }
        // The filter offers the kinds as words of the language, not as the file's codes.
        MarkersWindow markers;
        const auto* kinds = markers.findChild<QComboBox*>(QStringLiteral("cbKind"));
        for (int k = 0; k < kMarkerKindCount; ++k)
            EXPECT_NE(kinds->itemText(k + 1), markerKindName(static_cast<MarkerKind>(k))) << k;
        // Words an English user expects for leaving the program and selecting between markers.
        if (language == Language::English) {
            EXPECT_EQ(child<QAbstractButton>("SpeedButton47")->text(), QStringLiteral("Exit"));
            EXPECT_EQ(markers.findChild<QPushButton*>(QStringLiteral("btToNext"))->text(),
                      QStringLiteral("Select to next marker"));
        }
        const QWidget* picture = child<QWidget>("imgDisplay");
        const QWidget* bar = child<QWidget>("ProgressBar1");
        const QRect pictureRect(picture->mapTo(form, QPoint(0, 0)), picture->size());
        const QRect barRect(bar->mapTo(form, QPoint(0, 0)), bar->size());
        EXPECT_FALSE(pictureRect.intersects(barRect));
    }
}
