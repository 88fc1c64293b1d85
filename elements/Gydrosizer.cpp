#include "Gydrosizer.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

ORDAL_REGISTER_CLASS(TGydroSizer)

TGydroSizer::TGydroSizer(QWidget* owner)
    : TPanelElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)),
      waterBrush_(OwnStyle<TBrush>(this)) {
    SetColor(clBlack);
    pen_->SetColor(clBlue);
    brush_->SetColor(clSilver);
    waterBrush_->SetColor(clAqua);
    resize(50, 100);
}

TGydroSizer::Geometry TGydroSizer::Compute() const {
    const int w = width(), h = height();
    const double W = w, H = h;
    const int pw = pen_->GetWidth();
    auto X = [W](double p) { return W * p / 100; };
    auto Y = [H](double p) { return H - H * p / 100; };
    const double xM = X((100 - mainD_) / 2), x1 = X((100 - d1_) / 2), x2 = X((100 - d2_) / 2);
    const double yT = Y(100 - topH_);

    QPolygonF vessel;
    vessel << QPointF(xM, pw) << QPointF(W - xM, pw) << QPointF(W - xM, Y(h2_)) << QPointF(W - x1, Y(h1_))
           << QPointF(W - x2, H) << QPointF(x2, H) << QPointF(x1, Y(h1_)) << QPointF(xM, Y(h2_));
    auto pixels = [](const QPolygonF& poly) {
        QPolygon out;
        for (const QPointF& q : poly)
            out << QPoint(TruncPx(q.x()), TruncPx(q.y()));
        return out;
    };

    Geometry g;
    g.collars[0].setCoords(pw, pw, TruncPx(xM), TruncPx(yT));
    g.collars[1].setCoords(TruncPx(W - xM), pw, TruncPx(W - pw), TruncPx(yT));
    g.vessel = pixels(vessel);
    const double yW = Y(waterH_);
    if (waterH_ > h2_) {
        // The column's top corners lowered to the surface.
        QPolygonF liquid = vessel;
        liquid[0].setY(yW);
        liquid[1].setY(yW);
        g.liquid = pixels(liquid);
    } else if (waterH_ > 0) {
        // In the narrowing part: the vessel below the surface.
        const double left = std::min({0.0, xM, x1, x2}), right = std::max({W, W - xM, W - x1, W - x2});
        const QPolygonF below =
            vessel.intersected(QPolygonF(QRectF(QPointF(left - 1, yW), QPointF(right + 1, H + 1))));
        QPolygonF liquid = below;
        if (liquid.size() > 1 && liquid.first() == liquid.last())
            liquid.removeLast();
        g.liquid = pixels(liquid);
    }
    return g;
}

void TGydroSizer::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width(), height(), ColorToQColor(GetColor()));
    for (const QRect& c : g.collars)
        CanvasRectangle(p, c.left(), c.top(), c.right(), c.bottom(), *pen_, *brush_);
    CanvasPolygon(p, g.vessel, *pen_, *brush_);
    if (!g.liquid.isEmpty())
        CanvasPolygon(p, g.liquid, *pen_, *waterBrush_);
}

void TGydroSizer::Paint(QPainter& canvas) {
    // The picture is drawn anew on every paint.
    SetRedrawNeeded(true);
    PaintBuffered(canvas, false);
}
