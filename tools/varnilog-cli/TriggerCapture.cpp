#include "TriggerCapture.h"

#include "CliSupport.h"
#include "app/DeviceModels.h"
#include "recording/SafeFile.h"
#include "view/TriggerMarks.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QStringList>

#include <memory>

namespace varnilog::cli {

namespace {

bool usage(const QString& text) {
    fail(text, ExitUsage);
    return false;
}

// One "key=value" or "width<N" / "width>N" part of the trigger.
bool applyPart(const QString& part, TriggerSettings& s, double& hysteresis) {
    bool ok = false;
    if (part.startsWith(QLatin1String("hyst="))) {
        hysteresis = part.mid(5).toDouble(&ok);
        return ok && hysteresis >= 0 && hysteresis <= 1;
    }
    if (part.startsWith(QLatin1String("holdoff="))) {
        s.holdoff = part.mid(8).toLongLong(&ok);
        return ok && s.holdoff >= 0;
    }
    if (part.startsWith(QLatin1String("width<")) || part.startsWith(QLatin1String("width>"))) {
        s.width = part[5] == QLatin1Char('<') ? WidthCondition::Below : WidthCondition::Above;
        s.widthLimit = part.mid(6).toDouble(&ok);
        return ok && s.widthLimit >= 0;
    }
    return false;
}

} // namespace

void addTriggerOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("trigger"),
                      QStringLiteral("Stop after an event: CHANNEL,rising|falling,VOLTS[,hyst=DIV][,width<N|"
                                     "width>N][,holdoff=N]."),
                      QStringLiteral("CH,EDGE,V")});
    parser.addOption({QStringLiteral("post"),
                      QStringLiteral("Samples recorded after the event (default 250)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("timeout"),
                      QStringLiteral("Give up when no event came within S seconds."), QStringLiteral("S")});
    parser.addOption({QStringLiteral("png"), QStringLiteral("Write the triggered frame as a picture."),
                      QStringLiteral("FRAME.png")});
}

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
    const QStringList parts = parser.value(QStringLiteral("trigger")).split(QLatin1Char(','));
    const QString channel = parts.value(0).toUpper();
    const QString edge = parts.value(1);
    bool ok = false;
    const double volts = parts.value(2).toDouble(&ok);
    if (parts.size() < 3 || (channel != QLatin1String("A") && channel != QLatin1String("B")) ||
        (edge != QLatin1String("rising") && edge != QLatin1String("falling")) || !ok)
        return usage(
            QStringLiteral("--trigger: expected A|B,rising|falling,VOLTS[,hyst=DIV][,width<N|width>N]"));
    c.channel = channel == QLatin1String("A") ? 0 : 1;
    c.settings.edge = edge == QLatin1String("rising") ? TriggerEdge::Rising : TriggerEdge::Falling;
    double hysteresis = 0.1;
    for (qsizetype i = 3; i < parts.size(); ++i)
        if (!applyPart(parts[i], c.settings, hysteresis))
            return usage(
                QStringLiteral("--trigger: '%1' is not hyst=DIV (0..1), width<N, width>N or holdoff=N")
                    .arg(parts[i]));
    const std::uint8_t sensitivity = state.channelSensitivity[static_cast<std::size_t>(c.channel)];
    if (!triggerLevelInRange(volts, sensitivity))
        return usage(QStringLiteral("--trigger: %1 V is outside channel %2's range").arg(volts).arg(channel));
    c.settings.level = triggerLevelCode(volts, sensitivity);
    c.settings.hysteresis = triggerHysteresisCodes(hysteresis);
    if (!intOption(parser, QStringLiteral("post"), 0, INT64_MAX / 2, c.post))
        return false;
    if (parser.isSet(QStringLiteral("timeout"))) {
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
    sizeBitmaps(*state);
    applyDeviceModelToState(*state);
    if (!openRecording(*state, rosPath, error))
        return false;
    const int column = preTriggerColumn(kDefaultPreTriggerPercent);
    state->zoomDivisor = 1;
    state->viewStart = std::max<std::int64_t>(0, k - column);
    paintBackground(state->bmpBackground, state->backgroundColor1, state->backgroundColor2,
                    state->gradientOn);
    auto view = std::make_unique<ViewBuffers>();
    refreshView(*state, *view);
    drawTriggerMarks(state->bmpScreen, capture.settings.level, static_cast<int>(k - state->viewStart),
                     state->channelColor[static_cast<std::size_t>(capture.channel)]);
    SafeFile out(capture.png);
    if (!out.open() || !state->bmpScreen.save(&out, "PNG") || !out.commit()) {
        error = QStringLiteral("%1: %2").arg(capture.png, out.errorString());
        return false;
    }
    return true;
}

} // namespace varnilog::cli
