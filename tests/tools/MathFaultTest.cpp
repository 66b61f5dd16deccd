// varnilog-cli math attacked as an unlucky user would: two runs on one set at once, a kill before
// every system call that changes the disk, links planted at the names a run writes. Afterwards the set
// shows for each derived channel one whole version (keys and samples of the same run) and nothing else.
#include "analysis/ChannelMath.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"
#include "support/CliRunner.h"
#include "support/KillHarness.h"
#include "support/RecordingSet.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

// A kill before any system call that changes the disk leaves the old or the new channel.
TEST(MathFaultTest, KilledAtAnyChangeOfTheDiskLeavesTheOldOrTheNewChannel) {
    if (test::straceProgram().isEmpty())
        GTEST_SKIP() << "strace is not installed";
    struct Row {
        const char* name;
        QStringList args; // after the set's path
        QString newState;
    } rows[] = {
        {"C replaced", {"--op", "A-B", "--to", "C", "--sens", "4"}, QStringLiteral("A-B")},
        {"C removed", {"--remove", "C"}, QStringLiteral("none")},
        {"C by a formula",
         {"--expr", "delay(A,0) - B", "--to", "C", "--sens", "4"},
         QStringLiteral("delay(A,0) - B")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto setUp = [&](const QString& dir) {
            const QString ros = writeSet(dir);
            EXPECT_TRUE(computeDerivedChannel(request(ros, "-A", 2)).ok());
            return QStringList{VARNILOG_CLI_PATH, "math", ros} + r.args;
        };
        const int kills = test::killAtEveryDiskChange(setUp, [&](const QString& dir, bool) {
            // Opening the set settles what the kill left.
            const QString ros = QDir(dir).filePath(QStringLiteral("r.ros"));
            auto state = std::make_unique<SharedState>();
            state->recordingPath = ros;
            ASSERT_TRUE(loadRecording(*state).ok);
            const QString c = channelState(ros, 2);
            EXPECT_TRUE(c == u"-A" || c == r.newState) << c.toStdString();
            EXPECT_EQ(filesIn(dir), (c == u"none" ? QStringList{"r.rca", "r.rcb", "r.ros"}
                                                  : QStringList{"r.rca", "r.rcb", "r.rcc", "r.ros"}));
        });
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
