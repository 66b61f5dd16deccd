// The main window opening a recording whose ".ros" is a folder, 10 MB of garbage, a header past the size
// limit or a pipe: the user sees the error box "Błąd otwarcia pliku!" (caption "Błąd!"), the name of
// the recording shown before stays, and zooming and scrolling afterwards keep the view in range.
#include "app/Program.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingSetBuilder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <random>

#include <sys/stat.h>

using namespace varnilog;

namespace {

class DamagedRecordingWindowTest : public test::MainWindowTest {
protected:
    void SetUp() override { createWindow(); }
    // A set whose sample files hold n samples of 150 (A) and 100 (B), under the header given.
    QString samples(const QString& base, int n, const QByteArray& header = QByteArray()) {
        return test::writeRecording(dir.path(), base, header,
                                    {QByteArray(n, char(150)), QByteArray(n, char(100))});
    }
};

} // namespace

TEST_F(DamagedRecordingWindowTest, UnreadableHeaderShowsTheErrorBoxAndTheWindowGoesOn) {
    struct Row {
        const char* name;
        std::function<void(const QString& ros)> make;
    } rows[] = {
        {"a folder", [](const QString& ros) { ASSERT_TRUE(QDir().mkdir(ros)); }},
        {"10 MB of garbage",
         [](const QString& ros) { test::writeFile(ros, test::randomBytes(10 << 20, 7)); }},
        {"a header of 2 MB",
         [](const QString& ros) {
             test::writeFile(ros, "[PARAMETRY]\r\nPODSTAWA=10\r\n" + QByteArray(2 << 20, ' '));
         }},
        {"a named pipe",
         [](const QString& ros) { ASSERT_EQ(::mkfifo(ros.toLocal8Bit().constData(), 0600), 0); }},
    };
    int n = 0;
    for (const Row& r : rows) {
        boxes.shown.clear();
        const QString good = samples(QStringLiteral("good%1").arg(n), 2000, "[PARAMETRY]\r\nPODSTAWA=13\r\n");
        form->openRecording(good);
        ASSERT_TRUE(boxes.shown.empty()) << r.name;
        ASSERT_EQ(child<QLineEdit>("edFilename")->text(), QStringLiteral("good%1").arg(n));

        const QString bad = samples(QStringLiteral("bad%1").arg(n), 30000);
        r.make(bad);
        form->openRecording(bad);
        ASSERT_EQ(boxes.shown.size(), 1u) << r.name;
        EXPECT_EQ(boxes.shown[0].kind, "error") << r.name;
        EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Błąd!")) << r.name;
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Błąd otwarcia pliku!")) << r.name;
        EXPECT_EQ(child<QLineEdit>("edFilename")->text(), QStringLiteral("good%1").arg(n)) << r.name;
        EXPECT_EQ(state->timeBaseIndex, 13) << r.name; // the settings of the recording shown before

        // The sample files of the refused set are open: "Pokaż całość", "Oddal", "Zbliż" and the scroll
        // bar's end keep the view inside them.
        for (const char* button : {"SpeedButton5", "SpeedButton2", "SpeedButton3", "SpeedButton3"}) {
            click(button);
            auto* bar = child<QScrollBar>("ScrollBar1");
            bar->setValue(bar->maximum());
            EXPECT_GE(state->zoomDivisor, 1) << r.name << " " << button;
            EXPECT_GE(state->viewStart, 0) << r.name << " " << button;
            EXPECT_LE(state->viewStart + 500 * std::int64_t{state->zoomDivisor}, std::max<qint64>(30000, 500))
                << r.name << " " << button;
            EXPECT_EQ(state->channelData[1][0], 100) << r.name << " " << button;
        }
        EXPECT_EQ(boxes.shown.size(), 1u) << r.name;
        ++n;
    }
}
