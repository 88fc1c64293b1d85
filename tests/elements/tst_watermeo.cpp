#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Watermeo.h"

#include <climits>
#include <limits>

// The window a layout names first.
class TFormGauges : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

} // namespace

class TstWaterMEO : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TWaterMEO* Shown(int w, int h) {
        auto* g = new TWaterMEO(window_);
        g->SetBounds(10, 10, w, h);
        g->SetScaleH(20);
        g->SetEdgeLength(10);
        g->SetArrowWidth(3);
        g->Pen()->SetColor(clYellow);
        PaintCounter first(g);
        g->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("gauge was not painted after show");
        QCoreApplication::processEvents();
        g->removeEventFilter(&first);
        return g;
    }
    // WaterMEO_VODA1 of the scheme.
    TWaterMEO* Voda1() {
        TWaterMEO* g = Shown(66, 110);
        g->setObjectName("WaterMEO_VODA1");
        g->SetVerticalFlag(true);
        g->Brush()->SetColor(clAqua);
        g->SetPosition(45);
        return g;
    }
    // WaterMEO_DSUS of the scheme.
    TWaterMEO* Dsus() {
        TWaterMEO* g = Shown(136, 51);
        g->setObjectName("WaterMEO_DSUS");
        g->Brush()->SetColor(clRed);
        g->WaterBrush()->SetColor(clBlue);
        g->SetArrowColor(clWhite);
        g->SetPosition(85);
        return g;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(300, 200);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaults() {
        TWaterMEO g;
        QCOMPARE(g.size(), QSize(80, 40));
        QCOMPARE(g.WaterBrush()->GetColor(), clWhite);
        QCOMPARE(g.WaterBrush()->GetStyle(), bsSolid);
        QCOMPARE(g.Brush()->GetColor(), clWhite);
        QCOMPARE(g.ScalePen()->GetColor(), clBlack);
        QCOMPARE(g.ScalePen()->GetWidth(), 1);
        QCOMPARE(g.Pen()->GetColor(), clBlack);
        QCOMPARE(g.Pen()->GetWidth(), 1);
        QCOMPARE(g.GetArrowColor(), clBlack);
        QCOMPARE(g.GetMin(), 0.0);
        QCOMPARE(g.GetMax(), 100.0);
        QCOMPARE(g.GetScaleStep(), 10.0);
        QCOMPARE(g.GetPosition(), 20.0);
        QCOMPARE(g.GetScaleH(), 20);
        QVERIFY(!g.GetInvertScale());
        QCOMPARE(g.GetEdgeLength(), 5);
        QCOMPARE(g.GetArrowWidth(), 2);
        QCOMPARE(g.GetEdgeAngle(), 60);
        QVERIFY(!g.GetVerticalFlag());
        QVERIFY(!g.GetXFlip());
        QCOMPARE(g.MeoLength(), 16.0); // 20 % of 80 pixels
    }

    void tickValues_data() {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("step");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("defaults") << 0.0 << 100.0 << 10.0
                                  << QList<double>{10, 20, 30, 40, 50, 60, 70, 80, 90};
        QTest::newRow("step 30") << 0.0 << 100.0 << 30.0 << QList<double>{30, 60, 90};
        QTest::newRow("step 25, none at the end") << 0.0 << 100.0 << 25.0 << QList<double>{25, 50, 75};
        QTest::newRow("max equals min") << 50.0 << 50.0 << 10.0 << QList<double>{};
        QTest::newRow("max below min") << 100.0 << 0.0 << 10.0 << QList<double>{};
        QTest::newRow("step zero") << 0.0 << 100.0 << 0.0 << QList<double>{};
        QTest::newRow("step negative") << 0.0 << 100.0 << -10.0 << QList<double>{};
        QTest::newRow("step not a number")
            << 0.0 << 100.0 << std::numeric_limits<double>::quiet_NaN() << QList<double>{};
    }
    void tickValues() {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, step);
        QFETCH(QList<double>, ticks);
        QCOMPARE(TWaterMEO::TickValues(min, max, step), ticks);
    }

    // Sizes, pens and positions far beyond the pixel grid end the paint with a
    // beep instead of overflowing on the way (the sanitizer build halts on any
    // overflow); the gauge draws again once the value is sane.
    void absurdValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("good");
        QTest::newRow("wide pen") << QByteArray("Pen.Width") << QVariant(INT_MAX) << QVariant(1);
        QTest::newRow("wide scale pen") << QByteArray("ScalePen.Width") << QVariant(INT_MIN) << QVariant(1);
        QTest::newRow("long ticks") << QByteArray("ScaleH") << QVariant(INT_MIN) << QVariant(20);
        QTest::newRow("wide arrow") << QByteArray("ArrowWidth") << QVariant(INT_MAX) << QVariant(3);
        QTest::newRow("long edge") << QByteArray("EdgeLength") << QVariant(INT_MAX) << QVariant(10);
        QTest::newRow("far position") << QByteArray("Position") << QVariant(1e15) << QVariant(85.0);
        QTest::newRow("tiny range") << QByteArray("Max") << QVariant(1e-300) << QVariant(100.0);
    }
    void absurdValues() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QVariant, good);
        TWaterMEO* g = Dsus();
        auto set = [&](const QVariant& v) {
            if (property == "Pen.Width")
                g->Pen()->SetWidth(v.toInt());
            else if (property == "ScalePen.Width")
                g->ScalePen()->SetWidth(v.toInt());
            else
                QVERIFY(g->setProperty(property, v));
        };
        const QImage before = RenderElement(g);
        set(value);
        RenderElement(g);
        g->SetPosition(-1e15); // the changed stretch is computed too
        g->SetPosition(40);
        RenderElement(g);
        set(good);
        g->SetPosition(85);
        QCOMPARE(RenderElement(g), before);
    }

    // A step far too small for the range, or one that no longer moves v, ends the loop.
    void tinyStepsEnd() {
        QCOMPARE(TWaterMEO::TickValues(0, 100, 1e-12).size(), qsizetype(TWaterMEO::kMaxTicks));
        QCOMPARE(TWaterMEO::TickValues(1e20, 2e20, 1).size(), qsizetype(1));
        TWaterMEO* g = Shown(80, 40);
        g->SetScaleStep(1e-12); // paints at once, and returns
        QCOMPARE(TP().beeps, 0);
    }

    void posToScreen() {
        TWaterMEO g;
        g.resize(136, 51);
        QCOMPARE(g.PosToScreen(85), 115.6);
        QCOMPARE(g.PosToScreen(150), 204.0); // not clamped
        QCOMPARE(g.PosToScreen(-50), -68.0);
        g.SetVerticalFlag(true);
        QCOMPARE(g.PosToScreen(50), 25.5);
        g.SetMax(0);
        QCOMPARE(g.PosToScreen(50), 0.0);
        g.SetMin(10);
        g.SetMax(20);
        QCOMPARE(g.PosToScreen(15), 25.5);
    }

    // Vertical, Position 45 of 110 pixels: m = 49; WaterBrush above, Brush below.
    void schemeVoda1() {
        TWaterMEO* g = Voda1();
        const QImage img = RenderElement(g);
        QCOMPARE(Px(img, 30, 20), Rgb(clWhite)); // WaterBrush up to the position
        QCOMPARE(Px(img, 30, 46), Rgb(clWhite));
        QCOMPARE(Px(img, 30, 80), Rgb(clAqua));  // Brush from the position down
        QCOMPARE(Px(img, 0, 80), Rgb(clYellow)); // one-pixel frame in the pen's colour
        QCOMPARE(Px(img, 1, 80), Rgb(clAqua));
        QCOMPARE(Px(img, 30, 0), Rgb(clYellow));
        QCOMPARE(Px(img, 30, 109), Rgb(clYellow));
        // Ticks at trunc(1.1 v) from the right edge, 20 pixels long.
        QCOMPARE(Px(img, 50, 22), Rgb(clBlack));
        QCOMPARE(Px(img, 45, 22), Rgb(clBlack));
        QCOMPARE(Px(img, 44, 22), Rgb(clWhite));
        QCOMPARE(Px(img, 50, 88), Rgb(clBlack));
        QCOMPARE(Px(img, 50, 90), Rgb(clAqua));
        // Pointer: a 3-pixel line from x = 3 at row 49, the head's tip at the right edge.
        QCOMPARE(Px(img, 20, 49), Rgb(clBlack));
        QCOMPARE(Px(img, 20, 52), Rgb(clAqua));
        QCOMPARE(Px(img, 64, 49), Rgb(clBlack));
        QCOMPARE(Px(img, 56, 43), Rgb(clBlack)); // head base from row 43 (hw = 5.77) ...
        QCOMPARE(Px(img, 56, 54), Rgb(clBlack)); // ... to row 54
        QCOMPARE(Px(img, 57, 57), Rgb(clAqua));
    }

    // Horizontal, Position 85 of 136 pixels: m = 115.
    void schemeDsus() {
        TWaterMEO* g = Dsus();
        const QImage img = RenderElement(g);
        QCOMPARE(Px(img, 60, 15), Rgb(clBlue));  // WaterBrush part (0, 0)-(115, 51)
        QCOMPARE(Px(img, 125, 15), Rgb(clRed));  // Brush part (115, 0)-(136, 51)
        QCOMPARE(Px(img, 0, 15), Rgb(clYellow)); // both outlined with the pen
        QCOMPARE(Px(img, 135, 15), Rgb(clYellow));
        QCOMPARE(Px(img, 60, 50), Rgb(clYellow));
        QCOMPARE(Px(img, 54, 40), Rgb(clBlack)); // tick of 40 at x = 54, from the bottom edge up
        QCOMPARE(Px(img, 54, 20), Rgb(clBlue));
        QCOMPARE(Px(img, 115, 20), Rgb(clWhite)); // the pointer
        QCOMPARE(Px(img, 115, 48), Rgb(clWhite)); // its head
        QCOMPARE(Px(img, 110, 42), Rgb(clWhite));
        QCOMPARE(Px(img, 119, 42), Rgb(clWhite));
        QCOMPARE(Px(img, 106, 42), Rgb(clBlue));
    }

    void positions_data() {
        QTest::addColumn<double>("position");
        QTest::addColumn<TColor>("left");  // colour near the start of the bar
        QTest::addColumn<TColor>("right"); // colour near its end
        QTest::newRow("at Min: all Brush") << 0.0 << TColor(clRed) << TColor(clRed);
        QTest::newRow("beyond Max: all WaterBrush") << 150.0 << TColor(clBlue) << TColor(clBlue);
        QTest::newRow("below Min: all Brush") << -20.0 << TColor(clRed) << TColor(clRed);
    }
    void positions() {
        QFETCH(double, position);
        QFETCH(TColor, left);
        QFETCH(TColor, right);
        TWaterMEO* g = Dsus();
        g->SetPosition(position);
        const QImage img = RenderElement(g);
        QCOMPARE(Px(img, 5, 15), Rgb(left));
        QCOMPARE(Px(img, 130, 15), Rgb(right));
        QCOMPARE(TP().beeps, 0);
    }

    void invertedScale() {
        TWaterMEO* g = Voda1();
        g->SetInvertScale(true);
        QImage img = RenderElement(g);
        QCOMPARE(Px(img, 10, 22), Rgb(clBlack)); // ticks from the left edge
        QCOMPARE(Px(img, 50, 22), Rgb(clWhite));
        QCOMPARE(Px(img, 1, 49), Rgb(clBlack)); // head tip at the left edge
        QCOMPARE(Px(img, 9, 45), Rgb(clBlack));

        TWaterMEO* d = Dsus();
        d->SetInvertScale(true);
        img = RenderElement(d);
        QCOMPARE(Px(img, 54, 10), Rgb(clBlack)); // ticks from the top edge down
        QCOMPARE(Px(img, 54, 40), Rgb(clBlue));
        QCOMPARE(Px(img, 115, 2), Rgb(clWhite)); // head at the top
    }

    void scalarSettersRepaintAtOnce_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("Position") << QByteArray("Position") << QVariant(33.0);
        QTest::newRow("Min") << QByteArray("Min") << QVariant(-10.0);
        QTest::newRow("Max") << QByteArray("Max") << QVariant(90.0);
        QTest::newRow("ScaleStep") << QByteArray("ScaleStep") << QVariant(5.0);
        QTest::newRow("ArrowColor") << QByteArray("ArrowColor") << QVariant(int(clRed));
        QTest::newRow("ScaleH") << QByteArray("ScaleH") << QVariant(7);
        QTest::newRow("InvertScale") << QByteArray("InvertScale") << QVariant(true);
        QTest::newRow("EdgeLength") << QByteArray("EdgeLength") << QVariant(4);
        QTest::newRow("ArrowWidth") << QByteArray("ArrowWidth") << QVariant(1);
        QTest::newRow("EdgeAngle") << QByteArray("EdgeAngle") << QVariant(90);
        QTest::newRow("VerticalFlag") << QByteArray("VerticalFlag") << QVariant(true);
    }
    void scalarSettersRepaintAtOnce() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TWaterMEO* g = Shown(80, 40);
        PaintCounter paints(g);
        QVERIFY(g->setProperty(property, g->property(property)));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(g->setProperty(property, value));
        QCOMPARE(paints.count, 1);
        QCOMPARE(g->property(property), value);
    }

    void xFlipRepaintsLater() {
        TWaterMEO* g = Shown(80, 40);
        PaintCounter paints(g);
        g->SetXFlip(false);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        g->SetXFlip(true);
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
    }

    void brushesAndPensAreCopied() {
        TWaterMEO* g = Shown(80, 40);
        PaintCounter paints(g);
        TBrush white;
        g->SetBrush(&white); // same settings
        g->SetWaterBrush(g->WaterBrush());
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        TBrush red;
        red.SetColor(clRed);
        g->SetWaterBrush(&red);
        QCOMPARE(paints.count, 1); // at once
        QVERIFY(g->WaterBrush() != &red);
        QCOMPARE(g->WaterBrush()->GetColor(), clRed);
        TPen blue;
        blue.SetColor(clBlue);
        g->SetScalePen(&blue);
        QCOMPARE(paints.count, 2);
        g->SetPen(&blue);
        QCOMPARE(paints.count, 3);
        QVERIFY(g->Pen()->SameAs(blue));
        // The scheme colours the owned brush itself: a later repaint.
        g->Brush()->SetColor(clLime);
        QTRY_COMPARE(paints.count, 4);
    }

    // Geometry that does not fit the pixel grid ends the paint with one beep
    // before anything is drawn.
    void badGeometryBeeps_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("head opened to 180 degrees") << QByteArray("EdgeAngle") << QVariant(180);
        QTest::newRow("position not a number")
            << QByteArray("Position") << QVariant(std::numeric_limits<double>::quiet_NaN());
        QTest::newRow("position far outside") << QByteArray("Position") << QVariant(1e300);
    }
    void badGeometryBeeps() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TWaterMEO* g = Dsus();
        const QVariant good = g->property(property);
        TP().Reset();
        QVERIFY(g->setProperty(property, value));
        QCOMPARE(TP().beeps, 1);
        const QImage img = RenderElement(g);
        QCOMPARE(TP().beeps, 2);
        QCOMPARE(Px(img, 60, 15), kSentinel); // nothing half-drawn
        QVERIFY(g->setProperty(property, good));
        QCOMPARE(Px(RenderElement(g), 60, 15), Rgb(clBlue));
        QCOMPARE(TP().beeps, 2);
    }

    void fromLayout() {
        TFormGauges form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormGauges: TFormGauges
  object WaterMEO_VODA1: TWaterMEO
    Left = 178
    Top = 80
    Width = 66
    Height = 110
    Brush.Color = clAqua
    Pen.Color = clYellow
    Max = 100.000000000000000000
    ScaleStep = 10.000000000000000000
    Position = 45.000000000000000000
    ScaleH = 20
    EdgeLength = 10
    ArrowWidth = 3
    VerticalFlag = True
  end
  object WaterMEO_DSUS: TWaterMEO
    Left = 600
    Top = 634
    Width = 136
    Height = 51
    Brush.Color = clRed
    WaterBrush.Color = clBlue
    ArrowColor = clWhite
    Pen.Color = clYellow
    Max = 100.000000000000000000
    ScaleStep = 10.000000000000000000
    Position = 85.000000000000000000
    ScaleH = 20
    EdgeLength = 10
    ArrowWidth = 3
  end
end
)",
                                              "FormGauges.layout");
        auto* v = layout.Get<TWaterMEO>("WaterMEO_VODA1");
        QCOMPARE(v->geometry(), QRect(178, 80, 66, 110));
        QVERIFY(v->GetVerticalFlag());
        QCOMPARE(v->MeoLength(), 49.5);
        QCOMPARE(Px(RenderElement(v), 30, 80), Rgb(clAqua));
        auto* d = layout.Get<TWaterMEO>("WaterMEO_DSUS");
        QCOMPARE(d->GetArrowColor(), clWhite);
        QCOMPARE(d->WaterBrush()->GetColor(), clBlue);
        QCOMPARE(d->property("MeoLength").toDouble(), 115.6);
        QCOMPARE(Px(RenderElement(d), 115, 20), Rgb(clWhite));
        QCOMPARE(QString(d->metaObject()->className()), QString("TWaterMEO"));
    }
};

ORDAL_TEST_MAIN(TstWaterMEO)
#include "tst_watermeo.moc"
