#include "recording/ProfileFile.h"
#include "support/RecordedFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace varnilog;

using test::readFile;

TEST(ProfileFileTest, IntegerTexts) {
    struct Row {
        const char* text;
        bool ok;
        std::int32_t value;
    } rows[] = {
        {"0", true, 0},
        {"  42 ", true, 42},
        {"-7", true, -7},
        {"+8", true, 8},
        {"$FF", true, 255},
        {"0x10", true, 16},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"", false, 0},
        {"12a", false, 0},
        {"1.5", false, 0},
        {"-", false, 0},
        {"abc", false, 0},
        {"0x", false, 0},
        {"1 2", false, 0},
    };
    for (const Row& r : rows) {
        std::int32_t v = 0;
        EXPECT_EQ(parseProfileInteger(QString::fromLatin1(r.text), v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
    }
}

TEST(ProfileFileTest, WriteKeepsOtherLinesAndCommentsAndIsCaseInsensitive) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("; kept comment\n[Other]\nx=1\n\n[CONFIG]\n; about the port\nComPort=COM3\nUKLAD=2\n");
    }
    ProfileFile ini(path);
    EXPECT_EQ(ini.readString("config", "COMPORT", "?"), "COM3");
    ASSERT_TRUE(ini.writeInteger("CONFIG", "uklad", 4));
    ASSERT_TRUE(ini.writeString("NEW", "KEY", "zażółć"));
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("; kept comment"));
    EXPECT_TRUE(text.contains("; about the port"));
    EXPECT_TRUE(text.contains("x=1"));
    EXPECT_TRUE(text.contains("ComPort=COM3"));
    EXPECT_EQ(text.count("UKLAD") + text.count("uklad"), 1);
    EXPECT_LT(text.indexOf("ComPort"), text.indexOf("=4"));
    ProfileFile again(path);
    EXPECT_EQ(again.readInteger("Config", "Uklad", 0), 4);
    EXPECT_EQ(again.readString("new", "key", ""), QString::fromUtf8("zażółć"));
}

TEST(ProfileFileTest, WriteCreatesFileAndSectionAndFailsInAMissingFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    ProfileFile ini(path);
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.readInteger("S", "K", 17), 17);
    ASSERT_TRUE(ini.writeInteger("S", "K", 5));
    EXPECT_EQ(ProfileFile(path).readInteger("S", "K", 17), 5);
    ProfileFile nowhere(dir.filePath("missing/folder/x.ini"));
    EXPECT_FALSE(nowhere.writeInteger("S", "K", 1));
}
