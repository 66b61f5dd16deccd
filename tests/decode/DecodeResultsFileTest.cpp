// The results file beside the set: it comes back only for the very samples it was decoded from,
// follows the set through rename and delete, and a damaged one gives one reason and is left alone.
#include "decode/DecodeResultsFile.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingManagement.h"
#include "support/ProtocolSignals.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <tuple>

namespace varnilog {
namespace {

using test::Codes;

const Codes kUartCodes = test::analogCodes(test::uartLevels({'O', 'k'}, 10), {100, 160, 2, 3, 7});

// uart at 100 baud over channel A of ros (1 ms samples), the way the window runs it.
DecodeResults decodeUart(const QString& ros,
                         const std::vector<std::pair<std::string, std::string>>& options = {
                             {"baudrate", "100"}, {"format", "ascii"}}) {
    RecordingDecodeRequest request;
    request.sampleFiles[0] = sampleFilePath(ros, 0);
    request.sensitivity = {4, 4, 4, 4};
    request.span = {0, static_cast<std::int64_t>(kUartCodes.size())};
    request.stack = {{"uart", options}};
    request.channels = {{"rx", 0}};
    request.thresholds[0] = {0.5, 0.2};
    std::vector<Annotation> got;
    const RecordingDecodeResult r = decodeRecording(request, [&](const Annotation& a) { got.push_back(a); });
    EXPECT_TRUE(r.ok()) << r.problem.message;
    return decodeResultsOf(request, r, std::move(got));
}

using Seen = std::vector<std::tuple<std::int64_t, std::int64_t, int, int, std::vector<std::string>>>;
Seen seen(const DecodeResults& r) {
    Seen out;
    for (const Annotation& a : r.annotations)
        out.emplace_back(a.start, a.end, a.decoder, a.annotationClass, a.texts);
    return out;
}

TEST(DecodeResultsFileTest, ComesBackOnlyForTheSamplesItWasDecodedFrom) {
    const struct {
        const char* name;
        std::function<QString(const QString& ros)> change; // the set's ".ros" after it
        bool shown;
    } rows[] = {
        {"as saved", [](const QString& ros) { return ros; }, true},
        {"renamed",
         [](const QString& ros) {
             return renameRecordingSet(ros, ros.chopped(4) + QStringLiteral("-2")).newRosPath;
         },
         true},
        {"channel B, not read, rewritten",
         [](const QString& ros) {
             test::writeCodes(sampleFilePath(ros, 1), Codes(kUartCodes.size(), 90));
             return ros;
         },
         true},
        {"channel A rewritten with the same codes",
         [](const QString& ros) {
             test::writeCodes(sampleFilePath(ros, 0), kUartCodes);
             return ros;
         },
         false},
        {"channel A grown",
         [](const QString& ros) {
             QFile f(sampleFilePath(ros, 0));
             EXPECT_TRUE(f.open(QIODevice::Append) && f.write("\x80", 1) == 1);
             return ros;
         },
         false},
    };
    for (const auto& r : rows) {
        QTemporaryDir dir;
        const QString ros = test::writeRecording(dir.path(), QStringLiteral("u"),
                                                 {10, 4, 4, 2, {kUartCodes, Codes(kUartCodes.size(), 125)}});
        const DecodeResults saved = decodeUart(ros);
        ASSERT_GE(saved.annotations.size(), 2u);
        CoreError error;
        ASSERT_TRUE(saveDecodeResults(ros, saved, error))
            << static_cast<int>(error.kind) << error.reason.toStdString();
        const QString now = r.change(ros);
        const DecodeResultsReading loaded = loadDecodeResults(now);
        EXPECT_TRUE(loaded.exists) << r.name;
        EXPECT_FALSE(loaded.error.failed()) << r.name;
        EXPECT_EQ(loaded.stale, !r.shown) << r.name;
        ASSERT_EQ(loaded.results.has_value(), r.shown) << r.name;
        if (!r.shown)
            continue;
        EXPECT_EQ(seen(*loaded.results), seen(saved)) << r.name;
        EXPECT_EQ(loaded.results->settings.stack[0].options, saved.settings.stack[0].options);
        EXPECT_EQ(loaded.results->settings.span, saved.settings.span);
        EXPECT_EQ(loaded.results->settings.thresholds[0].volts, 0.5);
        EXPECT_EQ(loaded.results->levels[0].volts, saved.levels[0].volts);
        EXPECT_EQ(loaded.results->decoders, saved.decoders);
        EXPECT_EQ(loaded.results->decodedTo, static_cast<std::int64_t>(kUartCodes.size()));
        if (now != ros) {
            EXPECT_FALSE(QFile::exists(decodeResultsPathFor(ros))) << r.name;
        }
    }
}

TEST(DecodeResultsFileTest, DeleteTakesItAndChangedSamplesAreNotSaved) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("d"), {10, 4, 4, 1, {kUartCodes}});
    const DecodeResults results = decodeUart(ros);
    CoreError error;
    ASSERT_TRUE(saveDecodeResults(ros, results, error));
    ASSERT_TRUE(deleteRecordingSet(ros));
    EXPECT_FALSE(QFile::exists(decodeResultsPathFor(ros)));

