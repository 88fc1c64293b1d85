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
    QPolygon corners;
    corners << QPoint(pw, pw);
    if (vertMode)
        corners << QPoint(w - pw, pw) << QPoint(pw, h - pw);
    else
        corners << QPoint(pw, h - pw) << QPoint(w - pw, pw);
    corners << QPoint(w - pw, h - pw);
    return corners;
}

void TValve::Paint(QPainter& canvas) {
    CanvasPolygon(canvas, Corners(width(), height(), pen_->GetWidth(), vertMode_), *pen_, *brush_);
}
