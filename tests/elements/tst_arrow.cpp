#include "Arrow.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "NumText.h"
#include "TestSupport.h"

#include <climits>

#include <QDir>
#include <QFile>
#include <QPainter>

class TFormPipes : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

QStringList Bubbles(const TArrow& a) {
    return a.BubbleList()->Strings();
}

} // namespace

class TstArrow : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TArrow* Shown(const QString& name, int w, int h) {
        auto* a = new TArrow(window_);
        a->setObjectName(name);
        a->SetBounds(0, 0, w, h);
        PaintCounter first(a);
        a->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("arrow was not painted after show");
        a->removeEventFilter(&first);
        return a;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        SetDecimalSeparator(QLatin1Char(','));
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
        TArrow a;
        QCOMPARE(a.size(), QSize(50, 50));
        QCOMPARE(a.GetAngle(), 0.0);
        QCOMPARE(a.GetColor(), clRed);
        QCOMPARE(a.GetArrowWidth(), 3);
        QCOMPARE(a.GetEdgeLength(), 5);
        QCOMPARE(a.GetEdgeAngle(), 60);
        QCOMPARE(a.GetBubbleLen(), 3);
        QCOMPARE(a.GetBubbleSpeed(), 2.0);
        QCOMPARE(a.GetBubbleInterval(), 5);
        QCOMPARE(a.GetBubbleColor(), clWhite);
        QCOMPARE(a.BubbleList()->Count(), 0);
        QVERIFY(!a.GetNextArrow());
        QVERIFY(!a.GetBubbleSource());
        QCOMPARE(a.GetConfigName(), QString(".\\Colors.INI"));
        QCOMPARE(a.R(), 0.0);
    }

    void geometry_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("edge");
        QTest::addColumn<double>("r");
        QTest::addColumn<QPoint>("p1");
        QTest::addColumn<QPoint>("p2");
        QTest::addColumn<QPoint>("tip");
        QTest::newRow("flat line 200x31") << QSize(200, 31) << 0.0 << 0 << 99.0 << QPoint(1, 15)
                                          << QPoint(199, 15) << QPoint(199, 15);
        QTest::newRow("negative edge is none") << QSize(200, 31) << 0.0 << -4 << 99.0 << QPoint(1, 15)
                                               << QPoint(199, 15) << QPoint(199, 15);
        QTest::newRow("head of 7") << QSize(200, 31) << 0.0 << 7 << 99.0 << QPoint(1, 15) << QPoint(192, 15)
                                   << QPoint(199, 15);
        // Up: y grows downwards on the screen.
        QTest::newRow("up") << QSize(20, 100) << 90.0 << 5 << 49.0 << QPoint(10, 99) << QPoint(10, 6)
                            << QPoint(10, 1);
        QTest::newRow("left") << QSize(100, 20) << 180.0 << 0 << 49.0 << QPoint(99, 10) << QPoint(1, 10)
                              << QPoint(1, 10);
        QTest::newRow("-45 degrees") << QSize(50, 50) << -45.0 << 0 << 24.0 << QPoint(8, 8) << QPoint(42, 42)
                                     << QPoint(42, 42);
    }
    void geometry() {
        QFETCH(QSize, size);
        QFETCH(double, angle);
        QFETCH(int, edge);
        QFETCH(double, r);
        QFETCH(QPoint, p1);
        QFETCH(QPoint, p2);
        QFETCH(QPoint, tip);
        const TArrowGeometry g = ArrowGeometry(size.width(), size.height(), angle, edge, 60);
        QCOMPARE(g.R, r);
        QCOMPARE(g.P1, p1);
        QCOMPARE(g.P2, p2);
        QCOMPARE(g.Tip, tip);
    }

    void arrowheadBase() {
        const TArrowGeometry g = ArrowGeometry(200, 31, 0, 7, 60);
        QVERIFY(qAbs(g.HalfBase - 4.0415) < 1e-3);
        // Base corners around the shaft's end, perpendicular to the line.
        QCOMPARE(g.Base1, QPoint(192, 19));
        QCOMPARE(g.Base2, QPoint(192, 11));
    }

    // The line of the 200 x 31 arrow from (1, 15) to (199, 15), three pixels thick.
    void flatLinePixels() {
        TArrow* a = Shown("Arrow1", 200, 31);
        a->SetEdgeLength(0);
        const QImage img = RenderElement(a);
        for (int x : {1, 2, 100, 198, 199})
            for (int y : {14, 15, 16})
                QCOMPARE(Px(img, x, y), Rgb(clRed));
        for (int x : {1, 100, 199}) {
            QCOMPARE(Px(img, x, 12), kSentinel);
            QCOMPARE(Px(img, x, 18), kSentinel);
        }
        QCOMPARE(Px(img, 100, 0), kSentinel);
        QCOMPARE(a->R(), 99.0);
    }

    void arrowheadPixels() {
        TArrow* a = Shown("Arrow2", 200, 31);
        a->SetEdgeLength(7);
        a->SetArrowWidth(1);
        a->SetColor(clBlue);
        const QImage img = RenderElement(a);
        // The head is filled between its base at x 192 and its tip at x 199.
        QCOMPARE(Px(img, 193, 13), Rgb(clBlue));
        QCOMPARE(Px(img, 193, 17), Rgb(clBlue));
        QCOMPARE(Px(img, 197, 15), Rgb(clBlue));
        QCOMPARE(Px(img, 193, 9), kSentinel);
        // A thin shaft: nothing above or below it before the head.
        QCOMPARE(Px(img, 100, 15), Rgb(clBlue));
        QCOMPARE(Px(img, 100, 14), kSentinel);
        QCOMPARE(Px(img, 100, 16), kSentinel);
    }

    void negativeEdgePaintsAsNone() {
        TArrow* a = Shown("Arrow3", 200, 31);
        a->SetEdgeLength(0);
        const QImage plain = RenderElement(a);
        a->SetEdgeLength(-4);
        QCOMPARE(a->GetEdgeLength(), 0);
        QCOMPARE(RenderElement(a), plain);
    }

    void bubblePixels() {
        TArrow* a = Shown("Arrow4", 200, 31);
        a->SetEdgeLength(0);
        a->BubbleList()->SetStrings({"10", "-3"});
        const QImage img = RenderElement(a);
        // s = 10 covers x 11 to 14 on the line (tail at x 1).
        QCOMPARE(Px(img, 12, 15), Rgb(clWhite));
        QCOMPARE(Px(img, 13, 15), Rgb(clWhite));
        QCOMPARE(Px(img, 12, 14), Rgb(clWhite));
        QCOMPARE(Px(img, 9, 15), Rgb(clRed));
        QCOMPARE(Px(img, 17, 15), Rgb(clRed));
        // s = -3 starts before the tail.
        QCOMPARE(Px(img, 0, 15), Rgb(clWhite));
        QCOMPARE(TP().beeps, 0);
    }

    void setterRepaints_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("paints");
        QTest::newRow("Angle") << QByteArray("Angle") << QVariant(90.0) << 1;
        QTest::newRow("Color") << QByteArray("Color") << QVariant(clBlue) << 1;
        QTest::newRow("ArrowWidth") << QByteArray("ArrowWidth") << QVariant(2) << 1;
        QTest::newRow("EdgeLength") << QByteArray("EdgeLength") << QVariant(7) << 1;
        QTest::newRow("EdgeAngle") << QByteArray("EdgeAngle") << QVariant(90) << 1;
        QTest::newRow("BubbleLen") << QByteArray("BubbleLen") << QVariant(4) << 0;
        QTest::newRow("BubbleSpeed") << QByteArray("BubbleSpeed") << QVariant(3.5) << 0;
        QTest::newRow("BubbleInterval") << QByteArray("BubbleInterval") << QVariant(9) << 0;
        QTest::newRow("BubbleColor") << QByteArray("BubbleColor") << QVariant(clYellow) << 0;
        QTest::newRow("BubbleSource") << QByteArray("BubbleSource") << QVariant(true) << 0;
    }
    void setterRepaints() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(int, paints);
        TArrow* a = Shown("Arrow5", 60, 20);
        PaintCounter counter(a);
        QVERIFY(a->setProperty(property, value));
        QCOMPARE(counter.count, paints); // at once, not later
        QCOMPARE(a->property(property), value);
        QVERIFY(a->setProperty(property, value)); // unchanged: nothing
        QCoreApplication::processEvents();
        QCOMPARE(counter.count, paints);
    }

    void zeroLengthBeepsUndrawn() {
        TArrow* a = Shown("Arrow6", 2, 2);
        a->SetEdgeLength(0);
        TP().Reset();
        const QImage img = RenderElement(a);
        QCOMPARE(TP().beeps, 1);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                QCOMPARE(Px(img, x, y), kSentinel);
    }

    void malformedBubble() {
        TArrow* a = Shown("Arrow7", 100, 10);
        a->BubbleList()->SetStrings({"4", "abc"});
        TP().Reset();
        RenderElement(a);
        QCOMPARE(TP().beeps, 1);
        QVERIFY_THROWS_EXCEPTION(EBubbleListError, a->BubbleStep());
        // The arrow stays usable once the list is sound again.
        a->BubbleList()->SetStrings({"4"});
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"6"}));
    }

    // Defaults (speed 2, length 3, interval 5): -2 first, without a repaint; a
    // new bubble at -3 once the newest one is beyond 5.
    void sourceEmits() {
        TArrow* a = Shown("Arrow8", 100, 10);
        a->SetBubbleSource(true);
        PaintCounter counter(a);
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"-2"}));
        QCOMPARE(counter.count, 0);
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"0"}));
        QCOMPARE(counter.count, 1);
        a->BubbleStep();
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"4"}));
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"6", "-3"}));
        for (int i = 0; i < 5; ++i)
            a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"16", "7", "-3"}));
    }

    // A source whose bubbles hardly move, with a negative interval, would add a
    // bubble at every step for ever (each one drawn at every paint); it stops
    // at one for every pixel of the arrow's length.
    void sourceOfBubblesThatHardlyMove_data() {
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("interval");
        QTest::newRow("standing still") << 0.0 << -100;
        QTest::newRow("crawling") << 1e-9 << INT_MIN;
        QTest::newRow("backwards") << -1.0 << INT_MIN;
    }
    void sourceOfBubblesThatHardlyMove() {
        QFETCH(double, speed);
        QFETCH(int, interval);
        TArrow* a = Shown("Arrow8", 100, 10);
        a->SetBubbleSource(true);
        a->SetBubbleSpeed(speed);
        a->SetBubbleInterval(interval);
        for (int i = 0; i < 1000; ++i)
            a->BubbleStep();
        QVERIFY2(Bubbles(*a).size() <= 100, qPrintable(QString::number(Bubbles(*a).size())));
        QVERIFY(Bubbles(*a).size() > 1);
        RenderElement(a);
        QCOMPARE(TP().beeps, 0);
    }

    // L = 98: a bubble at 95 moves to 97 (> 95, whole) and goes on at -1 on the
    // next arrow, staying here as 97.1 until it passes the end.
    void handOver() {
        TArrow* a = Shown("Arrow9", 100, 10);
        TArrow* b = Shown("Arrow10", 60, 10);
        a->SetNextArrow(b);
        a->SetBubbleSpeed(2);
        a->SetBubbleLen(3);
        a->SetBubbleColor(clYellow);
        a->BubbleList()->SetStrings({"95"});
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"97,1"}));
        QCOMPARE(Bubbles(*b), QStringList({"-1"}));
        QCOMPARE(b->GetBubbleColor(), clYellow);
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList());
        QCOMPARE(Bubbles(*b), QStringList({"1"}));
    }

    void chainedWithoutBubblesDoesNothing() {
        TArrow* a = Shown("Arrow11", 100, 10);
        a->SetBubbleSource(true);
        PaintCounter counter(a);
        a->BubbleStep(true);
        QCOMPARE(a->BubbleList()->Count(), 0);
        QCOMPARE(counter.count, 0);
    }

    // A chain that closes on itself steps each arrow once and ends.
    void ringStepsEachOnce() {
        TArrow* a = Shown("Arrow12", 20, 10);
        TArrow* b = Shown("Arrow13", 20, 10);
        a->SetNextArrow(b);
        b->SetNextArrow(a);
        a->BubbleList()->SetStrings({"2"});
        b->BubbleList()->SetStrings({"2"});
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"4"}));
        QCOMPARE(Bubbles(*b), QStringList({"4"}));
        TArrow* c = Shown("Arrow14", 20, 10);
        c->SetNextArrow(c);
        c->BubbleList()->SetStrings({"15"}); // L 18, limit 15
        c->BubbleStep();
        QCOMPARE(Bubbles(*c), QStringList({"17,1", "-1"}));
    }

    void destroyedNextLeavesChain() {
        TArrow* a = Shown("Arrow15", 100, 10);
        auto* b = Shown("Arrow16", 100, 10);
        a->SetNextArrow(b);
        delete b;
        QVERIFY(!a->GetNextArrow());
        a->BubbleList()->SetStrings({"95"});
        a->BubbleStep();
        QCOMPARE(Bubbles(*a), QStringList({"97"}));
    }

    // An arrow not painted yet carries its bubbles along its whole length.
    void stepBeforeFirstPaint() {
        TArrow a; // never shown
        a.resize(100, 10);
        a.BubbleList()->SetStrings({"90"});
        a.BubbleStep();
        QCOMPARE(a.R(), 49.0);
        QCOMPARE(Bubbles(a), QStringList({"92"}));
    }

    void sharedBubbleList() {
        TArrow* a = Shown("Arrow17", 100, 10);
        TStringList shared;
        shared.SetStrings({"1"});
        a->SetBubbleList(&shared);
        QCOMPARE(a->BubbleList(), &shared);
        a->BubbleStep();
        QCOMPARE(shared.Strings(), QStringList({"3"}));
        a->SetBubbleList(nullptr);
        QVERIFY(a->BubbleList() != &shared);
        {
            TStringList gone;
            a->SetBubbleList(&gone);
        }
        a->BubbleStep(); // its own list again, not the destroyed one
        QCOMPARE(a->BubbleList()->Count(), 0);
    }

    // A chain as a layout sets it up: the reference resolves after the file.
    void fromLayout() {
        TFormPipes form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormPipes: TFormPipes
  object Arrow1: TArrow
    Tag = 200
    Left = 10
    Width = 100
    Height = 11
    Angle = -15.000000000000000000
    Color = clBlue
    EdgeLength = 7
    BubbleSpeed = 2.000000000000000000
    BubbleSource = True
    NextArrow = Arrow2
    BubbleList.Strings = ( '4' '40' )
  end
  object Arrow2: TArrow
    ArrowWidth = 2
    BubbleColor = clYellow
  end
end
)",
                                                "FormPipes.layout");
        auto* a = layout.Get<TArrow>("Arrow1");
        auto* b = layout.Get<TArrow>("Arrow2");
        QCOMPARE(a->GetTag(), 200);
        QCOMPARE(a->GetAngle(), -15.0);
        QCOMPARE(a->GetColor(), clBlue);
        QCOMPARE(a->GetEdgeLength(), 7);
        QVERIFY(a->GetBubbleSource());
        QCOMPARE(a->GetNextArrow(), b);
        QCOMPARE(Bubbles(*a), QStringList({"4", "40"}));
        QCOMPARE(b->GetArrowWidth(), 2);
        QCOMPARE(b->GetBubbleColor(), clYellow);
        QCOMPARE(QString(a->metaObject()->className()), QString("TArrow"));
    }

    void saveKeysAndCrossSectionLoad() {
        QDir().mkpath("config");
        TArrow a15, a24;
        a15.setObjectName("Arrow15");
        a24.setObjectName("Arrow24");
        a15.SetConfigName(".\\config\\FormMnemo.INI");
        a24.SetConfigName(".\\config\\FormMnemo.INI");
        a15.SetArrowWidth(5);
        a15.SetColor(clAqua);
        a15.SetEdgeLength(7);
        a15.SetEdgeAngle(90);
        QVERIFY(a15.SaveConfig());
        IniFile ini("config/FormMnemo.INI");
        QCOMPARE(ini.ReadSection("Arrow15"), QStringList({"ArrowWidth", "Color", "EdgeLength", "EdgeAngle"}));
        QCOMPARE(ini.ReadInteger("Arrow15", "Color", 0), clAqua);

        // Arrow24 has no section yet: nothing changes.
        QVERIFY(a24.LoadConfig());
        QCOMPARE(a24.GetArrowWidth(), 3);
        QCOMPARE(a24.GetColor(), clRed);

        // Arrow15's look: width and colour, never the arrowhead.
        QVERIFY(a24.LoadConfig("Arrow15"));
        QCOMPARE(a24.GetArrowWidth(), 5);
        QCOMPARE(a24.GetColor(), clAqua);
        QCOMPARE(a24.GetEdgeLength(), 5);
        QCOMPARE(a24.GetEdgeAngle(), 60);
        QVERIFY(a24.SaveConfig());
        QCOMPARE(ini.ReadInteger("Arrow24", "ArrowWidth", 0), 5);
        QCOMPARE(ini.ReadInteger("Arrow24", "Color", 0), clAqua);
        QCOMPARE(ini.ReadInteger("Arrow24", "EdgeLength", 0), 5);

        TArrow again;
        again.setObjectName("Arrow24");
        again.SetConfigName("config/FormMnemo.INI");
        QVERIFY(again.LoadConfig());
        QCOMPARE(again.GetArrowWidth(), 5);
        QCOMPARE(again.GetColor(), clAqua);
    }

    void loadBadValues_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("width");
        QTest::addColumn<TColor>("color");
        QTest::newRow("no file") << QByteArray() << 3 << clRed;
        QTest::newRow("other section") << QByteArray("[Arrow1]\nArrowWidth=9\n") << 3 << clRed;
        QTest::newRow("not numbers") << QByteArray("[Arrow24]\nArrowWidth=thick\nColor=red\n") << 3 << clRed;
        QTest::newRow("hexadecimal") << QByteArray("[Arrow24]\nArrowWidth=$A\nColor=0xFF0000\n") << 10 << clBlue;
    }
    void loadBadValues() {
        QFETCH(QByteArray, contents);
        QFETCH(int, width);
        QFETCH(TColor, color);
        QFile::remove("Colors.INI");
        if (!contents.isEmpty()) {
            QFile f("Colors.INI");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        TArrow a; // ConfigName ".\Colors.INI"
        a.setObjectName("Arrow24");
        QVERIFY(a.LoadConfig());
        QCOMPARE(a.GetArrowWidth(), width);
        QCOMPARE(a.GetColor(), color);
        QFile::remove("Colors.INI");
    }

    void saveToUnwritablePlaceFails() {
        TArrow a;
        a.setObjectName("Arrow24");
        a.SetConfigName("no/such/dir/x.INI");
        QVERIFY(!a.SaveConfig());
        QVERIFY(a.LoadConfig()); // nothing to read: unchanged, true
        QCOMPARE(a.GetArrowWidth(), 3);
    }
};

ORDAL_TEST_MAIN(TstArrow)
#include "tst_arrow.moc"
