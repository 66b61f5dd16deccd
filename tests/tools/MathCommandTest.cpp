// varnilog-cli math: what it prints and writes for each kind of request, and the refusals with their
// exit codes (1 for a recording that cannot take the operation, 2 for a wrong command line), which
// leave the set unchanged.
#include "support/CliRunner.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;
using test::CliRun;
using test::runCli;

namespace {} // namespace

TEST(MathCommandTest, ComputesRemovesAndRefuses) {
    struct Case {
        const char* name;
        QStringList args;
        bool withB, recordedC;
        int code;
        const char* out; // the line after "<path>: "; for failures, a part of stderr
        QByteArray rcc;  // C afterwards
    };
    // A 150, 100 and B 125, 150 at 1 V/div.
    const std::vector<Case> cases{
        {"A-B at 0.5 V/div",
         {"--op", "A-B", "--to", "C", "--sens", "5"},
         true,
         false,
         0,
         "channel C = A-B at 0.5V/div (sensitivity 5), 2 samples\n",
         QByteArray("\xAF\x19", 2)},
        {"average, auto",
         {"--op", "avg(A,2)", "--to", "c"},
         true,
         false,
         0,
         "channel C = SREDNIA(A,2) at 0.2V/div (sensitivity 6, auto), 2 samples\n",
         QByteArray("\xFA\x7D", 2)},
        {"no B", {"--op", "B-A", "--to", "C"}, false, false, 1, "needs channel B", "<missing>"},
        {"recorded C", {"--op", "-A", "--to", "C"}, true, true, 1, "holds recorded data", "\x07"},
        {"recorded C replaced",
         {"--op", "-A", "--to", "C", "--sens", "4", "--replace"},
         true,
         true,
         0,
         "channel C = -A at 1V/div (sensitivity 4), 2 samples\n",
         QByteArray("\x64\x96", 2)},
        {"remove recorded C", {"--remove", "C"}, true, true, 1, "holds recorded data", "\x07"},
        {"nothing to remove", {"--remove", "D"}, true, false, 1, "there is no channel D", "<missing>"},
        {"unknown operation", {"--op", "A*B", "--to", "C"}, true, false, 2, "unknown operation", "<missing>"},
        {"window too long",
         {"--op", "avg(A,10001)", "--to", "C"},
         true,
         false,
         2,
         "N out of range 2..10000",
         "<missing>"},
        {"target A", {"--op", "A-B", "--to", "A"}, true, false, 2, "expected C or D", "<missing>"},
        {"sensitivity 11",
         {"--op", "A-B", "--to", "C", "--sens", "11"},
         true,
         false,
         2,
         "--sens",
         "<missing>"},
        {"expression",
         {"--expr", "0.5*(A+B)", "--to", "C", "--sens", "4"},
         true,
         false,
         0,
         "channel C = 0.5*(A+B) at 1V/div (sensitivity 4), 2 samples\n",
         QByteArray("\x8A\x7D", 2)},
        {"expression not finite once",
         {"--expr", "1/(A-1)", "--to", "C", "--sens", "4"},
         true,
         false,
         0,
         "channel C = 1/(A-1) at 1V/div (sensitivity 4), 2 samples, 1 value not finite stored as 0 V\n",
         QByteArray("\x7D\x71", 2)},
        {"unknown name",
         {"--expr", "A+E", "--to", "C"},
         true,
         false,
         2,
         "--expr: nieznana nazwa 'E' w znaku 3",
         "<missing>"},
        {"the target itself",
         {"--expr", "-C", "--to", "C"},
         true,
         false,
         2,
         "kanał C jest celem",
         "<missing>"},
        {"expression without B",
         {"--expr", "avg(B, 2)", "--to", "C"},
         false,
         false,
         1,
         "kanał B nie ma próbek",
         "<missing>"},
        {"both --op and --expr",
         {"--op", "A-B", "--expr", "A", "--to", "C"},
         true,
         false,
         2,
         "either",
         "<missing>"},
        {"both --op and --remove",
         {"--op", "A-B", "--to", "C", "--remove", "C"},
         true,
         false,
         2,
         "either",
         "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString ros = test::writeRecording(dir.path(), "r",
                                                 {10,
                                                  4,
                                                  4,
                                                  2,
                                                  {{150, 100},
                                                   c.withB ? test::Codes{125, 150} : test::Codes{},
                                                   c.recordedC ? test::Codes{7} : test::Codes{}}});
        const CliRun run = runCli(QStringList{"math", ros} + c.args);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        if (c.code == 0)
            EXPECT_EQ(run.out, (ros + ": " + c.out).toUtf8());
        else
            EXPECT_TRUE(run.err.contains(c.out)) << run.err.toStdString();
        EXPECT_EQ(test::readFile(dir.filePath("r.rcc")), c.rcc);
    }
}

TEST(MathCommandTest, RemoveTakesBackWhatWasComputed) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), "r", {10, 4, 4, 2, {{150}, {125}}});
    const CliRun computed = runCli({"math", ros, "--op", "A+B", "--to", "D", "--sens", "3"});
    ASSERT_EQ(computed.code, 0);
    EXPECT_TRUE(computed.out.endsWith("), 1 sample\n")) << computed.out.constData();
    EXPECT_TRUE(runCli({"info", ros}).out.contains("channel D:   .rcd present, 2V/div, derived: A+B\n"));
    const CliRun run = runCli({"math", ros, "--remove", "D"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, (ros + ": removed channel D (A+B)\n").toUtf8());
    EXPECT_FALSE(QFile::exists(dir.filePath("r.rcd")));
    EXPECT_TRUE(test::readFile(ros).contains("ILOSCKANALOW=2"));
}
