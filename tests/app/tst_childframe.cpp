#include "AppFixture.h"
#include "ChildFrame.h"
#include "Global.h"
#include <QMdiArea>
#include <QMdiSubWindow>
#include "Mnemo.h"
#include "Outfield.h"
#include "Waterbox.h"
#include "ScaledView.h"
#include "TestSupport.h"

class TstChildFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void experiment3() {
        App app("[main]\nMnemoFitToWindow=1\n[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n");
        app->resize(1366, 768);
        app->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.main.get()));
        app->ActionMainMenu->trigger();
        QTest::qWait(100);
        app->ActionMnemo->trigger();
        QTest::qWait(100);
        qDebug() << app->MdiArea->activeSubWindow()->widget() << FormMnemo->isVisible() << app->SubWindowOf(FormMnemo)->isVisible();
        QGuiApplication::primaryScreen()->grabWindow(0).save("/tmp/exp/app1.png");
        app->ActionMnemo->trigger();
        QTest::qWait(100);
        QGuiApplication::primaryScreen()->grabWindow(0).save("/tmp/exp/app2.png");
    }
    void experiment2() {
        auto* w = new QWidget;
        w->setAutoFillBackground(true);
        QPalette pal = w->palette(); pal.setColor(QPalette::Window, Qt::black); w->setPalette(pal);
        w->resize(400, 200);
        auto* f = new TOutField(w);
        f->setGeometry(10, 10, 120, 30);
        f->SetOutValue(1234);
        auto* b = new TWaterBox(w);
        b->setGeometry(200, 20, 170, 146);
        b->SetWaterLevel(3);
        TScaledView v;
        v.resize(800, 400);
        v.SetContent(w, w->size());
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QTest::qWait(50);
        v.grab().save("/tmp/exp/small2.png");
        qDebug() << f->size() << v.Scale();
        v.resize(200, 100);
        QTest::qWait(50);
        v.grab().save("/tmp/exp/small05.png");
        delete v.TakeContent();
    }
    void experiment() {
        auto* mnemo = new TFormMnemo;
        mnemo->Timer1->stop();
        TChildFrame frame(mnemo);
        frame.resize(1366, 692);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.grab().save("/tmp/exp/scroll.png");
        frame.SetShownWhole(true);
        QTest::qWait(50);
        frame.grab().save("/tmp/exp/whole.png");
        mnemo->OutField_PLS->SetOutValue(1234);
        mnemo->Flake_KS->SetWaterLevel(2);
        QTest::qWait(50);
        frame.grab().save("/tmp/exp/whole2.png");
    }
};

ORDAL_TEST_MAIN(TstChildFrame)
#include "tst_childframe.moc"
