// The trigger as the user gives it: source channel, edge, level in volts, hysteresis in divisions,
// pulse-width condition and holdoff in samples. The one description behind the "Wyzwalanie" tab, the
// command line's --trigger and the flags of `events`: its defaults, its text form
// "A,rising,1.5[,hyst=0.1][,width<20|width>20][,holdoff=N]", its validation with the messages, and
// equality (two searches with equal triggers on the same file find the same events). Converted into a
// channel's codes for the scanner. A new condition is one new field or case here and in the scanner.
#pragma once

#include "analysis/TriggerScanner.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace varnilog {

struct TriggerSpec {
    int source = 0; // channel 0..3 (A..D)
    TriggerEdge edge = TriggerEdge::Rising;
    double levelVolts = 0;
    double hysteresisDivisions = kDefaultHysteresisDivisions;
    WidthCondition width = WidthCondition::None;
    double widthLimit = 0;    // samples
    std::int64_t holdoff = 0; // samples
    bool operator==(const TriggerSpec&) const = default;
};

// The trigger in the codes of its channel at a sensitivity index.
TriggerSettings triggerSettingsOf(const TriggerSpec& triggerSpec, std::uint8_t sensitivityIndex);

// What is wrong with a triggerSpec, by the part the user gave it in (the command line names its option).
enum class TriggerProblem { None, Syntax, Part, Source, Edge, Level, Hysteresis, Width, Holdoff };

struct TriggerCheck {
    TriggerProblem problem = TriggerProblem::None;
    QString text; // English, without the option's name
    bool ok() const { return problem == TriggerProblem::None; }
};

// Whether the triggerSpec can be searched for: a source among the first sources channels, a finite level,
// a hysteresis of 0 to 1 division, a width limit above 0 samples under a width condition (no pulse is
// shorter than 0), a holdoff of 0 or more.
TriggerCheck checkTriggerSpec(const TriggerSpec& triggerSpec, int sources = 4);
// Whether the level lies within the codes the source channel shows at a sensitivity index.
TriggerCheck checkTriggerLevel(const TriggerSpec& triggerSpec, std::uint8_t sensitivityIndex);

// The text form: parsed (then checked as checkTriggerSpec does) or written in its shortest form (the
// defaults left out).
std::optional<TriggerSpec> parseTriggerSpec(QStringView text, TriggerCheck& check, int sources = 4);
QString triggerSpecText(const TriggerSpec& triggerSpec);

// The edge's word in the text form and in `events` ("rising", "falling").
QString triggerEdgeName(TriggerEdge edge);
std::optional<TriggerEdge> triggerEdgeFromName(QStringView name);

} // namespace varnilog
