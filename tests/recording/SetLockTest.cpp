#include "recording/SetLock.h"
#include "recording/SafeFile.h"

#include "tests/support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

TEST(SetLockTest, OneWriterAtATimeAlsoAcrossAReplacedHeader) {
    QTemporaryDir dir;
    const QString header = dir.filePath(QStringLiteral("r.ros"));
    test::writeFile(header, "[CONFIG]\r\n");
    QString error;
    SetLock first, second;
    ASSERT_EQ(first.lock(header, 0, error), SetLock::Result::Locked);
    // flock is per open file, so a second lock in the same process stands for another program.
    EXPECT_EQ(second.lock(header, 50, error), SetLock::Result::Busy);
    // The holder replaces the header, as a header change does, then lets go: the waiter locks the
    // new file, and a third writer cannot slip in through the old one.
    ASSERT_TRUE(writeFileSafely(header, QByteArrayView("[CONFIG]\r\nX=1\r\n"), error));
    first.unlock();
    ASSERT_EQ(second.lock(header, 0, error), SetLock::Result::Locked);
    SetLock third;
    EXPECT_EQ(third.lock(header, 0, error), SetLock::Result::Busy);

    EXPECT_EQ(third.lock(dir.filePath(QStringLiteral("gone.ros")), 0, error), SetLock::Result::Failed);
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace varnilog
