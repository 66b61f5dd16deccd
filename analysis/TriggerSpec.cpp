#include "analysis/TriggerSpec.h"

#include "analysis/ChannelLetters.h"
#include "view/SampleCodes.h"

#include <QList>

#include <charconv>
#include <cmath>

namespace varnilog {

namespace {

TriggerCheck problem(TriggerProblem kind, QString text) {
    return {kind, std::move(text)};
}

// The shortest text that reads back as the same double.
QString numberText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
    return QString::fromLatin1(text, static_cast<qsizetype>(end - text));
}

std::optional<double> finiteNumber(QStringView text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// One "hyst=DIV", "width<N", "width>N" or "holdoff=N" after the level; false for anything else.
bool applyPart(QStringView part, TriggerSpec& spec) {
    bool ok = false;
    if (part.startsWith(u"hyst=")) {
        const std::optional<double> v = finiteNumber(part.sliced(5));
        spec.hysteresisDivisions = v.value_or(0);
        return v.has_value();
    }
    if (part.startsWith(u"holdoff=")) {
        spec.holdoff = part.sliced(8).toLongLong(&ok);
        return ok;
    }
    if (part.startsWith(u"width<") || part.startsWith(u"width>")) {
        spec.width = part[5] == u'<' ? WidthCondition::Below : WidthCondition::Above;
        const std::optional<double> v = finiteNumber(part.sliced(6));
        spec.widthLimit = v.value_or(0);
        return v.has_value();
    }
    return false;
}

} // namespace

TriggerSettings triggerSettingsOf(const TriggerSpec& spec, std::uint8_t sensitivityIndex) {
    TriggerSettings s;
    s.edge = spec.edge;
    s.level = levelCode(spec.levelVolts, sensitivityIndex);
    s.hysteresis = triggerHysteresisCodes(spec.hysteresisDivisions);
    s.width = spec.width;
    s.widthLimit = spec.widthLimit;
    s.holdoff = spec.holdoff;
    return s;
}

TriggerCheck checkTriggerSpec(const TriggerSpec& spec, int sources) {
    if (spec.source < 0 || spec.source >= sources)
        return problem(TriggerProblem::Source,
                       QStringLiteral("expected %1").arg(channelLetterExpectation(false, sources)));
    if (!std::isfinite(spec.levelVolts))
        return problem(TriggerProblem::Level, QStringLiteral("expected a level in volts"));
    if (!(spec.hysteresisDivisions >= 0 && spec.hysteresisDivisions <= 1))
        return problem(TriggerProblem::Hysteresis,
                       QStringLiteral("expected a hysteresis from 0 to 1 division"));
    if (spec.width != WidthCondition::None && !(spec.widthLimit > 0 && spec.widthLimit <= 1e18))
        return problem(TriggerProblem::Width, QStringLiteral("expected a pulse width above 0 samples"));
    if (spec.holdoff < 0)
        return problem(TriggerProblem::Holdoff, QStringLiteral("expected a holdoff of 0 or more samples"));
    return {};
}

TriggerCheck checkTriggerLevel(const TriggerSpec& spec, std::uint8_t sensitivityIndex) {
    if (!triggerLevelInRange(spec.levelVolts, sensitivityIndex))
        return problem(TriggerProblem::Level, QStringLiteral("%1 V is outside channel %2's range")
                                                  .arg(spec.levelVolts)
                                                  .arg(channelLetter(spec.source)));
    return {};
}

std::optional<TriggerSpec> parseTriggerSpec(QStringView text, TriggerCheck& check, int sources) {
    const QList<QStringView> parts = text.split(u',');
    TriggerSpec spec;
    const std::optional<int> source = channelFromLetter(parts.value(0), kChannels);
    const std::optional<TriggerEdge> edge = triggerEdgeFromName(parts.value(1));
    const std::optional<double> level = finiteNumber(parts.value(2));
    if (parts.size() < 3 || !source || !edge || !level) {
        check = problem(TriggerProblem::Syntax,
                        QStringLiteral("expected CHANNEL,rising|falling,VOLTS[,hyst=DIV][,width<N|width>N]"
                                       "[,holdoff=N]"));
        return std::nullopt;
    }
    spec.source = *source;
    spec.edge = *edge;
    spec.levelVolts = *level;
    for (qsizetype i = 3; i < parts.size(); ++i)
        if (!applyPart(parts[i], spec)) {
            check =
                problem(TriggerProblem::Part,
                        QStringLiteral("'%1' is not hyst=DIV, width<N, width>N or holdoff=N").arg(parts[i]));
            return std::nullopt;
        }
    check = checkTriggerSpec(spec, sources);
    if (!check.ok())
        return std::nullopt;
    return spec;
}

QString triggerSpecText(const TriggerSpec& spec) {
    QString text =
        QStringLiteral("%1,%2,%3")
            .arg(channelLetter(spec.source), triggerEdgeName(spec.edge), numberText(spec.levelVolts));
    if (spec.hysteresisDivisions != kDefaultHysteresisDivisions)
        text += QStringLiteral(",hyst=") + numberText(spec.hysteresisDivisions);
    if (spec.width != WidthCondition::None)
        text +=
            (spec.width == WidthCondition::Below ? QStringLiteral(",width<") : QStringLiteral(",width>")) +
            numberText(spec.widthLimit);
    if (spec.holdoff != 0)
        text += QStringLiteral(",holdoff=%1").arg(spec.holdoff);
    return text;
}

QString triggerEdgeName(TriggerEdge edge) {
    return edge == TriggerEdge::Rising ? QStringLiteral("rising") : QStringLiteral("falling");
}

std::optional<TriggerEdge> triggerEdgeFromName(QStringView name) {
    if (name == u"rising")
        return TriggerEdge::Rising;
    if (name == u"falling")
        return TriggerEdge::Falling;
    return std::nullopt;
}

} // namespace varnilog
