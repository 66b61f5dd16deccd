// varnilog-cli: the headless tool. Records, inspects, exports, renders and analyses recordings with
// the same core as the windows, so both give the same results. Built twice: as varnilog-cli, without
// the view and Qt GUI, which execs the commands that need them (render, spectrum, record, xy) as
// varnilog-cli-draw (VARNILOG_CLI_DRAWS), the same program with every command.
#include "CliSupport.h"

#include "app/Language.h"
#include "recording/FileIdentity.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef VARNILOG_CLI_DRAWS
#include <QGuiApplication>
#else
#include <climits>
#include <unistd.h>
#endif

namespace {

const char* const kUsage =
    "Usage: varnilog-cli COMMAND [OPTIONS] ...\n"
    "\n"
    "Commands:\n"
    "  info FILE.ros [--json]          settings, length and files of a recording\n"
    "  export FILE.ros OUT.txt         the recording as semicolon-separated text\n"
    "  export FILE.ros OUT.csv|wav|sr  the recording as CSV, WAV or a sigrok session\n"
    "  import IN.wav|sr|csv OUT.ros    a recording made from another program's capture\n"
    "  render FILE.ros OUT.png         the waveform picture of a view\n"
    "  render FILE.ros OUT --page      the printable page (.png, .svg or .pdf)\n"
    "  spectrum FILE.ros OUT.csv       the averaged spectra of every channel\n"
    "  measure FILE.ros [--json]       RMS, frequency, duty cycle... of a span\n"
    "  math FILE.ros --op OP --to C|D  a derived channel (A-B, avg(A,16)...)\n"
    "  math FILE.ros --expr E --to C|D a formula channel (0.5*(A+B), lowpass(A,50)...)\n"
    "  record --port PORT --seconds S  a new recording from a board\n"
    "  events FILE.ros --channel A ... the trigger events of a channel\n"
    "  markers FILE.ros [--json]       the markers saved with a recording\n"
    "  decoders [--json]               the protocol decoders installed (libsigrokdecode)\n"
    "  decode FILE.ros --decoder ID    UART, I2C, 1-Wire, IR... traffic of a recording\n"
    "  spectrogram FILE.ros OUT.png    the spectra of consecutive blocks of a channel\n"
    "  trend FILE.ros --channel A ...  a measurement per interval or period, with limits\n"
    "  xy FILE.ros [--x A --y B]       the density of code pairs of two channels\n"
    "\n"
    "Option of every command:\n"
    "  --lang en|pl                    the language of the messages the core gives (\"Cannot\n"
    "                                  open the port!\"...); default en, pl for the Polish texts\n"
    "\n"
    "'varnilog-cli COMMAND --help' describes a command's options.\n"
    "Exit codes: 0 success, 1 failure, 2 usage error.\n";

// Qt's own notes (platform plugins, runtime folders) are not the tool's messages: stderr carries
// only the one-line reasons and progress. VARNILOG_CLI_DEBUG=1 shows them.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg || qEnvironmentVariableIsSet("VARNILOG_CLI_DEBUG"))
        std::fprintf(stderr, "%s\n", varnilog::nativeFileName(text).constData());
}

// Takes "--lang CODE" / "--lang=CODE" out of args (at any position) and installs that language,
// English when none is given (a command-line tool speaks English; pl gives the Polish texts scripts
// of old versions saw); false, with the reason in error, for a missing or unknown code.
bool takeLanguageOption(QStringList& args, QString& error) {
    varnilog::Language chosen = varnilog::Language::English;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString code;
        if (args[i] == QLatin1String("--lang") && i + 1 < args.size())
            code = args.takeAt(i + 1);
        else if (args[i].startsWith(QLatin1String("--lang=")))
            code = args[i].mid(7);
        else if (args[i] != QLatin1String("--lang"))
            continue;
        args.removeAt(i--);
        const std::optional<varnilog::Language> language = varnilog::languageFromCode(code);
        if (!language) {
            error = QStringLiteral("--lang: expected pl or en, not '%1'").arg(code);
            return false;
        }
        chosen = *language;
    }
    varnilog::useLanguage(*QCoreApplication::instance(), chosen);
    return true;
}

// The command named in argv (the first argument that is not --lang or its code), or null.
const char* commandOf(int argc, char** argv, bool* png = nullptr) {
    const char* command = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0)
            ++i; // its code is no command
        else if (std::strncmp(argv[i], "--lang=", 7) == 0)
            continue;
        else if (!command)
            command = argv[i];
        else if (png && (std::strcmp(argv[i], "--png") == 0 || std::strncmp(argv[i], "--png=", 6) == 0))
            *png = true;
    }
    return command;
}

bool isCommand(const char* command, const char* name) {
    return command && std::strcmp(command, name) == 0;
}

