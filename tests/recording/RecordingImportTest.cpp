#include "recording/RecordingImport.h"

#include "recording/RecordingHeader.h"
#include "support/InterchangeFiles.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace varnilog;

namespace {

QByteArray sessionOf(const QString& path, int channels, const QByteArray& samples) {
    QByteArray meta = "[device 1]\nsamplerate=2 kHz\n";
    std::vector<std::pair<QByteArray, QByteArray>> members{{"version", "2"}};
    for (int k = 1; k <= channels; ++k) {
        meta += "analog" + QByteArray::number(k) + "=X\n";
        members.emplace_back("analog-1-" + QByteArray::number(k) + "-1", samples);
    }
    members.emplace_back("metadata", meta);
    return test::zipArchive(path, members);
}

} // namespace

// Values that are volts (16-bit and float WAV at full scale 1 V, sigrok channels, CSV columns) become
// codes at the given or the most sensitive unclipping sensitivity; clipped samples are counted; a third
// and fourth channel get their sensitivity keys; the time base comes from the rate.
TEST(RecordingImportTest, VoltsBecomeCodesAtTheChosenSensitivity) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray bytes; // written as in.<ext>
        ImportFormat format;
        std::array<std::uint8_t, kChannels> sens; // asked for; 0 = default
        QByteArray rca;
        std::uint8_t sensA;
        std::int64_t clippedA;
        int channels, timeBase;
    };
    // 0, 0.5 and -1 V: at 0.2 V/div (index 6) codes 125, 187.5 -> 188 (halves away from zero), 0; the
    // CSV's 1, 2, -0.5 V at 1 V/div: 150, 175, 112.5 -> 113.
    const QByteArray sr = sessionOf(dir.filePath("s.sr"), 3, test::float32Samples({0.0f, 0.5f, -1.0f}));
    const std::vector<Case> cases{
        {"16-bit WAV, auto",
         test::wavFile(1, 16, 1000, test::signedSamples({0, 16384, -32768})),
         ImportFormat::Wav,
         {},
         QByteArray("\x7d\xbc\x00", 3),
         6,
         0,
         1,
         10},
        {"16-bit WAV at 0.1 V/div clips",
         test::wavFile(1, 16, 1000, test::signedSamples({0, 16384, -32768})),
         ImportFormat::Wav,
         {7, 0, 0, 0},
         QByteArray("\x7d\xfa\x00", 3),
         7,
         1,
         1,
         10},
        {"float WAV, two channels",
         test::wavFile(2, 32, 500, test::float32Samples({0.0f, 1.0f, 0.5f, 1.0f, -1.0f, 1.0f}),
                       test::WavSamples::Float),
         ImportFormat::Wav,
         {},
         QByteArray("\x7d\xbc\x00", 3),
         6,
         0,
         2,
         9},
        {"sigrok, three channels", sr, ImportFormat::Sigrok, {}, QByteArray("\x7d\xbc\x00", 3), 6, 0, 3, 11},
        {"CSV without a header, CR LF",
         "0,1\r\n0.001,2\r\n0.002,-0.5\r\n",
         ImportFormat::Csv,
         {4, 0, 0, 0},
         QByteArray("\x96\xaf\x71", 3),
         4,
         0,
         1,
         10},
        {"CSV of values beyond every sensitivity, auto",
         "0,0\n0.001,1e17\n0.002,1e300\n0.003,-1e300\n",
         ImportFormat::Csv,
         {},
         QByteArray("\x7d\xff\xff\x00", 4),
         1,
         3,
         1,
         10},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString in = dir.filePath(QStringLiteral("in%1").arg(n)),
                      base = QStringLiteral("set%1").arg(n++);
        test::writeFile(in, c.bytes);
        ImportRequest request;
        request.inputPath = in;
        request.format = c.format;
        request.rosPath = dir.filePath(base + ".ros");
        request.sensitivity = c.sens;
        const ImportResult result = importRecording(request);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error.toStdString();
        EXPECT_EQ(test::readFile(dir.filePath(base + ".rca")), c.rca) << c.name;
        EXPECT_EQ(result.sensitivity[0], c.sensA) << c.name;
        EXPECT_EQ(result.clipped[0], c.clippedA) << c.name;
        const RecordingHeader header = readRecordingHeader(request.rosPath).values;
        EXPECT_EQ(header.channelCount, c.channels) << c.name;
        EXPECT_EQ(header.timeBaseIndex, c.timeBase) << c.name;
        EXPECT_EQ(header.sensitivity[0], c.sensA) << c.name;
        if (c.channels == 3) {
            EXPECT_EQ(header.derivedSensitivity[0], std::optional<std::uint8_t>(6)) << c.name;
            EXPECT_TRUE(header.derivedOperation[0].isEmpty()) << c.name; // recorded data, not derived
        }
    }
}
