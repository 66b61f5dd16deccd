// The program's command-line options: what main() reads from its arguments and hands to the main
// window. Pure parsing, no window.
#pragma once

#include "app/Language.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnilog {

// What the command line asks for.
struct ProgramOptions {
    QString configurationPath;       // --config FILE, else the executable's path with ".ini"
    bool configurationGiven = false; // --config was on the command line
    QString dataDirDefault;    // DATADIR when the configuration has none; empty = the executable's folder
    QString startRecording;    // a positional "path/to/file.ros" to open once the window is up
    bool simulate = false;     // --simulate[=MODEL]: a built-in simulated board
    int simulateModel = 0;     // 1..4; 0 = the configured model
    bool simulateUart = false; // --simulate-uart: channel B sends text as 2400-baud serial
    std::optional<Language> language; // --lang pl|en: this run's language instead of the configured one
};

// Parses arguments (arguments[0] is the program). False with a message in error for an unknown
// option, a missing --config value, an unknown simulation model or language, or more than one
// recording.
bool parseProgramOptions(const QStringList& arguments, const QString& executablePath, ProgramOptions& options,
                         QString& error);

// The text that --version or --help (-h) asks for, answered before any window or display is needed;
// empty when neither is given.
QString programInformation(const QStringList& arguments, const QString& version);

} // namespace varnilog
