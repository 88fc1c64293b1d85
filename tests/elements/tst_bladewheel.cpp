#include "Bladewheel.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <climits>

class TstBladeWheel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TBladeWheel b;
        QCOMPARE(b.GetBladeCount(), 10);
        QCOMPARE(b.Brush()->GetColor(), clWhite);
        QVERIFY(b.GetCircleMode());
        QCOMPARE(b.GetAlpha(), 0);
        QVERIFY(!b.GetTransparent());
    }

    void bladeRows_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("circle");
        QTest::addColumn<int>("alpha");
        QTest::addColumn<QList<int>>("rows");
        // Front half of the drum: the blade at 90 degrees on the top edge,
        // then down and crowding towards the bottom edge (270 degrees: y = H).
        QTest::newRow("drum, alpha 90") << 2 << true << 90 << QList<int>{0, 100, 50};
        QTest::newRow("drum, alpha 0") << 2 << true << 0 << QList<int>{50, 0, 100};
        QTest::newRow("drum, 3 blades, alpha 30") << 3 << true << 30 << QList<int>{25, 0, 100, 75};
        // Belt: evenly spaced by H / count from H - alpha / 360 * H upwards; a
        // line more than H above the top comes back 2 H lower.
        QTest::newRow("belt, alpha 0") << 4 << false << 0 << QList<int>{100, 75, 50, 25, 0};
        // A line exactly H above the top stays there.
        QTest::newRow("belt, alpha 90") << 4 << false << 90 << QList<int>{75, 50, 25, 0};
        QTest::newRow("belt, alpha 450") << 4 << false << 450 << QList<int>{75, 50, 25, 0};
        QTest::newRow("belt, alpha 100") << 4 << false << 100 << QList<int>{72, 47, 22, 97};
        QTest::newRow("belt, alpha -90") << 4 << false << -90 << QList<int>{100, 75, 50, 25, 0};
        QTest::newRow("no blades") << 0 << true << 0 << QList<int>{};
        QTest::newRow("negative count") << -5 << false << 0 << QList<int>{};
    }
    void bladeRows() {
        QFETCH(int, count);
        QFETCH(bool, circle);
        QFETCH(int, alpha);
        QFETCH(QList<int>, rows);
        QCOMPARE(TBladeWheel::BladeRows(100, count, circle, alpha), rows);
    }

    // Any blade count draws at once; beyond the cap the lines cover every row anyway.
    void hugeBladeCount() {
        for (bool circle : {true, false}) {
            const QList<int> rows = TBladeWheel::BladeRows(41, INT_MAX, circle, 7);
            QVERIFY(rows.size() <= 2 * TBladeWheel::kMaxDrawnBlades);
            for (int y = circle ? 1 : 0; y < 41; ++y)
                QVERIFY2(rows.contains(y), qPrintable(QString::number(y)));
        }
    }

    void picture() {
        TBladeWheel b;
        b.resize(60, 40);
        b.SetAlpha(90);
        b.BladePen()->SetColor(clRed);
        QImage img = RenderElement(&b);
        QCOMPARE(Px(img, 30, 0), Rgb(clRed));  // the blade on the top edge
        QCOMPARE(Px(img, 30, 20), Rgb(clRed)); // the one across the middle
        QCOMPARE(Px(img, 30, 10), Rgb(clWhite));
        QCOMPARE(Px(img, 0, 10), Rgb(clBlack)); // the frame
        // Transparent: the lines straight onto the element, nothing between them.
        b.SetTransparent(true);
        img = RenderElement(&b);
        QCOMPARE(Px(img, 30, 20), Rgb(clRed));
        QCOMPARE(Px(img, 30, 10), kSentinel);
        QCOMPARE(Px(img, 0, 10), kSentinel);
    }

    // A change marks the picture and asks for one later repaint; a paint without
    // a change only copies it.
    void changesRedrawOnce() {
        TShownWindow w;
        TBladeWheel* b = w.Show(new TBladeWheel, QRect(10, 10, 60, 40));
        QVERIFY(!b->RedrawNeeded());
        PaintCounter paints(b);
        b->SetAlpha(0);
        b->SetBladeCount(10);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        b->SetAlpha(5);
        QVERIFY(b->RedrawNeeded());
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        QVERIFY(!b->RedrawNeeded());
        b->BladePen()->SetWidth(2);
        QVERIFY(b->RedrawNeeded());
        QTRY_COMPARE(paints.count, 2);
    }
};

ORDAL_TEST_MAIN(TstBladeWheel)
#include "tst_bladewheel.moc"
