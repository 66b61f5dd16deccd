#include "app/Configuration.h"
#include "recording/ProfileFile.h"
#include "support/RecordedFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;

namespace {

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& text) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    test::writeFile(path, text);
    return path;
}

using test::readFile;

} // namespace

TEST(ConfigurationTest, MissingFileGivesDefaultsAndCloseCreatesTheOwnedKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath("varnilog.ini");
    auto s = std::make_unique<SharedState>();
    QPoint pos(123, 45);
    readConfiguration(*s, path, "/opt/varnilog", pos);
    EXPECT_EQ(s->comPortName, "COM1");
    EXPECT_EQ(s->dataDir, "/opt/varnilog");
    EXPECT_EQ(s->deviceModel, 1);
    EXPECT_EQ(s->channelZeroOffset, (std::array<std::uint8_t, 4>{100, 100, 100, 100}));
    EXPECT_EQ(s->channelOffset, s->channelZeroOffset);
    EXPECT_EQ(s->channelColor, (std::array<std::int32_t, 4>{4517614, 4517444, 170, 65450}));
    EXPECT_EQ(s->backgroundColor1, 0);
    EXPECT_EQ(s->backgroundColor2, 3355443);
    EXPECT_FALSE(s->gradientOn);
    EXPECT_EQ(pos, QPoint(123, 45));
    EXPECT_EQ(s->channelData[0][499], 125);
    EXPECT_EQ(s->channelData[1][0], 125);
    EXPECT_EQ(s->channelData[2][0], 0); // only the recorded channels
    EXPECT_EQ(s->channelData[0][500], 0);
    EXPECT_FALSE(QFile::exists(path));

    s->dataDir = "/data/rec";
    s->channelZeroOffset = {1, 2, 3, 4};
    ASSERT_TRUE(writeConfiguration(*s, path, QPoint(7, 9)));
    const ProfileFile ini(path);
    EXPECT_EQ(ini.readInteger("CONFIG", "UKLAD", -1), 1);
    EXPECT_EQ(ini.readInteger("CONFIG", "WINTOP", -1), 9);
    EXPECT_EQ(ini.readInteger("CONFIG", "WINLEFT", -1), 7);
    EXPECT_EQ(ini.readInteger("CONFIG", "OFFSETZEROD", -1), 4);
    EXPECT_EQ(ini.readString("CONFIG", "DATADIR", ""), "/data/rec");
    EXPECT_FALSE(ini.hasKey("CONFIG", "COMPORT")); // not the main window's to write
    const QByteArray text = readFile(path);
    EXPECT_LT(text.indexOf("UKLAD"), text.indexOf("WINTOP"));
    EXPECT_LT(text.indexOf("OFFSETZEROD"), text.indexOf("DATADIR"));
}

TEST(ConfigurationTest, ValuesAreTruncatedAndParsedAsTheProfileFunctionsDo) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "v.ini",
                  "[config]\r\nofFsetZeroA=300\r\nOFFSETZEROB=abc\r\nOFFSETZEROC=-1\r\n"
                  "GRADIENT=2\r\nUKLAD=259\r\nCL0=  77 \r\nCL1=12x\r\nCOMPORT=/dev/ttyUSB0\r\n"
                  "WINTOP=-20\r\nWINLEFT=99999\r\n");
    auto s = std::make_unique<SharedState>();
    QPoint pos(0, 0);
    readConfiguration(*s, path, "/x", pos);
    EXPECT_EQ(s->channelZeroOffset[0], 44);  // 300 modulo 256
    EXPECT_EQ(s->channelZeroOffset[1], 100); // not an integer: the default
    EXPECT_EQ(s->channelZeroOffset[2], 255);
    EXPECT_TRUE(s->gradientOn);
    EXPECT_EQ(s->deviceModel, 3);
    EXPECT_EQ(s->channelColor[0], 77);
    EXPECT_EQ(s->channelColor[1], 4517444);
    EXPECT_EQ(s->comPortName, "/dev/ttyUSB0");
    EXPECT_EQ(pos, QPoint(99999, -20));

    ASSERT_TRUE(writeSettingsConfiguration(*s, path));
    EXPECT_EQ(ProfileFile(path).readString("CONFIG", "GRADIENT", ""), "1");
}

TEST(ConfigurationTest, PathIsTheExecutableWithIni) {
    EXPECT_EQ(configurationPathFor("/usr/bin/varnilog"), "/usr/bin/varnilog.ini");
    EXPECT_EQ(configurationPathFor("C:/Prog/Varnilog.exe"), "C:/Prog/Varnilog.ini");
}

// LANGUAGE: "pl" or "en" in any case; missing or unknown reads as Polish. The settings write it.
TEST(ConfigurationTest, LanguageKey) {
    const struct {
        const char* line;
        Language language;
    } rows[] = {
        {"", Language::Polish},
        {"LANGUAGE=en\r\n", Language::English},
        {"language= EN\r\n", Language::English},
        {"LANGUAGE=pl\r\n", Language::Polish},
        {"LANGUAGE=de\r\n", Language::Polish},
        {"LANGUAGE=\r\n", Language::Polish},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "l.ini", QByteArray("[CONFIG]\r\n") + r.line);
        auto s = std::make_unique<SharedState>();
        QPoint pos;
        readConfiguration(*s, path, "/x", pos);
        EXPECT_EQ(s->language, r.language) << r.line;
        EXPECT_EQ(readConfiguredLanguage(path), r.language) << r.line;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("w.ini");
    auto s = std::make_unique<SharedState>();
    s->language = Language::English;
    ASSERT_TRUE(writeSettingsConfiguration(*s, path));
    EXPECT_EQ(readConfiguredLanguage(path), Language::English);
    EXPECT_EQ(ProfileFile(path).readString("CONFIG", "LANGUAGE", ""), "en");
}
