#include "view/CursorReadout.h"

#include "recording/SampleSummary.h"
#include "view/ElapsedTime.h"
#include "view/NumberText.h"
#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

std::optional<std::uint8_t> codeAt(SharedState& s, std::size_t ch, std::int64_t sample) {
    QFile& file = s.sampleFile[ch];
    if (file.isOpen()) {
        std::uint8_t code = 0;
        if (sample >= 0 && readAt(file, sample, &code, 1) == 1)
            return code;
        return std::nullopt;
    }
    if (const std::optional<int> column = cursorColumnOf(sample, s.viewStart, s.zoomDivisor))
        return s.channelData[ch][static_cast<std::size_t>(*column)];
    return std::nullopt;
}

} // namespace

CursorPlaces cursorPlacesAtColumns(const SharedState& s) {
    CursorPlaces p;
    const std::int64_t zoom = std::max<std::int32_t>(1, s.zoomDivisor);
    for (std::size_t n = 0; n < 2; ++n)
        p.sample[n] = s.viewStart + std::clamp(s.cursorColumn[n], 0, kDisplayColumns - 1) * zoom;
    return p;
}

std::optional<int> cursorColumnOf(std::int64_t sample, std::int64_t viewStart, std::int32_t zoomDivisor) {
    const std::int64_t zoom = std::max<std::int32_t>(1, zoomDivisor);
    if (sample < viewStart)
        return std::nullopt;
    const std::int64_t column = (sample - viewStart) / zoom;
    if (column >= kDisplayColumns)
        return std::nullopt;
    return static_cast<int>(column);
}

int levelCodeAtRow(int row) {
    return std::clamp(kDisplayRows - row, 0, 255);
}

int levelRowOf(int code) {
    return std::clamp(kDisplayRows - code, 0, kDisplayRows - 1);
}

CursorReadout cursorReadout(SharedState& s, const CursorPlaces& places) {
    CursorReadout r;
    r.sample = places.sample;
    for (std::size_t ch = 0; ch < kChannels; ++ch) {
        if (!s.channelVisible[ch])
            continue;
        for (std::size_t n = 0; n < 2; ++n)
            if (const std::optional<std::uint8_t> code = codeAt(s, ch, places.sample[n]))
                r.volts[n][ch] = codeVolts(*code, s.channelSensitivity[ch]);
        if (r.volts[0][ch] && r.volts[1][ch])
            r.deltaVolts[ch] = *r.volts[1][ch] - *r.volts[0][ch];
    }
    r.deltaMs = static_cast<double>(r.sample[1] - r.sample[0]) * s.samplingPeriodMs;
    if (r.deltaMs != 0)
        r.inverseHz = 1000.0 / std::fabs(r.deltaMs);
    r.levelsOn = places.levelsOn;
    r.levelChannel = s.selectedChannel % kChannels;
    const std::uint8_t sensitivity = s.channelSensitivity[static_cast<std::size_t>(r.levelChannel)];
    for (std::size_t n = 0; n < 2; ++n)
        r.levelVolts[n] =
            codeVolts(static_cast<std::uint8_t>(std::clamp(places.levelCode[n], 0, 255)), sensitivity);
    r.levelDeltaVolts = r.levelVolts[1] - r.levelVolts[0];
    return r;
}

CursorReadout cursorReadout(SharedState& s) {
    return cursorReadout(s, cursorPlacesAtColumns(s));
}

QString cursorReadoutText(const CursorReadout& r, float samplingPeriodMs, const QLocale& locale) {
    QString text;
    for (std::size_t n = 0; n < 2; ++n) {
        text += QStringLiteral("K%1 %2").arg(n + 1).arg(
            sampleTimeText(static_cast<double>(r.sample[n]), samplingPeriodMs));
        for (std::size_t ch = 0; ch < kChannels; ++ch)
            if (r.volts[n][ch])
                text += QStringLiteral(" %1 %2 V")
                            .arg(QChar(u'A' + static_cast<int>(ch)),
                                 generalNumberText(*r.volts[n][ch], 4, locale));
        if (r.comparedChannel >= 0 && r.compared[n])
            text += QStringLiteral(" %1' %2 V")
                        .arg(QChar(u'A' + r.comparedChannel), generalNumberText(*r.compared[n], 4, locale));
        text += QStringLiteral(" | ");
    }
    text += QStringLiteral("ΔT %1").arg(
        sampleTimeText(static_cast<double>(std::abs(r.sample[1] - r.sample[0])), samplingPeriodMs));
    if (r.inverseHz)
        text += QStringLiteral(" 1/ΔT %1 Hz").arg(generalNumberText(*r.inverseHz, 4, locale));
    if (r.levelsOn)
        text += QStringLiteral(" | U1 %1 V U2 %2 V ΔU %3 V")
                    .arg(generalNumberText(r.levelVolts[0], 4, locale),
                         generalNumberText(r.levelVolts[1], 4, locale),
                         generalNumberText(r.levelDeltaVolts, 4, locale));
    return text;
}

} // namespace varnilog
