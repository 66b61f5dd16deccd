// The ".ros" header of a recording: its exact bytes, and that it is written whole or not at all.
#include "recording/RecordingFileSet.h"
#include "support/RecordingSetBuilder.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varnilog {
namespace {

// "<missing>" for a file that cannot be read.
QByteArray headerFileBytes(const QString& path) {
    return test::readFile(path);
}
using test::writeFile;

// What the user sees: the browser and the loader read the same nine lines that were always written;
// a header written over an older one of the same name keeps that one's other lines and sections.
TEST(RecordingHeaderFaultTest, HeaderBytesAreTheNineKeysInOrder) {
    auto state = test::headerSettingsState();
    const QByteArray nineKeys = "PODSTAWA=13\r\nCZULOSCA=4\r\nCZULOSCB=10\r\nTRYBA=2\r\nTRYBB=1\r\n"
                                "OFFSETA=255\r\nOFFSETB=0\r\nILOSCKANALOW=2\r\nSTART=2024-03-07 14.05.09\r\n";
    struct Case {
        const char* name;
        QByteArray before; // an older header of the same name; empty: none
        QByteArray expected;
    };
    // The profile writer ends lines with CR LF and separates sections by two empty lines.
    const QByteArray olderRewritten = "[INNE]\r\nX=1\r\n\r\n\r\n[PARAMETRY]\r\nPODSTAWA=13\r\nOPIS=abc\r\n"
                                      "CZULOSCA=4\r\nCZULOSCB=10\r\nTRYBA=2\r\nTRYBB=1\r\nOFFSETA=255\r\n"
                                      "OFFSETB=0\r\nILOSCKANALOW=2\r\nSTART=2024-03-07 14.05.09\r\n";
    const std::vector<Case> cases{
        {"new file", {}, "[PARAMETRY]\r\n" + nineKeys},
        {"older LF header of the same name", "[INNE]\nX=1\n\n[PARAMETRY]\nPODSTAWA=3\nOPIS=abc\n",
         olderRewritten},
        {"older CR LF header of the same name",
         "[INNE]\r\nX=1\r\n\r\n[PARAMETRY]\r\nPODSTAWA=3\r\nOPIS=abc\r\n", olderRewritten},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        RecordingFileSet set(dir.path(), QStringLiteral("2024-03-07 14.05.09"));
        if (!c.before.isEmpty())
            writeFile(set.rosPath(), c.before);
        ASSERT_TRUE(set.writeSettings(*state)) << c.name;
        EXPECT_EQ(headerFileBytes(set.rosPath()), c.expected) << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << c.name; // no temporary left
    }
}

} // namespace
} // namespace varnilog
