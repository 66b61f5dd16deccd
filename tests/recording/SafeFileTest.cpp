#include "recording/SafeFile.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnilog {
namespace {

using test::readFile;
using test::writeFile;

struct SafeFileCase {
    const char* name;
    qsizetype bytes;  // written through the device
    rlim_t sizeLimit; // RLIMIT_FSIZE while writing (0: none)
    bool cancel;      // abandoned before commit
    bool committed;   // expected result
};

// Whatever happens, the folder holds the old file or the whole new one and nothing else.
TEST(SafeFileTest, TheTargetIsOldOrWholeAndNoTemporaryIsLeft) {
    const SafeFileCase cases[] = {
        {"small", 10, 0, false, true},
        {"larger than the buffer", 3 << 20, 0, false, true},
        {"disk full past the buffer", 3 << 20, 1 << 20, false, false},
        {"sent to the disk in stretches while written", 20 << 20, 0, false, true},
        {"disk full after a stretch was sent", 20 << 20, 10 << 20, false, false},
        {"disk full only at commit", 1000, 500, false, false},
        {"cancelled", 1000, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.png"));
        writeFile(target, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
        const QByteArray content = test::randomBytes(c.bytes, 7);
        bool committed = false;
        {
            std::unique_ptr<test::ScopedFileSizeLimit> limit;
            if (c.sizeLimit)
                limit = std::make_unique<test::ScopedFileSizeLimit>(c.sizeLimit);
            SafeFile file(target);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            // Small pieces, as Qt's image writers write, whose results nobody checks.
            for (qsizetype at = 0; at < content.size(); at += 4096)
                file.write(content.constData() + at, std::min<qsizetype>(4096, content.size() - at));
            if (!c.cancel) {
                committed = file.commit();
                if (!committed) {
                    EXPECT_FALSE(file.errorString().isEmpty());
                }
            }
        }
        EXPECT_EQ(committed, c.committed);
        EXPECT_EQ(readFile(target), c.committed ? content : QByteArray("old"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("out.png")});
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }
}

TEST(SafeFileTest, ALinkAtTheTargetIsReplacedNotFollowedAndBadNamesFailWithAReason) {
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside.txt"));
    writeFile(outside, "precious");
    const QString link = dir.filePath(QStringLiteral("page.svg"));
    ASSERT_TRUE(QFile::link(outside, link));
    QString error;
    ASSERT_TRUE(writeFileSafely(link, QByteArrayView("new"), error)) << error.toStdString();
    EXPECT_EQ(readFile(outside), "precious");
    EXPECT_EQ(readFile(link), "new");
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    for (const QString& bad :
         {dir.filePath(QString(256, QLatin1Char('x'))), dir.filePath(QStringLiteral("missing/out.txt"))}) {
        error.clear();
        EXPECT_FALSE(writeFileSafely(bad, QByteArrayView("x"), error));
        EXPECT_FALSE(error.isEmpty());
    }
    // A fill that gives up leaves nothing and no reason of the system's.
    error = QStringLiteral("unset");
    EXPECT_FALSE(writeFileSafely(
        dir.filePath(QStringLiteral("gone.csv")), [](QIODevice&) { return false; }, error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone.csv"))));
}

// What is not a regular file (a pipe, a link to one) is never replaced by one: the write fails with
// the reason before anything is written, and the pipe stays a pipe.
TEST(SafeFileTest, WhatIsNoRegularFileIsRefusedAndLeftAsItIs) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("ff.sr")), link = dir.filePath(QStringLiteral("to.sr"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, link));
    for (const QString& target : {fifo, link}) {
        QString error;
        EXPECT_FALSE(writeFileSafely(target, QByteArrayView("x"), error)) << target.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
        SafeFile file(target);
        EXPECT_FALSE(file.open()) << target.toStdString();
    }
    struct stat s {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &s), 0);
    EXPECT_TRUE(S_ISFIFO(s.st_mode));
    ASSERT_EQ(::lstat(QFile::encodeName(link).constData(), &s), 0);
    EXPECT_TRUE(S_ISLNK(s.st_mode));
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .size(),
              2);
}

// The temporaries of a name: cut where a character begins (a name of 249 bytes whose 200th falls
// inside "ą"), and one a killed writer left (no lock) goes with the next write while a live
// writer's (locked) stays.
TEST(SafeFileTest, TemporariesFitTheNameAndAKilledWritersGo) {
    const QString longName = QString(199, QLatin1Char('a')) + QString(25, QChar(0x105));
    const QString part = QStringLiteral(".out.png.00112233aabbccdd.part");
    const struct {
        const char* name;
        QString target, leftover;
        bool locked;
        QStringList files;
    } rows[] = {
        {"name cut inside a character", longName, {}, false, {longName}},
        {"killed writer's temporary", QStringLiteral("out.png"), part, false, {QStringLiteral("out.png")}},
        {"live writer's temporary", QStringLiteral("out.png"), part, true, {part, QStringLiteral("out.png")}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
#ifndef VARNILOG_POSIX_SAFE_FILE
        if (!r.leftover.isEmpty())
            continue; // Qt's save file knows nothing of other writers' temporaries
#endif
        QTemporaryDir dir;
        int held = -1;
        if (!r.leftover.isEmpty()) {
            writeFile(dir.filePath(r.leftover), "half");
            held = ::open(QFile::encodeName(dir.filePath(r.leftover)).constData(), O_RDONLY);
            ASSERT_EQ(::flock(held, r.locked ? LOCK_EX : LOCK_UN), 0);
        }
        QString error;
        EXPECT_TRUE(writeFileSafely(dir.filePath(r.target), QByteArrayView("new"), error))
            << error.toStdString();
        ::close(held);
        EXPECT_EQ(readFile(dir.filePath(r.target)), "new");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), r.files);
    }
}

} // namespace
} // namespace varnilog
