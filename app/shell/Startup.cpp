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

#include "MainConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

std::optional<int> HandleCommandLine(int argc, char** argv) {
    bool version = false, help = false;
    for (int i = 1; i < argc; ++i) {
        version = version || std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0;
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    }
    if (!version && !help)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString dir = exe.absolutePath() + QLatin1Char('/');
    auto out = [](const QString& line) { std::fputs(qPrintable(line + QLatin1Char('\n')), stdout); };
    out(QStringLiteral("ОРДАЛ-М %1").arg(QStringLiteral(ORDAL_VERSION)));
    if (!help)
        return 0;
    // The file's own directories, as the program will use them.
    TMainConfig config;
    config.TempDir = dir + QStringLiteral("Temp");
    config.TemplateDir = dir + QStringLiteral("Template");
    const QString ini = dir + exe.completeBaseName() + QStringLiteral(".INI");
    config.Load(ini, {});
    out(QStringLiteral("\nThe operator workstation of the heavy-medium coal preparation section.\n"
                       "Usage: %1 [--version | --help]\n"
                       "Without options it starts the workstation. It takes no other options and no\n"
                       "environment variables; everything is in the files below, in the program's\n"
                       "directory, which it makes its current directory at start:\n")
            .arg(exe.fileName()));
    out(QStringLiteral("  configuration     %1").arg(ini));
    out(QStringLiteral("  element looks     %1config/").arg(dir));
    out(QStringLiteral("  colours           %1Colors.INI, %1GraphColors.INI").arg(dir));
    out(QStringLiteral("  reports, pictures %1 (TempDir)").arg(QDir::toNativeSeparators(config.TempDir)));
    out(QStringLiteral("  report templates  %1 (TemplateDir)").arg(QDir::toNativeSeparators(config.TemplateDir)));
    out(QStringLiteral("  database server   %1, user %2 (database ordalm)").arg(config.MySQLHost, config.MySQLLogin));
    return 0;
}
