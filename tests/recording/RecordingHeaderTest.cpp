// The ".ros" header codec: what a read makes of damaged, partial or refused headers, and that every
// value written reads back as it was.
#include "recording/RecordingHeader.h"

#include "recording/DiskFileWriter.h"
#include "support/RecordedFiles.h"
#include "support/RecordingSetBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace varnilog {

void PrintTo(const RecordingHeader& h, std::ostream* os) {
    *os << "{time base " << int(h.timeBaseIndex) << ", sensitivity " << int(h.sensitivity[0]) << '/'
        << int(h.sensitivity[1]) << ", mode " << int(h.mode[0]) << '/' << int(h.mode[1]) << ", offset "
        << int(h.offset[0]) << '/' << int(h.offset[1]) << ", channels " << int(h.channelCount) << ", start \""
        << h.start.toStdString() << "\"}";
}

namespace {

RecordingHeader header(std::uint8_t timeBase, std::uint8_t sensA, std::uint8_t sensB, std::uint8_t modeA,
                       std::uint8_t modeB, std::uint8_t offA, std::uint8_t offB, std::uint8_t channels,
                       const char* start) {
    RecordingHeader h;
    h.timeBaseIndex = timeBase;
    h.sensitivity = {sensA, sensB};
    h.mode = {modeA, modeB};
    h.offset = {offA, offB};
    h.channelCount = channels;
    h.start = QString::fromUtf8(start);
    return h;
}

// What the user sees: a recording opens (and the browser describes it) with in-range settings
// whatever its header holds; a header that cannot be read safely is refused, not opened.
TEST(RecordingHeaderTest, ReadDefaultsClampsAndRefuses) {
    enum class Disk { None, Text, Folder, AtLimit, OverLimit };
    // The loader's defaults, with zero offsets that differ from the offsets' own default.
    auto state = std::make_unique<SharedState>();
    state->channelZeroOffset = {77, 188, 5, 5};
    const RecordingHeader loader = loaderDefaults(*state);
    const RecordingHeader byLoader = header(1, 1, 1, ModeAC, ModeAC, 77, 188, 2, "");
    const RecordingHeader browser = header(40, 1, 1, ModeAC, ModeAC, 100, 100, 1, "...");
    struct Case {
        const char* name;
        Disk disk;
        QByteArray text; // the file's bytes; a comment line pads them to the limit (or one byte over)
        const RecordingHeader& defaults;
        HeaderFile file;
        RecordingHeader expected;
    };
    const std::vector<Case> cases{
        {"missing", Disk::None, {}, loader, HeaderFile::Missing, byLoader},
        {"empty section", Disk::Text, "[PARAMETRY]\r\n", loader, HeaderFile::Readable, byLoader},
        {"every key", Disk::Text,
         "[PARAMETRY]\r\nPODSTAWA=13\r\nCZULOSCA=9\r\nCZULOSCB=4\r\nTRYBA=2\r\nTRYBB=1\r\nOFFSETA=120\r\n"
         "OFFSETB=90\r\nILOSCKANALOW=3\r\nSTART=2024-03-07 14.05.09\r\n",
         loader, HeaderFile::Readable, header(13, 9, 4, ModeDC, ModeGND, 120, 90, 3, "2024-03-07 14.05.09")},
        {"LF lines, lower-case keys", Disk::Text, "[parametry]\npodstawa=7\nczuloscb=2\nstart=x\n", loader,
         HeaderFile::Readable, header(7, 1, 2, ModeAC, ModeAC, 77, 188, 2, "x")},
        {"below and above the ranges", Disk::Text,
         "[PARAMETRY]\r\nPODSTAWA=0\r\nCZULOSCA=200\r\nCZULOSCB=0\r\nTRYBA=3\r\nTRYBB=7\r\nILOSCKANALOW="
         "9\r\n",
         loader, HeaderFile::Readable, header(1, 10, 1, ModeDC, ModeDC, 77, 188, 4, "")},
        {"low 8 bits first", Disk::Text,
         "[PARAMETRY]\r\nPODSTAWA=257\r\nCZULOSCA=-1\r\nTRYBB=0x101\r\nOFFSETA=300\r\nOFFSETB=-1\r\n"
         "ILOSCKANALOW=$102\r\n",
         loader, HeaderFile::Readable, header(1, 10, 1, ModeAC, ModeGND, 44, 255, 2, "")},
        {"not numbers", Disk::Text, "[PARAMETRY]\r\nPODSTAWA=abc\r\nOFFSETA=\r\nTRYBA=1.5\r\nSTART=\r\n",
         loader, HeaderFile::Readable, byLoader},
        {"keys of another section", Disk::Text, "[INNE]\r\nPODSTAWA=5\r\nSTART=y\r\n", loader,
         HeaderFile::Readable, byLoader},
        {"defaults out of range", Disk::Text, "[PARAMETRY]\r\nSTART=z\r\n", browser, HeaderFile::Readable,
         header(22, 1, 1, ModeAC, ModeAC, 100, 100, 1, "z")},
        {"missing, defaults out of range",
         Disk::None,
         {},
         browser,
         HeaderFile::Missing,
         header(22, 1, 1, ModeAC, ModeAC, 100, 100, 1, "...")},
        {"a folder", Disk::Folder, {}, loader, HeaderFile::Unreadable, byLoader},
        {"larger than the limit", Disk::OverLimit, "[PARAMETRY]\r\nPODSTAWA=5\r\n", loader,
         HeaderFile::Unreadable, byLoader},
        {"at the limit", Disk::AtLimit, "[PARAMETRY]\r\nPODSTAWA=5\r\n", loader, HeaderFile::Readable,
         header(5, 1, 1, ModeAC, ModeAC, 77, 188, 2, "")},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString ros = dir.filePath(QStringLiteral("r.ros"));
        QByteArray text = c.text;
        if (c.disk == Disk::AtLimit || c.disk == Disk::OverLimit)
            text += ';' + QByteArray(kHeaderSizeLimit - text.size() - (c.disk == Disk::AtLimit), ' ');
        if (c.disk != Disk::None && c.disk != Disk::Folder) {
            test::writeFile(ros, text);
        }
        if (c.disk == Disk::Folder) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("r.ros"))) << c.name;
        }
        const HeaderReading reading = readRecordingHeader(ros, c.defaults);
        EXPECT_EQ(reading.file, c.file) << c.name;
        EXPECT_EQ(reading.values, c.expected) << c.name;
    }
}

