// Derived channels computed from small recordings whose codes are worked out by hand: the code
// formula (halves away from zero, clipping), each operation, the moving average's first samples, the
// automatic sensitivity, and what a refusal, a cancel or a full disk leaves of the set.
#include "analysis/ChannelMath.h"
#include "recording/ProfileFile.h"
#include "support/FullDiskWriter.h"
#include "support/RecordingSet.h"
#include "view/SampleCodes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;
using test::Codes;

namespace {

Codes codesOf(const QString& path) {
    const QByteArray bytes = test::readFile(path);
    return Codes(bytes.begin(), bytes.end());
}

QString key(const QString& ros, const char* name) {
    return ProfileFile(ros).readString(QStringLiteral("PARAMETRY"), QString::fromLatin1(name),
                                       QStringLiteral("-"));
}

OperationRequest requestFor(const QString& ros, const char* op, int sensitivity,
                            std::array<std::uint8_t, 2> sources, int target = 2) {
    OperationRequest r;
    r.rosPath = ros;
    r.op = *parseOperation(QString::fromLatin1(op));
    r.target = target;
    r.sensitivity = sensitivity;
    r.sourceSensitivity = sources;
    return r;
}

} // namespace

// Sensitivity indices: 1 = 10 V/div (0.4 V a code), 2 = 5 V/div (0.2), 3 = 2 V/div (0.08), 4 = 1 V/div
// (0.04), 5 = 0.5 V/div (0.02), 6 = 0.2 V/div (0.008), 7 = 0.1 V/div (0.004).
TEST(ChannelMathTest, CodesOfEveryOperationWorkedOutByHand) {
    struct Case {
        const char* name;
        const char* op;
        Codes a, b;
        std::array<std::uint8_t, 2> sens;
        int target;
        Codes want;
    };
    const std::vector<Case> cases{
        // 1 V - 0 V at 1 V/div: 25 codes above the zero line.
        {"difference", "A-B", {150, 125, 100}, {125, 150, 100}, {4, 4}, 4, {150, 100, 125}},
        // -(+-0.02 V) at 0.04 V a code is -+0.5 code: 124.5 and 125.5 both go away from zero.
        {"halves away from zero", "-A", {126, 124}, {}, {5, 4}, 4, {125, 126}},
        // +-10 V at 1 V/div is 250 codes from the zero line: clipped to 255 and 0.
        {"clipping", "A+B", {250, 0, 130}, {250, 0, 120}, {4, 4}, 4, {255, 0, 125}},
        // 1 V + 0.5 V at 0.08 V a code: 18.75 codes.
        {"sum of two sensitivities", "A+B", {150}, {150}, {4, 5}, 3, {144}},
        // 4 V - (-1 V) at 0.2 V a code: 25 codes.
        {"B minus A", "B-A", {100}, {135}, {4, 1}, 2, {150}},
        // -(75 x 0.004 V) at 0.1 V/div: 75 codes below the zero line.
        {"inverted B", "-B", {125}, {200}, {4, 7}, 7, {50}},
        // Means of 1, -1, 0, 2 V over 2 samples: 1, 0, -0.5 (112.5 -> 113), 1.
        {"average of 2", "avg(A,2)", {150, 100, 125, 175}, {}, {4, 4}, 4, {150, 125, 113, 150}},
        // Over 3: 1, 0, 0, 1/3 V (133.3).
        {"average of 3", "avg(A,3)", {150, 100, 125, 175}, {}, {4, 4}, 4, {150, 125, 125, 133}},
        // A window longer than the recording averages what there is: the last mean is 0.5 V (137.5).
        {"window past the end",
         "avg(B,10)",
         {125, 125, 125, 125},
         {150, 100, 125, 175},
         {1, 4},
         4,
         {150, 125, 125, 138}},
    };
    for (const Case& c : cases) {
        for (const std::int64_t block : {std::int64_t{1}, std::int64_t{2}, std::int64_t{1} << 20}) {
            SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block));
            QTemporaryDir dir;
            const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"),
                                                     {10, c.sens[0], c.sens[1], 2, {c.a, c.b}});
            OperationRequest r = requestFor(ros, c.op, c.target, c.sens);
            r.blockSamples = block;
            const OperationResult result = computeDerivedChannel(r);
            ASSERT_TRUE(result.ok()) << result.detail.toStdString();
            EXPECT_EQ(codesOf(dir.filePath(QStringLiteral("r.rcc"))), c.want);
            EXPECT_EQ(result.sensitivity, c.target);
        }
    }
}

