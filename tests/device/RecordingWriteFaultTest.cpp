// A recording whose disk fails at one write, for every write of a short recording in turn.
#include "device/Acquisition.h"
#include "device/FakeClock.h"
#include "device/FakeSerialLink.h"
#include "device/Protocol.h"
#include "recording/DiskFileWriter.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "support/AcquisitionNotices.h"
#include "support/RecordedFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace varnilog {
namespace {

const QString kReason = QStringLiteral("simulated device failure");

enum class Failure {
    Error, // the failing write puts nothing on disk
    Short, // the failing write puts half of its bytes on disk, then the device is gone
    Gone,  // as Short, and the file whose write failed cannot be cut back either
};

// Counts every write (each sample-file write and each whole-file replacement) and fails the Nth;
// every write after it fails too, as on a device that went away. The rest goes to the real disk.
class FailingFileWriter final : public FileWriter {
public:
    FailingFileWriter(int failAt, Failure failure) : failAt_(failAt), failure_(failure) {}

    int writes() const { return writes_; }

    std::unique_ptr<File> create(const QString& path, QString& error) override {
        auto real = disk_.create(path, error);
        return real ? std::make_unique<CountedFile>(*this, std::move(real)) : nullptr;
    }
    bool replace(const QString& path, QByteArrayView bytes, QString& error) override {
        if (fails()) {
            error = kReason;
            return false;
        }
        return disk_.replace(path, bytes, error);
    }

private:
    class CountedFile final : public File {
    public:
        CountedFile(FailingFileWriter& owner, std::unique_ptr<File> real)
            : owner_(owner), real_(std::move(real)) {}
        qint64 write(const char* data, qint64 size) override {
            if (!owner_.fails())
                return real_->write(data, size);
            failed_ = true;
            if (owner_.failure_ != Failure::Error && size / 2 > 0 && owner_.writes_ == owner_.failAt_)
                return real_->write(data, size / 2);
            return -1;
        }
        bool resize(qint64 size) override {
            if (owner_.failure_ == Failure::Gone && failed_)
                return false;
            return real_->resize(size);
        }
        QString errorString() const override { return failed_ ? kReason : real_->errorString(); }

    private:
        FailingFileWriter& owner_;
        std::unique_ptr<File> real_;
        bool failed_ = false;
    };

    bool fails() { return ++writes_ >= failAt_; }

    DiskFileWriter disk_;
    int failAt_;
    Failure failure_;
    int writes_ = 0;
};

// Sample n of the counter ramp: A holds the low byte of n, B the high byte.
std::vector<std::uint8_t> ramp(std::int64_t first, std::int64_t count, int shift) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(((first + i) >> shift) & 0xFF);
    return out;
}

using test::readFile;

using test::firstBrokenSample;

