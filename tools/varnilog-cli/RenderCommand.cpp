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

void addRenderOptions(QCommandLineParser& parser) {
    parser.addOption(
        {QStringLiteral("start"), QStringLiteral("First sample shown (default 0)."), QStringLiteral("N")});
    parser.addOption(
        {QStringLiteral("zoom"), QStringLiteral("Samples per column (default 1)."), QStringLiteral("Z")});
    parser.addOption(
        {QStringLiteral("all"), QStringLiteral("Fit the whole recording, as \"Pokaż całość\".")});
    parser.addOption({QStringLiteral("channels"),
                      QStringLiteral("Channels drawn, e.g. AB (default: A and B)."),
                      QStringLiteral("LETTERS")});
    parser.addOption({QStringLiteral("config"),
                      QStringLiteral("Configuration whose colours and background are used."),
                      QStringLiteral("INI")});
    parser.addOption({QStringLiteral("page"),
                      QStringLiteral("The whole printable page (axes, scales, name, description) as PNG, SVG "
                                     "or PDF by OUT's extension.")});
}

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

} // namespace

int runRender(const QStringList& args) {
    QCommandLineParser parser;
    addRenderOptions(parser);
    if (const int rc =
            parseCommand(parser, args, QStringLiteral("Renders the waveform picture of a recording."), 2,
                         QStringLiteral("FILE.ros OUT.png|OUT.svg|OUT.pdf"));
        rc >= 0)
        return rc;
    if (parser.isSet(QStringLiteral("zoom")) && parser.isSet(QStringLiteral("all")))
        return fail(QStringLiteral("--zoom and --all cannot be used together"), ExitUsage);
    const bool page = parser.isSet(QStringLiteral("page"));
    const QString out = parser.positionalArguments().at(1);
    if (!outputAllowed(out, parser.positionalArguments().at(0)))
        return ExitUsage;
    if (page && pageFormatFor(out) == PageFormat::Unknown)
        return fail(QStringLiteral("--page: OUT must end in .png, .svg or .pdf"), ExitUsage);
    std::int64_t start = 0, zoom = 1;
    if (!intOption(parser, QStringLiteral("start"), 0, INT64_MAX / 2, start) ||
        !intOption(parser, QStringLiteral("zoom"), 1, 1 << 30, zoom))
        return ExitUsage;

    auto state = std::make_unique<SharedState>();
    if (!applyConfigOption(parser, *state))
        return ExitFailure;
    // As the main window at start-up: the configured model sets the reference voltage that places
    // the offset markers and clamps the configured scales, before the recording is opened.
    applyDeviceModelToState(*state);
    if (parser.isSet(QStringLiteral("channels"))) {
        unsigned mask = 0;
        if (!channelsOption(parser, mask))
            return ExitUsage;
        for (int c = 0; c < kChannels; ++c)
            state->channelVisible[static_cast<std::size_t>(c)] = (mask & (1u << c)) != 0;
    }
    QString error;
    if (!openRecording(*state, parser.positionalArguments().at(0), error))
        return fail(error);
    {
        // As the window after loading: the selected channel's offset is brought into the model's range.
        const std::size_t c = state->selectedChannel % kChannels;
        state->channelOffset[c] = describeOffset(state->channelOffset[c], state->channelZeroOffset[c],
                                                 state->referenceVoltage, state->channelSensitivity[c])
                                      .offset;
    }
    state->zoomDivisor = parser.isSet(QStringLiteral("all")) ? showAllDivisor(state->sampleCount)
                                                             : static_cast<std::int32_t>(zoom);
    state->viewStart = parser.isSet(QStringLiteral("all")) ? 0 : start;
    auto view = std::make_unique<ViewBuffers>();
    sizeBitmaps(*view);
    paintBackground(view->bmpBackground, state->backgroundColor1, state->backgroundColor2, state->gradientOn);
    refreshView(*state, *view); // reads the window at viewStart (kept in range) and draws it
    if (page)
        return writeRenderPage(*state, view->bmpScreen, out);
    if (!writeImageFile(out, view->bmpScreen, &error))
        return fail(QStringLiteral("%1: %2").arg(out, error));
    return ExitOk;
}

} // namespace varnilog::cli
