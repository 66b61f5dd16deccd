// The library's sessions: a stack fed in any split of chunks gives the same annotations with the
// numbers of the samples fed; settings the metadata refuses and a decoder's exception come back as
// problems that name what went wrong.
#include "decode/DecodeSession.h"

#include "support/ProtocolSignals.h"

#include <gtest/gtest.h>

#include <random>

namespace varnilog {
namespace {

using test::uartLevels;

struct Text {
    std::int64_t start, end;
    std::string what;
    bool operator==(const Text&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const Text& t) {
        return o << t.start << "-" << t.end << " " << t.what;
    }
};

std::vector<Text> decoded(const std::vector<DecoderSetting>& stack, const std::vector<std::uint8_t>& logic,
                          std::uint64_t first, const std::vector<std::size_t>& chunks) {
    DecodeProblem problem;
    const auto session = DecodeSession::create(stack, {{"rx", 0}}, 96000, problem);
    EXPECT_TRUE(session) << problem.message;
    if (!session)
        return {};
    std::vector<Text> out;
    std::size_t at = 0;
    for (std::size_t i = 0; at < logic.size(); ++i) {
        const std::size_t n = std::min(logic.size() - at, chunks[i % chunks.size()]);
        EXPECT_TRUE(session->feed(first + at, logic.data() + at, n)) << session->problem().message;
        at += n;
    }
    for (const Annotation& a : session->takeAnnotations()) {
        const DecoderInfo& d = *session->decoders()[static_cast<std::size_t>(a.decoder)];
        out.push_back({a.start, a.end,
                       d.id + "/" + d.annotationClasses[static_cast<std::size_t>(a.annotationClass)].id +
                           "/" + d.rowOf(a.annotationClass) + "/" + a.texts.at(0)});
    }
    return out;
}

TEST(DecodeSessionTest, EverySplitGivesTheSameAnnotationsAtTheSamplesFed) {
    const std::vector<DecoderSetting> stack{{"uart", {{"baudrate", "9600"}, {"format", "ascii"}}}};
    const std::vector<std::uint8_t> logic = uartLevels({'H', 'i', 0x55}, 10);
    const std::vector<Text> whole = decoded(stack, logic, 0, {logic.size()});
    std::vector<std::string> data;
    for (const Text& t : whole)
        if (t.what.starts_with("uart/rx-data/"))
            data.push_back(t.what);
    EXPECT_EQ(data, (std::vector<std::string>{"uart/rx-data/rx-data/H", "uart/rx-data/rx-data/i",
                                              "uart/rx-data/rx-data/U"}));
    std::mt19937 rng(3);
    for (const std::vector<std::size_t>& chunks :
         {std::vector<std::size_t>{1}, {7}, {64, 1, 300}, {static_cast<std::size_t>(rng() % 50 + 1), 999}})
        EXPECT_EQ(decoded(stack, logic, 0, chunks), whole) << chunks[0];
    // Fed as samples from 1 000 000 on: the same annotations, that much later.
    std::vector<Text> later = whole;
    for (Text& t : later)
        t.start += 1000000, t.end += 1000000;
    EXPECT_EQ(decoded(stack, logic, 1000000, {333}), later);
}

TEST(DecodeSessionTest, RefusedSettingsNameWhatIsAllowed) {
    struct Row {
        std::vector<DecoderSetting> stack;
        std::vector<std::pair<std::string, int>> channels;
        DecodeProblemKind kind;
        std::string name, allowedHas;
    } rows[] = {
        {{{"no_such_decoder", {}}}, {{"rx", 0}}, DecodeProblemKind::UnknownDecoder, "", "uart"},
        {{{"../uart", {}}}, {{"rx", 0}}, DecodeProblemKind::UnknownDecoder, "", "i2c"},
        {{{"uart", {{"speed", "9600"}}}}, {{"rx", 0}}, DecodeProblemKind::UnknownOption, "speed", "baudrate"},
        {{{"uart", {{"baudrate", "fast"}}}},
         {{"rx", 0}},
         DecodeProblemKind::OptionValue,
         "baudrate",
         "an integer"},
        {{{"uart", {{"parity", "maybe"}}}}, {{"rx", 0}}, DecodeProblemKind::OptionValue, "parity", "even"},
        {{{"uart", {}}}, {{"sda", 0}}, DecodeProblemKind::UnknownChannel, "sda", "rx, tx"},
        {{{"i2c", {}}}, {{"scl", 0}}, DecodeProblemKind::MissingChannel, "sda", ""},
        {{{"uart", {}}, {"i2c", {}}}, {{"rx", 0}}, DecodeProblemKind::CannotStack, "uart", "logic"},
        {{{"eeprom24xx", {}}}, {}, DecodeProblemKind::CannotStack, "logic", "i2c"},
    };
    for (const Row& r : rows) {
        DecodeProblem problem;
        EXPECT_FALSE(DecodeSession::create(r.stack, r.channels, 1000, problem));
        EXPECT_EQ(problem.kind, r.kind) << r.stack.back().id;
        EXPECT_EQ(problem.name, r.name) << r.stack.back().id;
        EXPECT_NE(problem.allowed.find(r.allowedHas), std::string::npos) << problem.allowed;
    }
}

TEST(DecodeSessionTest, ADecodersExceptionIsAProblemNamingIt) {
    DecodeProblem problem;
    const auto session = DecodeSession::create({{"uart", {}}}, {{"rx", 0}}, 0, problem); // no rate
    ASSERT_TRUE(session) << problem.message;
    const std::vector<std::uint8_t> logic(1000, 1);
    EXPECT_FALSE(session->feed(0, logic.data(), logic.size()));
    EXPECT_EQ(session->problem().kind, DecodeProblemKind::DecoderFailed);
    EXPECT_EQ(session->problem().decoder, "uart");
    EXPECT_NE(session->problem().message.find("samplerate"), std::string::npos) << session->problem().message;
    EXPECT_FALSE(session->feed(1000, logic.data(), logic.size()));
}

} // namespace
} // namespace varnilog
