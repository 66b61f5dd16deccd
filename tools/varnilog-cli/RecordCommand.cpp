// record: a new recording from a board, through the same acquisition code as the main window
// (identification, settings command, 50 ms ticks, stop). Ctrl+C stops it cleanly and keeps it.
#include "CliSupport.h"
#include "TriggerCapture.h"

#include "app/Configuration.h"
#include "app/DeviceModels.h"
#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "recording/FileIdentity.h"
#include "view/ScaleTables.h"
#include "view/StatusBarText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace varnilog::cli {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

// "A,B" -> two values in [lo, hi].
bool pairOption(const QCommandLineParser& parser, const QString& name, int lo, int hi, std::uint8_t& a,
                std::uint8_t& b) {
    if (!parser.isSet(name))
        return true;
    const QStringList parts = parser.value(name).split(QLatin1Char(','));
    bool okA = false, okB = false;
    const int va = parts.value(0).toInt(&okA), vb = parts.value(1).toInt(&okB);
    if (parts.size() != 2 || !okA || !okB || va < lo || va > hi || vb < lo || vb > hi) {
        fail(QStringLiteral("--%1: expected two numbers from %2 to %3, as A,B").arg(name).arg(lo).arg(hi),
             ExitUsage);
        return false;
    }
    a = static_cast<std::uint8_t>(va);
    b = static_cast<std::uint8_t>(vb);
    return true;
}

} // namespace

namespace {

// The board's model may not have the requested time base or sensitivity: say what is recorded
// instead, as the window shows it on the knob.
void sayWhatTheModelChanged(const SharedState& state, int timeBase,
                            const std::array<std::uint8_t, kChannels>& sensitivity) {
    const QLocale c = QLocale::c();
    if (state.timeBaseIndex != timeBase)
        std::fprintf(
            stderr, "%s: %s is not available, recording at %s\n", qPrintable(state.modelName),
            qPrintable(samplingPeriodText(samplingPeriodTable[static_cast<std::size_t>(timeBase)], c)),
            qPrintable(samplingPeriodText(samplingPeriodTable[state.timeBaseIndex], c)));
    for (std::size_t ch = 0; ch < 2; ++ch)
        if (state.channelSensitivity[ch] != sensitivity[ch])
            std::fprintf(stderr, "%s: %s/div is not available on %c, recording at %s/div\n",
                         qPrintable(state.modelName), qPrintable(voltLabel(sensitivity[ch], 6)),
                         channelName[ch], qPrintable(voltLabel(state.channelSensitivity[ch], 6)));
}

struct RecordRequest {
    double seconds = 0; // 0 with a trigger: its event (or --timeout) ends the recording
    std::int64_t timeBase = 15;
    std::optional<TriggerCapture> capture;
};

constexpr CliOption kRecordOptions[] = {
    {"port", "PORT", "Serial port of the board (ttyUSB0, /dev/pts/3)."},
    {"seconds", "S", "How long to record."},
    {"dir", "DIR", "Folder of the new recording (default: current)."},
    {"timebase", "I", "Time-base index 1..22 (default 15, 20 us)."},
    {"sens", "A,B", "Sensitivity indices of A and B, 1..10 (default 1,1)."},
    {"mode", "A,B", "Coupling of A and B: 0 AC, 1 GND, 2 DC (default 0,0)."},
    {"model", "N", "Model assumed before the board answers, 1..4."},
    kTriggerOption,
    kPostOption,
    kTimeoutOption,
    kFramePngOption,
};

constexpr CliCommand kRecord{
    "record", "Records from a board and prints the new .ros path.", 0, "(no arguments)", "", kRecordOptions};

// The request and the state's settings from the options; false when they are not valid (reported).
bool parseRecordRequest(const QCommandLineParser& parser, RecordRequest& request, SharedState& state) {
    const bool triggered = parser.isSet(QStringLiteral("trigger"));
    const bool timed = parser.isSet(QStringLiteral("seconds"));
    if (!parser.isSet(QStringLiteral("port")))
        return usage(QStringLiteral("record: --port is required"));
    if (triggered && timed)
        return fail(QStringLiteral("record: --seconds and --trigger exclude each other (the trigger's event "
                                   "ends the recording)"),
                    ExitUsage) == ExitOk;
    if (!triggered && !timed)
        return usage(QStringLiteral("record: --seconds or --trigger is required"));
    bool ok = triggered;
    request.seconds = triggered ? 0 : parser.value(QStringLiteral("seconds")).toDouble(&ok);
    if (!triggered && (!ok || !(request.seconds > 0) || request.seconds > 1e7))
        return usage(QStringLiteral("--seconds: expected a positive number"));
    std::int64_t model = 1;
    if (!intOption(parser, QStringLiteral("timebase"), 1, 22, request.timeBase) ||
        !intOption(parser, QStringLiteral("model"), 1, 4, model) ||
        !pairOption(parser, QStringLiteral("sens"), 1, 10, state.channelSensitivity[0],
                    state.channelSensitivity[1]) ||
        !pairOption(parser, QStringLiteral("mode"), 0, 2, state.channelMode[0], state.channelMode[1]) ||
        !triggerCaptureOptions(parser, state, request.capture))
        return false;
    state.comPortName = parser.value(QStringLiteral("port"));
    state.deviceModel = static_cast<std::uint8_t>(model);
    state.timeBaseIndex = static_cast<std::uint8_t>(request.timeBase);
    return true;
}

// Why the recording did not start, as the exit code of the reported failure.
int startFailure(const StartResult& started, const SharedState& state, const QString& lastStatus) {
    if (started.status == StartStatus::PortNotOpened)
        return fail(coreMessage(started.failure));
    if (started.status == StartStatus::FilesNotCreated)
        return fail(QStringLiteral("%1: the recording cannot be created in this folder (%2)")
                        .arg(QDir::toNativeSeparators(state.dataDir), started.filesError));
    return fail(lastStatus.isEmpty() ? QStringLiteral("the recording did not start") : lastStatus);
}

// The ticks until the time is up, the trigger's capture is complete or the user interrupts; the
// reason when a tick ended the sampling.
QString recordTicks(Acquisition& acquisition, const RecordRequest& request,
                    std::optional<TriggerWatch>& watch) {
    const std::optional<TriggerCapture>& capture = request.capture;
    // Without a timeout a trigger waits until it fires or the user interrupts.
    const double limit =
        capture ? (capture->timeoutSeconds > 0 ? capture->timeoutSeconds : 1e9) : request.seconds;
    const qint64 totalMs = static_cast<qint64>(limit * 1000.0);
    QElapsedTimer elapsed;
    elapsed.start();
    Progress progress(QStringLiteral("recording"));
    qint64 nextTick = Acquisition::kTickIntervalMs;
    while (!interrupted.load() && (elapsed.elapsed() < totalMs || (watch && watch->event()))) {
        const qint64 wait = nextTick - elapsed.elapsed();
        if (wait > 0)
            QThread::msleep(static_cast<unsigned long>(wait));
        nextTick += Acquisition::kTickIntervalMs;
        const TickResult t = acquisition.tick(false);
        if (t.endsSampling())
            return coreMessage(t.failure);
        if (watch) {
            watch->feed(acquisition.tickSamples(capture->channel), t.samples);
            if (watch->complete(acquisition.samplesRecorded()))
                break;
        }
        if (!capture || capture->timeoutSeconds > 0)
            progress.update(elapsed.elapsed(), totalMs);
    }
    return {};
}

// What the stopped recording gives: its path, and with a trigger the event and its picture.
int reportRecording(const StopResult& stopped, const QString& failure, const RecordRequest& request,
                    const std::optional<TriggerWatch>& watch) {
    if (!stopped.rosPath.isEmpty())
        std::printf("%s\n", printed(QDir::toNativeSeparators(stopped.rosPath)).constData());
    if (!failure.isEmpty())
        return fail(failure.simplified());
    if (stopped.rosPath.isEmpty())
        return fail(QStringLiteral("the board sent no samples; nothing was kept"));
    if (!watch)
        return ExitOk;
    if (!watch->event())
        return fail(interrupted.load()
                        ? QStringLiteral("interrupted before an event came")
                        : QStringLiteral("no event within %1 s").arg(request.capture->timeoutSeconds));
    std::printf("%lld\n", static_cast<long long>(*watch->event()));
    std::fflush(stdout);
    if (QString error; !request.capture->png.isEmpty() &&
                       !writeTriggerFrame(stopped.rosPath, *request.capture, *watch->event(), error))
        return fail(error);
    return ExitOk;
}

} // namespace

