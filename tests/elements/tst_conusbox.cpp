#include "Conusbox.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <climits>

class TstConusBox : public QObject {
    Q_OBJECT

    // 100 x 100 in colours a test can tell apart.
    static void Prepare(TConusBox& c) {
        c.resize(100, 100);
        c.SetBackColor(clNavy);
        c.SetColor(clWhite);
        c.Pen()->SetColor(clRed);
    }

private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TConusBox c;
        QCOMPARE(c.GetBackColor(), clBlack);
        QCOMPARE(c.GetColor(), clBlack);
        QCOMPARE(c.Pen()->GetColor(), clBlack);
        QCOMPARE(c.GetWaterColor(), clAqua);
        QCOMPARE(c.GetConusH(), 80);
        QVERIFY(!c.GetShowTopLine());
        QVERIFY(!c.GetShowConusTop());
        QCOMPARE(c.GetDownW(), 10);
        QCOMPARE(c.GetWaterH(), 40);
        QVERIFY(!c.GetHalfConus());
        QVERIFY(!c.GetXFlip());
    }

    // Liquid within the cone: its surface at 60 reaches halfway between the
    // outlet's width and the full width.
    void liquidInTheCone() {
        TConusBox c;
        Prepare(c);
        const TConusBox::Geometry g = c.Compute();
        QVERIFY(!g.full);
        QCOMPARE(g.cone, QPolygon({QPoint(1, 20), QPoint(45, 99), QPoint(55, 99), QPoint(99, 20)}));
        QCOMPARE(g.coneLiquid, QPolygon({QPoint(22, 60), QPoint(45, 99), QPoint(55, 99), QPoint(77, 60)}));
        const QImage img = RenderElement(&c);
        QCOMPARE(Px(img, 50, 80), Rgb(clAqua));  // the liquid
        QCOMPARE(Px(img, 50, 40), Rgb(clWhite)); // the empty cone
        QCOMPARE(Px(img, 50, 20), Rgb(clWhite)); // the line at the cone's top, painted over
        QCOMPARE(Px(img, 10, 80), Rgb(clNavy));  // beside the cone
        QCOMPARE(Px(img, 50, 1), Rgb(clNavy));   // the top edge, painted over
        QCOMPARE(Px(img, 50, 10), Rgb(clWhite));
        c.SetShowConusTop(true);
        c.SetShowTopLine(true);
        const QImage lines = RenderElement(&c);
        QCOMPARE(Px(lines, 50, 20), Rgb(clRed));
        QCOMPARE(Px(lines, 50, 0), Rgb(clRed));
    }

    // WaterH 100 above ConusH: no empty part, the liquid reaches the top.
    void fullToTheTop() {
        TConusBox c;
        Prepare(c);
        c.SetWaterH(100);
        c.SetShowTopLine(true);
        const TConusBox::Geometry g = c.Compute();
        QVERIFY(g.full);
        QVERIFY(!g.empty);
        const QImage img = RenderElement(&c);
        QCOMPARE(Px(img, 50, 5), Rgb(clAqua));
        QCOMPARE(Px(img, 50, 20), Rgb(clAqua)); // the cone's top line under the liquid
        QCOMPARE(Px(img, 50, 80), Rgb(clAqua));
        c.SetWaterH(90); // an empty part above 90
        QCOMPARE(Px(RenderElement(&c), 50, 5), Rgb(clWhite));
    }

    // ConusH 0 and WaterH 0: the vessel empty, no liquid polygon.
    void emptyWithoutCone() {
        TConusBox c;
        Prepare(c);
        c.SetConusH(0);
        c.SetWaterH(0);
        const TConusBox::Geometry g = c.Compute();
        QVERIFY(g.coneLiquid.isEmpty());
        const QImage img = RenderElement(&c);
        QCOMPARE(Px(img, 50, 50), Rgb(clWhite));
        QCOMPARE(Px(img, 50, 97), Rgb(clWhite));
        QCOMPARE(TP().beeps, 0);
    }

    // A half cone's vertical side is on the right (the outlet from W - dw to
    // W - pw), or on the left with XFlip.
    void halfCone_data() {
        QTest::addColumn<bool>("xFlip");
        QTest::addColumn<QPolygon>("cone");
        QTest::newRow("right") << false
                               << QPolygon({QPoint(1, 20), QPoint(90, 99), QPoint(99, 99), QPoint(99, 20)});
        QTest::newRow("left") << true
                              << QPolygon({QPoint(1, 20), QPoint(1, 99), QPoint(10, 99), QPoint(99, 20)});
    }
    void halfCone() {
        QFETCH(bool, xFlip);
        QFETCH(QPolygon, cone);
        TConusBox c;
        Prepare(c);
        c.SetHalfConus(true);
        c.SetXFlip(xFlip);
        QCOMPARE(c.Compute().cone, cone);
        // The liquid's surface spans from the vertical side over dw + k (W - dw).
        const QPolygon liquid = c.Compute().coneLiquid;
        QCOMPARE(xFlip ? liquid[3].x() : liquid[0].x(), xFlip ? 55 : 45);
    }

    // The picture is redrawn only after a change.
    void redrawOnlyWhenChanged() {
        TShownWindow w;
        TConusBox* c = w.Show(new TConusBox, QRect(10, 10, 100, 100));
        QVERIFY(!c->RedrawNeeded());
        PaintCounter paints(c);
        c->SetWaterH(40);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        c->SetWaterH(50);
        QVERIFY(c->RedrawNeeded());
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        QVERIFY(!c->RedrawNeeded());
        c->Pen()->SetWidth(3);
        QTRY_COMPARE(paints.count, 2);
    }

    // Values beyond the pixel grid end the paint with one beep and keep the
    // last picture; nothing overflows.
    void absurdValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("pen") << QByteArray("Pen.Width") << QVariant(INT_MAX);
        QTest::newRow("level") << QByteArray("WaterH") << QVariant(INT_MIN);
        QTest::newRow("cone") << QByteArray("ConusH") << QVariant(INT_MIN);
    }
    void absurdValues() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TConusBox c;
        Prepare(c);
        RenderElement(&c);
        const QImage before = c.Picture().copy();
        if (property == "Pen.Width")
            c.Pen()->SetWidth(value.toInt());
        else
            QVERIFY(c.setProperty(property, value));
        RenderElement(&c);
        QCOMPARE(c.Picture(), before);
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstConusBox)
#include "tst_conusbox.moc"
