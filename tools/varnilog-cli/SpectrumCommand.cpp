// spectrum: the averaged spectra of every recorded channel as CSV, optionally the spectrum window's plot.
#include "CliSupport.h"

#include "app/Configuration.h"
#include "recording/RecordingInput.h"
#include "recording/SafeFile.h"
#include "spectrum/RecordingSpectra.h"
#include "spectrum/SpectrumPlot.h"
#include "view/PageFile.h"
#include "view/ScaleTables.h"
#include "view/WaveformRenderer.h"

#include <QFileInfo>
#include <QTextStream>

#include <cmath>

namespace varnilog::cli {

namespace {

// Level of a value against the common peak in dB; empty when either is zero.
QString decibels(float value, float peak) {
    if (value <= 0.0f || peak <= 0.0f)
        return QString();
    return QString::number(20.0 * std::log10(static_cast<double>(value) / peak), 'f', 3);
}

// The table: a few hundred lines, made in memory, then written aside and renamed into place whole.
QByteArray spectrumCsv(const SharedState& state, const SpectrumData& data) {
    QString text;
    QTextStream out(&text);
    const int channels = std::clamp<int>(state.channelCount, 1, kChannels);
    out << "frequency_hz";
    for (int c = 0; c < channels; ++c)
        out << ';' << channelName[c] << ";" << channelName[c] << "_db";
    out << '\n';
    const double divisor = frequencyDivisor(state.samplingPeriodMs);
    for (int p = 0; p < spectrumDisplayPoints; ++p) {
        out << QString::number(10.0 * p / divisor, 'g', 10);
        for (int c = 0; c < channels; ++c) {
            const float v = data.spectrumDisplay[c][p];
            out << ';' << QString::number(static_cast<double>(v), 'g', 9) << ';'
                << decibels(v, data.spectrumPeakAll);
        }
        out << '\n';
    }
    out.flush();
    return text.toUtf8();
}

// The spectrum window's plot of data.
QImage spectrumPlot(SharedState& state, const SpectrumData& data) {
    const int channels = std::clamp<int>(state.channelCount, 1, kChannels);
    SpectrumView view;
    view.channelCount = channels;
    view.channelChecked = {true, true, channels > 2, channels > 3};
    std::copy(state.channelColor.begin(), state.channelColor.end(), view.channelColor.begin());
    QImage background(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32); // the main window's bmpBackground
    paintBackground(background, state.backgroundColor1, state.backgroundColor2, state.gradientOn);
    QImage plot(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32);
    DrawSpectrum(plot, background, data, view);
    return plot;
}

constexpr CliOption kSpectrumOptions[] = {
    {"png", "OUT.png", "Also write the spectrum window's plot."},
    {"config", "INI", "Configuration whose colours the plot uses."},
};

constexpr CliCommand kSpectrum{
    "spectrum",
    "Writes the averaged spectrum of every channel: one row per display point, "
    "frequency in Hz, then each channel's value and its level in dB relative to the "
    "common peak.",
    2,
    "FILE.ros OUT.csv",
    "ros csv",
    kSpectrumOptions};

} // namespace

int runSpectrum(const QStringList& args) {
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, kSpectrum); rc >= 0)
        return rc;
    if (const QString ros = parser.positionalArguments().at(0);
        !outputAllowed(parser.positionalArguments().at(1), ros) ||
        (parser.isSet(QStringLiteral("png")) && !outputAllowed(parser.value(QStringLiteral("png")), ros)))
        return ExitUsage;
    auto state = std::make_unique<SharedState>();
    if (!applyConfigOption(parser, *state))
        return ExitFailure;
    QString error;
    if (!openRecording(*state, parser.positionalArguments().at(0), error))
        return fail(error);
    if (state->sampleCount <= 0)
        return fail(
            QStringLiteral("%1: the recording has no samples").arg(parser.positionalArguments().at(0)));

    auto data = std::make_unique<SpectrumData>();
    RecordingSpectra engine;
    RecordingInput input(*state);
    Progress progress(QStringLiteral("spectrum"));
    engine.ComputeRecordingSpectra(input.files(), input.channelCount(), *data,
                                   [&](std::int64_t done, std::int64_t total) {
                                       progress.update(done, total);
                                       return true;
                                   });
    progress.finish();

    const QString csvPath = parser.positionalArguments().at(1);
    const QString png = parser.value(QStringLiteral("png"));
    // A picture that cannot have its name must not leave the table behind it.
    if (QString error; parser.isSet(QStringLiteral("png")) && !fileNameFits(png, error))
        return fail(QStringLiteral("%1: %2").arg(png, error));
    // The table and the picture as one: a failure of either leaves neither.
    const QByteArray table = spectrumCsv(*state, *data);
    std::vector<SafeFileContent> files{
        {csvPath, [&](QIODevice& device) { return device.write(table) == table.size(); }}};
    QImage plot;
    if (parser.isSet(QStringLiteral("png"))) {
        plot = spectrumPlot(*state, *data);
        files.push_back({png, [&](QIODevice& device) { return plot.save(&device, "PNG"); }});
    }
    if (QString error; !writeFilesSafely(files, error))
        return fail(error);
    return ExitOk;
}

} // namespace varnilog::cli
