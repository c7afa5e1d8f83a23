// Loads Qt's Brazilian Portuguese translations from Qt's translations folder.
#include "app/qt_portuguese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace talvor {

bool UsePortugueseQtTexts()
{
    // Owned by the application, so gone with it.
    static QPointer<QTranslator> installed;
    if (!installed.isNull())
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_pt_BR"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace talvor
