// Where the configuration file lives. Normally beside the executable ("<exe>.ini"); --config FILE
// names another. An installed program (under /usr, whoever runs it: root may write /usr/bin, but it is
// the system's) keeps it in the user's configuration folder instead, so the settings and the window
// position survive a restart.
// Depends on QtCore only.
#pragma once

#include <QString>

namespace varnilog {

// The file name in the user's configuration folder (XDG_CONFIG_HOME, usually ~/.config).
inline constexpr char kUserConfigurationName[] = "varnilog2k.ini";
// The folder under the user's documents that an installed program records into by default.
inline constexpr char kUserDataFolderName[] = "Varnilog";

enum class ConfigPlace {
    Requested,        // --config FILE, used as given
    BesideExecutable, // "<exe>.ini"
    UserFolder,       // <user configuration folder>/varnilog2k.ini
};

// What the choice depends on, gathered from the file system by locateConfiguration.
struct ConfigFacts {
    QString requestedPath;              // --config FILE; empty when not given
    QString executablePath;             // absolute path of the running program; under /usr/ it is
                                        // installed, and its folder is never used
    bool executableDirWritable = false; // the folder of the executable can take new files
    bool besideFileReadOnly = false;    // "<exe>.ini" exists and cannot be written
    QString userConfigDir;              // the user's configuration folder; empty when there is none
    QString userDocumentsDir;           // the user's documents folder; empty when there is none
};

struct ConfigLocation {
    ConfigPlace place = ConfigPlace::BesideExecutable;
    QString path;           // the configuration file
    QString dataDirDefault; // DATADIR when the file has none: the executable's folder, or a folder
                            // under the documents when the executable's folder is read-only
};

// The pure choice: a requested file always wins; otherwise the file beside the executable while it
// can be written, else the user's folder (beside the executable again when the user has none, since
// reading the defaults beats failing to start).
ConfigLocation chooseConfigLocation(const ConfigFacts& facts);

// Gathers the facts for this user and program, applies the choice and prepares the user's folder:
// creates it, and on first use starts the user's file from a read-only "<exe>.ini" if there is one
// (a packager's defaults) and points its DATADIR at a created folder under the documents.
// requestedPath is empty when --config was not given.
ConfigLocation locateConfiguration(const QString& requestedPath, const QString& executablePath);

// The preparation of a file in the user's folder: creates the folder; when the file does not exist
// yet, starts it as a writable copy of seedPath (if that exists); when it has no DATADIR, creates
// location.dataDirDefault and writes it there. False when the folder or the file cannot be made.
bool prepareUserConfiguration(const ConfigLocation& location, const QString& seedPath);

// The line the main window shows at start-up to say which file holds the settings.
QString configurationNotice(const ConfigLocation& location);

} // namespace varnilog
