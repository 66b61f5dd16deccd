// xy: the density of (X code, Y code) pairs of two channels over a span, as CSV and as the XY
// window's picture.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "analysis/XyDensity.h"
#include "recording/FileIdentity.h"
#include "recording/RecordingFileSet.h"
#include "recording/SafeFile.h"
#include "view/ScaleTables.h"
#include "view/XyPicture.h"

#include <cstdio>
#include <vector>

namespace varnilog::cli {

namespace {

constexpr CliOption kXyOptions[] = {
    {"x", "C", "Channel on the X axis (default A)."},
    {"y", "C", "Channel on the Y axis (default B)."},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"csv", "OUT.csv", "Write the non-zero cells here instead of printing them."},
    {"png", "OUT.png", "Also write the XY window's picture."},
    {"locale", "NAME", "Number format of the volts, e.g. pl_PL (default: the user's)."},
    {"config", "INI", "Configuration whose colours the picture uses."},
};

constexpr CliCommand kXy{"xy",
                         "Counts the samples of a span at every pair of codes of two channels: one line per "
                         "non-zero cell, x_code;y_code;x_v;y_v;count, sorted by x code then y code.",
                         1,
                         "FILE.ros",
                         "ros",
                         kXyOptions};

// The channel of --x or --y, or fallback; nullopt (reported) for another letter.
std::optional<int> axisChannel(const QCommandLineParser& parser, const char* name, int fallback) {
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return fallback;
    const std::optional<int> c = channelFromLetter(parser.value(option));
    if (!c)
        usage(QStringLiteral("--%1: expected %2").arg(option, channelLetterExpectation(false)));
    return c;
}

} // namespace

int runXy(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kXy); rc >= 0)
        return rc;
    QLocale locale;
    if (QString localeError; !localeOption(parser, locale, localeError))
        return fail(localeError, ExitUsage);
    const std::optional<int> xc = axisChannel(parser, "x", 0), yc = axisChannel(parser, "y", 1);
    if (!xc || !yc)
        return ExitUsage;
    const QString path = parser.positionalArguments().at(0);
    const QString csvPath = parser.value(QStringLiteral("csv")),
                  pngPath = parser.value(QStringLiteral("png"));
    for (const QString& out : {csvPath, pngPath})
        if (!out.isEmpty() && !outputAllowed(out, path))
            return ExitUsage;
    auto state = std::make_unique<SharedState>();
    if (!applyConfigOption(parser, *state))
        return ExitFailure;
    if (QString error; !openRecording(*state, path, error))
        return fail(error);

    XyRequest request;
    std::int64_t count = -1;
    for (const auto& [channel, file, identity] : {std::tuple{*xc, &request.xFile, &request.xIdentity},
                                                  std::tuple{*yc, &request.yFile, &request.yIdentity}}) {
        *file = siblingPath(
            path, QString::fromLatin1(kRecordingSampleExtensions[static_cast<std::size_t>(channel)]));
        *identity = identityOf(*file);
        if (!identity->regular)
            return fail(QStringLiteral("%1: the recording has no channel %2")
                            .arg(channel == *xc ? QStringLiteral("--x") : QStringLiteral("--y"))
                            .arg(channelLetter(channel)),
                        ExitUsage);
        count = count < 0 ? identity->size : std::min(count, identity->size);
    }
    SampleSpan span;
    if (!spanOptions(parser, path, count, span))
        return ExitUsage;
    request.from = span.from;
    request.to = span.to;

    Progress progress(QStringLiteral("counting"));
    const XyResult result = xyDensity(request, [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    });
    progress.finish();
    if (!result.ok)
        return fail(result.error);

    const std::uint8_t xSens = state->channelSensitivity[static_cast<std::size_t>(*xc)];
    const std::uint8_t ySens = state->channelSensitivity[static_cast<std::size_t>(*yc)];
    const QByteArray table = xyDensityCsv(result.density, xSens, ySens, locale);
    std::vector<SafeFileContent> files;
    if (!csvPath.isEmpty())
        files.push_back({csvPath, [&](QIODevice& device) { return device.write(table) == table.size(); }});
    QImage picture;
    if (!pngPath.isEmpty()) {
        std::vector<float> cells(result.density.counts.begin(), result.density.counts.end());
        XyPictureContent content;
        content.cells = cells;
        content.peak = static_cast<double>(result.density.peak());
        content.colour = state->channelColor[static_cast<std::size_t>(*yc)];
        content.background = state->backgroundColor1;
        content.xSensitivity = xSens;
        content.ySensitivity = ySens;
        content.xName = channelName[static_cast<std::size_t>(*xc)];
        content.yName = channelName[static_cast<std::size_t>(*yc)];
        picture = xyPicture(content);
        files.push_back({pngPath, [&](QIODevice& device) { return picture.save(&device, "PNG"); }});
    }
    // The table and the picture as one: a failure of either leaves neither.
    if (QString error; !files.empty() && !writeFilesSafely(files, error))
        return fail(error);
    if (csvPath.isEmpty())
        std::fwrite(table.constData(), 1, static_cast<std::size_t>(table.size()), stdout);
    return ExitOk;
}

} // namespace varnilog::cli
