// spectrogram: the block spectra of one channel over a span as a picture, optionally every level as CSV.
#include "CliSupport.h"

#include "analysis/ChannelLetters.h"
#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "spectrum/Fft.h"
#include "spectrum/Spectrogram.h"
#include "spectrum/SpectrogramCsv.h"
#include "spectrum/SpectrogramImage.h"

#include <QCommandLineParser>

#include <cmath>
#include <memory>

namespace varnilog::cli {

namespace {

constexpr CliOption kSpectrogramOptions[] = {
    {"channel", "A", "The channel (default A)."},
    {"block", "N", "Samples per block: a power of two from 1024 to 131072 (default 4096)."},
    {"hop", "H", "Samples from one block to the next, 1 to N (default N)."},
    kFromOption,
    kToOption,
    kFromMarkerOption,
    kToMarkerOption,
    {"range", "DB", "Levels shown below the largest, in dB (default 100)."},
    {"csv", "OUT.csv", "Also write every block's levels: block_start;frequency_hz;db."},
};

constexpr CliCommand kSpectrogram{
    "spectrogram",
    "Draws the spectra of consecutive blocks of one channel: time left to right, frequency "
    "upwards, the level against the largest magnitude as a colour.",
    2,
    "FILE.ros OUT.png",
    "ros png",
    kSpectrogramOptions};

// The options as a request; false (reported) for a value outside its range.
bool requestFromOptions(const QCommandLineParser& parser, const SampleSpan& span, SpectrogramRequest& request,
                        double& range) {
    std::int64_t block = spectrogramDefaultBlock;
    if (parser.isSet(QStringLiteral("block")) &&
        !intOption(parser, QStringLiteral("block"), fftMinSize, fftMaxSize, block))
        return false;
    if (!isFftSize(block))
        return usage(
            QStringLiteral("--block: expected a power of two from 1024 to 131072, not %1").arg(block));
    std::int64_t hop = block;
    if (parser.isSet(QStringLiteral("hop")) && !intOption(parser, QStringLiteral("hop"), 1, block, hop))
        return false;
    range = spectrogramDefaultRange;
    if (parser.isSet(QStringLiteral("range"))) {
        bool ok = false;
        range = parser.value(QStringLiteral("range")).toDouble(&ok);
        if (!ok || !(range > 0.0) || range > 1000.0)
            return usage(QStringLiteral("--range: expected dB above 0 and at most 1000, not '%1'")
                             .arg(parser.value(QStringLiteral("range"))));
    }
    request = {span.from, span.to, static_cast<std::int32_t>(block), hop};
    if (checkSpectrogram(request) == SpectrogramError::ShortSpan)
        return usage(QStringLiteral("the span holds %1 samples, fewer than one block of %2")
                         .arg(span.length())
                         .arg(block));
    return true;
}

} // namespace

int runSpectrogram(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kSpectrogram); rc >= 0)
        return rc;
    const QString ros = parser.positionalArguments().at(0);
    const QString png = parser.positionalArguments().at(1);
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (!outputAllowed(png, ros) || (csv && !outputAllowed(parser.value(QStringLiteral("csv")), ros)))
        return ExitUsage;
    const std::optional<int> channel =
        channelFromLetter(parser.isSet(QStringLiteral("channel")) ? parser.value(QStringLiteral("channel"))
                                                                  : QStringLiteral("A"));
    if (!channel)
        return fail(QStringLiteral("--channel: expected %1").arg(channelLetterExpectation(false)), ExitUsage);
    auto state = std::make_unique<SharedState>();
    QString error;
    if (!openRecording(*state, ros, error))
        return fail(error);
    if (*channel >= state->channelCount)
        return fail(QStringLiteral("--channel: the recording has %1 channels").arg(state->channelCount),
                    ExitUsage);
    SampleSpan span;
    if (!spanOptions(parser, ros, state->sampleCount, span))
        return ExitUsage;
    SpectrogramRequest request;
    double range = 0.0;
    if (!requestFromOptions(parser, span, request, range))
        return ExitUsage;

    RecordingInput input(*state);
    QIODevice* samples = input.files()[*channel];
    if (samples == nullptr)
        return fail(QStringLiteral("%1: channel %2 has no sample file").arg(ros, channelLetter(*channel)));
    const std::int64_t columns = spectrogramColumns(request);
    SpectrogramReducer reducer(columns, spectrogramBins(request.block), spectrogramPlotWidth,
                               spectrogramPlotHeight);
    Progress progress(QStringLiteral("spectrogram"));
    const auto report = [&](std::int64_t done, std::int64_t total) {
        progress.update(done, total);
        return true;
    };
    if (!computeSpectrogram(
            *samples, request,
            [&](std::int64_t c, const float* m) {
                reducer.add(c, m);
                return true;
            },
            report))
        return fail(QStringLiteral("%1: the samples cannot be read").arg(ros));
    progress.finish();

    const double period = input.samplingPeriodMs();
    SpectrogramAxes axes;
    axes.firstSeconds = request.from * period / 1000.0;
    axes.endSeconds = request.to * period / 1000.0;
    axes.topHz = spectrogramBinHz(request.block / 2, request.block, period);
    axes.range = range;
    const QImage image = drawSpectrogram(reducer.picture(), axes);
    std::vector<SafeFileContent> files{{png, [&](QIODevice& device) { return image.save(&device, "PNG"); }}};
    if (csv)
        // The levels need the largest magnitude, known after the first pass: the table is a second one.
        files.push_back({parser.value(QStringLiteral("csv")), [&](QIODevice& device) {
                             Progress again(QStringLiteral("spectrogram table"));
                             const bool ok = writeSpectrogramCsv(device, *samples, request, period,
                                                                 reducer.picture().peak, range,
                                                                 [&](std::int64_t done, std::int64_t total) {
                                                                     again.update(done, total);
                                                                     return true;
                                                                 });
                             again.finish();
                             return ok;
                         }});
    if (!writeFilesSafely(files, error))
        return fail(error);
    return ExitOk;
}

} // namespace varnilog::cli
