// Shared pieces of the command-line tool: exit codes, one-line failures, option parsing per command,
// progress on a terminal, and opening a recording the way the main window does.
#pragma once

#include "analysis/SpanRequest.h"
#include "app/CoreMessages.h"
#include "app/SharedState.h"
#include "recording/TextEscapes.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace varnilog::cli {

// Another program holds the recording's lock.
inline constexpr char kSetBusyText[] = "the recording is being changed by another program";

// text as the tool prints it: UTF-8, with the bytes of a name that are no UTF-8 as they were given
// (Qt's conversion would print U+FFFD or "?" for them).
QByteArray printed(const QString& text);

enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Prints "varnilog-cli: <text>" on stderr and returns the code.
int fail(const QString& text, int code = ExitFailure);

// fail(text, ExitUsage) for the parsers of the options, which report and return false.
bool usage(const QString& text);

// A help text: fixed, or made when it is shown (from the format table, from a default's value).
class CliText {
public:
    constexpr CliText(const char* text) : fixed_(text) {}
    constexpr CliText(QString (*make)()) : make_(make) {}
    QString text() const { return make_ ? make_() : QString::fromUtf8(fixed_); }

private:
    const char* fixed_ = nullptr;
    QString (*make_)() = nullptr;
};

// One option of a command: its name, the name of its value in the help (null: a flag) and its help.
struct CliOption {
    const char* name;
    const char* value;
    CliText help;
};

// A command's one table: its name, what its help says, its arguments (and the file types the bash
// completion offers for them) and its options. Its parser, its --help and the line of the bash
// completion (packaging/varnilog-cli.bash-completion) that "varnilog-cli COMMAND --completion" prints
// all come from it.
struct CliCommand {
    const char* name;
    CliText description;
    int positionalCount;
    CliText positionalSyntax;
    const char* fileTypes; // "ros txt": what the completion offers for the arguments
    std::span<const CliOption> options;
};

// Parses a command's arguments (args[0] is the command name) with the options of its table. Returns -1
// when the command should run, otherwise the exit code to return (after --help, --completion or a usage
// error, already reported).
int parseCommand(QCommandLineParser& parser, const QStringList& args, const CliCommand& command);

// Progress on stderr, only when stderr is a terminal; finish() ends the line.
class Progress {
public:
    explicit Progress(QString what);
    ~Progress();
    void update(std::int64_t done, std::int64_t total);
    void finish();

private:
    QString what_;
    bool tty_;
    int lastPercent_ = -1;
};

// What a command does with a set whose ".rca" is missing.
enum class MissingSamples {
    Empty,  // an empty recording, as the window shows it: the header alone is enough
    Refuse, // a failure: there is nothing to draw or compute
};

// Opens FILE.ros as the recording on display (its handles stay open in the state). On failure the
// reason is in error.
bool openRecording(SharedState& state, const QString& rosPath, QString& error,
                   MissingSamples missing = MissingSamples::Refuse);

// openRecording for a command that reads what a set has: without its ".rca" it is an empty recording,
// as info, export and the window read it. Null (reported) on failure; count: its samples, 0 or more.
std::unique_ptr<SharedState> openRecordingOrEmpty(const QString& rosPath, std::int64_t& count);

// False, reported as a usage error, when writing to out would replace or add a file of an existing
// recording set, the one of rosPath (when given) among them (see recordingSetAtOutput).
bool outputAllowed(const QString& out, const QString& rosPath);

// Reads an integer option; false (with a reported usage error) when it is not a number in [lo, hi].
bool intOption(const QCommandLineParser& parser, const QString& name, std::int64_t lo, std::int64_t hi,
               std::int64_t& value);

// With --config INI, reads its colours and background into the state; false
// (reported) when the file does not exist.
bool applyConfigOption(const QCommandLineParser& parser, SharedState& state);

// The --locale option: the named locale, or the user's without it. False, with the usage message in
// error, for a name that is no locale.
bool localeOption(const QCommandLineParser& parser, QLocale& locale, QString& error);

// JSON texts: the shortest number that reads back as the same double, null for no value (a quoted
// string with its escapes is recording/TextEscapes.h's jsonString).
QByteArray jsonNumber(double value);
QByteArray jsonValue(const std::optional<double>& value);

// The span options --from N, --to M, --from-marker I and --to-marker J, rows of the tables of the
// commands that take a span. spanOptions resolves them against a recording of count samples (markers
// read from the ".rmk" of rosPath only when asked for) into span; false, reported as a usage error,
// for an end outside the recording, a marker end beside the sample end it replaces, or an empty span.
inline constexpr CliOption kFromOption{"from", "N", "First sample of the span (default 0)."};
inline constexpr CliOption kToOption{"to", "M", "One past the last sample of the span (default: the end)."};
inline constexpr CliOption kFromMarkerOption{"from-marker", "I",
                                             "Start the span at marker I's start (0-based, as 'markers' "
                                             "lists them)."};
inline constexpr CliOption kToMarkerOption{"to-marker", "J",
                                           "End the span at marker J's end (a point marker's own sample)."};
bool spanOptions(const QCommandLineParser& parser, const QString& rosPath, std::int64_t count,
                 SampleSpan& span);

// --channels LETTERS as a mask of channels (analysis/ChannelLetters); all when absent. False, reported as a
// usage error, for an empty text or another letter.
bool channelsOption(const QCommandLineParser& parser, unsigned& mask);

// "A=VOLTS[:HYST]": a channel's logic level in volts and hysteresis in divisions (0 to 1, default 0.1),
// for --threshold (decode) and --logic (export). False, reported as a usage error of --flag, otherwise.
bool channelLevelOption(const char* flag, const QString& text, int& channel, double& volts,
                        double& hysteresis);

int runInfo(const QStringList& args);
int runExport(const QStringList& args);
int runImport(const QStringList& args);
int runRender(const QStringList& args);
int runSpectrum(const QStringList& args);
int runRecord(const QStringList& args);
int runMeasure(const QStringList& args);
int runMath(const QStringList& args);
int runEvents(const QStringList& args);
int runMarkers(const QStringList& args);
int runDecoders(const QStringList& args);
int runDecode(const QStringList& args);
int runSpectrogram(const QStringList& args);
int runTrend(const QStringList& args);
int runXy(const QStringList& args);

} // namespace varnilog::cli
