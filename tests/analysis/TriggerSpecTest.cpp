// The trigger's text form both ways (a text read gives the triggerSpec, the triggerSpec written gives the
// shortest text, which reads back the same), the refusals with their words, and the triggerSpec in codes.
#include "analysis/TriggerSpec.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(TriggerSpecTest, TextFormBothWaysAndItsRefusals) {
    const auto triggerSpec =
        [](int source, TriggerEdge edge, double level, double hyst = kDefaultHysteresisDivisions,
           WidthCondition width = WidthCondition::None, double limit = 0, std::int64_t holdoff = 0) {
            return TriggerSpec{source, edge, level, hyst, width, limit, holdoff};
        };
    const struct {
        const char* text;
        std::optional<TriggerSpec> triggerSpec;
        const char* written; // the shortest form; the text itself when empty
        TriggerProblem problem;
    } rows[] = {
        {"A,rising,1.5", triggerSpec(0, TriggerEdge::Rising, 1.5), "", TriggerProblem::None},
        {"b,falling,-0.25", triggerSpec(1, TriggerEdge::Falling, -0.25), "B,falling,-0.25",
         TriggerProblem::None},
        {"D,rising,0,hyst=0.1", triggerSpec(3, TriggerEdge::Rising, 0), "D,rising,0", TriggerProblem::None},
        {"A,rising,1.5,hyst=0.35,width<20",
         triggerSpec(0, TriggerEdge::Rising, 1.5, 0.35, WidthCondition::Below, 20), "", TriggerProblem::None},
        {"A,falling,2e-3,width>0.5,holdoff=7",
         triggerSpec(0, TriggerEdge::Falling, 0.002, 0.1, WidthCondition::Above, 0.5, 7),
         "A,falling,0.002,width>0.5,holdoff=7", TriggerProblem::None},
        {"C,rising,0,hyst=0", triggerSpec(2, TriggerEdge::Rising, 0, 0), "", TriggerProblem::None},
        {"A,up,0", {}, "", TriggerProblem::Syntax},
        {"E,rising,0", {}, "", TriggerProblem::Syntax},
        {"A,rising", {}, "", TriggerProblem::Syntax},
        {"A,rising,inf", {}, "", TriggerProblem::Syntax},
        {"A,rising,0,width=3", {}, "", TriggerProblem::Part},
        {"A,rising,0,hyst=2", {}, "", TriggerProblem::Hysteresis},
        {"A,rising,0,width<0", {}, "", TriggerProblem::Width},
        {"A,rising,0,width>-1", {}, "", TriggerProblem::Width},
        {"A,rising,0,holdoff=-1", {}, "", TriggerProblem::Holdoff},
    };
    for (const auto& row : rows) {
        TriggerCheck check;
        const std::optional<TriggerSpec> got = parseTriggerSpec(QString::fromLatin1(row.text), check);
        EXPECT_EQ(check.problem, row.problem) << row.text;
        EXPECT_EQ(got, row.triggerSpec) << row.text;
        EXPECT_EQ(check.text.isEmpty(), row.problem == TriggerProblem::None) << row.text;
        if (!row.triggerSpec)
            continue;
        const QString written = triggerSpecText(*row.triggerSpec);
        EXPECT_EQ(written.toStdString(), *row.written ? row.written : row.text);
        EXPECT_EQ(parseTriggerSpec(written, check), row.triggerSpec) << row.text;
    }

    // The board's two channels only, as record takes them; the level within the channel's codes.
    TriggerCheck check;
    EXPECT_FALSE(parseTriggerSpec(u"C,rising,0", check, 2));
    EXPECT_EQ(check.text, QStringLiteral("expected a letter from A to B"));
    EXPECT_EQ(checkTriggerLevel(triggerSpec(1, TriggerEdge::Rising, 5.3), 4).text,
              QStringLiteral("5.3 V is outside channel B's range"));
    EXPECT_TRUE(checkTriggerLevel(triggerSpec(1, TriggerEdge::Rising, 5.0), 4).ok());

    // In codes at 1 V/div: 0 V is code 125, 1 V 25 codes higher; the hysteresis 0.1 division is 2.5 codes.
    const TriggerSettings codes =
        triggerSettingsOf(triggerSpec(0, TriggerEdge::Falling, 1.0, 0.1, WidthCondition::Below, 9, 4), 4);
    EXPECT_EQ(codes.edge, TriggerEdge::Falling);
    EXPECT_DOUBLE_EQ(codes.level, 150);
    EXPECT_DOUBLE_EQ(codes.hysteresis, TriggerSettings{}.hysteresis);
    EXPECT_EQ(codes.width, WidthCondition::Below);
    EXPECT_EQ(codes.widthLimit, 9);
    EXPECT_EQ(codes.holdoff, 4);
}
