// The language of the windows. The program speaks Polish; Qt's own texts (the file, print, colour and
// message dialogs, standard buttons) come from Qt's Polish translation (Debian: qt6-translations-l10n).
#pragma once

class QCoreApplication;
class QTranslator;

namespace varnilog {

// Installs Qt's Polish translation into app; the translator (owned by app), or null when Qt's
// translations are not installed and Qt's texts stay English.
QTranslator* installProgramLanguage(QCoreApplication& app);

} // namespace varnilog