    const QString again = test::writeRecording(dir.path(), QStringLiteral("e"), {10, 4, 4, 1, {kUartCodes}});
    const DecodeResults stale = decodeUart(again);
    test::writeCodes(sampleFilePath(again, 0), kUartCodes); // changed after the decode began
    EXPECT_FALSE(saveDecodeResults(again, stale, error));
    EXPECT_EQ(error.kind, CoreErrorKind::DecodeSamplesChanged);
    EXPECT_FALSE(QFile::exists(decodeResultsPathFor(again)));
}

TEST(DecodeResultsFileTest, DamagedFilesGiveTheByteAndChangeNothing) {
    QTemporaryDir dir;
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("h"), {10, 4, 4, 1, {kUartCodes}});
    const DecodeResults good = decodeUart(ros);
    const QByteArray bytes = encodeDecodeResults(good);
    const auto changed = [&](const std::function<void(DecodeResults&)>& edit) {
        DecodeResults r = good;
        edit(r);
        return encodeDecodeResults(r);
    };
    const struct {
        const char* name;
        QByteArray file;
    } rows[] = {
        {"empty", {}},
        {"another magic", QByteArray("VLDECOD2") + bytes.mid(8)},
        {"cut short", bytes.chopped(1)},
        {"a byte too many", bytes + '\0'},
        {"class past the decoder's",
         changed([](DecodeResults& r) { r.annotations[0].annotationClass = 999; })},
        {"decoder past the stack", changed([](DecodeResults& r) { r.annotations[0].decoder = 1; })},
        {"end before start",
         changed([](DecodeResults& r) { r.annotations[0].end = r.annotations[0].start - 1; })},
        {"decoded past the span", changed([](DecodeResults& r) { r.decodedTo = r.settings.span.to + 1; })},
        {"channel E", changed([](DecodeResults& r) { r.settings.channels[0].second = 4; })},
        {"hysteresis of 2", changed([](DecodeResults& r) { r.levels[0].hysteresisDivisions = 2; })},
        {"no stack", changed([](DecodeResults& r) {
             r.settings.stack.clear();
             r.annotations.clear();
         })},
    };
    for (const auto& r : rows) {
        DecodeResultsContent content;
        CoreError error;
        EXPECT_FALSE(parseDecodeResults(r.file, content, error)) << r.name;
        EXPECT_EQ(error.kind, CoreErrorKind::DecodeResultsDamaged) << r.name;
        EXPECT_LE(error.first, r.file.size()) << r.name;
        test::writeFile(decodeResultsPathFor(ros), r.file);
        const DecodeResultsReading loaded = loadDecodeResults(ros);
        EXPECT_TRUE(loaded.exists && !loaded.results) << r.name;
        EXPECT_EQ(loaded.error.kind, CoreErrorKind::DecodeResultsDamaged) << r.name;
        EXPECT_EQ(loaded.error.path, decodeResultsPathFor(ros));
        EXPECT_EQ(test::readFile(decodeResultsPathFor(ros)), r.file) << r.name;
    }
    DecodeResultsContent content;
    CoreError error;
    ASSERT_TRUE(parseDecodeResults(bytes, content, error));
    EXPECT_EQ(encodeDecodeResults(content), bytes);
}

} // namespace
} // namespace varnilog
