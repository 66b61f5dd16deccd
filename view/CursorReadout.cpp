#include "view/CursorReadout.h"

#include "view/ElapsedTime.h"
#include "view/NumberText.h"
#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

CursorReadout cursorReadout(const SharedState& s) {
    CursorReadout r;
    const std::int64_t zoom = std::max<std::int32_t>(1, s.zoomDivisor);
    for (std::size_t n = 0; n < 2; ++n) {
        const int column = std::clamp(s.cursorColumn[n], 0, kDisplayColumns - 1);
        r.sample[n] = s.viewStart + column * zoom;
        for (std::size_t ch = 0; ch < kChannels; ++ch)
            if (s.channelVisible[ch])
                r.volts[n][ch] =
                    codeVolts(s.channelData[ch][static_cast<std::size_t>(column)], s.channelSensitivity[ch]);
    }
    r.deltaMs = static_cast<double>(r.sample[1] - r.sample[0]) * s.samplingPeriodMs;
    if (r.deltaMs != 0)
        r.inverseHz = 1000.0 / std::fabs(r.deltaMs);
    return r;
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
    return text;
}

} // namespace varnilog
