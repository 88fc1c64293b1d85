#include "ElementTestSupport.h"
#include "Layout.h"
#include "NumText.h"
#include "Poligon.h"
#include "TestSupport.h"

#include <QFile>

class TFormShapes : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

const QString kCoordinateMessage = QStringLiteral("Правильно указываете координаты точек.\n\r");
const QString kTooManyMessage = QStringLiteral("Слишком большое количество точек!");

const QStringList kStar = {"50; 0", "75;75", "0; 50", "75;25", "50;100", "25;25", "100;50", "25;75"};

QVector<QPointF> Pts(std::initializer_list<QPointF> l) {
    return QVector<QPointF>(l);
}

} // namespace

class TstPoligon : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TPoligon* Shown(int w = 100, int h = 100, const QString& name = "Poligon1") {
        auto* p = new TPoligon(window_);
        p->setObjectName(name);
        p->SetBounds(10, 10, w, h);
        PaintCounter first(p);
        p->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("polygon was not painted after show");
        QCoreApplication::processEvents();
        p->removeEventFilter(&first);
        return p;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        QFile::remove("Colors.INI");
        window_ = new QWidget;
        window_->resize(300, 300);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaultTriangle() {
        TPoligon* p = Shown();
        QCOMPARE(p->size(), QSize(100, 100));
        QCOMPARE(p->Pen()->GetColor(), clRed);
        QCOMPARE(p->Brush()->GetColor(), clYellow);
        QCOMPARE(p->Brush()->GetStyle(), bsSolid);
        QVERIFY(!p->GetXFlip());
        QCOMPARE(p->GetConfigName(), QString(".\\Colors.INI"));
        QCOMPARE(p->PointList()->Strings(), QStringList({"50; 0", "0; 100", "100; 100"}));
        QCOMPARE(p->ScreenCorners(), QPolygon({QPoint(50, 0), QPoint(0, 100), QPoint(100, 100)}));
        const QImage img = RenderElement(p);
        QCOMPARE(Px(img, 50, 60), Rgb(clYellow));
        QCOMPARE(Px(img, 50, 0), Rgb(clRed));
        QCOMPARE(Px(img, 10, 10), kSentinel); // outside the triangle the parent shows
        QCOMPARE(Px(img, 90, 10), kSentinel);
        QCOMPARE(TP().messages.size(), 0);
    }

    // A self-intersecting star on 113 x 155: corner "75;75" lands at (84, 116).
    void starShape() {
        TPoligon* p = Shown(113, 155);
        p->PointList()->SetStrings(kStar);
        const QPolygon c = p->ScreenCorners();
        QCOMPARE(c.size(), 8);
        QCOMPARE(c.at(1), QPoint(84, 116));
        QCOMPARE(c.at(0), QPoint(56, 0));
        QCOMPARE(c.at(6), QPoint(113, 77));
        const QImage img = RenderElement(p);
        // The outline meets in that corner (the toolkit may place a sharp tip's
        // last pixel one off).
        bool tip = false;
        for (int y = 115; y <= 116; ++y)
            for (int x = 83; x <= 84; ++x)
                tip = tip || Px(img, x, y) == Rgb(clRed);
        QVERIFY(tip);
        QCOMPARE(Px(img, 86, 118), kSentinel);
        QCOMPARE(Px(img, 56, 77), Rgb(clYellow)); // the middle, inside an odd number of edges
        QCOMPARE(Px(img, 3, 3), kSentinel);
        QCOMPARE(TP().messages.size(), 0);
    }

