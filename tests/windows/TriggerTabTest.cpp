// The "Wyzwalanie" tab: "Pojedynczy" on a pty board sending isolated pulses catches the first one
// while the tab stays usable during sampling; F3 / Shift+F3 walk the events of a recording.
#include "app/Program.h"
#include "recording/MarkerFile.h"
#include "support/PulseBoardWindow.h"
#include "support/RecordingSetBuilder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

using namespace varnilog;

namespace {
class TriggerTabTest : public test::PulseBoardWindowTest {};
} // namespace

TEST_F(TriggerTabTest, SingleCatchesTheFirstPulseWhileSampling) {
    ASSERT_NO_FATAL_FAILURE(connectToBoard());
    setTrigger(3, 0.5);
    button("btStart")->click();
    ASSERT_TRUE(state->samplingActive);
    EXPECT_TRUE(child<QWidget>("TabSheet1")->isEnabled()); // the view's controls act while sampling
    EXPECT_TRUE(child<QWidget>("TabSheet3")->isEnabled());
    EXPECT_FALSE(button("btTrigNext")->isEnabled());
    ASSERT_TRUE(waitForTriggerState("Zatrzymano")) << label("lbTrigStatus").toStdString();
    EXPECT_EQ(state->channelData[0][249], 125);
    EXPECT_EQ(state->channelData[0][250], 150);
    QTest::qWait(300); // the frame stays while the recording goes on
    EXPECT_EQ(state->channelData[0][250], 150);
    const QString events = label("lbTrigEvents");
    button("btStop")->click();

    const QStringList sets = QDir(dir.path()).entryList({QStringLiteral("*.rca")});
    ASSERT_EQ(sets.size(), 1);
    QFile rca(dir.filePath(sets.first()));
    ASSERT_TRUE(rca.open(QIODevice::ReadOnly));
    const QByteArray a = rca.readAll();
    std::vector<qsizetype> pulses;
    for (qsizetype i = 1; i < a.size(); ++i)
        if (static_cast<quint8>(a[i]) == 150 && static_cast<quint8>(a[i - 1]) == 125)
            pulses.push_back(i);
    ASSERT_FALSE(pulses.empty());
    // The caught event (the first pulse) is kept among the recording's markers.
    QString ros = dir.filePath(sets.first());
    ros.replace(QStringLiteral(".rca"), QStringLiteral(".ros"));
    const std::vector<Marker> marks = readMarkerFile(markerFilePath(ros)).markers;
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].kind, MarkerKind::Wyzwolenie);
    EXPECT_EQ(marks[0].start, pulses.front());
    // The stop takes in the last samples after the last tick: at most a pulse or two more.
    const int counted = events.section(' ', 1).toInt();
    EXPECT_LE(counted, static_cast<int>(pulses.size()));
    EXPECT_GE(counted, static_cast<int>(pulses.size()) - 2) << events.toStdString();
}

TEST_F(TriggerTabTest, NextAndPreviousWalkTheEventsOfARecording) {
    QByteArray a(100000, char(100));
    for (const int at : {5000, 20000, 60000})
        a[at] = char(200);
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), "[PARAMETRY]\r\nCZULOSCA=4\r\n",
                                             {a, QByteArray(100000, char(125))});
    createWindow();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->openRecording(ros);
    setTrigger(0, 2.0); // code 175
    const struct {
        Qt::KeyboardModifiers modifiers;
        std::int64_t viewStart;
    } steps[] = {{Qt::NoModifier, 4750},   {Qt::NoModifier, 19750},    {Qt::NoModifier, 59750},
                 {Qt::NoModifier, 59750},  {Qt::ShiftModifier, 19750}, {Qt::ShiftModifier, 4750},
                 {Qt::ShiftModifier, 4750}};
    for (const auto& step : steps) {
        QTest::keyClick(form, Qt::Key_F3, step.modifiers);
        EXPECT_EQ(state->viewStart, step.viewStart);
        EXPECT_EQ(state->channelData[0][250], 200);
    }
}
