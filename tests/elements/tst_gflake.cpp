#include "Gflake.h"
#include "ShownElement.h"
#include "TestSupport.h"

class TstGFlake : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TGFlake g;
        QCOMPARE(g.GetWaterLevel(), 0.0);
        QCOMPARE(g.WaterBrush()->GetColor(), clYellow);
        QCOMPARE(g.Pen()->GetColor(), clRed);
        QVERIFY(!g.GetXFlip());
        QCOMPARE(g.BackBrush()->GetColor(), clBlack);
        QCOMPARE(g.GetGX(), 50.0);
        QCOMPARE(g.GetGY(), 50.0);
    }

    // Below GY the liquid is a box across the whole width; above it the lower
    // part is full and the higher part holds the rest.
    void levels() {
        TGFlake g;
        g.resize(100, 100);
        g.SetColor(clNavy);
        g.SetWaterLevel(30);
        TGFlake::Geometry geo = g.Compute();
        QVERIFY(geo.liquidIsBox);
        QCOMPARE(geo.liquidBox, QRect(QPoint(0, 70), QPoint(99, 99)));
        QImage img = RenderElement(&g);
        QCOMPARE(Px(img, 20, 80), Rgb(clYellow));
        QCOMPARE(Px(img, 80, 80), Rgb(clYellow));
        QCOMPARE(Px(img, 80, 40), Rgb(clBlack)); // the empty higher part
        QCOMPARE(Px(img, 20, 30), Rgb(clNavy));  // above the lower part: outside the tank
        g.SetWaterLevel(70);
        geo = g.Compute();
        QVERIFY(!geo.liquidIsBox);
        QCOMPARE(geo.liquid, QPolygon({QPoint(0, 99), QPoint(0, 50), QPoint(50, 50), QPoint(50, 30),
                                       QPoint(99, 30), QPoint(99, 99)}));
        img = RenderElement(&g);
        QCOMPARE(Px(img, 80, 40), Rgb(clYellow));
        QCOMPARE(Px(img, 80, 20), Rgb(clBlack));
    }

    // GX and GY are only stored: they show with the next paint.
    void stepOnlyStored() {
        TShownWindow w;
        TGFlake* g = w.Show(new TGFlake, QRect(10, 10, 100, 100));
        PaintCounter paints(g);
        g->SetGX(20);
        g->SetGY(80);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        const QImage img = RenderElement(g);
        QCOMPARE(Px(img, 10, 10), Rgb(clBtnFace)); // left of GX, above GY: outside
        QCOMPARE(Px(img, 10, 30), Rgb(clBlack));
        g->SetWaterLevel(10);
        QTRY_COMPARE(paints.count, 1);
    }
};

ORDAL_TEST_MAIN(TstGFlake)
#include "tst_gflake.moc"
