#include "Canvastools.h"
#include "ElementTestSupport.h"
#include "TestSupport.h"

#include <QPainter>

class TstCanvasTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    // Particles copied from the store show the very pixels of particles drawn
    // one by one, wherever they sit and whatever their size.
    void spritesMatchDiscs() {
        const int w = 120, h = 90;
        QImage direct(w, h, QImage::Format_ARGB32_Premultiplied),
            copied(w, h, QImage::Format_ARGB32_Premultiplied);
        direct.fill(kSentinel);
        copied.fill(kSentinel);
        TParticleSprites sprites;
        {
            QPainter a(&direct), b(&copied);
            int i = 0;
            for (double r = 0.3; r < 40; r += 0.77, ++i) {
                // Across the picture, over its edges too, at uneven fractions.
                const double cx = -10 + std::fmod(i * 37.31, w + 20), cy = -10 + std::fmod(i * 23.17, h + 20);
                const QColor fill = i % 2 ? Qt::black : QColor(0xC0, 0xC0, 0xC0);
                const QColor rim = i % 3 ? fill : QColor(0, 0xFF, 0xFF);
                DrawParticle(a, w, h, cx, cy, r, fill, rim);
                sprites.Draw(b, w, h, cx, cy, r, fill, rim);
            }
            // Larger than a kept picture: drawn directly.
            DrawParticle(a, w, h, 60, 45, 50, Qt::red, Qt::red);
            sprites.Draw(b, w, h, 60, 45, 50, Qt::red, Qt::red);
        }
        QCOMPARE(copied, direct);
        QVERIFY(sprites.Kept() <= TParticleSprites::kMaxKept);
    }

    // The store keeps only so many kinds of disc, however many are drawn.
    void spritesStayBounded() {
        QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&img);
        TParticleSprites sprites;
        for (int i = 0; i < 1000; ++i)
            sprites.Draw(p, 200, 200, 100, 100, 1 + i % 30, QColor::fromRgb(QRgb(0xFF000000u + i)),
                         Qt::black);
        QVERIFY(sprites.Kept() <= TParticleSprites::kMaxKept);
        // Particles that cannot be seen are not drawn and keep nothing.
        TParticleSprites none;
        none.Draw(p, 200, 200, qQNaN(), 5, 3, Qt::black, Qt::black);
        none.Draw(p, 200, 200, 5e300, 5, 3, Qt::black, Qt::black);
        none.Draw(p, 200, 200, 5, 5, -3, Qt::black, Qt::black);
        QCOMPARE(none.Kept(), 0);
    }

    void floodFill() {
        // A box of white framed in black, with a gap-free wall across it.
        QImage img(20, 10, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        for (int y = 0; y < 10; ++y)
            img.setPixel(10, y, qRgb(0, 0, 0));
        FloodFillSurface(img, QPoint(3, 5), qRgb(255, 255, 255), qRgb(0, 0, 255));
        QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(img.pixel(9, 9), qRgb(0, 0, 255));
        QCOMPARE(img.pixel(10, 5), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(11, 5), qRgb(255, 255, 255)); // behind the wall
        const QImage before = img;
        FloodFillSurface(img, QPoint(15, 5), qRgb(255, 255, 255), qRgb(255, 255, 255)); // same colour
        FloodFillSurface(img, QPoint(10, 5), qRgb(255, 255, 255), qRgb(255, 0, 0));     // not the surface
        FloodFillSurface(img, QPoint(-1, 5), qRgb(255, 255, 255), qRgb(255, 0, 0));     // outside
        QCOMPARE(img, before);
    }
};

ORDAL_TEST_MAIN(TstCanvasTools)
#include "tst_canvastools.moc"
