// A real full disk: a forked child whose file size limit (RLIMIT_FSIZE, SIGXFSZ ignored so a write
// fails with EFBIG) stops the files of a recording or an export part way. The child uses only core
// code and reports through a pipe; the parent checks the files it left.
#include "app/CoreMessages.h"
#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "device/PtyBoard.h"
#include "recording/ProfileFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"
#include "support/ChildProcess.h"
#include "support/ExportLines.h"
#include "support/RecordedFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace varnilog {
namespace {

using Report = std::map<std::string, std::string>;

// Runs body in a child process limited to files of limitBytes; returns what it reported. A child
// killed by a signal (SIGXFSZ not ignored, a crash) reports "died".
Report runWithFileSizeLimit(rlim_t limitBytes, const std::function<void(Report&)>& body) {
    int fds[2];
    if (pipe(fds) != 0)
        return {{"died", "pipe"}};
    const pid_t pid = test::startChild([&] {
        close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        Report report;
        body(report);
        std::string text;
        for (const auto& [key, value] : report) {
            text += key + '\t';
            for (const char c : value)
                text += c == '\n' ? std::string("\\n") : c == '\\' ? std::string("\\\\") : std::string(1, c);
            text += '\n';
        }
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0)
                return 2;
            done += static_cast<std::size_t>(n);
        }
        return 0;
    });
    close(fds[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof(chunk))) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    close(fds[0]);
    const test::ChildEnd child = test::waitForChild(pid);
    if (!child.exited || child.code != 0)
        return {{"died", std::to_string(child.exited ? child.code : 128 + child.signal)}};
    Report report;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t tab = text.find('\t', pos), end = text.find('\n', tab);
        std::string value;
        for (std::size_t i = tab + 1; i < end; ++i)
            value += text[i] == '\\' && i + 1 < end ? (text[++i] == 'n' ? '\n' : text[i]) : text[i];
        report[text.substr(pos, tab - pos)] = value;
        pos = end + 1;
    }
    return report;
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

using test::readFile;

using test::firstBrokenSample;

const std::string kTooLarge = std::strerror(EFBIG);

// What the user sees: recording onto a disk that fills up stops with "File too large"; the recording
// keeps every whole block that fitted (both channels, the counter unbroken) and opens.
TEST(RecordingFullDiskTest, AppendsStopAtTheLimitAndKeepWhatFitted) {
    QTemporaryDir dir;
    const QString base = QStringLiteral("2024-03-07 14.05.09");
    // 10 000 bytes per file, blocks of 300 samples: 33 blocks (9 900) fit, the 34th does not.
    const Report report = runWithFileSizeLimit(10000, [&](Report& r) {
        auto state = std::make_unique<SharedState>();
        state->timeBaseIndex = 11;
        RecordingFileSet set(dir.path(), base);
        r["header"] = set.writeSettings(*state) ? "1" : "0";
        r["created"] = set.createSampleFiles() ? "1" : "0";
        int appended = 0;
        std::vector<std::uint8_t> a(300), b(300);
        for (std::int64_t n = 0; appended < 100; ++appended) {
            for (std::size_t i = 0; i < a.size(); ++i, ++n) {
                a[i] = static_cast<std::uint8_t>(n & 0xFF);
                b[i] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
            }
            if (!set.append(a, b))
                break;
        }
        r["appends"] = std::to_string(appended);
        r["samples"] = std::to_string(set.samplesAppended());
        r["error"] = utf8(set.writeError());
    });
    ASSERT_EQ(report.count("died"), 0u);
    EXPECT_EQ(report.at("header"), "1");
    EXPECT_EQ(report.at("created"), "1");
    EXPECT_EQ(report.at("appends"), "33");
    EXPECT_EQ(report.at("samples"), "9900");
    const QString rcb = QDir(dir.path()).filePath(base + ".rcb");
    EXPECT_EQ(report.at("error"), utf8(rcb) + ": " + kTooLarge);

    const QByteArray a = readFile(QDir(dir.path()).filePath(base + ".rca"));
    EXPECT_EQ(a.size(), 9900);
    EXPECT_EQ(firstBrokenSample(a, readFile(rcb)), -1);
    auto state = std::make_unique<SharedState>();
    state->recordingPath = QDir(dir.path()).filePath(base + ".ros");
    EXPECT_TRUE(loadRecording(*state).ok);
    EXPECT_EQ(state->sampleCount, 9900);
    EXPECT_EQ(state->timeBaseIndex, 11);
}

