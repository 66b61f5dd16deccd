#include "analysis/Formula.h"

#include "analysis/ChannelMath.h"
#include "analysis/FormulaBlocks.h"
#include "view/SampleCodes.h"

#include <muParser.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace varnilog {

namespace {

// Samples evaluated at once: the variable arrays of a chunk stay in the core's cache.
constexpr std::size_t kChunk = 4096;
constexpr const char* kChannelNames = "ABCD";

enum class TokenKind { Number, Name, Operator, Open, Close, Comma };

struct Token {
    TokenKind kind;
    QString text;
    int pos; // from 0
};

enum class StreamKind { Average, Lowpass, Highpass, Diff, Integ, Delay };

struct FunctionSpec {
    const char* name;
    int arguments; // -1: two or more
    std::optional<StreamKind> stream;
};

constexpr FunctionSpec kFunctions[] = {
    {"abs", 1, {}},
    {"sqrt", 1, {}},
    {"exp", 1, {}},
    {"ln", 1, {}},
    {"log10", 1, {}},
    {"sin", 1, {}},
    {"cos", 1, {}},
    {"tan", 1, {}},
    {"asin", 1, {}},
    {"acos", 1, {}},
    {"atan", 1, {}},
    {"atan2", 2, {}},
    {"sinh", 1, {}},
    {"cosh", 1, {}},
    {"tanh", 1, {}},
    {"sign", 1, {}},
    {"floor", 1, {}},
    {"ceil", 1, {}},
    {"min", -1, {}},
    {"max", -1, {}},
    {"avg", 2, StreamKind::Average},
    {"lowpass", 2, StreamKind::Lowpass},
    {"highpass", 2, StreamKind::Highpass},
    {"diff", 1, StreamKind::Diff},
    {"integ", 1, StreamKind::Integ},
    {"delay", 2, StreamKind::Delay},
};

const FunctionSpec* functionNamed(const QString& name) {
    for (const FunctionSpec& f : kFunctions)
        if (name == QLatin1String(f.name))
            return &f;
    return nullptr;
}

int channelNamed(const QString& name) {
    if (name.size() == 1)
        for (int c = 0; c < kFormulaChannels; ++c)
            if (name[0] == QLatin1Char(kChannelNames[c]))
                return c;
    return -1;
}

CoreError fault(CoreErrorKind kind, int pos, const QString& other = {}, const QString& reason = {}) {
    CoreError e = CoreError::of(kind);
    e.first = pos + 1;
    e.other = other;
    e.reason = reason;
    return e;
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isNameChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || isDigit(c);
}

// The tokens of text; numbers as in C, blanks between tokens only.
bool tokenize(const QString& text, std::vector<Token>& tokens, CoreError& error) {
    const int size = static_cast<int>(text.size());
    const auto at = [&](int i) { return i < size ? text[i] : QChar(); };
    for (int i = 0; i < size;) {
        const QChar c = text[i];
        if (c == u' ' || c == u'\t') {
            ++i;
            continue;
        }
        const int start = i;
        if (isDigit(c) || (c == u'.' && isDigit(at(i + 1)))) {
            while (isDigit(at(i)))
                ++i;
            if (at(i) == u'.')
                for (++i; isDigit(at(i));)
                    ++i;
            if (at(i) == u'e' || at(i) == u'E') {
                const int sign = at(i + 1) == u'+' || at(i + 1) == u'-' ? 1 : 0;
                if (isDigit(at(i + 1 + sign)))
                    for (i += 1 + sign; isDigit(at(i));)
                        ++i;
            }
            if (isNameChar(at(i)) || at(i) == u'.') { // "1e", "2x", "1.2.3"
                while (isNameChar(at(i)) || at(i) == u'.')
                    ++i;
                error = fault(CoreErrorKind::FormulaUnexpected, start, text.mid(start, i - start));
                return false;
            }
            tokens.push_back({TokenKind::Number, text.mid(start, i - start), start});
            continue;
        }
        if (isNameChar(c)) {
            while (isNameChar(at(i)))
                ++i;
            tokens.push_back({TokenKind::Name, text.mid(start, i - start), start});
            continue;
        }
        static const char* const pairs[] = {"<=", ">=", "==", "!=", "&&", "||"};
        const QString two = text.mid(i, 2);
        if (std::any_of(std::begin(pairs), std::end(pairs),
                        [&](const char* p) { return two == QLatin1String(p); })) {
            tokens.push_back({TokenKind::Operator, two, start});
            i += 2;
            continue;
        }
        TokenKind kind = TokenKind::Operator;
        if (c == u'(')
            kind = TokenKind::Open;
        else if (c == u')')
            kind = TokenKind::Close;
        else if (c == u',')
            kind = TokenKind::Comma;
        else if (!QStringLiteral("+-*/^<>?:").contains(c)) {
            error = fault(CoreErrorKind::FormulaUnexpected, start, QString(c));
            return false;
        }
        tokens.push_back({kind, QString(c), start});
        ++i;
    }
    return true;
}

// muparser with our language's functions and operators, whatever the locale.
void setUpParser(mu::Parser& parser) {
    parser.SetDecSep('.');
    parser.SetArgSep(',');
    parser.SetThousandsSep(0);
    parser.ClearConst();
    formula::defineFunctions(parser);
}

// The text muparser reads, with where each token came from.
struct Translation {
    std::string text;
    std::vector<std::pair<std::size_t, int>> origin; // (start in text, token index)

