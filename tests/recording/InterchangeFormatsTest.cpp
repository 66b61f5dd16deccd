#include "recording/CsvFormat.h"
#include "recording/SigrokSession.h"
#include "recording/WavFormat.h"
#include "view/SampleCodes.h"

#include "support/InterchangeFiles.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace varnilog;

namespace {

// Channels A and B in memory buffers: A = 125, 150, 100 (1 V/div), B = 126, 125, 124 (10 mV/div).
struct InterchangeFixture {
    QByteArray a{"\x7d\x96\x64", 3}, b{"\x7e\x7d\x7c", 3};
    QBuffer fa{&a}, fb{&b};
    InterchangeRequest request;

    InterchangeFixture() {
        fa.open(QIODevice::ReadOnly);
        fb.open(QIODevice::ReadOnly);
        request.source.sampleFiles = {&fa, &fb, nullptr, nullptr};
        request.source.sampleCount = 3;
        request.source.channelSensitivity = {4, 10, 1, 1};
        request.source.samplingPeriodMs = 1.0f;
        request.start = QStringLiteral("2024-03-07 14.05.09");
        request.blockSamples = 2; // several blocks even here
    }
};

std::uint32_t le32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

// Reads every frame of a reader into one vector per channel.
std::vector<std::vector<double>> readAll(ImportReader& reader, QString& error) {
    std::vector<std::vector<double>> out(static_cast<std::size_t>(reader.info().channels));
    std::array<std::vector<double>, kChannels> rows;
    std::array<double*, kChannels> ptrs{};
    for (int c = 0; c < kChannels; ++c)
        ptrs[c] = (rows[c] = std::vector<double>(2)).data();
    for (std::int64_t n; (n = reader.read(ptrs, 2, error)) > 0;)
        for (std::size_t c = 0; c < out.size(); ++c)
            out[c].insert(out[c].end(), ptrs[c], ptrs[c] + n);
    return out;
}

using Values = std::vector<std::vector<double>>;
using ReaderMaker = std::function<std::unique_ptr<ImportReader>(QIODevice&)>;

// What a reader makes of bytes: whether it opened, its format, every frame and the error if any.
struct ReadBack {
    bool opened = false;
    ImportFormatInfo info;
    Values values;
    QString error;
};

ReadBack readBack(const ReaderMaker& make, QByteArray bytes) {
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    auto reader = make(in);
    ReadBack r;
    r.opened = reader->open(r.error);
    if (r.opened) {
        r.info = reader->info();
        r.values = readAll(*reader, r.error);
    }
    return r;
}

} // namespace

// WAV: the exact header of a small file, the codes interleaved and padded, RF64 past the RIFF limit
// (a small limit here), and both read back to the same codes, rate and sensitivities.
TEST(InterchangeFormatsTest, WavHeaderCodesAndRf64ReadBack) {
    for (const bool rf64 : {false, true}) {
        InterchangeFixture f;
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        const InterchangeResult result = exportWav(f.request, out, {}, rf64 ? 100 : kRiffSizeLimit);
        ASSERT_TRUE(result.ok) << result.error.reason.toStdString();
        EXPECT_EQ(bytes.left(4), rf64 ? "RF64" : "RIFF");
        EXPECT_EQ(le32(bytes, 4), rf64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(bytes.size() - 8));
        const qsizetype fmt = bytes.indexOf("fmt ");
        EXPECT_EQ(le32(bytes, fmt + 4), 16u);
        EXPECT_EQ(le32(bytes, fmt + 8), 1u | 2u << 16);  // PCM, 2 channels
        EXPECT_EQ(le32(bytes, fmt + 12), 1000u);         // Hz
        EXPECT_EQ(le32(bytes, fmt + 20), 2u | 8u << 16); // 2 bytes per frame, 8 bits
        EXPECT_TRUE(bytes.contains("A: 1 V/div, B: 0.01 V/div; start: 2024-03-07 14.05.09; period: 1 ms"));
        const qsizetype data = bytes.indexOf("data");
        EXPECT_EQ(bytes.mid(data + 8), QByteArray("\x7d\x7e\x96\x7d\x64\x7c", 6)); // even: no pad
        if (rf64) {
            EXPECT_EQ(bytes.indexOf("ds64"), 12);
            EXPECT_EQ(le32(bytes, 20), static_cast<std::uint32_t>(bytes.size() - 8)); // RIFF size, low half
            EXPECT_EQ(le32(bytes, 28), 6u);                                           // data size
            EXPECT_EQ(le32(bytes, 36), 3u);                                           // frames
        }
        const ReadBack back = readBack(makeWavReader, bytes);
        ASSERT_TRUE(back.opened) << back.error.toStdString();
        EXPECT_TRUE(back.info.codes);
        EXPECT_EQ(back.info.sampleRateHz, 1000);
        EXPECT_EQ(back.info.sensitivity[0], 4);
        EXPECT_EQ(back.info.sensitivity[1], 10);
        EXPECT_EQ(back.values, (std::vector<std::vector<double>>{{125, 150, 100}, {126, 125, 124}}));
        // A reader nobody here wrote takes both kinds too (skipped without sox).
        const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
        QTemporaryDir dir;
        if (sox.isEmpty())
            continue;
        test::writeFile(dir.filePath("x.wav"), bytes);
        QProcess p;
        p.start(sox, {dir.filePath("x.wav"), "-t", "raw", "-"});
        p.waitForFinished(30000);
        EXPECT_EQ(p.readAllStandardOutput(), QByteArray("\x7d\x7e\x96\x7d\x64\x7c", 6))
            << (rf64 ? "RF64" : "RIFF");
    }
}

