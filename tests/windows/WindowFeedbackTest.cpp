// What the main window tells while it records (a mark taken, the trigger's state after Stop) and what
// it tells a screen reader and the eye: names of the icon-only buttons, the marker kinds by name, the
// progress bar beside the waveform, not over it.
#include "LanguageTestSupport.h"
#include "app/Program.h"
#include "support/PulseBoardWindow.h"
#include "windows/MarkersWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace varnilog;

namespace {
class WindowFeedbackTest : public test::PulseBoardWindowTest {};
} // namespace

TEST_F(WindowFeedbackTest, RecordingTellsOfMarksAndTheTriggerEndsWithStop) {
    ASSERT_NO_FATAL_FAILURE(connectToBoard());
    setTrigger(2, 0.5); // "Normalny"
    click("btStart");
    ASSERT_TRUE(state->samplingActive);
    ASSERT_TRUE(waitForTriggerState("Wyzwolono")) << label("lbTrigStatus").toStdString();
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
