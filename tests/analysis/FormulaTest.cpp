// The formula language worked out by hand: precedence where muparser's differs from C's, every
// function, each filter against its defining recurrence (the lowpass against 1 - e^(-t/tau)), the
// code rule of values that are not finite, and every fault with its position.
#include "analysis/Formula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <locale>
#include <numbers>
#include <random>
#include <string>

using namespace varnilog;

namespace {

// At sensitivity 4 (1 V/div) a code is 0.04 V: 150 is 1 V, 100 is -1 V, 175 is 2 V.
FormulaContext context(unsigned withSamples = 0b0111, int target = 3) {
    FormulaContext c;
    c.withSamples = withSamples;
    c.target = target;
    c.sensitivity = {4, 4, 4, 4};
    c.periodSeconds = 1e-3;
    return c;
}

// The values of text over the codes of A, B and C (B and C the codes of A unless given).
std::vector<double> valuesOf(const QString& text, const std::vector<std::uint8_t>& a,
                             std::size_t block = 4096, std::vector<std::uint8_t> b = {},
                             std::vector<std::uint8_t> c = {}) {
    CoreError error;
    const auto f = Formula::compile(text, context(), error);
    EXPECT_TRUE(f) << text.toStdString() << ": " << static_cast<int>(error.kind) << " "
                   << error.other.toStdString() << " at " << error.first;
    if (!f)
        return {};
    if (b.empty())
        b = a;
    if (c.empty())
        c = a;
    std::vector<double> out(a.size());
    for (std::size_t first = 0; first < a.size(); first += block) {
        const std::size_t n = std::min(block, a.size() - first);
        f->evaluate({a.data() + first, b.data() + first, c.data() + first, nullptr},
                    static_cast<std::int64_t>(first), n, out.data() + first);
    }
    return out;
}

struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

TEST(FormulaTest, OperatorsAndFunctionsWorkedOutByHand) {
    struct Case {
        const char* text;
        double want; // at sample 1, where A = 1 V, B = -1 V, C = 2 V, t = 1 ms, n = 1
    };
    const std::vector<Case> cases{
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"-2^2", -4},
        {"2^3^2", 512},
        {"2^-1", 0.5},
        {"7-2-1", 4},
        {"8/2/2", 2},
        {".5+1e-3", 0.501},
        {"5.", 5},
        {"1.5E2", 150},
        {"0==0>1", 1},
        {"0!=0<1", 1},
        {"1<2==1", 1},
        {"2>=2", 1},
        {"2<=1", 0},
        {"0&&0||1", 1},
        {"1||0&&0", 1},
        {"1?2:0?3:4", 2},
        {"0?2:0?3:4", 4},
        {"1+1?5:6", 5},
        {"A", 1},
        {"B", -1},
        {"C", 2},
        {"-A", -1},
        {"0.5*(A+B)", 0},
        {"A*C", 2},
        {"A-B", 2},
        {"t", 1e-3},
        {"n", 1},
        {"A>0 ? C : B", 2},
        {"abs(B)", 1},
        {"sqrt(C*2)", 2},
        {"exp(0)", 1},
        {"ln(exp(2))", 2},
        {"log10(1000)", 3},
        {"sin(0)", 0},
        {"cos(0)", 1},
        {"tan(0)", 0},
        {"asin(1)", std::numbers::pi / 2},
        {"acos(1)", 0},
        {"atan(1)", std::numbers::pi / 4},
        {"atan2(B,A)", -std::numbers::pi / 4},
        {"sinh(0)", 0},
        {"cosh(0)", 1},
        {"tanh(0)", 0},
        {"sign(B)", -1},
        {"floor(-0.5)", -1},
        {"ceil(-0.5)", 0},
        {"min(3,A,2)", 1},
        {"max(B,C,0)", 2},
        {"min(A,B)", -1},
        // The forms muparser's folding makes of these, each a step of the block program of its own.
        {"C^2", 4},
        {"C^3", 8},
        {"C^4", 16},
        {"3*C+1", 7},
        {"C+C", 4},
        {"+C", 2},
        {"2*3+1", 7},
        {"sign(A-1)", 0},
        {"min(C,A,B,0)", -1},
        {"max(B,A,C,1)", 2},
        {"A>0 ? (B>0 ? 1 : 2) : 3", 2},
        {"A<0 ? 1 : B<0 ? 2 : 3", 2},
        {"min(A>0 ? C : B, 5)", 2},
    };
    for (const Case& c : cases) {
        const std::vector<double> v =
            valuesOf(QString::fromLatin1(c.text), {100, 150}, 4096, {125, 100}, {125, 175});
        ASSERT_EQ(v.size(), 2u) << c.text;
        EXPECT_NEAR(v[1], c.want, 1e-12) << c.text;
    }
}

