// Profile files (the configuration, recording headers) that exist but cannot be read.
#include "recording/ProfileFile.h"
#include "recording/RecordingFileSet.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace varnilog {
namespace {

// Runs write in a child process that is not root (root reads any file), as "nobody" when the test
// runs as root; the exit code says what write returned (0 false, 1 true, 2 no such user switch).
int writeAsOrdinaryUser(const std::function<bool()>& write) {
    const test::ChildEnd end = test::waitForChild(test::startChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 2;
        return write() ? 1 : 0;
    }));
    return end.exited ? end.code : 3;
}

// What the user sees: a configuration or an older recording header that cannot be read at the
// moment keeps every key it has; a write is refused instead of replacing it by the keys written
// now. A readable file of the same kind takes the write, so the refusal is the unreadable file's.
TEST(ProfileFileFaultTest, UnreadableFileIsNotReplaced) {
    const QByteArray older = "[CONFIG]\nDATADIR=/data\nPORT=ttyUSB0\n";
    struct Row {
        const char* name;
        const char* file;
        bool readable;
        std::function<bool(const QString& dir)> write;
        QByteArray after;
    };
    const auto configKey = [](const QString& dir) {
        ProfileFile ini(QDir(dir).filePath("varnilog.ini"));
        return ini.writeString(QStringLiteral("CONFIG"), QStringLiteral("KOLOR"), QStringLiteral("255"));
    };
    const auto header = [](const QString& dir) {
        auto state = std::make_unique<SharedState>();
        RecordingFileSet set(dir, QStringLiteral("r"));
        return set.writeSettings(*state) ||
               !set.writeError().endsWith("cannot be read, so it is not replaced");
    };
    // A file that is rewritten gets CR LF line ends.
    const QByteArray headerAfter =
        "[CONFIG]\r\nDATADIR=/data\r\nPORT=ttyUSB0\r\n\r\n\r\n[PARAMETRY]\r\nPODSTAWA=" +
        QByteArray::number(SharedState().timeBaseIndex);
    const std::vector<Row> rows{
        {"unreadable configuration", "varnilog.ini", false, configKey, older},
        {"readable configuration", "varnilog.ini", true, configKey,
         "[CONFIG]\r\nDATADIR=/data\r\nPORT=ttyUSB0\r\nKOLOR=255\r\n"},
        {"unreadable older header", "r.ros", false, header, older},
        {"readable older header", "r.ros", true, header, headerAfter},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        const QString path = QDir(dir.path()).filePath(row.file);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(older);
        }
        ASSERT_EQ(chmod(QFile::encodeName(path).constData(), row.readable ? 0666 : 0222),
                  0); // write-only: it can be replaced
        const int written = writeAsOrdinaryUser([&] { return row.write(dir.path()); });
        ASSERT_NE(written, 2) << "cannot switch to an ordinary user";
        EXPECT_EQ(written, row.readable ? 1 : 0) << row.name;
        chmod(QFile::encodeName(path).constData(), 0600);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().startsWith(row.after)) << row.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << row.name;
    }
}

} // namespace
} // namespace varnilog
