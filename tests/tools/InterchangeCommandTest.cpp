// varnilog-cli export and import of CSV, WAV and sigrok sessions, checked with readers nobody here
// wrote (sox, sigrok-cli, Python's csv and wave modules; each check skips when its tool is missing),
// round trips back to the same codes, and refusals that leave no set behind.
#include "recording/FileIdentity.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/InterchangeFiles.h"
#include "support/RecordingSetBuilder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <fstream>
#include <iterator>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varnilog;
using test::runCli;

namespace {

// 1000 samples at 0.1 ms (10 kHz): A a ramp over every code at 1 V/div, B a ramp down at 10 mV/div.
QString writeRamp(const QString& dir) {
    QByteArray a(1000, 0), b(1000, 0);
    for (int i = 0; i < 1000; ++i) {
        a[i] = static_cast<char>(i % 256);
        b[i] = static_cast<char>(255 - i % 256);
    }
    return test::writeRecording(
        dir, QStringLiteral("ramp"),
        "[PARAMETRY]\r\nPODSTAWA=13\r\nCZULOSCA=4\r\nCZULOSCB=10\r\nILOSCKANALOW=2\r\n", {a, b});
}

double volts(int code, double vdiv) {
    return (code - 125) * vdiv * 0.04;
}

// stdout of a tool, or nothing when it is not installed.
std::optional<QByteArray> runTool(const QString& name, const QStringList& args) {
    const QString tool = QStandardPaths::findExecutable(name);
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

// The names in dir as the system has them.
std::vector<QByteArray> rawNames(const QString& dir) {
    std::vector<QByteArray> names;
    DIR* d = ::opendir(nativeFileName(dir).constData());
    while (const dirent* e = d ? ::readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            names.emplace_back(e->d_name);
    if (d)
        ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

QStringList setFiles(const QString& dir, const QString& base) {
    return QDir(dir).entryList({base + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
}

} // namespace

// The real readers read our exports: sox the WAV's rate and codes, sigrok-cli the session's rate and
// float32 volts, Python the CSV's volts and the WAV's frames.
TEST(InterchangeCommandTest, RealReadersReadOurExports) {
    QTemporaryDir dir;
    const QString ros = writeRamp(dir.path());
    for (const char* ext : {"wav", "sr", "csv"})
        ASSERT_EQ(runCli({"export", ros, dir.filePath(QStringLiteral("x.") + ext)}).code, 0) << ext;
    const QByteArray a = test::readFile(dir.filePath("ramp.rca")),
                     b = test::readFile(dir.filePath("ramp.rcb"));
    QByteArray interleaved;
    for (int i = 0; i < a.size(); ++i)
        interleaved.append(a[i]).append(b[i]);
    int checked = 0;
    if (const auto info = runTool("sox", {"--i", "-r", dir.filePath("x.wav")})) {
        EXPECT_EQ(info->trimmed(), "10000");
        EXPECT_EQ(*runTool("sox", {dir.filePath("x.wav"), "-t", "raw", "-"}), interleaved);
        ++checked;
    }
    if (const auto csv = runTool("sigrok-cli", {"-i", dir.filePath("x.sr"), "-O", "csv"})) {
        EXPECT_TRUE(csv->contains("; Samplerate: 10 kHz")) << csv->left(300).toStdString();
        QList<QByteArray> rows;
        for (const QByteArray& line : csv->split('\n'))
            if (!line.isEmpty() && (line[0] == '-' || std::isdigit(static_cast<unsigned char>(line[0]))))
                rows << line;
        ASSERT_EQ(rows.size(), 1000);
        for (int i = 0; i < 1000; i += 37) {
            const QList<QByteArray> v = rows[i].split(',');
            EXPECT_EQ(v[0].toFloat(), static_cast<float>(volts(static_cast<std::uint8_t>(a[i]), 1.0))) << i;
            EXPECT_EQ(v[1].toFloat(), static_cast<float>(volts(static_cast<std::uint8_t>(b[i]), 0.01))) << i;
        }
        ++checked;
    }
    const QString script =
        QStringLiteral("import csv, sys, wave\n"
                       "rows = list(csv.reader(open(sys.argv[1])))\n"
                       "w = wave.open(sys.argv[2])\n"
                       "print(rows[0], len(rows) - 1, rows[2][0], float(rows[300][1]), float(rows[300][2]))\n"
                       "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes(), "
                       "list(w.readframes(2)))\n");
    if (const auto py = runTool("python3", {"-c", script, dir.filePath("x.csv"), dir.filePath("x.wav")})) {
        // Row 300 is sample 299: A code 43 at 1 V/div, B code 212 at 10 mV/div, as full doubles.
        EXPECT_EQ(
            QString::fromUtf8(*py).toStdString(),
            QStringLiteral("['time_s', 'A_V', 'B_V'] 1000 0.0001 %1 %2\n2 1 10000 1000 [0, 255, 1, 254]\n")
                .arg(QString::number(volts(43, 1.0), 'g', QLocale::FloatingPointShortest),
                     QString::number(volts(212, 0.01), 'g', QLocale::FloatingPointShortest))
                .toStdString());
        ++checked;
    }
    if (checked < 3)
        GTEST_SKIP() << "sox, sigrok-cli or python3 is missing (scripts/install-deps installs them)";
}

// Export then import gives the same codes back: exactly from WAV, and from .sr and CSV at the
// sensitivities of the source (float32 and the shortest decimal text both round back to the code).
// A span and one channel make a one-channel set.
TEST(InterchangeCommandTest, RoundTripsGiveTheSameCodes) {
    QTemporaryDir dir;
    const QString ros = writeRamp(dir.path());
    const QByteArray a = test::readFile(dir.filePath("ramp.rca")),
                     b = test::readFile(dir.filePath("ramp.rcb"));
    struct Case {
        const char* ext;
        QStringList exportArgs, importArgs;
        QByteArray rca, rcb;
        const char* out;
    };
    const std::vector<Case> cases{
        {"wav", {}, {}, a, b, "1000 samples at time base 13 (0.1ms), A at 1V/div, B at 10mV/div"},
        {"sr", {}, {"--sens", "A=4,B=10"}, a, b, "A at 1V/div, B at 10mV/div"},
        {"csv", {}, {"--sens", "A=4,B=10"}, a, b, "A at 1V/div, B at 10mV/div"},
        {"wav",
         {"--from", "10", "--to", "20", "--channels", "B"},
         {},
         b.mid(10, 10),
         "<missing>",
         "10 samples at time base 13 (0.1ms), A at 10mV/div"},
        {"sr", {"--format", "sr"}, {"--format", "sr", "--sens", "auto"}, a, b, "A at 1V/div, B at 10mV/div"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString base = QStringLiteral("back%1").arg(n++);
        const QString out = dir.filePath(base + QStringLiteral(".") + QLatin1String(c.ext));
        ASSERT_EQ(runCli(QStringList{"export", ros, out} + c.exportArgs).code, 0) << c.ext;
        const auto run = runCli(QStringList{"import", out, dir.filePath(base + ".ros")} + c.importArgs);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.out)) << run.out.toStdString();
        if (!c.rca.isEmpty()) {
            EXPECT_EQ(test::readFile(dir.filePath(base + ".rca")), c.rca) << c.ext;
            EXPECT_EQ(test::readFile(dir.filePath(base + ".rcb")), c.rcb) << c.ext;
        }
        EXPECT_TRUE(test::readFile(dir.filePath(base + ".roc"))
                        .startsWith("Imported from “" + out.section('/', -1).toUtf8()));
    }
}

// Refusals end with one line on stderr and exit 1 (2 for a wrong command line) and leave no file of
// the new set; a forced time base is named in the description.
TEST(InterchangeCommandTest, ImportRefusalsLeaveNoSet) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("odd.csv"), "time_s,A_V\n0,0\n0.0012,1\n0.0024,0\n");
    test::writeFile(dir.filePath("bad.csv"), "time_s,A_V\n0,0\n0.001,1\n0.002,nan\n");
    test::writeFile(dir.filePath("uneven.csv"), "time_s,A_V\n0,0\n0.0001,1\n0.00024,0\n0.00038,1\n");
    test::writeFile(dir.filePath("notes.txt"), "0,0\n");
    test::writeFile(dir.filePath("taken.ros"), "[PARAMETRY]\r\n");
    const QByteArray samples(8, '\0');
    test::zipArchive(dir.filePath("huge.sr"), {{"version", "2"},
                                               {"metadata", "[device 1]\nsamplerate=1e300 GHz\nanalog1=A\n"},
                                               {"analog-1-1-1", samples}});
    test::zipArchive(dir.filePath("gap.sr"), {{"version", "2"},
                                              {"metadata", "[device 1]\nsamplerate=1 kHz\nanalog1=A\n"},
                                              {"analog-1-1-1", samples},
                                              {"analog-1-1-3", samples}});
    struct Case {
        QStringList args;
        int code;
        const char* err;
    };
    const std::vector<Case> cases{
        {{"odd.csv", "new.ros"},
         1,
         "833.3333 Hz matches no time base within 0.1 %; nearest: 500 Hz (time base 9, 2ms) or 1 kHz"},
        {{"bad.csv", "new.ros"}, 1, "line 4: not a number"},
        {{"uneven.csv", "new.ros"}, 1, "uneven.csv: line 3: time 0.0001 s breaks the even spacing"},
        {{"odd.csv", "taken.ros"}, 1, "a recording of that name exists"},
        {{"notes.txt", "new.ros"}, 2, "none of wav, sr, csv"},
        {{"odd.csv", "new.ros", "--sens", "A=11"}, 2, "--sens"},
        {{"missing.wav", "new.ros"}, 1, "missing.wav"},
        {{"huge.sr", "new.ros"}, 1, "huge.sr: metadata: samplerate \"1e300 GHz\" is out of range"},
        {{"gap.sr", "new.ros"}, 1, "gap.sr: member analog-1-1-2 is missing (analog-1-1-3 follows)"},
        {{"/dev/null", "new.ros", "--format=sr"}, 1, "/dev/null: not a regular file"},
    };
    for (const Case& c : cases) {
        QStringList args{"import"};
        for (const QString& a : c.args)
            args << (a.startsWith('-') || a.startsWith('/') || a.front().isDigit() || a.contains('=')
                         ? a
                         : dir.filePath(a));
        const auto run = runCli(args);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(setFiles(dir.path(), "new"), QStringList()) << run.err.toStdString();
    }
    const auto forced =
        runCli({"import", dir.filePath("odd.csv"), dir.filePath("new.ros"), "--time-base", "10"});
    EXPECT_EQ(forced.code, 0) << forced.err.toStdString();
    EXPECT_TRUE(test::readFile(dir.filePath("new.roc")).contains("Timebase forced: 1ms (file: 833.3333 Hz)"));
}

// A session sigrok-cli recorded from its demo device, in several chunks, imports whole; with a chunk
// taken out the import names the missing one instead of keeping only the samples before it.
TEST(InterchangeCommandTest, SigrokCliSessionWithAChunkTakenOut) {
    const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
    if (sigrok.isEmpty())
        GTEST_SKIP() << "sigrok-cli is missing (scripts/install-deps installs it)";
    QTemporaryDir dir;
    const QString session = dir.filePath("demo.sr");
    QProcess p;
    p.start(sigrok, {"-d", "demo:analog_channels=1:logic_channels=0", "-c", "samplerate=100k", "--samples",
                     "3000", "-o", session});
    ASSERT_TRUE(p.waitForFinished(60000));
    const auto whole = runCli({"import", session, dir.filePath("whole.ros")});
    EXPECT_EQ(whole.code, 0) << whole.err.toStdString();
    EXPECT_TRUE(whole.out.contains("3000 samples at time base 16")) << whole.out.toStdString();
    ASSERT_TRUE(test::removeZipMember(session, "analog-1-1-2"));
    const auto cut = runCli({"import", session, dir.filePath("cut.ros")});
    EXPECT_EQ(cut.code, 1);
    EXPECT_TRUE(cut.err.contains("demo.sr: member analog-1-1-2 is missing (analog-1-1-3 follows)"))
        << cut.err.toStdString();
    EXPECT_EQ(setFiles(dir.path(), "cut"), QStringList());
}

// A WAV of ours that an audio editor saved again at 16 bits, keeping our comment behind the samples,
// imports as the codes and V/div it was exported with, and the description says where they came from.
TEST(InterchangeCommandTest, WavSavedAgainAt16BitsKeepsCodesAndSensitivities) {
    QTemporaryDir dir;
    const QString ros = writeRamp(dir.path());
    ASSERT_EQ(runCli({"export", ros, dir.filePath("x.wav")}).code, 0);
    const QByteArray ours = test::readFile(dir.filePath("x.wav"));
    const qsizetype list = ours.indexOf("LIST"), data = ours.indexOf("data");
    QByteArray wide;
    for (const char code : ours.mid(data + 8))
        wide += test::signedSamples({(static_cast<std::uint8_t>(code) - 128) * 256});
    test::writeFile(dir.filePath("16.wav"), test::wavFile(2, 16, 10000, wide, test::WavSamples::Pcm, {},
                                                          ours.mid(list, data - list)));
    const auto run = runCli({"import", dir.filePath("16.wav"), dir.filePath("back.ros")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("A at 1V/div, B at 10mV/div")) << run.out.toStdString();
    EXPECT_EQ(test::readFile(dir.filePath("back.rca")), test::readFile(dir.filePath("ramp.rca")));
    EXPECT_EQ(test::readFile(dir.filePath("back.rcb")), test::readFile(dir.filePath("ramp.rcb")));
    EXPECT_TRUE(test::readFile(dir.filePath("back.roc"))
                    .contains("(WAV 16 bit, channels: 2, 10 kHz). File saved again with our ICMT comment"));
}

// Names are bytes: a set whose name is no UTF-8, in a folder whose name is none either, is read,
// changed and written by its own bytes, relative to such a working folder too; whatever a command
// makes keeps those bytes, and the names it prints are those bytes (JSON escapes them as Python does).
TEST(InterchangeCommandTest, NamesThatAreNoUtf8AreKept) {
    const struct {
        std::vector<QByteArray> args; // after the command; "@" begins a name in the set's folder
        bool relative;                // "@" names relative to the set's folder, which runs the tool
        int code;
        std::vector<QByteArray> made; // beside in.csv and the set's own three files
        QByteArray printed;           // in stdout or stderr
        int runs = 1;                 // a second change must keep what the first made
    } rows[] = {
        {{"import", "@in.csv", "@new\xfe.ros"},
         false,
         0,
         {"new\xfe.rca", "new\xfe.roc", "new\xfe.ros"},
         "new\xfe.ros: 2 samples"},
        {{"import", "@in.csv", "@new\xfe.ros"},
         true,
         0,
         {"new\xfe.rca", "new\xfe.roc", "new\xfe.ros"},
         "new\xfe.ros: 2 samples"},
        {{"info", "@nb\xfe.ros"}, false, 0, {}, "\xfd/nb\xfe.ros\n"},
        {{"info", "@nb\xfe.ros"}, true, 0, {}, "\xfd/nb\xfe.ros\n"},
        {{"info", "@nb\xfe.ros", "--json"}, false, 0, {}, "\\udcfd/nb\\udcfe.ros\""},
        {{"info", "@gone\xfe.ros"}, false, 1, {}, "gone\xfe.ros: no such recording"},
        {{"measure", "@nb\xfe.ros"}, false, 0, {}, "nb\xfe.ros"},
        {{"markers", "@nb\xfe.ros", "--add", "10:20", "first"},
         false,
         0,
         {"nb\xfe.rmk"},
         "nb\xfe.ros: added",
         2},
        {{"markers", "@nb\xfe.ros", "--add", "10:20", "first"}, true, 0, {"nb\xfe.rmk"}, "nb\xfe.ros: added"},
        {{"events", "@nb\xfe.ros", "--channel", "A", "--level", "0", "--edge", "rising"},
         true,
         0,
         {},
         "nb\xfe.ros\n"},
        {{"math", "@nb\xfe.ros", "--op", "A-B", "--to", "C"},
         false,
         0,
         {"nb\xfe.rcc"},
         "nb\xfe.ros: channel C"},
        {{"export", "@nb\xfe.ros", "@out.csv"}, false, 0, {"out.csv"}, ""},
        {{"export", "@nb\xfe.ros", "@bad\xff.wav"}, false, 0, {"bad\xff.wav"}, ""},
        {{"export", "@nb\xfe.ros", "@bad\xff.wav"}, true, 0, {"bad\xff.wav"}, ""},
        {{"export", "@nb\xfe.ros", "@out\xfe.sr", "--channels", "B"}, false, 0, {"out\xfe.sr"}, ""},
        {{"export", "@nb\xfe.ros", "@nb\xfe.rcc", "--format", "csv"},
         false,
         2,
         {},
         "nb\xfe.rcc is a file of the recording "},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE((r.args[0] + ' ' + r.args.back() + (r.relative ? " (relative)" : "")).toStdString());
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xfd";
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
        writeRamp(dir.path());
        test::writeFile(dir.filePath("in.csv"), "0,0\n0.001,1\n");
        for (const QByteArray name : {".ros", ".rca", ".rcb", "in.csv"})
            ASSERT_EQ(::rename(QFile::encodeName(dir.filePath(name.startsWith('.') ? "ramp" + name : name)),
                               folder + '/' + (name.startsWith('.') ? "nb\xfe" + name : name)),
                      0);
        std::vector<QByteArray> args;
        for (const QByteArray& a : r.args)
            args.push_back(!a.startsWith('@') ? a : r.relative ? a.mid(1) : folder + '/' + a.mid(1));
        for (int run = 0; run < r.runs; ++run) {
            const test::CliRun cli = test::runCliBytes(args, r.relative ? folder : QByteArray());
            EXPECT_EQ(cli.code, r.code) << cli.err.constData();
            EXPECT_TRUE((cli.out + cli.err).contains(r.printed)) << (cli.out + cli.err).constData();
            EXPECT_FALSE((cli.out + cli.err).contains("\xef\xbf\xbd")) << (cli.out + cli.err).constData();
        }
        if (r.runs > 1) {
            std::ifstream markers((folder + "/nb\xfe.rmk").constData(), std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(markers), {}};
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), r.runs + 1) << text; // and the format line
        }
        std::vector<QByteArray> expected = r.made;
        expected.insert(expected.end(), {"in.csv", "nb\xfe.rca", "nb\xfe.rcb", "nb\xfe.ros"});
        std::sort(expected.begin(), expected.end());
        const QString folderName = fileNameFromNative(folder);
        EXPECT_EQ(rawNames(folderName), expected);
        for (const QByteArray& name : rawNames(folderName))
            ::unlink(folder + '/' + name); // Qt's removal cannot spell these names
        ::rmdir(folder.constData());
    }
}

// Import refuses at once an input that is no regular file (a pipe's open would wait for a writer),
// names the file whose write failed, and gives the set the input's time of change as its start.
TEST(InterchangeCommandTest, ImportRefusesPipesNamesFailedFilesAndStartsAtTheInputsTime) {
    const struct {
        const char* input;
        rlim_t sizeLimit; // 0: none
        int code;
        const char* err;
    } rows[] = {
        {"ff.sr", 0, 1, "ff.sr: not a regular file"},
        {"ff.wav", 0, 1, "ff.wav: not a regular file"},
        {"ff.csv", 0, 1, "ff.csv: not a regular file"},
        {"in.csv", 16, 1, "out.roc: "}, // the description is the first file over the limit
        {"in.csv", 0, 0, ""},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        const QString input = dir.filePath(QLatin1String(r.input));
        if (input.endsWith(QLatin1String("in.csv"))) {
            test::writeFile(input, "0,0\n0.001,1\n");
            QFile file(input);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9)),
                                         QFileDevice::FileModificationTime));
        } else {
            ASSERT_EQ(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
        }
        const QStringList args{"import", input, dir.filePath("out.ros")};
        test::CliRun run;
        if (r.sizeLimit != 0) {
            const test::ScopedFileSizeLimit limit(r.sizeLimit);
            run = runCli(args, 10000);
        } else {
            run = runCli(args, 10000);
        }
        ASSERT_TRUE(run.finished) << r.input;
        EXPECT_EQ(run.code, r.code) << r.input << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(r.err)) << r.input << ": " << run.err.toStdString();
        if (r.code != 0) {
            EXPECT_TRUE(setFiles(dir.path(), "out").isEmpty()) << r.input;
            continue;
        }
        EXPECT_TRUE(
            runCli({"info", dir.filePath("out.ros")}).out.contains("start:       2021-05-06 07.08.09"));
    }
}