// CSV: "." and "," whatever the locale, exact times, the shortest volts; a span of one channel.
TEST(InterchangeFormatsTest, CsvTextAndSpan) {
    for (const bool span : {false, true}) {
        InterchangeFixture f;
        if (span) {
            f.request.from = 1;
            f.request.channelMask = 0b10;
            f.request.source.samplingPeriodMs = 0.0001f; // 10 MHz
        }
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(exportCsv(f.request, out).ok);
        EXPECT_EQ(bytes, span ? QByteArray("time_s,B_V\n0.0000001,0\n0.0000002,-0.0004\n")
                              : QByteArray("time_s,A_V,B_V\n0,0,0.0004\n0.001,1,0\n0.002,-1,-0.0004\n"));
    }
}

// Rows across many blocks and their halves, as a plain formatter writes them one by one, whatever the
// block size; a cancel after the first block reports the rows of that block.
TEST(InterchangeFormatsTest, CsvRowsAcrossBlocksAsWrittenOneByOne) {
    constexpr int n = 140001;
    QByteArray a(n, 0), b(n, 0);
    for (int i = 0; i < n; ++i) {
        a[i] = static_cast<char>(i * 7);
        b[i] = static_cast<char>(i % 251);
    }
    QByteArray wanted("time_s,A_V,B_V\n");
    const auto number = [](double v) { return QByteArray::number(v, 'f', QLocale::FloatingPointShortest); };
    for (int i = 0; i < n; ++i)
        wanted += number(i / 1000.0) + ',' + number(codeVolts(static_cast<std::uint8_t>(a[i]), 4)) + ',' +
                  number(codeVolts(static_cast<std::uint8_t>(b[i]), 10)) + '\n';
    for (const std::int64_t block : {std::int64_t{1} << 18, std::int64_t{65537}, std::int64_t{1000}}) {
        InterchangeFixture f;
        QBuffer fa(&a), fb(&b);
        fa.open(QIODevice::ReadOnly);
        fb.open(QIODevice::ReadOnly);
        f.request.source.sampleFiles = {&fa, &fb, nullptr, nullptr};
        f.request.source.sampleCount = n;
        f.request.blockSamples = block;
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(exportCsv(f.request, out).ok) << block;
        EXPECT_TRUE(bytes == wanted) << block;
        int calls = 0;
        const InterchangeResult cut =
            exportCsv(f.request, out, [&](std::int64_t, std::int64_t) { return ++calls < 2; });
        EXPECT_TRUE(cut.cancelled);
        EXPECT_EQ(cut.samples, 2 * std::min<std::int64_t>(block, 65536)) << block;
    }
}

