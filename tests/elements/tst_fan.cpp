#include "Fan.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <climits>

class TstFan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TFan f;
        QCOMPARE(f.CircleBrush()->GetColor(), clAqua);
        QCOMPARE(f.CirclePen()->GetColor(), clYellow);
        QCOMPARE(f.GetRotorColor(), clBlack);
        QCOMPARE(f.GetBladeCount(), 3);
        QCOMPARE(f.GetRotorAlpha(), 0);
        QCOMPARE(f.GetBladeWidth(), 10);
        QCOMPARE(f.GetBladeLength(), 98);
        QCOMPARE(f.GetEdgeLength(), 20);
    }

    void limits_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("BladeCount 40") << QByteArray("BladeCount") << 40 << 32;
        QTest::newRow("BladeCount -1") << QByteArray("BladeCount") << -1 << 0;
        QTest::newRow("BladeCount huge") << QByteArray("BladeCount") << INT_MAX << 32;
        QTest::newRow("EdgeLength 0") << QByteArray("EdgeLength") << 0 << 1;
        QTest::newRow("EdgeLength 95") << QByteArray("EdgeLength") << 95 << 90;
        QTest::newRow("BladeWidth 0") << QByteArray("BladeWidth") << 0 << 1;
        QTest::newRow("BladeWidth 101") << QByteArray("BladeWidth") << 101 << 100;
        QTest::newRow("BladeLength -7") << QByteArray("BladeLength") << -7 << 1;
        QTest::newRow("BladeLength INT_MIN") << QByteArray("BladeLength") << INT_MIN << 1;
        QTest::newRow("RotorAlpha is not limited") << QByteArray("RotorAlpha") << 1000 << 1000;
    }
    void limits() {
        QFETCH(QByteArray, property);
        QFETCH(int, value);
        QFETCH(int, stored);
        TFan f;
        QVERIFY(f.setProperty(property, value));
        QCOMPARE(f.property(property).toInt(), stored);
    }

    // 100 x 100: a blade 49 long (98 % of half the width), 10 wide, its tip
    // starting at 39.2; the first blade points right, at 90 degrees up.
    void blades() {
        QList<QPolygon> b = TFan::Blades(100, 100, 3, 0, 10, 98, 20);
        QCOMPARE(b.size(), qsizetype(3));
        QCOMPARE(b[0],
                 QPolygon({QPoint(50, 45), QPoint(89, 45), QPoint(99, 50), QPoint(89, 55), QPoint(50, 55)}));
        b = TFan::Blades(100, 100, 4, 90, 10, 98, 20);
        QCOMPARE(b[0][2], QPoint(50, 1));
        QCOMPARE(b[1][2], QPoint(1, 50)); // counter-clockwise on the screen
        QVERIFY(TFan::Blades(100, 100, 0, 0, 10, 98, 20).isEmpty());
    }

    void picture() {
        TFan f;
        f.resize(100, 100);
        QImage img = RenderElement(&f);
        QCOMPARE(Px(img, 75, 50), Rgb(clBlack)); // a blade, in the rotor's colour
        QCOMPARE(Px(img, 50, 20), Rgb(clAqua));  // the disc between blades
        QCOMPARE(Px(img, 50, 0), Rgb(clYellow)); // its outline
        QCOMPARE(Px(img, 1, 1), Rgb(clBtnFace)); // the panel around the disc
        f.SetBladeCount(0);                      // only the disc
        img = RenderElement(&f);
        QCOMPARE(Px(img, 75, 50), Rgb(clAqua));
    }

    // Every setter marks the picture and asks for one later repaint.
    void changesRedrawOnce() {
        TShownWindow w;
        TFan* f = w.Show(new TFan, QRect(10, 10, 100, 100));
        PaintCounter paints(f);
        f->SetBladeCount(40);
        QTRY_COMPARE(paints.count, 1);
        f->SetBladeCount(50); // stored as 32 again: no change
        f->SetRotorAlpha(0);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 1);
        QVERIFY(!f->RedrawNeeded());
        f->SetRotorAlpha(45);
        QVERIFY(f->RedrawNeeded());
        QTRY_COMPARE(paints.count, 2);
    }
};

ORDAL_TEST_MAIN(TstFan)
#include "tst_fan.moc"
