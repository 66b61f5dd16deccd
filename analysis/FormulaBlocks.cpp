#include "analysis/FormulaBlocks.h"

#include "analysis/Formula.h"
#include "view/SampleCodes.h"

// The build's -O2 vectorises only loops without run-time trip counts; the blocks' loops need the full
// cost model. The build also compiles this file with -ffp-contract=off: no product is fused into a sum,
// so that each step rounds as muparser's interpreter rounds it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include <algorithm>
#include <cmath>

namespace varnilog::formula {

enum class BlockProgram::Op : unsigned char {
    Negate,
    Abs,
    Sqrt,
    Exp,
    Ln,
    Log10,
    Sin,
    Cos,
    Tan,
    Asin,
    Acos,
    Atan,
    Sinh,
    Cosh,
    Tanh,
    Sign,
    Floor,
    Ceil,
    Square,
    Cube,
    Fourth,
    MulAdd, // of one operand
    Add,
    Sub,
    Mul,
    Div,
    Pow,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Equal,
    Unequal, // of two
    And,
    Or,
    Atan2,
    MinInto,
    MaxInto,
    Select,
};

namespace {

using Op = BlockProgram::Op;
using Operand = BlockProgram::Operand;

// The scalar functions muparser calls; the blocks' loops compute the same expressions.
double negate(double v) {
    return -v;
}
double plus(double v) {
    return v;
}
double absOf(double v) {
    return v >= 0 ? v : -v;
}
double signOf(double v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}
double sqrtOf(double v) {
    return std::sqrt(v);
}
double expOf(double v) {
    return std::exp(v);
}
double lnOf(double v) {
    return std::log(v);
}
double log10Of(double v) {
    return std::log10(v);
}
double sinOf(double v) {
    return std::sin(v);
}
double cosOf(double v) {
    return std::cos(v);
}
double tanOf(double v) {
    return std::tan(v);
}
double asinOf(double v) {
    return std::asin(v);
}
double acosOf(double v) {
    return std::acos(v);
}
double atanOf(double v) {
    return std::atan(v);
}
double sinhOf(double v) {
    return std::sinh(v);
}
double coshOf(double v) {
    return std::cosh(v);
}
double tanhOf(double v) {
    return std::tanh(v);
}
double floorOf(double v) {
    return std::floor(v);
}
double ceilOf(double v) {
    return std::ceil(v);
}
double atan2Of(double y, double x) {
    return std::atan2(y, x);
}
// C's precedence puts == and != below < and >, where muparser has them on one level.
double equal(double a, double b) {
    return a == b ? 1 : 0;
}
double unequal(double a, double b) {
    return a != b ? 1 : 0;
}
double minOf(const double* a, int n) {
    double r = a[0];
    for (int i = 1; i < n; ++i)
        r = std::min(r, a[i]);
    return r;
}
double maxOf(const double* a, int n) {
    double r = a[0];
    for (int i = 1; i < n; ++i)
        r = std::max(r, a[i]);
    return r;
}

struct Unary {
    const char* name;
    mu::fun_type1 f;
    Op op;
};
constexpr Unary kUnary[] = {
    {"abs", absOf, Op::Abs},       {"sqrt", sqrtOf, Op::Sqrt},    {"exp", expOf, Op::Exp},
    {"ln", lnOf, Op::Ln},          {"log10", log10Of, Op::Log10}, {"sin", sinOf, Op::Sin},
    {"cos", cosOf, Op::Cos},       {"tan", tanOf, Op::Tan},       {"asin", asinOf, Op::Asin},
    {"acos", acosOf, Op::Acos},    {"atan", atanOf, Op::Atan},    {"sinh", sinhOf, Op::Sinh},
    {"cosh", coshOf, Op::Cosh},    {"tanh", tanhOf, Op::Tanh},    {"sign", signOf, Op::Sign},
    {"floor", floorOf, Op::Floor}, {"ceil", ceilOf, Op::Ceil},
};

bool calls(const mu::SToken& token, auto* f) {
    return token.Fun.cb._pUserData == nullptr &&
           token.Fun.cb._pRawFun == reinterpret_cast<mu::erased_fun_type>(f);
}

template <class F> void unary(const Operand& a, double* r, std::size_t n, F f) {
    if (a.array == nullptr) {
        std::fill(r, r + n, f(a.value));
        return;
    }
    const double* x = a.array;
    for (std::size_t i = 0; i < n; ++i)
        r[i] = f(x[i]);
}

template <class F> void binary(const Operand& a, const Operand& b, double* r, std::size_t n, F f) {
    const double* x = a.array;
    const double* y = b.array;
    if (x != nullptr && y != nullptr) {
        for (std::size_t i = 0; i < n; ++i)
            r[i] = f(x[i], y[i]);
    } else if (x != nullptr) {
        const double v = b.value;
        for (std::size_t i = 0; i < n; ++i)
            r[i] = f(x[i], v);
    } else if (y != nullptr) {
        const double v = a.value;
        for (std::size_t i = 0; i < n; ++i)
            r[i] = f(v, y[i]);
    } else {
        std::fill(r, r + n, f(a.value, b.value));
    }
}

double at(const Operand& o, std::size_t i) {
    return o.array != nullptr ? o.array[i] : o.value;
}

} // namespace

void defineFunctions(mu::Parser& parser) {
    parser.ClearFun();
    parser.ClearInfixOprt();
    parser.DefineInfixOprt("-", negate);
    parser.DefineInfixOprt("+", plus);
    for (const Unary& u : kUnary)
        parser.DefineFun(u.name, u.f);
    parser.DefineFun("atan2", atan2Of);
    parser.DefineFun("min", minOf);
    parser.DefineFun("max", maxOf);
    parser.DefineOprt("~=", equal, mu::prLOGIC);
    parser.DefineOprt("~!", unequal, mu::prLOGIC);
}

std::unique_ptr<BlockProgram> BlockProgram::of(const mu::ParserBase& parser, std::size_t block) {
    auto program = std::unique_ptr<BlockProgram>(new BlockProgram());
    std::vector<Operand> stack, held; // held: the conditions and then-values of open "?:"
    std::vector<int> free;
    int temps = 0;
    const auto pop = [&] {
        const Operand o = stack.back();
        stack.pop_back();
        return o;
    };
    const auto release = [&](const Operand& o) {
        if (o.temp >= 0)
            free.push_back(o.temp);
    };
    // A step into a new block of values, so that no loop writes what it reads.
    const auto push = [&](Op op, Operand a, Operand b = {}, Operand c = {}, double k1 = 0, double k2 = 0) {
        int out = temps;
        if (free.empty())
            ++temps;
        else {
            out = free.back();
            free.pop_back();
        }
        program->steps_.push_back({op, a, b, c, k1, k2, out});
        release(a);
        release(b);
        release(c);
        stack.push_back({nullptr, 0, out});
    };

    const mu::ParserByteCode& code = parser.GetByteCode();
    const mu::SToken* token = code.GetBase();
    for (std::size_t i = 0; i < code.GetSize() && token[i].Cmd != mu::cmEND; ++i) {
        const mu::SToken& t = token[i];
        const std::size_t depth = stack.size();
        switch (t.Cmd) {
        case mu::cmVAL:
            stack.push_back({nullptr, t.Val.data2, -1});
            continue;
        case mu::cmVAR:
            stack.push_back({t.Val.ptr, 0, -1});
            continue;
        case mu::cmVARPOW2:
        case mu::cmVARPOW3:
        case mu::cmVARPOW4:
            push(t.Cmd == mu::cmVARPOW2   ? Op::Square
                 : t.Cmd == mu::cmVARPOW3 ? Op::Cube
                                          : Op::Fourth,
                 {t.Val.ptr, 0, -1});
            continue;
        case mu::cmVARMUL:
            push(Op::MulAdd, {t.Val.ptr, 0, -1}, {}, {}, t.Val.data, t.Val.data2);
            continue;
        case mu::cmIF:
            if (depth < 1)
                return nullptr;
            held.push_back(pop());
            continue;
        case mu::cmELSE:
            if (depth < 1)
                return nullptr;
            held.push_back(pop());
            continue;
        case mu::cmENDIF: {
            if (depth < 1 || held.size() < 2)
                return nullptr;
            const Operand otherwise = pop(), then = held.back();
            held.pop_back();
            const Operand condition = held.back();
            held.pop_back();
            push(Op::Select, condition, then, otherwise);
            continue;
        }
        case mu::cmFUNC: {
            const int argc = t.Fun.argc;
            const auto count = static_cast<std::size_t>(argc < 0 ? -argc : argc);
            if (count == 0 || depth < count)
                return nullptr;
            if (argc < 0) { // min, max: folded from the first argument on, as their scalar loop
                if (!calls(t, minOf) && !calls(t, maxOf))
                    return nullptr;
                const Op op = calls(t, minOf) ? Op::MinInto : Op::MaxInto;
                std::vector<Operand> args(stack.end() - static_cast<std::ptrdiff_t>(count), stack.end());
                stack.resize(depth - count);
                push(op, args[0], args[1]);
                for (std::size_t a = 2; a < count; ++a) {
                    const Operand sum = pop();
                    program->steps_.push_back({op, sum, args[a], {}, 0, 0, sum.temp});
                    release(args[a]);
                    stack.push_back(sum);
                }
                continue;
            }
            if (argc == 1) {
                if (calls(t, plus))
                    continue;
                if (calls(t, negate)) {
                    push(Op::Negate, pop());
                    continue;
                }
                const Unary* u = std::find_if(std::begin(kUnary), std::end(kUnary),
                                              [&](const Unary& f) { return calls(t, f.f); });
                if (u == std::end(kUnary))
                    return nullptr;
                push(u->op, pop());
                continue;
            }
            const Op op = argc != 2           ? Op::Select
                          : calls(t, equal)   ? Op::Equal
                          : calls(t, unequal) ? Op::Unequal
                          : calls(t, atan2Of) ? Op::Atan2
                                              : Op::Select;
            if (op == Op::Select)
                return nullptr;
            const Operand b = pop(), a = pop();
            push(op, a, b);
            continue;
        }
        default:
            break;
        }
        static constexpr std::pair<mu::ECmdCode, Op> kBinary[] = {
            {mu::cmADD, Op::Add},      {mu::cmSUB, Op::Sub},     {mu::cmMUL, Op::Mul},
            {mu::cmDIV, Op::Div},      {mu::cmPOW, Op::Pow},     {mu::cmLT, Op::Less},
            {mu::cmLE, Op::LessEqual}, {mu::cmGT, Op::Greater},  {mu::cmGE, Op::GreaterEqual},
            {mu::cmEQ, Op::Equal},     {mu::cmNEQ, Op::Unequal}, {mu::cmLAND, Op::And},
            {mu::cmLOR, Op::Or},
        };
        const auto* b = std::find_if(std::begin(kBinary), std::end(kBinary),
                                     [&](const auto& p) { return p.first == t.Cmd; });
        if (b == std::end(kBinary) || depth < 2)
            return nullptr;
        const Operand y = pop(), x = pop();
        push(b->second, x, y);
    }
    if (stack.size() != 1 || !held.empty())
        return nullptr;

    program->temps_.assign(static_cast<std::size_t>(temps), std::vector<double>(block));
    const auto resolve = [&](Operand& o) {
        if (o.temp >= 0)
            o.array = program->temps_[static_cast<std::size_t>(o.temp)].data();
    };
    for (Step& s : program->steps_) {
        resolve(s.a);
        resolve(s.b);
        resolve(s.c);
    }
    program->result_ = stack.front();
    resolve(program->result_);
    return program;
}

void BlockProgram::run(std::size_t n, double* out) {
    for (const Step& s : steps_) {
        double* r = temps_[static_cast<std::size_t>(s.out)].data();
        const Operand& a = s.a;
        const Operand& b = s.b;
        switch (s.op) {
        case Op::Negate:
            unary(a, r, n, [](double v) { return negate(v); });
            break;
        case Op::Abs:
            unary(a, r, n, [](double v) { return absOf(v); });
            break;
        case Op::Sqrt:
            unary(a, r, n, [](double v) { return sqrtOf(v); });
            break;
        case Op::Exp:
            unary(a, r, n, [](double v) { return expOf(v); });
            break;
        case Op::Ln:
            unary(a, r, n, [](double v) { return lnOf(v); });
            break;
        case Op::Log10:
            unary(a, r, n, [](double v) { return log10Of(v); });
            break;
        case Op::Sin:
            unary(a, r, n, [](double v) { return sinOf(v); });
            break;
        case Op::Cos:
            unary(a, r, n, [](double v) { return cosOf(v); });
            break;
        case Op::Tan:
            unary(a, r, n, [](double v) { return tanOf(v); });
            break;
        case Op::Asin:
            unary(a, r, n, [](double v) { return asinOf(v); });
            break;
        case Op::Acos:
            unary(a, r, n, [](double v) { return acosOf(v); });
            break;
        case Op::Atan:
            unary(a, r, n, [](double v) { return atanOf(v); });
            break;
        case Op::Sinh:
            unary(a, r, n, [](double v) { return sinhOf(v); });
            break;
        case Op::Cosh:
            unary(a, r, n, [](double v) { return coshOf(v); });
            break;
        case Op::Tanh:
            unary(a, r, n, [](double v) { return tanhOf(v); });
            break;
        case Op::Sign:
            unary(a, r, n, [](double v) { return signOf(v); });
            break;
        case Op::Floor:
            unary(a, r, n, [](double v) { return floorOf(v); });
            break;
        case Op::Ceil:
            unary(a, r, n, [](double v) { return ceilOf(v); });
            break;
        // muparser's own steps, computed as its interpreter computes them.
        case Op::Square:
            unary(a, r, n, [](double v) { return v * v; });
            break;
        case Op::Cube:
            unary(a, r, n, [](double v) { return v * v * v; });
            break;
        case Op::Fourth:
            unary(a, r, n, [](double v) { return v * v * v * v; });
            break;
        case Op::MulAdd: {
            const double k1 = s.k1, k2 = s.k2;
            unary(a, r, n, [k1, k2](double v) { return v * k1 + k2; });
            break;
        }
        case Op::Add:
            binary(a, b, r, n, [](double x, double y) { return x + y; });
            break;
        case Op::Sub:
            binary(a, b, r, n, [](double x, double y) { return x - y; });
            break;
        case Op::Mul:
            binary(a, b, r, n, [](double x, double y) { return x * y; });
            break;
        case Op::Div:
            binary(a, b, r, n, [](double x, double y) { return x / y; });
            break;
        case Op::Pow:
            binary(a, b, r, n, [](double x, double y) { return std::pow(x, y); });
            break;
        case Op::Less:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x < y); });
            break;
        case Op::LessEqual:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x <= y); });
            break;
        case Op::Greater:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x > y); });
            break;
        case Op::GreaterEqual:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x >= y); });
            break;
        case Op::Equal:
            binary(a, b, r, n, [](double x, double y) { return equal(x, y); });
            break;
        case Op::Unequal:
            binary(a, b, r, n, [](double x, double y) { return unequal(x, y); });
            break;
        case Op::And:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x != 0 && y != 0); });
            break;
        case Op::Or:
            binary(a, b, r, n, [](double x, double y) { return static_cast<double>(x != 0 || y != 0); });
            break;
        case Op::Atan2:
            binary(a, b, r, n, [](double x, double y) { return atan2Of(x, y); });
            break;
        case Op::MinInto:
            binary(a, b, r, n, [](double x, double y) { return std::min(x, y); });
            break;
        case Op::MaxInto:
            binary(a, b, r, n, [](double x, double y) { return std::max(x, y); });
            break;
        case Op::Select:
            // muparser takes the else branch where the condition is 0 (a NaN takes the then branch).
            for (std::size_t i = 0; i < n; ++i)
                r[i] = at(a, i) == 0 ? at(s.c, i) : at(b, i);
            break;
        }
    }
    if (result_.array == nullptr)
        std::fill(out, out + n, result_.value);
    else
        std::copy(result_.array, result_.array + n, out);
}

} // namespace varnilog::formula

namespace varnilog {

// Here for the vectorised loop: the codes of a block cost about as much as its expression.
std::int64_t formulaCodes(const double* values, std::size_t n, int sensitivity, std::uint8_t* codes) {
    // derivedCode's rule written out, so that the loop over a block calls nothing: the level clipped a
    // code past 0..255 (which clips the same), then halves away from zero.
    const double perCode = voltsPerCode(sensitivity);
    std::int64_t nonFinite = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const bool finite = std::isfinite(values[i]);
        nonFinite += finite ? 0 : 1;
        const double level = finite ? std::clamp(kZeroLine + values[i] / perCode, -1.0, 256.0) : kZeroLine;
        const auto whole = static_cast<int>(level);
        const double part = level - whole;
        const int code = whole + (part >= 0.5 ? 1 : 0) - (part <= -0.5 ? 1 : 0);
        codes[i] = static_cast<std::uint8_t>(std::clamp(code, 0, 255));
    }
    return nonFinite;
}

} // namespace varnilog
