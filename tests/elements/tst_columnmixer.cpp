#include "Columnmixer.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <cmath>
#include <limits>

namespace {

TBall Ball(double x, double y, double r, int kind = TBall::kCoal) {
    TBall b;
    b.x = x;
    b.y = y;
    b.r = r;
    b.kind = kind;
    return b;
}

// Distance of a point from the flask's sloping wall of the default column:
// y = 0.5 x + 50, positive on the flask's side.
double AboveWall(const TBall& b) {
    return (b.y - 0.5 * b.x - 50) / std::hypot(0.5, 1.0);
}

} // namespace

class TstColumnMixer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TColumnMixer m;
        QCOMPARE(m.BackBrush()->GetColor(), clBlack);
        QCOMPARE(m.WaterBrush()->GetColor(), clYellow);
        QCOMPARE(m.GetFlakeTop(), 80.0);
        QCOMPARE(m.Pen()->GetColor(), clRed);
        QCOMPARE(m.GetFlakeBottom(), 60.0);
        QCOMPARE(m.GetConusTop(), 30.0);
        QCOMPARE(m.GetNeckTop(), 10.0);
        QCOMPARE(m.GetFlakeWidth(), 25.0);
        QCOMPARE(m.GetConusWidth(), 40.0);
        QVERIFY(!m.GetXFlip());
        QCOMPARE(m.GetConusLeft(), 20.0);
        QCOMPARE(m.GetNeckWidth(), 10.0);
        QCOMPARE(m.GetWaterLevel(), 65.0);
        QCOMPARE(m.GetFCoalColor(), clBlack);
        QCOMPARE(m.GetRockColor(), clSilver);
        QCOMPARE(m.GetAirVX(), 0.0);
        QCOMPARE(m.GetAirVY(), -2.0);
        QCOMPARE(m.GetWaterVX(), 0.0);
        QCOMPARE(m.GetWaterVY(), -1.0);
        QCOMPARE(m.GetSpeedK(), 0.0);
        QCOMPARE(m.GetWaterSpeedK(), 0.7);
        QCOMPARE(m.GetBallCount(), 0);
    }

    // The default column on 100 x 100: the neck from 35 to 45, the column from
    // 20 to 60; points of 100 % lie a pen's width inside.
    void column() {
        TColumnMixer m;
        m.resize(100, 100);
        const TColumnMixer::Geometry g = m.Compute();
        QCOMPARE(g.column, QPolygon({QPoint(35, 99), QPoint(35, 90), QPoint(20, 70), QPoint(20, 40),
                                     QPoint(0, 40), QPoint(0, 0), QPoint(99, 0), QPoint(60, 20),
                                     QPoint(60, 70), QPoint(45, 90), QPoint(45, 99)}));
        QCOMPARE(g.liquid,
                 QPolygon({QPoint(0, 35), QPoint(60, 35), QPoint(60, 70), QPoint(45, 90), QPoint(45, 99),
                           QPoint(35, 99), QPoint(35, 90), QPoint(20, 70), QPoint(20, 40), QPoint(0, 40)}));
        m.SetXFlip(true);
        QCOMPARE(m.Compute().column[0], QPoint(65, 99));
        QCOMPARE(m.Compute().column[6], QPoint(0, 0));
    }

    void liquidLevels_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<QPolygon>("liquid");
        QTest::addColumn<QRect>("fill");
        QTest::newRow("under 1: none") << 0.5 << QPolygon() << QRect();
        QTest::newRow("in the neck: a fill") << 5.0 << QPolygon() << QRect(35, 95, 10, 4);
        QTest::newRow("in the cone") << 20.0
                                     << QPolygon({QPoint(27, 80), QPoint(52, 80), QPoint(45, 90),
                                                  QPoint(45, 99), QPoint(35, 99), QPoint(35, 90)})
                                     << QRect();
        QTest::newRow("in the column")
            << 50.0
            << QPolygon({QPoint(20, 50), QPoint(60, 50), QPoint(60, 70), QPoint(45, 90), QPoint(45, 99),
                         QPoint(35, 99), QPoint(35, 90), QPoint(20, 70)})
            << QRect();
        QTest::newRow("never above FlakeTop")
            << 95.0
            << QPolygon({QPoint(0, 20), QPoint(60, 20), QPoint(60, 70), QPoint(45, 90), QPoint(45, 99),
                         QPoint(35, 99), QPoint(35, 90), QPoint(20, 70), QPoint(20, 40), QPoint(0, 40)})
            << QRect();
    }
    void liquidLevels() {
        QFETCH(double, level);
        QFETCH(QPolygon, liquid);
        QFETCH(QRect, fill);
        TColumnMixer m;
        m.resize(100, 100);
        m.SetWaterLevel(level);
        const TColumnMixer::Geometry g = m.Compute();
        QCOMPARE(g.liquid, liquid);
        QCOMPARE(g.liquidFill, fill);
    }

    // With SpeedK 0 nothing moves, though the velocities keep growing.
    void speedZero() {
        TColumnMixer m;
        TBall air = Ball(30, 90, 2), water = Ball(40, 50, 2);
        m.AddBall(&air);
        m.AddBall(&water);
        for (int i = 0; i < 3; ++i)
            QVERIFY(m.NextStep());
        QCOMPARE(m.Ball(0).x, 30.0);
        QCOMPARE(m.Ball(0).y, 90.0);
        QCOMPARE(m.Ball(0).vy, -6.0);
        QCOMPARE(m.Ball(1).y, 50.0);
        // In the column the medium's drag follows each gain: ((-1 * .7 - 1) * .7 - 1) * .7.
        QCOMPARE(m.Ball(1).vy, ((-0.7 - 1) * 0.7 - 1) * 0.7);
    }

    void motion() {
        TColumnMixer m;
        m.SetSpeedK(1);
        TBall through = Ball(40, 33, 2);
        through.vy = -2;
        TBall wall = Ball(22, 50, 3);
        wall.vx = -5;
        m.AddBall(&through);
        m.AddBall(&wall);
        m.NextStep();
        QCOMPARE(m.GetBallCount(), 1); // the first fell out through the cone
        const TBall& b = m.Ball(0);
        QCOMPARE(b.x, 24.0); // turned back off the column's wall: ConusLeft + r + 1
        QCOMPARE(b.vx, 3.5);
        QCOMPARE(b.y, 49.0);
    }

    // Against the flask's sloping wall the velocity keeps its size and turns
    // along the line from the wall to the particle, and a particle nearer than
    // r is put at the distance r on the flask's side, even from beyond the wall.
    void flaskWall_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("intoFlask"); // the velocity's way afterwards
        QTest::newRow("touching") << 80.0 << 92.0 << true;
        QTest::newRow("on the wall") << 80.0 << 90.0 << true;
        QTest::newRow("beyond it") << 80.0 << 89.0 << false;
    }
    void flaskWall() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(bool, intoFlask);
        TColumnMixer m;
        m.SetAirVY(0);
        TBall b = Ball(x, y, 3);
        b.vx = 2;
        m.AddBall(&b);
        m.NextStep();
        const TBall& a = m.Ball(0);
        QVERIFY(std::isfinite(a.x) && std::isfinite(a.y));
        QCOMPARE(std::hypot(a.vx, a.vy), 2.0);
        QCOMPARE(a.vx < 0 && a.vy > 0, intoFlask);
        QVERIFY(std::abs(AboveWall(a) - 3) < 1e-9);
    }

    void extremeValues() {
        TColumnMixer m;
        m.SetSpeedK(std::numeric_limits<double>::infinity());
        TBall b = Ball(30, 90, 2);
        m.AddBall(&b);
        m.NextStep();
        QCOMPARE(m.GetBallCount(), 0);
        // A degenerate flask (its wall has no slope) leaves the particle be.
        m.SetSpeedK(0);
        m.SetConusWidth(80);
        m.AddBall(&b);
        m.NextStep();
        QCOMPARE(m.Ball(0).x, 30.0);
    }

    void picture() {
        TColumnMixer m;
        m.resize(100, 100);
        TBall coal = Ball(40, 50, 3), rock = Ball(30, 90, 3, TBall::kRock), other = Ball(70, 90, 3, 7);
        m.AddBall(&coal);
        m.AddBall(&rock);
        m.AddBall(&other);
        const QImage img = RenderElement(&m);
        QCOMPARE(Px(img, 50, 45), Rgb(clYellow));  // liquid
        QCOMPARE(Px(img, 10, 10), Rgb(clBlack));   // the empty flask
        QCOMPARE(Px(img, 10, 60), Rgb(clBtnFace)); // beside the column: the panel
        QCOMPARE(Px(img, 40, 50), Rgb(clBlack));   // the coal
        QCOMPARE(Px(img, 30, 10), Rgb(clSilver));  // the rock
        QCOMPARE(Px(img, 70, 10), Rgb(clRed));     // any other kind
        QCOMPARE(Px(img, 70, 7), Rgb(clAqua));     // with an aqua rim
        QCOMPARE(Px(img, 35, 95), Rgb(clRed));     // the neck's outline
    }

    // A step requests no repaint; every paint draws the whole picture.
    void repaints() {
        TShownWindow w;
        TColumnMixer* m = w.Show(new TColumnMixer, QRect(10, 10, 100, 100));
        PaintCounter paints(m);
        TBall b = Ball(40, 50, 3);
        m->AddBall(&b);
        m->SetSpeedK(1);
        QTRY_COMPARE(paints.count, 1);
        m->NextStep();
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 1);
        m->SetFlakeWidth(50); // only stored
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 1);
        QVERIFY(m->RedrawNeeded());
        QCOMPARE(Px(RenderElement(m), 40, 51), Rgb(clBlack)); // drawn where the step put it
    }
};

ORDAL_TEST_MAIN(TstColumnMixer)
#include "tst_columnmixer.moc"
