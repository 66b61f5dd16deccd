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
bool applyField(QStringView field, TriggerSpec& triggerSpec) {
    bool ok = false;
    if (field.startsWith(u"hyst=")) {
        const std::optional<double> v = finiteNumber(field.sliced(5));
        triggerSpec.hysteresisDivisions = v.value_or(0);
        return v.has_value();
    }
    if (field.startsWith(u"holdoff=")) {
        triggerSpec.holdoff = field.sliced(8).toLongLong(&ok);
        return ok;
    }
    if (field.startsWith(u"width<") || field.startsWith(u"width>")) {
        triggerSpec.width = field[5] == u'<' ? WidthCondition::Below : WidthCondition::Above;
        const std::optional<double> v = finiteNumber(field.sliced(6));
        triggerSpec.widthLimit = v.value_or(0);
        return v.has_value();
    }
    return false;
}

} // namespace

TriggerSettings triggerSettingsOf(const TriggerSpec& triggerSpec, std::uint8_t sensitivityIndex) {
    TriggerSettings s;
    s.edge = triggerSpec.edge;
    s.level = levelCode(triggerSpec.levelVolts, sensitivityIndex);
    s.hysteresis = triggerHysteresisCodes(triggerSpec.hysteresisDivisions);
    s.width = triggerSpec.width;
    s.widthLimit = triggerSpec.widthLimit;
    s.holdoff = triggerSpec.holdoff;
    return s;
}

TriggerCheck checkTriggerSpec(const TriggerSpec& triggerSpec, int sources) {
    if (triggerSpec.source < 0 || triggerSpec.source >= sources)
        return problem(TriggerProblem::Source,
                       QStringLiteral("expected %1").arg(channelLetterExpectation(false, sources)));
    if (!std::isfinite(triggerSpec.levelVolts))
        return problem(TriggerProblem::Level, QStringLiteral("expected a level in volts"));
    if (!(triggerSpec.hysteresisDivisions >= 0 && triggerSpec.hysteresisDivisions <= 1))
        return problem(TriggerProblem::Hysteresis,
                       QStringLiteral("expected a hysteresis from 0 to 1 division"));
    if (triggerSpec.width != WidthCondition::None &&
        !(triggerSpec.widthLimit > 0 && triggerSpec.widthLimit <= 1e18))
        return problem(TriggerProblem::Width, QStringLiteral("expected a pulse width above 0 samples"));
    if (triggerSpec.holdoff < 0)
        return problem(TriggerProblem::Holdoff, QStringLiteral("expected a holdoff of 0 or more samples"));
    return {};
}

TriggerCheck checkTriggerLevel(const TriggerSpec& triggerSpec, std::uint8_t sensitivityIndex) {
    if (!triggerLevelInRange(triggerSpec.levelVolts, sensitivityIndex))
        return problem(TriggerProblem::Level, QStringLiteral("%1 V is outside channel %2's range")
                                                  .arg(triggerSpec.levelVolts)
                                                  .arg(channelLetter(triggerSpec.source)));
    return {};
}

std::optional<TriggerSpec> parseTriggerSpec(QStringView text, TriggerCheck& check, int sources) {
    const QList<QStringView> fields = text.split(u',');
    TriggerSpec triggerSpec;
    const std::optional<int> source = channelFromLetter(fields.value(0), kChannels);
    const std::optional<TriggerEdge> edge = triggerEdgeFromName(fields.value(1));
    const std::optional<double> level = finiteNumber(fields.value(2));
    if (fields.size() < 3 || !source || !edge || !level) {
        check = problem(TriggerProblem::Syntax,
                        QStringLiteral("expected CHANNEL,rising|falling,VOLTS[,hyst=DIV][,width<N|width>N]"
                                       "[,holdoff=N]"));
        return std::nullopt;
    }
    triggerSpec.source = *source;
    triggerSpec.edge = *edge;
    triggerSpec.levelVolts = *level;
    for (qsizetype i = 3; i < fields.size(); ++i)
        if (!applyField(fields[i], triggerSpec)) {
            check =
                problem(TriggerProblem::Part,
                        QStringLiteral("'%1' is not hyst=DIV, width<N, width>N or holdoff=N").arg(fields[i]));
            return std::nullopt;
        }
    check = checkTriggerSpec(triggerSpec, sources);
    if (!check.ok())
        return std::nullopt;
    return triggerSpec;
}

QString triggerSpecText(const TriggerSpec& triggerSpec) {
    QString text = QStringLiteral("%1,%2,%3")
                       .arg(channelLetter(triggerSpec.source), triggerEdgeName(triggerSpec.edge),
                            numberText(triggerSpec.levelVolts));
    if (triggerSpec.hysteresisDivisions != kDefaultHysteresisDivisions)
        text += QStringLiteral(",hyst=") + numberText(triggerSpec.hysteresisDivisions);
    if (triggerSpec.width != WidthCondition::None)
        text += (triggerSpec.width == WidthCondition::Below ? QStringLiteral(",width<")
                                                            : QStringLiteral(",width>")) +
                numberText(triggerSpec.widthLimit);
    if (triggerSpec.holdoff != 0)
        text += QStringLiteral(",holdoff=%1").arg(triggerSpec.holdoff);
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
