#include "Coalbox.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"

#include <climits>

class TFormBath : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

} // namespace

class TstCoalBox : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TCoalBox* Shown(int w = 210, int h = 100) {
        auto* b = new TCoalBox(window_);
        b->setObjectName("CoalBox1");
        b->SetBounds(0, 0, w, h);
        PaintCounter first(b);
        b->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("bath was not painted after show");
        b->removeEventFilter(&first);
        return b;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(420, 220);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaults() {
        TCoalBox b;
        QCOMPARE(b.size(), QSize(210, 100));
        QCOMPARE(b.GetvirtH(), 100.0);
        QCOMPARE(b.GetvirtW(), 210.0);
        QCOMPARE(QPointF(b.GetPandusX1(), b.GetPandusY1()), QPointF(5, 80));
        QCOMPARE(QPointF(b.GetPandusX2(), b.GetPandusY2()), QPointF(115, 50));
        QCOMPARE(QPointF(b.GetPandusX3(), b.GetPandusY3()), QPointF(130, 65));
        QCOMPARE(b.GetPandusH1(), 5.0);
        QCOMPARE(b.GetPandusH2(), 20.0);
        QCOMPARE(QPointF(b.GetBoxX1(), b.GetBoxY1()), QPointF(150, 40));
        QCOMPARE(QPointF(b.GetBoxX2(), b.GetBoxY2()), QPointF(150, 60));
        QCOMPARE(QPointF(b.GetBoxX3(), b.GetBoxY3()), QPointF(180, 80));
        QCOMPARE(QPointF(b.GetRBoxX1(), b.GetRBoxX2()), QPointF(185, 205));
        QCOMPARE(QPointF(b.GetCenter3X(), b.GetCenter3Y()), QPointF(165, 35));
        QCOMPARE(b.GetCenter3R(), 12.0);
        QVERIFY(b.GetTransparent());
        QCOMPARE(b.GetFrameNumber(), 0);
        QVERIFY(!b.Getshow_baldes());
        QCOMPARE(b.Getblade_count(), 8);
        QCOMPARE(b.Getblade_angle(), 0.0);
        const std::pair<TPen*, TColor> pens[] = {{b.PandusPen(), clYellow}, {b.BoxPen(), clYellow},
                                                 {b.RBoxPen(), clRed},      {b.C3Pen(), clRed},
                                                 {b.blade_pen(), clBlack}};
        for (auto [pen, color] : pens) {
            QCOMPARE(pen->GetColor(), color);
            QCOMPARE(pen->GetWidth(), 1);
        }
        const std::pair<TBrush*, TColor> brushes[] = {{b.PandusBrush(), clRed}, {b.Brush(), clBlack},
                                                      {b.BoxBrush(), clBlue},   {b.RBoxBrush(), clRed},
                                                      {b.C3Brush(), clYellow}};
        for (auto [brush, color] : brushes)
            QCOMPARE(brush->GetColor(), color);
    }

    // 210 x 100 with the defaults: one virtual unit is one pixel.
    void firstSpokes() {
        TCoalBox* b = Shown();
        b->Setshow_baldes(true);
        const QImage img = RenderElement(b);
        // First spoke at 0 degrees from (165, 35) to (177, 35), the third at 90
        // degrees straight up to (165, 23).
        for (int x = 165; x < 177; ++x)
            QCOMPARE(Px(img, x, 35), Rgb(clBlack));
        for (int y = 24; y <= 35; ++y)
            QCOMPARE(Px(img, 165, y), Rgb(clBlack));
        // Between the spokes the wheel is yellow, framed in red.
        QCOMPARE(Px(img, 170, 33), Rgb(clYellow));
        QCOMPARE(Px(img, 165, 23), Rgb(clRed));
        QCOMPARE(Px(img, 153, 35), Rgb(clRed));
        QCOMPARE(Px(img, 165, 21), kSentinel);
        // The bath (drawn last) covers the wheel's lower part.
        QCOMPARE(Px(img, 165, 45), Rgb(clBlue));
        QCOMPARE(Px(img, 200, 90), Rgb(clBlue));
        QCOMPARE(TP().beeps, 0);
    }

