#include "Anitrans.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"

#include <climits>
#include <cmath>

class TFormBelts : public QWidget {
    Q_OBJECT
};

namespace {

constexpr double kPi = 3.14159265358979323846;

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

int CountOf(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += Px(img, x, y) == colour;
    return n;
}

// Where the pixels of a colour lie: the sum of their x (for a centroid) and their box.
struct Spread {
    int count = 0;
    double sumX = 0;
    QRect box;
};
Spread SpreadOf(const QImage& img, QRgb colour) {
    Spread s;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Px(img, x, y) == colour) {
                ++s.count;
                s.sumX += x;
                s.box |= QRect(x, y, 1, 1);
            }
    return s;
}

} // namespace

class TstAniTrans : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    // AniTrans_coal of the scheme: 206 x 66, Rk 8.
    TAniTrans* Shown(int w = 206, int h = 66) {
        auto* a = new TAniTrans(window_);
        a->setObjectName("AniTrans_coal");
        a->SetBounds(10, 10, w, h);
        a->SetRk(8);
        a->SetCoalColor(clPurple);
        PaintCounter first(a);
        a->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("conveyor was not painted after show");
        QCoreApplication::processEvents();
        a->removeEventFilter(&first);
        return a;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(300, 300);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaults() {
        TAniTrans a;
        QCOMPARE(a.size(), QSize(100, 100));
        QCOMPARE(a.GetVirtW(), 50.0);
        QCOMPARE(a.GetVirtH(), 60.0);
        QCOMPARE(QPointF(a.GetX1(), a.GetY1()), QPointF(15, 15));
        QCOMPARE(QPointF(a.GetX2(), a.GetY2()), QPointF(35, 45));
        QCOMPARE(a.GetR(), 5.0);
        QCOMPARE(a.GetIntR(), 3.0);
        QCOMPARE(a.GetRk(), 3.0);
        QCOMPARE(a.GetScoopLH(), 2.0);
        QCOMPARE(a.GetScoopCount(), 6);
        QCOMPARE(a.GetPosition(), 0.0);
        QCOMPARE(a.Pen()->GetColor(), clRed);
        QCOMPARE(a.Brush()->GetColor(), clYellow);
        QCOMPARE(a.IntPen()->GetColor(), clBlue);
        QCOMPARE(ColorToQColor(a.IntBrush()->GetColor()), QColor(0xF0, 0xFB, 0xFF));
        QCOMPARE(a.ScoopPen()->GetColor(), clSilver);
        QCOMPARE(a.GetBladeCount(), 0);
        QCOMPARE(a.BladePen()->GetColor(), clSilver);
        QCOMPARE(a.GetBackColor(), clBlack);
        QVERIFY(!a.GetShowScoops());
        QVERIFY(!a.GetShowCoal());
        QCOMPARE(a.GetCoalColor(), clTeal);
        QVERIFY(a.GetCoalBitmap().isNull());
        QCOMPARE(a.GetCoalMin(), 0.0);
        QCOMPARE(a.GetCoalMax(), 0.5);
        QVERIFY(!a.GetXFlip());
    }

    void rotatePoint() {
        const QPointF p = TAniTrans::RotatePoint(QPointF(1, 0), kPi / 2);
        QVERIFY(std::abs(p.x()) < 1e-12);
        QVERIFY(std::abs(p.y() - 1) < 1e-12);
        QCOMPARE(TAniTrans::RotatePoint(QPointF(2, 3), 0), QPointF(2, 3));
    }

    // The loop of the default pulleys on the scheme's bounds.
    void region() {
        TAniTrans* a = Shown();
        RenderElement(a);
        const auto& g = a->Geometry();
        QVERIFY(std::abs(g.k - 67.0 / 60) < 1e-12);
        QVERIFY(std::abs(g.D - std::sqrt(1300.0)) < 1e-12);
        QVERIFY(std::abs(g.Lp - 2 * (std::sqrt(1300.0) + 5 * kPi)) < 1e-12);
        QCOMPARE(g.b1, g.D);
        QVERIFY(std::abs(g.b2 - (g.D + 5 * kPi)) < 1e-12);
        QVERIFY(std::abs(g.b3 - (g.Lp - 5 * kPi)) < 1e-12);
        QVERIFY(std::abs(g.spacing - g.Lp / 6) < 1e-12);
        // The upper run lies on the upper left of the line of centres.
        QVERIFY(g.T1.x() < 15 && g.T1.y() > 15);
        QVERIFY(std::abs(std::hypot(g.T2.x() - 35, g.T2.y() - 45) - 5) < 1e-12);
        QCOMPARE(a->XtoS(0), 0);
        QCOMPARE(a->YtoS(0), 66);
    }

    // Place and turn of a carrier in each section of the loop.
    void carriers_data() {
        QTest::addColumn<double>("part"); // where in its section: 0 ... 1
        QTest::addColumn<int>("section"); // 0 upper run, 1 turn at pulley 2, 2 lower run, 3 turn at pulley 1
        QTest::addColumn<double>("angle");
        QTest::newRow("start of the upper run") << 0.0 << 0 << kPi;
        QTest::newRow("upper run") << 0.5 << 0 << kPi;
        QTest::newRow("a third round pulley 2") << 1.0 / 3 << 1 << kPi / 2;
        QTest::newRow("end of the turn at pulley 2") << 1.0 << 1 << -kPi / 2;
        QTest::newRow("lower run") << 0.5 << 2 << -kPi / 2;
        QTest::newRow("half round pulley 1") << 0.5 << 3 << -3 * kPi / 4;
    }
    void carriers() {
        QFETCH(double, part);
        QFETCH(int, section);
        QFETCH(double, angle);
        TAniTrans* a = Shown();
        RenderElement(a);
        const auto& g = a->Geometry();
        const double bounds[] = {0, g.b1, g.b2, g.b3, g.Lp};
        const double dist = bounds[section] + part * (bounds[section + 1] - bounds[section]);
        QPointF pivot;
        double turned = 0;
        QVERIFY(a->CarrierAt(dist, pivot, turned));
        QVERIFY2(std::abs(turned - angle) < 1e-9, qPrintable(QString::number(turned)));
        // The pivot always lies on the belt: on a run or at radius R round a pulley.
        const double r1 = std::hypot(pivot.x() - 15, pivot.y() - 15);
        const double r2 = std::hypot(pivot.x() - 35, pivot.y() - 45);
        if (section == 1)
            QVERIFY(std::abs(r2 - 5) < 1e-9);
        if (section == 3)
            QVERIFY(std::abs(r1 - 5) < 1e-9);
        if (section == 0 && part == 0)
            QVERIFY(std::abs(pivot.x() - g.T1.x()) < 1e-12 && std::abs(pivot.y() - g.T1.y()) < 1e-12);
        QPointF none;
        QVERIFY(!a->CarrierAt(-0.1, none, turned));
    }

    // 206 x 66: k = min(207/50, 67/60) = 1.1167; with Rk 8 the heap without
    // buckets has s = 9: 18 px wide, its top 11 px above the pivot.
    void schemeHeap() {
        TAniTrans* a = Shown();
        a->SetBackColor(clWhite);
        a->SetShowCoal(true);
        a->SetScoopCount(1);
        RenderElement(a);
        // The one carrier halfway along the upper run, away from the pulleys.
        a->SetPosition(100 * (a->Geometry().b1 / 2) / a->Geometry().Lp);
        const QImage img = RenderElement(a);
        QPointF pivot;
        double angle = 0;
        QVERIFY(a->CarrierAt(a->CarrierDistance(0), pivot, angle));
        const int px = a->XtoS(pivot.x()), py = a->YtoS(pivot.y());
        QCOMPARE(std::lround(8 * a->Geometry().k), 9L);
        // Bottom edge from px - 9 to px + 9 in the black pen.
        QCOMPARE(Px(img, px - 9, py - 1), Rgb(clBlack));
        QCOMPARE(Px(img, px + 9, py - 1), Rgb(clBlack));
        QCOMPARE(Px(img, px - 10, py - 1), Rgb(clWhite));
        QCOMPARE(Px(img, px + 10, py - 1), Rgb(clWhite));
        QCOMPARE(Px(img, px, py - 5), Rgb(clPurple));
        // The top: 11 px above the pivot (the tip's pixel may sit one column aside).
        int top = py;
        for (int y = py - 14; y < py && top == py; ++y)
            for (int x = px - 1; x <= px + 1; ++x)
                if (Px(img, x, y) == Rgb(clBlack))
                    top = y;
        QCOMPARE(top, py - 11);
        QCOMPARE(CountOf(img, Rgb(clSilver)), 0); // no pivot circles when only coal is shown
    }

    // Coal rides only on the upper run and the first third of the turn round
    // pulley 2; with neither buckets nor coal only the small pivot circles go round.
    void whatTravels_data() {
        QTest::addColumn<bool>("scoops");
        QTest::addColumn<bool>("coal");
        QTest::addColumn<bool>("circles");
        QTest::addColumn<bool>("hasCoal");
        QTest::newRow("neither") << false << false << true << false;
        QTest::newRow("coal only") << false << true << false << true;
        QTest::newRow("buckets only") << true << false << true << false;
        QTest::newRow("buckets with coal") << true << true << true << true;
    }
    void whatTravels() {
        QFETCH(bool, scoops);
        QFETCH(bool, coal);
        QFETCH(bool, circles);
        QFETCH(bool, hasCoal);
        TAniTrans* a = Shown();
        a->SetShowScoops(scoops);
        a->SetShowCoal(coal);
        const QImage img = RenderElement(a);
        QCOMPARE(CountOf(img, Rgb(clSilver)) > 0, circles);
        QCOMPARE(CountOf(img, Rgb(clPurple)) > 0, hasCoal);
    }

    void coalOnlyOnTheLoadedPart() {
        TAniTrans* a = Shown();
        a->SetShowCoal(true);
        a->SetScoopCount(1);
        RenderElement(a);
        const auto g = a->Geometry();
        auto coalAt = [&](double dist) {
            a->SetPosition(100 * dist / g.Lp);
            return CountOf(RenderElement(a), Rgb(clPurple)) > 0;
        };
        QVERIFY(coalAt(g.b1 / 2));
        QVERIFY(coalAt(g.b1 + (g.b2 - g.b1) / 4));
        QVERIFY(!coalAt(g.b1 + (g.b2 - g.b1) / 2));
        QVERIFY(!coalAt((g.b2 + g.b3) / 2));
        QVERIFY(!coalAt((g.b3 + g.Lp) / 2));
    }

    // Position 0 and 100 put the carriers in the same places; only spokes,
    // turning by -s0 / R, stand differently.
    void fullTurnOfTheBelt() {
        TAniTrans* a = Shown();
        a->SetShowScoops(true);
        a->SetShowCoal(true);
        const QImage at0 = RenderElement(a);
        RenderElement(a);
        const double lp = a->Geometry().Lp;
        QList<double> before;
        for (int i = 0; i < 6; ++i)
            before << a->CarrierDistance(i);
        a->SetPosition(100);
        const QImage at100 = RenderElement(a);
        for (int i = 0; i < 6; ++i)
            QVERIFY(std::abs(a->CarrierDistance(i) - before[i]) < 1e-9 * lp);
        QCOMPARE(at100, at0);

        a->SetBladeCount(3);
        a->SetPosition(0);
        const QImage spokes0 = RenderElement(a);
        a->SetPosition(100);
        QVERIFY(RenderElement(a) != spokes0);
    }

    void noCarriers() {
        TAniTrans* a = Shown();
        a->SetScoopCount(0);
        const QImage at0 = RenderElement(a);
        a->SetPosition(37);
        QCOMPARE(RenderElement(a), at0);
        QCOMPARE(CountOf(at0, Rgb(clSilver)), 0);
        QVERIFY(CountOf(at0, Rgb(clYellow)) > 0); // pulleys
        QVERIFY(CountOf(at0, Rgb(clRed)) > 0);    // belt
    }

    void xFlipMirrors() {
        TAniTrans* a = Shown();
        a->SetShowCoal(true);
        const QImage plain = RenderElement(a);
        a->SetXFlip(true);
        const QImage flipped = RenderElement(a);
        QCOMPARE(a->XtoS(0), 206);
        const Spread p = SpreadOf(plain, Rgb(clYellow)), f = SpreadOf(flipped, Rgb(clYellow));
        QVERIFY(std::abs(f.count - p.count) <= 3); // rounding half to even is not symmetric
        QVERIFY(std::abs(f.sumX / f.count - (206 - p.sumX / p.count)) < 1.5);
        const Spread pc = SpreadOf(plain, Rgb(clPurple)), fc = SpreadOf(flipped, Rgb(clPurple));
        // The heaps keep their size.
        QVERIFY(std::abs(fc.count - pc.count) <= 3);
        QCOMPARE(fc.box.height(), pc.box.height());
    }

    void tooSmallCollapsesIntoACorner_data() {
        QTest::addColumn<bool>("flip");
        QTest::newRow("bottom left") << false;
        QTest::newRow("bottom right with XFlip") << true;
    }
    void tooSmallCollapsesIntoACorner() {
        QFETCH(bool, flip);
        TAniTrans* a = Shown(9, 40);
        a->SetXFlip(flip);
        const QImage img = RenderElement(a);
        QCOMPARE(a->Geometry().k, 0.0);
        QCOMPARE(TP().beeps, 0);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (Px(img, x, y) != Rgb(clBlack)) {
                    QVERIFY2(y >= 33, qPrintable(QString("pixel at %1, %2").arg(x).arg(y)));
                    QVERIFY(flip ? x >= 2 : x <= 6);
                }
    }

    // Geometry that divides by zero: one beep per paint, the last picture stays.
    void impossibleGeometry_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("blades");
        QTest::newRow("pulleys in one place") << QByteArray("X2") << QVariant(15.0) << 0;
        QTest::newRow("zero radius, spokes") << QByteArray("R") << QVariant(0.0) << 4;
    }
    void impossibleGeometry() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(int, blades);
        TAniTrans* a = Shown();
        a->SetBladeCount(blades);
        a->SetY2(15);
        const QImage before = RenderElement(a);
        QVERIFY(a->setProperty(property, value));
        QCOMPARE(RenderElement(a), before);
        QCOMPARE(TP().beeps, 1);
        QVERIFY(a->setProperty(property, 5.0)); // usable again
        RenderElement(a);
        QCOMPARE(TP().beeps, 1);
    }

    void zeroRadiusWithoutSpokesDraws() {
        TAniTrans* a = Shown();
        a->SetR(0);
        a->SetShowCoal(true);
        RenderElement(a);
        QCOMPARE(TP().beeps, 0);
    }

    void hugePositionNeitherHangsNorFails() {
        TAniTrans* a = Shown();
        a->SetShowCoal(true);
        a->SetPosition(1e15);
        RenderElement(a);
        for (int i = 0; i < 6; ++i) {
            const double d = a->CarrierDistance(i);
            QVERIFY(d >= 0 && d < a->Geometry().Lp);
        }
        QCOMPARE(TP().beeps, 0);
    }

    // Blade and carrier counts from a layout beyond what can be told apart are
    // drawn as the most that can (evenly spread), not one by one for ever.
    void absurdCounts_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("most");
        QTest::newRow("blades") << QByteArray("BladeCount") << TAniTrans::kMaxDrawnBlades;
        QTest::newRow("carriers") << QByteArray("ScoopCount") << TAniTrans::kMaxDrawnScoops;
    }
    void absurdCounts() {
        QFETCH(QByteArray, property);
        QFETCH(int, most);
        TAniTrans* a = Shown();
        a->SetShowCoal(true);
        QVERIFY(a->setProperty(property, most));
        const QImage drawn = RenderElement(a);
        QVERIFY(a->setProperty(property, INT_MAX));
        QCOMPARE(RenderElement(a), drawn);
        QCOMPARE(TP().beeps, 0);
    }

    // Every setter asks for a later repaint when the value changes, none when it is the same.
    void settersRepaintLaterOnlyOnChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        const char* doubles[] = {"VirtW", "VirtH", "X1",      "Y1",       "X2",      "Y2",     "R",
                                 "IntR",  "Rk",    "ScoopLH", "Position", "CoalMin", "CoalMax"};
        for (const char* d : doubles)
            QTest::newRow(d) << QByteArray(d) << QVariant(7.25);
        QTest::newRow("ScoopCount") << QByteArray("ScoopCount") << QVariant(4);
        QTest::newRow("BladeCount") << QByteArray("BladeCount") << QVariant(3);
        QTest::newRow("BackColor") << QByteArray("BackColor") << QVariant(int(clNavy));
        QTest::newRow("CoalColor") << QByteArray("CoalColor") << QVariant(int(clTeal));
        QTest::newRow("ShowScoops") << QByteArray("ShowScoops") << QVariant(true);
        QTest::newRow("ShowCoal") << QByteArray("ShowCoal") << QVariant(true);
        QTest::newRow("XFlip") << QByteArray("XFlip") << QVariant(true);
        QImage pattern(4, 4, QImage::Format_RGB32);
        pattern.fill(Qt::green);
        QTest::newRow("CoalBitmap") << QByteArray("CoalBitmap") << QVariant(pattern);
    }
    void settersRepaintLaterOnlyOnChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TAniTrans* a = Shown();
        PaintCounter paints(a);
        QVERIFY(a->setProperty(property, a->property(property)));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(a->setProperty(property, value));
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(a->property(property), value);
    }

    void pensAndBrushesAreCopied() {
        TAniTrans* a = Shown();
        PaintCounter paints(a);
        TPen silver;
        silver.SetColor(clSilver);
        a->SetBladePen(&silver); // an equal pen: nothing to redraw
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        TPen lime;
        lime.SetColor(clLime);
        a->SetScoopPen(&lime);
        QVERIFY(a->ScoopPen() != &lime);
        QCOMPARE(a->ScoopPen()->GetColor(), clLime);
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(CountOf(RenderElement(a), Rgb(clLime)) > 0, true);
        TBrush navy;
        navy.SetColor(clNavy);
        a->SetIntBrush(&navy);
        QCOMPARE(a->IntBrush()->GetColor(), clNavy);
        QTRY_VERIFY(paints.count >= 2);
    }

    void coalPattern() {
        TAniTrans* a = Shown();
        a->SetShowCoal(true);
        QImage pattern(2, 2, QImage::Format_RGB32);
        pattern.fill(Qt::green);
        a->SetCoalBitmap(pattern);
        QImage img = RenderElement(a);
        QVERIFY(CountOf(img, qRgb(0, 255, 0)) > 0);
        QCOMPARE(CountOf(img, Rgb(clPurple)), 0);
        // A 1 x 1 bitmap is no pattern: the solid colour again.
        a->SetCoalBitmap(pattern.copy(0, 0, 1, 1));
        img = RenderElement(a);
        QCOMPARE(CountOf(img, qRgb(0, 255, 0)), 0);
        QVERIFY(CountOf(img, Rgb(clPurple)) > 0);
    }

    void fromLayout() {
        TFormBelts form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormBelts: TFormBelts
  object AniTrans_coal: TAniTrans
    Left = 14
    Top = 309
    Width = 206
    Height = 66
    CoalColor = clPurple
    CoalMax = 0.500000000000000000
    Rk = 8.000000000000000000
    Position = 57.000000000000000000
    ScoopPen.Color = clWhite
  end
end
)",
                                              "FormBelts.layout");
        auto* a = layout.Get<TAniTrans>("AniTrans_coal");
        QCOMPARE(a->GetPosition(), 57.0);
        QCOMPARE(a->GetRk(), 8.0);
        QCOMPARE(a->GetCoalColor(), clPurple);
        QCOMPARE(a->ScoopPen()->GetColor(), clWhite);
    }
};

ORDAL_TEST_MAIN(TstAniTrans)
#include "tst_anitrans.moc"
