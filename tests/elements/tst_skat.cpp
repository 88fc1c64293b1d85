#include "ShownElement.h"
#include "Skat.h"
#include "TestSupport.h"

#include <climits>

class TstSkat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TSkat s;
        QCOMPARE(s.size(), QSize(100, 100));
        QCOMPARE(s.Pen()->GetColor(), clRed);
        QCOMPARE(s.Brush()->GetColor(), clYellow);
        QVERIFY(!s.GetTransparent());
        QCOMPARE(s.GetDetLevel(), 10);
        QCOMPARE(s.GetK1(), 0.0);
        QCOMPARE(s.GetK2(), 1.0);
        QCOMPARE(s.GetK3(), 0.0);
        QCOMPARE(s.GetConfigName(), QString(".\\Colors.INI"));
        QVERIFY(!s.GetXFlip());
        QCOMPARE(s.GetTopWidth(), 70);
    }

    // TopWidth 70, DetLevel 10: the corners, then the parabola at x = 3, 6 ... 27
    // (30 itself is the top corner).
    void outline() {
        TSkat s;
        const QList<QPointF>& o = s.Outline();
        QCOMPARE(o.size(), qsizetype(13));
        QCOMPARE(o.mid(0, 4), QList<QPointF>({{30, 100}, {100, 100}, {100, 0}, {0, 0}}));
        for (int k = 1; k <= 9; ++k) {
            QCOMPARE(o[3 + k].x(), 3.0 * k);
            QCOMPARE(o[3 + k].y(), 100.0 * k * k / 100);
        }
        // Steps that a running sum would not hit exactly give the same count.
        QCOMPARE(TSkat::ComputeOutline(7, 70).size(), qsizetype(4 + 6));
        QVERIFY(TSkat::ComputeOutline(0, 70).isEmpty());
        QVERIFY(TSkat::ComputeOutline(10, 100).isEmpty());
        QCOMPARE(TSkat::ComputeOutline(1, INT_MIN).size(), qsizetype(4));
    }

    void limits() {
        TSkat s;
        s.SetDetLevel(200);
        QCOMPARE(s.GetDetLevel(), 80);
        QCOMPARE(s.Outline().size(), qsizetype(4 + 79));
        s.SetTopWidth(120);
        QCOMPARE(s.GetTopWidth(), 99);
    }

    void picture() {
        TSkat s;
        s.SetColor(clBlack);
        QImage img = RenderElement(&s);
        QCOMPARE(Px(img, 80, 50), Rgb(clYellow)); // the block
        QCOMPARE(Px(img, 10, 20), Rgb(clBlack));  // left of the parabola: the panel colour
        QCOMPARE(Px(img, 10, 99), Rgb(clRed));    // the bottom edge, a pen's width in
        QCOMPARE(Px(img, 99, 50), Rgb(clRed));    // the right side
        s.SetXFlip(true);
        img = RenderElement(&s);
        QCOMPARE(Px(img, 20, 50), Rgb(clYellow));
        QCOMPARE(Px(img, 90, 20), Rgb(clBlack));
        // Without an outline nothing at all is drawn, not even the background.
        s.SetDetLevel(0);
        img = RenderElement(&s);
        QCOMPARE(Px(img, 20, 50), kSentinel);
        QCOMPARE(Px(img, 0, 0), kSentinel);
        QCOMPARE(TP().beeps, 0);
    }

    // The outline's setters repaint at once; K1..K3 and ConfigName only store.
    void setters() {
        TShownWindow w;
        TSkat* s = w.Show(new TSkat, QRect(10, 10, 100, 100));
        PaintCounter paints(s);
        s->SetDetLevel(10);
        s->SetK1(5);
        s->SetK2(6);
        s->SetK3(7);
        s->SetConfigName("other.INI");
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QCOMPARE(s->GetK3(), 7.0);
        s->SetTopWidth(50);
        QCOMPARE(paints.count, 1);
        QCOMPARE(s->Outline().first(), QPointF(50, 100));
        s->SetTransparent(true);
        QCOMPARE(paints.count, 2);
        s->Brush()->SetColor(clBlue);
        QCOMPARE(paints.count, 3);
        QCOMPARE(Px(RenderElement(s), 80, 50), Rgb(clBlue));
    }

    // Pulling the outline in by an absurd pen ends the paint with one beep.
    void absurdPen() {
        TSkat s;
        s.Pen()->SetWidth(INT_MIN);
        RenderElement(&s);
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstSkat)
#include "tst_skat.moc"
