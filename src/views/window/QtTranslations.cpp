#include "views/window/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace QtTranslations {

bool install()
{
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return installed;
    auto* t = new QTranslator(QCoreApplication::instance());
    // "qt" is the catalogue that pulls in qtbase and the other modules.
    if (!t->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    installed = QCoreApplication::installTranslator(t);
    return installed;
}

}
