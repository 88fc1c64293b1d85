#include "Skat.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TSkat)

TSkat::TSkat(QWidget* owner)
    : TPanelElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)) {
    // Without an outline nothing is drawn, and the parent shows.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    pen_->SetColor(clRed);
    brush_->SetColor(clYellow);
    resize(100, 100);
    outline_ = ComputeOutline(detLevel_, topWidth_);
}

void TSkat::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value); // a real change reaches StyleChanged
}

void TSkat::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
}

void TSkat::StyleChanged(QObject*) {
    Recalc();
}

void TSkat::Recalc() {
    outline_ = ComputeOutline(detLevel_, topWidth_);
    RepaintNow(this);
}

QList<QPointF> TSkat::ComputeOutline(int detLevel, int topWidth) {
    QList<QPointF> points;
    const double c = 100.0 - topWidth; // in floating point: no overflow for any int
    if (detLevel <= 0 || c <= 0)
        return points;
    points << QPointF(c, 100) << QPointF(100, 100) << QPointF(100, 0) << QPointF(0, 0);
    // x = k * c / DetLevel for k = 1, 2, ... while x < c: exactly DetLevel - 1
    // points, whatever rounding a running sum would gather.
    for (int k = 1; k < detLevel; ++k) {
        const double x = k * c / detLevel;
        points << QPointF(x, 100 * x * x / (c * c));
    }
    return points;
}

QPolygon TSkat::ToPixels(const QList<QPointF>& outline, int w, int h, int penWidth, bool xFlip) {
    QPolygon poly;
    for (const QPointF& q : outline) {
        double X = w * q.x() / 100;
        const double Y0 = h - h * q.y() / 100;
        if (xFlip)
            X = w - X;
        int x = TruncPx(X), y = TruncPx(Y0);
        if (x >= w)
            x = Px64(qint64(w) - penWidth);
        if (y >= h)
            y = Px64(qint64(h) - penWidth);
        poly << QPoint(x, y);
    }
    return poly;
}

void TSkat::DrawPicture(QPainter& p) {
    if (outline_.size() < 3)
        return;
    const QPolygon poly = ToPixels(outline_, width(), height(), pen_->GetWidth(), xFlip_);
    TPen back;
    back.SetColor(GetColor());
    TBrush backBrush;
    backBrush.SetColor(GetColor());
    CanvasRectangle(p, 0, 0, width(), height(), back, backBrush);
    CanvasPolygon(p, poly, *pen_, *brush_);
}

void TSkat::Paint(QPainter& canvas) {
    if (!GetVisible())
        return;
    DrawPicture(canvas);
}