    void staticParts() {
        TCoalBox* b = Shown();
        const QImage img = RenderElement(b);
        // Ramp band between its upper edge (5, 80)-(115, 50) and the lower one.
        QCOMPARE(Px(img, 60, 67), Rgb(clRed));
        QCOMPARE(Px(img, 60, 60), kSentinel);
        // Discharge column from x 185 to 205 above the water line at 40: red
        // outline, the wheel's yellow brush as a frame just inside it.
        QCOMPARE(Px(img, 185, 20), Rgb(clRed));
        QCOMPARE(Px(img, 205, 20), Rgb(clRed));
        QCOMPARE(Px(img, 204, 20), Rgb(clYellow));
        QCOMPARE(Px(img, 195, 0), Rgb(clRed));
        // Phase 0: lines at 40 - 40 sin k for k = 18, 36, 54, 72 degrees.
        for (int y : {27, 16, 7, 1})
            QCOMPARE(Px(img, 195, y), Rgb(clRed));
        for (int y : {20, 10, 32})
            QCOMPARE(Px(img, 195, y), kSentinel);
        // Bath outline at its right and bottom edges, pen width 1 in from them.
        QCOMPARE(Px(img, 209, 70), Rgb(clYellow));
        QCOMPARE(Px(img, 190, 99), Rgb(clYellow));
        QCOMPARE(Px(img, 150, 50), Rgb(clYellow));
        QCOMPARE(Px(img, 10, 10), kSentinel); // transparent background
    }

    // The scheme's CoalBox1: 386 x 184, opaque, wider pens, spokes on.
    void schemeBath() {
        TCoalBox* b = Shown(386, 184);
        b->SetTransparent(false);
        TPen wide;
        wide.SetColor(clYellow);
        wide.SetWidth(2);
        b->SetPandusPen(&wide);
        wide.SetColor(clBlack);
        b->Setblade_pen(&wide);
        b->Setshow_baldes(true);
        QCOMPARE(b->RecalcX(165), 165 * (386 / 210.0));
        QCOMPARE(b->RecalcY(35), 35 * (184 / 100.0));
        const QImage img = RenderElement(b);
        QCOMPARE(Px(img, 5, 5), Rgb(clBlack)); // filled with Brush
        QCOMPARE(Px(img, 310, 64), Rgb(clBlack)); // first spoke, right of the hub (303, 64)
        QCOMPARE(Px(img, 300, 120), Rgb(clBlue));
        QCOMPARE(TP().beeps, 0);
    }

