#include "Anitrans.h"

#include "Layout.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TAniTrans)

namespace {

constexpr double kPi = 3.14159265358979323846;

// A division that the geometry cannot survive (zero pulley radius or distance)
// ends the paint, as a floating-point fault would.
double Div(double a, double b) {
    if (b == 0)
        throw EDrawError("conveyor geometry divides by zero");
    return a / b;
}

} // namespace

TAniTrans::TAniTrans(QWidget* owner)
    : TPanelElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)),
      intPen_(OwnStyle<TPen>(this)), intBrush_(OwnStyle<TBrush>(this)), scoopPen_(OwnStyle<TPen>(this)),
      bladePen_(OwnStyle<TPen>(this)) {
    pen_->SetColor(clRed);
    brush_->SetColor(clYellow);
    intPen_->SetColor(clBlue);
    intBrush_->SetColor(TColor(0xFFFBF0)); // very light blue
    scoopPen_->SetColor(clSilver);
    bladePen_->SetColor(clSilver);
    resize(100, 100);
    SetRedrawNeeded(true);
}

void TAniTrans::CopyPen(TPen* own, const TPen* value) {
    if (value && value != own)
        own->Assign(*value); // its change notification redraws
}

void TAniTrans::CopyBrush(TBrush* own, const TBrush* value) {
    if (value && value != own)
        own->Assign(*value);
}

void TAniTrans::SetPen(const TPen* value) {
    CopyPen(pen_, value);
}
void TAniTrans::SetBrush(const TBrush* value) {
    CopyBrush(brush_, value);
}
void TAniTrans::SetIntPen(const TPen* value) {
    CopyPen(intPen_, value);
}
void TAniTrans::SetIntBrush(const TBrush* value) {
    CopyBrush(intBrush_, value);
}
void TAniTrans::SetScoopPen(const TPen* value) {
    CopyPen(scoopPen_, value);
}
void TAniTrans::SetBladePen(const TPen* value) {
    CopyPen(bladePen_, value);
}

int TAniTrans::XtoS(double x) const {
    const double s = std::nearbyint(x * g_.k); // half to even
    return TruncPx(xFlip_ ? width() - s : s);
}

int TAniTrans::YtoS(double y) const {
    return TruncPx(std::nearbyint(height() - y * g_.k));
}

QPointF TAniTrans::RotatePoint(QPointF p, double angle) {
    if (angle == 0)
        return p;
    const double rho = std::hypot(p.x(), p.y());
    const double phi = angle + std::atan2(p.y(), p.x());
    return QPointF(rho * std::cos(phi), rho * std::sin(phi));
}

void TAniTrans::CalcRegion() {
    if (virtW_ <= 0 || virtH_ <= 0 || width() < 10 || height() < 10) {
        g_.k = 0; // everything collapses into one corner; the rest stays as it was
        return;
    }
    const double k = std::min((width() + 1) / virtW_, (height() + 1) / virtH_);
    const double dx = x2_ - x1_, dy = y2_ - y1_;
    const double D = std::hypot(dx, dy);
    if (D == 0 || !std::isfinite(D))
        throw EDrawError("conveyor pulleys in one place");
    Region g;
    g.k = k;
    g.D = D;
    g.u = QPointF(dx / D, dy / D);
    g.Lp = 2 * (D + kPi * r_);
    g.s0 = position_ * 0.01 * g.Lp;
    g.spacing = scoopCount_ > 0 ? g.Lp / std::min(scoopCount_, kMaxDrawnScoops) : 0;
    g.beta = std::atan2(dy, dx);
    const QPointF up(r_ * std::cos(g.beta + kPi / 2), r_ * std::sin(g.beta + kPi / 2));
    const QPointF down(r_ * std::cos(g.beta - kPi / 2), r_ * std::sin(g.beta - kPi / 2));
    g.T1 = QPointF(x1_, y1_) + up;
    g.T2 = QPointF(x2_, y2_) + up;
    g.T3 = QPointF(x2_, y2_) + down;
    g.T4 = QPointF(x1_, y1_) + down;
    g.b1 = D;
    g.b2 = D + kPi * r_;
    g.b3 = g.Lp - kPi * r_;
    g_ = g;
}