TEST(ChannelMathTest, AutoPicksTheMostSensitiveScaleThatDoesNotClip) {
    struct Case {
        const char* name;
        const char* op;
        Codes a, b;
        std::uint8_t want;
    };
    Codes spike(1000, 125);
    spike[500] = 150;
    // A and B at 1 V/div.
    const std::vector<Case> cases{
        // 0..1 V: 125 codes at 0.2 V/div, 250 at 0.1 V/div.
        {"0 to 1 V", "A-B", {125, 150, 140}, {125, 125, 125}, 6},
        // 0 V: every scale holds it; the most sensitive is 10 mV/div.
        {"flat", "A+B", {125, 125}, {125, 125}, 10},
        // -10 V: 125 codes below zero at 2 V/div only.
        {"-10 V", "A+B", {0}, {0}, 3},
        // -5.2 V .. +5 V at 1 V/div would be codes -5 .. 250; 2 V/div holds it.
        {"both ends", "-A", {255, 0}, {}, 3},
        // The average's extremes come from the whole windows and the first samples: 1 V, then 0.5 V.
        {"average", "avg(A,2)", {150, 125, 125}, {}, 6},
        // 1 V in one sample between the stretches a guess reads: all is written again at 0.2 V/div.
        {"a spike the guess misses", "A-B", spike, Codes(1000, 125), 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {c.a, c.b}});
        OperationRequest r = requestFor(ros, c.op, 0, {4, 4});
        r.blockSamples = 1;
        const OperationResult result = computeDerivedChannel(r);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.sensitivity, c.want);
        EXPECT_EQ(key(ros, "CZULOSCC"), QString::number(c.want));
        const OperationKind kind = parseOperation(QString::fromLatin1(c.op))->kind;
        if (kind == OperationKind::AverageA)
            continue;
        Codes want(c.a.size());
        for (std::size_t i = 0; i < want.size(); ++i)
            want[i] =
                derivedCode(operationVolts(kind, c.a[i], i < c.b.size() ? c.b[i] : kZeroLine, 4, 4), c.want);
        EXPECT_EQ(codesOf(dir.filePath(QStringLiteral("r.rcc"))), want);
    }
}

TEST(ChannelMathTest, OperationTexts) {
    struct Case {
        const char* text;
        std::optional<Operation> want;
        const char* keyText;
    };
    const std::vector<Case> cases{
        {"A-B", Operation{OperationKind::AMinusB, 2}, "A-B"},
        {" b - a ", Operation{OperationKind::BMinusA, 2}, "B-A"},
        {"avg(A,16)", Operation{OperationKind::AverageA, 16}, "SREDNIA(A,16)"},
        {"SREDNIA(B,10000)", Operation{OperationKind::AverageB, 10000}, "SREDNIA(B,10000)"},
        {"avg(A,1)", std::nullopt, nullptr},
        {"avg(A,10001)", std::nullopt, nullptr},
        {"avg(C,4)", std::nullopt, nullptr},
        {"A*B", std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Operation> op = parseOperation(QString::fromLatin1(c.text));
        ASSERT_EQ(op, c.want);
        if (op) {
            EXPECT_EQ(operationKeyText(*op), QString::fromLatin1(c.keyText));
        }
    }
}

// The keys follow the channels: C raises the count to 3, D to 4; removing D lowers it to 3 while C
// stays, removing C then to 2, and the removed channel's keys and file are gone.
TEST(ChannelMathTest, KeysFollowTheDerivedChannels) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {{150}, {125}}});
    ASSERT_TRUE(computeDerivedChannel(requestFor(ros, "avg(A,16)", 6, {4, 4}, 2)).ok());
    EXPECT_EQ(key(ros, "ILOSCKANALOW"), "3");
    EXPECT_EQ(key(ros, "OPERACJAC"), "SREDNIA(A,16)");
    EXPECT_EQ(key(ros, "CZULOSCC"), "6");
    ASSERT_TRUE(computeDerivedChannel(requestFor(ros, "B-A", 4, {4, 4}, 3)).ok());
    EXPECT_EQ(key(ros, "ILOSCKANALOW"), "4");
    EXPECT_EQ(key(ros, "OPERACJAD"), "B-A");
    ASSERT_TRUE(removeDerivedChannel(ros, 3, false).ok());
    EXPECT_EQ(key(ros, "ILOSCKANALOW"), "3");
    EXPECT_EQ(key(ros, "OPERACJAD"), "-");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("r.rcd"))));
    ASSERT_TRUE(removeDerivedChannel(ros, 2, false).ok());
    EXPECT_EQ(key(ros, "ILOSCKANALOW"), "2");
    EXPECT_EQ(key(ros, "CZULOSCC"), "-");
    EXPECT_EQ(removeDerivedChannel(ros, 2, false).failure, OperationFailure::NoChannel);
}

