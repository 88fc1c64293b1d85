#include "Mixer.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <climits>

class TstMixer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TMixer m;
        QCOMPARE(m.GetRotorCenterTop(), 30);
        QCOMPARE(m.GetRotorR1(), 5.0);
        QCOMPARE(m.GetRotorR2(), 25.0);
        QCOMPARE(m.GetBeta(), 30.0);
        QCOMPARE(m.GetAlpha(), 0);
        QCOMPARE(m.GetWaterLevel(), 80.0);
        QCOMPARE(m.GetWallBottomR(), 5.0);
        QCOMPARE(m.Pen()->GetColor(), clBlack);
        QCOMPARE(m.Brush()->GetColor(), clWhite);
        QCOMPARE(m.GetWaterColor(), clAqua);
        QCOMPARE(m.RotorPen()->GetColor(), clBlack);
        QCOMPARE(m.GetBladeCount(), 4);
    }

    // Alpha 90, four blades: the first points straight up from the hub.
    void rotor() {
        TMixer m;
        m.resize(100, 100);
        m.SetAlpha(90);
        const TMixer::Geometry g = m.Compute();
        QCOMPARE(g.hub, QPoint(50, 70));
        QCOMPARE(g.hubBox, QRect(QPoint(45, 65), QPoint(55, 75)));
        QCOMPARE(g.blades.size(), qsizetype(4));
        QCOMPARE(g.blades[0].spoke, QLine(50, 70, 50, 45));
        QCOMPARE(g.blades[0].tip[2], QPoint(50, 45));
        QCOMPARE(g.blades[1].spoke.p2(), QPoint(25, 70)); // counter-clockwise: left
        QCOMPARE(g.blades[0].tip[0].x() < 50, true);      // the tip spans across the blade
    }

    void picture() {
        TMixer m;
        m.resize(100, 100);
        m.RotorPen()->SetColor(clRed);
        const QImage img = RenderElement(&m);
        QCOMPARE(Px(img, 20, 50), Rgb(clAqua));  // the liquid, flood-filled
        QCOMPARE(Px(img, 10, 97), Rgb(clAqua));  // down into the rounded corner
        QCOMPARE(Px(img, 20, 20), Rgb(clAqua));  // the surface line
        QCOMPARE(Px(img, 20, 10), Rgb(clWhite)); // above it
        QCOMPARE(Px(img, 0, 50), Rgb(clBlack));  // the wall
        QCOMPARE(Px(img, 50, 70), Rgb(clRed));   // the hub
        QCOMPARE(Px(img, 60, 70), Rgb(clRed));   // the first blade, to the right
    }

    // A liquid of the background's colour cannot be flood-filled: the picture is
    // drawn all the same. Blade counts of any size draw at once.
    void extremeValues() {
        TMixer m;
        m.resize(100, 100);
        m.SetWaterColor(clWhite);
        QCOMPARE(Px(RenderElement(&m), 20, 50), Rgb(clWhite));
        m.SetBladeCount(INT_MAX);
        QCOMPARE(m.Compute().blades.size(), qsizetype(TMixer::kMaxDrawnBlades));
        RenderElement(&m);
        m.SetBladeCount(0);
        QVERIFY(m.Compute().blades.isEmpty());
        m.SetBladeCount(-4);
        QVERIFY(m.Compute().blades.isEmpty());
        m.SetWaterLevel(-50); // the surface under the tank: the start of the fill outside it
        RenderElement(&m);
        QCOMPARE(TP().beeps, 0);
    }

    void redrawOnlyWhenChanged() {
        TShownWindow w;
        TMixer* m = w.Show(new TMixer, QRect(10, 10, 100, 100));
        PaintCounter paints(m);
        m->SetAlpha(0);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(!m->RedrawNeeded());
        m->SetAlpha(10);
        QVERIFY(m->RedrawNeeded());
        QTRY_COMPARE(paints.count, 1);
        QVERIFY(!m->RedrawNeeded());
    }

    // Corners beyond the pixel grid end the paint with one beep.
    void absurdTank() {
        TMixer m;
        m.resize(100, 100);
        m.SetWallBottomR(1.5e9); // twice the radius is beyond an int
        RenderElement(&m);
        QCOMPARE(TP().beeps, 1);
        m.SetWallBottomR(5);
        m.Pen()->SetWidth(INT_MIN); // half of it still fits: drawn far away, no beep
        RenderElement(&m);
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstMixer)
#include "tst_mixer.moc"
