// The language of the windows: the program's own texts (app/Language) and Qt's (the file, print,
// colour and message dialogs, standard buttons). Polish comes from Qt's Polish translation (Debian:
// qt6-translations-l10n), English is Qt's own.
#pragma once

#include "app/Language.h"

class QCoreApplication;

namespace varnilog {

// Installs language into app, replacing the one installed before; every window receives a
// QEvent::LanguageChange. False when a translation is not installed (Qt's Polish texts missing, or the
// program's English ones): the texts concerned stay in their source language.
bool installProgramLanguage(QCoreApplication& app, Language language);

} // namespace varnilog