// Damaged and hostile inputs of every reader end with a one-line reason, never a crash or a hang.
TEST(InterchangeFormatsTest, DamagedInputsAreRefused) {
    QTemporaryDir dir;
    const auto zipOf = [&](const std::vector<std::pair<QByteArray, QByteArray>>& members) {
        return test::zipArchive(dir.filePath(QStringLiteral("z.sr")), members);
    };
    const QByteArray meta = "[device 1]\nsamplerate=1 kHz\nanalog1=A\nanalog2=B\n";
    const QByteArray fourFloats(16, '\0');
    QByteArray wav;
    {
        InterchangeFixture f;
        QBuffer out(&wav);
        out.open(QIODevice::WriteOnly);
        exportWav(f.request, out);
    }
    QByteArray zeroHz = wav, fiveChannels = wav, pastEnd = wav;
    const qsizetype fmt = wav.indexOf("fmt ");
    zeroHz.replace(fmt + 12, 4, QByteArray(4, '\0'));
    fiveChannels[fmt + 10] = 5;
    pastEnd[wav.indexOf("data") + 5] = 1;
    QByteArray nanWav = wav;
    struct Case {
        const char* name;
        ReaderMaker make;
        QByteArray bytes;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"truncated RIFF", makeWavReader, wav.left(30), "past the end"},
        {"data past the end", makeWavReader, pastEnd, "past the end"},
        {"LIST past the end", makeWavReader, wav.left(wav.indexOf("LIST") + 12), "past the end"},
        {"0 Hz", makeWavReader, zeroHz, "0 Hz"},
        {"five channels", makeWavReader, fiveChannels, "at most 4"},
        {"not a WAV", makeWavReader, QByteArray("RIFX0000WAVE"), "not a WAV"},
        {"CSV uneven columns", makeCsvReader, "time_s,A_V\n0,1\n0.1,2\n0.2,3,4\n", "line 4: 3 columns"},
        {"CSV NaN", makeCsvReader, "0,1\n0.1,nan\n", "line 2: not a number"},
        {"CSV gap in time", makeCsvReader, "0,1\n0.1,2\n0.3,3\n",
         "line 2: time 0.1 s breaks the even spacing"},
        {"CSV 0 Hz", makeCsvReader, "0,1\n0,2\n", "0 Hz"},
        {"CSV six columns", makeCsvReader, "0,1,2,3,4,5\n1,1,2,3,4,5\n", "6 columns"},
        {"not a ZIP", makeSigrokReader, "PK\x03\x04garbage", "not a sigrok session"},
        {"no metadata", makeSigrokReader, zipOf({{"version", "2"}}), "no \"metadata\""},
        {"no samplerate", makeSigrokReader,
         zipOf({{"version", "2"}, {"metadata", "[device 1]\nanalog1=A\n"}}), "without a sample rate"},
        {"huge metadata", makeSigrokReader,
         zipOf({{"version", "2"}, {"metadata", QByteArray((1 << 20) + 1, '#')}}), "too large"},
        {"missing member", makeSigrokReader,
         zipOf({{"version", "2"}, {"metadata", meta}, {"analog-1-1-1", fourFloats}}),
         "analog-1-2-1 is missing"},
        {"uneven channels", makeSigrokReader,
         zipOf({{"version", "2"},
                {"metadata", meta},
                {"analog-1-1-1", fourFloats},
                {"analog-1-2-1", fourFloats.left(8)}}),
         "different lengths"},
        {"rate out of range", makeSigrokReader,
         zipOf({{"version", "2"},
                {"metadata", "[device 1]\nsamplerate=1e300 GHz\nanalog1=A\n"},
                {"analog-1-1-1", fourFloats}}),
         "samplerate \"1e300 GHz\" is out of range (above 0 Hz and below 2^64 Hz"},
        {"gap in the chunks", makeSigrokReader,
         zipOf({{"version", "2"},
                {"metadata", "[device 1]\nsamplerate=1 kHz\nanalog1=A\n"},
                {"analog-1-1-1", fourFloats},
                {"analog-1-1-3", fourFloats}}),
         "member analog-1-1-2 is missing (analog-1-1-3 follows)"},
        {"NaN volts", makeSigrokReader,
         zipOf({{"version", "2"},
                {"metadata", "[device 1]\nsamplerate=1 kHz\nanalog1=A\n"},
                {"analog-1-1-1", QByteArray("\0\0\0\0\0\0\xc0\x7f", 8)}}),
         "not a number"},
    };
    for (const Case& c : cases) {
        const QString error = readBack(c.make, c.bytes).error;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.name << ": " << error.toStdString();
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << c.name;
    }
}

