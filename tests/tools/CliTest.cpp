// The command-line tool run as a program: exit codes, messages and the files it writes.
#include "app/Configuration.h"
#include "device/PtyBoard.h"
#include "recording/RecordingLoader.h"
#include "spectrum/RecordingSpectra.h"
#include "spectrum/SpectrumData.h"
#include "view/PageFile.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include "support/CliRunner.h"
#include "support/RecordingSetBuilder.h"

#include <gtest/gtest.h>

#include <QImage>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

using varnilog::test::CliRun;
using varnilog::test::runCli;

using varnilog::test::readFile;
using varnilog::test::writeFile;

// Three samples at 1 ms, A at 1 V/div in DC, B at 10 mV/div.
QString makeRecording(const QTemporaryDir& dir) {
    return varnilog::test::writeRecording(
        dir.path(), QStringLiteral("2024-03-07 14.05.09"),
        "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=10\r\nTRYBA=2\r\nTRYBB=0\r\n"
        "OFFSETA=100\r\nOFFSETB=90\r\nILOSCKANALOW=2\r\nSTART=2024-03-07 14.05.09\r\n",
        {QByteArray("\x7d\x96\x64", 3), QByteArray("\x7e\x7d\x7c", 3)}); // A 125 150 100, B 126 125 124
}

} // namespace

TEST(CliTest, UsageErrorsAndFailuresHaveTheirExitCodes) {
    EXPECT_EQ(runCli({}).code, 2);
    EXPECT_EQ(runCli({"frobnicate"}).code, 2);
    EXPECT_EQ(runCli({"info"}).code, 2);
    EXPECT_EQ(runCli({"info", "a.ros", "--bogus"}).code, 2);
    const CliRun missing = runCli({"info", "/nonexistent/x.ros"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("no such recording")) << missing.err.constData();
    EXPECT_EQ(missing.err.count('\n'), 1);
    const CliRun help = runCli({"export", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("--locale"));
    EXPECT_EQ(runCli({"--version"}).code, 0);
    QTemporaryDir dir;
    QDir().mkdir(dir.filePath("folder.ros"));
    EXPECT_EQ(runCli({"info", dir.filePath("folder.ros")}).code, 1);
}

TEST(CliTest, InfoReportsTheSettingsOfARecording) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    const CliRun r = runCli({"info", ros, "--json"});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o["sampleCount"].toInt(), 3);
    EXPECT_EQ(o["timeBase"].toString(), "1ms");
    EXPECT_EQ(o["duration"].toString(), "0000:00:00:003");
    EXPECT_EQ(o["start"].toString(), "2024-03-07 14.05.09");
    const QJsonObject a = o["channels"].toArray()[0].toObject();
    EXPECT_EQ(a["voltsPerDivision"].toString(), "1V");
    EXPECT_EQ(a["coupling"].toString(), "DC");
    EXPECT_EQ(o["channels"].toArray()[1].toObject()["offset"].toInt(), 90);
    EXPECT_FALSE(o["channels"].toArray()[2].toObject()["file"].toBool());

    // Values from the file reach the terminal with their control characters escaped.
    writeFile(ros, "[PARAMETRY]\r\nSTART=\x1b[2J\x07x\tz\x7f\r\nOPERACJAC=A\x1b]0;t\r\n");
    writeFile(QString(ros).replace(".ros", ".rcc"), "abc");
    const CliRun text = runCli({"info", ros});
    EXPECT_TRUE(text.out.contains("start:       \\x1b[2J\\x07x\\tz\\x7f\n")) << text.out.constData();
    EXPECT_TRUE(text.out.contains("derived: A\\x1b]0;t\n")) << text.out.constData();
    EXPECT_FALSE(text.out.contains('\x1b'));
}

TEST(CliTest, ExportWritesTheSpreadsheetText) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    const QString out = dir.filePath("out.txt");
    ASSERT_EQ(runCli({"export", ros, out, "--locale", "pl_PL"}).code, 0);
    EXPECT_EQ(readFile(out), QByteArray("0000:00:00:000;0,0000;0,0004\r\n"
                                        "0000:00:00:001;1,0000;0,0000\r\n"
                                        "0000:00:00:002;-1,0000;-0,0004\r\n"));
    ASSERT_EQ(runCli({"export", ros, out, "--locale", "en_US"}).code, 0);
    EXPECT_TRUE(readFile(out).startsWith("0000:00:00:000;0.0000;0.0004\r\n"));
    EXPECT_EQ(runCli({"export", ros, dir.filePath("missing/out.txt")}).code, 1);
}

