#include "recording/TextExport.h"
#include "recording/RecordingInput.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "support/NumberLocales.h"
#include "view/ScaleTables.h"

#include <cmath>

#include <memory>
#include <vector>

using namespace varnilog;

namespace {

// A recording held in memory buffers: one byte string per channel, nullptr-like when absent.
struct MemoryRecording {
    std::array<std::unique_ptr<QBuffer>, kChannels> files;
    std::array<QByteArray, kChannels> bytes;

    void set(int channel, const QByteArray& data) {
        bytes[channel] = data;
        files[channel] = std::make_unique<QBuffer>(&bytes[channel]);
        files[channel]->open(QIODevice::ReadOnly);
    }
    TextExportSource source(std::int64_t count, int channels, std::array<std::uint8_t, 4> sens,
                            float period) {
        TextExportSource s;
        for (int c = 0; c < kChannels; ++c)
            s.sampleFiles[c] = files[c].get();
        s.sampleCount = count;
        s.channelCount = channels;
        s.channelSensitivity = sens;
        s.samplingPeriodMs = period;
        return s;
    }
};

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray exportToBytes(const TextExportSource& source, const QLocale& locale) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    const TextExportResult r = exportRecordingText(source, buffer, locale);
    EXPECT_TRUE(r.ok) << r.error.reason.toStdString();
    return out;
}

using test::kComma;
using test::kPoint;

} // namespace

TEST(TextExportTest, VoltageOfOneSample) {
    struct Row {
        int sample;
        int sensitivity;
        const char* point;
        const char* comma;
    } rows[] = {
        {125, 4, "0.0000", "0,0000"},                                   // the zero line
        {150, 4, "1.0000", "1,0000"},                                   // one division at 1 V/div
        {100, 4, "-1.0000", "-1,0000"},                                 // one division below
        {126, 10, "0.0004", "0,0004"},                                  // one count at 10 mV/div
        {100, 10, "-0.0100", "-0,0100"},                                // -25 counts at 10 mV/div
        {255, 1, "52.0000", "52,0000"},                                 // largest magnitude: 130 * 10 * 0.04
        {0, 1, "-50.0000", "-50,0000"},   {127, 9, "0.0016", "0,0016"}, // 2 * 0.02 * 0.04
        {127, 6, "0.0160", "0,0160"},                                   // 2 * 0.2 * 0.04
        {227, 3, "8.1600", "8,1600"},                                   // 102 * 2 * 0.04
        {125, 1, "0.0000", "0,0000"},     {126, 0, "0.4000", "0,4000"}, // index 0 is taken as 10 V/div
        {126, 11, "0.0004", "0,0004"},                                  // index 11 is taken as 10 mV/div
        {124, 255, "-0.0004", "-0,0004"},
    };
    for (const Row& r : rows) {
        const auto s = static_cast<std::uint8_t>(r.sample);
        const auto i = static_cast<std::uint8_t>(r.sensitivity);
        EXPECT_EQ(exportVoltageText(s, i, kPoint).toStdString(), r.point)
            << r.sample << " @" << r.sensitivity;
        EXPECT_EQ(exportVoltageText(s, i, kComma).toStdString(), r.comma)
            << r.sample << " @" << r.sensitivity;
    }
}

