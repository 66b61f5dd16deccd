// A − B computed into C is a channel like any other: the loader takes its sensitivity, the export
// writes its column, the measurements and the spectrum take it. A is a square wave 165/85 of period
// 64 samples at 1 V/div and B its mirror image (250 − a), so A − B is twice A's volts: at 2 V/div the
// codes of C are exactly those of A.
#include "analysis/ChannelMath.h"
#include "analysis/Measurements.h"
#include "app/SharedState.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "recording/TextExport.h"
#include "spectrum/RecordingSpectra.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>

using namespace varnilog;

TEST(DerivedChannelEndToEndTest, DifferenceIntoCIsLoadedExportedMeasuredAndAnalysed) {
    QTemporaryDir dir;
    test::Codes a(fftSize), b(fftSize);
    for (int i = 0; i < fftSize; ++i) {
        a[i] = (i / 32) % 2 ? 85 : 165;
        b[i] = static_cast<std::uint8_t>(250 - a[i]);
    }
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), {10, 4, 4, 2, {a, b}});
    OperationRequest request;
    request.rosPath = ros;
    request.op = Operation{OperationKind::AMinusB, 2};
    request.target = 2;
    request.sensitivity = 3;
    request.sourceSensitivity = {4, 4};
    ASSERT_TRUE(computeDerivedChannel(request).ok());

    auto state = std::make_unique<SharedState>();
    state->recordingPath = ros;
    ASSERT_TRUE(loadRecording(*state).ok);
    EXPECT_EQ(state->channelCount, 3);
    EXPECT_EQ(state->channelSensitivity[2], 3);
    EXPECT_TRUE(channelHasData(*state, 2));
    EXPECT_FALSE(channelHasData(*state, 3));

    // Export: A 1.6 V, B -1.6 V, C 3.2 V on the first line; the signs turn at sample 32.
    {
        RecordingInput input(*state);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(exportRecordingText(textExportSourceFrom(input), out, QLocale::c()).ok);
        const QList<QByteArray> lines = out.data().split('\n');
        EXPECT_EQ(lines[0].trimmed(), "0000:00:00:000;1.6000;-1.6000;3.2000");
        EXPECT_EQ(lines[32].trimmed(), "0000:00:00:032;-1.6000;1.6000;-3.2000");
    }

    // Measurements: C swings +-3.2 V at A's 15.625 Hz (64 ms periods).
    const MeasureResult m = measureSpan(measureRequestFor(*state, 0, state->sampleCount));
    ASSERT_TRUE(m.ok);
    const ChannelMeasurements& c = m.channels[2];
    ASSERT_TRUE(c.measured);
    EXPECT_NEAR(*c.max, 3.2, 1e-12);
    EXPECT_NEAR(*c.min, -3.2, 1e-12);
    ASSERT_TRUE(c.frequency.has_value());
    EXPECT_NEAR(*c.frequency, 15.625, 1e-9);

    // Spectrum: C's is A's (the same codes), its fundamental at bin 131072 / 64 = 2048.
    RecordingInput input(*state);
    auto spectra = std::make_unique<SpectrumData>();
    RecordingSpectra engine(1);
    ASSERT_TRUE(engine.ComputeRecordingSpectra(input.files(), input.channelCount(), *spectra));
    const auto& sc = spectra->channelSpectrum[2];
    EXPECT_EQ(std::max_element(sc.begin() + 1, sc.end()) - sc.begin(), 2048);
    EXPECT_EQ(sc, spectra->channelSpectrum[0]);
    EXPECT_GT(spectra->spectrumPeak[2], 0.0f);
}
