#include "windows/ProgramLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace varnilog {

QTranslator* installProgramLanguage(QCoreApplication& app) {
    auto* qt = new QTranslator(&app);
    if (!qt->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return nullptr;
    }
    app.installTranslator(qt);
    return qt;
}

} // namespace varnilog
