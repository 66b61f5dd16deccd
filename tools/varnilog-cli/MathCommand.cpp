// math: computes a derived channel C or D of a recording from A and B, or removes one.
#include "CliSupport.h"

#include "analysis/ChannelMath.h"
#include "view/ScaleTables.h"

#include <QRegularExpression>

#include <cstdio>

namespace varnilog::cli {

namespace {

// "C" or "D" as a channel index; -1 otherwise.
int derivedChannel(const QString& text) {
    const QString t = text.trimmed().toUpper();
    return t == u"C" ? 2 : t == u"D" ? 3 : -1;
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

} // namespace

int runMath(const QStringList& args) {
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("op"),
         QStringLiteral("The operation: A+B, A-B, B-A, -A, -B, avg(A,N) or avg(B,N) (N = 2..10000)."),
         QStringLiteral("OP")});
    parser.addOption(
        {QStringLiteral("to"), QStringLiteral("The channel to write: C or D."), QStringLiteral("C|D")});
    parser.addOption({QStringLiteral("sens"),
                      QStringLiteral("The target's sensitivity index 1 (10 V/div) .. 10 (10 mV/div), or auto "
                                     "(default): the most sensitive one that does not clip."),
                      QStringLiteral("I|auto")});
    parser.addOption({QStringLiteral("remove"), QStringLiteral("Remove a derived channel instead."),
                      QStringLiteral("C|D")});
    parser.addOption(
        {QStringLiteral("replace"), QStringLiteral("Allow replacing (or removing) recorded data.")});
    if (const int rc =
            parseCommand(parser, args,
                         QStringLiteral("Computes a derived channel C or D from A and B and writes it "
                                        "into the recording, or removes one."),
                         1, QStringLiteral("FILE.ros"));
        rc >= 0)
        return rc;
    const QString path = parser.positionalArguments().at(0);
    const bool remove = parser.isSet(QStringLiteral("remove"));
    if (remove == parser.isSet(QStringLiteral("op")))
        return fail(QStringLiteral("give either --op with --to, or --remove"), ExitUsage);
    const int channel =
        derivedChannel(parser.value(remove ? QStringLiteral("remove") : QStringLiteral("to")));
    if (channel < 0)
        return fail(remove ? QStringLiteral("--remove: expected C or D")
                           : QStringLiteral("--to: expected C or D"),
                    ExitUsage);
    std::optional<Operation> op;
    std::int64_t sensitivity = 0;
    if (!remove) {
        const QString opText = parser.value(QStringLiteral("op"));
        op = parseOperation(opText);
        if (!op)
            return fail(averageWindowOutOfRange(opText)
                            ? QStringLiteral("--op: N out of range %1..%2")
                                  .arg(kMinAverageWindow)
                                  .arg(kMaxAverageWindow)
                            : QStringLiteral("--op: unknown operation '%1'").arg(opText),
                        ExitUsage);
        if (parser.isSet(QStringLiteral("sens")) &&
            parser.value(QStringLiteral("sens")).compare(QLatin1String("auto"), Qt::CaseInsensitive) != 0 &&
            !intOption(parser, QStringLiteral("sens"), 1, kSensitivityCount, sensitivity))
            return ExitUsage;
    }

    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, path, error, remove ? MissingSamples::Empty : MissingSamples::Refuse))
        return fail(error);
    const QString ros = state->recordingPath;
    const bool replace = parser.isSet(QStringLiteral("replace"));
    if (remove) {
        const OperationResult r = removeDerivedChannel(ros, channel, replace);
        if (!r.ok())
            return fail(failureText(r, path, channel));
        std::printf("%s: removed channel %c%s\n", printed(path).constData(),
                    channelName[static_cast<std::size_t>(channel)],
                    r.operation.isEmpty() ? ""
                                          : printed(QStringLiteral(" (%1)").arg(r.operation)).constData());
        return ExitOk;
    }
    OperationRequest request = operationRequestFor(*state, *op, channel, static_cast<int>(sensitivity));
    request.replaceRecorded = replace;
    // The loader's handles are not needed: the computation reads through its own.
    state.reset();
    Progress progress(QStringLiteral("computing"));
    const OperationResult r = computeDerivedChannel(request, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!r.ok())
        return fail(failureText(r, path, channel));
    std::printf("%s: channel %c = %s at %s/div (sensitivity %d%s), %lld sample%s\n",
                printed(path).constData(), channelName[static_cast<std::size_t>(channel)],
                qPrintable(r.operation), qPrintable(voltLabel(r.sensitivity, 6)), r.sensitivity,
                sensitivity == 0 ? ", auto" : "", static_cast<long long>(r.samples),
                r.samples == 1 ? "" : "s");
    return ExitOk;
}

} // namespace varnilog::cli
