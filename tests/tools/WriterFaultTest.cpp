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

// The commands that write two files (the spectrum's table and plot, a WAV and its label track) put
// both in place or neither: the second one's final rename failing, its folder refusing new files or a
// folder at its name leaves the first as it was (or absent) and nothing else behind.
TEST(WriterFaultTest, TwoFilesGoInTogetherOrNotAtAll) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is missing (scripts/install-deps installs it)";
    enum Fault { SecondRenameFails, FolderRefuses, FolderAtTheName };
    // The spectrum writes s.csv and sub/s.png, the export w.wav and w.labels.txt.
    const struct Row {
        bool spectrum;
        Fault fault;
        bool firstExisted;
    } rows[] = {{true, SecondRenameFails, true},  {true, SecondRenameFails, false},
                {true, FolderRefuses, true},      {true, FolderAtTheName, false},
                {false, SecondRenameFails, true}, {false, SecondRenameFails, false},
                {false, FolderAtTheName, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.spectrum << ' ' << r.fault << ' ' << r.firstExisted);
        QTemporaryDir dir;
        const QString ros = test::writeRecording(
            dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {test::Codes(4096, 60), test::Codes(4096, 190)}});
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const QString first = dir.filePath(r.spectrum ? "s.csv" : "w.wav");
        const QString second = dir.filePath(r.spectrum ? "sub/s.png" : "w.labels.txt");
        if (r.firstExisted)
            test::writeFile(first, "previous");
        if (r.fault == FolderAtTheName) {
            ASSERT_TRUE(QDir().mkdir(second));
        }
        const auto listing = [&] {
            QStringList all;
            for (const QString& sub : {QString(), QStringLiteral("sub")})
                for (const QString& f :
                     QDir(dir.filePath(sub))
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                    all << sub + u'/' + f;
            return all;
        };
        const QStringList before = listing();
        const QStringList args = r.spectrum ? QStringList{"spectrum", ros, first, "--png", second}
                                            : QStringList{"export", ros, first, "--labels"};
        // The second file's rename is the second of the run; the folder's refusal is the system's
        // answer to a user who may not write there (which the super-user always may).
        const QString inject = r.fault == SecondRenameFails ? QStringLiteral("inject=rename:error=EIO:when=2")
                               : r.fault == FolderRefuses ? QStringLiteral("inject=open,openat:error=EACCES")
                                                          : QStringLiteral("trace=none");
        QStringList traced{"-f", "-qq", "-o", "/dev/null"};
        if (r.fault == FolderRefuses)
            traced << "-P" << dir.filePath(QStringLiteral("sub"));
        QProcess p;
        p.setProcessEnvironment(test::tracedChildEnvironment());
        p.start(strace, traced + QStringList{"-e", inject, VARNILOG_CLI_PATH} + args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.startsWith("varnilog-cli: " + second + u':') && err.count(u'\n') == 1)
            << err.toStdString();
        EXPECT_EQ(listing().join(u' ').toStdString(), before.join(u' ').toStdString());
        if (r.firstExisted) {
            EXPECT_EQ(test::readFile(first), "previous");
        }
    }
}

// A writer killed at its final rename leaves its hidden temporary; the next write of the name takes
// it away.
TEST(WriterFaultTest, TheNextWriteRemovesWhatAKillAtTheRenameLeft) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is missing (scripts/install-deps installs it)";
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"),
                                             {10, 4, 4, 2, {test::Codes(4096, 60), test::Codes(4096, 190)}});
    const QStringList args{"export", ros, dir.filePath(QStringLiteral("out.csv"))};
    QProcess killed;
    killed.setProcessEnvironment(test::tracedChildEnvironment());
    killed.start(strace, QStringList{"-f", "-qq", "-o", "/dev/null", "-e",
                                     "inject=rename:signal=SIGKILL:when=1", VARNILOG_CLI_PATH} +
                             args);
    ASSERT_TRUE(killed.waitForFinished(30000));
    const QStringList left =
        QDir(dir.path()).entryList({QStringLiteral(".out.csv.*.part")}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(left.size(), 1);
    QProcess again;
    again.start(QStringLiteral(VARNILOG_CLI_PATH), args);
    ASSERT_TRUE(again.waitForFinished(30000));
    EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*out.csv*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("out.csv")});
}

} // namespace
} // namespace varnilog
