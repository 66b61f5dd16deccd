// varnilog-cli spectrogram: the CSV of a signal worked out by hand exactly, hops and span ends, the
// picture's rows, and the usage errors.
#include "support/CliRunner.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace varnilog::test;

namespace {

// A: +-100 around the zero line at every other sample (all its energy at half the 1 kHz sampling
// rate) for 2048 samples, then 100 of the zero line; B: the zero line.
QString alternating(const QTemporaryDir& dir) {
    RecordingContents contents;
    Codes a;
    for (int i = 0; i < 1024; ++i)
        a.insert(a.end(), {225, 25});
    a.insert(a.end(), 100, 125);
    contents.channels = {a, Codes(a.size(), 125)};
    return writeRecording(dir.path(), QStringLiteral("2024-03-07 14.05.09"), contents);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SpectrogramCommandTest, CsvOfAHandWorkedSignal) {
    QTemporaryDir dir;
    const QString ros = alternating(dir);
    const CliRun run = runCli(
        {"spectrogram", ros, dir.filePath("s.png"), "--block", "1024", "--csv", dir.filePath("s.csv")});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    // Two whole blocks (the tail of 100 is none); bin k at k 1000/1024 Hz; only bin 512 holds anything.
    QByteArray expected = "block_start;frequency_hz;db\n";
    for (const char* start : {"0", "1024"})
        for (int k = 0; k <= 512; ++k)
            expected += QByteArray(start) + ';' + QByteArray::number(k * 0.9765625, 'g', 10) + ';' +
                        (k == 512 ? "0.000" : "-100.000") + '\n';
    EXPECT_EQ(fileBytes(dir.filePath("s.csv")), expected);
    // Frequency upwards: the top row of the plot is the largest level (white), the bottom the floor.
    const QImage png(dir.filePath("s.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.pixel(80, 12), qRgb(255, 255, 255));
    EXPECT_EQ(png.pixel(80, 411), qRgb(0, 0, 0));
}

TEST(SpectrogramCommandTest, HopsSpansAndUsageErrors) {
    QTemporaryDir dir;
    const QString ros = alternating(dir);
    const struct {
        QStringList args;
        int code;
        QByteArray starts; // the block starts of the CSV, in order
    } cases[] = {
        {{"--block", "1024", "--hop", "512", "--from", "100"}, 0, "100 612 1124"},
        {{"--block", "1024", "--hop", "1000", "--to", "2048"}, 0, "0 1000"},
        {{"--block", "2048", "--channel", "b"}, 0, "0"},
        {{"--block", "1024", "--from-marker", "0"}, 2, ""}, // no markers
        {{"--block", "1000"}, 2, ""},
        {{"--block", "262144"}, 2, ""},
        {{"--block", "1024", "--hop", "0"}, 2, ""},
        {{"--block", "1024", "--hop", "1025"}, 2, ""},
        {{"--channel", "C"}, 2, ""},
        {{"--range", "0"}, 2, ""},
        {{"--block", "1024", "--from", "1200"}, 2, ""}, // 948 samples: no whole block
    };
    for (const auto& c : cases) {
        QFile::remove(dir.filePath("s.csv"));
        const CliRun run = runCli(
            QStringList{"spectrogram", ros, dir.filePath("s.png"), "--csv", dir.filePath("s.csv")} + c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << run.err.constData();
        if (c.code != 0) {
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
            continue;
        }
        QByteArray starts, last;
        for (const QByteArray& line : fileBytes(dir.filePath("s.csv")).split('\n').mid(1))
            if (const QByteArray start = line.left(line.indexOf(';')); !line.isEmpty() && start != last) {
                starts += (starts.isEmpty() ? "" : " ") + start;
                last = start;
            }
        EXPECT_EQ(starts, c.starts) << c.args.join(' ').toStdString();
    }
}

} // namespace