TEST(FormulaTest, FiltersFollowTheirRecurrences) {
    // A step from 0 to 1 V at sample 1.
    std::vector<std::uint8_t> step(3000, 150);
    step[0] = 125;
    for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        SCOPED_TRACE(block);
        // The lowpass of a step is 1 - e^(-t/tau), tau = 1 / (2 pi FC), from the step on.
        const std::vector<double> low = valuesOf(QStringLiteral("lowpass(A, 5)"), step, block);
        const double tau = 1 / (2 * std::numbers::pi * 5);
        for (std::size_t k = 0; k < low.size(); k += 97)
            EXPECT_NEAR(low[k], 1 - std::exp(-static_cast<double>(k) * 1e-3 / tau), 1e-12) << k;
        const std::vector<double> high = valuesOf(QStringLiteral("highpass(A,5)"), step, block);
        for (std::size_t k = 0; k < high.size(); k += 97)
            EXPECT_NEAR(high[k] + low[k], k == 0 ? 0 : 1, 1e-12) << k;
        // Over noise, the recurrence as written, sample by sample (1 code is 0.04 V).
        std::vector<std::uint8_t> noise(5001);
        for (std::size_t k = 0; k < noise.size(); ++k)
            noise[k] = static_cast<std::uint8_t>((k * 7919 + k * k * 31) % 251);
        const std::vector<double> noisy = valuesOf(QStringLiteral("lowpass(A, 40)"), noise, block);
        const double alpha = 1 - std::exp(-2 * std::numbers::pi * 40 * 1e-3);
        double y = (noise[0] - 125) * 0.04;
        for (std::size_t k = 0; k < noise.size(); ++k) {
            y = k == 0 ? y : y + alpha * ((noise[k] - 125) * 0.04 - y);
            ASSERT_NEAR(noisy[k], y, 1e-12) << k;
        }

        // A ramp of 1 code (0.04 V) a sample: the derivative 40 V/s after the first sample; the integral
        // of 1 V, 1 V x 1 ms a sample; the delay repeats the first sample, then lags by 2.
        const std::vector<double> d = valuesOf(QStringLiteral("diff(A)"), {125, 126, 127, 129}, block);
        EXPECT_NEAR(d[0], 0, 1e-12);
        EXPECT_NEAR(d[1], 40, 1e-9);
        EXPECT_NEAR(d[3], 80, 1e-9);
        const std::vector<double> i = valuesOf(QStringLiteral("integ(A)"), {150, 150, 150, 100}, block);
        EXPECT_NEAR(i[0], 0, 1e-15);
        EXPECT_NEAR(i[2], 2e-3, 1e-15);
        EXPECT_NEAR(i[3], 2e-3, 1e-15); // (1 + -1) / 2 x T adds nothing
        EXPECT_EQ(valuesOf(QStringLiteral("delay(A,2)"), {150, 175, 100, 125}, block),
                  (std::vector<double>{1, 1, 1, 2}));
        EXPECT_EQ(valuesOf(QStringLiteral("delay(A,0)"), {150, 175}, block), (std::vector<double>{1, 2}));
        // Means of 1, -1, 0, 2 V over 2 samples, the first alone.
        EXPECT_EQ(valuesOf(QStringLiteral("avg(A, 2)"), {150, 100, 125, 175}, block),
                  (std::vector<double>{1, 0, -0.5, 1}));
        // Filters in an expression, each its own stream.
        const std::vector<double> sum =
            valuesOf(QStringLiteral("avg(A,2) + 10*delay(A,1)"), {150, 100}, block);
        EXPECT_EQ(sum, (std::vector<double>{11, 10}));
    }
}

// t and n count from the recording's first sample across blocks and the evaluation's own chunks.
TEST(FormulaTest, TimeAndIndexFollowEverySample) {
    const std::vector<std::uint8_t> codes(10000, 125);
    for (const std::size_t block : {std::size_t{1}, std::size_t{3000}, std::size_t{10000}}) {
        const std::vector<double> v = valuesOf(QStringLiteral("n + 1000*t*1e6"), codes, block);
        for (std::size_t k = 0; k < v.size(); ++k)
            ASSERT_NEAR(v[k], static_cast<double>(k) * 1e6 + static_cast<double>(k), 1e-3)
                << k << " " << block;
    }
}

