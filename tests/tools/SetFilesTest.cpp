// varnilog-cli against what a set's names may hold: a pipe where a summary belongs, and outputs that
// name a file of an existing set (as written, in another spelling, through a link or a hard link).
#include "support/CliRunner.h"
#include "support/RecordingSet.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>

#include <sys/stat.h>
#include <unistd.h>

using namespace varnilog::test;

namespace {

QString writeSet(const QString& dir, const QString& base) {
    RecordingContents contents;
    contents.channels = {{100, 150, 150, 100, 100, 150, 150, 100}, Codes(8, 125)};
    const QString ros = writeRecording(dir, base, contents);
    writeFile(QDir(dir).filePath(base + ".roc"), "opis\r\n");
    writeFile(QDir(dir).filePath(base + ".rmk"), "varnilog-markers;1\r\n1;1;uwaga;a\r\n");
    return ros;
}

std::map<QString, QByteArray> contentsOf(const QString& dir) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files[name] = readFile(QDir(dir).filePath(name));
    return files;
}

} // namespace

TEST(SetFilesTest, PipeAtASummaryNameNeverBlocks) {
    for (const char* summary : {"s.rsa", "s.rsb"}) {
        SCOPED_TRACE(summary);
        QTemporaryDir dir;
        const QString ros = writeSet(dir.path(), QStringLiteral("s"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(summary)).constData(), 0600), 0);
        for (const char* channel : {"A", "B"}) {
            const CliRun run =
                runCli({"events", ros, "--channel", channel, "--edge", "rising", "--level", "0"}, 15000);
            ASSERT_TRUE(run.finished) << "events blocked on the pipe";
            EXPECT_EQ(run.code, 0) << run.err.toStdString();
        }
    }
}

TEST(SetFilesTest, OutputOntoAFileOfARecordingIsAUsageError) {
    const struct {
        const char* name;
        QStringList args; // in the set's folder: s.ros and t.ros exist, links are made first
        int code;
    } cases[] = {
        {"export onto a sample file", {"export", "s.ros", "s.rca", "--format", "wav"}, 2},
        {"export onto its header", {"export", "s.ros", "s.ros", "--format", "csv"}, 2},
        {"export adding a channel", {"export", "s.ros", "s.rcc", "--format", "csv"}, 2},
        {"export onto its description", {"export", "s.ros", "s.roc", "--format", "csv"}, 2},
        {"export in another spelling", {"export", "s.ros", "sub/../s.rcb", "--format", "csv"}, 2},
        {"export through a symbolic link", {"export", "s.ros", "link.wav"}, 2},
        {"export through a hard link", {"export", "s.ros", "hard.wav"}, 2},
        {"export onto another set", {"export", "s.ros", "t.rca", "--format", "wav"}, 2},
        {"export onto a hard link of another set", {"export", "s.ros", "other.csv"}, 2},
        {"measure per period", {"measure", "s.ros", "--per-period", "s.rca"}, 2},
        {"markers as Audacity labels", {"markers", "s.ros", "--audacity", "s.ros"}, 2},
        {"markers onto the markers", {"markers", "s.ros", "--audacity", "s.rmk"}, 2},
        {"spectrum onto a summary", {"spectrum", "s.ros", "s.rsa"}, 2},
        {"render onto another set", {"render", "s.ros", "t.rcb"}, 2},
        {"an ordinary output", {"export", "s.ros", "out.wav"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        writeSet(dir.path(), QStringLiteral("s"));
        writeSet(dir.path(), QStringLiteral("t"));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        ASSERT_TRUE(
            QFile::link(dir.filePath(QStringLiteral("s.rca")), dir.filePath(QStringLiteral("link.wav"))));
        ASSERT_EQ(::link(QFile::encodeName(dir.filePath("s.rcb")).constData(),
                         QFile::encodeName(dir.filePath("hard.wav")).constData()),
                  0);
        ASSERT_EQ(::link(QFile::encodeName(dir.filePath("t.rca")).constData(),
                         QFile::encodeName(dir.filePath("other.csv")).constData()),
                  0);
        const std::map<QString, QByteArray> before = contentsOf(dir.path());
        QStringList args = c.args;
        for (QString& a : args)
            if (a.contains(u'.') && !a.startsWith(u'-'))
                a = dir.filePath(a);
        const CliRun run = runCli(args);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        std::map<QString, QByteArray> after = contentsOf(dir.path());
        if (c.code == 0) {
            EXPECT_EQ(after.erase(QStringLiteral("out.wav")), 1u);
        } else {
            EXPECT_TRUE(run.err.contains("is a file of the recording")) << run.err.toStdString();
        }
        EXPECT_EQ(after, before);
    }
}