    // glued: straight after the piece before (muparser takes a function's "(" only so).
    void add(const std::string& piece, int token, bool glued = false) {
        if (!text.empty() && !glued)
            text += ' ';
        origin.emplace_back(text.size(), token);
        text += piece;
    }
};

} // namespace

struct Formula::Stream {
    StreamKind kind = StreamKind::Average;
    int channel = 0;
    double constant = 0;
    std::vector<double> values = std::vector<double>(kChunk);
    // State from the recording's first sample.
    std::int64_t seen = 0;
    double last = 0;                   // lowpass: y; diff: x; integ: the sum
    double previous = 0;               // integ: x
    std::int64_t sum = 0;              // avg: code steps over the window
    std::vector<std::uint8_t> history; // avg, delay: the last codes
    std::size_t pos = 0;
    std::uint8_t firstCode = kZeroLine;

    void restart() {
        seen = 0;
        last = previous = 0;
        sum = 0;
        pos = 0;
        std::fill(history.begin(), history.end(), kZeroLine);
    }
};

struct Formula::Engine {
    mu::Parser parser;
    std::array<std::vector<double>, kFormulaChannels> volts;
    std::vector<double> time = std::vector<double>(kChunk), index = std::vector<double>(kChunk);
    bool usesTime = false, usesIndex = false;
    std::unique_ptr<formula::BlockProgram> program; // nothing: muparser interprets each sample
    bool straight = false;
    std::array<std::array<double, 256>, kFormulaChannels> codeVolts{};
};

namespace {

class Compiler {
public:
    Compiler(const QString& text, const std::vector<Token>& tokens, const FormulaContext& context)
        : text_(text), tokens_(tokens), context_(context), match_(tokens.size(), -1) {}

    // Pairs the parentheses; false on a stray or a missing one.
    bool pair(CoreError& error) {
        std::vector<int> open;
        for (int i = 0; i < static_cast<int>(tokens_.size()); ++i) {
            if (tokens_[i].kind == TokenKind::Open)
                open.push_back(i);
            else if (tokens_[i].kind == TokenKind::Close) {
                if (open.empty()) {
                    error = fault(CoreErrorKind::FormulaUnexpected, tokens_[i].pos, tokens_[i].text);
                    return false;
                }
                match_[static_cast<std::size_t>(open.back())] = i;
                open.pop_back();
            }
        }
        if (!open.empty()) {
            error = fault(CoreErrorKind::FormulaParenthesis, static_cast<int>(text_.size()));
            return false;
        }
        return true;
    }