// A set without its ".rca" is an empty recording with a readable header, as the window shows it:
// info and export succeed; drawing or computing it has nothing to work on.
TEST(CliTest, ASetWithoutChannelASamplesIsAnEmptyRecording) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    ASSERT_TRUE(QFile::remove(dir.filePath("2024-03-07 14.05.09.rca")));
    const QString out = dir.filePath("out.txt");
    struct Row {
        QStringList args;
        int code;
        const char* stdoutHolds; // nullptr: not checked
    } rows[] = {
        {{"info", ros}, 0, "samples:     0\n"},
        {{"info", ros}, 0, "channel A:   .rca missing"},
        {{"info", ros, "--json"}, 0, "\"sampleCount\": 0"},
        {{"info", ros, "--json"}, 0, "\"start\": \"2024-03-07 14.05.09\""},
        {{"info", ros, "--json"}, 0, "\"timeBase\": \"1ms\""},
        {{"export", ros, out}, 0, nullptr},
        {{"measure", ros, "--json"}, 0, "\"samples\": 0, \"max\": null"},
        {{"render", ros, dir.filePath("v.png")}, 1, nullptr},
        {{"info", dir.filePath("absent.ros")}, 1, nullptr},
        {{"export", dir.filePath("absent.ros"), dir.filePath("absent.txt")}, 1, nullptr},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.code, r.code) << r.args.join(' ').toStdString() << ": " << run.err.constData();
        if (r.stdoutHolds) {
            EXPECT_TRUE(run.out.contains(r.stdoutHolds)) << r.stdoutHolds << " in\n" << run.out.constData();
        }
    }
    ASSERT_TRUE(QFile::exists(out));
    EXPECT_EQ(readFile(out), QByteArray()); // no sample lines
    EXPECT_FALSE(QFile::exists(dir.filePath("absent.txt")));

    // Removing a recorded C from a one-channel set leaves it one channel.
    writeFile(ros, readFile(ros).replace("ILOSCKANALOW=2", "ILOSCKANALOW=1"));
    writeFile(dir.filePath("2024-03-07 14.05.09.rcc"), "\x07");
    EXPECT_EQ(runCli({"math", ros, "--remove", "C", "--replace"}).code, 0);
    EXPECT_TRUE(readFile(ros).contains("ILOSCKANALOW=1\r\n")) << readFile(ros).constData();
}

// Only the window builds view summaries: a tool that looks at a recording leaves its folder as it was.
TEST(CliTest, RenderAndInfoOfALongRecordingBuildNoSummaries) {
    QTemporaryDir dir;
    writeFile(dir.filePath("long.ros"), "[PARAMETRY]\r\nPODSTAWA=10\r\n");
    for (const char* ext : {".rca", ".rcb"}) {
        QFile f(dir.filePath(QStringLiteral("long") + QLatin1String(ext)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
        ASSERT_TRUE(f.resize(std::int64_t{1} << 22));
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QStringList& args :
         {QStringList{"render", dir.filePath("long.ros"), dir.filePath("v.png"), "--all"},
          QStringList{"info", dir.filePath("long.ros")}}) {
        const CliRun r = runCli(args);
        ASSERT_EQ(r.code, 0) << r.err.constData();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              before + QStringList{"v.png"});
}

TEST(CliTest, RenderDrawsWhatTheCoreDrawsForTheView) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    // Offsets at their zero: no offset markers, whose labels need a GUI application in this process.
    writeFile(ros,
              "[PARAMETRY]\r\nPODSTAWA=10\r\nCZULOSCA=4\r\nCZULOSCB=10\r\nOFFSETA=100\r\nOFFSETB=100\r\n");
    const QString png = dir.filePath("view.png");
    const CliRun r = runCli({"render", ros, png, "--channels", "A"});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    ASSERT_EQ(QImage(png).size(), QSize(500, 250));

    struct View {
        QStringList options;
        std::int64_t start;
        std::int32_t zoom; // 0: the whole recording
    } views[] = {{{}, 0, 1}, {{"--start", "1", "--zoom", "2"}, 1, 2}, {{"--all"}, 0, 0}};
    for (const View& v : views) {
        ASSERT_EQ(runCli(QStringList{"render", ros, png, "--channels", "A"} + v.options).code, 0);
        auto s = std::make_unique<varnilog::SharedState>();
        s->channelVisible = {true, false, false, false};
        s->recordingPath = ros;
        ASSERT_TRUE(varnilog::loadRecording(*s).ok);
        s->zoomDivisor = v.zoom ? v.zoom : varnilog::showAllDivisor(s->sampleCount);
        s->viewStart = v.start;
        auto view = std::make_unique<varnilog::ViewBuffers>();
        varnilog::sizeBitmaps(*view);
        varnilog::paintBackground(view->bmpBackground, s->backgroundColor1, s->backgroundColor2,
                                  s->gradientOn);
        varnilog::refreshView(*s, *view);
        EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), view->bmpScreen)
            << v.options.join(' ').toStdString();
    }

    EXPECT_EQ(runCli({"render", ros, png, "--zoom", "0"}).code, 2);
    EXPECT_EQ(runCli({"render", ros, png, "--zoom", "2", "--all"}).code, 2);
    EXPECT_EQ(runCli({"render", ros, png, "--channels", "AX"}).code, 2);
    EXPECT_EQ(runCli({"render", ros, dir.filePath("no/such/dir.png")}).code, 1);
}

