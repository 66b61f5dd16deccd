// The recording's storage going away under a running recording (its folder removed or moved, a
// sample file deleted), and a disk that cannot take the header: a pty board, the real port code and
// the acquisition on a 50 ms tick.
#include "recording/DiskFileWriter.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace varnilog {
namespace {

using test::readFile;

using test::firstBrokenSample;

// The disk, except that no header can be written (as on a disk that is full).
class HeaderRefusingWriter final : public FileWriter {
public:
    std::unique_ptr<File> create(const QString& path, QString& error) override {
        ++creates;
        return disk.create(path, error);
    }
    bool replace(const QString&, QByteArrayView, QString& error) override {
        error = QStringLiteral("No space left on device");
        return false;
    }
    DiskFileWriter disk;
    int creates = 0;
};

// Records into the folder "data" below the session's folder.
struct Recorder : test::PtySession {
    Recorder() : PtySession(test::counterBoard()) {
        dataDir = dir.filePath(QStringLiteral("data"));
        EXPECT_TRUE(QDir().mkdir(dataDir));
        state->dataDir = dataDir;
        state->timeBaseIndex = 15; // 20 us: the board runs at the line rate
    }
    QString dataDir;
};

// What the user does to the recording's files while it records, and where the samples are then.
struct StorageCase {
    const char* name;
    std::function<void(const QString& dataDir, const QString& base)> act;
    const char* keptIn; // folder (under the temporary root) holding the set afterwards; nullptr: none
    bool bKept;         // ".rcb" is still there
    bool loaded;        // still in the data folder: stop hands it to the loader
};

// The user sees one box, "Pliki nagrania zostały usunięte z folderu danych!", instead of a recording
// that vanishes without a word at stop. Nothing more is written after the tick that noticed; a set
// moved away holds every sample written until then. With the folder back, Start records again.
TEST(DiskUnplugTest, FilesGoneWhileRecordingStopWithOneMessage) {
    const StorageCase cases[] = {
        {"folder removed", [](const QString& dir, const QString&) { QDir(dir).removeRecursively(); }, nullptr,
         false, false},
        {"folder moved",
         [](const QString& dir, const QString&) { QDir().rename(dir, dir + QStringLiteral("-moved")); },
         "data-moved", true, false},
        {"sample file of B deleted",
         [](const QString& dir, const QString& base) { QFile::remove(QDir(dir).filePath(base + ".rcb")); },
         "data", false, true},
    };
    for (const StorageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        const StartResult started = r.acq.start();
        ASSERT_EQ(started.status, StartStatus::Sampling);
        EXPECT_FALSE(r.run(300, false, 1001).endsSampling());
        c.act(r.dataDir, started.baseName);
        const TickResult gone = r.run(200);
        ASSERT_EQ(gone.status, TickStatus::FilesGone);
        EXPECT_EQ(gone.failure.kind, AcquisitionNoticeKind::StoppedFilesRemoved);
        const std::int64_t written = r.acq.samplesRecorded();
        EXPECT_GT(written, 1000);
        EXPECT_EQ(r.acq.tick(false).status, TickStatus::Idle); // no second message
        const StopResult stopped = r.acq.stop();
        EXPECT_EQ(stopped.rosPath.isEmpty(), !c.loaded);
        EXPECT_EQ(r.messages.count(AcquisitionNoticeKind::FilesRemoved), 1);
        EXPECT_EQ(r.messages.back(), AcquisitionNoticeKind::FilesRemoved);
        if (c.keptIn) {
            const QString stem =
                QDir(r.dir.filePath(QString::fromLatin1(c.keptIn))).filePath(started.baseName);
            const QByteArray a = readFile(stem + ".rca");
            EXPECT_EQ(a.size(), written);
            for (qsizetype n = 0; n < a.size(); ++n)
                ASSERT_EQ(static_cast<std::uint8_t>(a[n]), n & 0xFF) << "sample " << n;
            if (c.bKept) {
                EXPECT_EQ(firstBrokenSample(a, readFile(stem + ".rcb")), -1);
            }
            EXPECT_EQ(QFile::exists(stem + ".rcb"), c.bKept);
            EXPECT_TRUE(QFile::exists(stem + ".ros"));
        }

        QDir().mkpath(r.dataDir);
        const StartResult again = r.acq.start();
        ASSERT_EQ(again.status, StartStatus::Sampling);
        r.run(200);
        const StopResult second = r.acq.stop();
        ASSERT_FALSE(second.rosPath.isEmpty());
        const QString stem = QDir(r.dataDir).filePath(again.baseName);
        EXPECT_EQ(firstBrokenSample(readFile(stem + ".rca"), readFile(stem + ".rcb")), -1);
    }
}

// A disk that takes no header: the user sees "Nie można utworzyć pliku !", no sample file is made
// (samples without their header would read back at the wrong time base), Stop leaves nothing behind.
TEST(DiskUnplugTest, HeaderThatCannotBeWrittenStartsNoRecording) {
    Recorder r;
    HeaderRefusingWriter writer;
    r.acq.setFileWriter(&writer);
    const StartResult started = r.acq.start();
    EXPECT_EQ(started.status, StartStatus::FilesNotCreated);
    EXPECT_EQ(r.messages.back(), AcquisitionNoticeKind::FilesNotCreated);
    EXPECT_EQ(writer.creates, 0);
    EXPECT_EQ(r.acq.tick(false).status, TickStatus::Idle);
    EXPECT_TRUE(r.acq.stop().rosPath.isEmpty());
    EXPECT_TRUE(QDir(r.dataDir).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(r.state->portOpen);
}

} // namespace
} // namespace varnilog
