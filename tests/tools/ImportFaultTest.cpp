// varnilog-cli import attacked as an unlucky user would: two imports into one name at once, a kill
// before every system call that changes the disk, a deleted set's files left under the name. Afterwards
// the name holds nothing of a set, or the whole set of one import and nothing else.
#include "app/CoreMessages.h"
#include "recording/RecordingHeader.h"
#include "recording/RecordingImport.h"
#include "recording/RecordingLoader.h"
#include "support/KillHarness.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>

using namespace varnilog;

namespace {

constexpr int kRows = 3000;

struct Input {
    const char* name; // in the test's folder
    int channels;
    int seed;
};
constexpr Input kX{"x.csv", 3, 0}, kY{"y.csv", 2, 100};

int codeOf(const Input& in, int channel, int row) {
    return (in.seed + 7 * channel + row) % 200 + 25;
}

// A 1 kHz CSV whose values are the codes of codeOf at 1 V/div.
void writeInput(const QString& dir, const Input& in) {
    QByteArray text;
    for (int k = 0; k < kRows; ++k) {
        text += QByteArray::number(k * 0.001, 'g', 10);
        for (int c = 0; c < in.channels; ++c)
            text += ',' + QByteArray::number((codeOf(in, c, k) - 125) * 0.04, 'g', 10);
        text += '\n';
    }
    test::writeFile(QDir(dir).filePath(QLatin1String(in.name)), text);
}

ImportResult importInto(const QString& dir, const Input& in) {
    ImportRequest request;
    request.inputPath = QDir(dir).filePath(QLatin1String(in.name));
    request.format = ImportFormat::Csv;
    request.rosPath = QDir(dir).filePath(QStringLiteral("out.ros"));
    request.sensitivity = {4, 4, 4, 4};
    return importRecording(request);
}

// Every file of the name "out", hidden ones too.
QStringList setFiles(const QString& dir) {
    return QDir(dir).entryList({"out.*", ".out.*", "..out.*"}, QDir::Files | QDir::Hidden | QDir::System,
                               QDir::Name);
}

// Whether the folder holds exactly the whole set that in imports.
bool wholeSetOf(const QString& dir, const Input& in) {
    const QDir d(dir);
    QStringList expected{"out.rca", "out.rcb", "out.roc", "out.ros"};
    if (in.channels == 3)
        expected.insert(2, QStringLiteral("out.rcc"));
    const RecordingHeader header = readRecordingHeader(d.filePath("out.ros")).values;
    // The tool describes the import in English, the core called here in its Polish source text.
    const QByteArray description = test::readFile(d.filePath("out.roc"));
    if (setFiles(dir) != expected || header.channelCount != in.channels ||
        (in.channels == 3 && header.derivedSensitivity[0] != std::uint8_t{4}) ||
        !(description.startsWith("Imported from “" + QByteArray(in.name)) ||
          description.startsWith("Import z pliku „" + QByteArray(in.name))))
        return false;
    for (int c = 0; c < in.channels; ++c) {
        const QByteArray codes = test::readFile(d.filePath(QStringLiteral("out.rc") + QChar('a' + c)));
        if (codes.size() != kRows)
            return false;
        for (int k = 0; k < kRows; ++k)
            if (static_cast<std::uint8_t>(codes[k]) != codeOf(in, c, k))
                return false;
    }
    return true;
}

} // namespace

// Of two imports into one name at once exactly one succeeds; the other says the name is taken and
// leaves the winner's set whole.
TEST(ImportFaultTest, TwoImportsIntoOneNameAtOnceLeaveOneWholeSet) {
    // Each import names its start in local time; glibc's tzset takes its own lock, which
    // ThreadSanitizer cannot see in an uninstrumented libc. The other builds run this race.
    if (test::kUnderThreadSanitizer)
        GTEST_SKIP() << "glibc's time-zone lock is invisible to ThreadSanitizer";
    for (int attempt = 0; attempt < 30; ++attempt) {
        QTemporaryDir dir;
        writeInput(dir.path(), kX);
        writeInput(dir.path(), kY);
        ImportResult x, y;
        std::thread other([&] { y = importInto(dir.path(), kY); });
        x = importInto(dir.path(), kX);
        other.join();
        ASSERT_NE(x.ok, y.ok) << coreMessage(x.error).toStdString() << " | "
                              << coreMessage(y.error).toStdString();
        const ImportResult& loser = x.ok ? y : x;
        ASSERT_EQ(loser.error.kind, CoreErrorKind::RecordingExists) << coreMessage(loser.error).toStdString();
        ASSERT_TRUE(wholeSetOf(dir.path(), x.ok ? kX : kY)) << setFiles(dir.path()).join(' ').toStdString();
    }
}

// A kill before any system call that changes the disk, into a fresh name and into one where a deleted
// set left its markers, a summary, a fourth channel and its description: opening the name (when its
// ".ros" is there) or importing again gives the whole three-channel set and nothing else.
TEST(ImportFaultTest, KilledAtAnyChangeOfTheDiskLeavesNoSetOrTheWholeOne) {
    if (test::straceProgram().isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QStringList deleted{"out.rmk", "out.rsa", "out.rcd", "out.roc"};
    for (const QStringList& leftovers : {QStringList(), deleted}) {
        SCOPED_TRACE(leftovers.join(' ').toStdString());
        const auto setUp = [&](const QString& dir) {
            writeInput(dir, kX);
            for (const QString& name : leftovers)
                test::writeFile(QDir(dir).filePath(name), "deleted set");
            return QStringList{
                VARNILOG_CLI_PATH, "import",     QDir(dir).filePath(kX.name), QDir(dir).filePath("out.ros"),
                "--sens",          "A=4,B=4,C=4"};
        };
        const int kills = test::killAtEveryDiskChange(setUp, [&](const QString& dir, bool) {
            const QString ros = QDir(dir).filePath(QStringLiteral("out.ros"));
            if (QFile::exists(ros)) {
                auto state = std::make_unique<SharedState>();
                state->recordingPath = ros;
                ASSERT_TRUE(loadRecording(*state).ok);
            } else {
                for (const QString& name : setFiles(dir)) // nothing of the new set shows
                    EXPECT_TRUE(leftovers.contains(name) || name.startsWith('.')) << name.toStdString();
                const ImportResult again = importInto(dir, kX);
                ASSERT_TRUE(again.ok) << coreMessage(again.error).toStdString();
            }
            EXPECT_TRUE(wholeSetOf(dir, kX)) << setFiles(dir).join(' ').toStdString();
        });
        EXPECT_GT(kills, 10);
    }
}