    // Tokens [from, to) into out. constantOf: the filter whose constant argument this is.
    bool translate(int from, int to, Translation& out, CoreError& error, const QString& constantOf = {}) {
        for (int i = from; i < to; ++i) {
            const Token& token = tokens_[static_cast<std::size_t>(i)];
            if (token.kind == TokenKind::Operator) {
                // "==" and "!=" stand for our own operators of C's precedence (see setUpParser).
                const QString op = token.text == u"=="   ? QStringLiteral("~=")
                                   : token.text == u"!=" ? QStringLiteral("~!")
                                                         : token.text;
                out.add(op.toStdString(), i);
                continue;
            }
            if (token.kind != TokenKind::Name) {
                out.add(token.text.toStdString(), i);
                continue;
            }
            const bool call = i + 1 < to && tokens_[static_cast<std::size_t>(i + 1)].kind == TokenKind::Open;
            if (call) {
                const FunctionSpec* f = functionNamed(token.text);
                if (f == nullptr) {
                    error = fault(CoreErrorKind::FormulaUnknownFunction, token.pos, token.text);
                    return false;
                }
                const int close = match_[static_cast<std::size_t>(i + 1)];
                std::vector<std::pair<int, int>> args;
                if (!split(i + 2, close, args, error))
                    return false;
                const int count = static_cast<int>(args.size());
                if (f->arguments >= 0 ? count != f->arguments : count < 2) {
                    error = fault(CoreErrorKind::FormulaArguments, token.pos, token.text);
                    return false;
                }
                if (f->stream) {
                    if (!constantOf.isEmpty()) {
                        error = fault(CoreErrorKind::FormulaNotConstant, token.pos, constantOf);
                        return false;
                    }
                    if (!addStream(*f, token, args, error))
                        return false;
                    out.add("_s" + std::to_string(streams.size() - 1), i);
                } else {
                    out.add(token.text.toStdString(), i);
                    out.add("(", i + 1, true);
                    for (std::size_t a = 0; a < args.size(); ++a) {
                        if (a > 0)
                            out.add(",", args[a].first - 1);
                        if (!translate(args[a].first, args[a].second, out, error, constantOf))
                            return false;
                    }
                    out.add(")", close);
                }
                i = close;
                continue;
            }
            const int channel = channelNamed(token.text);
            const bool variable = channel >= 0 || token.text == u"t" || token.text == u"n";
            if (!variable) {
                error = fault(CoreErrorKind::FormulaUnknownName, token.pos, token.text);
                return false;
            }
            if (!constantOf.isEmpty()) {
                error = fault(CoreErrorKind::FormulaNotConstant, token.pos, constantOf);
                return false;
            }
            if (channel >= 0 && !useChannel(channel, token, error))
                return false;
            usesTime = usesTime || token.text == u"t";
            usesIndex = usesIndex || token.text == u"n";
            out.add(token.text.toStdString(), i);
        }
        return true;
    }

    // muparser's own verdict on the whole translated text, as one of ours.
    CoreError parserFault(const mu::ParserError& e, const Translation& out) const {
        if (e.GetCode() == mu::ecUNEXPECTED_EOF || tokens_.empty())
            return fault(CoreErrorKind::FormulaEnd, static_cast<int>(text_.size()));
        if (e.GetCode() == mu::ecMISSING_PARENS)
            return fault(CoreErrorKind::FormulaParenthesis, static_cast<int>(text_.size()));
        if (e.GetCode() == mu::ecMISSING_ELSE_CLAUSE) { // no position: the last "?" left without ":"
            std::vector<const Token*> open;
            for (const Token& t : tokens_)
                if (t.text == u"?")
                    open.push_back(&t);
                else if (t.text == u":" && !open.empty())
                    open.pop_back();
            if (!open.empty())
                return fault(CoreErrorKind::FormulaUnexpected, open.back()->pos, open.back()->text);
        }
        int token = out.origin.empty() ? 0 : out.origin.front().second;
        const auto p = static_cast<std::size_t>(std::max(0, e.GetPos()));
        for (const auto& [start, index] : out.origin)
            if (start <= p)
                token = index;
        const Token& t =
            tokens_[static_cast<std::size_t>(std::clamp(token, 0, static_cast<int>(tokens_.size()) - 1))];
        return fault(CoreErrorKind::FormulaUnexpected, t.pos, t.text);
    }

