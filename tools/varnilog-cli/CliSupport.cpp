#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "app/Configuration.h"
#include "app/CoreMessages.h"
#include "recording/FileIdentity.h"
#include "recording/MarkerFile.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/RecordingManagement.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace varnilog::cli {

bool outputAllowed(const QString& out, const QString& rosPath) {
    const QString ros = recordingSetAtOutput(
        out, rosPath.isEmpty() ? QStringList() : QStringList{siblingPath(rosPath, QStringLiteral(".ros"))});
    if (!ros.isEmpty())
        fail(QStringLiteral("%1 is a file of the recording %2: choose another output").arg(out, ros),
             ExitUsage);
    return ros.isEmpty();
}

QByteArray printed(const QString& text) {
    return nativeFileName(text);
}

int fail(const QString& text, int code) {
    std::fprintf(stderr, "varnilog-cli: %s\n", printed(text).constData());
    return code;
}

bool usage(const QString& text) {
    fail(text, ExitUsage);
    return false;
}

namespace {

int parseArguments(QCommandLineParser& parser, const QStringList& args, const CliCommand& command) {
    parser.setApplicationDescription(command.description.text());
    for (const CliOption& option : command.options)
        parser.addOption({QString::fromLatin1(option.name), option.help.text(),
                          option.value ? QString::fromLatin1(option.value) : QString()});
    parser.addHelpOption();
    const QString positionalSyntax = command.positionalSyntax.text();
    parser.addPositionalArgument(QStringLiteral("args"), positionalSyntax);
    if (!parser.parse(args))
        return fail(parser.errorText(), ExitUsage);
    if (parser.isSet(QStringLiteral("help"))) {
        // Qt's first line names the program's path and no command: the usage as the user types it.
        QString help = parser.helpText();
        help.remove(0, help.indexOf(QLatin1Char('\n')));
        const QString usage =
            QStringLiteral("Usage: varnilog-cli %1 [options]").arg(QLatin1String(command.name)) +
            (command.positionalCount > 0 ? QLatin1Char(' ') + positionalSyntax : QString());
        std::fputs(printed(usage + help).constData(), stdout);
        return ExitOk;
    }
    if (parser.positionalArguments().size() != command.positionalCount)
        return fail(QStringLiteral("%1: expected %2").arg(QLatin1String(command.name), positionalSyntax),
                    ExitUsage);
    return -1;
}

// The command's line of the bash completion's table: its arguments' file types, then its options, a
// trailing "=" on those that take a value.
void printCompletionLine(const CliCommand& command) {
    QByteArray line = QByteArray("    [") + command.name + "]=\"" + command.fileTypes + " :";
    for (const CliOption& option : command.options)
        line += QByteArray(" --") + option.name + (option.value ? "=" : "");
    std::fputs((line + "\"\n").constData(), stdout);
}

} // namespace

int parseCommand(QCommandLineParser& parser, const QStringList& args, const CliCommand& command) {
    if (args.size() == 2 && args[1] == QLatin1String("--completion")) {
        printCompletionLine(command);
        return ExitOk;
    }
    return parseArguments(parser, args, command);
}

Progress::Progress(QString what) : what_(std::move(what)), tty_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() {
    finish();
}

void Progress::update(std::int64_t done, std::int64_t total) {
    if (!tty_ || total <= 0)
        return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    std::fprintf(stderr, "\r%s %3d%%", printed(what_).constData(), percent);
    std::fflush(stderr);
}

void Progress::finish() {
    if (tty_ && lastPercent_ >= 0)
        std::fputc('\n', stderr);
    lastPercent_ = -1;
}

bool openRecording(SharedState& state, const QString& rosPath, QString& error, MissingSamples missing) {
    const FileIdentity file = identityOf(rosPath);
    if (!file.exists()) {
        error = QStringLiteral("%1: no such recording").arg(rosPath);
        return false;
    }
    if (!file.regular || ::access(nativeFileName(rosPath).constData(), R_OK) != 0) {
        error = QStringLiteral("%1: not a readable file").arg(rosPath);
        return false;
    }
    state.recordingPath = absoluteFileName(rosPath);
    const LoadResult loaded = loadRecording(state);
    if (!loaded.ok) {
        error = QStringLiteral("%1: %2").arg(
            rosPath, loaded.changedWhileRead ? QStringLiteral("the recording changed while it was read")
                                             : coreMessage(loaded.error));
        return false;
    }
    if (state.sampleCount < 0 && missing == MissingSamples::Refuse) {
        error = QStringLiteral("%1: the channel A samples (.rca) are missing").arg(rosPath);
        return false;
    }
    return true;
}