TEST(CliTest, RenderPageWritesTheFormatOfTheOutputsExtension) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    struct Case {
        const char* name;
        int code;
        QByteArray start; // the file's first bytes
    } cases[] = {
        {"page.png", 0, "\x89PNG"}, {"page.svg", 0, "<?xml"}, {"page.pdf", 0, "%PDF-"}, {"page.txt", 2, {}}};
    for (const Case& k : cases) {
        const QString out = dir.filePath(QString::fromLatin1(k.name));
        const CliRun r = runCli({"render", ros, out, "--page"});
        EXPECT_EQ(r.code, k.code) << k.name << r.err.constData();
        EXPECT_EQ(QFile::exists(out), k.code == 0) << k.name;
        if (k.code == 0) {
            EXPECT_TRUE(readFile(out).startsWith(k.start)) << k.name;
        }
    }
    // The page, not the bare 500 x 250 picture.
    EXPECT_EQ(QImage(dir.filePath("page.png")).size(),
              varnilog::rasterPageSize(varnilog::kSavedPictureScale));
    EXPECT_TRUE(readFile(dir.filePath("page.svg")).contains("width=\"297mm\" height=\"210mm\""));

    // The PDF holds the bare picture without loss, 196 mm wide as on the other pages.
    const QString bare = dir.filePath("bare.png");
    ASSERT_EQ(runCli({"render", ros, bare}).code, 0);
    QProcess list, extract;
    list.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), dir.filePath("page.pdf")});
    if (!list.waitForFinished(30000) || list.exitCode() != 0)
        GTEST_SKIP() << "pdfimages (poppler-utils) is not installed";
    extract.start(QStringLiteral("pdfimages"),
                  {QStringLiteral("-png"), dir.filePath("page.pdf"), dir.filePath("img")});
    ASSERT_TRUE(extract.waitForFinished(30000));
    const QList<QByteArray> columns =
        list.readAllStandardOutput().split('\n').value(2).simplified().split(' ');
    ASSERT_GT(columns.size(), 12);
    const QImage expected = QImage(bare).convertToFormat(QImage::Format_RGB32);
    const QImage extracted = QImage(dir.filePath("img-000.png")).convertToFormat(QImage::Format_RGB32);
    const int k = extracted.width() / expected.width();
    ASSERT_GE(k, 1);
    ASSERT_EQ(extracted.size(), expected.size() * k);
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            differing += extracted.pixel(x * k, y * k) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_NEAR(extracted.width() / columns[12].toDouble() * 25.4, 196.0, 1.0)
        << columns.join(' ').constData();
}