// What the user sees: a recording header or a configuration key that cannot be written (the disk is
// full) is reported as not written, and the older file stays as it was, with no temporary file left.
TEST(RecordingFullDiskTest, ProfileFilesAreWrittenWholeOrNotAtAll) {
    const QString base = QStringLiteral("2024-03-07 14.05.09");
    const QByteArray older = "[PARAMETRY]\nPODSTAWA=3\n";
    struct Row {
        const char* name;
        QString file;
        std::function<bool(const QString& dir, QString& error)> write;
    };
    const std::vector<Row> rows{
        {"recording header", base + ".ros",
         [&](const QString& dir, QString& error) {
             auto state = std::make_unique<SharedState>();
             RecordingFileSet set(dir, base);
             const bool ok = set.writeSettings(*state); // the nine keys take about 150 bytes
             error = set.writeError();
             return ok;
         }},
        {"configuration key", QStringLiteral("varnilog.ini"),
         [](const QString& dir, QString&) {
             ProfileFile ini(QDir(dir).filePath("varnilog.ini"));
             return ini.writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"),
                                    QStringLiteral("/home/user/recordings/a long folder name"));
         }},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(row.file);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(older);
        }
        const Report report = runWithFileSizeLimit(60, [&](Report& r) {
            QString error;
            r["written"] = row.write(dir.path(), error) ? "1" : "0";
            r["error"] = utf8(error);
        });
        ASSERT_EQ(report.count("died"), 0u) << row.name;
        EXPECT_EQ(report.at("written"), "0") << row.name;
        if (row.file.endsWith(".ros")) {
            EXPECT_EQ(report.at("error"), utf8(path) + ": " + kTooLarge);
        }
        EXPECT_EQ(readFile(path), older) << row.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{row.file}) << row.name;
    }
}

// What the user sees: a recording from the board onto a disk that fills up ends with the write
// error box; the recording that is left holds the unbroken counter up to the limit and opens.
TEST(RecordingFullDiskTest, AcquisitionEndsWithWriteFailedAndKeepsTheRecording) {
    QTemporaryDir dir;
    const Report report = runWithFileSizeLimit(40000, [&](Report& r) {
        BoardOptions options;
        options.model = 1;
        options.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
        PtyBoard board(options);
        if (!board.start())
            return;
        auto state = std::make_unique<SharedState>();
        state->comPortName = board.slavePath();
        state->dataDir = dir.path();
        state->timeBaseIndex = 15; // 20 us: the line rate, 40 000 samples in under 2 s
        PosixSerialLink link;
        SystemClock clock;
        std::string messages;
        Acquisition acq(*state, link, clock,
                        [&](const AcquisitionNotice& n) { messages += utf8(coreMessage(n)) + '|'; });
        const StartResult started = acq.start();
        r["started"] = started.status == StartStatus::Sampling ? "1" : "0";
        r["base"] = utf8(started.baseName);
        TickResult last;
        for (int tick = 0; tick < 200 && !last.endsSampling(); ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
            last = acq.tick(false);
        }
        r["status"] = std::to_string(static_cast<int>(last.status));
        r["errorText"] = utf8(coreMessage(last.failure));
        const StopResult stopped = acq.stop();
        r["samples"] = std::to_string(stopped.samples);
        r["rosPath"] = utf8(stopped.rosPath);
        r["messages"] = messages;
    });
    ASSERT_EQ(report.count("died"), 0u);
    ASSERT_EQ(report.at("started"), "1");
    EXPECT_EQ(report.at("status"), std::to_string(static_cast<int>(TickStatus::WriteFailed)));
    EXPECT_FALSE(report.at("errorText").empty());
    EXPECT_NE(report.at("messages").find("Błąd zapisu pliku !"), std::string::npos) << report.at("messages");

    const QString base = QString::fromStdString(report.at("base"));
    const QByteArray a = readFile(QDir(dir.path()).filePath(base + ".rca"));
    const QByteArray b = readFile(QDir(dir.path()).filePath(base + ".rcb"));
    EXPECT_GT(a.size(), 0);
    EXPECT_LE(a.size(), 40000);
    EXPECT_EQ(report.at("samples"), std::to_string(a.size()));
    EXPECT_EQ(firstBrokenSample(a, b), -1);
    auto state = std::make_unique<SharedState>();
    state->recordingPath = QString::fromStdString(report.at("rosPath"));
    EXPECT_EQ(state->recordingPath, QDir(dir.path()).filePath(base + ".ros"));
    EXPECT_TRUE(loadRecording(*state).ok);
    EXPECT_EQ(state->sampleCount, a.size());
    EXPECT_EQ(state->timeBaseIndex, 15);
}

