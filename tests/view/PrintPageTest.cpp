#include "view/PrintPage.h"

#include "app/SharedState.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingLoader.h"
#include "support/OffscreenGui.h"
#include "support/SmallRecording.h"
#include "support/TestFiles.h"
#include "view/Cursors.h"
#include "view/PageFile.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace varnilog;

namespace {

const QDateTime kPrinted(QDate(2026, 12, 9), QTime(13, 5));

struct PrintPageFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> s = std::make_unique<SharedState>();
    std::unique_ptr<ViewBuffers> view = std::make_unique<ViewBuffers>();

    void SetUp() override { ensureOffscreenGui(); }
    // The small recording on display, as the main window shows it after loading.
    void load(const QString& description = {}) {
        sizeBitmaps(*view);
        s->recordingPath = test::writeSmallRecording(dir.path(), description);
        ASSERT_TRUE(loadRecording(*s).ok);
        s->samplingPeriodMs = 1.0f; // what refreshTimeBase sets for PODSTAWA=10
        paintBackground(view->bmpBackground, s->backgroundColor1, s->backgroundColor2, s->gradientOn);
        refreshView(*s, *view);
    }
};

} // namespace

TEST_F(PrintPageFixture, PictureIsCopiedPixelForPixelAtWholeScales) {
    load();
    // A selection gives the picture sharp one-column edges next to the one-pixel grid lines.
    s->selectionStart = 10;
    s->selectionEnd = 40;
    drawSelection(*s, *view);
    const PrintPageContent content = printPageContent(*s, view->bmpScreen, kPrinted);
    for (int scale : {1, 3}) {
        QImage page(rasterPageSize(scale), QImage::Format_RGB32);
        {
            QPainter painter(&page);
            drawPrintPage(painter, page.size(), content);
        }
        const PageLayout layout = printPageLayout(page.size());
        ASSERT_EQ(layout.pictureScale, scale);
        ASSERT_EQ(layout.picture.size(), QSize(500 * scale, 250 * scale));
        int wrong = 0;
        for (int y = 0; y < layout.picture.height(); ++y)
            for (int x = 0; x < layout.picture.width(); ++x)
                wrong += page.pixel(layout.picture.x() + x, layout.picture.y() + y) !=
                         view->bmpScreen.pixel(x / scale, y / scale);
        EXPECT_EQ(wrong, 0) << "scale " << scale;
    }
}

TEST_F(PrintPageFixture, ContentTellsWhatTheScreenShows) {
    load(QString::fromUtf8("Pomiar przy łożysku\nśrednia prędkość"));
    s->channelVisible = {true, true, false, false};
    s->cursorsActive = true;
    s->cursorColumn = {0, 2}; // samples 125 and 100 of A at 1 V/div: 1 V, 2 ms apart
    s->viewStart = 37;        // moves the labelled ticks left by 37 columns, the short ones by 2
    PrintPageContent c = printPageContent(*s, view->bmpScreen, kPrinted, QLocale::c());
    EXPECT_EQ(c.recordingName, "2024-03-07 14.05.09");
    EXPECT_EQ(c.startTime, "2024-03-07 14.05.09");
    EXPECT_EQ(c.length, "0000:00:00:003");
    EXPECT_EQ(c.description, QString::fromUtf8("Pomiar przy łożysku\nśrednia prędkość"));
    ASSERT_EQ(c.channels.size(), 2u);
    EXPECT_EQ(c.channels[0].voltsPerDivision + c.channels[0].coupling, "1VDC");
    EXPECT_EQ(c.channels[1].voltsPerDivision + c.channels[1].coupling, "10mVAC");
    EXPECT_EQ(c.channels[1].colour, qRgb(0x44, 0xEE, 0x44));
    EXPECT_EQ(c.samplingPeriod, "1ms");
    EXPECT_EQ(c.cursorTime, "T: 0000:00:00:002");
    EXPECT_EQ(c.cursorVoltage, "U: 1V");
    EXPECT_EQ(c.voltLabels[0] + c.voltLabels[5] + c.voltLabels[10], "5V0V-5V");
    EXPECT_EQ(c.timeLabels[0], "0000:00:00:100");
    EXPECT_EQ(c.timeLabels[4], "0000:00:00:500");
    EXPECT_EQ(c.timeLabelColumns[0], 63);
    EXPECT_EQ(c.minorTickShift, 2);
    EXPECT_EQ(c.printedAt, "2026-12-09 13:05");

    // Nothing on display: the empty screen, no recording texts, no cursor readouts.
    auto empty = std::make_unique<SharedState>();
    auto blank = std::make_unique<ViewBuffers>();
    sizeBitmaps(*blank);
    c = printPageContent(*empty, blank->bmpScreen, kPrinted);
    EXPECT_EQ(c.recordingName, "brak");
    EXPECT_TRUE(c.startTime.isEmpty() && c.length.isEmpty() && c.description.isEmpty());
    EXPECT_TRUE(c.cursorTime.isEmpty());
}

