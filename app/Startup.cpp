#include "Startup.h"

#include "FontSubstitutes.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InitApplication(QApplication& app) {
    InstallFontSubstitutes();

    // The operators read Russian: the standard buttons say "Да"/"Нет" whatever
    // the system locale is.
    auto* translator = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_ru"), dir))
        QApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}
