#include "Controls.h"
#include "ElementTestSupport.h"
#include "TestSupport.h"

#include <QFontMetrics>

namespace {
QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}
} // namespace

class TstControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void labelAutoSize() {
        QWidget parent;
        auto* label = new TLabel(&parent);
        label->SetBounds(100, 10, 200, 50);
        label->SetCaption("Плотность");
        const QFontMetrics fm(label->Font()->ToQFont());
        QCOMPARE(label->size(), QSize(fm.horizontalAdvance("Плотность"), fm.height()));
        QCOMPARE(label->pos(), QPoint(100, 10));

        // A right-justified label grows to the left.
        label->SetAlignment(taRightJustify);
        const int right = label->x() + label->width();
        label->SetCaption("Плотность суспензии");
        QCOMPARE(label->x() + label->width(), right);

        // "&&" is one "&"; the access character's "&" takes no room.
        label->SetAlignment(taLeftJustify);
        label->SetCaption("A&&B");
        const int both = label->width();
        label->SetCaption("A&B");
        QVERIFY(label->width() < both);
        label->SetShowAccelChar(false);
        QCOMPARE(label->width(), fm.horizontalAdvance("A&B"));

        label->SetAutoSize(false);
        label->SetCaption("a much longer caption than before");
        QCOMPARE(label->width(), fm.horizontalAdvance("A&B"));
        label->Font()->SetSize(20); // a bigger font resizes an auto-sized label only
        QCOMPARE(label->height(), fm.height());
    }

    void labelColours() {
        TLabel label;
        label.SetAutoSize(false);
        label.SetBounds(0, 0, 60, 20);
        label.SetCaption("ll");
        label.Font()->SetColor(clRed);
        QImage img = RenderElement(&label);
        QCOMPARE(Px(img, 59, 19), Rgb(clBtnFace));
        bool red = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                red = red || (qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 100);
        QVERIFY(red);
        label.SetTransparent(true);
        img = RenderElement(&label);
        QCOMPARE(img.pixel(59, 19), kSentinel);
    }

    void panelBevelsAndCaption() {
        TPanel panel;
        panel.SetBounds(0, 0, 50, 30);
        QImage img = RenderElement(&panel);
        QCOMPARE(Px(img, 0, 0), Rgb(clWhite));
        QCOMPARE(Px(img, 49, 29), Rgb(clBtnShadow));
        QCOMPARE(Px(img, 5, 5), Rgb(clBtnFace));
        panel.SetBevelOuter(bvLowered);
        panel.SetBevelWidth(2);
        img = RenderElement(&panel);
        QCOMPARE(Px(img, 1, 1), Rgb(clBtnShadow));
        QCOMPARE(Px(img, 48, 28), Rgb(clWhite));
        QVERIFY(!panel.RedrawNeeded());
        panel.SetCaption("Пуск"); // a panel shows its caption at once
        QVERIFY(panel.RedrawNeeded());
        panel.SetColor(clGreen);
        img = RenderElement(&panel);
        QCOMPARE(Px(img, 5, 5), Rgb(clGreen));
    }

    void shapes() {
        TShape shape;
        QCOMPARE(shape.size(), QSize(65, 65));
        QImage img = RenderElement(&shape);
        QCOMPARE(Px(img, 0, 0), Rgb(clBlack));
        QCOMPARE(Px(img, 64, 64), Rgb(clBlack));
        QCOMPARE(Px(img, 1, 1), Rgb(clWhite));

        shape.Pen()->SetWidth(3);
        shape.Brush()->SetColor(clLime);
        img = RenderElement(&shape);
        QCOMPARE(Px(img, 0, 0), Rgb(clBlack));
        QCOMPARE(Px(img, 2, 2), Rgb(clBlack));
        QCOMPARE(Px(img, 64, 64), Rgb(clBlack));
        QCOMPARE(Px(img, 3, 3), Rgb(clLime));

        shape.SetShape(TShape::stCircle);
        shape.Pen()->SetWidth(1);
        shape.resize(40, 20);
        img = RenderElement(&shape);
        QCOMPARE(Px(img, 20, 10), Rgb(clLime));
        QCOMPARE(img.pixel(2, 10), kSentinel); // outside the circle of diameter 20
        QCOMPARE(img.pixel(20, 0) | 0xFF000000u, Rgb(clBlack) | 0xFF000000u);
        shape.Brush()->SetStyle(bsClear);
        img = RenderElement(&shape);
        QCOMPARE(img.pixel(20, 10), kSentinel);
    }

    void image() {
        QImage red(10, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save("pic.png"));
        TImage image;
        image.resize(40, 20);
        image.SetPicture(".\\pic.png");
        QCOMPARE(image.Image().size(), QSize(10, 10));
        QImage img = RenderElement(&image);
        QCOMPARE(Px(img, 9, 9), Rgb(clRed));
        QCOMPARE(img.pixel(10, 10), kSentinel);
        image.SetCenter(true);
        img = RenderElement(&image);
        QCOMPARE(img.pixel(0, 0), kSentinel);
        QCOMPARE(Px(img, 20, 10), Rgb(clRed));
        image.SetStretch(true);
        img = RenderElement(&image);
        QCOMPARE(Px(img, 0, 0), Rgb(clRed));
        QCOMPARE(Px(img, 39, 19), Rgb(clRed));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, image.SetPicture("missing.png"));
        QCOMPARE(image.GetPicture(), QString(".\\pic.png")); // a failed load keeps the picture
    }
};

ORDAL_TEST_MAIN(TstControls)
#include "tst_controls.moc"