// What the user sees: recording stops with the reason of the failed write; the recording keeps
// every pair of samples written before it (both channels equally long, the counter unbroken, a
// half-written pair taken back) and opens like any other; when the very first write (the header)
// fails, no header file is left at all.
TEST(RecordingWriteFaultTest, FailureAtEveryWriteKeepsWhatWasWrittenBefore) {
    const std::vector<std::int64_t> appendSizes{3, 250, 1, 700, 46};
    // Write 1 is the header; append k writes ".rcb" (write 2 + 2k), then ".rca" (write 3 + 2k).
    // When the failed file cannot be cut back, it keeps its half (of 3, 250, 1, 700, 46: 1, 125, 0,
    // 350, 23), and a fully written ".rcb" is not cut back below such an ".rca".
    struct Row {
        int failAt;
        const char* failingFile; // nullptr: no write fails
        std::int64_t samplesKept;
        std::int64_t goneA, goneB; // file lengths when the device is gone
    };
    const std::vector<Row> rows{
        {1, ".ros", 0, 0, 0},        {2, ".rcb", 0, 0, 1},         {3, ".rca", 0, 1, 3},
        {4, ".rcb", 3, 3, 128},      {5, ".rca", 3, 128, 253},     {6, ".rcb", 253, 253, 253},
        {7, ".rca", 253, 253, 254},  {8, ".rcb", 254, 254, 604},   {9, ".rca", 254, 604, 954},
        {10, ".rcb", 954, 954, 977}, {11, ".rca", 954, 977, 1000}, {12, nullptr, 1000, 1000, 1000},
    };
    for (const Failure failure : {Failure::Error, Failure::Short, Failure::Gone}) {
        for (const Row& row : rows) {
            const std::string label = "write " + std::to_string(row.failAt) +
                                      (failure == Failure::Short  ? " short"
                                       : failure == Failure::Gone ? " gone"
                                                                  : " error");
            QTemporaryDir dir;
            FailingFileWriter writer(row.failAt, failure);
            auto state = std::make_unique<SharedState>();
            state->timeBaseIndex = 9;
            RecordingFileSet set(dir.path(), QStringLiteral("2024-03-07 14.05.09"), &writer);
            const bool headerWritten = set.writeSettings(*state);
            EXPECT_EQ(headerWritten, row.failAt != 1) << label;
            if (!headerWritten) {
                EXPECT_TRUE(set.writeError().endsWith(".ros: " + kReason)) << label;
                EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << label;
                continue;
            }
            ASSERT_TRUE(set.createSampleFiles()) << label;
            std::int64_t first = 0;
            int failures = 0;
            for (const std::int64_t size : appendSizes) {
                if (!set.append(ramp(first, size, 0), ramp(first, size, 8)))
                    ++failures;
                first += size;
            }
            set.closeSampleFiles();

            EXPECT_EQ(failures, row.failingFile ? appendSizes.size() - (row.failAt - 2) / 2 : 0) << label;
            EXPECT_EQ(writer.writes(), row.failingFile ? row.failAt : 11) << label; // none after it
            EXPECT_EQ(set.samplesAppended(), row.samplesKept) << label;
            if (row.failingFile) {
                EXPECT_TRUE(set.writeError().startsWith(set.path(row.failingFile) + ": " + kReason)) << label;
            }
            const bool gone = failure == Failure::Gone;
            const QByteArray a = readFile(set.path(".rca"));
            const QByteArray b = readFile(set.path(".rcb"));
            EXPECT_EQ(a.size(), gone ? row.goneA : row.samplesKept) << label;
            EXPECT_EQ(b.size(), gone ? row.goneB : row.samplesKept) << label;
            // Every sample the length of ".rca" counts is whole and in its place.
            EXPECT_EQ(firstBrokenSample(a, b.left(a.size())), -1) << label;

            state->timeBaseIndex = 1;
            state->recordingPath = set.rosPath();
            EXPECT_TRUE(loadRecording(*state).ok) << label;
            EXPECT_EQ(state->sampleCount, a.size()) << label;
            EXPECT_EQ(state->timeBaseIndex, 9) << label; // the header was read back
        }
    }
}

// Frames of sample numbers first..last-1 of the counter ramp, as the board sends them.
std::vector<std::uint8_t> counterFrames(std::int64_t first, std::int64_t last) {
    std::vector<std::uint8_t> out;
    for (std::int64_t n = first; n < last; ++n)
        out.insert(out.end(),
                   {0x41, static_cast<std::uint8_t>(n & 0xFF), 0x42, static_cast<std::uint8_t>(n >> 8)});
    return out;
}

