#include "Bullet.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TBullet)

TBullet::TBullet(QWidget* owner)
    : TGraphicElement(owner), brush_(OwnStyle<TBrush>(this)), pen_(OwnStyle<TPen>(this)) {
    brush_->SetColor(clYellow);
    pen_->SetColor(clRed);
    resize(100, 100);
}

void TBullet::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value); // a real change reaches StyleChanged
}

void TBullet::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value);
}

void TBullet::Paint(QPainter& canvas) {
    const int w = width(), h = height();
    const int body = w - h / 2; // where the round end's centre lies
    CanvasEllipse(canvas, w - h, 0, w, h, *pen_, *brush_);
    if (brush_->GetStyle() != bsClear && body > 0 && h > 0)
        canvas.fillRect(QRect(0, 0, body, h), brush_->ToQBrush());
    // The bottom line runs along y = h, just under the bounds, as the canvas
    // has it: the bar shows its top, its left end and its round end.
    CanvasPolyline(canvas, QPolygon({QPoint(body, h), QPoint(0, h), QPoint(0, 0), QPoint(body, 0)}), *pen_);
}
