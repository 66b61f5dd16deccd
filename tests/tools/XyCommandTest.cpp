// varnilog-cli xy: the exact CSV of a hand-worked recording (its span ends, derived axes, a decimal
// comma), the picture beside it, and the usage errors.
#include "recording/MarkerFile.h"
#include "support/CliRunner.h"
#include "support/RecordingSet.h"
#include "view/Colour.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace varnilog::test;

TEST(XyCommandTest, CsvOfHandWorkedCellsAndUsageErrors) {
    QTemporaryDir dir;
    RecordingContents contents; // A at 1 V/div (0.04 V a code), B at 0.5 V/div (0.02 V a code)
    contents.sensitivityB = 5;
    contents.channels = {{150, 125, 150, 100}, {125, 125, 125, 126}, {}, {0, 0, 255, 255}};
    const QString ros = writeRecording(dir.path(), QStringLiteral("x"), contents);
    QFile header(ros);
    ASSERT_TRUE(header.open(QIODevice::Append));
    header.write("CZULOSCD=1\r\n"); // 10 V/div: 0.4 V a code
    header.close();
    writeFile(varnilog::markerFilePath(ros), "varnilog-markers;1\r\n1;3;zakres;r\r\n");
    const QByteArray head = "x_code;y_code;x_v;y_v;count\n";
    const struct {
        QStringList extra;
        int code;
        QByteArray out;
    } cases[] = {
        {{}, 0, head + "100;126;-1.0000;0.0200;1\n125;125;0.0000;0.0000;1\n150;125;1.0000;0.0000;2\n"},
        {{"--from", "1", "--to", "3"}, 0, head + "125;125;0.0000;0.0000;1\n150;125;1.0000;0.0000;1\n"},
        {{"--x", "d", "--y", "A", "--locale", "pl_PL"},
         0,
         head + "0;125;-50,0000;0,0000;1\n0;150;-50,0000;1,0000;1\n255;100;52,0000;-1,0000;1\n"
                "255;150;52,0000;1,0000;1\n"},
        {{"--x", "E"}, 2, ""},
        {{"--y", "C"}, 2, ""}, // no file
        {{"--to", "5"}, 2, ""},
        {{"--from", "2", "--to", "2"}, 2, ""},
        {{"--from-marker", "0", "--to-marker", "0"},
         0,
         head + "125;125;0.0000;0.0000;1\n150;125;1.0000;0.0000;1\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(QStringList{"xy", ros} + c.extra);
        EXPECT_EQ(run.code, c.code) << c.extra.join(' ').toStdString() << run.err.toStdString();
        EXPECT_EQ(run.out, c.out) << c.extra.join(' ').toStdString();
    }
    const QString csv = dir.filePath(QStringLiteral("out.csv")),
                  png = dir.filePath(QStringLiteral("out.png"));
    const CliRun both = runCli({"xy", ros, "--csv", csv, "--png", png});
    ASSERT_EQ(both.code, 0) << both.err.toStdString();
    EXPECT_TRUE(both.out.isEmpty());
    QFile written(csv);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), cases[0].out);
    EXPECT_EQ(QImage(png).size(), QSize(660, 568));
    // Both or neither: a table that cannot be written leaves no picture behind.
    const QString png2 = dir.filePath(QStringLiteral("new.png"));
    EXPECT_EQ(
        runCli({"xy", ros, "--csv", dir.filePath(QStringLiteral("no/such/out.csv")), "--png", png2}).code, 1);
    EXPECT_FALSE(QFile::exists(png2));
}

TEST(XyCommandTest, RenderOverlaysEveryEvent) {
    QTemporaryDir dir;
    RecordingContents contents; // three rising edges through 0 V on A
    Codes a(3000, 100);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = (i % 1000) >= 600 ? 150 : 100;
    contents.channels = {a, Codes(a.size(), 130)};
    const QString ros = writeRecording(dir.path(), QStringLiteral("sq"), contents);
    const QString png = dir.filePath(QStringLiteral("o.png"));
    const CliRun run = runCli({"render", ros, png, "--overlay-events", "A,rising,0"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "3\n");
    const QImage picture(png);
    ASSERT_EQ(picture.size(), QSize(500, 250));
    // Every window has the edge at column 250: A low before it, high after, B flat at 0.2 V.
    const QRgb ink = varnilog::toQRgb(0x44EEEE), flat = varnilog::toQRgb(0x44EE44);
    EXPECT_EQ(picture.pixel(100, 250 - 100), ink);
    EXPECT_EQ(picture.pixel(400, 250 - 150), ink);
    EXPECT_NE(picture.pixel(400, 250 - 100), ink);
    EXPECT_EQ(picture.pixel(100, 250 - 130), flat);
    EXPECT_EQ(runCli({"render", ros, png, "--overlay-events", "A,up,0"}).code, 2);
    EXPECT_EQ(runCli({"render", ros, png, "--overlay-events", "C,rising,0"}).code, 2);
    EXPECT_EQ(runCli({"render", ros, png, "--overlay-events", "A,rising,0", "--zoom", "2"}).code, 2);
}
