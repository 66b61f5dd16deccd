// Channel letters as the user writes them: one letter for a source (--channel, the trigger's source,
// the window's choices) or a set of letters for what to draw, measure or write (--channels). Upper
// or lower case; the first channels letters of A..D are valid.
#pragma once

#include "app/SharedState.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace varnilog {

QChar channelLetter(int channel);
// One letter: its channel, or nullopt for anything else (an empty text, two letters, another letter).
std::optional<int> channelFromLetter(QStringView text, int channels = kChannels);
// One or more letters, each at most once counted: a mask of bit c for channel c, or nullopt for an
// empty text or another character.
std::optional<unsigned> channelMaskFromLetters(QStringView text, int channels = kChannels);
// What a valid text looks like, for the messages: "a letter from A to D", "letters from A to B".
QString channelLetterExpectation(bool several, int channels = kChannels);

} // namespace varnilog