// The commands that run in the drawing program: those that always draw a picture, and those that
// draw one with --png (and record, whose trigger capture uses the view).
constexpr const char* kAlwaysDraw[] = {"render", "spectrogram"};
constexpr const char* kDrawWithPng[] = {"spectrum", "record", "xy"};

template <std::size_t N> bool isOneOf(const char* command, const char* const (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names),
                       [command](const char* name) { return isCommand(command, name); });
}

#ifdef VARNILOG_CLI_DRAWS
// Only pictures need a GUI application (their label font comes from the platform's font database):
// render and spectrogram, and spectrum, record or xy with --png. Every other command starts with the core
// application, which loads no platform plugin, fonts or font configuration.
bool commandDraws(int argc, char** argv) {
    bool png = false;
    const char* command = commandOf(argc, argv, &png);
    return isOneOf(command, kAlwaysDraw) || (png && isOneOf(command, kDrawWithPng));
}
#else
// The drawing program: where the installation puts it, else beside this one (a build folder).
std::string drawingProgram(const char* argv0) {
    std::string self(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    self = n > 0 ? self.substr(0, static_cast<std::size_t>(n)) : std::string(argv0);
    const std::size_t slash = self.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : self.substr(0, slash);
    const std::string installed = dir + "/" VARNILOG_CLI_DRAW_INSTALLED;
    if (access(installed.c_str(), X_OK) == 0)
        return installed;
    const std::string beside = dir + "/varnilog-cli-draw";
    return access(beside.c_str(), X_OK) == 0 ? beside : installed;
}

// The commands that draw or use the view run in the drawing program, which takes over this process
// (its id, terminal, signals and exit status) with the same arguments.
int runInDrawingProgram(char** argv) {
    const std::string program = drawingProgram(argv[0]);
    execv(program.c_str(), argv);
    std::fprintf(stderr, "varnilog-cli: %s: %s\n", program.c_str(), std::strerror(errno));
    return varnilog::cli::ExitFailure;
}
#endif

int printVersion() {
    std::printf("varnilog-cli %s\n", VARNILOG_VERSION);
    return varnilog::cli::ExitOk;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
#ifdef VARNILOG_CLI_DRAWS
    if (commandDraws(argc, argv)) {
        // The offscreen platform needs no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    // The version alone needs no application at all.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return printVersion();
#ifndef VARNILOG_CLI_DRAWS
    if (const char* command = commandOf(argc, argv);
        isOneOf(command, kAlwaysDraw) || isOneOf(command, kDrawWithPng))
        return runInDrawingProgram(argv);
#endif
    qInstallMessageHandler(quietQtMessages);
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnilog-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNILOG_VERSION));
    QStringList args; // as the bytes were given: Qt's own list turns a non-UTF-8 name into another
    for (int i = 0; i < argc; ++i)
        args << varnilog::fileNameFromNative(argv[i]);
    args.removeFirst();
    if (QString error; !takeLanguageOption(args, error))
        return varnilog::cli::fail(error, varnilog::cli::ExitUsage);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return varnilog::cli::ExitUsage;
    }
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return varnilog::cli::ExitOk;
    }
    if (command == QLatin1String("--version"))
        return printVersion();
    using namespace varnilog::cli;
    if (command == QLatin1String("info"))
        return runInfo(args);
    if (command == QLatin1String("export"))
        return runExport(args);
    if (command == QLatin1String("import"))
        return runImport(args);
#ifdef VARNILOG_CLI_DRAWS
    if (command == QLatin1String("render"))
        return runRender(args);
    if (command == QLatin1String("spectrum"))
        return runSpectrum(args);
#endif
    if (command == QLatin1String("measure"))
        return runMeasure(args);
    if (command == QLatin1String("math"))
        return runMath(args);
    if (command == QLatin1String("events"))
        return runEvents(args);
#ifdef VARNILOG_CLI_DRAWS
    if (command == QLatin1String("record"))
        return runRecord(args);
#endif
    if (command == QLatin1String("markers"))
        return runMarkers(args);
#ifndef VARNILOG_CLI_DRAWS
    if (command == QLatin1String("decoders"))
        return runDecoders(args);
    if (command == QLatin1String("decode"))
        return runDecode(args);
#endif
#ifdef VARNILOG_CLI_DRAWS
    if (command == QLatin1String("spectrogram"))
        return runSpectrogram(args);
#endif
    if (command == QLatin1String("trend"))
        return runTrend(args);
#ifdef VARNILOG_CLI_DRAWS
    if (command == QLatin1String("xy"))
        return runXy(args);
#endif
    return fail(QStringLiteral("unknown command '%1' (see varnilog-cli --help)").arg(command), ExitUsage);
}
