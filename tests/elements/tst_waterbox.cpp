#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Waterbox.h"

#include <QFile>
#include <climits>

// The window a layout names first.
class TFormSumps : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

// The scheme's sumps: 177 x 146 (Flake_NS) with the body 4.6 units high.
void SchemeShape(TWaterBox& b) {
    b.SetMainW(3);
    b.SetMainH(4.6);
    b.SetBoxH(6);
    b.SetBottomH(0.5);
    b.SetBottomW(1);
    b.SetBorderColor(clYellow);
}

} // namespace

class TstWaterBox : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TWaterBox* Shown(const QString& name = "Flake_NS") {
        auto* b = new TWaterBox(window_);
        b->setObjectName(name);
        b->SetBounds(10, 10, 177, 146);
        SchemeShape(*b);
        b->SetWaterColor(clBlue);
        PaintCounter first(b);
        b->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("sump was not painted after show");
        QCoreApplication::processEvents();
        b->removeEventFilter(&first);
        return b;
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
        TWaterBox b;
        QCOMPARE(b.size(), QSize(100, 100));
        QCOMPARE(b.GetWaterColor(), clAqua);
        QCOMPARE(b.GetBorderColor(), clYellow);
        QCOMPARE(b.GetBackColor(), clBlack);
        QCOMPARE(b.GetMainW(), 3.0);
        QCOMPARE(b.GetMainH(), 5.0);
        QCOMPARE(b.GetBoxH(), 6.0);
        QCOMPARE(b.GetBottomH(), 0.5);
        QCOMPARE(b.GetBottomW(), 1.0);
        QCOMPARE(b.GetWaterLevel(), 3.0);
        QCOMPARE(b.GetStepsCount(), 0);
        QCOMPARE(b.Pen()->GetColor(), clYellow);
        QCOMPARE(b.Pen()->GetWidth(), 1);
        QCOMPARE(b.Pen()->GetStyle(), psSolid);
        QVERIFY(!b.GetTransparent());
        QCOMPARE(b.GetConfigName(), QString(".\\Colors.INI"));
    }

    // Flake_NS at a level of 50 %: ky = 146 / 6, mh = 111.93, gap = 58.40.
    void schemeSumpAtHalfLevel() {
        const auto g = TWaterBox::Compute(177, 146, 3, 4.6, 6, 0.5, 1, 50 * 0.044, 1);
        QVERIFY(!g.full);
        QCOMPARE(g.water.left, 2);
        QCOMPARE(g.water.top, 56);
        QCOMPARE(g.water.right, 175);
        QCOMPARE(g.water.bottom, 111);
        QCOMPARE(g.body.right, 176);
        QCOMPARE(g.body.bottom, 111);
        // Outlet 1 of 3 units wide in the middle, funnel 0.5 units down to row 124.
        QCOMPARE(g.funnel, QPolygon({QPoint(1, 110), QPoint(176, 110), QPoint(118, 124), QPoint(59, 124)}));
        QCOMPARE(g.outlet.left, 59);
        QCOMPARE(g.outlet.right, 118);
        QCOMPARE(g.outlet.top, 124);
        QCOMPARE(g.outlet.bottom, 146);

        TWaterBox* b = Shown();
        b->SetWaterLevel(50 * 0.044);
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 2, 56), Rgb(clBlue));      // top-left of the water
        QCOMPARE(Px(img, 174, 109), Rgb(clBlue));   // last water column of the canvas rectangle
        QCOMPARE(Px(img, 174, 110), Rgb(clYellow)); // the funnel's top edge covers the last water row
        QCOMPARE(Px(img, 2, 55), Rgb(clBlack));     // empty part above
        QCOMPARE(Px(img, 100, 30), Rgb(clBlack));
        QCOMPARE(Px(img, 175, 80), Rgb(clBlack)); // gap between water and outline
        QCOMPARE(Px(img, 1, 80), Rgb(clYellow));  // outline of the body
        QCOMPARE(Px(img, 176, 80), Rgb(clYellow));
        QCOMPARE(Px(img, 90, 1), Rgb(clYellow));
        QCOMPARE(Px(img, 0, 0), Rgb(clBlack));     // background around the tank
        QCOMPARE(Px(img, 88, 118), Rgb(clBlue));   // funnel
        QCOMPARE(Px(img, 88, 140), Rgb(clBlue));   // outlet
        QCOMPARE(Px(img, 59, 140), Rgb(clYellow)); // outlet outline
        QCOMPARE(Px(img, 20, 140), Rgb(clBlack));  // beside the outlet
        QCOMPARE(Px(img, 88, 145), Rgb(clYellow)); // the outlet reaches the bottom edge
    }

    void levels_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("waterTop"); // first water row in column 88; 0: no water in the body
        QTest::addColumn<bool>("outlined");
        // Level 0: only the band of 2 pw pixels above the bottom line.
        QTest::newRow("empty") << 0.0 << 109 << false;
        QTest::newRow("full at MainH") << 4.6 << 2 << true;
        QTest::newRow("overfull") << 7.0 << 2 << true;
        QTest::newRow("below the bottom") << -1.0 << 0 << false;
    }
    void levels() {
        QFETCH(double, level);
        QFETCH(int, waterTop);
        QFETCH(bool, outlined);
        TWaterBox* b = Shown();
        b->SetWaterLevel(level);
        const QImage img = RenderElement(b);
        if (waterTop == 0) {
            QCOMPARE(Px(img, 88, 109), Rgb(clBlack));
        } else {
            QCOMPARE(Px(img, 88, waterTop), Rgb(clBlue));
            QCOMPARE(Px(img, 88, waterTop - 1), Rgb(outlined ? clYellow : clBlack));
        }
        if (outlined) { // one outlined rectangle, no gap inside the outline
            QCOMPARE(Px(img, 1, 50), Rgb(clYellow));
            QCOMPARE(Px(img, 2, 50), Rgb(clBlue));
            QCOMPARE(Px(img, 174, 50), Rgb(clBlue));
            QCOMPARE(Px(img, 175, 50), Rgb(clYellow));
        }
        QCOMPARE(Px(img, 88, 140), Rgb(clBlue)); // the outlet is full at any level
    }

    // Each setter repaints at once when the value changes, and not at all when it is the same.
    void settersRepaintOnlyOnChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("WaterLevel") << QByteArray("WaterLevel") << QVariant(1.5);
        QTest::newRow("WaterColor") << QByteArray("WaterColor") << QVariant(int(clRed));
        QTest::newRow("BorderColor") << QByteArray("BorderColor") << QVariant(int(clRed));
        QTest::newRow("BackColor") << QByteArray("BackColor") << QVariant(int(clNavy));
        QTest::newRow("MainW") << QByteArray("MainW") << QVariant(2.5);
        QTest::newRow("MainH") << QByteArray("MainH") << QVariant(4.0);
        QTest::newRow("BoxH") << QByteArray("BoxH") << QVariant(7.0);
        QTest::newRow("BottomH") << QByteArray("BottomH") << QVariant(0.7);
        QTest::newRow("BottomW") << QByteArray("BottomW") << QVariant(0.8);
        QTest::newRow("StepsCount") << QByteArray("StepsCount") << QVariant(4);
        QTest::newRow("Transparent") << QByteArray("Transparent") << QVariant(true);
    }
    void settersRepaintOnlyOnChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TWaterBox* b = Shown();
        PaintCounter paints(b);
        QVERIFY(b->setProperty(property, b->property(property)));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(b->setProperty(property, value));
        QCOMPARE(paints.count, 1); // at once, before any event loop
        QCOMPARE(b->property(property), value);
    }

    void penIsCopied() {
        TWaterBox* b = Shown();
        PaintCounter paints(b);
        TPen same;
        same.SetColor(clYellow);
        b->SetPen(&same);
        b->SetPen(b->Pen());
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        TPen wide;
        wide.SetColor(clLime);
        wide.SetWidth(3);
        b->SetPen(&wide);
        QCOMPARE(paints.count, 1);
        QVERIFY(b->Pen() != &wide);
        QVERIFY(b->Pen()->SameAs(wide));
        // A change of the owned pen itself asks for a repaint later.
        b->Pen()->SetWidth(2);
        QTRY_VERIFY(paints.count >= 2);
    }

    void widePenMovesEverythingInward() {
        TWaterBox* b = Shown();
        TPen wide;
        wide.SetColor(clYellow);
        wide.SetWidth(2);
        b->SetPen(&wide);
        b->SetWaterLevel(2.2);
        const auto g = TWaterBox::Compute(177, 146, 3, 4.6, 6, 0.5, 1, 2.2, 2);
        QCOMPARE(g.water.left, 4);
        QCOMPARE(g.water.top, 54);
        QCOMPARE(g.water.right, 173);
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 4, 54), Rgb(clBlue));
        QCOMPARE(Px(img, 3, 80), Rgb(clBlack));
    }

    // A zero scale ends the paint with one beep and leaves the picture as it was.
    void zeroScaleBeeps_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::newRow("BoxH") << QByteArray("BoxH");
        QTest::newRow("MainW") << QByteArray("MainW");
    }
    void zeroScaleBeeps() {
        QFETCH(QByteArray, property);
        TWaterBox* b = Shown();
        b->SetWaterLevel(2.2);
        const QVariant good = b->property(property);
        const QImage before = b->Picture().copy();
        TP().Reset();
        b->setProperty(property, 0.0);
        QCOMPARE(TP().beeps, 1);
        QCOMPARE(b->Picture(), before);
        b->setProperty(property, good); // usable again
        b->SetWaterLevel(3);
        QCOMPARE(TP().beeps, 1);
        QCOMPARE(Px(RenderElement(b), 88, 60), Rgb(clBlue));
    }

    // Values far beyond the pixel grid end the paint with a beep instead of
    // overflowing on the way (the sanitizer build halts on any overflow), and
    // the sump draws again once the value is sane.
    void absurdValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("good");
        QTest::newRow("wide pen") << QByteArray("Pen.Width") << QVariant(INT_MAX) << QVariant(1);
        QTest::newRow("negative pen") << QByteArray("Pen.Width") << QVariant(INT_MIN) << QVariant(1);
        QTest::newRow("deep sump") << QByteArray("MainH") << QVariant(1e300) << QVariant(4.6);
        QTest::newRow("level below") << QByteArray("WaterLevel") << QVariant(-1e12) << QVariant(2.2);
        QTest::newRow("level above") << QByteArray("WaterLevel") << QVariant(1e12) << QVariant(2.2);
        QTest::newRow("wide outlet") << QByteArray("BottomW") << QVariant(-1e10) << QVariant(1.0);
    }
    void absurdValues() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QVariant, good);
        TWaterBox* b = Shown();
        b->SetWaterLevel(2.2);
        auto set = [&](const QVariant& v) {
            if (property == "Pen.Width")
                b->Pen()->SetWidth(v.toInt());
            else
                QVERIFY(b->setProperty(property, v));
        };
        set(value);
        RenderElement(b);
        b->SetWaterLevel(3.0);
        b->SetWaterLevel(-1e12); // the changed stretch is computed too
        RenderElement(b);
        set(good);
        b->SetWaterLevel(3);
        QCOMPARE(Px(RenderElement(b), 88, 60), Rgb(clBlue));
    }

    void transparentDrawsOnlyTheTank() {
        TWaterBox* b = Shown();
        b->SetTransparent(true);
        b->SetWaterLevel(2.2);
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 0, 0), kSentinel);    // no background
        QCOMPARE(Px(img, 100, 30), kSentinel); // empty part of the body
        QCOMPARE(Px(img, 20, 140), kSentinel);
        QCOMPARE(Px(img, 2, 56), Rgb(clBlue));
        QCOMPARE(Px(img, 1, 80), Rgb(clYellow));
        QCOMPARE(Px(img, 88, 140), Rgb(clBlue));
    }

    void configRoundTrip() {
        TWaterBox a;
        a.setObjectName("Flake_KS");
        a.SetConfigName(".\\FormMnemo.INI");
        TPen pen;
        pen.SetWidth(3);
        pen.SetColor(clBlue);
        pen.SetStyle(psDash);
        a.SetPen(&pen);
        a.SetBackColor(clNavy);
        a.SetBorderColor(clLime);
        a.SetWaterColor(clRed);
        QVERIFY(a.SaveConfig());
        IniFile ini("FormMnemo.INI");
        QCOMPARE(ini.ReadSection("Flake_KS"),
                 QStringList({"PenWidth", "PenColor", "PenStyle", "BackColor", "BorderColor", "WaterColor"}));
        QCOMPARE(ini.ReadString("Flake_KS", "WaterColor", ""), QString("255"));

        TWaterBox b;
        b.setObjectName("Flake_KS");
        b.SetConfigName(".\\FormMnemo.INI");
        QVERIFY(b.LoadConfig());
        QVERIFY(b.Pen()->SameAs(pen));
        QCOMPARE(b.GetBackColor(), clNavy);
        QCOMPARE(b.GetBorderColor(), clLime);
        QCOMPARE(b.GetWaterColor(), clRed);

        // Another sump takes over that look by naming the section, and saves it as its own.
        TWaterBox c;
        c.setObjectName("Flake_NS");
        c.SetConfigName(".\\FormMnemo.INI");
        QVERIFY(c.LoadConfig("Flake_KS"));
        QCOMPARE(c.GetWaterColor(), clRed);
        QVERIFY(c.SaveConfig());
        QCOMPARE(IniFile("FormMnemo.INI").ReadInteger("Flake_NS", "BackColor", -1), int(clNavy));
    }

    // Missing file, missing section, missing keys and texts that are not numbers keep every value.
    void loadKeepsWhatIsMissing_data() {
        QTest::addColumn<QString>("contents"); // empty: no file at all
        QTest::newRow("no file") << QString();
        QTest::newRow("no section") << QString("[Flake_KS]\nWaterColor=255\n");
        QTest::newRow("no keys") << QString("[Flake_NS]\nOther=1\n");
        QTest::newRow("not numbers") << QString("[Flake_NS]\nPenWidth=wide\nPenColor=\nWaterColor=blue\n"
                                                "BackColor=1,5\nBorderColor=0xZZ\n");
    }
    void loadKeepsWhatIsMissing() {
        QFETCH(QString, contents);
        QFile::remove("Sumps.INI");
        if (!contents.isEmpty()) {
            QFile f("Sumps.INI");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents.toUtf8());
        }
        TWaterBox b;
        b.setObjectName("Flake_NS");
        b.SetConfigName(".\\Sumps.INI");
        QVERIFY(b.LoadConfig());
        QCOMPARE(b.GetWaterColor(), clAqua);
        QCOMPARE(b.GetBackColor(), clBlack);
        QCOMPARE(b.GetBorderColor(), clYellow);
        QCOMPARE(b.Pen()->GetWidth(), 1);
        QCOMPARE(b.Pen()->GetColor(), clYellow);
        QCOMPARE(QFile::exists("Sumps.INI"), !contents.isEmpty()); // reading creates nothing
    }

    void loadTakesHexadecimalColours() {
        IniFile ini("Hex.INI");
        ini.WriteString("Flake_NS", "WaterColor", "$FF0000");
        ini.WriteString("Flake_NS", "BackColor", "0x80");
        TWaterBox b;
        b.setObjectName("Flake_NS");
        b.SetConfigName("Hex.INI");
        QVERIFY(b.LoadConfig());
        QCOMPARE(b.GetWaterColor(), clBlue);
        QCOMPARE(b.GetBackColor(), clMaroon);
    }

    void saveToUnwritablePlaceThrows() {
        TWaterBox b;
        b.setObjectName("Flake_NS");
        b.SetConfigName(".\\no_such_dir\\FormMnemo.INI");
        QVERIFY_THROWS_EXCEPTION(IniFileError, b.SaveConfig());
    }

    // Flake_NS as the scheme's layout places it, holding its flow arrow.
    void fromLayout() {
        TFormSumps form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormSumps: TFormSumps
  object Flake_NS: TWaterBox
    Left = 238
    Top = 675
    Width = 177
    Height = 146
    WaterColor = clBlue
    BorderColor = clYellow
    MainW = 3.000000000000000000
    MainH = 4.600000000000000000
    BoxH = 6.000000000000000000
    BottomH = 0.500000000000000000
    BottomW = 1.000000000000000000
    Pen.Color = clYellow
    ConfigName = '.\Colors.INI'
    object Arrow11: TArrow
      Tag = 200
      Left = 80
      Top = 0
      Width = 20
      Height = 60
    end
  end
end
)",
                                              "FormSumps.layout");
        auto* b = layout.Get<TWaterBox>("Flake_NS");
        QCOMPARE(b->geometry(), QRect(238, 675, 177, 146));
        QCOMPARE(b->GetMainH(), 4.6);
        QCOMPARE(b->GetWaterColor(), clBlue);
        QCOMPARE(b->Pen()->GetColor(), clYellow);
        QCOMPARE(b->GetConfigName(), QString(".\\Colors.INI"));
        QCOMPARE(QString(b->metaObject()->className()), QString("TWaterBox"));
        QObject* arrow = layout.Find("Arrow11");
        QVERIFY(arrow);
        QCOMPARE(arrow->parent(), b);
        b->SetWaterLevel(50 * 0.044);
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 2, 56), Rgb(clBlue));
        QCOMPARE(Px(img, 2, 55), Rgb(clBlack));
    }
};

ORDAL_TEST_MAIN(TstWaterBox)
#include "tst_waterbox.moc"
