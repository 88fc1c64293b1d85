#include "Transporter.h"

#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TTransporter)

namespace {
QRect Box(int left, int top, int right, int bottom) {
    QRect box;
    box.setCoords(left, top, right, bottom);
    return box;
}
} // namespace

TTransporter::TTransporter(QWidget* owner)
    : TPanelElement(owner), bodyBrush_(OwnStyle<TBrush>(this)), c1Brush_(OwnStyle<TBrush>(this)),
      c2Brush_(OwnStyle<TBrush>(this)), pen_(OwnStyle<TPen>(this)), r1Pen_(OwnStyle<TPen>(this)),
      r2Pen_(OwnStyle<TPen>(this)) {
    // Drawn anew on every paint, and not over its whole area: what lies beside
    // the drums is the parent's.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    bodyBrush_->SetColor(clNavy);
    c1Brush_->SetColor(clBlack);
    c2Brush_->SetColor(clYellow);
    pen_->SetColor(clYellow);
    r2Pen_->SetColor(clRed);
    resize(100, 20);
}

TTransporter::Geometry TTransporter::Compute(int w, int h, int r1Persent) {
    const int a = h / 2;
    const double r = a * double(r1Persent) / 100;
    const int in0 = TruncPx(a - r), in1 = TruncPx(a + r);
    const int inR0 = TruncPx(w - a - r), inR1 = TruncPx(w - a + r);
    Geometry g;
    g.body = Box(a, 0, w - a, h);
    g.drums[0] = Box(0, 0, 2 * a, 2 * a);
    g.drums[1] = Box(w - 2 * a, 0, w, 2 * a);
    g.shafts[0] = Box(in0, in0, in1, in1);
    g.shafts[1] = Box(inR0, in0, inR1, in1);
    return g;
}

void TTransporter::Paint(QPainter& canvas) {
    if (!GetVisible())
        return;
    DrawPicture(canvas);
}

void TTransporter::DrawPicture(QPainter& p) {
    const Geometry g = Compute(width(), height(), r1Persent_);
    CanvasRectangle(p, g.body.left(), g.body.top(), g.body.right(), g.body.bottom(), *pen_, *bodyBrush_);
    for (const QRect& d : g.drums)
        CanvasEllipse(p, d.left(), d.top(), d.right(), d.bottom(), *r2Pen_, *c2Brush_);
    for (const QRect& s : g.shafts)
        CanvasEllipse(p, s.left(), s.top(), s.right(), s.bottom(), *r1Pen_, *c1Brush_);
}
