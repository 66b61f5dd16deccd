// TForm1, saved setups: the last session's board settings, visible channels, trigger and measurement
// span come back at start-up from the configuration file, and "Zapisz ustawienia…" / "Wczytaj
// ustawienia…" keep a whole setup in a small INI file of its own.
#include "app/Program.h"

#include "app/MessageBoxes.h"
#include "app/SavedSetup.h"
#include "recording/ProfileFile.h"
#include "ui_Program.h"
#include "windows/LiveTriggerControl.h"
#include "windows/MeasurementsWindow.h"
#include "windows/StandardDialogs.h"
#include "windows/TriggerTab.h"

#include <QDir>

namespace varnilog {

namespace {
QString setupFilter() {
    return TForm1::tr("Ustawienia (*.ini)");
}
} // namespace

void TForm1::connectSetupHandlers() {
    saveSetupAction_ = new QAction(this);
    saveSetupAction_->setObjectName(QStringLiteral("Zapiszustawienia1"));
    loadSetupAction_ = new QAction(this);
    loadSetupAction_->setObjectName(QStringLiteral("Wczytajustawienia1"));
    // After the page's own entries, before the separator above "Koniec".
    const QList<QAction*> entries = ui_->Plik1->actions();
    const qsizetype end = entries.indexOf(ui_->Koniec1);
    QAction* before = end > 0 && entries[end - 1]->isSeparator() ? entries[end - 1] : ui_->Koniec1;
    ui_->Plik1->insertActions(before, {saveSetupAction_, loadSetupAction_});
    connect(saveSetupAction_, &QAction::triggered, this, &TForm1::Zapiszustawienia1Click);
    connect(loadSetupAction_, &QAction::triggered, this, &TForm1::Wczytajustawienia1Click);
    retranslateSetupTexts();
}

void TForm1::retranslateSetupTexts() {
    saveSetupAction_->setText(tr("Zapisz ustawienia…"));
    loadSetupAction_->setText(tr("Wczytaj ustawienia…"));
}

SavedSetup TForm1::currentSetup() const {
    SavedSetup setup = boardSetupOf(state_);
    setup.triggerMode = triggerTab_->mode();
    setup.trigger = triggerTab_->triggerSpec();
    setup.preTriggerPercent = triggerTab_->preTriggerPercent();
    setup.measurementSpan = measurementsWindow_ ? measurementsWindow_->spanChoice() : measurementSpan_;
    return setup;
}

void TForm1::applySetup(const SavedSetup& setup) {
    applyBoardSetup(state_, setup);
    applyDeviceModel(); // the model's limits, the indicators of the time base and V/div
    const std::array<QCheckBox*, kChannels> boxes{ui_->chkA, ui_->chkB, ui_->chkC, ui_->chkD};
    for (std::size_t c = 0; c < kChannels; ++c)
        boxes[c]->setChecked(state_.channelVisible[c]);
    refreshDerivedChannels(); // C and D stay hidden without data
    refreshOffset(state_.selectedChannel % kChannels, true);
    refreshModeSlider();
    drawVoltAxis();
    const auto source = static_cast<std::size_t>(std::clamp(setup.trigger.source, 0, kChannels - 1));
    triggerTab_->showSettings(setup.triggerMode, setup.trigger, setup.preTriggerPercent,
                              state_.channelSensitivity[source]);
    measurementSpan_ = setup.measurementSpan;
    if (measurementsWindow_)
        measurementsWindow_->setSpanChoice(setup.measurementSpan);
    renderWaveform();
}

void TForm1::restoreLastSetup() {
    SavedSetup setup = currentSetup();
    if (takeSetup(ProfileFile(configurationPath_), setup))
        applySetup(setup);
}

void TForm1::keepLastSetup() {
    ProfileFile ini(configurationPath_);
    if (putSetup(ini, currentSetup()))
        ini.save(); // like the rest of the configuration: a failed write means the defaults next time
}

void TForm1::Zapiszustawienia1Click() {
    const QString path = dialogs_->saveFileName(this, setupFilter(), QStringLiteral("ini"),
                                                QDir(state_.dataDir).filePath(tr("ustawienia.ini")));
    if (path.isEmpty())
        return;
    CoreError error;
    if (!saveSetupFile(path, currentSetup(), error)) {
        boxes_.showErrorBox(coreMessage(error));
        return;
    }
    showStatusMessage(tr("Zapisano ustawienia: %1").arg(path));
}

void TForm1::Wczytajustawienia1Click() {
    // The board takes its settings with the start of a recording: none change under a running one.
    if (recordingActive())
        return;
    const QString path = dialogs_->openFileName(this, setupFilter(), state_.dataDir);
    if (path.isEmpty())
        return;
    SavedSetup setup = currentSetup();
    CoreError error;
    if (!loadSetupFile(path, setup, error)) {
        boxes_.showErrorBox(coreMessage(error));
        return;
    }
    applySetup(setup);
    showStatusMessage(tr("Wczytano ustawienia: %1").arg(path));
}

} // namespace varnilog
