// record --trigger: the trigger given in its text form (analysis/TriggerSpec), the watch over the samples of
// each tick, and the picture of the triggered frame.
#pragma once

#include "CliSupport.h"
#include "analysis/TriggerScanner.h"
#include "app/SharedState.h"

#include <QCommandLineParser>
#include <QString>

#include <cstdint>
#include <optional>

namespace varnilog::cli {

struct TriggerCapture {
    int channel = 0;           // 0 (A) or 1 (B)
    TriggerSettings settings;  // in the channel's codes
    std::int64_t post = 0;     // samples recorded after the event's k
    double timeoutSeconds = 0; // 0: wait until interrupted
    QString png;               // empty: no picture
};

// The rows --trigger brings to record's option table.
inline constexpr CliOption kTriggerOption{
    "trigger", "CH,EDGE,V",
    "Stop after an event: CHANNEL,rising|falling,VOLTS[,hyst=DIV][,width<N|width>N][,holdoff=N]."};
inline constexpr CliOption kPostOption{"post", "N", "Samples recorded after the event (default 250)."};
inline constexpr CliOption kTimeoutOption{"timeout", "S", "Give up when no event came within S seconds."};
inline constexpr CliOption kFramePngOption{"png", "FRAME.png", "Write the triggered frame as a picture."};

// The capture asked for with --trigger, read against the state's sensitivities; nullopt without
// --trigger. False (with a reported usage error) when an option is not valid.
bool triggerCaptureOptions(const QCommandLineParser& parser, const SharedState& state,
                           std::optional<TriggerCapture>& capture);

// Follows the recording tick by tick until the first event and its post-trigger samples.
class TriggerWatch {
public:
    explicit TriggerWatch(const TriggerCapture& capture) : capture_(capture), scanner_(capture.settings, 0) {}
    // The samples the last tick appended to the trigger's channel.
    void feed(const std::uint8_t* codes, std::int64_t n);
    std::optional<std::int64_t> event() const { return event_; }
    // The event came and recorded now covers its post-trigger samples.
    bool complete(std::int64_t recorded) const { return event_ && recorded >= *event_ + 1 + capture_.post; }

private:
    TriggerCapture capture_;
    TriggerScanner scanner_;
    std::optional<std::int64_t> event_;
};

// Writes the 500-column frame around sample k of the recording as the window draws it, trigger marks
// included; false with the reason in error.
bool writeTriggerFrame(const QString& rosPath, const TriggerCapture& capture, std::int64_t k, QString& error);

} // namespace varnilog::cli
