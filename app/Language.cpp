#include "app/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

namespace varnilog {

namespace {

// The program's translators are children of the application, told apart by this name, so that the
// next choice can remove them without a global of its own.
const char* const kTranslatorName = "varnilog-translation";

QList<QTranslator*> installedTranslators(const QCoreApplication& app) {
    QList<QTranslator*> found;
    for (QObject* child : app.children())
        if (auto* t = qobject_cast<QTranslator*>(child);
            t && t->objectName() == QLatin1String(kTranslatorName))
            found << t;
    return found;
}

} // namespace

std::optional<Language> languageFromCode(const QString& code) {
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("pl"))
        return Language::Polish;
    if (c == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

QString languageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("pl");
}

bool useLanguage(QCoreApplication& app, Language language) {
    for (QTranslator* t : installedTranslators(app)) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    if (language == Language::Polish)
        return true;
    // One or more compiled parts, all English.
    const QStringList parts = QDir(QStringLiteral(":/i18n"))
                                  .entryList({QStringLiteral("varnilog_en*.qm")}, QDir::Files, QDir::Name);
    bool loaded = false;
    for (const QString& part : parts) {
        auto* t = new QTranslator(&app);
        t->setObjectName(QLatin1String(kTranslatorName));
        if (!t->load(QStringLiteral(":/i18n/") + part)) {
            delete t;
            continue;
        }
        QCoreApplication::installTranslator(t);
        loaded = true;
    }
    return loaded;
}

Language currentLanguage(const QCoreApplication& app) {
    return installedTranslators(app).isEmpty() ? Language::Polish : Language::English;
}

} // namespace varnilog
