#include "Mixer.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

ORDAL_REGISTER_CLASS(TMixer)

TMixer::TMixer(QWidget* owner)
    : TPanelElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)),
      rotorPen_(OwnStyle<TPen>(this)) {
    brush_->SetColor(clWhite);
    resize(185, 41);
}

double TMixer::C(double v) const {
    return v * std::min(width(), height()) / 100;
}

TMixer::Geometry TMixer::Compute() const {
    const int w = width(), h = height();
    Geometry g;
    g.r = pen_->GetWidth() / 2;
    g.b = TruncPx(C(wallBottomR_));
    // The tank's corners in 64 bits: the radius and the pen are not limited, and
    // an absurd one ends in the paint guard, not in an overflow.
    const qint64 b = g.b;
    g.twoB = Px64(2 * b);
    g.hMinusB = Px64(h - b);
    g.hMinus2B = Px64(h - 2 * b);
    g.wMinusB = Px64(w - b);
    g.wMinus2B = Px64(w - 2 * b);
    g.wMinusR = Px64(qint64(w) - g.r);
    g.waterY = TruncPx(h - C(waterLevel_));
    g.fillFrom = QPoint(w / 2, int((qint64(h) + g.waterY) / 2));
    const double cx = w / 2, cy = h - C(rotorCenterTop_);
    g.hub = QPoint(TruncPx(cx), TruncPx(cy));
    const double r1 = C(rotorR1_), r2 = C(rotorR2_);
    g.hubBox.setCoords(TruncPx(cx - r1), TruncPx(cy - r1), TruncPx(cx + r1), TruncPx(cy + r1));
    if (bladeCount_ > 0) {
        const int n = std::min(bladeCount_, kMaxDrawnBlades);
        auto P = [&](double theta) {
            double s = 0, c = 0;
            SinCosDeg(theta, s, c);
            return QPoint(TruncPx(cx + r2 * c), TruncPx(cy - r2 * s));
        };
        const double beta = beta_ / 2;
        for (int i = 0; i < n; ++i) {
            // The blades share the turn out evenly; with more blades than are
            // drawn, the drawn ones still go round the whole hub.
            const double phi = alpha_ + i * 360.0 / n;
            Blade blade;
            blade.spoke = QLine(g.hub, P(phi));
            blade.tip << P(phi + beta) << P(phi + beta / 2) << P(phi) << P(phi - beta / 2) << P(phi - beta);
            g.blades << blade;
        }
    }
    return g;
}

void TMixer::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    const int w = width(), h = height();
    // The flood fill works on pixels: the tank is drawn into a picture of its
    // own, filled, and the rotor drawn over it.
    QImage picture(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter tank(&picture);
    tank.setRenderHint(QPainter::Antialiasing, false);
    const QColor background = ColorToQColor(brush_->GetColor());
    tank.fillRect(0, 0, w, h, background);
    const int r = g.r;
    const QPoint leftFoot(r, g.hMinusB), bottomLeft(g.b, h), bottomRight(g.wMinusB, h),
        rightFoot(g.wMinusR, g.hMinusB);
    CanvasLine(tank, QPoint(r, 0), leftFoot, *pen_);
    CanvasArc(tank, QPoint(r, g.hMinus2B), QPoint(g.twoB, h), leftFoot, bottomLeft, *pen_);
    CanvasLine(tank, bottomLeft, bottomRight, *pen_);
    CanvasArc(tank, QPoint(g.wMinus2B, g.hMinus2B), QPoint(g.wMinusR, h), bottomRight, rightFoot, *pen_);
    CanvasLine(tank, rightFoot, QPoint(g.wMinusR, 0), *pen_);
    const QColor water = ColorToQColor(waterColor_);
    CanvasLine(tank, QPoint(r, g.waterY), QPoint(g.wMinusR, g.waterY), QPen(water, 1));
    tank.end();
    FloodFillSurface(picture, g.fillFrom, background.rgb(), water.rgb());

    QPainter rotor(&picture);
    TBrush hubBrush;
    hubBrush.SetColor(rotorPen_->GetColor());
    CanvasEllipse(rotor, g.hubBox.left(), g.hubBox.top(), g.hubBox.right(), g.hubBox.bottom(), *rotorPen_,
                  hubBrush);
    for (const Blade& blade : g.blades) {
        CanvasLine(rotor, blade.spoke.p1(), blade.spoke.p2(), *rotorPen_);
        CanvasPolyline(rotor, blade.tip, *rotorPen_);
    }
    rotor.end();
    p.drawImage(0, 0, picture);
}