std::unique_ptr<SharedState> openRecordingOrEmpty(const QString& rosPath, std::int64_t& count) {
    auto state = std::make_unique<SharedState>();
    if (QString error; !openRecording(*state, rosPath, error, MissingSamples::Empty)) {
        fail(error);
        return nullptr;
    }
    // The loader's -1 means no file, not a length.
    count = std::max<std::int64_t>(state->sampleCount, 0);
    return state;
}

bool intOption(const QCommandLineParser& parser, const QString& name, std::int64_t lo, std::int64_t hi,
               std::int64_t& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const qlonglong v = parser.value(name).toLongLong(&ok);
    if (!ok || v < lo || v > hi) {
        fail(QStringLiteral("--%1: expected a whole number from %2 to %3").arg(name).arg(lo).arg(hi),
             ExitUsage);
        return false;
    }
    value = v;
    return true;
}

bool applyConfigOption(const QCommandLineParser& parser, SharedState& state) {
    if (!parser.isSet(QStringLiteral("config")))
        return true;
    const QString ini = parser.value(QStringLiteral("config"));
    if (!identityOf(ini).regular) {
        fail(QStringLiteral("%1: no such configuration file").arg(ini));
        return false;
    }
    QPoint unused;
    readConfiguration(state, ini, folderOfName(absoluteFileName(ini)), unused);
    return true;
}

bool localeOption(const QCommandLineParser& parser, QLocale& locale, QString& error) {
    const QString name = QStringLiteral("locale");
    locale = parser.isSet(name) ? QLocale(parser.value(name)) : QLocale::system();
    // QLocale falls back to C for a name it does not know.
    if (parser.isSet(name) && locale == QLocale::c() && parser.value(name) != QLatin1String("C")) {
        error = QStringLiteral("--locale: unknown locale '%1'").arg(parser.value(name));
        return false;
    }
    return true;
}

// The shortest text that reads back as the same double.
QByteArray jsonNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
    return QByteArray(text, static_cast<qsizetype>(end - text));
}

QByteArray jsonValue(const std::optional<double>& value) {
    return value ? jsonNumber(*value) : QByteArray("null");
}

bool channelsOption(const QCommandLineParser& parser, unsigned& mask) {
    if (!parser.isSet(QStringLiteral("channels")))
        return true;
    const std::optional<unsigned> letters = channelMaskFromLetters(parser.value(QStringLiteral("channels")));
    if (!letters) {
        fail(QStringLiteral("--channels: expected %1").arg(channelLetterExpectation(true)), ExitUsage);
        return false;
    }
    mask = *letters;
    return true;
}

bool spanOptions(const QCommandLineParser& parser, const QString& rosPath, std::int64_t count,
                 SampleSpan& span) {
    SpanRequest request;
    request.source = SpanSource::Ends;
    request.sampleCount = count;
    // A value that is no whole number is outside every range: the resolution words it.
    const auto number = [&](const char* name, std::optional<std::int64_t>& value) {
        const QString option = QString::fromLatin1(name);
        if (!parser.isSet(option))
            return;
        bool ok = false;
        const qlonglong v = parser.value(option).toLongLong(&ok);
        value = ok ? v : -1;
    };
    number("from", request.from);
    number("to", request.to);
    number("from-marker", request.fromMarker);
    number("to-marker", request.toMarker);
    if (request.fromMarker || request.toMarker)
        request.markers = readMarkerFile(markerFilePath(rosPath)).markers;
    const SpanResolution resolved = resolveSpan(request);
    if (!resolved.ok()) {
        fail(spanErrorText(resolved, rosPath), ExitUsage);
        return false;
    }
    span = resolved.span;
    return true;
}

bool channelLevelOption(const char* flag, const QString& text, int& channel, double& volts,
                        double& hysteresis) {
    const QString name = QString::fromLatin1(flag);
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    const std::optional<int> letter = channelFromLetter(QStringView(text).left(std::max<qsizetype>(eq, 0)));
    if (eq < 0 || !letter)
        return usage(QStringLiteral("--%1: expected %2=VOLTS[:HYST], not '%3'")
                         .arg(name, channelLetterExpectation(false), text));
    const QStringList values = text.mid(eq + 1).split(QLatin1Char(':'));
    bool ok = false;
    volts = values[0].toDouble(&ok);
    if (!ok || !std::isfinite(volts) || values.size() > 2)
        return usage(QStringLiteral("--%1: expected a level in volts, not '%2'").arg(name, text.mid(eq + 1)));
    hysteresis = 0.1;
    if (values.size() == 2 &&
        (hysteresis = values[1].toDouble(&ok), !ok || !(hysteresis >= 0 && hysteresis <= 1)))
        return usage(
            QStringLiteral("--%1: the hysteresis is 0 to 1 division, not '%2'").arg(name, values[1]));
    channel = *letter;
    return true;
}

} // namespace varnilog::cli