// WAV as other programs write it: ours saved again at 16 or 24 bits or as float by an editor that
// keeps our comment (before or after the data) gives back our codes at the comment's V/div; without
// the comment, or with one naming other channels, the samples are volts at 1 V full scale; sox's
// 24-bit file (WAVE_FORMAT_EXTENSIBLE) is read as well.
TEST(InterchangeFormatsTest, WavOfOtherPrograms) {
    InterchangeFixture f;
    QByteArray ours;
    QBuffer out(&ours);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(exportWav(f.request, out).ok);
    const qsizetype listAt = ours.indexOf("LIST");
    const QByteArray list = ours.mid(listAt, ours.indexOf("data") - listAt);
    const QByteArray codes = ours.mid(ours.indexOf("data") + 8); // A B interleaved
    QByteArray wide16, wide24, wideFloat, mono16;
    for (const char code : codes) {
        const int c = static_cast<std::uint8_t>(code) - 128;
        wide16 += test::signedSamples({c * 256});
        wide24 += test::signedSamples({c * 65536}, 3);
        wideFloat += test::float32Samples({static_cast<float>(c) / 128.0f});
    }
    mono16 = wide16.left(6);
    QTemporaryDir dir;
    QByteArray sox24;
    if (const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox")); !sox.isEmpty()) {
        test::writeFile(dir.filePath("ours.wav"), ours);
        QProcess p;
        p.start(sox, {dir.filePath("ours.wav"), "-b", "24", dir.filePath("24.wav")});
        p.waitForFinished(30000);
        sox24 = test::readFile(dir.filePath("24.wav"));
    }
    const Values asCodes{{125, 150, 100}, {126, 125, 124}};
    const Values asVolts{{-3 / 128.0, 22 / 128.0, -28 / 128.0}, {-2 / 128.0, -3 / 128.0, -4 / 128.0}};
    const struct {
        const char* name;
        QByteArray bytes;
        bool codes;
        Values values;
    } cases[] = {
        {"16 bit, comment first", test::wavFile(2, 16, 1000, wide16, test::WavSamples::Pcm, list), true,
         asCodes},
        {"24 bit, comment last", test::wavFile(2, 24, 1000, wide24, test::WavSamples::Pcm, {}, list), true,
         asCodes},
        {"float, comment last", test::wavFile(2, 32, 1000, wideFloat, test::WavSamples::Float, {}, list),
         true, asCodes},
        {"16 bit, no comment", test::wavFile(2, 16, 1000, wide16), false, asVolts},
        {"mono, comment of two",
         test::wavFile(1, 16, 1000, mono16, test::WavSamples::Pcm, list),
         false,
         {{-3 / 128.0, -2 / 128.0, 22 / 128.0}}},
        {"sox 24 bit", sox24, false, asVolts},
    };
    for (const auto& c : cases) {
        if (c.bytes.isEmpty())
            continue; // no sox
        const ReadBack back = readBack(makeWavReader, c.bytes);
        ASSERT_TRUE(back.opened) << c.name << ": " << back.error.toStdString();
        EXPECT_EQ(back.info.codes, c.codes) << c.name;
        EXPECT_EQ(back.info.codesFromComment, c.codes) << c.name;
        if (c.codes) {
            EXPECT_EQ(back.info.sensitivity[0], 4) << c.name;
            EXPECT_EQ(back.info.sensitivity[1], 10) << c.name;
        }
        EXPECT_EQ(back.values, c.values) << c.name;
        EXPECT_TRUE(back.error.isEmpty()) << c.name << ": " << back.error.toStdString();
    }
}

