#include "ShownElement.h"
#include "TestSupport.h"
#include "Valve.h"

#include <climits>

class TstValve : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TValve v;
        QCOMPARE(v.size(), QSize(40, 40));
        QCOMPARE(v.Pen()->GetColor(), clYellow);
        QCOMPARE(v.Brush()->GetColor(), clRed);
        QVERIFY(!v.GetVertMode());
    }

    void corners_data() {
        QTest::addColumn<bool>("vertMode");
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<QPolygon>("corners");
        QTest::newRow("upright, pen 1")
            << true << 1 << QPolygon({QPoint(1, 1), QPoint(39, 1), QPoint(1, 39), QPoint(39, 39)});
        QTest::newRow("level, pen 1")
            << false << 1 << QPolygon({QPoint(1, 1), QPoint(1, 39), QPoint(39, 1), QPoint(39, 39)});
        QTest::newRow("level, pen 3")
            << false << 3 << QPolygon({QPoint(3, 3), QPoint(3, 37), QPoint(37, 3), QPoint(37, 37)});
    }
    void corners() {
        QFETCH(bool, vertMode);
        QFETCH(int, penWidth);
        QFETCH(QPolygon, corners);
        QCOMPARE(TValve::Corners(40, 40, penWidth, vertMode), corners);
    }

    // Level: the triangles lie left and right, the middle of the top edge is
    // free; upright the other way round.
    void bowTie() {
        TValve v;
        QImage img = RenderElement(&v);
        QCOMPARE(Px(img, 8, 20), Rgb(clRed));
        QCOMPARE(Px(img, 32, 20), Rgb(clRed));
        QCOMPARE(Px(img, 20, 8), kSentinel);
        QCOMPARE(Px(img, 1, 20), Rgb(clYellow)); // the outline
        v.SetVertMode(true);
        img = RenderElement(&v);
        QCOMPARE(Px(img, 20, 8), Rgb(clRed));
        QCOMPARE(Px(img, 20, 32), Rgb(clRed));
        QCOMPARE(Px(img, 8, 20), kSentinel);
    }

    // A graphic element: a change repaints before the setter returns, no change none.
    void settersRepaintAtOnce() {
        TShownWindow w;
        TValve* v = w.Show(new TValve, QRect(10, 10, 40, 40));
        PaintCounter paints(v);
        v->SetVertMode(false);
        TPen same;
        same.SetColor(clYellow);
        v->SetPen(&same);
        QCOMPARE(paints.count, 0);
        v->SetVertMode(true);
        QCOMPARE(paints.count, 1);
        TBrush blue;
        blue.SetColor(clBlue);
        v->SetBrush(&blue);
        QCOMPARE(paints.count, 2);
        QVERIFY(v->Brush() != &blue);
        QCOMPARE(Px(RenderElement(v), 20, 8), Rgb(clBlue));
    }

    // A pen width beyond any bounds ends the paint with one beep, not in an
    // overflow of the corners.
    void absurdPen() {
        TValve v;
        v.Pen()->SetWidth(INT_MIN);
        QVERIFY_THROWS_EXCEPTION(EDrawError, TValve::Corners(40, 40, INT_MIN, false));
        RenderElement(&v);
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstValve)
#include "tst_valve.moc"
