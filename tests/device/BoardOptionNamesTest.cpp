#include "device/BoardOptionNames.h"

#include <gtest/gtest.h>

namespace varnilog {
namespace {

TEST(BoardOptionNamesTest, ModelNames) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases{
        {"KZ100", 1},
        {"kz200", 2},
        {" KZ300 ", 3},
        {"KZ400", 4},
        {"3", 3},
        {"KZ500", std::nullopt},
        {"0", std::nullopt},
        {"5", std::nullopt},
        {"", std::nullopt},
        {"KZ", std::nullopt},
    };
    for (const auto& [name, model] : cases)
        EXPECT_EQ(boardModelFromName(QString::fromLatin1(name)), model) << name;
}

TEST(BoardOptionNamesTest, WaveformAndFaultNames) {
    EXPECT_EQ(waveformFromName("Square"), Waveform::Square);
    EXPECT_EQ(waveformFromName("counter"), Waveform::Counter);
    EXPECT_EQ(waveformFromName("saw"), std::nullopt);
    EXPECT_EQ(misbehaviourFromName("hang-up"), Misbehaviour::HangUp);
    EXPECT_EQ(misbehaviourFromName("no-frames"), Misbehaviour::NoFrames);
    EXPECT_EQ(misbehaviourFromName("second-attempt"), Misbehaviour::SecondAttemptOnly);
    EXPECT_EQ(misbehaviourFromName("hangup"), std::nullopt);
    // Every listed name is understood.
    for (const QString& n : waveformNames())
        EXPECT_TRUE(waveformFromName(n).has_value()) << n.toStdString();
    for (const QString& n : misbehaviourNames())
        EXPECT_TRUE(misbehaviourFromName(n).has_value()) << n.toStdString();
}

} // namespace
} // namespace varnilog
