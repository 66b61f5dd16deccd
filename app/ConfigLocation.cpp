#include "app/ConfigLocation.h"

#include "app/Configuration.h"
#include "recording/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace varnilog {

ConfigLocation chooseConfigLocation(const ConfigFacts& facts) {
    ConfigLocation out;
    const QString exeDir = QFileInfo(facts.executablePath).absolutePath();
    // Recordings go beside a writable program as they always did; an installed program's folder
    // would refuse every new recording, or under root take them among the system's programs.
    const bool installed = facts.executablePath.startsWith(QLatin1String("/usr/"));
    const bool ownFolderUsable = facts.executableDirWritable && !installed;
    out.dataDirDefault = ownFolderUsable || facts.userDocumentsDir.isEmpty()
                             ? exeDir
                             : QDir(facts.userDocumentsDir).filePath(QLatin1String(kUserDataFolderName));
    if (!facts.requestedPath.isEmpty()) {
        out.place = ConfigPlace::Requested;
        out.path = facts.requestedPath;
        return out;
    }
    const bool besideUsable = ownFolderUsable && !facts.besideFileReadOnly;
    if (besideUsable || facts.userConfigDir.isEmpty()) {
        out.place = ConfigPlace::BesideExecutable;
        out.path = configurationPathFor(facts.executablePath);
        return out;
    }
    out.place = ConfigPlace::UserFolder;
    out.path = QDir(facts.userConfigDir).filePath(QLatin1String(kUserConfigurationName));
    return out;
}

bool prepareUserConfiguration(const ConfigLocation& location, const QString& seedPath) {
    const QFileInfo file(location.path);
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    if (!file.exists() && !seedPath.isEmpty() && QFileInfo::exists(seedPath)) {
        // A copy keeps the seed's permissions; the user's file must take the writes at close.
        if (!QFile::copy(seedPath, location.path))
            return false;
        QFile::setPermissions(location.path,
                              QFile::permissions(location.path) | QFile::ReadOwner | QFile::WriteOwner);
    }
    ProfileFile ini(location.path);
    const QString section = QStringLiteral("CONFIG");
    const QString key = QStringLiteral("DATADIR");
    if (ini.hasKey(section, key))
        return true;
    if (!QDir().mkpath(location.dataDirDefault))
        return false;
    return ini.writeString(section, key, QDir::toNativeSeparators(location.dataDirDefault));
}

ConfigLocation locateConfiguration(const QString& requestedPath, const QString& executablePath) {
    ConfigFacts facts;
    facts.requestedPath = requestedPath;
    facts.executablePath = QFileInfo(executablePath).absoluteFilePath();
    facts.executableDirWritable = QFileInfo(QFileInfo(facts.executablePath).absolutePath()).isWritable();
    const QString besidePath = configurationPathFor(facts.executablePath);
    const QFileInfo beside(besidePath);
    facts.besideFileReadOnly = beside.exists() && !beside.isWritable();
    // The generic folder (~/.config) rather than a per-application one: the file name already says
    // whose it is, and the application name is the window title, which is no folder name.
    facts.userConfigDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    facts.userDocumentsDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const ConfigLocation location = chooseConfigLocation(facts);
    // A folder that cannot be made is not fatal: the defaults are read and the write at close fails
    // silently, as for any configuration that cannot be written.
    if (location.place == ConfigPlace::UserFolder)
        (void)prepareUserConfiguration(location, besidePath);
    return location;
}

QString configurationNotice(const ConfigLocation& location) {
    return QCoreApplication::translate("varnilog::ConfigLocation", "Konfiguracja: %1")
        .arg(QDir::toNativeSeparators(location.path));
}

} // namespace varnilog
