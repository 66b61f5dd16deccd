// The program's two languages. Polish is the source language of every text; English comes from the
// built-in translation (translations/varnilog_en*.ts, compiled into the resource folder :/i18n).
#pragma once

#include <QString>

#include <optional>

class QCoreApplication;

namespace varnilog {

enum class Language { Polish, English };

// "pl" / "en" (any case); nothing for anything else.
std::optional<Language> languageFromCode(const QString& code);
QString languageCode(Language language);

// Installs the program's own translation for language into app, replacing the one installed before
// (Polish: none, the source texts stand). Installing or removing a translator sends every widget a
// QEvent::LanguageChange. False when the English translation is missing from the resources.
bool useLanguage(QCoreApplication& app, Language language);

// The language whose translation is installed in app now.
Language currentLanguage(const QCoreApplication& app);

} // namespace varnilog