TEST(FormulaTest, ValuesThatAreNotFiniteAreStoredAsTheZeroLine) {
    const std::vector<double> v = valuesOf(QStringLiteral("1/(A-1) + sqrt(A)"), {150, 175, 100});
    std::vector<std::uint8_t> codes(v.size());
    EXPECT_EQ(formulaCodes(v.data(), v.size(), 4, codes.data()), 2); // 1/0 and the root of -1 V
    EXPECT_EQ(codes, (std::vector<std::uint8_t>{125, 125 + 60, 125}));
    // Halves away from zero and clipping as the channel math's.
    EXPECT_EQ(formulaCode(0.02, 4), 126);
    EXPECT_EQ(formulaCode(-0.02, 4), 125); // 124.5
    EXPECT_EQ(formulaCode(1e9, 4), 255);
    EXPECT_EQ(formulaCode(-INFINITY, 4), 125);
}

TEST(FormulaTest, NumbersReadWithAPointWhateverTheLocale) {
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    const std::vector<double> v = valuesOf(QStringLiteral("0.5*A + 1e-1"), {150, 150});
    std::locale::global(before);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_DOUBLE_EQ(v[0], 0.6);
}

TEST(FormulaTest, FaultsNameTheProblemAndItsPosition) {
    struct Case {
        const char* text;
        CoreErrorKind kind;
        int pos;
        const char* other;
    };
    using K = CoreErrorKind;
    const std::vector<Case> cases{
        {"0.5*(A+E)", K::FormulaUnknownName, 8, "E"},
        {"A + _pi", K::FormulaUnknownName, 5, "_pi"},
        {"log(A)", K::FormulaUnknownFunction, 1, "log"},
        {"A+sum(A,B)", K::FormulaUnknownFunction, 3, "sum"},
        {"atan2(A)", K::FormulaArguments, 1, "atan2"},
        {"min(A)", K::FormulaArguments, 1, "min"},
        {"sin()", K::FormulaArguments, 1, "sin"},
        {"avg(A)", K::FormulaArguments, 1, "avg"},
        {"diff(A, 2)", K::FormulaArguments, 1, "diff"},
        {"avg(A+B, 4)", K::FormulaNotChannel, 5, "avg"},
        {"lowpass(t, 4)", K::FormulaNotChannel, 9, "lowpass"},
        {"lowpass(E, 4)", K::FormulaUnknownName, 9, "E"},
        {"avg(A, n)", K::FormulaNotConstant, 8, "avg"},
        {"avg(A, 2*diff(B))", K::FormulaNotConstant, 10, "avg"},
        {"A - D", K::FormulaTargetChannel, 5, "D"},
        {"avg(D,2)", K::FormulaTargetChannel, 5, "D"},
        {"C + B", K::FormulaNoSamples, 1, "C"},
        {"avg(A, 1)", K::FormulaRange, 8, "avg"},
        {"avg(A, 10001)", K::FormulaRange, 8, "avg"},
        {"avg(A, 2.5)", K::FormulaRange, 8, "avg"},
        {"lowpass(A, 500)", K::FormulaRange, 12, "lowpass"},
        {"highpass(A, 0)", K::FormulaRange, 13, "highpass"},
        {"delay(A, -1)", K::FormulaRange, 10, "delay"},
        {"A +* B", K::FormulaUnexpected, 4, "*"},
        {"A B", K::FormulaUnexpected, 3, "B"},
        {"A = B", K::FormulaUnexpected, 3, "="},
        {"1e+", K::FormulaUnexpected, 1, "1e"},
        {"2A", K::FormulaUnexpected, 1, "2A"},
        {"A)", K::FormulaUnexpected, 2, ")"},
        {"min(A,,B)", K::FormulaUnexpected, 7, ","},
        {"A ? B", K::FormulaUnexpected, 3, "?"},
        {"A+", K::FormulaEnd, 3, ""},
        {"", K::FormulaEnd, 1, ""},
        {"(A+B", K::FormulaParenthesis, 5, ""},
    };
    for (const Case& c : cases) {
        CoreError error;
        EXPECT_FALSE(Formula::compile(QString::fromLatin1(c.text), context(0b0011, 3), error)) << c.text;
        EXPECT_EQ(error.kind, c.kind) << c.text;
        EXPECT_EQ(error.first, c.pos) << c.text;
        EXPECT_EQ(error.other, QLatin1String(c.other)) << c.text;
    }
}