TEST(TextExportTest, WholeFilesByteForByte) {
    const std::vector<QByteArray> twoChannels{bytesOf({125, 100, 150}), bytesOf({125, 126, 125})};
    struct Row {
        const char* name;
        std::vector<QByteArray> channels; // empty entry = no file for that channel
        struct {
            std::int64_t count;
            int channelCount;
            std::array<std::uint8_t, 4> sens;
            float period;
        } format;
        const QLocale* locale;
        const char* expected;
    } rows[] = {
        {"two channels at 1 ms, point",
         twoChannels,
         {3, 2, {4, 4, 4, 4}, 1.0f},
         &kPoint,
         "0000:00:00:000;0.0000;0.0000\r\n"
         "0000:00:00:001;-1.0000;0.0400\r\n"
         "0000:00:00:002;1.0000;0.0000\r\n"},
        {"the same under Polish settings",
         twoChannels,
         {3, 2, {4, 4, 4, 4}, 1.0f},
         &kComma,
         "0000:00:00:000;0,0000;0,0000\r\n"
         "0000:00:00:001;-1,0000;0,0400\r\n"
         "0000:00:00:002;1,0000;0,0000\r\n"},
        {"one channel at 10 mV/div and 0.1 us: times round up to 1 ms",
         {bytesOf({126, 124, 255, 0})},
         {4, 1, {10, 1, 1, 1}, 0.0001f},
         &kPoint,
         "0000:00:00:000;0.0004\r\n"
         "0000:00:00:001;-0.0004\r\n"
         "0000:00:00:001;0.0520\r\n"
         "0000:00:00:001;-0.0500\r\n"},
        {"four channels, C and D have no files",
         {bytesOf({255, 0}), bytesOf({125, 125})},
         {2, 4, {1, 1, 1, 1}, 1000.0f},
         &kPoint,
         "0000:00:00:000;52.0000;0.0000;;\r\n"
         "0000:00:01:000;-50.0000;0.0000;;\r\n"},
        {"four channels with files, each at its own scale",
         {bytesOf({150}), bytesOf({150}), bytesOf({150}), bytesOf({150})},
         {1, 4, {1, 2, 3, 4}, 1.0f},
         &kPoint,
         "0000:00:00:000;10.0000;5.0000;2.0000;1.0000\r\n"},
        {"missing .rcb gives an empty field",
         {bytesOf({150, 150}), QByteArray()},
         {2, 2, {4, 4, 4, 4}, 0.5f},
         &kPoint,
         "0000:00:00:000;1.0000;\r\n"
         "0000:00:00:001;1.0000;\r\n"},
        {".rcb shorter than .rca",
         {bytesOf({125, 125, 125}), bytesOf({150})},
         {3, 2, {4, 4, 4, 4}, 20.0f},
         &kPoint,
         "0000:00:00:000;0.0000;1.0000\r\n"
         "0000:00:00:020;0.0000;\r\n"
         "0000:00:00:040;0.0000;\r\n"},
        {"channel count below the files present writes only A",
         {bytesOf({150}), bytesOf({100})},
         {1, 1, {4, 4, 4, 4}, 1.0f},
         &kPoint,
         "0000:00:00:000;1.0000\r\n"},
        {"no samples: empty file", {bytesOf({150})}, {0, 2, {4, 4, 4, 4}, 1.0f}, &kPoint, ""},
        {"missing .rca (count -1): empty file", {}, {-1, 2, {4, 4, 4, 4}, 1.0f}, &kPoint, ""},
    };
    for (const Row& r : rows) {
        MemoryRecording rec;
        for (std::size_t c = 0; c < r.channels.size(); ++c)
            if (!r.channels[c].isNull())
                rec.set(static_cast<int>(c), r.channels[c]);
        const QByteArray got = exportToBytes(
            rec.source(r.format.count, r.format.channelCount, r.format.sens, r.format.period), *r.locale);
        EXPECT_EQ(got.toStdString(), std::string(r.expected)) << r.name;
    }
}

TEST(TextExportTest, LinesAcrossReadBlocksAndHours) {
    // A counting ramp longer than one read block: the lines right at the block edge and far past it.
    QByteArray ramp(70000, '\0');
    for (int i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<char>(i % 256);
    MemoryRecording rec;
    rec.set(0, ramp);
    rec.files[0]->seek(1234); // the exporter must not rely on where a handle stands
    const QByteArray out = exportToBytes(rec.source(ramp.size(), 1, {4, 4, 4, 4}, 1000.0f), kPoint);
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 70001); // the last split piece is what follows the final line end
    EXPECT_TRUE(lines.last().isEmpty());
    struct Row {
        int line;
        const char* text;
    } rows[] = {
        {0, "0000:00:00:000;-5.0000\r"},     // byte 0: -125 * 0.04
        {125, "0000:02:05:000;0.0000\r"},    // byte 125
        {3599, "0000:59:59:000;-4.4000\r"},  // 3599 % 256 = 15: -110 * 0.04
        {3600, "0001:00:00:000;-4.3600\r"},  // one hour, byte 16
        {3661, "0001:01:01:000;-1.9200\r"},  // 3661 % 256 = 77: -48 * 0.04
        {65535, "0018:12:15:000;5.2000\r"},  // last line of the first block, byte 255
        {65536, "0018:12:16:000;-5.0000\r"}, // first line of the second block, byte 0
        {69999, "0019:26:39:000;-0.5600\r"}, // 69999 % 256 = 111: -14 * 0.04
    };
    for (const Row& r : rows)
        EXPECT_EQ(lines[r.line].toStdString(), r.text) << "line " << r.line;
}

