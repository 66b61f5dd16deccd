// Every file varnilog-cli writes, on a disk that fills up (a file size limit stands in for it) or from
// a recording that cannot be read: the command fails, the file that was there stays as it was, and
// no new file is left in the folder.
#include "support/RecordingSet.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>

namespace varnilog {
namespace {

TEST(WriterFaultTest, AFailedWriteKeepsTheOldFileAndLeavesNothing) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    struct Row {
        const char* name;
        QStringList args; // "ROS" and "OUT" stand for the set and the file written
        const char* out;
        bool unreadableSamples; // reading ".rca" fails instead of the disk filling up
    } rows[] = {
        {"per-period file", {"measure", "ROS", "--per-period", "OUT"}, "periods.csv", false},
        {"per-period file of a failed measurement",
         {"measure", "ROS", "--per-period", "OUT"},
         "periods.csv",
         true},
        {"page as SVG", {"render", "ROS", "--page", "OUT"}, "page.svg", false},
        {"page as PDF", {"render", "ROS", "--page", "OUT"}, "page.pdf", false},
        {"bare picture", {"render", "ROS", "OUT"}, "view.png", false},
        {"spectrum plot", {"spectrum", "ROS", "spectrum.csv", "--png", "OUT"}, "plot.png", false},
        {"text export", {"export", "ROS", "OUT"}, "export.txt", false},
        {"derived channel", {"math", "ROS", "--op", "A-B", "--to", "C"}, "r.ros", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.unreadableSamples && strace.isEmpty())
            continue;
        QTemporaryDir dir;
        test::Codes a(4096), b(4096, 125);
        for (std::size_t i = 0; i < a.size(); ++i)
            a[i] = i % 64 < 32 ? 200 : 50; // 64 periods of a square wave
        const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {a, b}});
        const QString out = dir.filePath(QString::fromLatin1(r.out));
        if (out != ros)
            test::writeFile(out, "previous");
        const QByteArray before = test::readFile(out);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QStringList args = r.args;
        args.replaceInStrings(QStringLiteral("ROS"), ros).replaceInStrings(QStringLiteral("OUT"), out);
        QProcess p;
        if (r.unreadableSamples) {
            p.setProcessEnvironment(test::tracedChildEnvironment());
            // The samples can be neither mapped nor read.
            p.start(strace, QStringList{"-f", "-qq", "-o", "/dev/null", "-P",
                                        QString(ros).replace(QStringLiteral(".ros"), QStringLiteral(".rca")),
                                        "-e", "inject=read,pread64,mmap:error=EIO", VARNILOG_CLI_PATH} +
                                args);
        } else {
            p.setChildProcessModifier([] {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit small{512, 512};
                ::setrlimit(RLIMIT_FSIZE, &small);
            });
            p.start(QStringLiteral(VARNILOG_CLI_PATH), args);
        }
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1) << p.readAllStandardError().toStdString();
        EXPECT_EQ(test::readFile(out), before);
        QStringList filesAfter = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        filesAfter.removeAll(QStringLiteral("spectrum.csv")); // small enough to be written
        EXPECT_EQ(filesAfter, filesBefore);
    }
}

// A name longer than a folder entry can be, given or made by the command from a name that fits: the
// command fails with the system's reason on one line, before it writes anything, and Qt says nothing.
TEST(WriterFaultTest, ANameTooLongFailsWithTheSystemsReasonAndLeavesNothing) {
    const QString tooLong(256, u'x'), fits(246, u'y');
    const QString longestSet(251, u's'); // "<set>.ros" is 255 bytes, the most a name may have
    struct Row {
        QStringList args; // "ROS" stands for the set "r", "LONG" for the set longestSet
    } rows[] = {
        {{"export", "ROS", tooLong + ".txt"}},
        {{"export", "ROS", tooLong + ".csv"}},
        {{"export", "ROS", tooLong + ".sr"}},
        {{"export", "ROS", fits + ".wav", "--labels"}}, // "<fits>.labels.txt" is too long
        {{"render", "ROS", tooLong + ".png"}},
        {{"render", "ROS", tooLong + ".svg", "--page"}},
        {{"render", "ROS", tooLong + ".pdf", "--page"}},
        {{"measure", "ROS", "--per-period", tooLong + ".csv"}},
        {{"spectrum", "ROS", tooLong + ".csv"}},
        {{"spectrum", "ROS", "spectrum.csv", "--png", tooLong + ".png"}},
        {{"markers", "ROS", "--audacity", tooLong + ".txt"}},
        {{"import", "ROS", longestSet + "x.ros"}},
        {{"math", "LONG", "--op", "A-B", "--to", "C"}}, // its pending ".<set>.rcc.<inode>.new" is too long
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.join(u' ').replace(tooLong, QStringLiteral("<256 x>")).toStdString());
        QTemporaryDir dir;
        const test::RecordingContents contents{10, 4, 4, 2, {test::Codes(2048, 60), test::Codes(2048, 190)}};
        const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), contents);
        const QString longRos = test::writeRecording(dir.path(), longestSet, contents);
        test::writeFile(dir.filePath(QStringLiteral("r.csv")), "time,A\n0,1\n0.001,2\n");
        const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QStringList args = r.args;
        args.replaceInStrings(QStringLiteral("ROS"), args.front() == u"import" ? dir.filePath("r.csv") : ros)
            .replaceInStrings(QStringLiteral("LONG"), longRos);
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(VARNILOG_CLI_PATH), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.endsWith(QStringLiteral(": File name too long\n")) && err.count(u'\n') == 1)
            << err.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
}

} // namespace
} // namespace varnilog
