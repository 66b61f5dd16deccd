// A decode's annotations written for other programs, and its errors and warnings turned into markers
// that survive a reload without being added twice.
#include "decode/AnnotationExport.h"
#include "decode/AnnotationMarkers.h"

#include "recording/RecordingFileSet.h"
#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace varnilog {
namespace {

// 'A' (two ones) sent 8n1 at 100 baud and read as 8e1: its stop bit is taken for a wrong parity bit.
DecodeResults decodeWithParityError(const QString& ros, std::int64_t count) {
    RecordingDecodeRequest request;
    request.sampleFiles[0] = sampleFilePath(ros, 0);
    request.sensitivity = {4, 4, 4, 4};
    request.span = {0, count};
    request.stack = {{"uart", {{"baudrate", "100"}, {"format", "ascii"}, {"parity", "even"}}}};
    request.channels = {{"rx", 0}};
    std::vector<Annotation> got;
    const RecordingDecodeResult r = decodeRecording(request, [&](const Annotation& a) { got.push_back(a); });
    EXPECT_TRUE(r.ok()) << r.problem.message;
    return decodeResultsOf(request, r, std::move(got));
}

int classIndex(const DecoderInfo& d, const std::string& id) {
    for (std::size_t i = 0; i < d.annotationClasses.size(); ++i)
        if (d.annotationClasses[i].id == id)
            return static_cast<int>(i);
    ADD_FAILURE() << d.id << " has no class " << id;
    return -1;
}

TEST(AnnotationExportTest, ProblemClassesByTheirIdsAndRows) {
    const struct {
        const char* decoder;
        const char* cls;
        bool problem;
    } rows[] = {
        {"uart", "rx-parity-err", true}, {"uart", "tx-warnings", true},       {"uart", "rx-data", false},
        {"uart", "rx-parity-ok", false}, {"i2c", "warnings", true},           {"i2c", "address-read", false},
        {"ir_nec", "warnings", true},    {"onewire_link", "presence", false},
    };
    for (const auto& r : rows) {
        const DecoderInfo* d = findDecoder(r.decoder);
        ASSERT_NE(d, nullptr) << r.decoder;
        EXPECT_EQ(isProblemClass(*d, classIndex(*d, r.cls)), r.problem) << r.decoder << " " << r.cls;
    }
}

TEST(AnnotationExportTest, ExportsAndMarkersOfOneDecode) {
    QTemporaryDir dir;
    const test::Codes codes = test::analogCodes(test::uartLevels({'A'}, 10, {}, 2));
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("p"), {10, 4, 4, 1, {codes}});
    const DecodeResults results = decodeWithParityError(ros, static_cast<std::int64_t>(codes.size()));
    const std::vector<Marker> problems = problemMarkers(results);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, MarkerKind::Dekoder);
    EXPECT_TRUE(problems[0].label.startsWith(QStringLiteral("uart: Parity error")))
        << problems[0].label.toStdString();
    EXPECT_EQ(problems[0].start, 110); // the ninth bit, taken for the parity
    EXPECT_EQ(problems[0].end, 119);

    CoreError error;
    const QString csv = dir.filePath(QStringLiteral("a.csv")), json = dir.filePath(QStringLiteral("a.json")),
                  labels = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(writeAnnotations(csv, AnnotationFormat::Csv, results, ros, 1.0f, error));
    ASSERT_TRUE(writeAnnotations(json, AnnotationFormat::Json, results, ros, 1.0f, error));
    ASSERT_TRUE(writeAnnotations(labels, AnnotationFormat::Audacity, results, ros, 1.0f, error));
    const QList<QByteArray> lines = test::readFile(csv).split('\n');
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(results.annotations.size()) + 2); // header, last LF
    EXPECT_EQ(lines[0], "start;end;start_time;decoder;class;text");
    EXPECT_TRUE(lines.contains("30;110;0000:00:00:030;uart;rx-data;A"));
    const QJsonObject doc = QJsonDocument::fromJson(test::readFile(json)).object();
    EXPECT_EQ(doc[QStringLiteral("count")].toInt(), static_cast<int>(results.annotations.size()));
    EXPECT_EQ(doc[QStringLiteral("annotations")].toArray().size(), doc[QStringLiteral("count")].toInt());
    EXPECT_EQ(doc[QStringLiteral("recording")].toString(), ros);
    EXPECT_TRUE(test::readFile(labels).contains("0.030000\t0.110000\tuart: A\n"));
    EXPECT_FALSE(writeAnnotations(dir.filePath(QStringLiteral("none/a.csv")), AnnotationFormat::Csv, results,
                                  ros, 1.0f, error));
    EXPECT_TRUE(error.failed());

    for (const int want : {1, 0}) { // marking again adds nothing
        int added = -1;
        ASSERT_TRUE(markDecodeProblems(ros, results, added, error))
            << static_cast<int>(error.kind) << error.reason.toStdString();
        EXPECT_EQ(added, want);
    }
    const MarkerReading reloaded = readMarkerFile(markerFilePath(ros));
    ASSERT_EQ(reloaded.markers.size(), 1u);
    EXPECT_EQ(reloaded.markers[0], problems[0]);
}

} // namespace
} // namespace varnilog
