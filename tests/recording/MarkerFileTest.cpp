#include "recording/MarkerFile.h"
#include "recording/SetLock.h"

#include "tests/support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

TEST(MarkerFileTest, RoundTripsEveryKindAndAwkwardLabelsSorted) {
    const std::vector<Marker> markers{
        {900, 900, MarkerKind::Uwaga, QStringLiteral("12:00:01")},
        {5, 5, MarkerKind::Strata, QStringLiteral("17")},
        {5, 40, MarkerKind::Zakres, QStringLiteral("a;b;;c\\")},
        {70, 70, MarkerKind::Wyzwolenie, QStringLiteral("line1\r\nline2\rx\ny")},
        {80, 80, MarkerKind::Uwaga, QString::fromUtf8("Zażółć gęślą jaźń \\n")},
        {81, 81, MarkerKind::Uwaga, QString()},
    };
    const QByteArray bytes = encodeMarkers(markers);
    // Every marker is one line of four fields, the file starts with its format line.
    EXPECT_TRUE(bytes.startsWith(QByteArray(kMarkerFormatLine) + "\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 7);
    EXPECT_EQ(bytes.count('\n'), 7);
    EXPECT_TRUE(bytes.contains("5;5;strata;17\r\n5;40;zakres;a\\;b\\;\\;c\\\\\r\n"));

    const MarkerReading reading = parseMarkers(bytes);
    EXPECT_EQ(reading.damagedLines, 0);
    ASSERT_EQ(reading.markers.size(), markers.size());
    for (std::size_t i = 1; i < reading.markers.size(); ++i)
        EXPECT_LE(reading.markers[i - 1].start, reading.markers[i].start);
    for (const Marker& m : markers)
        EXPECT_NE(std::find(reading.markers.begin(), reading.markers.end(), m), reading.markers.end())
            << m.label.toStdString();

    // Many markers through the file and back.
    QTemporaryDir dir;
    std::vector<Marker> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back({i * 3LL, i * 3LL + (i % 2), static_cast<MarkerKind>(i % kMarkerKindCount),
                        QStringLiteral("m;%1\n").arg(i)});
    const QString path = markerFilePath(dir.filePath(QStringLiteral("r.ros")));
    EXPECT_TRUE(path.endsWith(QLatin1String("/r.rmk")));
    CoreError error;
    ASSERT_TRUE(writeMarkerFile(path, many, error)) << error.reason.toStdString();
    const MarkerReading back = readMarkerFile(path);
    EXPECT_TRUE(back.exists);
    EXPECT_EQ(back.damagedLines, 0);
    EXPECT_EQ(back.markers, many);
    EXPECT_FALSE(readMarkerFile(dir.filePath(QStringLiteral("none.rmk"))).exists);
}

TEST(MarkerFileTest, DamagedFileLoadsTheLinesItCan) {
    const struct {
        const char* bytes;
        int markers, damaged;
    } cases[] = {
        {"varnilog-markers;1\r\n1;1;uwaga;ok\r\n", 1, 0},
        {"varnilog-markers;1\n1;1;uwaga;ok\n2;2;strata;x", 2, 0}, // LF only, no last line end
        {"", 0, 1},                                               // not even the format line
        {"1;1;uwaga;first line lost\r\n", 1, 1},                  // format line missing
        {"varnilog-markers;1\r\n5;4;uwaga;end before start\r\n", 0, 1},
        {"varnilog-markers;1\r\n-1;1;uwaga;x\r\n+1;1;uwaga;x\r\n", 0, 2},
        {"varnilog-markers;1\r\n1;1;note;x\r\n1;1;uwaga\r\n", 0, 2}, // unknown kind, missing field
        {"varnilog-markers;1\r\n1;1;uwaga;a;b\r\n1;1;uwaga;a\\x\r\n1;1;uwaga;a\\\r\n", 0, 3},
        {"varnilog-markers;1\r\n1;1;uwaga;\xff\xfe\r\n2x;2;uwaga;x\r\n3;3;zakres;ok\r\n", 1, 2},
        {"varnilog-markers;2\r\n99999999999999999999;1;uwaga;x\r\n", 0, 2}, // newer format, overflow
    };
    for (const auto& c : cases) {
        const MarkerReading r = parseMarkers(QByteArrayView(c.bytes));
        EXPECT_EQ(static_cast<int>(r.markers.size()), c.markers) << c.bytes;
        EXPECT_EQ(r.damagedLines, c.damaged) << c.bytes;
    }

    QTemporaryDir dir;
    EXPECT_EQ(readMarkerFile(dir.path()).damagedLines, 1); // a folder under the name
}

TEST(MarkerFileTest, ChangesHoldTheSetLockAndSpansFollowMarkers) {
    QTemporaryDir dir;
    const QString ros = dir.filePath(QStringLiteral("r.ros"));
    CoreError error;
    QString lockError;
    const auto add = [](std::vector<Marker>& list, QString&) {
        list.push_back({10, 10, MarkerKind::Uwaga, QStringLiteral("x")});
        return true;
    };
    EXPECT_FALSE(changeMarkers(ros, add, error)); // no set there: no leftover file is made
    EXPECT_FALSE(QFile::exists(markerFilePath(ros)));
    test::writeFile(ros, "[CONFIG]\r\n");
    SetLock other;
    ASSERT_EQ(other.lock(ros, 0, lockError), SetLock::Result::Locked);
    EXPECT_FALSE(changeMarkers(ros, add, error));
    EXPECT_EQ(error.kind, CoreErrorKind::SetBusy);
    other.unlock();
    ASSERT_TRUE(changeMarkers(ros, add, error)) << error.reason.toStdString();
    ASSERT_TRUE(changeMarkers(
        ros,
        [](std::vector<Marker>& list, QString&) {
            list.push_back({20, 30, MarkerKind::Zakres, QString()});
            return true;
        },
        error));
    const std::vector<Marker> markers = readMarkerFile(markerFilePath(ros)).markers;
    ASSERT_EQ(markers.size(), 2u);

    const struct {
        std::int64_t first, last;
        std::optional<std::int64_t> from, to;
    } spans[] = {{0, 1, 10, 30}, {1, 1, 20, 30}, {0, 0, {}, {}},
                 {1, 0, {}, {}}, {0, 2, {}, {}}, {-1, 1, {}, {}}};
    for (const auto& s : spans) {
        const auto span = spanBetweenMarkers(markers, s.first, s.last);
        EXPECT_EQ(span.has_value(), s.from.has_value()) << s.first << " " << s.last;
        if (span && s.from) {
            EXPECT_EQ(span->from, *s.from);
            EXPECT_EQ(span->to, *s.to);
        }
    }
}

// The writer never leaves a file the reader would refuse or read only in part.
TEST(MarkerFileTest, WriterRefusesMarkersTheReaderWouldNotRead) {
    const std::vector<Marker> refused[] = {
        {{-1, 0, MarkerKind::Uwaga, QStringLiteral("before the start")}},
        {{0, 0, MarkerKind::Uwaga, QString()}, {5, 4, MarkerKind::Zakres, QStringLiteral("backwards")}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.rmk"));
    for (const std::vector<Marker>& markers : refused) {
        CoreError error;
        EXPECT_FALSE(writeMarkerFile(path, markers, error));
        EXPECT_EQ(error.kind, CoreErrorKind::MarkerInvalid);
        EXPECT_FALSE(QFile::exists(path));
    }
}

} // namespace
} // namespace varnilog
