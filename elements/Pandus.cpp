#include "Pandus.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TPandus)

TPandus::TPandus(QWidget* owner)
    : TGraphicElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)) {
    pen_->SetColor(clYellow);
    brush_->SetColor(clRed);
    resize(145, 75);
}

void TPandus::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value); // a real change reaches StyleChanged: repainted at once
}

void TPandus::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
}

void TPandus::SetXFlip(bool value) {
    if (xFlip_ == value)
        return;
    xFlip_ = value;
    update();
}

TPandus::Geometry TPandus::Compute() const {
    const double W = width(), H = height();
    const double ky = H / virtH_, kx = W / virtW_;
    const int r = pen_->GetWidth() / 2;
    auto pt = [&](double x, double y) { return QPoint(TruncPx(xFlip_ ? W - x : x), TruncPx(y)); };
    Geometry g;
    g.band << pt(r, ky * h1_) << pt(W - r, r) << pt(W - r, ky * h2_) << pt(r, ky * (h1_ + h2_));
    g.hopper << pt(W - r, ky * h2_) << pt(r, ky * (h1_ + h2_)) << pt(kx * l1_, H - r) << pt(W - r, ky * h2_);
    return g;
}

void TPandus::Paint(QPainter& canvas) {
    const Geometry g = Compute();
    CanvasPolygon(canvas, g.band, *pen_, *brush_);
    CanvasPolyline(canvas, g.hopper, *pen_);
}
