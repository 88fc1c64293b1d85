#include "ElementTestSupport.h"
#include "Layout.h"
#include "Pump.h"
#include "TestSupport.h"

#include <QFile>

class TFormPumps : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

QRect Box(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r, b));
}

void WriteFile(const QString& name, const QByteArray& text) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

} // namespace

class TstPump : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TPump* Shown(const QString& name = "Pump_KS") {
        auto* p = new TPump(window_);
        p->setObjectName(name);
        p->SetBounds(10, 10, 50, 50);
        PaintCounter first(p);
        p->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("pump was not painted after show");
        QCoreApplication::processEvents();
        p->removeEventFilter(&first);
        return p;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        QFile::remove("Colors.INI");
        window_ = new QWidget;
        window_->resize(200, 200);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaults() {
        TPump p;
        QCOMPARE(p.size(), QSize(50, 50));
        QCOMPARE(p.Pen()->GetColor(), clRed);
        QCOMPARE(p.Pen()->GetWidth(), 1);
        QCOMPARE(p.Brush()->GetColor(), clYellow);
        QCOMPARE(p.Brush()->GetStyle(), bsSolid);
        QVERIFY(!p.GetVertFlip());
        QCOMPARE(p.GetConfigName(), QString(".\\Colors.INI"));
    }

    // 50 x 50: a = b = 16.67; casing (16, 16)-(50, 50), discharge pipe
    // (33, 0)-(50, 33), suction pipe (0, 25)-(25, 41).
    void geometryOfTheSchemePump() {
        const TPump::Geometry g = TPump::Compute(50, 50, false);
        QCOMPARE(g.casing, Box(16, 16, 50, 50));
        QCOMPARE(g.pipe, Box(33, 0, 50, 33));
        QCOMPARE(g.suctionFill, Box(0, 25, 25, 41));
        QCOMPARE(g.arcBox, Box(16, 25, 33, 41));
        QCOMPARE(g.arcFrom, QPoint(25, 41));
        QCOMPARE(g.arcTo, QPoint(25, 25));
        QCOMPARE(g.suctionOutline, QPolygon({QPoint(25, 41), QPoint(0, 41), QPoint(0, 25), QPoint(25, 25)}));

        const TPump::Geometry m = TPump::Compute(50, 50, true);
        QCOMPARE(m.pipe, Box(0, 0, 16, 33));
        QCOMPARE(m.casing, Box(0, 16, 33, 50));
        QCOMPARE(m.suctionOutline.at(1), QPoint(49, 41)); // the outer edge at W - 1
        QCOMPARE(m.suctionFill.right(), 50);
    }

    // What the operator sees: pixels of both orientations.
    void drawing_data() {
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("colour"); // a TColor, or -1 for untouched
        const int red = clRed, yellow = clYellow;
        QTest::newRow("pipe left edge") << false << QPoint(33, 10) << red;
        QTest::newRow("pipe right edge") << false << QPoint(49, 10) << red;
        QTest::newRow("pipe top") << false << QPoint(40, 0) << red;
        QTest::newRow("pipe inside") << false << QPoint(40, 10) << yellow;
        QTest::newRow("left of pipe") << false << QPoint(32, 10) << -1;
        QTest::newRow("casing bottom") << false << QPoint(33, 49) << red;
        QTest::newRow("casing inside") << false << QPoint(40, 40) << yellow;
        QTest::newRow("impeller, right half") << false << QPoint(32, 33) << red;
        QTest::newRow("inside impeller") << false << QPoint(28, 33) << yellow;
        QTest::newRow("suction outer end") << false << QPoint(0, 33) << red;
        QTest::newRow("suction top") << false << QPoint(10, 25) << red;
        QTest::newRow("suction bottom") << false << QPoint(10, 41) << red;
        QTest::newRow("suction inside") << false << QPoint(10, 33) << yellow;
        QTest::newRow("above suction") << false << QPoint(10, 24) << -1;
        QTest::newRow("below suction") << false << QPoint(10, 42) << -1;
        QTest::newRow("corner") << false << QPoint(3, 3) << -1;
        QTest::newRow("flipped pipe left edge") << true << QPoint(0, 10) << red;
        QTest::newRow("flipped pipe right edge") << true << QPoint(15, 10) << red;
        QTest::newRow("right of flipped pipe") << true << QPoint(16, 10) << -1;
        QTest::newRow("flipped suction outer end") << true << QPoint(49, 33) << red;
        QTest::newRow("flipped suction inside") << true << QPoint(40, 33) << yellow;
        QTest::newRow("flipped impeller, left half") << true << QPoint(16, 33) << red;
        QTest::newRow("flipped casing inside") << true << QPoint(10, 40) << yellow;
        QTest::newRow("flipped: nothing top right") << true << QPoint(45, 5) << -1;
    }
    void drawing() {
        QFETCH(bool, flip);
        QFETCH(QPoint, at);
        QFETCH(int, colour);
        TPump* p = Shown();
        p->SetVertFlip(flip);
        const QImage img = RenderElement(p);
        QCOMPARE(Px(img, at.x(), at.y()), colour < 0 ? kSentinel : Rgb(TColor(colour)));
    }