double TAniTrans::CarrierDistance(int i) const {
    double a = i * g_.spacing + g_.s0;
    // The same as taking Lp off while a >= Lp, without a loop as long as a huge
    // Position would make it.
    if (a >= g_.Lp && g_.Lp > 0)
        a = std::fmod(a, g_.Lp);
    return a;
}

bool TAniTrans::CarrierAt(double a, QPointF& pivot, double& angle) const {
    if (!(a >= 0))
        return false;
    if (a <= g_.b1) {
        pivot = g_.T1 + a * g_.u;
        angle = kPi;
    } else if (a <= g_.b2) {
        const double t = a - g_.b1;
        const double c = (g_.beta + kPi / 2) - Div(t, r_);
        pivot = QPointF(x2_ + r_ * std::cos(c), y2_ + r_ * std::sin(c));
        angle = kPi - (3 * kPi / 2) * Div(t, kPi * r_);
    } else if (a <= g_.b3) {
        pivot = g_.T3 - (a - g_.b2) * g_.u;
        angle = -kPi / 2;
    } else {
        const double t = a - g_.b3;
        const double c = (g_.beta - kPi / 2) - Div(t, r_);
        pivot = QPointF(x1_ + r_ * std::cos(c), y1_ + r_ * std::sin(c));
        angle = -kPi / 2 - (kPi / 2) * Div(t, kPi * r_);
    }
    return true;
}

void TAniTrans::Paint(QPainter& canvas) {
    FitPicture();
    if (!GetVisible())
        return;
    QImage& picture = PictureRef();
    if (picture.isNull())
        return;
    // The flag is never cleared: every paint rebuilds the picture. It is drawn
    // aside, so that a geometry that cannot be drawn leaves the last picture.
    if (RedrawNeeded()) {
        QImage next(picture.size(), picture.format());
        next.setDevicePixelRatio(picture.devicePixelRatio());
        try {
            TPicturePainter p(&next);
            DrawPicture(p);
        } catch (...) {
            canvas.drawImage(QPoint(0, 0), picture);
            throw;
        }
        ExtendPictureEdges(next, size());
        picture = next;
    }
    canvas.drawImage(QPoint(0, 0), picture);
}

void TAniTrans::DrawPicture(QPainter& p) {
    CalcRegion();
    p.setRenderHint(QPainter::Antialiasing, false);
    lastBrush_ = QBrush(Qt::white, Qt::SolidPattern);
    PaintBackGround(p);
    PaintBody(p);
    PaintScoops(p);
}

void TAniTrans::PaintBackGround(QPainter& p) {
    lastBrush_ = QBrush(ColorToQColor(backColor_));
    p.fillRect(0, 0, width(), height(), lastBrush_);
}

void TAniTrans::Circle(QPainter& p, QPointF centre, double radius, const TPen& pen, const TBrush& brush) {
    const int l = XtoS(centre.x() - radius), r = XtoS(centre.x() + radius);
    const int t = YtoS(centre.y() + radius), b = YtoS(centre.y() - radius);
    CanvasEllipse(p, std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b), pen, brush);
    lastBrush_ = brush.ToQBrush();
}