TEST_F(PrintPageFixture, SavedPagesHaveTheFormatOfTheirExtension) {
    load();
    const PrintPageContent content = printPageContent(*s, view->bmpScreen, kPrinted);
    struct Case {
        const char* name;
        bool ok;
        QByteArray start; // the file's first bytes
    } cases[] = {
        {"page.png", true, "\x89PNG"}, {"page.PDF", true, "%PDF-"},         {"page.svg", true, "<?xml"},
        {"page.jpg", false, {}},       {"no/such/dir/page.png", false, {}},
    };
    for (const Case& k : cases) {
        const QString path = dir.filePath(QString::fromLatin1(k.name));
        QString error;
        EXPECT_EQ(writePageFile(path, content, &error), k.ok) << k.name;
        EXPECT_EQ(QFile::exists(path), k.ok) << k.name;
        if (!k.ok) {
            EXPECT_FALSE(error.isEmpty()) << k.name;
            continue;
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().startsWith(k.start)) << k.name;
    }
    EXPECT_EQ(QImage(dir.filePath("page.png")).size(), rasterPageSize(kSavedPictureScale));
}

TEST_F(PrintPageFixture, PdfPageCarriesTheTextsAndWrapsALongDescription) {
    const QString longLine = QStringLiteral("słowo ").repeated(80) + QStringLiteral("KONIEC");
    load(QString::fromUtf8("Zażółć gęślą jaźń\n") + longLine);
    PrintPageContent content = printPageContent(*s, view->bmpScreen, kPrinted);
    content.programName = QStringLiteral("Varnilog 2k");
    const QString pdf = dir.filePath("page.pdf");
    ASSERT_TRUE(writePageFile(pdf, content));
    const std::optional<QByteArray> text = test::pdfText(pdf);
    if (!text)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString t = QString::fromUtf8(*text);
    for (const char* expected : {"2024-03-07 14.05.09", "Zażółć gęślą jaźń", "KONIEC", "0000:00:00:003",
                                 "Wydrukowano: 2026-12-09", "Varnilog 2k"})
        EXPECT_TRUE(t.contains(QString::fromUtf8(expected))) << expected << "\n" << t.toStdString();
    // Wrapped, not cut at the right edge: the long line's 80 words are all on the page.
    EXPECT_EQ(t.count(QString::fromUtf8("słowo")), 80) << t.toStdString();
}

// The page lists the markers whose flag or bar the printed view shows (time, kind, label) under the
// picture, in the SVG's text too; with more than fit, as many as fit and how many more there are.
TEST_F(PrintPageFixture, PageListsTheMarkersInsideTheView) {
    load(QStringLiteral("Opis obok znaczników"));
    s->viewStart = 1; // the view: samples 1..500
    const QString rmk = markerFilePath(s->recordingPath);
    CoreError error;
    ASSERT_TRUE(writeMarkerFile(rmk,
                                {{0, 0, MarkerKind::Uwaga, "przed"},
                                 {0, 2, MarkerKind::Zakres, QString::fromUtf8("zakres wchodzący")},
                                 {2, 2, MarkerKind::Strata, QString::fromUtf8("utrata; łącza")},
                                 {500, 500, MarkerKind::Uwaga, "ostatni"},
                                 {501, 501, MarkerKind::Wyzwolenie, "za"}},
                                error));
    PrintPageContent c = printPageContent(*s, view->bmpScreen, kPrinted);
    ASSERT_EQ(c.markersInView, 3);
    ASSERT_EQ(c.markers.size(), 3u);
    EXPECT_EQ(c.markers[0].time + c.markers[0].kind + c.markers[0].label,
              QString::fromUtf8("0000:00:00:000Zakreszakres wchodzący"));
    EXPECT_EQ(c.markers[1].time + c.markers[1].kind, "0000:00:00:002Strata danych");
    EXPECT_EQ(c.markers[2].time + c.markers[2].label, "0000:00:00:500ostatni");
    const QString svg = dir.filePath("page.svg");
    ASSERT_TRUE(writePageFile(svg, c));
    const QString text = QString::fromUtf8(test::readFile(svg));
    for (const char* label : {"zakres wchodzący", "utrata; łącza", "ostatni", "Znaczniki:", "Opis obok"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(label))) << label;
    for (const char* label : {">przed<", ">za<", "więcej"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(label))) << label;

    std::vector<Marker> many;
    for (int i = 0; i < 150; ++i)
        many.push_back({1, 1, MarkerKind::Uwaga, QStringLiteral("m%1").arg(i, 3, 10, QLatin1Char('0'))});
    ASSERT_TRUE(writeMarkerFile(rmk, many, error));
    c = printPageContent(*s, view->bmpScreen, kPrinted);
    EXPECT_EQ(c.markersInView, 150);
    ASSERT_TRUE(writePageFile(svg, c));
    const QString page = QString::fromUtf8(test::readFile(svg));
    const QRegularExpressionMatch more =
        QRegularExpression(QString::fromUtf8("… i (\\d+) więcej")).match(page);
    ASSERT_TRUE(more.hasMatch()) << page.toStdString();
    const int listed = static_cast<int>(page.count(QRegularExpression(QStringLiteral(">m\\d\\d\\d<"))));
    EXPECT_GT(listed, 3);
    EXPECT_EQ(listed + more.captured(1).toInt(), 150);
    EXPECT_TRUE(page.contains(QStringLiteral(">m000<")));
}
