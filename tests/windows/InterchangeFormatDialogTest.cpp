#include "windows/InterchangeDialogs.h"

#include "recording/InterchangeFormats.h"

#include "ScriptedDialogs.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <memory>

using namespace varnilog;
using namespace varnilog::test;

// Every format of the table through the window: its filter is offered, a name with its extension (in
// capitals) is written in it, and Import… makes a set of the span from each format it reads.
TEST(InterchangeFormatDialogTest, EveryTableFormatExportsAndImportsBack) {
    QTemporaryDir dir;
    auto state = std::make_unique<SharedState>();
    RecordingMessageBoxes boxes;
    ScriptedDialogs dialogs;
    writeFile(dir.filePath("r.rca"), QByteArray("\x96\x64\x7d\x01", 4));
    state->sampleFile[0].setFileName(dir.filePath("r.rca"));
    state->sampleFile[0].open(QIODevice::ReadOnly);
    state->sampleCount = 4;
    state->channelCount = 1;
    state->channelSensitivity = {4, 1, 1, 1};
    state->samplingPeriodMs = 1.0f;
    state->recordingPath = dir.filePath("r.ros");
    state->dataDir = dir.filePath("data");
    QDir().mkpath(state->dataDir);
    for (const InterchangeFormat& format : interchangeFormats()) {
        const QString name = QLatin1String(format.name);
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(QStringLiteral("span_%1.%2").arg(name, name.toUpper()));
        dialogs.fileNames = {path};
        ASSERT_TRUE(
            exportInterchangeWithDialog(nullptr, *state, boxes, dialogs, {nullptr, nullptr, 1, 3, {}}));
        EXPECT_TRUE(dialogs.saveFilters.back()
                        .split(QStringLiteral(";;"))
                        .contains(QString::fromUtf8(format.filter)));
        EXPECT_FALSE(readFile(path).isEmpty());
        dialogs.openNames = {path};
        const QString ros = importWithDialog(nullptr, *state, boxes, dialogs, {});
        EXPECT_EQ(!ros.isEmpty(), format.reader != nullptr);
        if (!ros.isEmpty()) {
            EXPECT_EQ(readFile(QDir(state->dataDir).filePath(QStringLiteral("span_%1.rca").arg(name))).size(),
                      2);
        }
    }
    EXPECT_TRUE(boxes.errors().empty());
}