TEST(CliTest, SpectrumWritesOneRowPerDisplayPoint) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    const QString csv = dir.filePath("s.csv"), png = dir.filePath("s.png");
    const CliRun r = runCli({"spectrum", ros, csv, "--png", png});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QList<QByteArray> lines = readFile(csv).split('\n');
    ASSERT_EQ(lines.size(), 5002); // header, 5000 points, the empty tail after the last line end
    EXPECT_EQ(lines[0], "frequency_hz;A;A_db;B;B_db");
    EXPECT_TRUE(lines[11].startsWith("1;")) << lines[11].constData(); // 10 x 10 / 100 Hz at 1 ms
    EXPECT_EQ(QImage(png).size(), QSize(500, 250));

    auto s = std::make_unique<varnilog::SharedState>();
    s->recordingPath = ros;
    ASSERT_TRUE(varnilog::loadRecording(*s).ok);
    auto data = std::make_unique<varnilog::SpectrumData>();
    varnilog::RecordingSpectra engine(1);
    engine.ComputeRecordingSpectra(
        {&s->sampleFile[0], &s->sampleFile[1], &s->sampleFile[2], &s->sampleFile[3]}, s->channelCount, *data);
    for (int p : {0, 1, 77, 4999}) {
        const QList<QByteArray> fields = lines[p + 1].split(';');
        ASSERT_EQ(fields.size(), 5);
        EXPECT_FLOAT_EQ(fields[1].toFloat(), data->spectrumDisplay[0][p]) << p;
        EXPECT_FLOAT_EQ(fields[3].toFloat(), data->spectrumDisplay[1][p]) << p;
    }
}

// A board whose model lacks the requested settings: record says what it records at instead.
TEST(CliTest, RecordSaysWhatTheBoardsModelChanged) {
    varnilog::BoardOptions options;
    options.model = 3;
    varnilog::PtyBoard board(options);
    ASSERT_TRUE(board.start());
    QTemporaryDir dir;
    const CliRun r = runCli({"record", "--port", board.slavePath(), "--seconds", "0.2", "--dir", dir.path(),
                             "--timebase", "15", "--sens", "10,4", "--model", "1"});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("KZ300: 20us is not available, recording at 0.1ms\n")) << r.err.constData();
}

TEST(CliTest, RecordMakesARecordingAndStopsCleanlyOnCtrlC) {
    varnilog::BoardOptions options;
    options.channels = {varnilog::ChannelSignal{varnilog::Waveform::Counter},
                        varnilog::ChannelSignal{varnilog::Waveform::Counter}};
    varnilog::PtyBoard board(options);
    ASSERT_TRUE(board.start());
    QTemporaryDir dir;
    const CliRun r = runCli({"record", "--port", board.slavePath(), "--seconds", "0.6", "--dir", dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QString ros = QString::fromLocal8Bit(r.out).trimmed();
    EXPECT_TRUE(QFile::exists(ros)) << ros.toStdString();
    const QByteArray a = readFile(ros.chopped(4) + ".rca"), b = readFile(ros.chopped(4) + ".rcb");
    ASSERT_GT(a.size(), 1000);
    ASSERT_EQ(a.size(), b.size());
    // The counter board sends frame n as A = n mod 256, B = (n div 256) mod 256: no sample lost or doubled.
    const auto counter = [&](int i) { return static_cast<quint8>(a[i]) | static_cast<quint8>(b[i]) << 8; };
    for (int i = 1; i < a.size(); ++i)
        ASSERT_EQ(counter(i), (counter(0) + i) & 0xFFFF) << "sample " << i;

    QProcess p;
    p.start(QStringLiteral(VARNILOG_CLI_PATH), {"record", "--port", board.slavePath(), "--seconds", "60",
                                                "--dir", dir.path(), "--timebase", "10"});
    ASSERT_TRUE(p.waitForStarted());
    // Interrupted once its set exists (the recorder handles Ctrl+C by then), however slowly it starts.
    const auto sets = [&] { return QDir(dir.path()).entryList({QStringLiteral("*.ros")}).size(); };
    QElapsedTimer waited;
    waited.start();
    while (sets() < 2 && waited.elapsed() < 20000)
        QThread::msleep(20);
    QThread::msleep(300);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    const QString second = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(QFile::exists(second)) << second.toStdString();

    EXPECT_EQ(runCli({"record", "--port", dir.filePath("nothing"), "--seconds", "1"}).code, 1);
    EXPECT_EQ(runCli({"record", "--seconds", "1"}).code, 2);
    EXPECT_EQ(runCli({"record", "--port", "x", "--seconds", "1", "--sens", "11,1"}).code, 2);
}

// A port the user may not open: the tool says how to get the permission. The super-user may open
// anything, so as root the tool runs as user nobody.
TEST(CliTest, RecordTellsAUserWithoutPortPermissionHowToGetIt) {
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
    const QString port = dir.filePath("ttyUSB0");
    writeFile(port, {});
    QFile::setPermissions(port, {});
    QStringList command{QStringLiteral(VARNILOG_CLI_PATH)};
    if (::geteuid() == 0)
        command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(command.first(), command.mid(1) + args);
        p.waitForFinished(60000);
        return CliRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                      p.readAllStandardError()};
    };
    if (run({"--version"}).code != 0)
        GTEST_SKIP() << "the built tool cannot be run as user nobody here";
    const CliRun r = run({"record", "--port", port, "--seconds", "1", "--dir", dir.path()});
    EXPECT_EQ(r.code, 1);
    // The file is its owner's alone: no group would help, and the tool says whose it is.
    const QFileInfo file(port);
    EXPECT_TRUE(r.err.contains(QStringLiteral("No permission for port %1 (owner %2, group %3, ----------) — "
                                              "no group helps: only %2 may open it")
                                   .arg(port, file.owner(), file.group())
                                   .toUtf8()))
        << r.err.constData();
}