    // CoalBox1 as the scheme's layout places it.
    void fromLayout() {
        TFormBath form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormBath: TFormBath
  object CoalBox1: TCoalBox
    Left = 284
    Top = 146
    Width = 386
    Height = 184
    PandusPen.Color = clYellow
    PandusPen.Width = 2
    Transparent = False
    blade_count = 8
    show_baldes = True
    blade_pen.Width = 2
    BoxBrush.Color = clNavy
  end
end
)",
                                                "FormBath.layout");
        auto* b = layout.Get<TCoalBox>("CoalBox1");
        QCOMPARE(b->geometry(), QRect(284, 146, 386, 184));
        QCOMPARE(b->PandusPen()->GetWidth(), 2);
        QVERIFY(!b->GetTransparent());
        QVERIFY(b->Getshow_baldes());
        QCOMPARE(b->blade_pen()->GetWidth(), 2);
        QCOMPARE(b->BoxBrush()->GetColor(), clNavy);
        QCOMPARE(TP().messages.size(), 0);
        QCOMPARE(QString(b->metaObject()->className()), QString("TCoalBox"));
    }

    void checkedValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<double>("value");
        QTest::newRow("virtW 0") << QByteArray("virtW") << 0.0;
        QTest::newRow("virtW -5") << QByteArray("virtW") << -5.0;
        QTest::newRow("virtH not a number") << QByteArray("virtH") << qQNaN();
        QTest::newRow("virtH infinite") << QByteArray("virtH") << qInf();
        QTest::newRow("PandusX1 0") << QByteArray("PandusX1") << 0.0;
        QTest::newRow("PandusH2 -1") << QByteArray("PandusH2") << -1.0;
        QTest::newRow("PandusY3 -0.5") << QByteArray("PandusY3") << -0.5;
    }
    void checkedValues() {
        QFETCH(QByteArray, property);
        QFETCH(double, value);
        TCoalBox* b = Shown();
        const double before = b->property(property).toDouble();
        PaintCounter counter(b);
        QVERIFY(b->setProperty(property, value));
        QCOMPARE(b->property(property).toDouble(), before);
        QCOMPARE(counter.count, 0);
        QCOMPARE(TP().messages.size(), 1);
        const RecordedMessage& m = TP().messages.first();
        QCOMPARE(m.text, QString("Допускаются только ненулевые положительные значения!"));
        QCOMPARE(m.caption, QString("Это значение недопустимо"));
        QCOMPARE(m.icon, QMessageBox::Warning);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void setterRepaints_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("now");   // paints before returning
        QTest::addColumn<int>("later"); // paints after the event loop ran
        QTest::newRow("virtW") << QByteArray("virtW") << QVariant(200.0) << 1 << 1;
        QTest::newRow("PandusY2") << QByteArray("PandusY2") << QVariant(45.0) << 1 << 1;
        QTest::newRow("PandusX3") << QByteArray("PandusX3") << QVariant(128.0) << 1 << 1;
        QTest::newRow("RBoxX1") << QByteArray("RBoxX1") << QVariant(183.0) << 1 << 1;
        QTest::newRow("Transparent") << QByteArray("Transparent") << QVariant(false) << 1 << 1;
        QTest::newRow("FrameNumber") << QByteArray("FrameNumber") << QVariant(5) << 1 << 1;
        QTest::newRow("BoxX1") << QByteArray("BoxX1") << QVariant(140.0) << 0 << 0;
        QTest::newRow("BoxY3") << QByteArray("BoxY3") << QVariant(82.0) << 0 << 0;
        QTest::newRow("Center3R") << QByteArray("Center3R") << QVariant(10.0) << 0 << 0;
        QTest::newRow("show_baldes") << QByteArray("show_baldes") << QVariant(true) << 0 << 1;
        QTest::newRow("blade_count") << QByteArray("blade_count") << QVariant(6) << 0 << 1;
        QTest::newRow("blade_angle") << QByteArray("blade_angle") << QVariant(357.0) << 0 << 1;
    }
    void setterRepaints() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(int, now);
        QFETCH(int, later);
        TCoalBox* b = Shown();
        PaintCounter counter(b);
        QVERIFY(b->setProperty(property, value));
        QCOMPARE(counter.count, now);
        QTRY_COMPARE(counter.count, later);
        QCOMPARE(b->property(property), value);
        QVERIFY(b->setProperty(property, value)); // unchanged: nothing
        QTest::qWait(20);
        QCOMPARE(counter.count, later);
        QCOMPARE(TP().messages.size(), 0);
    }

    void penAndBrushSetters() {
        TCoalBox* b = Shown();
        PaintCounter counter(b);
        TPen pen;
        pen.SetColor(clLime);
        b->SetBoxPen(&pen);
        QCOMPARE(counter.count, 1); // at once
        QCOMPARE(b->BoxPen()->GetColor(), clLime);
        pen.SetColor(clWhite); // a copy: the element keeps its own
        QCOMPARE(b->BoxPen()->GetColor(), clLime);
        TBrush brush;
        brush.SetColor(clGreen);
        b->SetC3Brush(&brush);
        QCOMPARE(counter.count, 2);
        b->SetC3Brush(&brush); // unchanged
        b->SetBoxBrush(nullptr);
        b->Setblade_pen(nullptr);
        QTest::qWait(20);
        QCOMPARE(counter.count, 2);
        // Changing an owned pen directly asks for a later repaint.
        b->RBoxPen()->SetWidth(2);
        QCOMPARE(counter.count, 2);
        QTRY_COMPARE(counter.count, 3);
        b->Setblade_pen(&pen);
        QCOMPARE(b->blade_pen()->GetColor(), clWhite);
        QTRY_COMPARE(counter.count, 4);
    }

    void frames_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("next");
        QTest::newRow("0") << 0 << 0 << 1;
        QTest::newRow("17 wraps") << 17 << 17 << 0;
        QTest::newRow("40 is 4") << 40 << 4 << 5;
        QTest::newRow("18 is 0") << 18 << 0 << 1;
        QTest::newRow("negative kept") << -3 << -3 << -2;
    }
    void frames() {
        QFETCH(int, set);
        QFETCH(int, stored);
        QFETCH(int, next);
        TCoalBox* b = Shown();
        b->SetFrameNumber(set);
        QCOMPARE(b->GetFrameNumber(), stored);
        PaintCounter counter(b);
        b->NextFrame();
        QCOMPARE(b->GetFrameNumber(), next);
        QCOMPARE(counter.count, 1);
    }

    // Nine ticks of two frames each bring the lines back to where they were.
    void framesCycle() {
        TCoalBox* b = Shown();
        b->SetTransparent(false);
        const QImage first = RenderElement(b);
        for (int i = 0; i < 17; ++i)
            b->NextFrame();
        QVERIFY(RenderElement(b) != first);
        b->NextFrame();
        QCOMPARE(b->GetFrameNumber(), 0);
        QCOMPARE(RenderElement(b), first);
    }

    void farNegativeFrameEnds() {
        TCoalBox* b = Shown();
        b->SetTransparent(false);
        b->SetFrameNumber(-354);
        const QImage near = RenderElement(b);
        b->SetFrameNumber(INT_MIN + 8); // 6 modulo 18, as -354 is
        QCOMPARE(b->GetFrameNumber(), INT_MIN + 8);
        // The same 25 lines as at -354, not one for every 18 degrees from
        // INT_MIN on.
        QCOMPARE(TCoalBox::RisingPhases(INT_MIN + 8), TCoalBox::RisingPhases(-354));
        QCOMPARE(TCoalBox::RisingPhases(-354).size(), qsizetype(25));
        const QImage far = RenderElement(b);
        QCOMPARE(far, near);
        b->SetFrameNumber(6);
        QVERIFY(RenderElement(b) != far); // the phases below 0 add lines
        QCOMPARE(TP().beeps, 0);
    }

    // With Transparent set nothing clears the picture.
    void transparentKeepsEarlierFrames() {
        TCoalBox* b = Shown();
        const QImage phase0 = RenderElement(b);
        QCOMPARE(Px(phase0, 195, 27), Rgb(clRed));
        b->SetFrameNumber(5);
        const QImage both = RenderElement(b);
        QCOMPARE(Px(both, 195, 27), Rgb(clRed)); // left from phase 0
        b->SetTransparent(false);
        const QImage alone = RenderElement(b);
        QCOMPARE(Px(alone, 195, 27), Rgb(clBlack));
    }

    // A ramp without horizontal extent: the picture on the screen stays as it was.
    void flatRampKeepsPicture() {
        TCoalBox* b = Shown();
        const QImage before = RenderElement(b);
        b->SetPandusX2(5);
        QCOMPARE(b->GetPandusX2(), 5.0);
        QCOMPARE(RenderElement(b), before);
        b->SetBoxX1(140);
        QCOMPARE(RenderElement(b), before);
        QCOMPARE(TP().beeps, 0);
        b->SetPandusX2(115);
        QVERIFY(RenderElement(b) != before); // the moved bath shows now
    }

    void spokesOptional() {
        TCoalBox* b = Shown();
        b->SetTransparent(false);
        const QImage plain = RenderElement(b);
        QCOMPARE(Px(plain, 170, 35), Rgb(clYellow));
        b->Setshow_baldes(true);
        b->Setblade_count(0);
        QCOMPARE(RenderElement(b), plain);
        b->Setblade_count(-3);
        QCOMPARE(RenderElement(b), plain);
        b->Setblade_count(3600);
        const QImage most = RenderElement(b);
        b->Setblade_count(INT_MAX); // drawn as the wheel full of spokes above, not forever
        const QImage full = RenderElement(b);
        QCOMPARE(full, most);
        QCOMPARE(Px(full, 170, 33), Rgb(clBlack));
        QCOMPARE(TP().beeps, 0);
    }

    void resizedPictureFollows() {
        TCoalBox* b = Shown();
        b->resize(420, 200);
        const QImage img = RenderElement(b);
        QCOMPARE(b->Picture().size(), QSize(420, 200));
        QCOMPARE(Px(img, 400, 180), Rgb(clBlue));
        QCOMPARE(Px(img, 340, 70), Rgb(clYellow)); // wheel centre (330, 70), radius 24
    }

    void brokenGeometryBeeps() {
        TCoalBox* b = Shown();
        TP().Reset();
        b->SetCenter3R(qInf());
        RenderElement(b);
        QCOMPARE(TP().beeps, 1);
        b->SetCenter3R(12);
        RenderElement(b);
        QCOMPARE(TP().beeps, 1);
    }
};

ORDAL_TEST_MAIN(TstCoalBox)
#include "tst_coalbox.moc"
