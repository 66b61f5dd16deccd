// The main window over a simulated board sending isolated 1 V pulses on channel A (B stays at zero),
// recording into the test's folder: at 1 V/div the pulses step from code 125 to 150.
#pragma once

#include "device/PtyBoard.h"
#include "recording/ProfileFile.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QTest>

namespace varnilog::test {

class PulseBoardWindowTest : public MainWindowTest {
protected:
    void TearDown() override { destroyWindows(); } // before the board they read from
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    void setTrigger(int mode, double volts) const {
        child<QComboBox>("cbTrigMode")->setCurrentIndex(mode);
        child<QDoubleSpinBox>("sbTrigLevel")->setValue(volts);
    }
    // The window, started up on the running board at 1 V/div.
    void connectToBoard() {
        ProfileFile(ini).writeString(QStringLiteral("CONFIG"), QStringLiteral("DATADIR"), dir.path());
        ASSERT_TRUE(board.start());
        createWindow();
        state->comPortName = board.slavePath();
        state->channelSensitivity = {4, 4, 4, 4};
    }
    // Waits up to 8 s for the trigger's state to read text; true when it does.
    bool waitForTriggerState(const char* text) const {
        const QString wanted = QString::fromUtf8(text);
        for (int waited = 0; waited < 8000 && label("lbTrigStatus") != wanted; waited += 50)
            QTest::qWait(50);
        return label("lbTrigStatus") == wanted;
    }

    PtyBoard board{BoardOptions{
        .channels = {ChannelSignal{Waveform::Pulse, 0, 1.0}, ChannelSignal{Waveform::Dc, 0, 0}}}};
};

} // namespace varnilog::test