// The core's messages are English unless --lang pl asks for Polish (before or after the command); the
// tool's own messages are English either way.
TEST(CliTest, CoresMessagesAreEnglishUnlessLangPl) {
    QTemporaryDir dir;
    const QString ros = dir.filePath("big.ros"); // a header past the size limit cannot be loaded
    writeFile(ros, QByteArray("[PARAMETRY]\r\n") + QByteArray(2 << 20, ';'));
    writeFile(dir.filePath("big.rca"), QByteArray(10, '\x7d'));
    const QString port = dir.filePath("no-such-tty");
    const struct {
        QStringList args;
        int code;
        const char* message;
    } rows[] = {
        {{"info", ros}, 1, "Error opening the file!"},
        {{"--lang", "pl", "info", ros}, 1, "Błąd otwarcia pliku!"},
        {{"info", ros, "--lang=pl"}, 1, "Błąd otwarcia pliku!"},
        {{"info", ros, "--lang=pl", "--lang", "en"}, 1, "Error opening the file!"},
        {{"record", "--port", port, "--seconds", "1"}, 1, "Cannot open the port!"},
        {{"record", "--lang", "pl", "--port", port, "--seconds", "1"}, 1, "Nie można otworzyć portu !"},
        {{"--lang", "de", "info", ros}, 2, "--lang: expected pl or en"},
        {{"info", ros, "--lang"}, 2, "--lang: expected pl or en"},
    };
    for (const auto& r : rows) {
        const CliRun run = runCli(r.args);
        const QString err = QString::fromUtf8(run.err);
        EXPECT_EQ(run.code, r.code) << r.args.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(r.message)))
            << r.args.join(' ').toStdString() << ": " << run.err.constData();
    }
}

// Only the commands that draw start a GUI application: the others run where no platform plugin can
// be loaded (a server without one, a broken Qt install), while the drawing ones still ask for it.
TEST(CliTest, OnlyTheCommandsThatDrawNeedAGuiPlatform) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir), png = dir.filePath("v.png");
    const struct {
        QStringList args;
        bool draws;
    } rows[] = {
        {{"--version"}, false},
        {{"info", ros, "--json"}, false},
        {{"--lang", "en", "info", ros}, false},
        {{"measure", ros}, false},
        {{"export", ros, dir.filePath("out.txt")}, false},
        {{"spectrum", ros, dir.filePath("s.csv")}, false},
        {{"render", ros, png}, true},
        {{"spectrum", ros, dir.filePath("t.csv"), "--png", png}, true},
    };
    for (const auto& r : rows) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VARNILOG_CLI_PATH), r.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        const bool ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        EXPECT_EQ(ok, !r.draws) << r.args.join(' ').toStdString() << ": "
                                << p.readAllStandardError().constData();
    }
}