// What the user sees: the tick whose write fails ends sampling with the write error box and the
// panel's "Błąd zapisu pliku !"; after stop the recording holds every tick before it and is the one
// on display. A failure before any sample was kept leaves no set behind; a header that cannot be
// written starts no recording at all.
TEST(RecordingWriteFaultTest, AcquisitionTickReportsTheFailedWriteAndKeepsTheTicksBefore) {
    const std::vector<std::int64_t> tickFrames{3, 250, 5, 700, 46};
    // Each tick keeps the newest frame back until the next one shows it is whole; the stop takes the
    // last. So tick k writes 2, 250, 5, 700, 46 samples: ".rcb" (write 2 + 2k), then ".rca" (write
    // 3 + 2k); the stop writes the last sample (writes 12 and 13).
    struct Row {
        int failAt;
        int failingTick; // -1: the header fails; 5: no tick fails
        std::int64_t samplesKept;
    };
    const std::vector<Row> rows{
        {1, -1, 0},  {2, 0, 0},   {3, 0, 0},    {4, 1, 2},    {5, 1, 2},     {6, 2, 252},   {7, 2, 252},
        {8, 3, 257}, {9, 3, 257}, {10, 4, 957}, {11, 4, 957}, {12, 5, 1003}, {13, 5, 1003}, {14, 5, 1004},
    };
    for (const Failure failure : {Failure::Error, Failure::Short}) {
        for (const Row& row : rows) {
            const std::string label =
                "write " + std::to_string(row.failAt) + (failure == Failure::Short ? " short" : " error");
            QTemporaryDir dir;
            auto state = std::make_unique<SharedState>();
            state->dataDir = dir.path();
            state->comPortName = QStringLiteral("fake");
            test::FakeSerialLink link;
            link.onWrite = [](std::span<const std::uint8_t> bytes, test::FakeSerialLink& l) {
                if (bytes.size() == 8 && std::equal(bytes.begin(), bytes.end(), identifyCommand().begin()))
                    l.receive(std::array<std::uint8_t, 1>{1});
            };
            test::FakeClock clock;
            NoticeKinds messages;
            Acquisition acq(*state, link, clock, [&](const AcquisitionNotice& n) { messages << n.kind; });
            FailingFileWriter writer(row.failAt, failure);
            acq.setFileWriter(&writer);

            const StartResult started = acq.start();
            if (row.failingTick < 0) {
                EXPECT_EQ(started.status, StartStatus::FilesNotCreated) << label;
                acq.stop();
                EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << label;
                continue;
            }
            ASSERT_EQ(started.status, StartStatus::Sampling) << label;
            std::int64_t first = 0;
            for (int k = 0; k < static_cast<int>(tickFrames.size()); ++k) {
                link.receive(counterFrames(first, first + tickFrames[k]));
                first += tickFrames[k];
                const TickResult tick = acq.tick(false);
                if (k < row.failingTick) {
                    EXPECT_EQ(tick.status, TickStatus::Received) << label << " tick " << k;
                    continue;
                }
                EXPECT_EQ(tick.status, TickStatus::WriteFailed) << label;
                EXPECT_EQ(tick.failure.kind, AcquisitionNoticeKind::StoppedWriteFailed) << label;
                // The system's reason, for the user to act on.
                EXPECT_TRUE(tick.failure.reason.endsWith(kReason)) << tick.failure.reason.toStdString();
                EXPECT_EQ(messages.back(), AcquisitionNoticeKind::WriteFailed) << label;
                break;
            }
            const StopResult stopped = acq.stop();
            // A failure of the stop's own writes (12 and 13) is reported like one of a tick.
            const bool failsAtStop =
                row.failingTick == static_cast<int>(tickFrames.size()) && row.failAt <= 13;
            EXPECT_EQ(!stopped.failure.empty(), failsAtStop) << label;
            if (failsAtStop) {
                EXPECT_EQ(stopped.failure.kind, AcquisitionNoticeKind::StoppedWriteFailed) << label;
                EXPECT_TRUE(stopped.failure.reason.endsWith(kReason)) << stopped.failure.reason.toStdString();
                EXPECT_EQ(messages.back(), AcquisitionNoticeKind::WriteFailed) << label;
            }
            const QString ros = QDir(dir.path()).filePath(started.baseName + ".ros");
            EXPECT_EQ(stopped.samples, row.samplesKept) << label;
            if (row.samplesKept == 0) {
                EXPECT_TRUE(stopped.rosPath.isEmpty()) << label;
                EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << label;
                continue;
            }
            EXPECT_EQ(stopped.rosPath, ros) << label;
            const QByteArray a = readFile(siblingPath(ros, ".rca"));
            EXPECT_EQ(a.size(), row.samplesKept) << label;
            EXPECT_EQ(firstBrokenSample(a, readFile(siblingPath(ros, ".rcb"))), -1) << label;
            state->recordingPath = ros;
            EXPECT_TRUE(loadRecording(*state).ok) << label;
            EXPECT_EQ(state->sampleCount, row.samplesKept) << label;
        }
    }
}

// What the user sees: a programming slip that hands channel B fewer samples than A ends the
// recording instead of making the two files drift apart.
TEST(RecordingWriteFaultTest, AppendRefusesFewerSamplesForBThanForA) {
    QTemporaryDir dir;
    RecordingFileSet set(dir.path(), QStringLiteral("s"));
    ASSERT_TRUE(set.createSampleFiles());
    const std::uint8_t a[] = {0, 1, 2}, b[] = {0, 0, 0, 9};
    struct Row {
        std::span<const std::uint8_t> a, b;
        bool ok;
        std::int64_t total;
    };
    const std::vector<Row> rows{
        {a, std::span(b).first(3), true, 3},
        {a, b, true, 6}, // the extra sample of B is not written
        {a, std::span(b).first(2), false, 6},
        {a, std::span(b).first(3), false, 6}, // the set takes nothing after a failure
    };
    for (const Row& row : rows) {
        EXPECT_EQ(set.append(row.a, row.b), row.ok) << row.total;
        EXPECT_EQ(set.samplesAppended(), row.total);
    }
    set.closeSampleFiles();
    EXPECT_EQ(readFile(set.path(".rca")), QByteArray("\0\1\2\0\1\2", 6));
    EXPECT_EQ(readFile(set.path(".rcb")), QByteArray(6, '\0'));
}

} // namespace
} // namespace varnilog