// CSV as other programs write it: a BOM, pandas' index column, a time unit in the header, ";" with
// decimal commas, tabs, spaces, a trailing separator; every step within 0.1 % of the mean step, else
// the row is named; a separator that is none of ours is named with the ones expected.
TEST(InterchangeFormatsTest, CsvOfOtherPrograms) {
    QByteArray glitch = "time_s,A_V\n"; // 1001 rows 0.1 ms apart but one step of 0.14 ms at line 502
    for (int i = 0; i <= 1000; ++i)
        glitch += QByteArray::number(i * 0.0001 + (i > 500 ? 0.00004 : 0), 'g', 17) + ",1\n";
    QByteArray jitter = "time_s,A_V\n"; // steps within 0.1 % of the mean: accepted
    for (int i = 0; i <= 1000; ++i)
        jitter += QByteArray::number(i * 0.0001 + (i % 2) * 4e-8, 'g', 17) + ",1\n";
    const struct {
        const char* name;
        QByteArray bytes;
        double rate; // 0: refused
        Values values;
        const char* reason;
    } cases[] = {
        {"BOM, no header",
         "\xEF\xBB\xBF"
         "0,1\n0.001,2\n0.002,3\n",
         1000,
         {{1, 2, 3}},
         ""},
        {"BOM and header", "\xEF\xBB\xBFtime_s,A_V\n0,1\n0.001,2\n", 1000, {{1, 2}}, ""},
        {"pandas index",
         ",time_s,A_V,B_V\n0,0.0,1.5,-1\n1,0.001,2,-2\n2,0.002,3,-3\n",
         1000,
         {{1.5, 2, 3}, {-1, -2, -3}},
         ""},
        {"pandas index twice", ",Unnamed: 0,time_s,A_V\n0,0,0.0,1.5\n1,1,0.001,2\n", 1000, {{1.5, 2}}, ""},
        {"pandas index, no time", ",A_V\n0,1\n1,2\n", 0, {}, "line 1: the header names no time column"},
        {"time_ms", "time_ms,A_V\n0,1\n0.1,2\n0.2,3\n", 10000, {{1, 2, 3}}, ""},
        {"time_us and ;", "time_us;A_V\n0;1\n100;2\n", 10000, {{1, 2}}, ""},
        {"time_ns and tabs", "time_ns\tA_V\n0\t1\n100000\t2\n", 10000, {{1, 2}}, ""},
        {"; and decimal commas",
         "time_s;A_V;B_V\r\n0;1,5;-0,25\r\n0,001;2,5;0,5\r\n",
         1000,
         {{1.5, 2.5}, {-0.25, 0.5}},
         ""},
        {"tabs", "0\t1\n0.001\t2\n", 1000, {{1, 2}}, ""},
        {"spaces", "  0   1  2\n0.001 3 4\n", 1000, {{1, 3}, {2, 4}}, ""},
        {"trailing commas", "time_s,A_V,\n0,1,\n0.001,2,\n", 1000, {{1, 2}}, ""},
        {"trailing commas, no header", "0,1,\n0.001,2,\n", 1000, {{1, 2}}, ""},
        {"steps within 0.1 %", jitter, 10000, {std::vector<double>(1001, 1)}, ""},
        {"one step 40 % long",
         glitch,
         0,
         {},
         "line 503: time 0.050140000000000004 s breaks the even spacing: 0.00014 s after"},
        {"0.14 ms after a first 0.1 ms",
         "0,1\n0.0001,2\n0.00024,3\n0.00038,4\n",
         0,
         {},
         "line 2: time 0.0001 s breaks"},
        {"other separator",
         "0|1\n0.001|2\n",
         0,
         {},
         "line 1: one column; a time and 1 to 4 values expected, separated by \",\", \";\", tabs or spaces"},
        {"not a number", "0;1\n0.001;x\n", 0, {}, "line 2: not a number: \"x\" (fields separated by \";\""},
    };
    for (const auto& c : cases) {
        const ReadBack back = readBack(makeCsvReader, c.bytes);
        if (c.rate == 0) {
            EXPECT_TRUE(back.error.contains(QLatin1String(c.reason)))
                << c.name << ": " << back.error.toStdString();
            continue;
        }
        ASSERT_TRUE(back.opened) << c.name << ": " << back.error.toStdString();
        EXPECT_TRUE(back.error.isEmpty()) << c.name << ": " << back.error.toStdString();
        EXPECT_NEAR(back.info.sampleRateHz, c.rate, c.rate * 1e-3) << c.name;
        EXPECT_EQ(back.values, c.values) << c.name;
    }
}

