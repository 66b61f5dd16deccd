// Formula channels written into recordings: every operation of the channel math gives the same bytes
// as its expression at every sensitivity, the key holds the expression as written, a formula reads a
// derived channel, and a fault, a refusal, a cancel or a full disk leaves the set as it was.
#include "analysis/FormulaChannel.h"
#include "recording/ProfileFile.h"
#include "support/FullDiskWriter.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <random>

using namespace varnilog;
using test::Codes;

namespace {

QString headerKey(const QString& ros, const char* name) {
    return ProfileFile(ros).readString(QStringLiteral("PARAMETRY"), QString::fromLatin1(name),
                                       QStringLiteral("-"));
}

FormulaRequest formulaFor(const QString& ros, const QString& text, int sensitivity,
                          std::array<std::uint8_t, 4> sources, int target = 2) {
    FormulaRequest r;
    r.rosPath = ros;
    r.expression = text;
    r.target = target;
    r.sensitivity = sensitivity;
    r.sourceSensitivity = sources;
    return r;
}

Codes randomCodes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    Codes codes(n);
    for (std::uint8_t& c : codes)
        c = static_cast<std::uint8_t>(random() & 255);
    return codes;
}

} // namespace

TEST(FormulaChannelTest, EveryOperationGivesTheBytesOfItsExpression) {
    const Codes a = randomCodes(5000, 1), b = randomCodes(4000, 2); // B cut short reads as the zero line
    const char* const ops[] = {"A+B", "A-B", "B-A", "-A", "-B", "avg(A,16)", "avg(B,2)", "avg(A,10000)"};
    for (const std::array<std::uint8_t, 4> sens :
         {std::array<std::uint8_t, 4>{4, 4, 1, 1}, {1, 7, 1, 1}, {10, 3, 1, 1}}) {
        for (const char* op : ops) {
            for (const int target : {0, 3, 7}) {
                SCOPED_TRACE(std::string(op) + " at " + std::to_string(target) + ", sources " +
                             std::to_string(sens[0]) + "/" + std::to_string(sens[1]));
                QTemporaryDir dir;
                const QString ros =
                    test::writeRecording(dir.path(), QStringLiteral("r"), {10, sens[0], sens[1], 2, {a, b}});
                OperationRequest operation;
                operation.rosPath = ros;
                operation.op = *parseOperation(QString::fromLatin1(op));
                operation.target = 2;
                operation.sensitivity = target;
                operation.sourceSensitivity = {sens[0], sens[1]};
                const OperationResult byOperation = computeDerivedChannel(operation);
                ASSERT_TRUE(byOperation.ok());
                // In parentheses the expression is no operation's text: the formula's own engine computes it.
                FormulaRequest formula =
                    formulaFor(ros, QStringLiteral("(%1)").arg(QLatin1String(op)), target, sens, 3);
                formula.blockSamples = 3000;
                const FormulaResult byFormula = computeFormulaChannel(formula);
                ASSERT_TRUE(byFormula.ok()) << byFormula.result.detail.toStdString();
                EXPECT_EQ(byFormula.result.sensitivity, byOperation.sensitivity);
                EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcd"))),
                          test::readFile(dir.filePath(QStringLiteral("r.rcc"))));
            }
        }
    }
}

TEST(FormulaChannelTest, WritesTheExpressionAsKeyAndReadsDerivedChannels) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"),
                                             {10, 4, 4, 2, {{150, 100, 175}, {125, 150, 100}}});
    // C = 0.5 (A + B): 0.5, 0, 0.5 V at 0.1 V/div (0.004 V a code).
    const FormulaResult c =
        computeFormulaChannel(formulaFor(ros, QStringLiteral("0.5*(A+B)"), 0, {4, 4, 1, 1}));
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.result.sensitivity, 7);
    EXPECT_EQ(headerKey(ros, "OPERACJAC"), QStringLiteral("0.5*(A+B)"));
    EXPECT_EQ(headerKey(ros, "CZULOSCC"), QStringLiteral("7"));
    EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcc"))), test::bytesOf({250, 125, 250}));
    // D from C at its own sensitivity, with a value that is not finite where C is 0 V.
    const FormulaResult d =
        computeFormulaChannel(formulaFor(ros, QStringLiteral("C == 0 ? 1/C : C*2"), 4, {4, 4, 7, 1}, 3));
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.nonFinite, 1);
    EXPECT_EQ(headerKey(ros, "OPERACJAD"), QStringLiteral("C == 0 ? 1/C : C*2"));
    EXPECT_EQ(headerKey(ros, "ILOSCKANALOW"), QStringLiteral("4"));
    EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcd"))), test::bytesOf({150, 125, 150}));
    // An operation's text keeps the expression as written in its key.
    ASSERT_TRUE(computeFormulaChannel(formulaFor(ros, QStringLiteral("avg(A, 2)"), 4, {4, 4, 1, 1})).ok());
    EXPECT_EQ(headerKey(ros, "OPERACJAC"), QStringLiteral("avg(A, 2)"));
    EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcc"))), test::bytesOf({150, 125, 138}));
}

