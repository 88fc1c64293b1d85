#include "IniFile.h"
#include "ShownElement.h"
#include "Termoscale.h"
#include "TestSupport.h"

class TstTermoScale : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TTermoScale t;
        QCOMPARE(t.size(), QSize(50, 100));
        QCOMPARE(t.Lines()->Count(), 0);
        QVERIFY(!t.GetTransparent());
        QCOMPARE(t.GetTextWPercent(), 40);
        QCOMPARE(t.GetTextHPercent(), 10);
        QCOMPARE(t.GetSLineXPercent(), 60);
        QCOMPARE(t.GetConfigName(), QString(".\\Colors.INI"));
    }

    // Two lines: two label boxes, the first line's against the bottom edge, the
    // second's against the top, one short mark halfway between them.
    void twoLines() {
        const TTermoScale::Geometry g = TTermoScale::Compute(50, 100, 2, 40, 10, 60);
        QCOMPARE(g.axisX, 25);
        QCOMPARE(g.boxes.size(), qsizetype(2));
        QCOMPARE(g.boxes[0], QRect(QPoint(15, 0), QPoint(35, 10))); // the last line, at the top
        QCOMPARE(g.boxes[1], QRect(QPoint(15, 90), QPoint(35, 100)));
        QCOMPARE(g.divisions, QList<int>({5, 95}));
        QCOMPARE(g.marks, QList<QLine>({QLine(10, 50, 40, 50)}));
        QVERIFY(TTermoScale::Compute(50, 100, 1, 40, 10, 60).boxes.isEmpty());

        TTermoScale t;
        t.Lines()->SetStrings({"0", "100"});
        t.SPen()->SetColor(clRed);
        t.TextBrush()->SetColor(clYellow);
        const QImage img = RenderElement(&t);
        QCOMPARE(Px(img, 12, 50), Rgb(clRed));    // the short mark
        QCOMPARE(Px(img, 5, 50), Rgb(clWhite));   // the background, beside it
        QCOMPARE(Px(img, 25, 30), Rgb(clBlack));  // the axis
        QCOMPARE(Px(img, 2, 95), Rgb(clBlack));   // a division line
        QCOMPARE(Px(img, 16, 91), Rgb(clYellow)); // inside the bottom label box
    }

    void transparent() {
        TTermoScale t;
        t.SetTransparent(true);
        QImage img = RenderElement(&t);
        QCOMPARE(Px(img, 5, 50), kSentinel);
        t.Lines()->SetStrings({"a", "b", "c"});
        img = RenderElement(&t);
        QCOMPARE(Px(img, 5, 50), Rgb(clBlack)); // the middle division
        QCOMPARE(Px(img, 5, 40), kSentinel);
    }

    void changesRepaintLater() {
        TShownWindow w;
        TTermoScale* t = w.Show(new TTermoScale, QRect(10, 10, 50, 100));
        PaintCounter paints(t);
        t->SetTextWPercent(40);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        t->Lines()->Add("0");
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        t->SetTransparent(true);
        QTRY_COMPARE(paints.count, 2);
    }

    void configRoundTrip() {
        TTermoScale a;
        a.setObjectName("Scale1");
        a.TextPen()->SetColor(clRed);
        a.WPen()->SetWidth(2);
        a.Brush()->SetColor(clNavy);
        a.TextBrush()->SetColor(clYellow);
        a.Font()->SetName("Arial");
        QVERIFY(a.SaveConfig());
        QCOMPARE(
            IniFile("Colors.INI").ReadSection("Scale1"),
            QStringList({"TextPenWidth", "TextPenColor", "TextPenStyle", "SPenWidth", "SPenColor",
                         "SPenStyle", "VPenWidth", "VPenColor", "VPenStyle", "WPenWidth", "WPenColor",
                         "WPenStyle", "BrushColor", "TextBrushColor", "FontSize", "FontColor", "FontName"}));
        TTermoScale b;
        b.setObjectName("Scale1");
        QVERIFY(b.LoadConfig());
        QCOMPARE(b.TextPen()->GetColor(), clRed);
        QCOMPARE(b.WPen()->GetWidth(), 2);
        QCOMPARE(b.Brush()->GetColor(), clNavy);
        QCOMPARE(b.TextBrush()->GetColor(), clYellow);
        QCOMPARE(b.Font()->GetName(), QString("Arial"));
    }
};

ORDAL_TEST_MAIN(TstTermoScale)
#include "tst_termoscale.moc"
