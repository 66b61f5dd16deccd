#include "TriggerCapture.h"

#include "CliSupport.h"
#include "analysis/TriggerSpec.h"
#include "app/DeviceModels.h"
#include "recording/SafeFile.h"
#include "view/TriggerOverlay.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QStringList>

#include <memory>

namespace varnilog::cli {

namespace {} // namespace

bool triggerCaptureOptions(const QCommandLineParser& parser, const SharedState& state,
                           std::optional<TriggerCapture>& capture) {
    if (!parser.isSet(QStringLiteral("trigger"))) {
        for (const char* name : {"post", "timeout", "png"})
            if (parser.isSet(QString::fromLatin1(name)))
                return usage(QStringLiteral("--%1 needs --trigger").arg(QString::fromLatin1(name)));
        return true;
    }
    TriggerCapture c;
    c.post = kDisplayColumns - preTriggerColumn(kDefaultPreTriggerPercent);
    // Only A and B come from the board: the derived channels exist after the recording.
    TriggerCheck check;
    const std::optional<TriggerSpec> triggerSpec =
        parseTriggerSpec(parser.value(QStringLiteral("trigger")), check, 2);
    if (triggerSpec)
        check = checkTriggerLevel(*triggerSpec,
                                  state.channelSensitivity[static_cast<std::size_t>(triggerSpec->source)]);
    if (!check.ok())
        return usage(QStringLiteral("--trigger: ") + check.text);
    c.channel = triggerSpec->source;
    c.settings =
        triggerSettingsOf(*triggerSpec, state.channelSensitivity[static_cast<std::size_t>(c.channel)]);
    if (!intOption(parser, QStringLiteral("post"), 0, INT64_MAX / 2, c.post))
        return false;
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        c.timeoutSeconds = parser.value(QStringLiteral("timeout")).toDouble(&ok);
        if (!ok || !(c.timeoutSeconds > 0) || c.timeoutSeconds > 1e7)
            return usage(QStringLiteral("--timeout: expected a positive number of seconds"));
    }
    c.png = parser.value(QStringLiteral("png"));
    if (!c.png.isEmpty() && !outputAllowed(c.png, QString()))
        return false;
    capture = c;
    return true;
}

void TriggerWatch::feed(const std::uint8_t* codes, std::int64_t n) {
    if (event_)
        return;
    scanner_.scan(codes, n, [this](const TriggerEvent& e) {
        if (!event_)
            event_ = e.sample;
    });
}

bool writeTriggerFrame(const QString& rosPath, const TriggerCapture& capture, std::int64_t k,
                       QString& error) {
    auto state = std::make_unique<SharedState>();
    applyDeviceModelToState(*state);
    if (!openRecording(*state, rosPath, error))
        return false;
    const int column = preTriggerColumn(kDefaultPreTriggerPercent);
    state->zoomDivisor = 1;
    state->viewStart = std::max<std::int64_t>(0, k - column);
    auto view = std::make_unique<ViewBuffers>();
    sizeBitmaps(*view);
    paintBackground(view->bmpBackground, state->backgroundColor1, state->backgroundColor2, state->gradientOn);
    refreshView(*state, *view);
    drawTriggerOverlay(view->bmpScreen, capture.settings.level, static_cast<int>(k - state->viewStart),
                       state->channelColor[static_cast<std::size_t>(capture.channel)]);
    SafeFile out(capture.png);
    if (!out.open() || !view->bmpScreen.save(&out, "PNG") || !out.commit()) {
        error = QStringLiteral("%1: %2").arg(capture.png, out.errorString());
        return false;
    }
    return true;
}

} // namespace varnilog::cli
