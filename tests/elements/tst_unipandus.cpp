#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Unipandus.h"

#include <climits>

// The window a layout names first.
class TFormRamp : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

} // namespace

class TstUniPandus : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    // UniPandus1 of the scheme: 222 x 105, yellow pen of width 2, teal band.
    TUniPandus* Shown() {
        auto* u = new TUniPandus(window_);
        u->setObjectName("UniPandus1");
        u->SetBounds(10, 10, 222, 105);
        u->SetTag(400);
        u->Pen()->SetWidth(2);
        u->Brush()->SetColor(clTeal);
        u->SetHPercent(15);
        u->SetA1TopPercent(15);
        PaintCounter first(u);
        u->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("ramp was not painted after show");
        QCoreApplication::processEvents();
        u->removeEventFilter(&first);
        return u;
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
        TUniPandus u;
        QCOMPARE(u.size(), QSize(145, 75));
        QCOMPARE(u.Pen()->GetColor(), clYellow);
        QCOMPARE(u.Pen()->GetWidth(), 1);
        QCOMPARE(u.Brush()->GetColor(), clRed);
        QCOMPARE(u.Brush()->GetStyle(), bsSolid);
        QCOMPARE(u.GetTopPercent(), 10);
        QCOMPARE(u.GetHPercent(), 10);
        QCOMPARE(u.GetA1TopPercent(), 10);
        QCOMPARE(u.GetA2TopPercent(), 5);
        QCOMPARE(u.GetRightTopPercent(), 50);
    }

    void schemeRamp() {
        const auto g = TUniPandus::Compute(222, 105, 2, 10, 15, 15, 5, 50);
        QCOMPARE(g.band, QPolygon({QPoint(2, 10), QPoint(220, 52), QPoint(220, 67), QPoint(2, 25)}));
        QCOMPARE(g.hoppers, QPolygon({QPoint(0, 25), QPoint(55, 89), QPoint(111, 46), QPoint(167, 99),
                                      QPoint(222, 67)}));

        TUniPandus* u = Shown();
        const QImage img = RenderElement(u);
        QCOMPARE(Px(img, 111, 38), Rgb(clTeal));   // inside the band
        QCOMPARE(Px(img, 2, 17), Rgb(clYellow));   // its left edge
        QCOMPARE(Px(img, 111, 25), kSentinel);     // above the band: the parent shows
        QCOMPARE(Px(img, 55, 88), Rgb(clYellow));  // first hopper tip
        QCOMPARE(Px(img, 167, 98), Rgb(clYellow)); // second hopper tip
        QCOMPARE(Px(img, 55, 70), kSentinel);      // inside the first hopper: not filled
        QCOMPARE(Px(img, 111, 80), kSentinel);     // between the hoppers, below the peak
        QCOMPARE(Px(img, 0, 104), kSentinel);      // no background
    }

    void shapes_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("a1");
        QTest::addColumn<int>("right");
        QTest::addColumn<QPolygon>("band");
        QTest::addColumn<QPolygon>("hoppers");
        QTest::newRow("level band") << 30 << 15 << 15 << 30
                                    << QPolygon({{2, 31}, {220, 31}, {220, 46}, {2, 46}})
                                    << QPolygon({{0, 46}, {55, 89}, {111, 46}, {167, 99}, {222, 46}});
        // The band collapses to a line; the hopper line still starts and ends on it.
        QTest::newRow("no thickness")
            << 10 << 0 << 15 << 50 << QPolygon({{2, 10}, {220, 52}, {220, 52}, {2, 10}})
            << QPolygon({{0, 10}, {55, 89}, {111, 31}, {167, 99}, {222, 52}});
        // A tip at 100 % lies on the top edge, above the band.
        QTest::newRow("tip at the top")
            << 10 << 15 << 100 << 50 << QPolygon({{2, 10}, {220, 52}, {220, 67}, {2, 25}})
            << QPolygon({{0, 25}, {55, 0}, {111, 46}, {167, 99}, {222, 67}});
        // Outside 0..100 the points leave the element; nothing is corrected.
        QTest::newRow("negative top")
            << -20 << 15 << 15 << 50 << QPolygon({{2, -21}, {220, 52}, {220, 67}, {2, -5}})
            << QPolygon({{0, -5}, {55, 89}, {111, 31}, {167, 99}, {222, 67}});
    }
    void shapes() {
        QFETCH(int, top);
        QFETCH(int, h);
        QFETCH(int, a1);
        QFETCH(int, right);
        QFETCH(QPolygon, band);
        QFETCH(QPolygon, hoppers);
        const auto g = TUniPandus::Compute(222, 105, 2, top, h, a1, 5, right);
        QCOMPARE(g.band, band);
        QCOMPARE(g.hoppers, hoppers);
    }

    // The percentages ask for a later repaint, and only when they change.
    void percentagesRepaintLater_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::newRow("TopPercent") << QByteArray("TopPercent");
        QTest::newRow("HPercent") << QByteArray("HPercent");
        QTest::newRow("A1TopPercent") << QByteArray("A1TopPercent");
        QTest::newRow("A2TopPercent") << QByteArray("A2TopPercent");
        QTest::newRow("RightTopPercent") << QByteArray("RightTopPercent");
    }
    void percentagesRepaintLater() {
        QFETCH(QByteArray, property);
        TUniPandus* u = Shown();
        PaintCounter paints(u);
        const int old = u->property(property).toInt();
        QVERIFY(u->setProperty(property, old));
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(u->setProperty(property, old + 7));
        QCOMPARE(paints.count, 0); // not at once
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(u->property(property).toInt(), old + 7);
    }

    void penAndBrushAreCopied() {
        TUniPandus* u = Shown();
        PaintCounter paints(u);
        TPen pen;
        pen.SetColor(clYellow);
        pen.SetWidth(2);
        u->SetPen(&pen); // the same settings
        u->SetBrush(u->Brush());
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);

        TBrush brush;
        brush.SetColor(clLime);
        u->SetBrush(&brush);
        QVERIFY(u->Brush() != &brush);
        QCOMPARE(u->Brush()->GetColor(), clLime);
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        QCOMPARE(Px(RenderElement(u), 111, 38), Rgb(clLime));
        u->Pen()->SetColor(clRed);
        QTRY_COMPARE(paints.count, 2);
    }

    // Absurd percentages end in the paint guard: one beep per paint, no crash.
    void absurdPercentagesBeep() {
        TUniPandus* u = Shown();
        TP().Reset();
        u->SetTopPercent(INT_MAX);
        u->repaint();
        QCOMPARE(TP().beeps, 1);
        u->SetTopPercent(10);
        u->SetA1TopPercent(INT_MIN);
        u->repaint();
        QCOMPARE(TP().beeps, 2);
        u->SetA1TopPercent(15);
        u->repaint();
        QCOMPARE(TP().beeps, 2);
    }

    void fromLayout() {
        TFormRamp form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormRamp: TFormRamp
  object UniPandus1: TUniPandus
    Tag = 400
    Left = 668
    Top = 331
    Width = 222
    Height = 105
    Pen.Color = clYellow
    Pen.Width = 2
    Brush.Color = clTeal
    TopPercent = 10
    HPercent = 15
    A1TopPercent = 15
    A2TopPercent = 5
    RightTopPercent = 50
  end
end
)",
                                              "FormRamp.layout");
        auto* u = layout.Get<TUniPandus>("UniPandus1");
        QCOMPARE(u->geometry(), QRect(668, 331, 222, 105));
        QCOMPARE(u->GetTag(), 400);
        QCOMPARE(u->Pen()->GetWidth(), 2);
        QCOMPARE(u->GetA1TopPercent(), 15);
        QCOMPARE(QString(u->metaObject()->className()), QString("TUniPandus"));
        const QImage img = RenderElement(u);
        QCOMPARE(Px(img, 111, 38), Rgb(clTeal));
        QCOMPARE(Px(img, 55, 88), Rgb(clYellow));
    }
};

ORDAL_TEST_MAIN(TstUniPandus)
#include "tst_unipandus.moc"