    struct StreamSpec {
        StreamKind kind;
        int channel;
        double constant;
    };
    std::vector<StreamSpec> streams;
    unsigned channelsRead = 0;
    bool usesTime = false, usesIndex = false;

private:
    // The arguments of a call between its parentheses, as token ranges; an empty one is a fault.
    bool split(int from, int close, std::vector<std::pair<int, int>>& args, CoreError& error) const {
        if (from == close)
            return true;
        int start = from;
        for (int i = from; i <= close; ++i) {
            const Token& t = tokens_[static_cast<std::size_t>(i)];
            if (t.kind == TokenKind::Open) {
                i = match_[static_cast<std::size_t>(i)];
                continue;
            }
            if (i == close || t.kind == TokenKind::Comma) {
                if (i == start) {
                    error = fault(CoreErrorKind::FormulaUnexpected, t.pos, t.text);
                    return false;
                }
                args.emplace_back(start, i);
                start = i + 1;
            }
        }
        return true;
    }

    bool useChannel(int channel, const Token& token, CoreError& error) {
        if (channel == context_.target) {
            error = fault(CoreErrorKind::FormulaTargetChannel, token.pos, token.text);
            return false;
        }
        if ((context_.withSamples & (1u << channel)) == 0) {
            error = fault(CoreErrorKind::FormulaNoSamples, token.pos, token.text);
            return false;
        }
        channelsRead |= 1u << channel;
        return true;
    }

    bool addStream(const FunctionSpec& f, const Token& name, const std::vector<std::pair<int, int>>& args,
                   CoreError& error) {
        const auto [from, to] = args[0];
        const Token& first = tokens_[static_cast<std::size_t>(from)];
        const int channel = to - from == 1 && first.kind == TokenKind::Name ? channelNamed(first.text) : -1;
        if (channel < 0) {
            const bool unknown =
                to - from == 1 && first.kind == TokenKind::Name && first.text != u"t" && first.text != u"n";
            error = fault(unknown ? CoreErrorKind::FormulaUnknownName : CoreErrorKind::FormulaNotChannel,
                          first.pos, unknown ? first.text : name.text);
            return false;
        }
        if (!useChannel(channel, first, error))
            return false;
        double constant = 0;
        if (args.size() > 1) {
            const auto [cf, ct] = args[1];
            Translation sub;
            if (!translate(cf, ct, sub, error, name.text))
                return false;
            mu::Parser parser;
            setUpParser(parser);
            try {
                parser.SetExpr(sub.text);
                constant = parser.Eval();
            } catch (const mu::ParserError& e) {
                error = parserFault(e, sub);
                return false;
            }
            const int pos = tokens_[static_cast<std::size_t>(cf)].pos;
            const double nyquist = 1 / (2 * context_.periodSeconds);
            const auto outside = [&](const QString& range) {
                error = fault(CoreErrorKind::FormulaRange, pos, name.text, range);
                return false;
            };
            const bool whole = std::isfinite(constant) && constant == std::floor(constant);
            switch (*f.stream) {
            case StreamKind::Average:
                if (!whole || constant < 2 || constant > 10000)
                    return outside(QStringLiteral("2..10000"));
                break;
            case StreamKind::Delay:
                if (!whole || constant < 0 || constant > static_cast<double>(kMaxDelaySamples))
                    return outside(QStringLiteral("0..%1").arg(kMaxDelaySamples));
                break;
            default: // the cut-off frequency: 0 < FC < 1 / 2T, both ends excluded
                if (!std::isfinite(constant) || constant <= 0 || constant >= nyquist)
                    return outside(QStringLiteral("0..%1").arg(nyquist, 0, 'g', 10));
                break;
            }
        }
        streams.push_back({*f.stream, channel, constant});
        return true;
    }

