// Text export onto a device that fails at one write, for every write of the export in turn.
#include "recording/TextExport.h"
#include "support/ExportLines.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace varnilog {
namespace {

const QString kReason = QStringLiteral("simulated device failure");

// Keeps what it is given until its Nth write; that write fails (or, short, takes half of the bytes)
// and so does every write after it, as a disk that filled up.
class FailingDevice final : public QIODevice {
public:
    FailingDevice(int failAt, bool shortWrite) : failAt_(failAt), short_(shortWrite) {
        open(QIODevice::WriteOnly);
    }
    const QByteArray& bytes() const { return bytes_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        ++writes_;
        if (writes_ < failAt_) {
            bytes_.append(data, size);
            return size;
        }
        if (writes_ == failAt_ && short_ && size / 2 > 0) {
            bytes_.append(data, size / 2);
            return size / 2;
        }
        setErrorString(kReason);
        return -1;
    }

private:
    int failAt_;
    bool short_;
    int writes_ = 0;
    QByteArray bytes_;
};

// What the user sees: an export that cannot be written ends with the device's reason in the error
// box, never as a success; the result claims only lines that are in the file whole, and what is in
// the file is the true beginning of the export. A cancelled export holds exactly the lines it claims.
TEST(TextExportFaultTest, FailureAtEveryWriteIsReportedAndClaimsOnlyWholeLines) {
    // 100 000 lines of 30 bytes ("0000:00:00:000;1.0000;0.0000\r\n" at 1 ms per sample). The output
    // goes out whenever a MiB is built: 34 953 lines (1 048 590 bytes) per write, then the last
    // 30 094 lines (902 820 bytes): three writes.
    constexpr std::int64_t kLines = 100000;
    QByteArray a(kLines, char(150)), b(kLines, char(125));
    QBuffer fileA(&a), fileB(&b);
    fileA.open(QIODevice::ReadOnly);
    fileB.open(QIODevice::ReadOnly);
    TextExportSource source;
    source.sampleFiles = {&fileA, &fileB, nullptr, nullptr};
    source.sampleCount = kLines;
    source.channelCount = 2;
    source.channelSensitivity = {4, 4, 4, 4};
    source.samplingPeriodMs = 1.0f;

    const QByteArray expected = test::exportLinesOneVoltOnA(kLines);
    ASSERT_EQ(expected.size(), 3000000);

    struct Row {
        int failAt; // 4: no write fails
        bool shortWrite;
        bool cancelAtFirstProgress; // after the first 65 536 lines
        bool ok;
        bool cancelled;
        std::int64_t linesWritten;
        qsizetype bytesInFile;
    };
    const std::vector<Row> rows{
        {1, false, false, false, false, 0, 0},
        {1, true, false, false, false, 0, 524295},
        {2, false, false, false, false, 34953, 1048590},
        {2, true, false, false, false, 34953, 1048590 + 524295},
        {3, false, false, false, false, 69906, 2097180},
        {3, true, false, false, false, 69906, 2097180 + 451410},
        {4, false, false, true, false, 100000, 3000000},
        // Cancelled: the lines built so far go out with the second write.
        {4, false, true, false, true, 65536, 1966080},
        {2, false, true, false, false, 34953, 1048590}, // that write fails: a failure, not a cancel
    };
    for (const Row& r : rows) {
        const std::string label = "write " + std::to_string(r.failAt) + (r.shortWrite ? " short" : "") +
                                  (r.cancelAtFirstProgress ? " cancel" : "");
        FailingDevice out(r.failAt, r.shortWrite);
        const TextExportResult result =
            exportRecordingText(source, out, QLocale(QLocale::English, QLocale::UnitedStates),
                                [&](std::int64_t, std::int64_t) { return !r.cancelAtFirstProgress; });
        EXPECT_EQ(result.ok, r.ok) << label;
        EXPECT_EQ(result.cancelled, r.cancelled) << label;
        EXPECT_EQ(result.error.reason, r.ok || r.cancelled ? QString() : kReason) << label;
        EXPECT_EQ(result.linesWritten, r.linesWritten) << label;
        ASSERT_EQ(out.bytes().size(), r.bytesInFile) << label;
        EXPECT_TRUE(out.bytes() == expected.left(r.bytesInFile)) << label;
    }
}

} // namespace
} // namespace varnilog
