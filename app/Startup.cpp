#include "Startup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InitApplication(QApplication& app) {
    // The windows name Windows fonts; the metric-compatible Liberation fonts stand
    // in for them. fontconfig maps the first three already, the others it would
    // give to DejaVu or a symbol font. "Symbol" is the clock's font and shows
    // plain digits.
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New Cyr"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Symbol"), QStringLiteral("Liberation Sans"));

    // The operators read Russian: the standard buttons say "Да"/"Нет" whatever
    // the system locale is.
    auto* translator = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_ru"), dir))
        QApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}
