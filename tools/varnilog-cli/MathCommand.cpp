// math: computes a derived channel C or D of a recording from A and B, or removes one.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "analysis/ChannelMath.h"
#include "analysis/FormulaChannel.h"
#include "app/CoreMessages.h"
#include "view/ScaleTables.h"

#include <QRegularExpression>

#include <cstdio>

namespace varnilog::cli {

namespace {

// "C" or "D" (read as every channel letter is, spaces around it allowed) as a channel index; -1 for
// another letter, A and B included, which are recorded.
int derivedChannel(const QString& text) {
    const std::optional<int> channel = channelFromLetter(QStringView(text).trimmed());
    return channel && *channel >= 2 ? *channel : -1;
}

QString failureText(const OperationResult& r, const QString& path, int channel) {
    const QChar letter(channelName[static_cast<std::size_t>(channel)]);
    switch (r.failure) {
    case OperationFailure::NoSamples:
        return QStringLiteral("%1: the recording has no samples").arg(path);
    case OperationFailure::NoChannelB:
        return QStringLiteral("%1: the operation needs channel B, which the recording does not have")
            .arg(path);
    case OperationFailure::RecordedTarget:
        return QStringLiteral("%1: channel %2 holds recorded data (--replace replaces it)").arg(path, letter);
    case OperationFailure::NoChannel:
        return QStringLiteral("%1: there is no channel %2").arg(path, letter);
    case OperationFailure::Cancelled:
        return QStringLiteral("cancelled");
    case OperationFailure::SetBusy:
        return QStringLiteral("%1: %2").arg(path, QLatin1String(kSetBusyText));
    case OperationFailure::ReadFailed:
    case OperationFailure::WriteFailed:
    case OperationFailure::None:
        break;
    }
    return r.detail;
}

// An average whose only fault is its window: the same text with the smallest window is understood.
bool averageWindowOutOfRange(const QString& text) {
    static const QRegularExpression window(QStringLiteral(R"(,\s*\d+\s*\)\s*$)"));
    QString smallest = text;
    smallest.replace(window, QStringLiteral(",%1)").arg(kMinAverageWindow));
    return smallest != text && parseOperation(smallest).has_value();
}

struct MathRequest {
    QString path;
    bool remove = false;
    int channel = -1;
    std::optional<Operation> op;
    QString expression;           // --expr
    std::int64_t sensitivity = 0; // 0: auto
    bool replace = false;
};

// The expression checked as far as it can be before the recording is read: every channel but the
// target counted as recorded; false when it is not valid (reported).
bool parseExpression(const QString& text, MathRequest& request) {
    FormulaContext context;
    context.target = request.channel;
    context.withSamples = 0b1111u & ~(1u << request.channel);
    CoreError error;
    if (!Formula::compile(text, context, error))
        return usage(QStringLiteral("--expr: %1").arg(coreMessage(error)));
    request.expression = text;
    return true;
}

// The request from the options; false when they are not valid (reported).
bool parseMathRequest(const QCommandLineParser& parser, MathRequest& request) {
    request.path = parser.positionalArguments().at(0);
    request.remove = parser.isSet(QStringLiteral("remove"));
    request.replace = parser.isSet(QStringLiteral("replace"));
    const bool expr = parser.isSet(QStringLiteral("expr"));
    if (int(request.remove) + int(parser.isSet(QStringLiteral("op"))) + int(expr) != 1)
        return usage(QStringLiteral("give either --op or --expr with --to, or --remove"));
    request.channel =
        derivedChannel(parser.value(request.remove ? QStringLiteral("remove") : QStringLiteral("to")));
    if (request.channel < 0)
        return usage(request.remove ? QStringLiteral("--remove: expected C or D")
                                    : QStringLiteral("--to: expected C or D"));
    if (request.remove)
        return true;
    if (expr && !parseExpression(parser.value(QStringLiteral("expr")), request))
        return false;
    const QString opText = parser.value(QStringLiteral("op"));
    request.op = parseOperation(opText);
    if (!expr && !request.op)
        return usage(
            averageWindowOutOfRange(opText)
                ? QStringLiteral("--op: N out of range %1..%2").arg(kMinAverageWindow).arg(kMaxAverageWindow)
                : QStringLiteral("--op: unknown operation '%1'").arg(opText));
    return !parser.isSet(QStringLiteral("sens")) ||
           parser.value(QStringLiteral("sens")).compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0 ||
           intOption(parser, QStringLiteral("sens"), 1, kSensitivityCount, request.sensitivity);
}

int removeChannel(const MathRequest& request, const QString& ros) {
    const OperationResult r = removeDerivedChannel(ros, request.channel, request.replace);
    if (!r.ok())
        return fail(failureText(r, request.path, request.channel));
    std::printf("%s: removed channel %c%s\n", printed(request.path).constData(),
                channelName[static_cast<std::size_t>(request.channel)],
                r.operation.isEmpty() ? "" : printed(QStringLiteral(" (%1)").arg(r.operation)).constData());
    return ExitOk;
}

void printComputed(const MathRequest& request, const OperationResult& r, const QString& more) {
    std::printf("%s: channel %c = %s at %s/div (sensitivity %d%s), %lld sample%s%s\n",
                printed(request.path).constData(), channelName[static_cast<std::size_t>(request.channel)],
                printed(r.operation).constData(), qPrintable(voltLabel(r.sensitivity, 6)), r.sensitivity,
                request.sensitivity == 0 ? ", auto" : "", static_cast<long long>(r.samples),
                r.samples == 1 ? "" : "s", qPrintable(more));
}

int computeFormula(const MathRequest& request, std::unique_ptr<SharedState> state) {
    FormulaRequest formula =
        formulaRequestFor(*state, request.expression, request.channel, static_cast<int>(request.sensitivity));
    formula.replaceRecorded = request.replace;
    state.reset();
    Progress progress(QStringLiteral("computing"));
    const FormulaResult r = computeFormulaChannel(formula, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (r.formula.failed())
        return fail(QStringLiteral("%1: --expr: %2").arg(request.path, coreMessage(r.formula)));
    if (!r.ok())
        return fail(failureText(r.result, request.path, request.channel));
    printComputed(request, r.result,
                  r.nonFinite == 0 ? QString()
                                   : QStringLiteral(", %1 value%2 not finite stored as 0 V")
                                         .arg(r.nonFinite)
                                         .arg(r.nonFinite == 1 ? "" : "s"));
    return ExitOk;
}

int computeChannel(const MathRequest& request, std::unique_ptr<SharedState> state) {
    if (!request.op)
        return computeFormula(request, std::move(state));
    OperationRequest operation =
        operationRequestFor(*state, *request.op, request.channel, static_cast<int>(request.sensitivity));
    operation.replaceRecorded = request.replace;
    // The loader's handles are not needed: the computation reads through its own.
    state.reset();
    Progress progress(QStringLiteral("computing"));
    const OperationResult r = computeDerivedChannel(operation, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!r.ok())
        return fail(failureText(r, request.path, request.channel));
    printComputed(request, r, {});
    return ExitOk;
}

constexpr CliOption kMathOptions[] = {
    {"op", "OP", "The operation: A+B, A-B, B-A, -A, -B, avg(A,N) or avg(B,N) (N = 2..10000)."},
    {"to", "C|D", "The channel to write: C or D."},
    {"sens", "I|auto",
     "The target's sensitivity index 1 (10 V/div) .. 10 (10 mV/div), or auto (default): the most sensitive "
     "one that does not clip."},
    {"remove", "C|D", "Remove a derived channel instead."},
    {"replace", nullptr, "Allow replacing (or removing) recorded data."},
    {"expr", "EXPR",
     "An expression instead of --op: A..D in volts, t (s), n (sample), + - * / ^, comparisons, && || ?:, "
     "abs sqrt exp ln log10 sin cos tan asin acos atan atan2 sinh cosh tanh sign floor ceil min max, and the "
     "filters avg(X,N) lowpass(X,FC) highpass(X,FC) diff(X) integ(X) delay(X,N)."},
};

constexpr CliCommand kMath{
    "math",
    "Computes a derived channel C or D from A and B and writes it into the recording, or removes one.",
    1,
    "FILE.ros",
    "ros",
    kMathOptions};

} // namespace

int runMath(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kMath); rc >= 0)
        return rc;
    MathRequest request;
    if (!parseMathRequest(parser, request))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, request.path, error,
                       request.remove ? MissingSamples::Empty : MissingSamples::Refuse))
        return fail(error);
    if (request.remove)
        return removeChannel(request, state->recordingPath);
    return computeChannel(request, std::move(state));
}

} // namespace varnilog::cli
