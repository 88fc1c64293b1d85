#include "Ebm.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "NumText.h"
#include "TestSupport.h"

#include <climits>

// The window a layout names first.
class TFormRotor : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

const QString kTooMany = QStringLiteral("Слишком большое количество точек!");
const QString kBadPoint = QStringLiteral("Правильно указываете координаты точек.\n\r");

const QStringList kTriangle{"10; 90", "50; 10", "90; 90"};

} // namespace

class TstEBM : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    // EBM1 of the scheme: 157 x 147, rotor radius 28, maroon pen of width 2, 11 blades.
    TEBM* Shown() {
        auto* e = new TEBM(window_);
        e->setObjectName("EBM1");
        e->SetBounds(10, 10, 157, 147);
        e->SetRotorR(28);
        e->RotorPen()->SetWidth(2);
        e->SetBladeCount(11);
        PaintCounter first(e);
        e->show();
        if (!QTest::qWaitFor([&] { return first.count > 0 && !e->RedrawNeeded(); }))
            qWarning("rotor was not painted after show");
        QCoreApplication::processEvents();
        e->removeEventFilter(&first);
        return e;
    }

    static void SetPoints(TEBM* e, const QStringList& lines) {
        TStringList list;
        list.SetStrings(lines);
        e->SetStatorPoints(&list);
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        SetDecimalSeparator(QLatin1Char(',')); // the workstation's locale
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
        TEBM e;
        QCOMPARE(e.size(), QSize(185, 41));
        QCOMPARE(e.GetRotorR(), 25);
        QCOMPARE(e.RotorPen()->GetColor(), clMaroon);
        QCOMPARE(e.RotorPen()->GetWidth(), 1);
        QCOMPARE(e.RotorBrush()->GetColor(), clYellow);
        QCOMPARE(e.GetRotorYC(), 40);
        QCOMPARE(e.GetRotorXC(), 60);
        QCOMPARE(e.StatorPen()->GetColor(), clRed);
        QCOMPARE(e.StatorPen()->GetWidth(), 1);
        QCOMPARE(e.StatorBrush()->GetColor(), clBlue);
        QCOMPARE(e.StatorPoints()->Strings(),
                 QStringList({"10; 25", "10; 80", "20; 80", "20; 60", "40; 99", "70; 99", "90; 60", "99; 60",
                              "99; 20", "90; 20", "90; 40", "20; 40", "20; 25"}));
        QCOMPARE(e.GetBackColor(), clBlack);
        QVERIFY(!e.GetXFlip());
        QCOMPARE(e.GetBladeCount(), 0);
        QCOMPARE(e.GetIntR(), 0.0);
        QCOMPARE(e.GetBladeAngle(), 0);
        // The default housing is parsed at creation, so a new element shows it.
        QCOMPARE(e.PointCount(), 13);
        QCOMPARE(e.Corner(4), QPointF(40, 99));
        QVERIFY(TP().messages.isEmpty());
    }

    // R = 28 * 147 * 0.01 = 41.16 about (94.2, 58.8): the disc's box is (53, 17)-(135, 99).
    void schemeRotor() {
        TEBM* e = Shown();
        const TEBM::Geometry g = e->Compute();
        QVERIFY(g.disc);
        QCOMPARE(*g.disc, QRect(QPoint(53, 17), QPoint(135, 99)));
        QVERIFY(!g.hub);
        QCOMPARE(g.spokes.size(), qsizetype(11));
        for (const QLine& s : g.spokes)
            QCOMPARE(s.p1(), QPoint(94, 58)); // from the centre, IntR being 0
        QCOMPARE(g.spokes[0].p2(), QPoint(135, 58));
        QCOMPARE(g.housing.size(), qsizetype(13));
        QCOMPARE(g.housing[0], QPoint(15, 36));
        QCOMPARE(g.housing[4], QPoint(62, 145));

        const QImage img = RenderElement(e);
        QCOMPARE(Px(img, 94, 17), Rgb(clMaroon)); // top of the disc's outline
        QCOMPARE(Px(img, 94, 16), Rgb(clBlack));
        QCOMPARE(Px(img, 53, 58), Rgb(clMaroon));  // its left end
        QCOMPARE(Px(img, 113, 64), Rgb(clYellow)); // disc between two spokes
        QCOMPARE(Px(img, 94, 58), Rgb(clMaroon));  // the spokes meet in the centre
        QCOMPARE(Px(img, 120, 58), Rgb(clMaroon)); // first spoke, to the right
        QCOMPARE(Px(img, 30, 100), Rgb(clBlue));   // housing
        QCOMPARE(Px(img, 15, 60), Rgb(clRed));     // its outline
        QCOMPARE(Px(img, 5, 5), Rgb(clBlack));     // background
    }

    // Spokes start at BladeAngle and go clockwise on the screen.
    void spokesClockwise() {
        TEBM e;
        e.resize(100, 100);
        e.SetRotorXC(50);
        e.SetRotorYC(50);
        e.SetRotorR(40);
        e.SetBladeCount(4);
        TEBM::Geometry g = e.Compute();
        QCOMPARE(g.spokes.size(), qsizetype(4));
        QCOMPARE(g.spokes[0].p2(), QPoint(90, 50)); // right
        QCOMPARE(g.spokes[1].p2(), QPoint(50, 90)); // down
        QCOMPARE(g.spokes[2].p2(), QPoint(10, 50)); // left
        QCOMPARE(g.spokes[3].p2(), QPoint(49, 10)); // up (cos 270° is a hair below 0: truncated to 49)
        e.SetBladeAngle(90);
        e.SetIntR(10);
        g = e.Compute();
        QCOMPARE(g.spokes[0], QLine(50, 60, 50, 90)); // from the hub, pointing down
        QVERIFY(g.hub);
        QCOMPARE(*g.hub, QRect(QPoint(40, 40), QPoint(60, 60)));
    }

    // The scheme turns the rotor by one degree per tick: each step redraws once.
    void bladeAngleRedrawsOncePerChange() {
        TEBM* e = Shown();
        PaintCounter paints(e);
        e->SetBladeAngle(0);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(!e->RedrawNeeded());
        e->SetBladeAngle(1);
        QVERIFY(e->RedrawNeeded());
        QCOMPARE(paints.count, 0); // later
        QTRY_COMPARE(paints.count, 1);
        QVERIFY(!e->RedrawNeeded());
        const QImage a = e->Picture().copy();
        e->repaint(); // nothing changed: the picture is only copied
        QCOMPARE(e->Picture(), a);
        QVERIFY(!e->RedrawNeeded());
    }

    void settersRepaintOnlyOnChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("RotorR") << QByteArray("RotorR") << QVariant(30);
        QTest::newRow("RotorYC") << QByteArray("RotorYC") << QVariant(50);
        QTest::newRow("RotorXC") << QByteArray("RotorXC") << QVariant(50);
        QTest::newRow("BackColor") << QByteArray("BackColor") << QVariant(int(clNavy));
        QTest::newRow("BladeCount") << QByteArray("BladeCount") << QVariant(8);
        QTest::newRow("IntR") << QByteArray("IntR") << QVariant(5.5);
        QTest::newRow("BladeAngle") << QByteArray("BladeAngle") << QVariant(359);
        QTest::newRow("XFlip") << QByteArray("XFlip") << QVariant(true);
    }
    void settersRepaintOnlyOnChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TEBM* e = Shown();
        PaintCounter paints(e);
        QVERIFY(e->setProperty(property, e->property(property)));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(!e->RedrawNeeded());
        QVERIFY(e->setProperty(property, value));
        QVERIFY(e->RedrawNeeded());
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(e->property(property), value);
    }

    void stylesAreCopied() {
        TEBM* e = Shown();
        PaintCounter paints(e);
        TBrush yellow;
        yellow.SetColor(clYellow);
        e->SetRotorBrush(&yellow); // same settings
        e->SetStatorPen(e->StatorPen());
        TStringList same;
        same.SetStrings(e->StatorPoints()->Strings());
        e->SetStatorPoints(&same);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);

        TBrush green;
        green.SetColor(clGreen);
        e->SetStatorBrush(&green);
        QVERIFY(e->StatorBrush() != &green);
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(Px(RenderElement(e), 30, 100), Rgb(clGreen));
        // The scheme colours the owned brushes directly.
        e->RotorBrush()->SetColor(clWhite);
        QVERIFY(e->RedrawNeeded());
        QCOMPARE(Px(RenderElement(e), 113, 64), Rgb(clWhite));
    }

    void xFlipMirrors() {
        TEBM* e = Shown();
        e->SetXFlip(true);
        QCOMPARE(e->Corner(0), QPointF(90, 25)); // "10; 25"
        const TEBM::Geometry g = e->Compute();
        // Centre x = 157 - 94.2 = 62.8.
        QCOMPARE(*g.disc, QRect(QPoint(21, 17), QPoint(103, 99)));
        QCOMPARE(g.housing[0], QPoint(141, 36));
        e->SetXFlip(false);
        QCOMPARE(e->Corner(0), QPointF(10, 25));
    }

    void pointLists_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("count");       // point count afterwards
        QTest::addColumn<QString>("message"); // empty: none
        QTest::newRow("triangle") << kTriangle << 3 << QString();
        QTest::newRow("blanks and fractions")
            << QStringList{" 10 ;  90 ", "50;10", "90,5; 90"} << 3 << QString();
        QTest::newRow("two lines: no housing") << QStringList{"10; 10", "90; 90"} << 0 << QString();
        QTest::newRow("empty list") << QStringList{} << 0 << QString();
        QStringList many;
        for (int i = 0; i < 101; ++i)
            many << QString("%1; %2").arg(i % 100).arg(i % 7);
        QTest::newRow("101 lines") << many << 13 << kTooMany;
        QStringList hundred = many.mid(0, 100);
        QTest::newRow("100 lines") << hundred << 100 << QString();
        QTest::newRow("no separator") << QStringList{"10; 90", "25", "90; 90"} << 13 << kBadPoint;
        QTest::newRow("separator first") << QStringList{"10; 90", ";25", "90; 90"} << 13 << kBadPoint;
        QTest::newRow("x not a number") << QStringList{"10; 90", "a; 5", "90; 90"} << 13 << kBadPoint;
        QTest::newRow("y missing") << QStringList{"10; 90", "50;", "90; 90"} << 13 << kBadPoint;
        QTest::newRow("point as separator") << QStringList{"10; 90", "50.5; 10", "90; 90"} << 13 << kBadPoint;
    }
    void pointLists() {
        QFETCH(QStringList, lines);
        QFETCH(int, count);
        QFETCH(QString, message);
        TEBM* e = Shown();
        const TEBM::Geometry before = e->Compute();
        TP().Reset();
        SetPoints(e, lines);
        QCOMPARE(e->PointCount(), count);
        if (message.isEmpty()) {
            QVERIFY(TP().messages.isEmpty());
        } else {
            QCOMPARE(TP().messages.size(), qsizetype(1));
            QCOMPARE(TP().messages[0].text, message);
            QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
            QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
            QCOMPARE(TP().messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            // The previous housing stays whole, corners and count.
            QCOMPARE(e->Compute().housing, before.housing);
        }
        QTRY_VERIFY(!e->RedrawNeeded()); // drawn, whatever the list
        QCOMPARE(TP().beeps, 0);
    }

    void triangleIsDrawn() {
        TEBM* e = Shown();
        e->SetRotorR(0); // no disc, nothing else changes
        e->SetBladeCount(0);
        SetPoints(e, kTriangle);
        const QImage img = RenderElement(e);
        QCOMPARE(Px(img, 78, 100), Rgb(clBlue));
        QCOMPARE(Px(img, 20, 30), Rgb(clBlack)); // outside the triangle
        QCOMPARE(Px(img, 94, 58), Rgb(clBlue));  // where the rotor was
        QVERIFY(!e->Compute().disc);
        QCOMPARE(TP().beeps, 0);
    }

    // A faulty list is reported again only when the list itself changes: colour
    // changes from the scheme's timer never bring up a message box.
    void faultyListReportsOnlyOnItsOwnChange() {
        TEBM* e = Shown();
        TP().Reset();
        SetPoints(e, {"10; 90", "oops", "90; 90"});
        QCOMPARE(TP().messages.size(), qsizetype(1));
        e->StatorBrush()->SetColor(clRed);
        e->RotorBrush()->SetColor(clWhite);
        e->SetBladeAngle(5);
        QTRY_VERIFY(!e->RedrawNeeded());
        QCOMPARE(TP().messages.size(), qsizetype(1));
        e->SetXFlip(true); // the corners are parsed again, mirrored
        QCOMPARE(TP().messages.size(), qsizetype(2));
        QCOMPARE(e->PointCount(), 13);
        SetPoints(e, kTriangle);
        QCOMPARE(e->PointCount(), 3);
        QCOMPARE(e->Corner(0), QPointF(90, 90));
        QCOMPARE(TP().messages.size(), qsizetype(2));
    }

    // Geometry beyond the pixel grid ends the paint with one beep and keeps the picture.
    void badGeometryBeeps_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("huge rotor") << QByteArray("RotorR") << QVariant(INT_MAX);
        QTest::newRow("huge hub") << QByteArray("IntR") << QVariant(1e300);
        QTest::newRow("centre far away") << QByteArray("RotorXC") << QVariant(INT_MIN);
    }
    void badGeometryBeeps() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TEBM* e = Shown();
        const QVariant good = e->property(property);
        const QImage before = e->Picture().copy();
        TP().Reset();
        QVERIFY(e->setProperty(property, value));
        QTRY_COMPARE(TP().beeps, 1);
        QCOMPARE(e->Picture(), before);
        QVERIFY(e->setProperty(property, good));
        QTRY_VERIFY(!e->RedrawNeeded());
        QCOMPARE(TP().beeps, 1);
    }

    void hugeCornerBeeps() {
        TEBM* e = Shown();
        TP().Reset();
        SetPoints(e, {"1e300; 5", "50; 10", "90; 90"});
        QCOMPARE(e->PointCount(), 3);
        QTRY_COMPARE(TP().beeps, 1);
    }

    // A blade count far beyond what a disc can show draws quickly and covers the disc.
    void hugeBladeCount() {
        TEBM* e = Shown();
        e->SetBladeCount(INT_MAX);
        QCOMPARE(e->Compute().spokes.size(), qsizetype(TEBM::kMaxDrawnBlades));
        const QImage img = RenderElement(e);
        QCOMPARE(Px(img, 113, 64), Rgb(clMaroon));
        e->SetBladeCount(-3);
        QVERIFY(e->Compute().spokes.isEmpty());
        QCOMPARE(TP().beeps, 0);
    }

    void calcVal() {
        TEBM e;
        e.resize(157, 147);
        QCOMPARE(e.CalcVal(28), 28 * 147 * 0.01);
        e.resize(100, 200);
        QCOMPARE(e.CalcVal(50), 50.0);
    }

    // EBM1 as the scheme's layout places it, holding its flow arrow.
    void fromLayout() {
        TFormRotor form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormRotor: TFormRotor
  object EBM1: TEBM
    Left = 82
    Top = 417
    Width = 157
    Height = 147
    RotorR = 28
    RotorPen.Color = clMaroon
    RotorPen.Width = 2
    RotorBrush.Color = clYellow
    RotorYC = 40
    RotorXC = 60
    StatorPen.Color = clRed
    StatorBrush.Color = clBlue
    StatorPoints.Strings = (
      '10; 25'
      '10; 80'
      '20; 80'
      '20; 60'
      '40; 99'
      '70; 99'
      '90; 60'
      '99; 60'
      '99; 20'
      '90; 20'
      '90; 40'
      '20; 40'
      '20; 25')
    BladeCount = 11
    object Arrow13: TArrow
      Tag = 100
      Left = 0
      Top = 60
      Width = 30
      Height = 20
    end
  end
end
)",
                                              "FormRotor.layout");
        auto* e = layout.Get<TEBM>("EBM1");
        QCOMPARE(e->geometry(), QRect(82, 417, 157, 147));
        QCOMPARE(e->PointCount(), 13);
        QCOMPARE(e->RotorPen()->GetWidth(), 2);
        QCOMPARE(*e->Compute().disc, QRect(QPoint(53, 17), QPoint(135, 99)));
        QCOMPARE(e->Compute().spokes.size(), qsizetype(11));
        QCOMPARE(layout.Find("Arrow13")->parent(), e);
        QCOMPARE(QString(e->metaObject()->className()), QString("TEBM"));
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(Px(RenderElement(e), 113, 64), Rgb(clYellow));
    }
};

ORDAL_TEST_MAIN(TstEBM)
#include "tst_ebm.moc"
