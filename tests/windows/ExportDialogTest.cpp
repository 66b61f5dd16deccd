#include "windows/ExportDialog.h"

#include "ScriptedDialogs.h"
#include "WindowTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingSet.h"

#include <QAction>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

namespace {
struct ExportFixture {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    QProgressBar bar;

    // A recording on display: A = bytes a, B = bytes b, both at 1 V/div, 1 ms.
    void display(const QByteArray& a, const QByteArray& b) {
        writeFile(dir.filePath("r.rca"), a);
        writeFile(dir.filePath("r.rcb"), b);
        state->sampleFile[0].setFileName(dir.filePath("r.rca"));
        state->sampleFile[1].setFileName(dir.filePath("r.rcb"));
        state->sampleFile[0].open(QIODevice::ReadOnly);
        state->sampleFile[1].open(QIODevice::ReadOnly);
        state->sampleCount = a.size();
        state->channelCount = 2;
        state->channelSensitivity = {4, 4, 1, 1};
        state->samplingPeriodMs = 1.0f;
    }
};
} // namespace

TEST(ExportDialogTest, ChosenFileCancelAndFailures) {
    struct Row {
        const char* name;
        const char* answer; // relative to the folder; "" = cancelled
        bool written;
        int errors;
        const char* bytes;
        const char* reported; // to the status bar; a failure has its error box instead
    } rows[] = {
        {"written with CR LF", "out.txt", true, 0,
         "0000:00:00:000;1.0000;0.0000\r\n0000:00:00:001;-1.0000;0.0400\r\n0000:00:00:002;0.0000;0.0000\r\n",
         "Zapisano plik out.txt"},
        {"cancelled dialog exports nothing", "", false, 0, "<missing>", ""},
        {"folder that does not exist", "no/such/out.txt", false, 1, "<missing>", ""},
        {"the recording's own samples", "r.rca", false, 1, "\x96\x64\x7d", ""},
    };
    for (const Row& r : rows) {
        ExportFixture f;
        f.display(QByteArray("\x96\x64\x7d", 3), QByteArray("\x7d\x7e\x7d", 3));
        const QString path = std::string(r.answer).empty() ? QString() : f.dir.filePath(r.answer);
        f.dialogs.fileNames = {path};
        bool viewMoved = false;
        ExportDialogOptions options;
        options.progressBar = &f.bar;
        options.viewToStart = [&] { viewMoved = true; };
        QString reported;
        options.report = [&](const QString& text) { reported = text; };
        bool ok = false;
        {
            const ScopedLocale locale{QLocale(QLocale::English)};
            ok = exportRecordingWithDialog(nullptr, *f.state, f.boxes, f.dialogs, options);
        }
        EXPECT_EQ(ok, r.written) << r.name;
        EXPECT_EQ(static_cast<int>(f.boxes.errors().size()), r.errors) << r.name;
        EXPECT_EQ(viewMoved, !path.isEmpty()) << r.name; // the view goes to sample 0 only for a real export
        EXPECT_EQ(reported, QString::fromUtf8(r.reported)) << r.name;
        if (!path.isEmpty()) {
            EXPECT_EQ(readFile(path).toStdString(), r.bytes) << r.name;
        }
        EXPECT_FALSE(f.bar.isVisible()) << r.name;
        ASSERT_EQ(f.dialogs.saveFilters.size(), 1u);
        EXPECT_EQ(f.dialogs.saveFilters[0], "Pliki tekstowe (*.txt)");
        EXPECT_EQ(f.dialogs.saveSuffixes[0], "txt");
    }
}

TEST(ExportDialogTest, SpreadsheetReadsTheVoltagesBack) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 not installed";
    ExportFixture f;
    // A triangle on A and its mirror on B, 400 samples: every byte value from 0 to 199.
    QByteArray a, b;
    for (int i = 0; i < 400; ++i) {
        const int v = i < 200 ? i : 399 - i;
        a.append(static_cast<char>(v));
        b.append(static_cast<char>(250 - v));
    }
    f.display(a, b);
    f.state->channelSensitivity = {7, 2, 1, 1}; // 0.1 V/div and 5 V/div
    const QString out = f.dir.filePath("tri.txt");
    f.dialogs.fileNames = {out};
    {
        const ScopedLocale locale{QLocale(QLocale::Polish)}; // decimal comma
        ASSERT_TRUE(exportRecordingWithDialog(nullptr, *f.state, f.boxes, f.dialogs));
    }
    // The reader checks each line against (s - 125) * V/div * 0.04 worked out on its own.
    const char* script = R"(
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline=''), delimiter=';'))
assert len(rows) == 400, len(rows)
for n, row in enumerate(rows):
    v = n if n < 200 else 399 - n
    ms = n
    assert row[0] == '%04d:%02d:%02d:%03d' % (0, 0, ms // 1000, ms % 1000), row[0]
    a = float(row[1].replace(',', '.')); b = float(row[2].replace(',', '.'))
    assert abs(a - (v - 125) * 0.1 * 0.04) < 5e-5, (n, a)
    assert abs(b - (125 - v) * 5 * 0.04) < 5e-5, (n, b)
    assert ',' in row[1] and len(row[1].split(',')[1]) == 4
print('ok')
)";
    QProcess process;
    process.start(python, {"-c", script, out});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput().trimmed(), "ok");
}

namespace {
class ExportSelectionTest : public test::MainWindowTest {};
} // namespace

// "Eksport…" offers to write only the selection (samples 2..5 of 10), to a ".txt" file too; the lines
// keep the times of the whole recording.
TEST_F(ExportSelectionTest, EksportOffersTheSelection) {
    const struct {
        const char* file;
        bool onlySelection;
        int lines;
        const char* firstLine;
    } rows[] = {
        {"yes.txt", true, 4, "0000:00:00:002;1.0000;0.0000"},
        {"no.txt", false, 10, "0000:00:00:000;1.0000;0.0000"},
        {"yes.csv", true, 5, "time_s,A_V,B_V"},
    };
    ScriptedDialogs dialogs;
    makeWindow().setDialogs(&dialogs);
    form->FormCreate();
    form->openRecording(writeRecording(dir.path(), "r", {10, 4, 4, 2, {Codes(10, 150), Codes(10, 125)}}));
    for (const auto& r : rows) {
        state->selectionStart = 2;
        state->selectionEnd = 6;
        state->selectionShown = true; // as a drag leaves it
        const QString out = dir.filePath(QString::fromLatin1(r.file));
        dialogs.fileNames = {out};
        boxes.shown.clear();
        boxes.answers = {r.onlySelection};
        const ScopedLocale locale{QLocale(QLocale::English)};
        child<QAction>("Eksport1")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 5000)) << r.file;
        ASSERT_EQ(boxes.shown.size(), 1u) << r.file;
        EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("Eksportować tylko zaznaczenie (4 próbek)?"));
        const QList<QByteArray> lines = readFile(out).trimmed().split('\n');
        EXPECT_EQ(lines.size(), r.lines) << r.file;
        EXPECT_EQ(lines.value(0).trimmed(), r.firstLine) << r.file;
    }
}