// What the user sees: a recording opens with the settings it was recorded with, also when it is
// written over an older header of the same name.
TEST(RecordingHeaderTest, WrittenValuesReadBack) {
    // Read with defaults that differ from every written value, so a key lost on either side shows.
    const RecordingHeader other = header(5, 5, 5, ModeGND, ModeGND, 9, 9, 3, "none");
    struct Case {
        const char* name;
        QByteArray before; // an older header of the same name; empty: none
        RecordingHeader written;
    };
    const std::vector<Case> cases{
        {"upper ends", {}, header(22, 10, 10, ModeDC, ModeDC, 255, 255, 4, "2009-04-14 12.45.09")},
        {"lower ends", {}, header(1, 1, 1, ModeAC, ModeAC, 0, 0, 1, "a")},
        {"mixed, over an older header",
         "[PARAMETRY]\r\nPODSTAWA=3\r\nILOSCKANALOW=3\r\nOPIS=abc\r\n[INNE]\r\nSTART=q\r\n",
         header(15, 4, 10, ModeDC, ModeGND, 150, 50, 2, "2024-03-07 14.05.09")},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString ros = dir.filePath(QStringLiteral("2024-03-07 14.05.09.ros"));
        if (!c.before.isEmpty()) {
            test::writeFile(ros, c.before);
        }
        DiskFileWriter disk;
        QString error;
        ASSERT_TRUE(writeRecordingHeader(ros, c.written, disk, error))
            << c.name << ' ' << error.toStdString();
        EXPECT_TRUE(error.isEmpty()) << c.name;
        const HeaderReading reading = readRecordingHeader(ros, other);
        EXPECT_EQ(reading.file, HeaderFile::Readable) << c.name;
        EXPECT_EQ(reading.values, c.written) << c.name;
        EXPECT_FALSE(test::readFile(ros).replace("\r\n", "").contains('\n')) << c.name; // CR LF only
    }
}

} // namespace
} // namespace varnilog
