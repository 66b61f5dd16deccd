// Names of the simulated board's models, waveforms and misbehaviours as the command line takes them
// ("KZ300", "square", "hang-up"), for kzsim and the program's --simulate. Pure; depends on QtCore
// and device/BoardSimulator.h.
#pragma once

#include "device/BoardSimulator.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnilog {

// "KZ100".."KZ400" (any case) or "1".."4".
std::optional<int> boardModelFromName(const QString& name);
std::optional<Waveform> waveformFromName(const QString& name);
std::optional<Misbehaviour> misbehaviourFromName(const QString& name);
QStringList waveformNames();
QStringList misbehaviourNames();

} // namespace varnilog
