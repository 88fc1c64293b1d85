#include "Valve.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TValve)

TValve::TValve(QWidget* owner)
    : TGraphicElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)) {
    pen_->SetColor(clYellow);
    brush_->SetColor(clRed);
    resize(40, 40);
}

void TValve::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value); // a real change reaches StyleChanged
}

void TValve::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
}

QPolygon TValve::Corners(int w, int h, int penWidth, bool vertMode) {
    const int pw = penWidth;
    const int right = Px64(qint64(w) - pw), bottom = Px64(qint64(h) - pw);
    QPolygon corners;
    corners << QPoint(pw, pw);
    if (vertMode)
        corners << QPoint(right, pw) << QPoint(pw, bottom);
    else
        corners << QPoint(pw, bottom) << QPoint(right, pw);
    corners << QPoint(right, bottom);
    return corners;
}

void TValve::Paint(QPainter& canvas) {
    CanvasPolygon(canvas, Corners(width(), height(), pen_->GetWidth(), vertMode_), *pen_, *brush_);
}