// Export refusals: a wrong command line exits 2, a file that cannot be written whole (a full disk
// through the file size limit, a missing folder) exits 1 with one line; neither leaves a file or a
// temporary behind.
TEST(InterchangeCommandTest, ExportRefusalsLeaveNoFile) {
    QTemporaryDir dir;
    const QString ros = writeRamp(dir.path());
    struct Case {
        QStringList args; // after "export ROS"
        int code;
        const char* err;
        rlim_t sizeLimit; // 0: none
    };
    const std::vector<Case> cases{
        {{"out.sr"}, 1, "File too large", 4096},
        {{"out.wav"}, 1, "File too large", 1024},
        {{"out.csv"}, 1, "File too large", 4096},
        {{"no/such/out.wav"}, 1, "No such file or directory", 0},
        {{"out.wav", "--channels", "AZ"}, 2, "--channels", 0},
        {{"out.wav", "--channels", "C"}, 1, "none of the channels", 0},
        {{"out.csv", "--from", "5", "--to", "5"}, 2, "empty", 0},
        {{"out.wav", "--to", "1001"}, 2, "--to", 0},
        {{"out.flac"}, 2, "none of txt, csv, wav, sr", 0},
        {{"out.wav", "--format", "mp3"}, 2, "none of txt, csv, wav, sr", 0},
        {{"out.txt", "--channels", "A"}, 2, "applies to csv, wav and sr", 0},
        {{"out.wav", "--labels"}, 1, "out.labels.txt: Is a directory", 0}, // the second file fails
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out.labels.txt")));
    for (const Case& c : cases) {
        QStringList args{"export", ros, dir.filePath(c.args[0])};
        args << c.args.mid(1);
        test::CliRun run;
        if (c.sizeLimit != 0) {
            const test::ScopedFileSizeLimit limit(c.sizeLimit);
            run = runCli(args);
        } else {
            run = runCli(args);
        }
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(setFiles(dir.path(), "out"), QStringList()) << c.args.join(' ').toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
    }
    // Nor does the spectrum's table stay behind a picture that cannot be written.
    const auto spectrum =
        runCli({"spectrum", ros, dir.filePath("out.csv"), "--png", dir.filePath("no/such/out.png")});
    EXPECT_EQ(spectrum.code, 1) << spectrum.err.toStdString();
    EXPECT_EQ(setFiles(dir.path(), "out"), QStringList());
}

// A WAV of a span takes the markers inside it along as an Audacity label track, timed from its start.
TEST(InterchangeCommandTest, WavLabelsHoldTheMarkersOfTheSpan) {
    QTemporaryDir dir;
    const QString ros = writeRamp(dir.path());
    for (const char* at : {"200", "950"})
        ASSERT_EQ(runCli({"markers", ros, "--add", at, QStringLiteral("m") + at}).code, 0);
    const QString wav = dir.filePath(QStringLiteral("x.wav"));
    ASSERT_EQ(runCli({"export", ros, wav, "--from", "100", "--to", "900", "--labels"}).code, 0);
    const QList<QByteArray> lines =
        test::readFile(dir.filePath(QStringLiteral("x.labels.txt"))).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const QList<QByteArray> fields = lines[0].trimmed().split('\t');
    ASSERT_EQ(fields.size(), 3);
    EXPECT_NEAR(fields[0].toDouble(), 0.01, 1e-9); // sample 200 of a WAV that starts at 100, 0.1 ms each
    EXPECT_EQ(fields[2], "m200");
    EXPECT_EQ(runCli({"export", ros, dir.filePath(QStringLiteral("x.csv")), "--labels"}).code, 2);
}
