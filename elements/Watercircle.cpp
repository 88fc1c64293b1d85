#include "Watercircle.h"

#include "Layout.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// The rays at 210, 270 and 330 degrees: lower left, straight down, lower right.
// Their cosines and sines are given exactly: cos(270 * pi / 180) computed in
// floating point is -1.8e-16, enough to move the straight-down ray one column
// left of the centre on some element widths and not on others.
constexpr double kHalfRoot3 = 0.86602540378443864676;
constexpr double kRayCos[3] = {-kHalfRoot3, 0, kHalfRoot3};
constexpr double kRaySin[3] = {-0.5, -1, -0.5};
} // namespace

ORDAL_REGISTER_CLASS(TWaterCircle)

TWaterCircleGeometry WaterCircleGeometry(int w, int h, double r1, double r2, double r3) {
    if (r3 == 0)
        throw EDrawError("nozzle without size");
    TWaterCircleGeometry g;
    g.Scale = (std::min(w, h) * 0.5) / r3;
    const int cx = w / 2, cy = h / 2;
    const double r = r1 * g.Scale;
    g.DiscBox = QRect(QPoint(TruncPx(cx - r), TruncPx(cy - r)), QPoint(TruncPx(cx + r), TruncPx(cy + r)));
    for (int i = 0; i < 3; ++i) {
        const double c = kRayCos[i], s = kRaySin[i];
        g.RayFrom[i] = QPoint(TruncPx(cx + r2 * g.Scale * c), TruncPx(cy - r2 * g.Scale * s));
        g.RayTo[i] = QPoint(TruncPx(cx + r3 * g.Scale * c), TruncPx(cy - r3 * g.Scale * s));
    }
    return g;
}

TWaterCircle::TWaterCircle(QWidget* owner) : TGraphicElement(owner) {
    resize(50, 50);
}

void TWaterCircle::Paint(QPainter& canvas) {
    if (!transparent_)
        canvas.fillRect(QRect(0, 0, width(), height()), ColorToQColor(color_));
    const TWaterCircleGeometry g = WaterCircleGeometry(width(), height(), r1_, r2_, r3_);

    TPen pen;
    pen.SetColor(waterColor_);
    pen.SetWidth(rayWidth_);
    TBrush brush;
    brush.SetColor(waterColor_);
    CanvasEllipse(canvas, g.DiscBox.left(), g.DiscBox.top(), g.DiscBox.right(), g.DiscBox.bottom(), pen,
                  brush);

    canvas.setPen(pen.ToQPen());
    const QPointF centre(0.5, 0.5); // integer points on pixel centres
    for (int i = 0; i < 3; ++i)
        canvas.drawLine(QPointF(g.RayFrom[i]) + centre, QPointF(g.RayTo[i]) + centre);
}
