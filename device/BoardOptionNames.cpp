#include "device/BoardOptionNames.h"

#include <array>
#include <utility>

namespace varnilog {

namespace {

const std::array<std::pair<const char*, Waveform>, 9> kWaveforms{{
    {"sine", Waveform::Sine},
    {"square", Waveform::Square},
    {"triangle", Waveform::Triangle},
    {"noise", Waveform::Noise},
    {"dc", Waveform::Dc},
    {"counter", Waveform::Counter},
    {"pulse", Waveform::Pulse},
    {"sweep", Waveform::Sweep},
    {"uart", Waveform::Uart},
}};

const std::array<std::pair<const char*, Misbehaviour>, 10> kMisbehaviours{{
    {"none", Misbehaviour::None},
    {"no-reply", Misbehaviour::NoReply},
    {"reply-zero", Misbehaviour::ReplyZero},
    {"two-bytes", Misbehaviour::TwoBytes},
    {"reply-five", Misbehaviour::ReplyFive},
    {"second-attempt", Misbehaviour::SecondAttemptOnly},
    {"garbage", Misbehaviour::GarbageBetweenFrames},
    {"burst", Misbehaviour::Burst},
    {"hang-up", Misbehaviour::HangUp},
    {"no-frames", Misbehaviour::NoFrames},
}};

template <typename T, std::size_t N>
std::optional<T> lookUp(const std::array<std::pair<const char*, T>, N>& table, const QString& name) {
    for (const auto& [text, value] : table)
        if (name.trimmed().compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

template <typename T, std::size_t N>
QStringList namesOf(const std::array<std::pair<const char*, T>, N>& table) {
    QStringList out;
    for (const auto& entry : table)
        out << QLatin1String(entry.first);
    return out;
}

} // namespace

std::optional<int> boardModelFromName(const QString& name) {
    QString text = name.trimmed().toUpper();
    bool number = false;
    const int plain = text.toInt(&number);
    if (number)
        return plain >= 1 && plain <= 4 ? std::optional<int>(plain) : std::nullopt;
    for (int model = 1; model <= 4; ++model)
        if (text == QStringLiteral("KZ%1").arg(model * 100))
            return model;
    return std::nullopt;
}

std::optional<Waveform> waveformFromName(const QString& name) {
    return lookUp(kWaveforms, name);
}

std::optional<Misbehaviour> misbehaviourFromName(const QString& name) {
    return lookUp(kMisbehaviours, name);
}

QStringList waveformNames() {
    return namesOf(kWaveforms);
}

QStringList misbehaviourNames() {
    return namesOf(kMisbehaviours);
}

} // namespace varnilog