void TAniTrans::PaintBody(QPainter& p) {
    const QPointF c1(x1_, y1_), c2(x2_, y2_);
    Circle(p, c1, r_, *pen_, *brush_);
    Circle(p, c2, r_, *pen_, *brush_);
    Circle(p, c1, intR_, *intPen_, *intBrush_);
    Circle(p, c2, intR_, *intPen_, *intBrush_);

    if (bladeCount_ > 0) {
        // The pulleys turn with the belt.
        double a = -Div(g_.s0, r_);
        p.setPen(bladePen_->ToQPen());
        const int blades = std::min(bladeCount_, kMaxDrawnBlades);
        for (int i = 0; i < blades; ++i) {
            const QPointF dir(std::cos(a), std::sin(a));
            for (const QPointF& c : {c1, c2}) {
                const QPointF from = c + intR_ * dir, to = c + r_ * dir;
                p.drawLine(XtoS(from.x()), YtoS(from.y()), XtoS(to.x()), YtoS(to.y()));
            }
            a += 2 * kPi / blades;
        }
    }

    p.setPen(pen_->ToQPen());
    p.drawLine(XtoS(g_.T1.x()), YtoS(g_.T1.y()), XtoS(g_.T2.x()), YtoS(g_.T2.y()));
    p.drawLine(XtoS(g_.T3.x()), YtoS(g_.T3.y()), XtoS(g_.T4.x()), YtoS(g_.T4.y()));
}

void TAniTrans::PaintScoops(QPainter& p) {
    if (g_.spacing <= 0)
        return;
    const int scoops = std::min(scoopCount_, kMaxDrawnScoops);
    for (int i = 0; i < scoops; ++i)
        PaintScoop(p, CarrierDistance(i));
}

void TAniTrans::PaintScoop(QPainter& p, double a) {
    QPointF pivot;
    double angle = 0;
    if (!CarrierAt(a, pivot, angle))
        return;
    const int px = XtoS(pivot.x()), py = YtoS(pivot.y());

    if (showScoops_ || !showCoal_) {
        p.setPen(scoopPen_->ToQPen());
        p.setBrush(lastBrush_);
        p.drawEllipse(
            QRectF(px - 3 + 0.5, py - 3 + 0.5, 5, 5)); // the canvas's Ellipse(px-3, py-3, px+3, py+3)
    }
    if (!showScoops_ && !showCoal_)
        return;

    const double r = rk_, h = scoopLH_;
    const QPointF shape[] = {{h, 0},
                             {h + 2 * r, 0},
                             {h + r / 3, 2 * r / 3},
                             {h + 2 * r / 3, r},
                             {h + 4 * r / 3, r},
                             {h + 5 * r / 3, 2 * r / 3},
                             {h + r, -r / 3}};
    QPoint scr[7]; // A, B, P0 ... P4 on the screen
    for (int i = 0; i < 7; ++i) {
        const QPointF v = RotatePoint(shape[i], angle) + pivot;
        scr[i] = QPoint(XtoS(v.x()), YtoS(v.y()));
    }
    const QPoint &A = scr[0], &B = scr[1], &P0 = scr[2], &P1 = scr[3], &P2 = scr[4], &P3 = scr[5],
                 &P4 = scr[6];

    if (showScoops_) {
        const QPoint outline[] = {{px, py}, A, P0, P1, P2, P3, B};
        p.setPen(scoopPen_->ToQPen());
        p.drawPolyline(outline, 7);
    }

    // Coal rides on the upper run and the first third of the turn only.
    if (!showCoal_ || !(angle >= kPi / 2))
        return;
    const bool pattern = coalBitmap_.width() > 1 && coalBitmap_.height() > 1;
    lastBrush_ = pattern ? QBrush(coalBitmap_) : QBrush(ColorToQColor(coalColor_));
    p.setBrush(lastBrush_);
    p.setPen(QPen(Qt::black, 0));
    if (showScoops_) {
        const QPoint load[] = {P0, P1, P2, P3, P4};
        p.drawPolygon(load, 5);
    } else {
        const double s = std::nearbyint(rk_ * g_.k); // heap size in pixels, half to even
        const QPoint heap[] = {{TruncPx(px - s), TruncPx(py - 1.0)},
                               {TruncPx(px - s / 2), TruncPx(py - 0.66 * s)},
                               {TruncPx(double(px)), TruncPx(py - 1.2 * s)},
                               {TruncPx(px + s / 2), TruncPx(py - 0.66 * s)},
                               {TruncPx(px + s), TruncPx(py - 1.0)}};
        p.drawPolygon(heap, 5);
    }
}
