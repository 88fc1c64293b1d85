#include "Bullet.h"
#include "ShownElement.h"
#include "TestSupport.h"

class TstBullet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TBullet b;
        QCOMPARE(b.size(), QSize(100, 100));
        QCOMPARE(b.Brush()->GetColor(), clYellow);
        QCOMPARE(b.Pen()->GetColor(), clRed);
    }

    // A 120 x 40 bar: the round end is the disc (80, 0) - (120, 40), the box
    // runs to its centre at 100; outlined along the top and the left end.
    void roundedBar() {
        TBullet b;
        b.resize(120, 40);
        const QImage img = RenderElement(&b);
        QCOMPARE(Px(img, 50, 20), Rgb(clYellow));
        QCOMPARE(Px(img, 110, 20), Rgb(clYellow)); // inside the round end
        QCOMPARE(Px(img, 119, 20), Rgb(clRed));    // its outline
        QCOMPARE(Px(img, 119, 1), kSentinel);      // the corner beside the round end
        QCOMPARE(Px(img, 0, 20), Rgb(clRed));
        QCOMPARE(Px(img, 50, 0), Rgb(clRed));
        QCOMPARE(Px(img, 50, 39), Rgb(clYellow)); // the bottom line runs just under the bounds
    }

    void stylesRepaintAtOnce() {
        TShownWindow w;
        TBullet* b = w.Show(new TBullet, QRect(10, 10, 120, 40));
        PaintCounter paints(b);
        TBrush same;
        same.SetColor(clYellow);
        b->SetBrush(&same);
        QCOMPARE(paints.count, 0);
        b->Pen()->SetColor(clBlue);
        QCOMPARE(paints.count, 1);
        QCOMPARE(Px(RenderElement(b), 0, 20), Rgb(clBlue));
    }
};

ORDAL_TEST_MAIN(TstBullet)
#include "tst_bullet.moc"
