// The command-line picture of a recording against the main window's picture of the same recording
// under the same configuration: the same pixels.
#include "support/MainWindowFixture.h"
#include "windows/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

using namespace varnilog;

// Every board model: each has its own reference voltage, which places the offset markers (channel A
// away from its zero offset, so its marker is drawn), and its own sensitivity limits. A loaded offset
// outside the configured model's range is brought into it as the window does.
TEST(CliPictureTest, RenderDrawsTheWindowsPictureForEveryConfiguredModel) {
    struct Row {
        const char* config;
        int offsetA = 120;
    } rows[] = {
        {"[CONFIG]\r\nUKLAD=1\r\n"},
        {"[CONFIG]\r\nUKLAD=2\r\nGRADIENT=1\r\n"},
        {"[CONFIG]\r\nUKLAD=3\r\nOFFSETZEROA=90\r\n"},
        {"[CONFIG]\r\nUKLAD=4\r\nCLTLO1=255\r\n"},
        {"[CONFIG]\r\nUKLAD=1\r\n", 190}, // a KZ200 recording's offset seen with KZ100
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.config);
        test::MainWindowFixture window;
        const QTemporaryDir& dir = window.dir;
        const QString& ini = window.ini;
        test::writeFile(ini, r.config);
        const QString base = dir.filePath(QStringLiteral("2024-03-07 14.05.09"));
        test::writeFile(base + ".ros",
                        QStringLiteral("[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=1\r\nCZULOSCB=9\r\n"
                                       "OFFSETA=%1\r\nOFFSETB=100\r\nILOSCKANALOW=2\r\n")
                            .arg(r.offsetA)
                            .toLatin1());
        QByteArray a(700, 0), b(700, 0);
        for (int i = 0; i < a.size(); ++i) {
            a[i] = static_cast<char>(125 + (i % 50) - 25);
            b[i] = static_cast<char>(i % 250);
        }
        test::writeFile(base + ".rca", a);
        test::writeFile(base + ".rcb", b);

        const QString png = dir.filePath(QStringLiteral("view.png"));
        QProcess cli;
        cli.start(QStringLiteral(VARNILOG_CLI_PATH),
                  {QStringLiteral("render"), base + ".ros", png, QStringLiteral("--config"), ini});
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();

        TForm1& form = window.createWindow();
        form.openRecording(base + ".ros");
        ASSERT_TRUE(window.boxes.shown.empty());
        const QImage& screen = form.view().bmpScreen;
        const QImage picture = QImage(png).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(picture.size(), screen.size());
        int differing = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                differing += picture.pixel(x, y) != screen.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}
