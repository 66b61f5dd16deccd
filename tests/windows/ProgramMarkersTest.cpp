// The main window with a recording that has markers: flags in the picture, "." and "," to jump, a
// damaged file said in the status bar, right-click to add a marker or a range.
#include "analysis/SpanRequest.h"
#include "app/Program.h"
#include "recording/MarkerFile.h"
#include "support/CliRunner.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "support/TestFiles.h"
#include "view/MarkerFlags.h"
#include "windows/BitmapWidget.h"
#include "windows/MarkersWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace varnilog;

namespace {

using ProgramMarkersTest = test::MainWindowTest;

TEST_F(ProgramMarkersTest, FlagsJumpsAndRightClickMarkers) {
    createWindow();
    const QString ros =
        test::writeRecording(dir.path(), QStringLiteral("2024-01-02 03.04.05"), "[PARAMETRY]\nPODSTAWA=10\n",
                             {QByteArray(10000, char(125)), QByteArray(10000, char(125))});
    const QByteArray readable =
        "varnilog-markers;1\r\n100;100;uwaga;a\r\n3000;3000;strata;7\r\n8000;8100;zakres;b\r\n";
    test::writeFile(markerFilePath(ros), readable + "not a marker\r\n");
    form->openRecording(ros);
    EXPECT_EQ(form->statusPanelText(16),
              QString::fromUtf8("Plik znaczników jest uszkodzony: pominięto wierszy: 1"));
    EXPECT_EQ(form->view().bmpScreen.pixel(100, 9), markerColour(MarkerKind::Uwaga));

    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    const struct {
        Qt::Key key;
        std::int64_t viewStart; // the marker in the middle column
    } jumps[] = {
        {Qt::Key_Period, 2750}, {Qt::Key_Period, 7750}, {Qt::Key_Period, 7750}, {Qt::Key_Comma, 2750}};
    for (const auto& j : jumps) {
        QTest::keyClick(form->windowHandle(), j.key);
        EXPECT_EQ(state->viewStart, j.viewStart);
    }
    EXPECT_EQ(form->view().bmpScreen.pixel(250, 9), markerColour(MarkerKind::Strata));

    // Right-click at column 10 → "Dodaj znacznik" at viewStart + 10; a selection → "Dodaj zakres".
    auto* picture = child<BitmapWidget>("imgDisplay");
    emit picture->mousePressed(QPoint(10, 100), Qt::RightButton, Qt::RightButton);
    // The damaged file is left as it is and the user is told why; once mended, the change is made.
    form->findChild<QAction*>(QStringLiteral("actAddMarker"))->trigger();
    EXPECT_EQ(test::readFile(markerFilePath(ros)), readable + "not a marker\r\n");
    ASSERT_EQ(boxes.errors().size(), 1);
    EXPECT_TRUE(boxes.errors()[0].contains(QStringLiteral("wierszy: 1"))) << boxes.errors()[0].toStdString();
    boxes.shown.clear();
    test::writeFile(markerFilePath(ros), readable);
    form->findChild<QAction*>(QStringLiteral("actAddMarker"))->trigger();
    emit picture->mousePressed(QPoint(20, 100), Qt::LeftButton, Qt::LeftButton); // a drag from 20 to 40
    emit picture->mouseMoved(QPoint(40, 100), Qt::LeftButton);
    emit picture->mousePressed(QPoint(10, 100), Qt::RightButton, Qt::RightButton);
    form->findChild<QAction*>(QStringLiteral("actAddRange"))->trigger();
    const std::vector<Marker> saved = readMarkerFile(markerFilePath(ros)).markers;
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[1], (Marker{2760, 2760, MarkerKind::Uwaga, {}}));
    EXPECT_EQ(saved[2], (Marker{2770, 2790, MarkerKind::Zakres, {}}));
    EXPECT_EQ(form->view().bmpScreen.pixel(10, 9), markerColour(MarkerKind::Uwaga));
    // A selection past the end ends at the sample count, as the measurements and the export take it.
    state->viewStart = 9900;
    state->selectionEnd = 300;
    state->selectionShown = true; // as a drag past the end leaves it
    form->findChild<QAction*>(QStringLiteral("actAddRange"))->trigger();
    EXPECT_EQ(readMarkerFile(markerFilePath(ros)).markers.back(),
              (Marker{9920, 10000, MarkerKind::Zakres, {}}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ProgramMarkersTest, TheMarkersWindowListsWhatTheToolListsAndActsOnIt) {
    createWindow();
    const QString ros =
        openMarkedRecording(10000, "varnilog-markers;1\r\n100;100;uwaga;a\\;b\r\n3000;3000;strata;7\r\n"
                                   "8000;8100;zakres;\xc5\xbc\r\n");
    auto* window = form->findChild<MarkersWindow*>(QStringLiteral("MarkersWindow"));
    ASSERT_NE(window, nullptr);
    auto* table = window->findChild<QTableWidget*>(QStringLiteral("tbMarkers"));

    // The window's rows and the tool's JSON list the same markers in the same order.
    const test::CliRun run = test::runCli({QStringLiteral("markers"), ros, QStringLiteral("--json")});
    const QJsonArray listed = QJsonDocument::fromJson(run.out).object().value("markers").toArray();
    ASSERT_EQ(table->rowCount(), listed.size());
    for (int r = 0; r < table->rowCount(); ++r) {
        const QJsonObject m = listed.at(r).toObject();
        EXPECT_EQ(table->item(r, 1)->text(),
                  markerKindTitle(*markerKindFromName(m.value("kind").toString())));
        EXPECT_EQ(table->item(r, 2)->text(), m.value("label").toString());
    }
    EXPECT_EQ(table->item(1, 0)->text(), "0000:00:03:000");

    window->findChild<QComboBox*>(QStringLiteral("cbKind"))->setCurrentIndex(2); // "Strata danych"
    EXPECT_EQ(window->shownMarkers(), std::vector<int>{1});
    window->findChild<QComboBox*>(QStringLiteral("cbKind"))->setCurrentIndex(0);

    table->selectRow(1); // Enter centres the view on it, "Zaznacz do następnego" selects up to the next
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_EQ(state->viewStart, 2750);
    window->findChild<QPushButton*>(QStringLiteral("btToNext"))->click();
    EXPECT_EQ(state->viewStart + state->selectionStart, 3000);
    EXPECT_EQ(state->viewStart + state->selectionEnd, 8100);
    // Highlighted as a dragged one, whole in the view (zoomed out to fit), and what the features take.
    const int zoom = state->zoomDivisor;
    EXPECT_LE(state->viewStart, 3000);
    EXPECT_GE(state->viewStart + std::int64_t{kDisplayColumns} * zoom, 8100);
    const SpanResolution taken = resolveSpan(windowSpanRequest(SpanSource::Selection, *state));
    EXPECT_EQ(taken.span, (SampleSpan{3000, 8100}));
    for (const auto& [sample, lit] : {std::pair{5000, true}, {2900, false}, {8200, false}}) {
        const int column = static_cast<int>((sample - state->viewStart) / zoom);
        EXPECT_EQ(form->view().bmpScreen.pixel(column, 10) != form->view().bmpWave.pixel(column, 10), lit)
            << sample;
    }

    table->item(0, 2)->setText(QStringLiteral("edited;"));
    table->selectRow(1);
    QTest::keyClick(table, Qt::Key_Delete);
    const std::vector<Marker> saved = readMarkerFile(markerFilePath(ros)).markers;
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].label, "edited;");
    EXPECT_EQ(saved[1].kind, MarkerKind::Zakres);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