    void flipAndTruncation_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QPolygon>("screen"); // on 100 x 100
        QTest::newRow("XFlip mirrors x") << QStringList({"50; 0", "0; 100", "100; 100"}) << true << QChar('.')
                                         << QPolygon({QPoint(50, 0), QPoint(100, 100), QPoint(0, 100)});
        QTest::newRow("33.3 truncates to 33")
            << QStringList({"33.3; 0", "0; 66.7", " 100 ;100 "}) << false << QChar('.')
            << QPolygon({QPoint(33, 0), QPoint(0, 66), QPoint(100, 100)});
        QTest::newRow("decimal comma")
            << QStringList({"33,3; 0", "0; 66,7", "100;100"}) << false << QChar(',')
            << QPolygon({QPoint(33, 0), QPoint(0, 66), QPoint(100, 100)});
        QTest::newRow("beyond 0 ... 100")
            << QStringList({"-10; 0", "0; 150", "100; 100"}) << false << QChar('.')
            << QPolygon({QPoint(-10, 0), QPoint(0, 150), QPoint(100, 100)});
    }
    void flipAndTruncation() {
        QFETCH(QStringList, lines);
        QFETCH(bool, flip);
        QFETCH(QChar, separator);
        QFETCH(QPolygon, screen);
        const QChar saved = DecimalSeparator();
        SetDecimalSeparator(separator);
        TPoligon* p = Shown();
        p->SetXFlip(flip);
        p->PointList()->SetStrings(lines);
        SetDecimalSeparator(saved);
        QCOMPARE(p->ScreenCorners(), screen);
        QCOMPARE(TP().messages.size(), 0);
    }

    void twoLinesDrawNothing() {
        TPoligon* p = Shown();
        p->PointList()->SetStrings({"0; 0", "100; 100"});
        QVERIFY(p->Corners().isEmpty());
        const QImage img = RenderElement(p);
        for (int y = 0; y < 100; y += 7)
            for (int x = 0; x < 100; x += 7)
                QCOMPARE(Px(img, x, y), kSentinel);
        QCOMPARE(TP().messages.size(), 0);
    }

    // A list that cannot be read is reported, and the last good outline stays
    // whole: no corner of the bad list replaces one of the old outline.
    void badPointLists_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("semicolon first")
            << QStringList({"10; 10", "20; 20", ";30", "40; 40"}) << kCoordinateMessage;
        QTest::newRow("no semicolon") << QStringList({"10; 10", "20 20", "30; 30"}) << kCoordinateMessage;
        QTest::newRow("x not a number") << QStringList({"10; 10", "20; 20", "a; 30"}) << kCoordinateMessage;
        QTest::newRow("y missing") << QStringList({"10; 10", "20; 20", "30;"}) << kCoordinateMessage;
        QTest::newRow("y not a number") << QStringList({"10; 10", "20; 20x", "30; 30"}) << kCoordinateMessage;
        QTest::newRow("empty line") << QStringList({"10; 10", "", "30; 30"}) << kCoordinateMessage;
        QStringList many;
        for (int i = 0; i < 101; ++i)
            many << QString("%1; %2").arg(i % 100).arg((i * 7) % 100);
        QTest::newRow("101 lines") << many << kTooManyMessage;
    }
    void badPointLists() {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        TPoligon* p = Shown();
        const QVector<QPointF> before = p->Corners();
        const QImage picture = RenderElement(p);
        p->PointList()->SetStrings(lines);
        QCOMPARE(TP().messages.size(), 1);
        const RecordedMessage& m = TP().messages.first();
        QCOMPARE(m.text, message);
        QCOMPARE(m.caption, QString("Ошибка"));
        QCOMPARE(m.icon, QMessageBox::Critical);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(p->Corners(), before);
        QCOMPARE(RenderElement(p), picture);
        // Every later change reads the list again, and says so again.
        p->Pen()->SetColor(clBlue);
        QCOMPARE(TP().messages.size(), 2);
        QCOMPARE(p->Corners(), before);
        QCOMPARE(TP().beeps, 0);
    }

    void hundredPointsAreAllowed() {
        TPoligon* p = Shown();
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QString("%1; %2").arg(i).arg(i % 2 ? 0 : 100);
        p->PointList()->SetStrings(lines);
        QCOMPARE(p->Corners().size(), 100);
        QCOMPARE(TP().messages.size(), 0);
    }

    void hugePercentagesBeepInsteadOfDrawing() {
        TPoligon* p = Shown();
        p->PointList()->SetStrings({"1e300; 0", "0; 100", "100; 100"}); // repaints at once
        QCOMPARE(TP().beeps, 1);
        RenderElement(p);
        QCOMPARE(TP().beeps, 2); // one beep per failed paint
        QCOMPARE(TP().messages.size(), 0);
    }

    void settersRepaintAtOnceOnlyOnChange() {
        TPoligon* p = Shown();
        PaintCounter paints(p);
        p->SetXFlip(false);
        TStringList same;
        same.SetStrings({"50; 0", "0; 100", "100; 100"});
        p->SetPointList(&same);
        TPen samePen;
        samePen.SetColor(clRed);
        p->SetPen(&samePen);
        TBrush sameBrush;
        sameBrush.SetColor(clYellow);
        p->SetBrush(&sameBrush);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        p->SetXFlip(true);
        QCOMPARE(paints.count, 1);
        QCOMPARE(p->Corners(), Pts({{50, 0}, {100, 100}, {0, 100}}));
        TStringList square;
        square.SetStrings({"0; 0", "100; 0", "100; 100", "0; 100"});
        p->SetPointList(&square);
        QCOMPARE(paints.count, 2);
        QVERIFY(p->PointList() != &square);
        QCOMPARE(p->Corners(), Pts({{100, 0}, {0, 0}, {0, 100}, {100, 100}}));
        TBrush blue;
        blue.SetColor(clBlue);
        p->SetBrush(&blue);
        QCOMPARE(paints.count, 3);
        QCOMPARE(Px(RenderElement(p), 50, 50), Rgb(clBlue));
    }

    void configKeepsPenAndBrushOnly() {
        TPoligon* a = Shown(100, 100, "Poligon1");
        a->Pen()->SetColor(clNavy);
        a->Pen()->SetWidth(3);
        a->Pen()->SetStyle(psDot);
        a->Brush()->SetColor(clTeal);
        a->PointList()->SetStrings(kStar);
        QVERIFY(a->SaveConfig());
        const IniFile ini("Colors.INI");
        QCOMPARE(ini.ReadSection("Poligon1"),
                 QStringList({"PenWidth", "PenColor", "PenStyle", "BrushColor"}));

        TPoligon* b = Shown(100, 100, "Poligon2");
        QVERIFY(b->LoadConfig());
        QCOMPARE(b->Brush()->GetColor(), clYellow);
        QVERIFY(b->LoadConfig("Poligon1"));
        QVERIFY(b->Pen()->SameAs(*a->Pen()));
        QCOMPARE(b->Brush()->GetColor(), clTeal);
        QCOMPARE(b->Corners().size(), 3); // the point list is not part of the look
        QVERIFY(b->SaveConfig());
        QCOMPARE(IniFile("Colors.INI").ReadInteger("Poligon2", "PenColor", 0), int(clNavy));
    }

    void loadFromBadFiles_data() {
        QTest::addColumn<QByteArray>("text"); // empty: no file at all
        QTest::addColumn<int>("brushColor");
        QTest::addColumn<int>("penStyle");
        QTest::newRow("no file") << QByteArray() << int(clYellow) << int(psSolid);
        QTest::newRow("other section only")
            << QByteArray("[Poligon9]\nBrushColor=255\n") << int(clYellow) << int(psSolid);
        QTest::newRow("not numbers") << QByteArray("[Poligon1]\nBrushColor=teal\nPenStyle=dash\n")
                                     << int(clYellow) << int(psSolid);
        QTest::newRow("values") << QByteArray("[Poligon1]\nBrushColor=$800000\nPenStyle=1\n") << int(clNavy)
                                << int(psDash);
    }
    void loadFromBadFiles() {
        QFETCH(QByteArray, text);
        QFETCH(int, brushColor);
        QFETCH(int, penStyle);
        if (!text.isEmpty()) {
            QFile f("Colors.INI");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        TPoligon* p = Shown();
        QVERIFY(p->LoadConfig());
        QCOMPARE(int(p->Brush()->GetColor()), brushColor);
        QCOMPARE(int(p->Pen()->GetStyle()), penStyle);
    }

    void saveToAnUnwritablePathFails() {
        TPoligon* p = Shown();
        p->SetConfigName(TestDir());
        QVERIFY(!p->SaveConfig());
    }

    void fromLayout() {
        TFormShapes form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormShapes: TFormShapes
  object Poligon1: TPoligon
    Left = 8
    Top = 8
    Width = 113
    Height = 155
    Brush.Color = clAqua
    PointList.Strings = (
      '50; 0'
      '75;75'
      '0; 50'
      '75;25'
      '50;100'
      '25;25'
      '100;50'
      '25;75')
    XFlip = True
  end
end
)",
                                              "FormShapes.layout");
        auto* p = layout.Get<TPoligon>("Poligon1");
        QCOMPARE(p->Corners().size(), 8);
        QCOMPARE(p->Corners().at(1), QPointF(25, 75));
        QCOMPARE(p->Brush()->GetColor(), clAqua);
        QCOMPARE(TP().messages.size(), 0);
    }
};

ORDAL_TEST_MAIN(TstPoligon)
#include "tst_poligon.moc"
