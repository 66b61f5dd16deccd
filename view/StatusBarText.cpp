#include "view/StatusBarText.h"

#include "view/NumberText.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

QString samplingPeriodText(float samplingPeriodMs, const QLocale& locale) {
    // The product with 10000 is rounded to single precision before the floor: 0.005 ms is held as
    // 0.00499999989, and only the float product comes back to 50 (unrounded it floors to 49 and reads
    // "4.9us"). The step back uses the exact 0.0001 so that 0.1 ms stays 0.1 and not just below it.
    const float scaled = samplingPeriodMs * 10000.0f;
    const float t = static_cast<float>(std::floor(static_cast<double>(scaled)) * 0.0001);
    const auto general = [&locale](float value) {
        return generalNumberText(static_cast<double>(value), 2, locale);
    };
    if (t < 0.1) {
        return general(t * 1000.0) + QStringLiteral("us");
    }
    if (t < 100.0) {
        return general(t) + QStringLiteral("ms");
    }
    return general(t * 0.001) + QStringLiteral("s");
}

std::array<QString, kStatusPanels> statusBarTexts(const SharedState& state, const QLocale& locale) {
    static const char* const modes[] = {"AC", "GND", "DC"};
    std::array<QString, kStatusPanels> texts;
    for (int c = 0; c < kChannels; ++c) {
        texts[3 * c] = QChar::fromLatin1(channelName[c]) + QStringLiteral(":");
        const int s = std::clamp<int>(state.channelSensitivity[c], 1, kSensitivityCount);
        texts[3 * c + 1] = voltLabel(s, 6);
        const int mode = state.channelMode[c];
        texts[3 * c + 2] = state.channelDerived[c] ? kNoCouplingText.toString()
                           : mode <= ModeDC        ? QString::fromLatin1(modes[mode])
                                                   : QString(QStringLiteral(""));
    }
    texts[12] = samplingPeriodText(state.samplingPeriodMs, locale);
    texts[13] = state.modelName.isNull() ? QStringLiteral("") : state.modelName;
    texts[14] = state.comPortName;
    return texts;
}

} // namespace varnilog
