#include "Layout.h"
#include "NumText.h"
#include "Separator.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <climits>
#include <cmath>
#include <limits>

// The window a layout names first.
class TFormBath : public QWidget {
    Q_OBJECT
};

namespace {

TBall Ball(double x, double y, double r, int kind = TBall::kCoal) {
    TBall b;
    b.x = x;
    b.y = y;
    b.r = r;
    b.kind = kind;
    return b;
}

// A bath of 100 x 100 (one percent is one pixel) whose steps give every
// particle exactly its own velocity (WaterK and OwnK 1), so that a test can
// tell where a step takes it.
void Plain(TSeparator& s) {
    s.resize(100, 100);
    s.SetWaterK(1);
    s.SetOwnK(1);
}

bool AllFinite(const TSeparator& s) {
    for (const TBall& b : s.Balls())
        if (!std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.vx) || !std::isfinite(b.vy))
            return false;
    return true;
}

} // namespace

class TstSeparator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TSeparator s;
        QCOMPARE(s.GetWaterColor(), clBlue);
        QVERIFY(!s.GetTransparent());
        QVERIFY(!s.GetShowClosedLoop());
        QCOMPARE(s.GetBackWallColor(), clYellow);
        QCOMPARE(s.GetBackWallTop(), 10.0);
        QCOMPARE(s.GetBackWallWidth(), 3.0);
        QCOMPARE(s.GetBathHeight(), 75.0);
        QCOMPARE(s.GetBathBottomWidth(), 80.0);
        QCOMPARE(s.GetGridHeight(), 20.0);
        QCOMPARE(s.GetGridCount(), 10);
        QCOMPARE(s.GetGridSpace(), 40.0);
        QCOMPARE(s.WallPen()->GetColor(), clBlack);
        QCOMPARE(s.WallPen()->GetWidth(), 1);
        QCOMPARE(s.GetBathSubH(), 0.0);
        QCOMPARE(s.GetBathWidth(), 80.0);
        QCOMPARE(s.GridPen()->GetColor(), clBlack);
        QCOMPARE(s.GetWaterVx(), 3.0);
        QCOMPARE(s.GetWaterVy(), 0.0);
        QCOMPARE(s.GetSpeedK(), 1.0);
        QCOMPARE(s.GetRockColor(), clSilver);
        QCOMPARE(s.GetCoalColor(), clBlack);
        QCOMPARE(s.GetBubbleColor(), clWhite);
        QCOMPARE(s.GetWaterK(), 7.0);
        QCOMPARE(s.GetOwnK(), 3.0);
        QCOMPARE(s.GetBallCount(), 0);
        QVERIFY(!s.GetNextSeparator());
        QCOMPARE(s.GetBackColor(), clSilver);
        QCOMPARE(s.GetWaterLevel(), 1.0);
        QCOMPARE(s.GetColor(), clBlack);
    }

    void averageVal_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("target");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("result");
        QTest::newRow("n 0: the target") << 5.0 << 9.0 << 0 << 9.0;
        QTest::newRow("n negative: the target") << 5.0 << 9.0 << -3 << 9.0;
        QTest::newRow("n 7 from 0 to 7") << 0.0 << 7.0 << 7 << 1.0;
        QTest::newRow("n 1: the target") << 3.0 << -2.0 << 1 << -2.0;
        QTest::newRow("n 2: halfway") << 4.0 << 0.0 << 2 << 2.0;
    }
    void averageVal() {
        QFETCH(double, v);
        QFETCH(double, target);
        QFETCH(int, n);
        QFETCH(double, result);
        QCOMPARE(TSeparator::AverageVal(v, target, n), result);
    }

    void ballList() {
        TSeparator s;
        QVERIFY(!s.AddBall(nullptr));
        TBall b = Ball(10, 5, 3);
        QVERIFY(s.AddBall(&b));
        b.x = 99; // the bath keeps its own copy
        QCOMPARE(s.Ball(0).x, 10.0);
        // Writing the count changes nothing.
        QVERIFY(s.setProperty("BallCount", 7));
        QCOMPARE(s.property("BallCount").toInt(), 1);
        QVERIFY(!s.DeleteBall(1));
        QVERIFY(!s.DeleteBall(-1));
        QVERIFY(s.DeleteBall(0));
        QCOMPARE(s.GetBallCount(), 0);
        // The cap: a full bath takes no more.
        for (int i = 0; i < TBallList::kMaxBalls; ++i)
            QVERIFY(s.AddBall(&b));
        QVERIFY(!s.AddBall(&b));
        QCOMPARE(s.GetBallCount(), TBallList::kMaxBalls);
    }

    // A particle past the right edge goes to the chained bath at x - 100.
    void leavesIntoTheNextBath() {
        TSeparator a, next;
        Plain(a);
        a.SetSpeedK(0);
        TBall b = Ball(101, 5, 1, TBall::kRock);
        b.ownVx = 2;
        a.AddBall(&b);
        a.SetNextSeparator(&next);
        QVERIFY(a.NextStep());
        QCOMPARE(a.GetBallCount(), 0);
        QCOMPARE(next.GetBallCount(), 1);
        QCOMPARE(next.Ball(0).x, 1.0);
        QCOMPARE(next.Ball(0).y, 5.0);
        QCOMPARE(next.Ball(0).kind, int(TBall::kRock));
        QCOMPARE(next.Ball(0).vx, 2.0);
        // Without a next bath it is only gone; so is one below the bottom.
        a.SetNextSeparator(nullptr);
        a.AddBall(&b);
        TBall low = Ball(50, 101, 1);
        a.AddBall(&low);
        a.NextStep();
        QCOMPARE(a.GetBallCount(), 0);
        QCOMPARE(next.GetBallCount(), 1);
    }

    // A bath that is destroyed ends the chain; nothing dangles.
    void destroyedNextBath() {
        TSeparator a;
        Plain(a);
        a.SetSpeedK(0);
        {
            TSeparator next;
            a.SetNextSeparator(&next);
        }
        QVERIFY(!a.GetNextSeparator());
        TBall b = Ball(101, 5, 1);
        a.AddBall(&b);
        a.NextStep();
        QCOMPARE(a.GetBallCount(), 0);
    }

    // Chains that come back: each particle moves once per step, however the
    // baths are linked, and the particles are neither lost nor multiplied.
    void chainsThatLoopBack() {
        TSeparator a, b;
        Plain(a);
        Plain(b);
        a.SetSpeedK(0);
        a.SetNextSeparator(&a);
        TBall far = Ball(1e6, 5, 1);
        a.AddBall(&far);
        a.NextStep();
        QCOMPARE(a.GetBallCount(), 1);
        QCOMPARE(a.Ball(0).x, 1e6 - 100); // moved on once, not a million times
        a.NextStep();
        QCOMPARE(a.Ball(0).x, 1e6 - 200);

        // A to B and back to A, every particle leaving on every step.
        a.DeleteBall(0);
        a.SetSpeedK(1);
        b.SetSpeedK(1);
        a.SetNextSeparator(&b);
        b.SetNextSeparator(&a);
        for (int i = 0; i < 10; ++i) {
            TBall fast = Ball(50, 5, 1);
            fast.ownVx = 150;
            a.AddBall(&fast);
        }
        for (int step = 0; step < 20; ++step) {
            a.NextStep();
            b.NextStep();
            QCOMPARE(a.GetBallCount() + b.GetBallCount(), 10);
        }
    }

    void surface() {
        TSeparator s;
        Plain(s);
        s.SetSpeedK(0);
        TBall bubble = Ball(30, 1, 2, TBall::kBubble);
        TBall coal = Ball(40, 1, 3, TBall::kCoal);
        coal.ownVy = -2;
        s.AddBall(&bubble);
        s.AddBall(&coal);
        s.NextStep();
        QCOMPARE(s.GetBallCount(), 1); // the bubble burst
        QCOMPARE(s.Ball(0).kind, int(TBall::kCoal));
        QCOMPARE(s.Ball(0).y, 3.0); // floating at y = r
        QCOMPARE(s.Ball(0).vy, 0.0);
    }

    // Falling onto the grid: coal rebounds with half its speed, the rest with 1/1.3.
    void gridRebound_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("vy");
        QTest::newRow("coal") << int(TBall::kCoal) << -1.5;
        QTest::newRow("rock") << int(TBall::kRock) << -3 / 1.3;
        QTest::newRow("bubble") << int(TBall::kBubble) << -3 / 1.3;
    }
    void gridRebound() {
        QFETCH(int, kind);
        QFETCH(double, vy);
        TSeparator s;
        Plain(s);
        TBall b = Ball(30, 15, 4, kind);
        b.ownVy = 3;
        s.AddBall(&b);
        s.NextStep();
        QCOMPARE(s.Ball(0).vy, vy);
        QCOMPARE(s.Ball(0).y, 16.0); // on the grid: GridHeight - r
        QCOMPARE(s.Ball(0).x, 30.0);
    }

    // The back wall: a particle whose centre is above the wall's top is put on
    // it; one below the top is turned back at the face.
    void backWall() {
        TSeparator s;
        Plain(s);
        s.SetSpeedK(0);
        TBall over = Ball(96, 9, 2);
        over.ownVx = 1;
        over.ownVy = 3;
        TBall against = Ball(96, 50, 2);
        against.ownVx = 1;
        s.AddBall(&over);
        s.AddBall(&against);
        s.NextStep();
        QCOMPARE(s.Ball(0).y, 8.0);   // BackWallTop - r
        QCOMPARE(s.Ball(0).vy, -2.5); // reversed, five sixths
        QCOMPARE(s.Ball(0).vx, -1.0); // its left edge lies left of the face
        QCOMPARE(s.Ball(1).x, 95.0);  // against the face: 100 - 3 - r
        QCOMPARE(s.Ball(1).vx, -1.0);
    }

    // Two particles of one layer 6 pixels apart with radii 5 part by half the
    // overlap each; the first takes half the difference of their speeds, the
    // other is pushed on. Other layers pass through each other.
    void collision() {
        TSeparator s;
        Plain(s);
        TBall a = Ball(50, 50, 5), b = Ball(56, 50, 5);
        b.vx = 4;
        s.AddBall(&a);
        s.AddBall(&b);
        s.CollisionControl(0);
        QCOMPARE(s.Ball(0).vx, 2.0);
        QCOMPARE(s.Ball(0).x, 48.0);
        QCOMPARE(s.Ball(1).x, 58.0);
        QCOMPARE(s.Ball(1).vx, 6.0);
        s.CollisionControl(5); // outside the list: nothing
        TBall other = Ball(48, 50, 5);
        other.layer = 1;
        s.AddBall(&other);
        s.CollisionControl(2);
        QCOMPARE(s.Ball(2).x, 48.0);
        QCOMPARE(s.Ball(0).x, 48.0);
    }

    // Particles on one spot have no line between them: they part sideways
    // instead of becoming numbers that are not numbers.
    void collisionOnOneSpot() {
        TSeparator s;
        Plain(s);
        TBall a = Ball(50, 50, 5);
        s.AddBall(&a);
        s.AddBall(&a);
        s.CollisionControl(0);
        QVERIFY(AllFinite(s));
        QCOMPARE(s.Ball(0).x, 45.0);
        QCOMPARE(s.Ball(1).x, 55.0);
        // A full bath of particles on one spot: one bounded step, nothing lost
        // to arithmetic.
        for (int i = 2; i < TBallList::kMaxBalls; ++i)
            s.AddBall(&a);
        s.SetSpeedK(0);
        s.NextStep();
        QVERIFY(AllFinite(s));
    }

    // A step that takes particles beyond any number removes them, in a chain too.
    void extremeSpeeds_data() {
        QTest::addColumn<double>("speedK");
        QTest::addColumn<double>("ownVx");
        QTest::newRow("infinite factor") << std::numeric_limits<double>::infinity() << 1.0;
        QTest::newRow("factor not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
        QTest::newRow("huge speed") << 1.0 << 1e308;
    }
    void extremeSpeeds() {
        QFETCH(double, speedK);
        QFETCH(double, ownVx);
        TSeparator s, next;
        Plain(s);
        s.SetSpeedK(speedK);
        s.SetNextSeparator(&next);
        TBall b = Ball(30, 5, 2);
        b.ownVx = ownVx;
        b.ownVy = ownVx;
        s.AddBall(&b);
        s.AddBall(&b);
        s.NextStep();
        s.NextStep();
        QVERIFY(AllFinite(s));
        QVERIFY(AllFinite(next));
        QCOMPARE(next.GetBallCount() + s.GetBallCount() <= 2, true);
        RenderElement(&s);
        RenderElement(&next);
        QCOMPARE(TP().beeps, 0);
    }

    // Relaxation factors beyond int and not a number are taken as the limits / 0.
    void extremeFactors() {
        TSeparator s;
        s.resize(100, 100);
        s.SetWaterK(1e300);
        s.SetOwnK(std::numeric_limits<double>::quiet_NaN());
        TBall b = Ball(30, 5, 2);
        b.ownVx = 1;
        s.AddBall(&b);
        s.NextStep();
        QVERIFY(AllFinite(s));
        QCOMPARE(s.Ball(0).vx, 1.0); // n = 0: its own speed at once
    }

    // The default bath on 200 x 100.
    void picture() {
        TSeparator s;
        s.resize(200, 100);
        const TSeparator::Geometry g = s.Compute();
        QCOMPARE(g.vessel,
                 QPolygon({QPoint(0, 0), QPoint(0, 75), QPoint(16, 75), QPoint(144, 75), QPoint(160, 75),
                           QPoint(160, 20), QPoint(160, 100), QPoint(200, 100), QPoint(200, 0)}));
        QCOMPARE(g.water[0], QPoint(0, 1));
        QCOMPARE(g.water[8], QPoint(200, 1));
        QCOMPARE(g.grid.size(), qsizetype(10));
        QCOMPARE(g.grid[0], QLine(1, 20, 8, 20));
        QCOMPARE(g.grid[9], QLine(145, 20, 152, 20));
        QCOMPARE(g.backWall, QRect(QPoint(194, 10), QPoint(200, 100)));

        TBall coal = Ball(50, 10, 4);
        TBall rock = Ball(25, 50, 3, TBall::kRock);
        TBall bubble = Ball(75, 50, 3, TBall::kBubble);
        s.AddBall(&coal);
        s.AddBall(&rock);
        s.AddBall(&bubble);
        QImage img = RenderElement(&s);
        QCOMPARE(Px(img, 80, 50), Rgb(clBlue));    // water
        QCOMPARE(Px(img, 197, 50), Rgb(clYellow)); // the back wall
        QCOMPARE(Px(img, 5, 20), Rgb(clBlack));    // a bar of the grid
        QCOMPARE(Px(img, 12, 20), Rgb(clBlue));    // the gap after it
        QCOMPARE(Px(img, 100, 10), Rgb(clBlack));  // the coal
        QCOMPARE(Px(img, 50, 50), Rgb(clSilver));  // the rock
        QCOMPARE(Px(img, 150, 50), Rgb(clWhite));  // the bubble
        QCOMPARE(Px(img, 150, 47), Rgb(clAqua));   // its rim
        QCOMPARE(Px(img, 100, 90), Rgb(clBlack));  // under the bath: the panel
        // Transparent: no background where the vessel is not.
        s.SetTransparent(true);
        img = RenderElement(&s);
        QCOMPARE(Px(img, 100, 90), kSentinel);
        QCOMPARE(Px(img, 100, 10), Rgb(clBlack));
        QCOMPARE(TP().beeps, 0);
    }

    // The bath's still picture is kept between steps: every change that shows
    // in it draws it anew, exactly as a new bath with that value draws.
    void stillPictureFollowsChanges_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        const QList<QPair<const char*, QVariant>> rows{{"WaterColor", int(clGreen)},
                                                       {"ShowClosedLoop", true},
                                                       {"BackWallColor", int(clRed)},
                                                       {"BackWallTop", 30.0},
                                                       {"BackWallWidth", 10.0},
                                                       {"BathHeight", 60.0},
                                                       {"BathBottomWidth", 40.0},
                                                       {"GridHeight", 35.0},
                                                       {"GridCount", 3},
                                                       {"GridSpace", 70.0},
                                                       {"BathSubH", 20.0},
                                                       {"BathWidth", 60.0},
                                                       {"BackColor", int(clNavy)},
                                                       {"WaterLevel", 30.0},
                                                       {"Color", int(clPurple)},
                                                       {"WallPen.Color", int(clRed)},
                                                       {"WallPen.Width", 3},
                                                       {"WallPen.Style", int(psDot)},
                                                       {"GridPen.Color", int(clRed)},
                                                       {"GridPen.Width", 4},
                                                       {"Width", 150},
                                                       {"Height", 70}};
        for (const auto& [name, value] : rows)
            QTest::newRow(name) << QByteArray(name) << value;
    }
    void stillPictureFollowsChanges() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        auto set = [&](TSeparator& s) {
            QObject* target = &s;
            QByteArray name = property;
            if (const qsizetype dot = property.indexOf('.'); dot > 0) {
                target = s.property(property.left(dot)).value<QObject*>();
                name = property.mid(dot + 1);
            }
            QVERIFY(target->setProperty(name, value));
        };
        TBall coal = Ball(50, 10, 4);
        TSeparator a;
        a.resize(200, 100);
        a.AddBall(&coal);
        RenderElement(&a);
        set(a);
        a.NextStep();
        TSeparator b;
        b.resize(200, 100);
        set(b);
        b.AddBall(&a.Ball(0));
        QCOMPARE(RenderElement(&a), RenderElement(&b));
    }

    // A particle far outside the bath is not drawn and stops nothing else.
    void farParticles() {
        TSeparator s;
        s.resize(200, 100);
        TBall far = Ball(1e12, -1e12, 3);
        TBall huge = Ball(50, 50, 1e12);
        TBall coal = Ball(50, 10, 4);
        s.AddBall(&far);
        s.AddBall(&coal);
        const QImage img = RenderElement(&s);
        QCOMPARE(Px(img, 100, 10), Rgb(clBlack));
        QCOMPARE(TP().beeps, 0);
        s.AddBall(&huge); // covers all
        QCOMPARE(Px(RenderElement(&s), 150, 90), Rgb(clBlack));
        QCOMPARE(TP().beeps, 0);
    }

    // A step marks the picture for one repaint; the flow parameters only store.
    void repaints() {
        TShownWindow w;
        TSeparator* s = w.Show(new TSeparator, QRect(10, 10, 200, 100));
        PaintCounter paints(s);
        s->SetWaterVx(5);
        s->SetSpeedK(2);
        s->SetWaterK(3);
        s->SetTransparent(false);
        s->SetWaterColor(clBlue);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(!s->RedrawNeeded());
        s->NextStep();
        QVERIFY(s->RedrawNeeded());
        QTRY_COMPARE(paints.count, 1);
        s->SetGridCount(4);
        QTRY_COMPARE(paints.count, 2);
        s->GridPen()->SetColor(clRed);
        QTRY_COMPARE(paints.count, 3);
        QCOMPARE(Px(RenderElement(s), 5, 20), Rgb(clRed));
    }

    void ballLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::newRow("five fields") << "7; 5; 0; 5; 0" << true;
        QTest::newRow("nine fields, fractions") << "7.5; 5,5; 1; 2.5; 2; 1; -1; 0; -3" << true;
        QTest::newRow("four fields") << "7; 5; 0; 5" << false;
        QTest::newRow("six fields") << "7; 5; 0; 5; 0; 1" << false;
        QTest::newRow("kind with a fraction") << "7; 5; 0; 5; 0.5" << false;
        QTest::newRow("text") << "7; five; 0; 5; 0" << false;
        QTest::newRow("empty") << "" << false;
    }
    void ballLines() {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        SetDecimalSeparator(QLatin1Char(','));
        TSeparator s;
        TBall b = Ball(1, 1, 1);
        s.AddBall(&b);
        if (ok) {
            s.SetBallList({line});
            QCOMPARE(s.GetBallCount(), 1);
            QCOMPARE(s.GetBallList(), QStringList{line});
            QCOMPARE(TBallList::ParseBall(TBallList::BallLine(s.Ball(0))), s.Ball(0));
        } else {
            QVERIFY_THROWS_EXCEPTION(EBallListError, s.SetBallList({"1; 1; 0; 2; 1", line}));
            QCOMPARE(s.GetBallCount(), 1); // as it was
            QCOMPARE(s.Ball(0).x, 1.0);
        }
    }

    void fromLayout() {
        TFormBath form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormBath: TFormBath
  object Bath1: TSeparator
    Width = 200
    Height = 100
    NextSeparator = Bath2
    BallList = ( '7; 5; 0; 5; 0' '20; 16; 0; 4; 1; 0; 0; 0; 2' )
  end
  object Bath2: TSeparator
  end
end
)",
                                              "FormBath.layout");
        auto* bath = layout.Get<TSeparator>("Bath1");
        QCOMPARE(bath->GetBallCount(), 2);
        QCOMPARE(bath->Ball(1).ownVy, 2.0);
        QCOMPARE(bath->GetNextSeparator(), layout.Get<TSeparator>("Bath2"));

        TFormBath other;
        try {
            LoadLayoutText(&other,
                           "object FormBath: TFormBath\n  object Bath1: TSeparator\n"
                           "    BallList = ( '7; 5; 0; 5' )\n  end\nend\n",
                           "Bad.layout");
            QFAIL("a faulty particle line was taken");
        } catch (const ELayoutError& e) {
            QCOMPARE(e.Line(), 3);
            QCOMPARE(e.Element(), QString("Bath1"));
        }
    }

    void defaultCharge() {
        const QList<TBall> balls = TSeparator::DefaultBalls();
        QCOMPARE(balls.size(), qsizetype(34));
        TSeparator s;
        s.resize(386, 184);
        for (const TBall& b : balls)
            QVERIFY(s.AddBall(&b));
        for (int i = 0; i < 200; ++i)
            s.NextStep();
        QVERIFY(AllFinite(s));
        QVERIFY(s.GetBallCount() < 34); // the bubbles burst, the rock leaves down the chute
    }

    // A grid from a look file or a layout that reaches far beyond the element:
    // only the bars that start within it are made (BathWidth 10^9 % with a bar
    // every other pixel asked for a billion of them, some 16 GB, and hung the
    // window), and it draws without a beep.
    void absurdGrid_data() {
        QTest::addColumn<double>("bathWidth");
        QTest::addColumn<int>("gridCount");
        QTest::addColumn<double>("gridSpace");
        QTest::newRow("a bar every other pixel of 2e9") << 1e9 << 1000000000 << 40.0;
        QTest::newRow("a bar every 20 pixels of 2e9") << 1e9 << 100000000 << 40.0;
        QTest::newRow("bars longer than their pitch") << 1e9 << 1000000000 << -1e9;
        QTest::newRow("more bars than pixels") << 1e9 << INT_MAX << 40.0;
        QTest::newRow("no room between the bars") << 80.0 << 10 << 1e300;
    }
    void absurdGrid() {
        QFETCH(double, bathWidth);
        QFETCH(int, gridCount);
        QFETCH(double, gridSpace);
        TSeparator s;
        s.resize(200, 100);
        s.SetBathWidth(bathWidth);
        s.SetGridCount(gridCount);
        s.SetGridSpace(gridSpace);
        const TSeparator::Geometry g = s.Compute();
        QVERIFY2(g.grid.size() <= s.width() + 1, qPrintable(QString::number(g.grid.size())));
        for (const QLine& bar : g.grid)
            QVERIFY(bar.x1() <= s.width() + 2);
        RenderElement(&s);
        QCOMPARE(TP().beeps, 0);
    }

    // A grid pen wider than the pixel grid starts every bar beyond the
    // element: the bath is drawn without its grid, and without a beep.
    void absurdGridPen() {
        TSeparator s;
        s.resize(200, 100);
        s.SetGridCount(0);
        const QImage noGrid = RenderElement(&s);
        s.SetGridCount(10);
        s.GridPen()->SetWidth(INT_MAX);
        QCOMPARE(RenderElement(&s), noGrid);
        QCOMPARE(TP().beeps, 0);
    }
};

ORDAL_TEST_MAIN(TstSeparator)
#include "tst_separator.moc"