TEST(TextExportTest, SameBytesAsOneValueAtATime) {
    // The plain way: for every sample seek and read one byte per channel and format with QString.
    const int count = 150001;
    MemoryRecording rec;
    for (int c = 0; c < 3; ++c) {
        QByteArray data(count, '\0');
        for (int i = 0; i < count; ++i)
            data[i] = static_cast<char>((i * (c + 3) + c * 17) % 256);
        rec.set(c, data);
    }
    const std::array<std::uint8_t, 4> sens{2, 7, 10, 1};
    const float period = 0.02f;
    QByteArray expected;
    for (int n = 0; n < count; ++n) {
        const float t = static_cast<float>(n) * period;
        const auto ms = static_cast<long long>(std::ceil(static_cast<double>(t)));
        QString line = QString::asprintf("%04lld:%02lld:%02lld:%03lld", ms / 3600000, (ms % 3600000) / 60000,
                                         (ms % 60000) / 1000, ms % 1000);
        for (int c = 0; c < 3; ++c) {
            char byte = 0;
            rec.files[c]->seek(n);
            rec.files[c]->getChar(&byte);
            const int s = static_cast<unsigned char>(byte);
            line += u';' + kComma.toString((s - 125) * sensitivityTable[sens[c]] * 0.04, 'f', 4);
        }
        expected += line.toUtf8() + "\r\n";
    }
    const QByteArray got = exportToBytes(rec.source(count, 3, sens, period), kComma);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
}

TEST(TextExportTest, FailuresAndProgress) {
    MemoryRecording rec;
    rec.set(0, QByteArray(200000, char(150)));
    const TextExportSource source = rec.source(200000, 1, {4, 4, 4, 4}, 1.0f);

    // A device that refuses writes (as a full disk does) is a failure with a reason.
    QByteArray sink;
    QBuffer readOnly(&sink);
    readOnly.open(QIODevice::ReadOnly);
    const TextExportResult refused = exportRecordingText(source, readOnly, kPoint);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error.kind, CoreErrorKind::WriteFailed);

    // Progress rises to the total; stopping it ends the export as cancelled.
    struct Row {
        int stopAfterCalls; // 0 = never stop
        bool ok;
        bool cancelled;
        std::int64_t lines;
    } rows[] = {{0, true, false, 200000}, {1, false, true, 65536}, {2, false, true, 131072}};
    for (const Row& r : rows) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        std::vector<std::int64_t> seen;
        const TextExportResult result =
            exportRecordingText(source, buffer, kPoint, [&](std::int64_t done, std::int64_t total) {
                EXPECT_EQ(total, 200000);
                seen.push_back(done);
                return r.stopAfterCalls == 0 || static_cast<int>(seen.size()) < r.stopAfterCalls;
            });
        EXPECT_EQ(result.ok, r.ok);
        EXPECT_EQ(result.cancelled, r.cancelled);
        EXPECT_EQ(result.linesWritten, r.lines);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), r.lines);
        for (std::size_t i = 1; i < seen.size(); ++i)
            EXPECT_GT(seen[i], seen[i - 1]);
    }
}

TEST(TextExportTest, SourceOfTheRecordingOnDisplay) {
    QTemporaryDir dir;
    auto state = std::make_unique<SharedState>();
    const QString rca = dir.filePath("r.rca");
    {
        QFile f(rca);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytesOf({150, 100}));
    }
    state->sampleFile[0].setFileName(rca);
    ASSERT_TRUE(state->sampleFile[0].open(QIODevice::ReadOnly));
    state->sampleCount = 2;
    state->channelCount = 2; // B was never opened: its field stays empty
    state->channelSensitivity = {4, 4, 1, 1};
    state->samplingPeriodMs = 5.0f;
    RecordingInput input(*state);
    const QByteArray got = exportToBytes(textExportSourceFrom(input), kPoint);
    EXPECT_EQ(got.toStdString(), "0000:00:00:000;1.0000;\r\n0000:00:00:005;-1.0000;\r\n");
}