// What every command shares: an empty channel list, an empty span and the trigger's checks are usage
// errors alike; the usage line names the command as it is typed.
TEST(CliTest, CommandsAgreeOnSpansChannelsAndUsage) {
    QTemporaryDir dir;
    const QString ros = makeRecording(dir);
    const struct {
        QStringList args;
        int code;
        const char* said; // in stderr, or with --help in stdout
    } rows[] = {
        {{"render", ros, dir.filePath("v.png"), "--channels", ""},
         2,
         "--channels: expected letters from A to D"},
        {{"export", ros, dir.filePath("o.csv"), "--channels", ""},
         2,
         "--channels: expected letters from A to D"},
        {{"measure", ros, "--channels", ""}, 2, "--channels: expected letters from A to D"},
        {{"events", ros, "--trigger", "A,rising,0", "--from", "1", "--to", "1"},
         2,
         "the span [1, 1) is empty"},
        {{"export", ros, dir.filePath("o.txt"), "--from", "1", "--to", "1"}, 2, "the span [1, 1) is empty"},
        {{"measure", ros, "--from-marker", "0"}, 2, "the recording has no markers"},
        {{"events", ros, "--trigger", "A,rising,0", "--to-marker", "0"}, 2, "the recording has no markers"},
        {{"events", "--help"}, 0, "Usage: varnilog-cli events [options] FILE.ros\n"},
        {{"export", "--help"}, 0, "Usage: varnilog-cli export [options] FILE.ros OUT.{txt,csv,wav,sr}\n"},
        {{"record", "--help"}, 0, "Usage: varnilog-cli record [options]\n"},
        {{"record", "--port", "p", "--seconds", "1", "--trigger", "A,rising,0"},
         2,
         "--seconds and --trigger exclude each other"},
        {{"record", "--port", "p", "--trigger", "A,rising,0,width<0"},
         2,
         "expected a pulse width above 0 samples"},
    };
    for (const auto& row : rows) {
        const CliRun r = runCli(row.args);
        EXPECT_EQ(r.code, row.code) << row.args.join(' ').toStdString() << r.err.constData();
        EXPECT_TRUE((row.code == 0 ? r.out : r.err).contains(row.said))
            << row.args.join(' ').toStdString() << ": " << r.err.constData() << r.out.left(80).constData();
    }
}

// A folder the recording cannot be written into (here: no byte may be written) is named with the
// system's reason.
TEST(CliTest, RecordIntoAFolderItCannotWriteSaysWhichAndWhy) {
    varnilog::PtyBoard board{varnilog::BoardOptions{}};
    ASSERT_TRUE(board.start());
    QTemporaryDir dir;
    QProcess p;
    p.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
    });
    p.start(QStringLiteral(VARNILOG_CLI_PATH),
            {"record", "--port", board.slavePath(), "--seconds", "0.2", "--dir", dir.path()});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains(dir.path().toUtf8() + ": the recording cannot be created in this folder ("))
        << err.constData();
    EXPECT_TRUE(err.contains("File too large")) << err.constData();
}

// The commands that draw or use the view run in varnilog-cli-draw; without it (a copy of the tool
// alone) they fail in one line that names it, and the other commands do not miss it.
TEST(CliTest, OnlyTheDrawingCommandsNeedTheDrawingProgram) {
    QTemporaryDir dir;
    const QString alone = dir.filePath(QStringLiteral("varnilog-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VARNILOG_CLI_PATH), alone));
    const struct {
        QStringList args;
        int code; // alone
    } rows[] = {{{"info", "--help"}, 0},
                {{"measure", "--help"}, 0},
                {{"--lang", "en", "render", "--help"}, 1},
                {{"spectrum", "--help"}, 1},
                {{"record", "--help"}, 1}};
    for (const auto& r : rows) {
        QProcess p;
        p.start(alone, r.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), r.code) << r.args.join(' ').toStdString() << ": " << err.constData();
        if (r.code != 0) {
            EXPECT_TRUE(err.startsWith("varnilog-cli: ") && err.contains("varnilog-cli-draw") &&
                        err.count('\n') == 1)
                << err.constData();
        }
        EXPECT_EQ(runCli(r.args).code, 0) << r.args.join(' ').toStdString(); // beside the build's own
    }
}
