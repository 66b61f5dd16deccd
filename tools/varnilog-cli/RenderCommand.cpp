// render: the 500 x 250 waveform picture of a view, drawn by the same code as the main window, or with
// --page the printable page around it (PNG, SVG or PDF by the output's extension).
#include "CliSupport.h"

#include "analysis/EventOverlay.h"
#include "analysis/TriggerSpec.h"
#include "app/Configuration.h"
#include "app/DeviceModels.h"
#include "recording/RecordingFileSet.h"
#include "view/Knobs.h"
#include "view/PageFile.h"
#include "view/PersistencePicture.h"
#include "view/PrintPage.h"
#include "view/ScaleTables.h"
#include "view/TriggerOverlay.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace varnilog::cli {

namespace {

constexpr CliOption kRenderOptions[] = {
    {"start", "N", "First sample shown (default 0)."},
    {"zoom", "Z", "Samples per column (default 1)."},
    {"all", nullptr, "Fit the whole recording, as \"Pokaż całość\"."},
    {"channels", "LETTERS", "Channels drawn, e.g. AB (default: A and B)."},
    {"config", "INI", "Configuration whose colours and background are used."},
    {"page", nullptr,
     "The whole printable page (axes, scales, name, description) as PNG, SVG or PDF by OUT's extension."},
    {"overlay-events", "CH,EDGE,V[,...]",
     "Overlay the 500 samples around every trigger event (written as for record's trigger), the event "
     "in the middle column; prints the number of events."},
};

constexpr CliCommand kRender{"render",
                             "Renders the waveform picture of a recording.",
                             2,
                             "FILE.ros OUT.png|OUT.svg|OUT.pdf",
                             "ros png svg pdf",
                             kRenderOptions};

// The printable page around the view drawn in state, as the window prints it.
int writeRenderPage(SharedState& state, const QImage& screen, const QString& out) {
    // What the window's time base and model refreshes would have set.
    state.samplingPeriodMs = samplingPeriodTable[state.timeBaseIndex];
    if (const DeviceModelInfo* model = findDeviceModel(state.deviceModel))
        state.modelName = QString::fromLatin1(model->modelName);
    PrintPageContent content = printPageContent(state, screen, QDateTime::currentDateTime());
    content.programName = QStringLiteral("Varnilog 2k " VARNILOG_VERSION);
    QString error;
    if (!writePageFile(out, content, &error))
        return fail(QStringLiteral("%1: %2").arg(out, error));
    return ExitOk;
}

struct RenderRequest {
    QString path, out;
    bool page = false; // the printable page around the view
    bool all = false;  // the whole recording in the view
    std::int64_t start = 0, zoom = 1;
    std::optional<TriggerSpec> overlay; // --overlay-events
};

// The request from the options; false when they are not valid (reported).
bool parseRenderRequest(const QCommandLineParser& parser, RenderRequest& request) {
    if (parser.isSet(QStringLiteral("zoom")) && parser.isSet(QStringLiteral("all")))
        return usage(QStringLiteral("--zoom and --all cannot be used together"));
    request.path = parser.positionalArguments().at(0);
    request.out = parser.positionalArguments().at(1);
    request.page = parser.isSet(QStringLiteral("page"));
    request.all = parser.isSet(QStringLiteral("all"));
    if (!outputAllowed(request.out, request.path))
        return false;
    if (parser.isSet(QStringLiteral("overlay-events"))) {
        TriggerCheck check;
        request.overlay = parseTriggerSpec(parser.value(QStringLiteral("overlay-events")), check);
        if (!request.overlay)
            return usage(QStringLiteral("--overlay-events: ") + check.text);
        if (parser.isSet(QStringLiteral("start")) || parser.isSet(QStringLiteral("zoom")) || request.all)
            return usage(
                QStringLiteral("--overlay-events places every window itself: no --start, --zoom or --all"));
    }
    if (request.page && pageFormatFor(request.out) == PageFormat::Unknown)
        return usage(QStringLiteral("--page: OUT must end in .png, .svg or .pdf"));
    return intOption(parser, QStringLiteral("start"), 0, INT64_MAX / 2, request.start) &&
           intOption(parser, QStringLiteral("zoom"), 1, 1 << 30, request.zoom);
}

// Opens the recording and draws its view into the view's screen as the window would show it: the
// configuration and the model first, as at start-up, then the load and the view's refresh.
int drawView(const QCommandLineParser& parser, const RenderRequest& request, SharedState& state,
             ViewBuffers& view) {
    if (!applyConfigOption(parser, state))
        return ExitFailure;
    // The configured model sets the reference voltage that places the offset markers and clamps the
    // configured scales, before the recording is opened.
    applyDeviceModelToState(state);
    if (parser.isSet(QStringLiteral("channels"))) {
        unsigned mask = 0;
        if (!channelsOption(parser, mask))
            return ExitUsage;
        for (int c = 0; c < kChannels; ++c)
            state.channelVisible[static_cast<std::size_t>(c)] = (mask & (1u << c)) != 0;
    }
    if (QString error; !openRecording(state, request.path, error))
        return fail(error);
    // As the window after loading: the selected channel's offset is brought into the model's range.
    const std::size_t c = state.selectedChannel % kChannels;
    state.channelOffset[c] = describeOffset(state.channelOffset[c], state.channelZeroOffset[c],
                                            state.referenceVoltage, state.channelSensitivity[c])
                                 .offset;
    state.zoomDivisor =
        request.all ? showAllDivisor(state.sampleCount) : static_cast<std::int32_t>(request.zoom);
    state.viewStart = request.all ? 0 : request.start;
    sizeBitmaps(view);
    paintBackground(view.bmpBackground, state.backgroundColor1, state.backgroundColor2, state.gradientOn);
    refreshView(state, view); // reads the window at viewStart (kept in range) and draws it
    return ExitOk;
}

// Replaces the view's traces with the overlay of every event's window; prints the events overlaid.
int drawEventOverlay(const RenderRequest& request, SharedState& state, ViewBuffers& view,
                     std::int64_t& events) {
    const TriggerSpec& condition = *request.overlay;
    const auto source = static_cast<std::size_t>(condition.source);
    OverlayRequest overlay;
    overlay.triggerFile = siblingPath(request.path, QString::fromLatin1(kRecordingSampleExtensions[source]));
    if (!identityOf(overlay.triggerFile).regular)
        return fail(QStringLiteral("--overlay-events: the recording has no channel %1")
                        .arg(QChar::fromLatin1(channelName[source])),
                    ExitUsage);
    if (const TriggerCheck check = checkTriggerLevel(condition, state.channelSensitivity[source]);
        !check.ok())
        return fail(QStringLiteral("--overlay-events: ") + check.text, ExitUsage);
    overlay.trigger = triggerSettingsOf(condition, state.channelSensitivity[source]);
    overlay.column = preTriggerColumn(kDefaultPreTriggerPercent);
    for (std::size_t c = 0; c < kChannels; ++c)
        if (state.channelVisible[c])
            if (const QString file =
                    siblingPath(request.path, QString::fromLatin1(kRecordingSampleExtensions[c]));
                identityOf(file).regular)
                overlay.sampleFiles[c] = file;
    auto layers = std::make_unique<std::array<Persistence, kChannels>>();
    Progress progress(QStringLiteral("overlaying"));
    const OverlayResult result = overlayEvents(overlay, *layers, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!result.ok)
        return fail(coreMessage(result.error));
    // The background, grid and markers of the view without its traces, then the layers over them.
    const auto visible = state.channelVisible;
    state.channelVisible.fill(false);
    state.viewStart = 0;
    state.zoomDivisor = 1;
    renderWaveform(state, view);
    state.channelVisible = visible;
    for (std::size_t c = 0; c < kChannels; ++c)
        drawPersistence(view.bmpScreen, (*layers)[c].counts(), (*layers)[c].peak(), state.channelColor[c]);
    drawTriggerOverlay(view.bmpScreen, overlay.trigger.level, overlay.column, state.channelColor[source]);
    events = result.events;
    return ExitOk;
}

} // namespace

int runRender(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kRender); rc >= 0)
        return rc;
    RenderRequest request;
    if (!parseRenderRequest(parser, request))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    auto view = std::make_unique<ViewBuffers>();
    if (const int rc = drawView(parser, request, *state, *view); rc != ExitOk)
        return rc;
    std::int64_t events = -1;
    if (request.overlay)
        if (const int rc = drawEventOverlay(request, *state, *view, events); rc != ExitOk)
            return rc;
    if (request.page)
        return writeRenderPage(*state, view->bmpScreen, request.out);
    if (QString error; !writeImageFile(request.out, view->bmpScreen, &error))
        return fail(QStringLiteral("%1: %2").arg(request.out, error));
    if (events >= 0)
        std::printf("%lld\n", static_cast<long long>(events));
    return ExitOk;
}

} // namespace varnilog::cli
