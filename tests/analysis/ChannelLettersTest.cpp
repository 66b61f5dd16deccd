// Channel letters as every command and window reads them: one letter for a source, a set for a list.
#include "analysis/ChannelLetters.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(ChannelLettersTest, OneLetterOrASetOfThem) {
    const struct {
        const char* text;
        int channels;
        std::optional<int> one;
        std::optional<unsigned> set;
    } rows[] = {
        {"A", 4, 0, 0x1u},    {"d", 4, 3, 0x8u}, {"C", 2, {}, {}},   {"", 4, {}, {}},   {"AB", 4, {}, 0x3u},
        {"bab", 4, {}, 0x3u}, {"AE", 4, {}, {}}, {"A,B", 4, {}, {}}, {" A", 4, {}, {}}, {"DCBA", 4, {}, 0xFu},
    };
    for (const auto& row : rows) {
        const QString text = QString::fromLatin1(row.text);
        EXPECT_EQ(channelFromLetter(text, row.channels), row.one) << row.text;
        EXPECT_EQ(channelMaskFromLetters(text, row.channels), row.set) << row.text;
    }
    EXPECT_EQ(channelLetterExpectation(false, 2), QStringLiteral("a letter from A to B"));
    EXPECT_EQ(channelLetterExpectation(true), QStringLiteral("letters from A to D"));
}
