#include "Gflake.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>
#include <algorithm>

ORDAL_REGISTER_CLASS(TGFlake)

TGFlake::TGFlake(QWidget* owner)
    : TPanelElement(owner), waterBrush_(OwnStyle<TBrush>(this)), pen_(OwnStyle<TPen>(this)),
      backBrush_(OwnStyle<TBrush>(this)) {
    waterBrush_->SetColor(clYellow);
    pen_->SetColor(clRed);
    backBrush_->SetColor(clBlack);
    resize(185, 41);
}

double TGFlake::SX(double p) const {
    const double W = width();
    double x = W * p / 100;
    if (xFlip_)
        x = W - x;
    if (x < 0)
        x = 0;
    if (x >= W)
        x = W - pen_->GetWidth();
    return x;
}

double TGFlake::SY(double p) const {
    const double H = height();
    double y = H - H * p / 100;
    if (y < 0)
        y = 0;
    if (y >= H)
        y = H - pen_->GetWidth();
    return y;
}

TGFlake::Geometry TGFlake::Compute() const {
    auto pt = [this](double x, double y) { return QPoint(TruncPx(SX(x)), TruncPx(SY(y))); };
    Geometry g;
    g.body << pt(0, 0) << pt(0, gy_) << pt(gx_, gy_) << pt(gx_, 100) << pt(100, 100) << pt(100, 0);
    if (waterLevel_ < gy_) {
        g.liquidIsBox = true;
        const QPoint a = pt(0, waterLevel_), b = pt(100, 0);
        g.liquidBox.setCoords(a.x(), a.y(), b.x(), b.y());
    } else {
        g.liquid << pt(0, 0) << pt(0, gy_) << pt(gx_, gy_) << pt(gx_, waterLevel_) << pt(100, waterLevel_)
                 << pt(100, 0);
    }
    return g;
}

void TGFlake::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width(), height(), ColorToQColor(GetColor()));
    CanvasPolygon(p, g.body, *pen_, *backBrush_);
    if (g.liquidIsBox) {
        // The box's corners may come mirrored (XFlip): the canvas takes them in
        // any order.
        const QRect& b = g.liquidBox;
        CanvasRectangle(p, std::min(b.left(), b.right()), std::min(b.top(), b.bottom()),
                        std::max(b.left(), b.right()), std::max(b.top(), b.bottom()), *pen_, *waterBrush_);
    } else {
        CanvasPolygon(p, g.liquid, *pen_, *waterBrush_);
    }
}

void TGFlake::Paint(QPainter& canvas) {
    // The picture is drawn anew on every paint.
    SetRedrawNeeded(true);
    PaintBuffered(canvas, false);
}
