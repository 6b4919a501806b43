#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace corvale {

namespace {

bool install(const QLocale &locale, const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, name, QStringLiteral("_"), folder)
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

int installTranslations(const QLocale &locale)
{
    int installed = 0;
    // Qt's first: ours are installed later, so they are asked first.
    installed
        += install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    installed += install(locale, QStringLiteral("corvale"), QStringLiteral(":/i18n"));
    return installed;
}

} // namespace corvale
