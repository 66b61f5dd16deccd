// The selection counts for the export, "Dodaj zakres" and the measurement span only once the user has
// dragged one and while its highlight is on the screen; "Pokaż zaznaczenie" keeps using the last one.
#include "ScriptedDialogs.h"
#include "WindowTestSupport.h"
#include "recording/MarkerFile.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSet.h"
#include "windows/BitmapWidget.h"
#include "windows/MeasurementsWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QTableWidget>
#include <QTest>

using namespace varnilog;

namespace {

class SelectionWindowTest : public test::MainWindowTest {};

TEST_F(SelectionWindowTest, OnlyADraggedSelectionOnTheScreenCounts) {
    const test::ScopedLocale locale{QLocale(QLocale::Polish, QLocale::Poland)};
    test::ScriptedDialogs dialogs;
    makeWindow().setDialogs(&dialogs);
    form->FormCreate();
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"),
                                             {10, 4, 4, 2, {test::Codes(1000, 150), test::Codes(1000, 125)}});
    form->openRecording(ros);
    click("SpeedButton72"); // the measurements window, over "Zaznaczenie"
    auto* measurements = form->findChild<MeasurementsWindow*>();
    ASSERT_NE(measurements, nullptr);
    test::child<QAbstractButton>(*measurements, "rbZaznaczenie")->click();
    const auto* table = test::child<QTableWidget>(*measurements, "tblPomiary");
    const auto measuresSamples = [&](const char* samples) {
        return QTest::qWaitFor(
            [&] { return table->item(12, 0) && table->item(12, 0)->text() == QString::fromUtf8(samples); },
            5000);
    };
    int exports = 0;
    // The question "Eksport…" asks before it writes, or an empty text when it asks none.
    const auto exportQuestion = [&]() -> QString {
        const QString out = dir.filePath(QStringLiteral("out%1.csv").arg(exports++));
        dialogs.fileNames = {out};
        boxes.shown.clear();
        boxes.answers = {true};
        child<QAction>("Eksport1")->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 5000));
        return boxes.shown.empty() ? QString() : boxes.shown[0].text;
    };
    auto* picture = child<BitmapWidget>("imgDisplay");
    auto* addRange = form->findChild<QAction*>(QStringLiteral("actAddRange"));
    ASSERT_NE(addRange, nullptr);
    const auto rangeOffered = [&] {
        emit picture->mousePressed(QPoint(250, 100), Qt::RightButton, Qt::RightButton);
        return addRange->isEnabled();
    };
    const auto markers = [&] { return readMarkerFile(markerFilePath(ros)).markers; };
    const auto highlighted = [&] {
        return form->view().bmpScreen.pixel(30, 200) != form->view().bmpWave.pixel(30, 200);
    };

    // Opened: the first selection (samples 0..100) is nobody's choice.
    EXPECT_TRUE(measuresSamples("0"));
    EXPECT_EQ(exportQuestion(), QString());
    EXPECT_FALSE(rangeOffered());
    addRange->trigger();
    EXPECT_TRUE(markers().empty());

    // A drag from column 20 to 40: shown, and taken by all three.
    emit picture->mousePressed(QPoint(20, 100), Qt::LeftButton, Qt::LeftButton);
    emit picture->mouseMoved(QPoint(40, 100), Qt::LeftButton);
    EXPECT_TRUE(highlighted());
    EXPECT_TRUE(measuresSamples("20"));
    EXPECT_EQ(exportQuestion(), QString::fromUtf8("Eksportować tylko zaznaczenie (20 próbek)?"));
    EXPECT_TRUE(rangeOffered());
    addRange->trigger();
    ASSERT_EQ(markers().size(), 1u);
    EXPECT_EQ(markers()[0], (Marker{20, 40, MarkerKind::Zakres, {}}));

    // The added range took the highlight and the selection with it: nothing to add twice.
    EXPECT_FALSE(highlighted());
    EXPECT_TRUE(measuresSamples("0"));
    EXPECT_FALSE(rangeOffered());
    addRange->trigger();
    EXPECT_EQ(markers().size(), 1u);
    EXPECT_EQ(exportQuestion(), QString());

    // "Pokaż zaznaczenie" still shows the last one dragged.
    click("SpeedButton6");
    EXPECT_EQ(state->viewStart, 20);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
