#include "windows/ProgramLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace varnilog {

namespace {

const char* const kQtTranslatorName = "varnilog-qt-translation";

void removeQtTranslation(QCoreApplication& app) {
    for (QObject* child : app.children())
        if (auto* t = qobject_cast<QTranslator*>(child);
            t && t->objectName() == QLatin1String(kQtTranslatorName)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
}

bool installQtPolish(QCoreApplication& app) {
    auto* qt = new QTranslator(&app);
    qt->setObjectName(QLatin1String(kQtTranslatorName));
    if (!qt->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}

} // namespace

bool installProgramLanguage(QCoreApplication& app, Language language) {
    removeQtTranslation(app);
    const bool qtReady = language == Language::English || installQtPolish(app);
    return useLanguage(app, language) && qtReady;
}

} // namespace varnilog
