#include "Barrel.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"

#include <QFile>

class TFormTank : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

// Barrel_KW of the scheme: 53 x 75, scale 0 ... 10, yellow wall 2 px wide,
// colours of the running state (Condition at the bottom, Water above).
void SchemeTank(TBarrel& b) {
    b.SetBounds(10, 10, 53, 75);
    b.SetColor(clBlack);
    b.Pen()->SetColor(clYellow);
    b.Pen()->SetWidth(2);
    b.SetMaxLevel(10);
    b.SetDownColor(clRed);
    b.SetUpColor(clAqua);
}

void WriteFile(const QString& name, const QByteArray& text) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

} // namespace

class TstBarrel : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TBarrel* Shown(const QString& name = "Barrel_KW") {
        auto* b = new TBarrel(window_);
        b->setObjectName(name);
        SchemeTank(*b);
        PaintCounter first(b);
        b->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("tank was not painted after show");
        QCoreApplication::processEvents();
        b->removeEventFilter(&first);
        return b;
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
        TBarrel b;
        QCOMPARE(b.GetUpColor(), clBlue);
        QCOMPARE(b.GetDownColor(), clNavy);
        QCOMPARE(b.GetMaxLevel(), 10.0);
        QCOMPARE(b.GetMinLevel(), 0.0);
        QCOMPARE(b.GetWaterLevel(), 3.5);
        QCOMPARE(b.Pen()->GetColor(), clBlack);
        QCOMPARE(b.Pen()->GetWidth(), 1);
        QCOMPARE(b.Brush()->GetColor(), clWhite);
        QCOMPARE(b.GetConfigName(), QString(".\\Colors.INI"));
        QVERIFY(!b.GetLeft2RightMode());
        QCOMPARE(b.size(), QSize(185, 41));
        QCOMPARE(TP().beeps, 0);
    }

    // The scheme's tank as its layout places it.
    void fromLayout() {
        TFormTank form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormTank: TFormTank
  object Barrel_KW: TBarrel
    Left = 955
    Top = 157
    Width = 53
    Height = 75
    MaxLevel = 10.000000000000000000
    WaterLevel = 6.500000000000000000
    Pen.Color = clYellow
    Pen.Width = 2
    Left2RightMode = False
  end
end
)",
                                              "FormTank.layout");
        auto* b = layout.Get<TBarrel>("Barrel_KW");
        QCOMPARE(b->geometry(), QRect(955, 157, 53, 75));
        QCOMPARE(b->GetWaterLevel(), 6.5);
        QCOMPARE(b->Pen()->GetColor(), clYellow);
        QCOMPARE(b->Pen()->GetWidth(), 2);
        QCOMPARE(QString(b->metaObject()->className()), QString("TBarrel"));
    }

    void bandColours_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("band 0 is DownColor") << 0 << 255 << 0 << 0;
        QTest::newRow("band 50 halfway") << 50 << 127 << 127 << 127;
        QTest::newRow("band 99 short of UpColor") << 99 << 2 << 252 << 252;
    }
    void bandColours() {
        QFETCH(int, band);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        const QColor c = ColorToQColor(TBarrel::BandColor(clRed, clAqua, band));
        QCOMPARE(c, QColor(red, green, blue));
    }

    // Level 6.35 of 10 on 75 px: fill 47.625 px, bands of 0.75 px; band 62 ends
    // at 47 px, band 63 would end at 48, so the fill reaches 47 px above the bottom.
    void schemeTankAtRunningLevel() {
        QCOMPARE(TBarrel::BandsShown(47.625, 75), 63);
        TBarrel* b = Shown();
        b->SetWaterLevel(6.35);
        const QImage img = RenderElement(b);
        const QRgb top = Rgb(TBarrel::BandColor(clRed, clAqua, 62));
        QCOMPARE(Px(img, 26, 75 - 47), top);
        QCOMPARE(Px(img, 26, 75 - 48), Rgb(clBlack));
        // Rows 74 and 73 are the bottom wall (bands 1 and 2 under it; band 0 is no
        // pixel high); row 72 is band 3.
        QCOMPARE(Px(img, 26, 72), Rgb(TBarrel::BandColor(clRed, clAqua, 3)));
        // Walls 2 px wide: left, right and bottom; the top stays open.
        for (int x : {0, 1, 51, 52})
            QCOMPARE(Px(img, x, 50), Rgb(clYellow));
        QCOMPARE(Px(img, 2, 50), Px(img, 26, 50));
        QCOMPARE(Px(img, 50, 50), Px(img, 26, 50));
        QCOMPARE(Px(img, 26, 73), Rgb(clYellow));
        QCOMPARE(Px(img, 26, 74), Rgb(clYellow));
        QCOMPARE(Px(img, 26, 0), Rgb(clBlack));
        QCOMPARE(Px(img, 26, 5), Rgb(clBlack));
    }

    void levelsOutsideTheScale_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<bool>("left2Right");
        QTest::addColumn<QPoint>("filled"); // a pixel inside the fill, or (-1, -1)
        QTest::addColumn<QPoint>("empty");  // a pixel of background
        QTest::newRow("above MaxLevel: full") << 12.0 << false << QPoint(26, 3) << QPoint(-1, -1);
        QTest::newRow("below MinLevel: empty") << -1.0 << false << QPoint(-1, -1) << QPoint(26, 71);
        // Left to right, half the scale: 26.5 px wide, bands of 0.53 px up to x = 26.
        QTest::newRow("left to right, half") << 5.0 << true << QPoint(25, 10) << QPoint(27, 10);
    }
    void levelsOutsideTheScale() {
        QFETCH(double, level);
        QFETCH(bool, left2Right);
        QFETCH(QPoint, filled);
        QFETCH(QPoint, empty);
        TBarrel* b = Shown();
        b->SetLeft2RightMode(left2Right);
        b->SetWaterLevel(level);
        const QImage img = RenderElement(b);
        if (filled.x() >= 0)
            QVERIFY(Px(img, filled.x(), filled.y()) != Rgb(clBlack));
        if (empty.x() >= 0)
            QCOMPARE(Px(img, empty.x(), empty.y()), Rgb(clBlack));
        // The walls are open at the top in both modes.
        QCOMPARE(Px(img, 0, 40), Rgb(clYellow));
        QCOMPARE(Px(img, 52, 40), Rgb(clYellow));
        QCOMPARE(Px(img, 26, 74), Rgb(clYellow));
        if (level > 10)
            QCOMPARE(Px(img, 26, 0), Rgb(TBarrel::BandColor(clRed, clAqua, 99)));
    }

    // A tank of 40 px: bands of 0.4 px, so some bands are no pixel high; a fill
    // of 20 px shows bands 0 ... 51 (bands 50 and 51 end at 20.4 and 20.8, both
    // truncated to 20) and reaches 20 px.
    void smallTankSkipsEmptyBands() {
        QCOMPARE(TBarrel::BandsShown(20.0, 40), 52);
        QCOMPARE(TBarrel::BandsShown(0.0, 40), 2); // bands 0 and 1 end at row 0
        TBarrel* b = Shown();
        b->SetHeight(40);
        b->SetWaterLevel(5);
        const QImage img = RenderElement(b);
        QVERIFY(Px(img, 26, 20) != Rgb(clBlack));
        QCOMPARE(Px(img, 26, 19), Rgb(clBlack));
    }

    // MaxLevel <= MinLevel draws nothing new: the tank keeps its last picture.
    void emptyScaleKeepsThePicture() {
        TBarrel* b = Shown();
        b->SetWaterLevel(6.35);
        const QImage before = RenderElement(b);
        b->SetMaxLevel(0);
        b->SetDownColor(clLime); // would change the picture if it were drawn
        QCOMPARE(RenderElement(b), before);
        QCOMPARE(TP().beeps, 0);
        // A new size makes a new picture: background only.
        b->SetBounds(10, 10, 30, 30);
        const QImage resized = RenderElement(b);
        QCOMPARE(Px(resized, 0, 15), Rgb(clBlack));
        QCOMPARE(Px(resized, 15, 29), Rgb(clBlack));
    }

    // A one-pixel pen (the default) keeps all three walls inside the picture.
    void thinPenWallsStayInside() {
        TBarrel* b = Shown();
        b->Pen()->SetWidth(1);
        b->SetWaterLevel(0);
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 0, 40), Rgb(clYellow));
        QCOMPARE(Px(img, 52, 40), Rgb(clYellow));
        QCOMPARE(Px(img, 26, 74), Rgb(clYellow));
        QCOMPARE(Px(img, 1, 40), Rgb(clBlack));
        QCOMPARE(Px(img, 51, 40), Rgb(clBlack));
        QCOMPARE(Px(img, 26, 73), Rgb(clBlack));
    }

    void levelNotANumberBeepsOnce() {
        TBarrel* b = Shown();
        const QImage before = RenderElement(b);
        b->SetWaterLevel(std::nan(""));
        QCOMPARE(RenderElement(b), before); // the guard keeps the last picture
        QCOMPARE(TP().beeps, 1);
        b->SetWaterLevel(2);
        RenderElement(b);
        QCOMPARE(TP().beeps, 1);
    }

    // Every setter asks for a later repaint when the value changes, none when it is the same.
    void settersRepaintLaterOnlyOnChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("UpColor") << QByteArray("UpColor") << QVariant(int(clWhite));
        QTest::newRow("DownColor") << QByteArray("DownColor") << QVariant(int(clGreen));
        QTest::newRow("MaxLevel") << QByteArray("MaxLevel") << QVariant(20.0);
        QTest::newRow("MinLevel") << QByteArray("MinLevel") << QVariant(1.0);
        QTest::newRow("WaterLevel") << QByteArray("WaterLevel") << QVariant(6.4);
        QTest::newRow("Left2RightMode") << QByteArray("Left2RightMode") << QVariant(true);
        QTest::newRow("Color") << QByteArray("Color") << QVariant(int(clNavy));
    }
    void settersRepaintLaterOnlyOnChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TBarrel* b = Shown();
        PaintCounter paints(b);
        QVERIFY(b->setProperty(property, b->property(property)));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(b->setProperty(property, value));
        QCOMPARE(paints.count, 0); // later, not at once
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(b->property(property), value);
    }

    void penAndBrushAreCopied() {
        TBarrel* b = Shown();
        PaintCounter paints(b);
        TPen same;
        same.SetColor(clYellow);
        same.SetWidth(2);
        b->SetPen(&same);
        TBrush brush;
        b->SetBrush(&brush);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        TPen other;
        other.SetColor(clLime);
        b->SetPen(&other);
        QVERIFY(b->Pen() != &other);
        QVERIFY(b->Pen()->SameAs(other));
        QTRY_COMPARE(paints.count, 1);
        other.SetColor(clRed); // the argument stays the caller's
        QCOMPARE(b->Pen()->GetColor(), clLime);
    }

    void configRoundTripAndTakeOver() {
        TBarrel* a = Shown("Barrel_KW");
        a->SetUpColor(clWhite);
        a->SetDownColor(clMaroon);
        a->Brush()->SetColor(clSilver);
        a->Pen()->SetStyle(psDash);
        QVERIFY(a->SaveConfig());
        const IniFile ini("Colors.INI");
        QCOMPARE(ini.ReadSection("Barrel_KW"),
                 QStringList({"UpColor", "DownColor", "BackColor", "PenWidth", "PenColor", "PenStyle"}));
        QCOMPARE(ini.ReadInteger("Barrel_KW", "UpColor", 0), int(clWhite));
        QCOMPARE(ini.ReadInteger("Barrel_KW", "BackColor", 0), int(clSilver));
        QCOMPARE(ini.ReadInteger("Barrel_KW", "PenStyle", 0), int(psDash));

        TBarrel* b = Shown("Barrel2");
        QVERIFY(b->LoadConfig()); // own section missing: nothing changes
        QCOMPARE(b->GetUpColor(), clAqua);
        QCOMPARE(b->Pen()->GetStyle(), psSolid);
        QVERIFY(b->LoadConfig("Barrel_KW")); // take over the look of another tank
        QCOMPARE(b->GetUpColor(), clWhite);
        QCOMPARE(b->GetDownColor(), clMaroon);
        QCOMPARE(b->Brush()->GetColor(), clSilver);
        QVERIFY(b->Pen()->SameAs(*a->Pen()));
        QVERIFY(b->SaveConfig());
        QCOMPARE(IniFile("Colors.INI").ReadInteger("Barrel2", "DownColor", 0), int(clMaroon));
    }

    void loadFromBadFiles_data() {
        QTest::addColumn<QByteArray>("text"); // empty: no file at all
        QTest::addColumn<int>("upColor");
        QTest::addColumn<int>("penWidth");
        QTest::newRow("no file") << QByteArray() << int(clAqua) << 2;
        QTest::newRow("other section only") << QByteArray("[Barrel9]\nUpColor=255\n") << int(clAqua) << 2;
        QTest::newRow("not numbers") << QByteArray("[Barrel_KW]\nUpColor=blue\nPenWidth=2.5x\n")
                                     << int(clAqua) << 2;
        QTest::newRow("hexadecimal") << QByteArray("[Barrel_KW]\nUpColor=$FF\nPenWidth=0x3\n") << 255 << 3;
    }
    void loadFromBadFiles() {
        QFETCH(QByteArray, text);
        QFETCH(int, upColor);
        QFETCH(int, penWidth);
        if (!text.isEmpty())
            WriteFile("Colors.INI", text);
        TBarrel* b = Shown();
        QVERIFY(b->LoadConfig());
        QCOMPARE(int(b->GetUpColor()), upColor);
        QCOMPARE(b->GetDownColor(), clRed);
        QCOMPARE(b->Pen()->GetWidth(), penWidth);
        QCOMPARE(TP().messages.size(), 0);
    }

    void saveToAnUnwritablePathFails() {
        TBarrel* b = Shown();
        b->SetConfigName(TestDir()); // a directory, not a file
        QVERIFY(!b->SaveConfig());
    }
};

ORDAL_TEST_MAIN(TstBarrel)
#include "tst_barrel.moc"
