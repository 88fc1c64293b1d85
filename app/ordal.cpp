// The operator workstation of the heavy-medium coal preparation section.

#include "Application.h"
#include "Forms.h"
#include "Main.h"
#include "Startup.h"

#include <QMessageBox>
#include <QScreen>
#include <exception>

int main(int argc, char** argv) {
    if (const auto rc = HandleCommandLine(argc, argv))
        return *rc;
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("ordal"));
    InitApplication(app);
    try {
        auto* main = new TFormMain();
        CreateForms();
        // Without a window manager (a kiosk session) nobody maximises for us.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            main->setGeometry(screen->availableGeometry());
        main->showMaximized();
        const int rc = app.exec();
        delete main;
        DestroyForms();
        return rc;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("ordal"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("ordal"), QStringLiteral("Неизвестная ошибка."));
    }
    return 1;
}
