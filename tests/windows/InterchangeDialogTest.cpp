#include "windows/InterchangeDialogs.h"

#include "ScriptedDialogs.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestFiles.h"

#include <QProgressBar>
#include <QTemporaryDir>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

// Eksport… of a span as WAV through the save dialog with the four types, then Import… of that file
// into the data folder gives the span's codes; a damaged file gives one error box and no set.
TEST(InterchangeDialogTest, ExportSpanImportBackAndRefuse) {
    QTemporaryDir dir;
    auto state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    QProgressBar bar;
    writeFile(dir.filePath("r.rca"), QByteArray("\x96\x64\x7d\x01", 4));
    writeFile(dir.filePath("r.rcb"), QByteArray("\x7d\x7e\x7d\x02", 4));
    for (int c = 0; c < 2; ++c) {
        state->sampleFile[c].setFileName(dir.filePath(c == 0 ? "r.rca" : "r.rcb"));
        state->sampleFile[c].open(QIODevice::ReadOnly);
    }
    state->sampleCount = 4;
    state->channelSensitivity = {4, 10, 1, 1};
    state->samplingPeriodMs = 1.0f;
    state->recordingPath = dir.filePath("r.ros");
    state->dataDir = dir.filePath("data");
    QDir().mkpath(state->dataDir);

    dialogs.fileNames = {dir.filePath("span.wav")};
    const InterchangeDialogOptions options{&bar, nullptr, 1, 3, {}};
    ASSERT_TRUE(exportInterchangeWithDialog(nullptr, *state, boxes, dialogs, options));
    EXPECT_EQ(
        dialogs.saveFilters.at(0),
        QString::fromUtf8("Plik WAV (*.wav);;Sesja sigrok (*.sr);;Plik CSV (*.csv);;Pliki tekstowe (*.txt)"));
    EXPECT_TRUE(readFile(dir.filePath("span.wav")).endsWith(QByteArray("\x64\x7e\x7d\x7d", 4)));

    writeFile(dir.filePath("bad.csv"), "0,1\n0.001,nan\n");
    dialogs.openNames = {dir.filePath("span.wav"), dir.filePath("bad.csv")};
    const QString ros = importWithDialog(nullptr, *state, boxes, dialogs, {&bar, nullptr, 0, -1, {}});
    EXPECT_EQ(ros, QDir(state->dataDir).filePath("span.ros"));
    EXPECT_EQ(readFile(QDir(state->dataDir).filePath("span.rca")), QByteArray("\x64\x7d", 2));
    EXPECT_EQ(readFile(QDir(state->dataDir).filePath("span.rcb")), QByteArray("\x7e\x7d", 2));
    EXPECT_TRUE(boxes.errors().empty());
    EXPECT_TRUE(importWithDialog(nullptr, *state, boxes, dialogs, {&bar, nullptr, 0, -1, {}}).isEmpty());
    ASSERT_EQ(boxes.errors().size(), 1u);
    EXPECT_TRUE(boxes.errors()[0].contains(QString::fromUtf8("Import nie powiódł się: ")));
    EXPECT_EQ(QDir(state->dataDir).entryList({"bad.*"}, QDir::Files | QDir::Hidden), QStringList());
}
