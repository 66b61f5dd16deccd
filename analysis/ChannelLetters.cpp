#include "analysis/ChannelLetters.h"

namespace varnilog {

QChar channelLetter(int channel) {
    return QChar(u'A' + channel);
}

std::optional<int> channelFromLetter(QStringView text, int channels) {
    if (text.size() != 1)
        return std::nullopt;
    const int c = text[0].toUpper().unicode() - u'A';
    if (c < 0 || c >= channels)
        return std::nullopt;
    return c;
}

std::optional<unsigned> channelMaskFromLetters(QStringView text, int channels) {
    if (text.isEmpty())
        return std::nullopt;
    unsigned mask = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<int> c = channelFromLetter(text.sliced(i, 1), channels);
        if (!c)
            return std::nullopt;
        mask |= 1u << *c;
    }
    return mask;
}

QString channelLetterExpectation(bool several, int channels) {
    return QStringLiteral("%1 from A to %2")
        .arg(several ? QStringLiteral("letters") : QStringLiteral("a letter"))
        .arg(channelLetter(channels - 1));
}

} // namespace varnilog