    const QString& text_;
    const std::vector<Token>& tokens_;
    const FormulaContext& context_;
    std::vector<int> match_; // of each "(", its ")"
};

} // namespace

Formula::Formula() : engine_(std::make_unique<Engine>()) {}
Formula::~Formula() = default;

std::unique_ptr<Formula> Formula::compile(const QString& text, const FormulaContext& context,
                                          CoreError& error) {
    error = {};
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error))
        return nullptr;
    Compiler compiler(text, tokens, context);
    Translation out;
    if (!compiler.pair(error) || !compiler.translate(0, static_cast<int>(tokens.size()), out, error))
        return nullptr;

    std::unique_ptr<Formula> f(new Formula());
    f->context_ = context;
    f->channelsRead_ = compiler.channelsRead;
    Engine& e = *f->engine_;
    e.usesTime = compiler.usesTime;
    e.usesIndex = compiler.usesIndex;
    setUpParser(e.parser);
    for (int c = 0; c < kFormulaChannels; ++c) {
        e.volts[static_cast<std::size_t>(c)].assign(kChunk, 0);
        for (int code = 0; code < 256; ++code)
            e.codeVolts[static_cast<std::size_t>(c)][static_cast<std::size_t>(code)] =
                codeVolts(static_cast<std::uint8_t>(code), context.sensitivity[static_cast<std::size_t>(c)]);
    }
    for (const Compiler::StreamSpec& s : compiler.streams) {
        Stream stream;
        stream.kind = s.kind;
        stream.channel = s.channel;
        stream.constant = s.constant;
        if (s.kind == StreamKind::Average || s.kind == StreamKind::Delay)
            stream.history.assign(static_cast<std::size_t>(s.constant), kZeroLine);
        f->streams_.push_back(std::move(stream));
    }
    try {
        for (int c = 0; c < kFormulaChannels; ++c)
            e.parser.DefineVar(std::string(1, kChannelNames[c]), e.volts[static_cast<std::size_t>(c)].data());
        e.parser.DefineVar("t", e.time.data());
        e.parser.DefineVar("n", e.index.data());
        for (std::size_t s = 0; s < f->streams_.size(); ++s)
            e.parser.DefineVar("_s" + std::to_string(s), f->streams_[s].values.data());
        e.parser.SetExpr(out.text);
        e.parser.Eval(); // muparser reads the text only when it first evaluates it
    } catch (const mu::ParserError& pe) {
        error = compiler.parserFault(pe, out);
        return nullptr;
    }
    e.program = formula::BlockProgram::of(e.parser, kChunk);
    return f;
}

void Formula::evaluateStraight(bool straight) {
    engine_->straight = straight;
}

bool Formula::evaluatesInBlocks() const {
    return engine_->program != nullptr && !engine_->straight;
}

void Formula::restart() {
    for (Stream& s : streams_)
        s.restart();
}

void Formula::evaluate(const std::array<const std::uint8_t*, kFormulaChannels>& codes, std::int64_t first,
                       std::size_t n, double* values) {
    for (std::size_t done = 0; done < n; done += kChunk) {
        std::array<const std::uint8_t*, kFormulaChannels> at{};
        for (std::size_t c = 0; c < at.size(); ++c)
            at[c] = codes[c] != nullptr ? codes[c] + done : nullptr;
        evaluateChunk(at, first + static_cast<std::int64_t>(done), std::min(kChunk, n - done), values + done);
    }
}

