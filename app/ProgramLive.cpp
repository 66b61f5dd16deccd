// TForm1, the board while it runs: a settings change while sampling continues in a new recording
// (the core's seam), and "Tylko podgląd", the stream looked at without writing, whose newest samples
// "Zapisz ostatnie…" keeps as a recording.
#include "app/Program.h"

#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/RecentRecording.h"
#include "ui_Program.h"
#include "view/ScaleTables.h"
#include "windows/LiveTriggerControl.h"
#include "windows/QtPanelIcons.h"
#include "windows/StandardDialogs.h"

#include <QDir>
#include <QMenu>
#include <QStringList>
#include <QTimer>
#include <QToolButton>

namespace varnilog {

namespace {

QString modeText(std::uint8_t mode) {
    static const char* const modes[] = {"AC", "GND", "DC"};
    return QString::fromLatin1(modes[std::min<int>(mode, 2)]);
}

} // namespace

QString TForm1::settingsChangeText(const BoardSettings& before, const BoardSettings& after) {
    QStringList parts;
    if (before.timeBaseIndex != after.timeBaseIndex)
        parts << tr("podstawa %1 → %2")
                     .arg(timeBaseCaption(std::clamp<int>(before.timeBaseIndex, 1, kTimeBaseCount)),
                          timeBaseCaption(std::clamp<int>(after.timeBaseIndex, 1, kTimeBaseCount)));
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const QChar name = QLatin1Char(channelName[ch]);
        const auto volts = [](std::uint8_t s) {
            return voltLabel(std::clamp<int>(s, 1, kSensitivityCount), 6);
        };
        if (before.sensitivity[ch] != after.sensitivity[ch])
            parts << tr("%1 %2 → %3")
                         .arg(name)
                         .arg(volts(before.sensitivity[ch]), volts(after.sensitivity[ch]));
        if (before.mode[ch] != after.mode[ch])
            parts << tr("%1 %2 → %3").arg(name).arg(modeText(before.mode[ch]), modeText(after.mode[ch]));
        if (before.offset[ch] != after.offset[ch])
            parts << tr("%1 przesunięcie").arg(name);
    }
    return tr("Zmiana ustawień: %1").arg(parts.join(QStringLiteral(", ")));
}

void TForm1::connectLiveHandlers() {
    // Beside Start: the next start only looks. The file name's field gives it the room.
    lookOnlyButton_ = new QToolButton(ui_->Panel4);
    lookOnlyButton_->setObjectName(QStringLiteral("btLookOnly"));
    lookOnlyButton_->setCheckable(true);
    lookOnlyButton_->setAutoRaise(true);
    lookOnlyButton_->setGeometry(142, 4, 33, 33);
    lookOnlyButton_->setIcon(panelIcon(PanelIcon::LookOnly));
    lookOnlyButton_->setIconSize(QSize(20, 20));
    const QRect name = ui_->edFilename->geometry();
    ui_->edFilename->setGeometry(177, name.y(), name.right() + 1 - 177, name.height());
    saveRecentAction_ = new QAction(this);
    saveRecentAction_->setObjectName(QStringLiteral("Zapiszostatnie1"));
    saveRecentAction_->setEnabled(false);
    ui_->Plik1->insertAction(saveSetupAction_, saveRecentAction_);
    connect(saveRecentAction_, &QAction::triggered, this, &TForm1::Zapiszostatnie1Click);
    retranslateLiveTexts();
}

void TForm1::retranslateLiveTexts() {
    lookOnlyButton_->setToolTip(
        tr("Tylko podgląd: bez zapisu, ostatnie %1 s w pamięci").arg(kLookOnlySeconds));
    lookOnlyButton_->setAccessibleName(tr("Tylko podgląd"));
    saveRecentAction_->setText(tr("Zapisz ostatnie…"));
}

void TForm1::continueWithNewSettings() {
    const QString label = settingsChangeText(acquisition().streamSettings(), boardSettingsOf(state_));
    const SeamResult r = acquisition().continueWithNewSettings(label);
    if (r.marksError.failed())
        showStatusMessage(coreMessage(r.marksError));
    if (!r.continued) {
        if (!r.failure.empty()) {
            timer1_->stop();
            boxes_.showErrorBox(coreMessage(r.failure));
            btStopClick();
        }
        return;
    }
    // The trigger's codes belong to the old scales: it starts again with the new ones.
    liveTrigger_->start(state_);
    triggerFrameShown_ = false;
    shownFrameStart_ = acquisition().previewStart();
    if (r.baseName.isEmpty()) {
        showStatusMessage(tr("%1; podgląd od nowa").arg(label));
        return;
    }
    showFileName(r.baseName);
    emit recordingChanged();
    showStatusMessage(tr("%1; dalej: %2").arg(label, r.baseName));
}

void TForm1::Zapiszostatnie1Click() {
    RecentSamples recent = acquisition().recentSamples();
    if (recent.a.isEmpty())
        return;
    const QString path = dialogs_->saveFileName(this, tr("Nagrania (*.ros)"), QStringLiteral("ros"),
                                                QDir(state_.dataDir).filePath(recent.header.start + ".ros"));
    if (path.isEmpty())
        return;
    CoreError error;
    if (!writeRecentRecording(path, recent, error)) {
        boxes_.showErrorBox(coreMessage(error));
        return;
    }
    showStatusMessage(tr("Zapisano ostatnie %1 próbek: %2").arg(recent.a.size()).arg(path));
}

} // namespace varnilog