int runRecord(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kRecord); rc >= 0)
        return rc;
    auto state = std::make_unique<SharedState>();
    RecordRequest request;
    if (!parseRecordRequest(parser, request, *state))
        return ExitUsage;
    const QString dir =
        parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir")) : workingFolder();
    if (!folderNamed(dir))
        return fail(QStringLiteral("%1: no such folder").arg(dir));
    state->dataDir = absoluteFileName(dir);
    const auto requestedSensitivity = state->channelSensitivity;
    applyDeviceModelToState(*state);

    PosixSerialLink link;
    SystemClock clock;
    QString lastStatus;
    Acquisition acquisition(*state, link, clock,
                            [&](const AcquisitionNotice& notice) { lastStatus = coreMessage(notice); });
    // Ctrl+C from here on ends the recording cleanly, also while the board is being identified.
    interrupted.store(false);
    auto previous = std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const auto restoreSignals = [&] {
        std::signal(SIGINT, previous);
        std::signal(SIGTERM, SIG_DFL);
    };
    const StartResult started = acquisition.start();
    if (started.status != StartStatus::Sampling) {
        if (acquisition.active())
            acquisition.stop();
        restoreSignals();
        return startFailure(started, *state, lastStatus);
    }
    sayWhatTheModelChanged(*state, static_cast<int>(request.timeBase), requestedSensitivity);
    std::optional<TriggerWatch> watch;
    if (request.capture)
        watch.emplace(*request.capture);
    QString failure = recordTicks(acquisition, request, watch);
    const StopResult stopped = acquisition.stop();
    // The last samples, taken at the stop, could not be written: the recording is not whole.
    if (failure.isEmpty())
        failure = coreMessage(stopped.failure);
    restoreSignals();
    return reportRecording(stopped, failure, request, watch);
}

} // namespace varnilog::cli
