// The program's configuration file (section CONFIG): where it lives, what is read at start-up and
// what is written when the main window closes and when the settings are saved.
#pragma once

#include "app/SharedState.h"

#include <QPoint>
#include <QString>

namespace varnilog {

// The executable's path with its extension replaced by ".ini" (or ".ini" appended when it has none).
QString configurationPathFor(const QString& executablePath);

// Reads every key into the shared state in the file's documented order, copies the zero offsets into
// the offsets and fills the first 500 samples of the recorded channels with the zero line.
// windowPosition holds the resource's top-left on entry and the WINLEFT/WINTOP values on return.
void readConfiguration(SharedState& state, const QString& path, const QString& executableDir,
                       QPoint& windowPosition);

// The configured language (key LANGUAGE, "pl" or "en"): Polish when the key is missing or unknown.
// Read on its own too, so that the windows are made in it.
Language readConfiguredLanguage(const QString& path);

// What the main window writes when it closes: UKLAD, WINTOP, WINLEFT, OFFSETZEROA..D, DATADIR.
bool writeConfiguration(const SharedState& state, const QString& path, QPoint windowPosition);

// What the settings window writes: COMPORT, CL0..CL3, CLTLO1, CLTLO2, GRADIENT, LANGUAGE.
bool writeSettingsConfiguration(const SharedState& state, const QString& path);

} // namespace varnilog