// A refusal, a cancel and a full disk leave every file of the set byte for byte as it was, and no
// temporary file behind.
TEST(ChannelMathTest, FailuresLeaveTheSetAsItWas) {
    enum class Setup { NoB, RecordedC, Cancel, FullDisk, Empty };
    struct Case {
        const char* name;
        Setup setup;
        const char* op;
        OperationFailure want;
    };
    const std::vector<Case> cases{
        {"no B for A-B", Setup::NoB, "A-B", OperationFailure::NoChannelB},
        {"recorded C", Setup::RecordedC, "-A", OperationFailure::RecordedTarget},
        {"cancel in the first pass", Setup::Cancel, "A+B", OperationFailure::Cancelled},
        {"full disk", Setup::FullDisk, "avg(A,3)", OperationFailure::WriteFailed},
        {"no samples", Setup::Empty, "-A", OperationFailure::NoSamples},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const Codes a(c.setup == Setup::Empty ? 0 : 10, 140);
        const Codes b(c.setup == Setup::NoB ? 0 : 10, 120);
        const Codes recordedC(c.setup == Setup::RecordedC ? 10 : 0, 7);
        const QString ros =
            test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {a, b, recordedC}});
        if (c.setup == Setup::Empty)
            test::writeCodes(dir.filePath(QStringLiteral("r.rca")), {});
        const QByteArray rosBefore = test::readFile(ros);
        OperationRequest r = requestFor(ros, c.op, 0, {4, 4});
        r.blockSamples = 4;
        test::FullDiskWriter full;
        if (c.setup == Setup::FullDisk)
            r.writer = &full;
        const OperationResult result = computeDerivedChannel(
            r, [&](std::int64_t done, std::int64_t) { return c.setup != Setup::Cancel || done < 8; });
        EXPECT_EQ(result.failure, c.want);
        if (c.setup == Setup::FullDisk) {
            EXPECT_TRUE(result.detail.endsWith(test::FullDiskWriter::reason()))
                << result.detail.toStdString();
        }
        EXPECT_EQ(test::readFile(ros), rosBefore);
        EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcc"))),
                  recordedC.empty() ? QByteArray("<missing>") : test::bytesOf(recordedC));
        // The set's own files and nothing else: the header, A, and B and C when written.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(),
                  2 + (b.empty() ? 0 : 1) + (recordedC.empty() ? 0 : 1));
    }
}

// Replacing recorded data needs the caller's word; a recording of one sample gives one code.
TEST(ChannelMathTest, ReplacesRecordedDataOnlyWhenAllowed) {
    QTemporaryDir dir;
    const QString ros =
        test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {{150}, {125}, {7, 7}}});
    EXPECT_TRUE(holdsRecordedData(ros, 2));
    OperationRequest r = requestFor(ros, "A-B", 4, {4, 4});
    r.replaceRecorded = true;
    ASSERT_TRUE(computeDerivedChannel(r).ok());
    EXPECT_EQ(codesOf(dir.filePath(QStringLiteral("r.rcc"))), Codes{150});
    EXPECT_FALSE(holdsRecordedData(ros, 2));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("r.rcc.old~"))));
}

// Many blocks, each looked up on two threads while the one before is written: every sample as the code
// formula gives it, in order, whatever the block size (the last block short), with and without halves.
TEST(ChannelMathTest, LongRecordingsInManyBlocksKeepEverySampleInItsPlace) {
    constexpr int n = 100003;
    Codes a(n), b(n);
    for (int i = 0; i < n; ++i) {
        a[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + i / 256);
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 253);
    }
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {a, b}});
    for (const int target : {4, 3}) // one scale (a straight line), and halves that fall either way
        for (const std::int64_t block : {std::int64_t{1000}, std::int64_t{65536}, std::int64_t{1} << 20}) {
            OperationRequest r = requestFor(ros, "A-B", target, {4, 4});
            r.replaceRecorded = true;
            r.blockSamples = block;
            ASSERT_TRUE(computeDerivedChannel(r).ok()) << block;
            Codes want(n);
            for (std::size_t i = 0; i < want.size(); ++i)
                want[i] = derivedCode(operationVolts(OperationKind::AMinusB, a[i], b[i], 4, 4), target);
            EXPECT_TRUE(codesOf(dir.filePath(QStringLiteral("r.rcc"))) == want) << target << " " << block;
        }
}
