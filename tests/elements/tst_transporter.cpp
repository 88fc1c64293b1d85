#include "ShownElement.h"
#include "TestSupport.h"
#include "Transporter.h"

class TstTransporter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TTransporter t;
        QCOMPARE(t.size(), QSize(100, 20));
        QCOMPARE(t.BodyBrush()->GetColor(), clNavy);
        QCOMPARE(t.C1Brush()->GetColor(), clBlack);
        QCOMPARE(t.C2Brush()->GetColor(), clYellow);
        QCOMPARE(t.Pen()->GetColor(), clYellow);
        QCOMPARE(t.R1Pen()->GetColor(), clBlack);
        QCOMPARE(t.R2Pen()->GetColor(), clRed);
        QCOMPARE(t.GetR1Persent(), short(70));
    }

    // 100 x 20: drums of radius 10 at both ends, shafts of radius 7.
    void conveyor() {
        const TTransporter::Geometry g = TTransporter::Compute(100, 20, 70);
        auto box = [](int l, int t, int r, int b) {
            QRect q;
            q.setCoords(l, t, r, b);
            return q;
        };
        QCOMPARE(g.body, box(10, 0, 90, 20));
        QCOMPARE(g.drums[0], box(0, 0, 20, 20));
        QCOMPARE(g.drums[1], box(80, 0, 100, 20));
        QCOMPARE(g.shafts[0], box(3, 3, 17, 17));
        QCOMPARE(g.shafts[1], box(83, 3, 97, 17));

        TTransporter t;
        const QImage img = RenderElement(&t);
        QCOMPARE(Px(img, 50, 10), Rgb(clNavy));  // the belt
        QCOMPARE(Px(img, 50, 0), Rgb(clYellow)); // its outline
        QCOMPARE(Px(img, 10, 10), Rgb(clBlack)); // a shaft
        QCOMPARE(Px(img, 10, 1), Rgb(clYellow)); // the drum around it
        QCOMPARE(Px(img, 10, 0), Rgb(clRed));    // the drum's outline
        QCOMPARE(Px(img, 0, 0), kSentinel);      // beside the drum: the parent's
    }

    void changesRepaintLater() {
        TShownWindow w;
        TTransporter* t = w.Show(new TTransporter, QRect(10, 10, 100, 20));
        PaintCounter paints(t);
        t->SetR1Persent(70);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        t->SetR1Persent(30);
        QCOMPARE(paints.count, 0);
        QTRY_COMPARE(paints.count, 1);
        TBrush green;
        green.SetColor(clGreen);
        t->SetBodyBrush(&green);
        QTRY_COMPARE(paints.count, 2);
        QCOMPARE(Px(RenderElement(t), 50, 10), Rgb(clGreen));
        QCOMPARE(Px(RenderElement(t), 10, 5), Rgb(clYellow)); // the smaller shaft leaves more drum
    }
};

ORDAL_TEST_MAIN(TstTransporter)
#include "tst_transporter.moc"
