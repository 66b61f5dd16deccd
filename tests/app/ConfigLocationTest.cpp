#include "app/ConfigLocation.h"
#include "recording/ProfileFile.h"
#include "support/RecordedFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

using namespace varnilog;

namespace {

using test::readFile;
using test::writeFile;

// Points the user's folders at a temporary home for the life of the object.
class TemporaryHome {
public:
    TemporaryHome() : savedHome_(qgetenv("HOME")), savedConfig_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("HOME", dir_.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", dir_.filePath("cfg").toLocal8Bit());
    }
    ~TemporaryHome() {
        restore("HOME", savedHome_);
        restore("XDG_CONFIG_HOME", savedConfig_);
    }
    QString path(const char* relative) const { return dir_.filePath(QString::fromUtf8(relative)); }

private:
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QTemporaryDir dir_;
    QByteArray savedHome_, savedConfig_;
};

} // namespace

TEST(ConfigLocationTest, ChoosesRequestedThenBesideExecutableThenUserFolder) {
    const QString opt = QStringLiteral("/opt/varnilog/varnilog");
    const QString usr = QStringLiteral("/usr/bin/varnilog"); // installed: root may write its folder
    const QString cfg = QStringLiteral("/home/ola/.config");
    const QString docs = QStringLiteral("/home/ola/Documents");
    const struct {
        const char* what;
        QString exe;
        QString requested;
        bool dirWritable;
        bool fileReadOnly;
        QString userConfig;
        QString userDocs;
        ConfigPlace place;
        const char* path;
        const char* dataDir;
    } rows[] = {
        {"writable folder", opt, "", true, false, cfg, docs, ConfigPlace::BesideExecutable,
         "/opt/varnilog/varnilog.ini", "/opt/varnilog"},
        {"read-only folder", opt, "", false, false, cfg, docs, ConfigPlace::UserFolder,
         "/home/ola/.config/varnilog2k.ini", "/home/ola/Documents/Varnilog"},
        {"read-only file in a writable folder", opt, "", true, true, cfg, docs, ConfigPlace::UserFolder,
         "/home/ola/.config/varnilog2k.ini", "/opt/varnilog"},
        {"--config, writable folder", opt, "/tmp/a.ini", true, false, cfg, docs, ConfigPlace::Requested,
         "/tmp/a.ini", "/opt/varnilog"},
        {"--config, read-only folder", opt, "/tmp/a.ini", false, true, cfg, docs, ConfigPlace::Requested,
         "/tmp/a.ini", "/home/ola/Documents/Varnilog"},
        {"read-only folder, no user folder", opt, "", false, false, "", docs, ConfigPlace::BesideExecutable,
         "/opt/varnilog/varnilog.ini", "/home/ola/Documents/Varnilog"},
        {"read-only folder, no documents", opt, "", false, false, cfg, "", ConfigPlace::UserFolder,
         "/home/ola/.config/varnilog2k.ini", "/opt/varnilog"},
        {"installed, run as root", usr, "", true, false, cfg, docs, ConfigPlace::UserFolder,
         "/home/ola/.config/varnilog2k.ini", "/home/ola/Documents/Varnilog"},
        {"installed, --config, run as root", usr, "/tmp/a.ini", true, false, cfg, docs,
         ConfigPlace::Requested, "/tmp/a.ini", "/home/ola/Documents/Varnilog"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ConfigFacts facts;
        facts.requestedPath = r.requested;
        facts.executablePath = r.exe;
        facts.executableDirWritable = r.dirWritable;
        facts.besideFileReadOnly = r.fileReadOnly;
        facts.userConfigDir = r.userConfig;
        facts.userDocumentsDir = r.userDocs;
        const ConfigLocation got = chooseConfigLocation(facts);
        EXPECT_EQ(got.place, r.place);
        EXPECT_EQ(got.path, QString::fromUtf8(r.path));
        EXPECT_EQ(got.dataDirDefault, QString::fromUtf8(r.dataDir));
    }
}

TEST(ConfigLocationTest, UserFileStartsFromTheSeedAndGetsADataFolder) {
    QTemporaryDir dir;
    const QString seed = dir.filePath("varnilog.ini");
    writeFile(seed, "[CONFIG]\nCOMPORT=ttyUSB3\nCL0=255\n");
    QFile::setPermissions(seed, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    ConfigLocation loc;
    loc.place = ConfigPlace::UserFolder;
    loc.path = dir.filePath("home/.config/varnilog2k.ini"); // neither folder exists yet
    loc.dataDirDefault = dir.filePath("home/Documents/Varnilog");
    ASSERT_TRUE(prepareUserConfiguration(loc, seed));

    ASSERT_TRUE(QFileInfo::exists(loc.path));
    EXPECT_TRUE(QFile::permissions(loc.path) & QFile::WriteOwner);
    EXPECT_TRUE(QFileInfo(loc.dataDirDefault).isDir());
    ProfileFile ini(loc.path);
    EXPECT_EQ(ini.readString("CONFIG", "COMPORT", ""), "ttyUSB3");
    EXPECT_EQ(ini.readInteger("CONFIG", "CL0", -1), 255);
    EXPECT_EQ(ini.readString("CONFIG", "DATADIR", ""), loc.dataDirDefault);
    // The user's file takes the writes of the close.
    EXPECT_TRUE(ini.writeInteger("CONFIG", "UKLAD", 3));
    // The seed stays as it was.
    EXPECT_EQ(readFile(seed), QByteArray("[CONFIG]\nCOMPORT=ttyUSB3\nCL0=255\n"));
}

TEST(ConfigLocationTest, ExistingUserFileIsKept) {
    const struct {
        QByteArray user;
        bool dataDirMade;
    } rows[] = {
        // A later start neither re-copies the seed nor moves the chosen data folder.
        {"[CONFIG]\nCOMPORT=ttyACM0\nDATADIR=/srv/pomiary\n", false},
        // Without DATADIR the key is added and the rest stays.
        {"[CONFIG]\nCOMPORT=ttyACM0\n", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.user.toStdString());
        QTemporaryDir dir;
        const QString seed = dir.filePath("varnilog.ini");
        writeFile(seed, "[CONFIG]\nCOMPORT=ttyUSB3\n");
        ConfigLocation loc;
        loc.place = ConfigPlace::UserFolder;
        loc.path = dir.filePath("varnilog2k.ini");
        loc.dataDirDefault = dir.filePath("Documents/Varnilog");
        writeFile(loc.path, r.user);
        ASSERT_TRUE(prepareUserConfiguration(loc, seed));
        const ProfileFile ini(loc.path);
        EXPECT_EQ(ini.readString("CONFIG", "COMPORT", ""), "ttyACM0");
        EXPECT_EQ(QFileInfo(loc.dataDirDefault).isDir(), r.dataDirMade);
        EXPECT_EQ(ini.readString("CONFIG", "DATADIR", ""),
                  r.dataDirMade ? loc.dataDirDefault : QStringLiteral("/srv/pomiary"));
        if (!r.dataDirMade) {
            EXPECT_EQ(readFile(loc.path), r.user);
        }
    }
}

TEST(ConfigLocationTest, LocatesOnTheRealFileSystem) {
    const TemporaryHome home;
    QTemporaryDir bin;
    const QString exe = bin.filePath("varnilog");
    const QString userFile = home.path("cfg/varnilog2k.ini");

    // A writable folder keeps the file beside the program and leaves the user's folder alone.
    ConfigLocation loc = locateConfiguration(QString(), exe);
    EXPECT_EQ(loc.place, ConfigPlace::BesideExecutable);
    EXPECT_EQ(loc.path, bin.filePath("varnilog.ini"));
    EXPECT_FALSE(QFileInfo::exists(home.path("cfg")));

    // --config wins, whatever the folder.
    loc = locateConfiguration(home.path("elsewhere.ini"), exe);
    EXPECT_EQ(loc.place, ConfigPlace::Requested);
    EXPECT_EQ(loc.path, home.path("elsewhere.ini"));
    EXPECT_FALSE(QFileInfo::exists(home.path("cfg")));

    // A read-only folder: only an unprivileged user is refused by the permissions.
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: every folder is writable";
    writeFile(bin.filePath("varnilog.ini"), "[CONFIG]\nCOMPORT=ttyS1\n");
    ASSERT_TRUE(QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::ExeOwner));
    loc = locateConfiguration(QString(), exe);
    QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(loc.place, ConfigPlace::UserFolder);
    EXPECT_EQ(loc.path, userFile);
    const ProfileFile ini(userFile);
    EXPECT_EQ(ini.readString("CONFIG", "COMPORT", ""), "ttyS1");
    EXPECT_EQ(ini.readString("CONFIG", "DATADIR", ""), home.path("Documents/Varnilog"));
    EXPECT_TRUE(QFileInfo(home.path("Documents/Varnilog")).isDir());
}