// A session in members of two samples reads back as the float32 of the export's volts; every export
// ends on a cancel or a sample file's read error as it should.
TEST(InterchangeFormatsTest, SigrokChunksReadBackAndCancel) {
    InterchangeFixture f;
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(exportSigrok(f.request, out, {}, 2).ok);
    EXPECT_TRUE(bytes.contains("analog-1-2-2"));
    const ReadBack back = readBack(makeSigrokReader, bytes);
    ASSERT_TRUE(back.opened) << back.error.toStdString();
    EXPECT_EQ(back.info.sampleRateHz, 1000);
    EXPECT_EQ(back.values,
              (std::vector<std::vector<double>>{{0.0f, 1.0f, -1.0f}, {0.0004f, 0.0f, -0.0004f}}));
    // Every export ends as cancelled on a cancel from the progress, and names a sample file that fails
    // to read (the kernel refuses this one at offset 0).
    QFile failing(QStringLiteral("/proc/self/mem"));
    ASSERT_TRUE(failing.open(QIODevice::ReadOnly));
    using Export =
        std::function<InterchangeResult(const InterchangeRequest&, QIODevice&, const WorkProgress&)>;
    for (const Export& run : std::vector<Export>{
             [](auto&r, auto&o, auto&p) { return exportWav(r, o, p); },
             [](auto&r, auto&o, auto&p) { return exportCsv(r, o, p); },
             [](auto&r, auto&o, auto&p) { return exportSigrok(r, o, p, 2); },
         }) {
        InterchangeFixture g;
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_TRUE(run(g.request, sink, [](std::int64_t, std::int64_t) { return false; }).cancelled);
        g.request.source.sampleFiles[1] = &failing;
        const InterchangeResult failed = run(g.request, sink, {});
        EXPECT_FALSE(failed.ok);
        EXPECT_EQ(failed.error.path, QLatin1String("/proc/self/mem")) << failed.error.reason.toStdString();
    }
}

// Logic channels beside the analog ones: named before them in the metadata (the analog ones numbered
// after them, and still read back), filled stretch by stretch in order, each member's bytes as filled;
// a fill that fails ends the export with its reason.
TEST(InterchangeFormatsTest, SigrokLogicChannelsGoBeforeTheAnalogOnes) {
    InterchangeFixture f;
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    f.request.logic.names = {"LA", "LB"};
    f.request.logic.fill = [&](std::int64_t first, std::int64_t n, std::uint8_t* logic, QString&) {
        calls.emplace_back(first, n);
        for (std::int64_t i = 0; i < n; ++i)
            logic[i] = static_cast<std::uint8_t>(0xA0 + first + i);
        return true;
    };
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(exportSigrok(f.request, out, {}, 2).ok);
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 2}, {2, 1}}));
    EXPECT_TRUE(bytes.contains("capturefile=logic-1\ntotal probes=2\nsamplerate=1 kHz\ntotal analog=2\n"
                               "probe1=LA\nprobe2=LB\nanalog3=A\nanalog4=B\nunitsize=1\n"));
    EXPECT_TRUE(bytes.contains("logic-1-2") && bytes.contains("analog-1-4-2") &&
                !bytes.contains("analog-1-1-"));
    EXPECT_TRUE(bytes.contains("\xa0\xa1") && bytes.contains("\xa2"));
    const ReadBack back = readBack(makeSigrokReader, bytes);
    EXPECT_EQ(back.values, (std::vector<std::vector<double>>{{0.0f, 1.0f, -1.0f}, {0.0004f, 0.0f, -0.0004f}}))
        << back.error.toStdString();
    f.request.logic.fill = [](std::int64_t, std::int64_t, std::uint8_t*, QString& why) {
        why = QStringLiteral("logic gone");
        return false;
    };
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    const InterchangeResult failed = exportSigrok(f.request, sink, {}, 2);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error.reason, QStringLiteral("logic gone"));
}
