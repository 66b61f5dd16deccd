#include "app/CommandLine.h"

#include "app/Configuration.h"
#include "app/DeviceModels.h"

#include <QCommandLineParser>

namespace varnilog {

namespace {

int modelFromText(const QString& text) {
    const QString t = text.trimmed().toUpper();
    if (t.isEmpty())
        return 0;
    for (const DeviceModelInfo& m : deviceModelTable)
        if (t == QLatin1String(m.modelName) || t == QString::number(m.number))
            return m.number;
    return -1;
}

} // namespace

bool parseProgramOptions(const QStringList& arguments, const QString& executablePath, ProgramOptions& options,
                         QString& error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("Configuration file."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"), QStringLiteral("Simulated board KZ100..KZ400."), QStringLiteral("MODEL"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Language: pl or en."),
                                  QStringLiteral("LANG"));
    const QCommandLineOption simulateUart(QStringLiteral("simulate-uart"),
                                          QStringLiteral("The simulated board's channel B sends text."));
    parser.addOption(config);
    parser.addOption(simulate);
    parser.addOption(simulateUart);
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("recording"), QStringLiteral("A .ros file to open."));
    // The model of --simulate is optional; the parser only knows options that always take a value.
    QStringList args = arguments;
    for (QString& a : args)
        if (a == QLatin1String("--simulate") || a == QLatin1String("-simulate"))
            a = QStringLiteral("--simulate=");
    if (!parser.parse(args)) {
        error = parser.errorText();
        return false;
    }
    if (parser.positionalArguments().size() > 1) {
        error = QStringLiteral("Only one recording can be opened at start.");
        return false;
    }
    ProgramOptions out;
    out.configurationGiven = parser.isSet(config);
    out.configurationPath =
        out.configurationGiven ? parser.value(config) : configurationPathFor(executablePath);
    if (out.configurationPath.isEmpty()) {
        error = QStringLiteral("--config needs a file name.");
        return false;
    }
    if (!parser.positionalArguments().isEmpty())
        out.startRecording = parser.positionalArguments().constFirst();
    out.simulate = parser.isSet(simulate);
    out.simulateUart = parser.isSet(simulateUart);
    if (out.simulateUart && !out.simulate) {
        error = QStringLiteral("--simulate-uart needs --simulate.");
        return false;
    }
    if (out.simulate) {
        out.simulateModel = modelFromText(parser.value(simulate));
        if (out.simulateModel < 0) {
            error = QStringLiteral("Unknown board model: %1 (KZ100, KZ200, KZ300 or KZ400).")
                        .arg(parser.value(simulate));
            return false;
        }
    }
    if (parser.isSet(lang)) {
        out.language = languageFromCode(parser.value(lang));
        if (!out.language) {
            error = QStringLiteral("Unknown language: %1 (pl or en).").arg(parser.value(lang));
            return false;
        }
    }
    options = out;
    return true;
}

QString programInformation(const QStringList& arguments, const QString& version) {
    const QStringList options = arguments.mid(1);
    if (options.contains(QLatin1String("--version")))
        return QStringLiteral("varnilog %1\n").arg(version);
    if (!options.contains(QLatin1String("--help")) && !options.contains(QLatin1String("-h")))
        return {};
    return QStringLiteral(
        "Usage: varnilog [--config FILE] [--simulate[=KZ100|KZ200|KZ300|KZ400] [--simulate-uart]] [--lang "
        "pl|en]\n"
        "                [FILE.ros]\n"
        "Records, views, measures and exports the sample stream of the KZ100..KZ400 boards.\n"
        "\n"
        "  FILE.ros              a recording to open at start\n"
        "  --config FILE         the configuration file (default: beside the program, or\n"
        "                        ~/.config/varnilog2k.ini when that folder cannot be written)\n"
        "  --simulate[=MODEL]    record from a built-in simulated board instead of a serial port\n"
        "  --simulate-uart       its channel B sends a line of text again and again as 2400-baud\n"
        "                        serial 8n1 (for the protocol decoders)\n"
        "  --lang pl|en          the language of the windows for this run (default: the one chosen\n"
        "                        in the settings, Polish at first)\n"
        "  -h, --help            this text\n"
        "  --version             the program's version\n");
}

} // namespace varnilog