    // A wide pen thickens every outline, the impeller arc too; the suction fill keeps its size.
    void widePen() {
        TPump* p = Shown();
        p->Pen()->SetWidth(3);
        const QImage img = RenderElement(p);
        QCOMPARE(Px(img, 31, 33), Rgb(clRed)); // arc, one pixel further in
        QCOMPARE(Px(img, 34, 10), Rgb(clRed)); // pipe edge
        QCOMPARE(Px(img, 1, 33), Rgb(clRed));  // suction end
        QCOMPARE(Px(img, 10, 39), Rgb(clYellow));
        QCOMPARE(Px(img, 10, 27), Rgb(clYellow));
        QCOMPARE(Px(img, 10, 40), Rgb(clRed));
    }

    void settersRepaintAtOnceOnlyOnChange() {
        TPump* p = Shown();
        PaintCounter paints(p);
        p->SetVertFlip(false);
        TPen samePen;
        samePen.SetColor(clRed);
        p->SetPen(&samePen);
        TBrush sameBrush;
        sameBrush.SetColor(clYellow);
        p->SetBrush(&sameBrush);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        p->SetVertFlip(true);
        QCOMPARE(paints.count, 1); // at once
        TBrush blue;
        blue.SetColor(clBlue);
        p->SetBrush(&blue);
        QCOMPARE(paints.count, 2);
        QVERIFY(p->Brush() != &blue);
        QCOMPARE(p->Brush()->GetColor(), clBlue);
        p->Pen()->SetWidth(2);
        QCOMPARE(paints.count, 3);
        QVERIFY(p->setProperty("VertFlip", false));
        QCOMPARE(paints.count, 4);
    }

    void configRoundTripAndTakeOver() {
        TPump* a = Shown("Pump_KS");
        a->Pen()->SetColor(clBlue);
        a->Pen()->SetWidth(3);
        a->Pen()->SetStyle(psDash);
        a->Brush()->SetColor(clNavy);
        QVERIFY(a->SaveConfig());
        const IniFile ini("Colors.INI");
        QCOMPARE(ini.ReadSection("Pump_KS"), QStringList({"PenWidth", "PenColor", "PenStyle", "BrushColor"}));
        QCOMPARE(ini.ReadInteger("Pump_KS", "BrushColor", 0), int(clNavy));

        TPump* b = Shown("Pump_NS");
        QVERIFY(b->LoadConfig());
        QCOMPARE(b->Pen()->GetColor(), clRed);
        QVERIFY(b->LoadConfig("Pump_KS"));
        QVERIFY(b->Pen()->SameAs(*a->Pen()));
        QCOMPARE(b->Brush()->GetColor(), clNavy);
        QVERIFY(b->SaveConfig());
        QCOMPARE(IniFile("Colors.INI").ReadInteger("Pump_NS", "PenStyle", 0), int(psDash));
    }

    void loadFromBadFiles_data() {
        QTest::addColumn<QByteArray>("text"); // empty: no file at all
        QTest::addColumn<int>("brushColor");
        QTest::addColumn<int>("penWidth");
        QTest::newRow("no file") << QByteArray() << int(clYellow) << 1;
        QTest::newRow("other section only")
            << QByteArray("[Pump_NS]\nBrushColor=255\n") << int(clYellow) << 1;
        QTest::newRow("not numbers") << QByteArray("[Pump_KS]\nBrushColor=yellow\nPenWidth=\n")
                                     << int(clYellow) << 1;
        QTest::newRow("hexadecimal") << QByteArray("[Pump_KS]\nBrushColor=0xFF0000\nPenWidth=$2\n")
                                     << int(clBlue) << 2;
    }
    void loadFromBadFiles() {
        QFETCH(QByteArray, text);
        QFETCH(int, brushColor);
        QFETCH(int, penWidth);
        if (!text.isEmpty())
            WriteFile("Colors.INI", text);
        TPump* p = Shown();
        QVERIFY(p->LoadConfig());
        QCOMPARE(int(p->Brush()->GetColor()), brushColor);
        QCOMPARE(p->Pen()->GetWidth(), penWidth);
    }

    void saveToAnUnwritablePathFails() {
        TPump* p = Shown();
        p->SetConfigName(TestDir());
        QVERIFY(!p->SaveConfig());
    }

    void fromLayout() {
        TFormPumps form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormPumps: TFormPumps
  object Pump_NS: TPump
    Tag = 200
    Left = 12
    Top = 775
    Width = 50
    Height = 50
    Brush.Color = clYellow
    Pen.Color = clBlue
    VertFlip = True
  end
end
)",
                                              "FormPumps.layout");
        auto* p = layout.Get<TPump>("Pump_NS");
        QVERIFY(p->GetVertFlip());
        QCOMPARE(p->GetTag(), 200);
        QCOMPARE(p->Pen()->GetColor(), clBlue);
    }

    void clickRunsOnClick() {
        TPump* p = Shown();
        int clicks = 0;
        p->SetOnClick(TNotifyEvent([&](QObject* sender) {
            QCOMPARE(sender, p);
            ++clicks;
        }));
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(clicks, 1);
    }
};

ORDAL_TEST_MAIN(TstPump)
#include "tst_pump.moc"
