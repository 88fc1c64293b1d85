#pragma once
// Helpers for element tests: a paint-event counter and rendering into an image
// filled with a sentinel colour, so that every pixel an element leaves alone
// keeps that colour.

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWidget>

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

constexpr QRgb kSentinel = 0xFF123456;

// Renders the widget alone (no parent background) into a sentinel-filled image.
inline QImage RenderElement(QWidget* w, QRgb sentinel = kSentinel) {
    QImage img(w->size(), QImage::Format_ARGB32);
    img.fill(sentinel);
    w->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

// The colour of a pixel without alpha, for comparisons with ColorToQColor(...).rgb().
inline QRgb Px(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}
