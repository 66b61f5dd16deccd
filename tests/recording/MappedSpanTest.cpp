// A mapped stretch of a file reads as the file, from any offset; a file cut short while mapped reads
// zeros where its pages went and says so, instead of ending the program.
#include "recording/MappedSpan.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace varnilog;

TEST(MappedSpanTest, ReadsTheFileAndZerosWhereItWasCut) {
    struct Row {
        const char* name;
        std::int64_t offset, length;
        std::int64_t cutTo; // -1: the file stays whole
    } rows[] = {
        {"whole file", 0, 100000, -1},
        {"from an odd offset", 4097, 50000, -1},
        {"cut short while mapped", 1000, 99000, 8192},
    };
    QByteArray bytes(100000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(1 + i % 251);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.rca"));
        test::writeFile(path, bytes);
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const MappedSpan span(fd, r.offset, r.length);
        ::close(fd);
        ASSERT_TRUE(span.valid());
        if (r.cutTo >= 0) {
            ASSERT_EQ(::truncate(path.toLocal8Bit().constData(), r.cutTo), 0);
        }
        std::int64_t wrong = 0;
        for (std::int64_t i = 0; i < r.length; ++i) {
            const std::int64_t at = r.offset + i;
            const auto want = r.cutTo >= 0 && at >= r.cutTo
                                  ? 0
                                  : static_cast<std::uint8_t>(bytes.at(static_cast<qsizetype>(at)));
            wrong += span.data()[i] != want ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(span.damaged(), r.cutTo >= 0);
    }
    EXPECT_FALSE(MappedSpan(-1, 0, 10).valid());
}
