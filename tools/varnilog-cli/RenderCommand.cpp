// render: the 500 x 250 waveform picture of a view, drawn by the same code as the main window, or with
// --page the printable page around it (PNG, SVG or PDF by the output's extension).
#include "CliSupport.h"

#include "app/Configuration.h"
#include "app/DeviceModels.h"
#include "view/Knobs.h"
#include "view/PageFile.h"
#include "view/PrintPage.h"
#include "view/ScaleTables.h"
#include "view/ViewBuffers.h"
#include "view/ViewWindow.h"
#include "view/WaveformRenderer.h"

#include <QFileInfo>

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
    if (request.page)
        return writeRenderPage(*state, view->bmpScreen, request.out);
    if (QString error; !writeImageFile(request.out, view->bmpScreen, &error))
        return fail(QStringLiteral("%1: %2").arg(request.out, error));
    return ExitOk;
}

} // namespace varnilog::cli