TEST(FormulaChannelTest, FailuresLeaveTheSetAsItWas) {
    enum class Setup { Fault, RecordedC, Cancel, FullDisk };
    struct Case {
        const char* name;
        Setup setup;
        const char* text;
        OperationFailure want;
        CoreErrorKind fault;
    };
    const std::vector<Case> cases{
        {"no D", Setup::Fault, "A-D", OperationFailure::None, CoreErrorKind::FormulaNoSamples},
        {"C itself", Setup::Fault, "C+1", OperationFailure::None, CoreErrorKind::FormulaTargetChannel},
        {"recorded C", Setup::RecordedC, "-A", OperationFailure::RecordedTarget, CoreErrorKind::None},
        {"cancel", Setup::Cancel, "lowpass(A,10)", OperationFailure::Cancelled, CoreErrorKind::None},
        {"full disk", Setup::FullDisk, "A*B", OperationFailure::WriteFailed, CoreErrorKind::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const Codes recordedC(c.setup == Setup::RecordedC ? 10 : 0, 7);
        const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"),
                                                 {10, 4, 4, 2, {Codes(10, 140), Codes(10, 120), recordedC}});
        const QByteArray rosBefore = test::readFile(ros);
        FormulaRequest r = formulaFor(ros, QString::fromLatin1(c.text), 0, {4, 4, 4, 4});
        r.blockSamples = 4;
        test::FullDiskWriter full;
        if (c.setup == Setup::FullDisk)
            r.writer = &full;
        const FormulaResult result = computeFormulaChannel(
            r, [&](std::int64_t done, std::int64_t) { return c.setup != Setup::Cancel || done < 8; });
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.result.failure, c.want);
        EXPECT_EQ(result.formula.kind, c.fault);
        EXPECT_EQ(test::readFile(ros), rosBefore);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3 + (recordedC.empty() ? 0 : 1));
    }
}

// "Auto" looks past the values that are not finite; with none finite the most sensitive scale holds the
// zero line.
TEST(FormulaChannelTest, AutoIgnoresValuesThatAreNotFinite) {
    struct Case {
        const char* text;
        std::uint8_t sensitivity;
        std::int64_t nonFinite;
        Codes want;
    };
    const std::vector<Case> cases{
        // 10 mV at 10 mV/div (0.4 mV a code) is 25 codes; the infinity beside it would need none.
        {"n == 1 ? 1/0 : A*0.01", 10, 1, {150, 125, 150}},
        {"sqrt(-1 - A*A)", 10, 3, {125, 125, 125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QTemporaryDir dir;
        const QString ros =
            test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 1, {{150, 150, 150}}});
        const FormulaResult r =
            computeFormulaChannel(formulaFor(ros, QString::fromLatin1(c.text), 0, {4, 4, 1, 1}));
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.result.sensitivity, c.sensitivity);
        EXPECT_EQ(r.nonFinite, c.nonFinite);
        EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("r.rcc"))), test::bytesOf(c.want));
    }
}

// The preview of a span is what the channel then holds there: filters run from the first sample, other
// expressions read from the span on; a fault gives no preview.
TEST(FormulaChannelTest, PreviewOfASpanEqualsTheWrittenChannel) {
    QTemporaryDir dir;
    const Codes a = randomCodes(9000, 3), b = randomCodes(9000, 4);
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {a, b}});
    for (const char* text : {"lowpass(A,20) - diff(B)/1000", "A*B + t", "n"}) {
        SCOPED_TRACE(text);
        FormulaRequest r = formulaFor(ros, QString::fromLatin1(text), 2, {4, 4, 1, 1});
        r.blockSamples = 1000;
        CoreError error;
        const std::vector<std::uint8_t> preview = formulaPreview(r, 4321, 2000, error);
        ASSERT_FALSE(error.failed());
        r.replaceRecorded = true;
        ASSERT_TRUE(computeFormulaChannel(r).ok());
        EXPECT_EQ(test::bytesOf(preview),
                  test::readFile(dir.filePath(QStringLiteral("r.rcc"))).mid(4321, 2000));
    }
    CoreError error;
    EXPECT_TRUE(formulaPreview(formulaFor(ros, QStringLiteral("A+"), 2, {4, 4, 1, 1}), 0, 10, error).empty());
    EXPECT_EQ(error.kind, CoreErrorKind::FormulaEnd);
    // Told to stop (a newer preview was asked for), it stops at the end of its block with nothing.
    FormulaRequest r = formulaFor(ros, QStringLiteral("lowpass(A,20)"), 2, {4, 4, 1, 1});
    r.blockSamples = 1000;
    int blocks = 0;
    EXPECT_TRUE(formulaPreview(r, 4321, 2000, error, [&](std::int64_t done, std::int64_t total) {
                    ++blocks;
                    EXPECT_EQ(total, 6321); // the filter reads from the first sample
                    return done < 3000;
                }).empty());
    EXPECT_EQ(error.kind, CoreErrorKind::Cancelled);
    EXPECT_EQ(blocks, 3);
}