// What the user sees: an export onto a disk that fills up ends with "File too large", never as a
// success; the file holds the true beginning of the export and the result claims no line beyond it.
TEST(RecordingFullDiskTest, ExportStopsAtTheLimitAndClaimsOnlyWhatIsOnDisk) {
    // Lines of 30 bytes, written in pieces of 34 953 lines (1 048 590 bytes). 100 000 lines under a limit
    // of 1 500 000 bytes: the first piece fits, the second stops part way. 35 053 lines under a limit of
    // 1 049 590: the last piece (3 000 bytes) waits in a buffered file's own buffer, and the flush
    // that writes it stops after 1 000 bytes.
    constexpr int kMostLines = 100000;
    const QByteArray expected = test::exportLinesOneVoltOnA(kMostLines);
    enum class Output { UnbufferedFile, BufferedFile, SaveFile };
    struct Row {
        Output output;
        const char* name;
        int lines;
        rlim_t limit;
        qsizetype bytesOnDisk; // -1: no file is left
    };
    const std::vector<Row> rows{
        {Output::UnbufferedFile, "unbuffered file", 100000, 1500000, 1500000},
        {Output::BufferedFile, "buffered file", 100000, 1500000, 1500000},
        {Output::SaveFile, "save file", 100000, 1500000, -1}, // the temporary is dropped, nothing committed
        {Output::BufferedFile, "buffered file, short flush", 35053, 1049590, 1049590},
        {Output::SaveFile, "save file, short flush", 35053, 1049590, -1},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath("export.txt");
        const Report report = runWithFileSizeLimit(row.limit, [&](Report& r) {
            QByteArray a(row.lines, char(150)), b(row.lines, char(125));
            QBuffer fileA(&a), fileB(&b);
            fileA.open(QIODevice::ReadOnly);
            fileB.open(QIODevice::ReadOnly);
            TextExportSource source;
            source.sampleFiles = {&fileA, &fileB, nullptr, nullptr};
            source.sampleCount = row.lines;
            source.channelCount = 2;
            source.channelSensitivity = {4, 4, 4, 4};
            source.samplingPeriodMs = 1.0f;
            const QLocale point(QLocale::English, QLocale::UnitedStates);
            TextExportResult result;
            if (row.output == Output::SaveFile) {
                QSaveFile out(path);
                out.open(QIODevice::WriteOnly);
                result = exportRecordingText(source, out, point);
                r["committed"] = result.ok && out.commit() ? "1" : "0"; // as the command-line tool does
            } else {
                QFile out(path);
                out.open(QIODevice::WriteOnly | QIODevice::Truncate |
                         (row.output == Output::UnbufferedFile ? QIODevice::Unbuffered : QIODevice::NotOpen));
                result = exportRecordingText(source, out, point);
            }
            r["ok"] = result.ok ? "1" : "0";
            r["error"] = utf8(coreMessage(result.error));
            r["lines"] = std::to_string(result.linesWritten);
        });
        ASSERT_EQ(report.count("died"), 0u) << row.name;
        EXPECT_EQ(report.at("ok"), "0") << row.name;
        EXPECT_EQ(report.at("error"), kTooLarge) << row.name;
        EXPECT_EQ(report.at("lines"), "34953") << row.name;
        if (row.output == Output::SaveFile) {
            EXPECT_EQ(report.at("committed"), "0");
        }
        const QByteArray onDisk = readFile(path);
        EXPECT_EQ(QFileInfo::exists(path), row.bytesOnDisk >= 0) << row.name;
        if (row.bytesOnDisk >= 0) {
            ASSERT_EQ(onDisk.size(), row.bytesOnDisk) << row.name;
            EXPECT_TRUE(onDisk == expected.left(onDisk.size())) << row.name;
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), row.bytesOnDisk >= 0 ? 1 : 0)
            << row.name;
    }
}

} // namespace
} // namespace varnilog
