// varnilog-cli math attacked as an unlucky user would: two runs on one set at once, a kill before
// every system call that changes the disk, links planted at the names a run writes. Afterwards the set
// shows for each derived channel one whole version (keys and samples of the same run) and nothing else.
#include "analysis/WaveformOperations.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/RecordingSet.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>
#include <thread>

#include <unistd.h>

using namespace varnilog;
using test::runCli;

namespace {

constexpr int kSamples = 4096;

// A runs 100..199 over and over, B stays at the zero line, both at 1 V/div.
QString writeSet(const QString& dir) {
    test::Codes a(kSamples), b(kSamples, 125);
    for (int i = 0; i < kSamples; ++i)
        a[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i % 100);
    return test::writeRecording(dir, QStringLiteral("r"), {10, 4, 4, 2, {a, b}});
}

// What the set shows of channel C (2) or D (3): "none", the operation of its keys when its samples are
// that operation's at 1 V/div ("-A": 250 - a, "A-B": a), or "mixed".
QString channelState(const QString& ros, int channel) {
    const DerivedChannelKeys keys = readDerivedChannelKeys(ros, channel);
    const QString file = siblingPath(ros, QLatin1String(channel == 2 ? ".rcc" : ".rcd"));
    if (!QFile::exists(file) && !keys.derived())
        return QStringLiteral("none");
    const QByteArray codes = test::readFile(file);
    if (!keys.derived() || codes.size() != kSamples || keys.sensitivity != 4)
        return QStringLiteral("mixed");
    for (int i = 0; i < kSamples; ++i) {
        const int a = 100 + i % 100;
        if (static_cast<std::uint8_t>(codes[i]) != (keys.operation == u"-A" ? 250 - a : a))
            return QStringLiteral("mixed");
    }
    return keys.operation;
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

OperationRequest request(const QString& ros, const char* op, int target) {
    OperationRequest r;
    r.rosPath = ros;
    r.op = *parseOperation(QString::fromLatin1(op));
    r.target = target;
    r.sensitivity = 4;
    r.sourceSensitivity = {4, 4};
    return r;
}

} // namespace

// Each run opens the set's files as another program would, so the threads meet as two programs do.
TEST(MathFaultTest, TwoRunsAtOnceKeepEveryKeyAndNeverMix) {
    struct Row {
        const char* name;
        int secondTarget;
        QStringList files;
    } rows[] = {
        {"C and D at once", 3, {"r.rca", "r.rcb", "r.rcc", "r.rcd", "r.ros"}},
        {"C twice at once", 2, {"r.rca", "r.rcb", "r.rcc", "r.ros"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        for (int attempt = 0; attempt < 50; ++attempt) {
            QTemporaryDir dir;
            const QString ros = writeSet(dir.path());
            OperationResult first, second;
            std::thread other([&] { second = computeDerivedChannel(request(ros, "A-B", r.secondTarget)); });
            first = computeDerivedChannel(request(ros, "-A", 2));
            other.join();
            ASSERT_TRUE(first.ok() && second.ok())
                << first.detail.toStdString() << second.detail.toStdString();
            const QString c = channelState(ros, 2);
            if (r.secondTarget == 3) {
                ASSERT_EQ(c, QStringLiteral("-A"));
                ASSERT_EQ(channelState(ros, 3), QStringLiteral("A-B"));
            } else {
                ASSERT_TRUE(c == u"-A" || c == u"A-B") << c.toStdString();
            }
            ASSERT_EQ(filesIn(dir.path()), r.files);
        }
    }
}

// Runs command (program first) with the traced children's environment and waits; its exit code, or -1.
// Forks as the sanitizers expect: Qt starts a process by cloning the address space in a way
// ThreadSanitizer cannot follow, which spoils its view of this test's own threads afterwards.
int runTraced(const QStringList& command) {
    std::vector<QByteArray> strings;
    for (const QString& a : command)
        strings.push_back(a.toLocal8Bit());
    const std::size_t argc = strings.size();
    for (const QString& e : test::tracedChildEnvironment().toStringList())
        strings.push_back(e.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (std::size_t i = 0; i < strings.size(); ++i)
        (i < argc ? argv : envp).push_back(strings[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t pid =
        test::startChild([&] { return ::execve(argv[0], argv.data(), envp.data()) == 0 ? 0 : 127; });
    const test::ChildEnd end = test::waitForChild(pid, std::chrono::seconds(20));
    return end.exited ? end.code : -1;
}

// strace stops the run before its n-th call of one system call and kills it; the calls that change
// nothing on disk (reads, opens without a name) need no kill of their own, as the disk is then as at
// the next changing call.
TEST(MathFaultTest, KilledAtAnyChangeOfTheDiskLeavesTheOldOrTheNewChannel) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QString calls =
        QStringLiteral("write,pwrite64,fsync,fdatasync,rename,renameat,renameat2,link,linkat,"
                       "unlink,unlinkat,fchmod,ftruncate");
    struct Row {
        const char* name;
        QStringList args; // after the set's path
        QString newState;
    } rows[] = {
        {"C replaced", {"--op", "A-B", "--to", "C", "--sens", "4"}, QStringLiteral("A-B")},
        {"C removed", {"--remove", "C"}, QStringLiteral("none")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        // The calls a whole run makes, by name.
        std::map<QString, int> counts;
        {
            QTemporaryDir dir;
            const QString ros = writeSet(dir.path());
            ASSERT_TRUE(computeDerivedChannel(request(ros, "-A", 2)).ok());
            const QString log = dir.filePath(QStringLiteral("trace.log"));
            ASSERT_EQ(runTraced(QStringList{strace, "-f", "-qq", "-o", log, "-e", "trace=" + calls,
                                            VARNILOG_CLI_PATH, "math", ros} +
                                r.args),
                      0);
            const QRegularExpression call(QStringLiteral("^(?:\\d+ +)?(\\w+)\\("));
            for (const QByteArray& line : test::readFile(log).split('\n'))
                if (const auto m = call.match(QString::fromLatin1(line)); m.hasMatch())
                    ++counts[m.captured(1)];
        }
        ASSERT_GT(counts[QStringLiteral("rename")] + counts[QStringLiteral("renameat")] +
                      counts[QStringLiteral("renameat2")],
                  0);
        int kills = 0;
        for (const auto& [name, count] : counts)
            for (int n = 1; n <= count; ++n) {
                SCOPED_TRACE(QStringLiteral("%1 #%2").arg(name).arg(n).toStdString());
                QTemporaryDir dir;
                const QString ros = writeSet(dir.path());
                ASSERT_TRUE(computeDerivedChannel(request(ros, "-A", 2)).ok());
                kills +=
                    runTraced(QStringList{strace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + name, "-e",
                                          QStringLiteral("inject=%1:signal=SIGKILL:when=%2").arg(name).arg(n),
                                          VARNILOG_CLI_PATH, "math", ros} +
                              r.args) != 0
                        ? 1
                        : 0;
                // Opening the set settles what the kill left.
                auto state = std::make_unique<SharedState>();
                state->recordingPath = ros;
                ASSERT_TRUE(loadRecording(*state).ok);
                const QString c = channelState(ros, 2);
                EXPECT_TRUE(c == u"-A" || c == r.newState) << c.toStdString();
                EXPECT_EQ(filesIn(dir.path()),
                          (c == u"none" ? QStringList{"r.rca", "r.rcb", "r.ros"}
                                        : QStringList{"r.rca", "r.rcb", "r.rcc", "r.ros"}));
            }
        EXPECT_GT(kills, 3);
    }
}

// Links planted where older versions wrote at fixed or predictable names, and at the channel's own
// name: the file they point to stays as it was.
TEST(MathFaultTest, PlantedLinksAreNeverWrittenThrough) {
    struct Row {
        const char* name;
        QString link;     // in the set's folder
        QStringList args; // varnilog-cli; empty: a summary built in this process
        int code;
    } rows[] = {
        {"derived temporary", QStringLiteral("r.rcc.tmp"), {"--op", "A-B", "--to", "C"}, 0},
        {"derived backup", QStringLiteral("r.rcc.old~"), {"--op", "A-B", "--to", "C"}, 0},
        {"channel itself", QStringLiteral("r.rcc"), {"--op", "A-B", "--to", "C", "--replace"}, 1},
        {"channel itself removed", QStringLiteral("r.rcc"), {"--remove", "C", "--replace"}, 1},
        {"summary temporary", QStringLiteral(".r.rsa.%1.part").arg(::getpid()), {}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir, outside;
        const QString ros = writeSet(dir.path());
        const QString victim = outside.filePath(QStringLiteral("victim"));
        test::writeFile(victim, "precious");
        ASSERT_TRUE(QFile::link(victim, dir.filePath(r.link)));
        if (r.args.isEmpty()) {
            EXPECT_TRUE(buildSampleSummary(siblingPath(ros, QStringLiteral(".rca"))));
        } else {
            const test::CliRun run = runCli(QStringList{"math", ros} + r.args);
            EXPECT_EQ(run.code, r.code) << run.err.toStdString();
        }
        EXPECT_EQ(test::readFile(victim), QByteArray("precious"));
        if (r.code != 0) { // a channel's name that is a link is refused and left
            EXPECT_TRUE(QFileInfo(dir.filePath(r.link)).isSymLink());
        }
    }
}
