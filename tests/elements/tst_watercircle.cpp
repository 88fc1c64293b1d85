#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Watercircle.h"

class TFormNozzles : public QWidget {
    Q_OBJECT
};

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

// Rows of column x that are not the sentinel.
QList<int> InkRows(const QImage& img, int x) {
    QList<int> rows;
    for (int y = 0; y < img.height(); ++y)
        if (Px(img, x, y) != kSentinel)
            rows.append(y);
    return rows;
}

} // namespace

class TstWaterCircle : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TWaterCircle* Shown(int w, int h) {
        auto* c = new TWaterCircle(window_);
        c->setObjectName("WaterCircle1");
        c->SetBounds(0, 0, w, h);
        PaintCounter first(c);
        c->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("nozzle was not painted after show");
        c->removeEventFilter(&first);
        return c;
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
        TWaterCircle c;
        QCOMPARE(c.size(), QSize(50, 50));
        QCOMPARE(c.GetR1(), 6.0);
        QCOMPARE(c.GetR2(), 8.0);
        QCOMPARE(c.GetR3(), 16.0);
        QCOMPARE(c.GetColor(), clBlack);
        QCOMPARE(c.GetRayWidth(), 2);
        QCOMPARE(c.GetWaterColor(), clBlue);
        QVERIFY(c.GetTransparent());
    }

    // The scheme's 51 x 51 nozzle.
    void schemeGeometry() {
        const TWaterCircleGeometry g = WaterCircleGeometry(51, 51, 6, 8, 16);
        QCOMPARE(g.Scale, 1.59375);
        QCOMPARE(g.DiscBox.topLeft(), QPoint(15, 15));
        QCOMPARE(g.DiscBox.bottomRight(), QPoint(34, 34));
        QCOMPARE(g.RayFrom[1].y(), 37);
        QCOMPARE(g.RayTo[1].y(), 50);
        QCOMPARE(g.RayFrom[1].x(), g.RayTo[1].x());
        // Lower left and lower right, mirrored around the centre column.
        QVERIFY(g.RayTo[0].x() < g.RayFrom[0].x() && g.RayTo[0].y() > g.RayFrom[0].y());
        QVERIFY(g.RayTo[2].x() > g.RayFrom[2].x() && g.RayTo[2].y() > g.RayFrom[2].y());
        QVERIFY(std::abs((25 - g.RayTo[0].x()) - (g.RayTo[2].x() - 25)) <= 1);
    }

    void schemePixels() {
        TWaterCircle* c = Shown(51, 51);
        const QImage img = RenderElement(c);
        QCOMPARE(Px(img, 25, 25), Rgb(clBlue));
        // The disc fills its box (15, 15)-(34, 34); its outline lies on the box's edge.
        for (QPoint p : {QPoint(16, 25), QPoint(32, 25), QPoint(25, 16), QPoint(25, 32)})
            QCOMPARE(Px(img, p.x(), p.y()), Rgb(clBlue));
        for (QPoint p : {QPoint(13, 25), QPoint(36, 25), QPoint(25, 13), QPoint(16, 16), QPoint(33, 33)})
            QCOMPARE(Px(img, p.x(), p.y()), kSentinel);
        // Straight down: a gap under the disc, then the ray from row 37 to the bottom row.
        const int x = WaterCircleGeometry(51, 51, 6, 8, 16).RayFrom[1].x();
        const QList<int> rows = InkRows(img, x);
        QVERIFY(!rows.contains(35));
        for (int y = 37; y <= 50; ++y)
            QVERIFY2(rows.contains(y), qPrintable(QString("row %1").arg(y)));
        QCOMPARE(Px(img, 0, 0), kSentinel);
        QCOMPARE(TP().beeps, 0);
    }

    void wideElementKeepsFigureCentred() {
        TWaterCircle* square = Shown(50, 50);
        const QImage small = RenderElement(square);
        TWaterCircle* wide = Shown(200, 50);
        const QImage big = RenderElement(wide);
        QCOMPARE(big.copy(75, 0, 50, 50), small);
        for (int y = 0; y < 50; ++y) {
            QCOMPARE(Px(big, 70, y), kSentinel);
            QCOMPARE(Px(big, 130, y), kSentinel);
        }
    }

    void opaqueBackground() {
        TWaterCircle* c = Shown(51, 51);
        c->SetTransparent(false);
        const QImage img = RenderElement(c);
        for (QPoint p : {QPoint(0, 0), QPoint(50, 0), QPoint(0, 50), QPoint(50, 50), QPoint(5, 25)})
            QCOMPARE(Px(img, p.x(), p.y()), Rgb(clBlack));
        QCOMPARE(Px(img, 25, 25), Rgb(clBlue));
    }

    // R2 beyond R3: the rays run from the outer point inwards; with R3 at the
    // edge, only their inner end shows.
    void raysInwards() {
        const TWaterCircleGeometry g = WaterCircleGeometry(51, 51, 6, 20, 16);
        QCOMPARE(g.RayFrom[1], QPoint(25, 56));
        QCOMPARE(g.RayTo[1], QPoint(25, 50));
        TWaterCircle* c = Shown(51, 51);
        c->SetR2(20);
        const QImage img = RenderElement(c);
        QVERIFY(InkRows(img, 25).contains(50));
        QVERIFY(!InkRows(img, 25).contains(45));
        QCOMPARE(TP().beeps, 0);
    }

    void zeroR3Beeps() {
        TWaterCircle* c = Shown(51, 51);
        TP().Reset();
        c->SetR3(0);
        QCOMPARE(TP().beeps, 1);
        QCOMPARE(RenderElement(c).pixel(25, 25) | 0xFF000000u, kSentinel);
        QCOMPARE(TP().beeps, 2);
        c->SetR3(16); // usable again
        QCOMPARE(Px(RenderElement(c), 25, 25), Rgb(clBlue));
        QCOMPARE(TP().beeps, 2);
    }

    void fromLayout() {
        TFormNozzles form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormNozzles: TFormNozzles
  object WaterCircle3: TWaterCircle
    Tag = 900
    Left = 716
    Top = 282
    Width = 51
    Height = 51
    R1 = 6.000000000000000000
    R2 = 8.000000000000000000
    R3 = 16.000000000000000000
    RayWidth = 2
    WaterColor = clAqua
    Transparent = False
  end
end
)",
                                                "FormNozzles.layout");
        auto* c = layout.Get<TWaterCircle>("WaterCircle3");
        QCOMPARE(c->geometry(), QRect(716, 282, 51, 51));
        QCOMPARE(c->GetTag(), 900);
        QCOMPARE(c->GetWaterColor(), clAqua);
        QVERIFY(!c->GetTransparent());
        QCOMPARE(QString(c->metaObject()->className()), QString("TWaterCircle"));
    }

    void setterRepaints_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("R1") << QByteArray("R1") << QVariant(5.5);
        QTest::newRow("R2") << QByteArray("R2") << QVariant(9.0);
        QTest::newRow("R3") << QByteArray("R3") << QVariant(18.0);
        QTest::newRow("Color") << QByteArray("Color") << QVariant(clNavy);
        QTest::newRow("RayWidth") << QByteArray("RayWidth") << QVariant(3);
        QTest::newRow("WaterColor") << QByteArray("WaterColor") << QVariant(clAqua);
        QTest::newRow("Transparent") << QByteArray("Transparent") << QVariant(false);
    }
    void setterRepaints() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        TWaterCircle* c = Shown(51, 51);
        PaintCounter counter(c);
        QVERIFY(c->setProperty(property, value));
        QCOMPARE(counter.count, 1); // at once
        QCOMPARE(c->property(property), value);
        QVERIFY(c->setProperty(property, value));
        QCoreApplication::processEvents();
        QCOMPARE(counter.count, 1);
    }
};

ORDAL_TEST_MAIN(TstWaterCircle)
#include "tst_watercircle.moc"