void Formula::evaluateChunk(const std::array<const std::uint8_t*, kFormulaChannels>& codes,
                            std::int64_t first, std::size_t n, double* values) {
    Engine& e = *engine_;
    for (std::size_t c = 0; c < kFormulaChannels; ++c) {
        if ((channelsRead_ & (1u << c)) == 0)
            continue;
        const std::array<double, 256>& table = e.codeVolts[c];
        double* v = e.volts[c].data();
        for (std::size_t i = 0; i < n; ++i)
            v[i] = table[codes[c][i]];
    }
    const double period = context_.periodSeconds;
    if (e.usesTime || e.usesIndex)
        for (std::size_t i = 0; i < n; ++i) {
            const auto k = static_cast<double>(first + static_cast<std::int64_t>(i));
            e.index[i] = k;
            e.time[i] = k * period;
        }
    for (Stream& s : streams_) {
        const double* x = e.volts[static_cast<std::size_t>(s.channel)].data();
        const std::uint8_t* code = codes[static_cast<std::size_t>(s.channel)];
        double* y = s.values.data();
        switch (s.kind) {
        case StreamKind::Average: {
            // The moving average exactly as the operation computes it: whole code steps summed.
            const int sens = context_.sensitivity[static_cast<std::size_t>(s.channel)];
            const std::size_t window = s.history.size();
            for (std::size_t i = 0; i < n; ++i) {
                s.sum += static_cast<int>(code[i]) - static_cast<int>(s.history[s.pos]);
                s.history[s.pos] = code[i];
                if (++s.pos == window)
                    s.pos = 0;
                const auto count =
                    static_cast<int>(std::min<std::int64_t>(++s.seen, static_cast<std::int64_t>(window)));
                y[i] = averageVolts(s.sum, count, sens);
            }
            break;
        }
        case StreamKind::Lowpass:
        case StreamKind::Highpass: {
            // y_k = y_{k-1} + alpha (x_k - y_{k-1}) written as beta y_{k-1} + alpha x_k, two samples a
            // step: y_{k+1} = beta^2 y_{k-1} + (beta alpha x_k + alpha x_{k+1}). The chain of dependent
            // operations, which sets the speed, is then one product and one sum for two samples.
            const double alpha = 1 - std::exp(-2 * std::numbers::pi * s.constant * period);
            const double beta = 1 - alpha, beta2 = beta * beta;
            std::size_t i = 0;
            double last = s.last;
            if (s.seen == 0 && n > 0)
                last = y[i++] = x[0];
            for (; i + 1 < n; i += 2) {
                const double a0 = alpha * x[i], a1 = alpha * x[i + 1];
                y[i] = beta * last + a0;
                last = y[i + 1] = beta2 * last + (beta * a0 + a1);
            }
            for (; i < n; ++i)
                last = y[i] = beta * last + alpha * x[i];
            if (s.kind == StreamKind::Highpass)
                for (i = 0; i < n; ++i)
                    y[i] = x[i] - y[i];
            s.last = last;
            s.seen += static_cast<std::int64_t>(n);
            break;
        }
        case StreamKind::Diff:
            for (std::size_t i = 0; i < n; ++i) {
                y[i] = s.seen == 0 ? 0 : (x[i] - s.last) / period;
                s.last = x[i];
                ++s.seen;
            }
            break;
        case StreamKind::Integ:
            for (std::size_t i = 0; i < n; ++i) {
                if (s.seen++ > 0)
                    s.last += (x[i] + s.previous) / 2 * period;
                s.previous = x[i];
                y[i] = s.last;
            }
            break;
        case StreamKind::Delay: {
            const std::size_t delay = s.history.size();
            const std::array<double, 256>& table = e.codeVolts[static_cast<std::size_t>(s.channel)];
            for (std::size_t i = 0; i < n; ++i) {
                if (s.seen == 0)
                    s.firstCode = code[i];
                if (delay == 0) {
                    y[i] = x[i];
                } else {
                    y[i] = table[s.seen < static_cast<std::int64_t>(delay) ? s.firstCode : s.history[s.pos]];
                    s.history[s.pos] = code[i];
                    if (++s.pos == delay)
                        s.pos = 0;
                }
                ++s.seen;
            }
            break;
        }
        }
    }
    if (e.program && !e.straight) {
        e.program->run(n, values);
        return;
    }
    // One thread: muparser's parallel region per call costs more than the chunk's work, and far more
    // on a loaded machine, where its threads wait for a core.
    omp_set_num_threads(1);
    e.parser.Eval(values, static_cast<int>(n));
}

std::uint8_t formulaCode(double value, int sensitivity) {
    return std::isfinite(value) ? derivedCode(value, sensitivity) : kZeroLine;
}

} // namespace varnilog
