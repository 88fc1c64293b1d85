#include "Flake.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <QFile>

class TstFlake : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TFlake f;
        QCOMPARE(f.Pen()->GetColor(), clRed);
        QCOMPARE(f.WaterBrush()->GetColor(), clYellow);
        QCOMPARE(f.GetWaterLevel(), 10.0);
        QCOMPARE(f.GetX2(), 70.0);
        QCOMPARE(f.GetBottomWidth(), 50.0);
        QCOMPARE(f.GetY2(), 90.0);
        QVERIFY(!f.GetXFlip());
        QVERIFY(!f.GetTransparent());
        QCOMPARE(f.BackBrush()->GetColor(), clBlack);
        QCOMPARE(f.GetWaterBrushFile(), QString());
    }

    void geometry_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<bool>("xFlip");
        QTest::addColumn<QPolygon>("liquid");
        // Below the step: the surface meets the sloping wall at 50 + 20 * 10 / 90.
        QTest::newRow("low") << 10.0 << false
                             << QPolygon({QPoint(0, 99), QPoint(0, 90), QPoint(52, 90), QPoint(50, 99)});
        QTest::newRow("above the step") << 95.0 << false
                                        << QPolygon({QPoint(0, 99), QPoint(0, 5), QPoint(99, 5),
                                                     QPoint(99, 10), QPoint(70, 10), QPoint(50, 99)});
        QTest::newRow("mirrored") << 10.0 << true
                                  << QPolygon(
                                         {QPoint(99, 99), QPoint(99, 90), QPoint(47, 90), QPoint(50, 99)});
    }
    void geometry() {
        QFETCH(double, level);
        QFETCH(bool, xFlip);
        QFETCH(QPolygon, liquid);
        TFlake f;
        f.resize(100, 100);
        f.SetWaterLevel(level);
        f.SetXFlip(xFlip);
        const TFlake::Geometry g = f.Compute();
        QCOMPARE(g.liquid, liquid);
        if (!xFlip)
            QCOMPARE(g.body, QPolygon({QPoint(0, 99), QPoint(0, 0), QPoint(99, 0), QPoint(99, 10),
                                       QPoint(70, 10), QPoint(50, 99)}));
    }

    void picture() {
        TFlake f;
        f.resize(100, 100);
        f.SetColor(clNavy);
        f.SetWaterLevel(50);
        QImage img = RenderElement(&f);
        QCOMPARE(Px(img, 20, 80), Rgb(clYellow)); // liquid
        QCOMPARE(Px(img, 20, 20), Rgb(clBlack));  // the empty tank
        QCOMPARE(Px(img, 90, 60), Rgb(clNavy));   // under the step, outside the tank
        f.SetTransparent(true);
        img = RenderElement(&f);
        QCOMPARE(Px(img, 90, 60), kSentinel);
        QCOMPARE(Px(img, 20, 80), Rgb(clYellow));
        // A step on the very bottom leaves no slope: still a picture, no beep.
        f.SetY2(0);
        f.SetWaterLevel(0);
        RenderElement(&f);
        QCOMPARE(TP().beeps, 0);
    }

    // A picture file fills the liquid; a file that cannot be read beeps once
    // per new name and the liquid keeps its previous fill.
    void waterBrushFile() {
        QImage pattern(4, 4, QImage::Format_RGB32);
        pattern.fill(QColor(0, 128, 0));
        QVERIFY(pattern.save("green.bmp", "BMP"));
        TShownWindow w;
        auto* f = new TFlake;
        f->SetWaterLevel(50);
        w.Show(f, QRect(10, 10, 100, 100));
        PaintCounter paints(f);
        f->SetWaterBrushFile(".\\green.bmp");
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0); // storing the name repaints nothing
        QCOMPARE(Px(RenderElement(f), 20, 80), Rgb(clGreen));
        QVERIFY(!f->WaterPattern().isNull());

        f->SetWaterBrushFile("missing.bmp");
        QImage img = RenderElement(f);
        RenderElement(f);
        QCOMPARE(TP().beeps, 1);
        QCOMPARE(Px(img, 20, 80), Rgb(clGreen)); // the previous fill
        QFile junk("junk.bmp");
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM not a picture");
        junk.close();
        f->SetWaterBrushFile("junk.bmp");
        RenderElement(f);
        QCOMPARE(TP().beeps, 2);
        // Copying a plain brush takes its plain fill.
        TBrush blue;
        blue.SetColor(clBlue);
        f->SetWaterBrush(&blue);
        QCOMPARE(Px(RenderElement(f), 20, 80), Rgb(clBlue));
        QCOMPARE(TP().beeps, 2);
    }
};

ORDAL_TEST_MAIN(TstFlake)
#include "tst_flake.moc"
