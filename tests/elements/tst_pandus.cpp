#include "Pandus.h"
#include "ShownElement.h"
#include "TestSupport.h"

class TstPandus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TPandus p;
        QCOMPARE(p.size(), QSize(145, 75));
        QCOMPARE(p.GetvirtH(), 75.0);
        QCOMPARE(p.GetvirtW(), 145.0);
        QCOMPARE(p.GetH1(), 45.0);
        QCOMPARE(p.GetH2(), 10.0);
        QCOMPARE(p.GetL1(), 60.0);
        QCOMPARE(p.Pen()->GetColor(), clYellow);
        QCOMPARE(p.Brush()->GetColor(), clRed);
        QVERIFY(!p.GetXFlip());
    }

    // The default figure on a 290 x 150 element: virtual units count double.
    void geometry_data() {
        QTest::addColumn<bool>("xFlip");
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<QPolygon>("band");
        QTest::addColumn<QPolygon>("hopper");
        QTest::newRow("rising to the right")
            << false << 1 << QPolygon({QPoint(0, 90), QPoint(290, 0), QPoint(290, 20), QPoint(0, 110)})
            << QPolygon({QPoint(290, 20), QPoint(0, 110), QPoint(120, 150), QPoint(290, 20)});
        // Both figures mirrored: the band rises from right to left.
        QTest::newRow("mirrored, pen 4")
            << true << 4 << QPolygon({QPoint(288, 90), QPoint(2, 2), QPoint(2, 20), QPoint(288, 110)})
            << QPolygon({QPoint(2, 20), QPoint(288, 110), QPoint(170, 148), QPoint(2, 20)});
    }
    void geometry() {
        QFETCH(bool, xFlip);
        QFETCH(int, penWidth);
        QFETCH(QPolygon, band);
        QFETCH(QPolygon, hopper);
        TPandus p;
        p.resize(290, 150);
        p.SetXFlip(xFlip);
        p.Pen()->SetWidth(penWidth);
        const TPandus::Geometry g = p.Compute();
        QCOMPARE(g.band, band);
        QCOMPARE(g.hopper, hopper);
        const QImage img = RenderElement(&p);
        QCOMPARE(Px(img, 145, 55), Rgb(clRed)); // the band's middle
        QCOMPARE(Px(img, 145, 5), kSentinel);   // above it
    }

    // Sizes repaint at once, XFlip later.
    void repaints() {
        TShownWindow w;
        TPandus* p = w.Show(new TPandus, QRect(10, 10, 145, 75));
        PaintCounter paints(p);
        p->SetH1(45);
        p->SetXFlip(false);
        QCOMPARE(paints.count, 0);
        p->SetH1(40);
        QCOMPARE(paints.count, 1);
        p->SetvirtW(150);
        QCOMPARE(paints.count, 2);
        p->SetXFlip(true);
        QCOMPARE(paints.count, 2);
        QTRY_COMPARE(paints.count, 3);
    }

    // A virtual size of zero cannot be drawn: one beep per paint, nothing else.
    void zeroVirtualSize() {
        TPandus p;
        p.SetvirtH(0);
        const QImage img = RenderElement(&p);
        QCOMPARE(TP().beeps, 1);
        QCOMPARE(Px(img, 72, 40), kSentinel);
        p.SetvirtH(75);
        QCOMPARE(Px(RenderElement(&p), 72, 30), Rgb(clRed));
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstPandus)
#include "tst_pandus.moc"
