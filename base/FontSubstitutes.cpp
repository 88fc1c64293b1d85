#include "FontSubstitutes.h"

#include <QFont>

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New Cyr"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Symbol"), QStringLiteral("Liberation Sans"));
}
