#include "Columnmixer.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TColumnMixer)

TColumnMixer::TColumnMixer(QWidget* owner)
    : TPanelElement(owner), backBrush_(OwnStyle<TBrush>(this)), waterBrush_(OwnStyle<TBrush>(this)),
      pen_(OwnStyle<TPen>(this)) {
    backBrush_->SetColor(clBlack);
    waterBrush_->SetColor(clYellow);
    pen_->SetColor(clRed);
    resize(185, 41);
}

double TColumnMixer::SX(double p) const {
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

double TColumnMixer::SY(double p) const {
    const double H = height();
    double y = H - H * p / 100;
    if (y < 0)
        y = 0;
    if (y >= H)
        y = H - pen_->GetWidth();
    return y;
}

QPoint TColumnMixer::Pt(double x, double y) const {
    return QPoint(TruncPx(SX(x)), TruncPx(SY(y)));
}

TColumnMixer::Geometry TColumnMixer::Compute() const {
    const double nl = conusLeft_ + (conusWidth_ - neckWidth_) / 2;
    const double nr = nl + neckWidth_;
    const double cr = conusLeft_ + conusWidth_;
    Geometry g;
    g.column << Pt(nl, 0) << Pt(nl, neckTop_) << Pt(conusLeft_, conusTop_) << Pt(conusLeft_, flakeBottom_)
             << Pt(0, flakeBottom_) << Pt(0, 100) << Pt(100, 100) << Pt(cr, flakeTop_) << Pt(cr, conusTop_)
             << Pt(nr, neckTop_) << Pt(nr, 0);

    const double L = waterLevel_;
    if (L >= 1) {
        if (L < neckTop_) {
            const QPoint a = Pt(nl, L), b = Pt(nr, 0);
            g.liquidFill = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                 QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
        } else if (L < conusTop_) {
            if (conusTop_ - neckTop_ > 0) {
                const double k = (L - neckTop_) / (conusTop_ - neckTop_);
                const double d = nl - conusLeft_;
                g.liquid << Pt(nl - d * k, L) << Pt(nr + d * k, L) << Pt(nr, neckTop_) << Pt(nr, 0)
                         << Pt(nl, 0) << Pt(nl, neckTop_);
            }
        } else if (L < flakeBottom_) {
            g.liquid << Pt(conusLeft_, L) << Pt(cr, L) << Pt(cr, conusTop_) << Pt(nr, neckTop_) << Pt(nr, 0)
                     << Pt(nl, 0) << Pt(nl, neckTop_) << Pt(conusLeft_, conusTop_);
        } else {
            const double a = L < flakeTop_ ? L : flakeTop_;
            g.liquid << Pt(0, a) << Pt(cr, a) << Pt(cr, conusTop_) << Pt(nr, neckTop_) << Pt(nr, 0)
                     << Pt(nl, 0) << Pt(nl, neckTop_) << Pt(conusLeft_, conusTop_)
                     << Pt(conusLeft_, flakeBottom_) << Pt(0, flakeBottom_);
        }
    }
    g.lines << QLine(Pt(0, flakeTop_), Pt(cr, flakeTop_)) << QLine(Pt(nl, neckTop_), Pt(nr, neckTop_))
            << QLine(Pt(conusLeft_, conusTop_), Pt(cr, conusTop_))
            << QLine(Pt(conusLeft_, flakeBottom_), Pt(conusLeft_, flakeTop_));
    return g;
}

void TColumnMixer::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    const int w = width(), h = height();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, w, h, ColorToQColor(GetColor()));
    CanvasPolygon(p, g.column, *pen_, *backBrush_);
    if (!g.liquidFill.isEmpty() && waterBrush_->GetStyle() != bsClear)
        p.fillRect(g.liquidFill, waterBrush_->ToQBrush());
    if (!g.liquid.isEmpty())
        CanvasPolygon(p, g.liquid, *pen_, *waterBrush_);
    p.setPen(pen_->ToQPen());
    p.drawLines(g.lines);

    // A particle's radius is percent of the smaller side: round discs whatever
    // the element's shape.
    const double scale = std::min(w, h) / 100.0;
    const QColor coal = ColorToQColor(fCoalColor_), rock = ColorToQColor(rockColor_),
                 other = QColor(0xFF, 0, 0), rim = QColor(0, 0xFF, 0xFF);
    for (const TBall& b : balls_) {
        const bool solid = b.kind == TBall::kCoal || b.kind == TBall::kRock;
        const QColor& fill = b.kind == TBall::kCoal ? coal : b.kind == TBall::kRock ? rock : other;
        double x = w * b.x / 100;
        if (xFlip_)
            x = w - x;
        DrawParticle(p, w, h, x, h - h * b.y / 100, b.r * scale, fill, solid ? fill : rim);
    }
}

void TColumnMixer::Paint(QPainter& canvas) {
    // The picture is drawn anew on every paint: the flag is never cleared.
    SetRedrawNeeded(true);
    PaintBuffered(canvas, false);
}

bool TColumnMixer::NextStep() {
    const double cr = conusLeft_ + conusWidth_;
    qsizetype due = balls_.size();
    int i = 0;
    while (due-- > 0 && i < balls_.size()) {
        TBall& b = balls_[i];
        if (b.y > waterLevel_) {
            b.vx += airVX_;
            b.vy += airVY_;
        } else {
            b.vx += waterVX_;
            b.vy += waterVY_;
        }
        b.x += speedK_ * b.vx;
        b.y += speedK_ * b.vy;
        // A position beyond any number: the particle is nowhere any more.
        if (!std::isfinite(b.x) || !std::isfinite(b.y) || b.y - b.r < conusTop_) {
            balls_.removeAt(i);
            continue;
        }
        if (b.y < flakeTop_) {
            // In the column: the medium slows it, the walls turn it back.
            b.vx *= waterSpeedK_;
            b.vy *= waterSpeedK_;
            if (b.x - b.r < conusLeft_) {
                b.x = conusLeft_ + b.r + 1;
                b.vx = -b.vx;
            }
            if (b.x + b.r > cr) {
                b.x = cr - b.r - 1;
                b.vx = -b.vx;
            }
        } else if (100 - cr > 0 && 100 - flakeTop_ > 0) {
            // In the flask, against its sloping wall y = s x + c.
            const double s = (100 - flakeTop_) / (100 - cr);
            const double c = flakeTop_ - cr * s;
            const double xf = (b.x + s * (b.y - c)) / (1 + s * s);
            const double yf = s * xf + c;
            const double o = xf - b.x, e = yf - b.y;
            const double t = std::hypot(o, e);
            if (t <= b.r) {
                const double speed = std::hypot(b.vx, b.vy);
                if (t > 0) {
                    b.vx = -o / t * speed;
                    b.vy = -e / t * speed;
                    if (t < b.r) {
                        const double f = o < 0 ? -b.r / t : b.r / t;
                        b.x = xf - o * f;
                        b.y = yf - e * f;
                    }
                } else {
                    // Right on the wall: the way back into the flask is along
                    // the wall's normal, up and to the left.
                    const double n = std::hypot(s, 1.0);
                    b.vx = -s / n * speed;
                    b.vy = 1 / n * speed;
                    b.x = xf - s / n * b.r;
                    b.y = yf + 1 / n * b.r;
                }
            }
        }
        ++i;
    }
    return true;
}
