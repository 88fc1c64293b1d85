#include "Gydrosizer.h"
#include "ShownElement.h"
#include "TestSupport.h"

class TstGydroSizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TGydroSizer g;
        QCOMPARE(g.size(), QSize(50, 100));
        QCOMPARE(g.GetColor(), clBlack);
        QCOMPARE(g.Pen()->GetColor(), clBlue);
        QCOMPARE(g.Brush()->GetColor(), clSilver);
        QCOMPARE(g.WaterBrush()->GetColor(), clAqua);
        QCOMPARE(g.GetMainD(), 90.0);
        QCOMPARE(g.GetD1(), 80.0);
        QCOMPARE(g.GetD2(), 60.0);
        QCOMPARE(g.GetTopH(), 10.0);
        QCOMPARE(g.GetH1(), 15.0);
        QCOMPARE(g.GetH2(), 25.0);
        QCOMPARE(g.GetWaterH(), 35.0);
    }

    // 50 x 100: the column 2.5 in from either side, the stages at 85 and 75.
    void geometry() {
        TGydroSizer s;
        const TGydroSizer::Geometry g = s.Compute();
        QCOMPARE(g.collars[0], QRect(QPoint(1, 1), QPoint(2, 10)));
        QCOMPARE(g.collars[1], QRect(QPoint(47, 1), QPoint(49, 10)));
        QCOMPARE(g.vessel, QPolygon({QPoint(2, 1), QPoint(47, 1), QPoint(47, 75), QPoint(45, 85),
                                     QPoint(40, 100), QPoint(10, 100), QPoint(5, 85), QPoint(2, 75)}));
        QCOMPARE(g.liquid, QPolygon({QPoint(2, 65), QPoint(47, 65), QPoint(47, 75), QPoint(45, 85),
                                     QPoint(40, 100), QPoint(10, 100), QPoint(5, 85), QPoint(2, 75)}));
    }

    // A level in the narrowing part shows the liquid up to that level only.
    void levels_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<QRgb>("at70");
        QTest::addColumn<QRgb>("at90");
        QTest::newRow("in the column") << 35.0 << Rgb(clAqua) << Rgb(clAqua);
        QTest::newRow("in the stages") << 20.0 << Rgb(clSilver) << Rgb(clAqua);
        QTest::newRow("empty") << 0.0 << Rgb(clSilver) << Rgb(clSilver);
    }
    void levels() {
        QFETCH(double, level);
        QFETCH(QRgb, at70);
        QFETCH(QRgb, at90);
        TGydroSizer s;
        s.SetWaterH(level);
        const QImage img = RenderElement(&s);
        QCOMPARE(Px(img, 25, 70), at70);
        QCOMPARE(Px(img, 25, 90), at90);
        QCOMPARE(Px(img, 25, 30), Rgb(clSilver));
        QCOMPARE(Px(img, 1, 50), Rgb(clBlack)); // the panel beside the column
    }

    // The picture is drawn anew on every paint; a change asks for one later.
    void repaints() {
        TShownWindow w;
        TGydroSizer* s = w.Show(new TGydroSizer, QRect(10, 10, 50, 100));
        PaintCounter paints(s);
        s->SetWaterH(35);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        s->SetWaterH(60);
        QTRY_COMPARE(paints.count, 1);
        QVERIFY(s->RedrawNeeded());
    }
};

ORDAL_TEST_MAIN(TstGydroSizer)
#include "tst_gydrosizer.moc"