namespace {

// A random expression of the whole language, depth levels deep at most.
std::string randomExpression(std::mt19937& random, int depth) {
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const char* const leaves[] = {"A", "B", "C", "t", "n", "0.5", "2", "1e-3", "0", "-1.5"};
    static const char* const binary[] = {
        "+", "-", "*", "/", "^", "<", "<=", ">", ">=", "==", "!=", "&&", "||"};
    static const char* const unary[] = {"abs",  "sqrt",  "exp",  "ln",   "log10", "sin",  "cos",
                                        "tan",  "asin",  "acos", "atan", "sinh",  "cosh", "tanh",
                                        "sign", "floor", "ceil", "-",    "+"};
    static const char* const filters[] = {"avg(A,3)", "lowpass(B,20)", "highpass(C,5)",
                                          "diff(A)",  "integ(B)",      "delay(C,5)"};
    if (depth == 0 || pick(5) == 0)
        return pick(4) == 0 ? filters[pick(6)] : leaves[pick(10)];
    const auto sub = [&] { return randomExpression(random, depth - 1); };
    switch (pick(7)) {
    case 0:
    case 1:
        return "(" + sub() + binary[pick(13)] + sub() + ")";
    case 2: {
        const std::string f = unary[pick(19)];
        return f == "-" || f == "+" ? f + sub() : f + "(" + sub() + ")";
    }
    case 3:
        return "(" + sub() + "?" + sub() + ":" + sub() + ")";
    case 4:
        return std::string(pick(2) == 0 ? "min(" : "max(") + sub() + "," + sub() +
               (pick(2) ? "," + sub() : "") + ")";
    case 5:
        return "atan2(" + sub() + "," + sub() + ")";
    default:
        return sub() + "*" + leaves[pick(10)] + "+" + sub();
    }
}

} // namespace

// The block program computes what muparser's own interpreter computes, to the last bit, for any
// expression, over blocks that end anywhere in the evaluation's own chunks.
TEST(FormulaTest, BlocksEqualTheInterpreterBitForBit) {
    std::mt19937 random(20261211);
    std::vector<std::uint8_t> a(9000), b(9000), c(9000);
    for (std::size_t k = 0; k < a.size(); ++k) {
        a[k] = static_cast<std::uint8_t>(random());
        b[k] = static_cast<std::uint8_t>(k % 7 == 0 ? 125 : random()); // zeros for the divisions and logic
        c[k] = static_cast<std::uint8_t>(125 + static_cast<int>(random() % 5) - 2);
    }
    int compiled = 0;
    for (int e = 0; e < 400; ++e) {
        const QString text = QString::fromStdString(randomExpression(random, 4));
        CoreError error;
        auto blocks = Formula::compile(text, context(), error);
        auto straight = Formula::compile(text, context(), error);
        if (!blocks)
            continue; // a constant out of its range, as "sqrt" of a filter's argument never is
        ++compiled;
        ASSERT_TRUE(blocks->evaluatesInBlocks()) << text.toStdString();
        straight->evaluateStraight(true);
        const std::size_t block = 1 + random() % 5000;
        std::vector<double> want(a.size()), got(a.size());
        for (std::size_t first = 0; first < a.size(); first += block) {
            const std::size_t n = std::min(block, a.size() - first);
            const std::array<const std::uint8_t*, kFormulaChannels> codes{a.data() + first, b.data() + first,
                                                                          c.data() + first, nullptr};
            blocks->evaluate(codes, static_cast<std::int64_t>(first), n, got.data() + first);
            straight->evaluate(codes, static_cast<std::int64_t>(first), n, want.data() + first);
        }
        for (std::size_t k = 0; k < a.size(); ++k)
            if (std::memcmp(&want[k], &got[k], sizeof(double)) != 0 &&
                !(std::isnan(want[k]) && std::isnan(got[k]))) {
                ADD_FAILURE() << text.toStdString() << " at " << k << ": " << want[k] << " != " << got[k];
                break;
            }
    }
    EXPECT_GT(compiled, 300);
}

// The codes of a block are derivedCode's, to the halves and past both ends, at every sensitivity.
TEST(FormulaTest, BlockCodesFollowTheCodeRule) {
    std::mt19937 random(7);
    std::vector<double> values{0,   -0.0,    1e300, -1e300, 0.49999999999999994, -0.49999999999999994,
                               NAN, INFINITY};
    for (int k = -140; k <= 140; ++k)
        for (const double d : {-0.5, 0.5, -1e-9, 1e-9})
            values.push_back((k + d) * 0.04); // halves and next to them, at 1 V/div
    for (int k = 0; k < 2000; ++k)
        values.push_back(std::uniform_real_distribution<double>(-300, 300)(random));
    for (int sensitivity = 1; sensitivity <= 10; ++sensitivity) {
        std::vector<std::uint8_t> codes(values.size());
        EXPECT_EQ(formulaCodes(values.data(), values.size(), sensitivity, codes.data()), 2);
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(codes[i], formulaCode(values[i], sensitivity)) << values[i] << " at " << sensitivity;
    }
}
