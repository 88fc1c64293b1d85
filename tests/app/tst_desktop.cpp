// The workstation started on a desktop with a window manager (run through
// tests/fixtures/wm.sh: Xvfb, openbox, Qt's xcb platform), as an operator
// starts it: the main menu is the window in front once start-up has settled,
// although every child window is shown, and the trend windows load, behind it.

#include "AppFixture.h"
#include "Application.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphSuspLevel.h"
#include "MainMenu.h"
#include "Startup.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <cstdio>

class TstDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
    }

    void mainMenuInFrontAfterStartUp() {
        // Rows of the running shift day, so that every trend window has a load to make.
        for (int minutes : {50, 20, 5})
            QVERIFY(ExecAdmin(QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, "
                                             "DSUS, _PLSZ, AR1) values (now() - interval %1 minute, 1750, "
                                             "1800, 40, 30, 30, 50, 1800, 0)")
                                  .arg(minutes)));
        QVERIFY(ExecAdmin("insert into control_log (RecMoment, MessageText) values (now(), 'пуск')"));
        App app(ConnectedIni().replace("FirstChangeStart=8", "FirstChangeStart=0"));
        // As the program starts itself.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            app->setGeometry(screen->availableGeometry());
        app->showMaximized();
        QVERIFY(QTest::qWaitForWindowActive(app.main.get()));
        // A window manager manages the window: it has put a frame around it.
        QTRY_VERIFY(app->frameGeometry() != app->geometry());

        // Start-up settles: every window that loads on its first showing has loaded.
        QTRY_VERIFY(!FormGraphHardParams->NeedReload && !FormGraphSuspLevel->NeedReload &&
                    !FormGraphDSUS->NeedReload);
        QTRY_COMPARE(FormLogView->Loads(), 1);
        QTest::qWait(300); // the activation and focus events that follow

        QMdiSubWindow* menu = app->SubWindowOf(FormMainMenu);
        QVERIFY(menu);
        QCOMPARE(app->CurrentChild.data(), static_cast<QWidget*>(FormMainMenu));
        const auto named = [](QMdiSubWindow* sub) { return sub ? sub->windowTitle() : QString("(none)"); };
        QCOMPARE(named(app->MdiArea->activeSubWindow()), named(menu));
        QCOMPARE(named(app->MdiArea->subWindowList(QMdiArea::StackingOrder).last()), named(menu));
        QVERIFY(app->isActiveWindow());
        QCOMPARE(TP().messages.size(), 0);
    }
};

int main(int argc, char** argv) {
    // The screen and the window manager are those of tests/fixtures/wm.sh.
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb") ||
        qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "tst_desktop runs through tests/fixtures/wm.sh (a virtual screen with openbox)\n");
        return 1;
    }
    TApplication app(argc, argv);
    InitApplication(app);
    TstDesktop tc;
    return RunTestsIn(app, &tc, argc, argv);
}

#include "tst_desktop.moc"
