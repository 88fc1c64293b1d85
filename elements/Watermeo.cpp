#include "Watermeo.h"

#include "Layout.h"
#include <QPainter>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TWaterMEO)

TWaterMEO::TWaterMEO(QWidget* owner)
    : TGraphicElement(owner), waterBrush_(OwnStyle<TBrush>(this)), brush_(OwnStyle<TBrush>(this)),
      scalePen_(OwnStyle<TPen>(this)), pen_(OwnStyle<TPen>(this)) {
    resize(80, 40);
}

void TWaterMEO::SetWaterBrush(const TBrush* value) {
    AssignNow(waterBrush_, value);
}
void TWaterMEO::SetBrush(const TBrush* value) {
    AssignNow(brush_, value);
}
void TWaterMEO::SetScalePen(const TPen* value) {
    AssignNow(scalePen_, value);
}
void TWaterMEO::SetPen(const TPen* value) {
    AssignNow(pen_, value);
}

void TWaterMEO::SetPosition(double value) {
    if (position_ == value)
        return;
    // The bar splits at the position and the pointer sits there: a new
    // position changes the stretch between the two splits, as wide as the
    // pointer's head and the pens, and nothing else.
    QRect part = rect();
    try {
        const int a = TruncPx(PosToScreen(position_)), b = TruncPx(PosToScreen(value));
        const double hw = edgeLength_ * std::tan(edgeAngle_ / 2.0 * kDegToRad);
        // In doubles: pens and heads far beyond the pixel grid end here (the
        // whole gauge is repainted) instead of overflowing.
        const double r = std::trunc(std::abs(hw)) + std::max({arrowWidth_, pen_->GetWidth(), 1}) + 2.0;
        const int lo = TruncPx(std::min(a, b) - r), len = TruncPx(std::max(a, b) + r - lo + 1);
        part = verticalFlag_ ? QRect(0, lo, width(), len) : QRect(lo, 0, len, height());
    } catch (const EDrawError&) {
        // The paint reports it; the whole gauge is repainted.
    }
    position_ = value;
    RepaintNow(this, part);
}

void TWaterMEO::SetXFlip(bool value) {
    if (xFlip_ == value)
        return;
    xFlip_ = value;
    update();
}

void TWaterMEO::StyleChanged(QObject*) {
    update();
}

double TWaterMEO::PosToScreen(double value) const {
    if (max_ == min_)
        return 0;
    const double length = verticalFlag_ ? height() : width();
    return (value - min_) * length / (max_ - min_);
}

QList<double> TWaterMEO::TickValues(double min, double max, double step) {
    QList<double> ticks;
    // A step of zero or below would never reach Max; so would one too small to
    // move v, and a tiny one would take ages: both end the loop early.
    if (!(step > 0))
        return ticks;
    for (double v = min + step; v < max && ticks.size() < kMaxTicks; v += step) {
        ticks.append(v);
        if (v + step == v)
            break;
    }
    return ticks;
}

void TWaterMEO::Paint(QPainter& canvas) {
    const int W = width(), H = height();
    // Everything that can fail is computed before the first stroke, so a bad
    // position never leaves half a gauge on the parent.
    const int m = TruncPx(MeoLength());
    const double hw = edgeLength_ * std::tan(edgeAngle_ / 2.0 * kDegToRad);
    const int headLo = TruncPx(m - hw);
    const int headHi = TruncPx(m + hw);
    // The scale's and the pointer's ends, in doubles: lengths and pens far
    // beyond the pixel grid end the paint here instead of overflowing.
    const int w = scalePen_->GetWidth();
    const int extent = verticalFlag_ ? W : H;
    const int tickFrom = invertScale_ ? w : TruncPx(double(extent) - w);
    // (the horizontal scale's ticks reach from the edge itself)
    const int tickTo = invertScale_    ? scaleH_
                       : verticalFlag_ ? TruncPx(double(extent) - w - scaleH_)
                                       : TruncPx(double(extent) - scaleH_);
    const int e = edgeLength_;
    const int base = invertScale_ ? e : TruncPx(double(extent) - e);
    const int from = invertScale_ ? TruncPx(double(extent) - arrowWidth_) : arrowWidth_;

    canvas.setRenderHint(QPainter::Antialiasing, false);

    // The bar.
    if (verticalFlag_) {
        TPen none;
        none.SetStyle(psClear);
        CanvasRectangle(canvas, 0, m, W, H, none, *brush_);
        CanvasRectangle(canvas, 0, 0, W, m, none, *waterBrush_);
        TPen frame;
        frame.SetColor(pen_->GetColor());
        TBrush hollow;
        hollow.SetStyle(bsClear);
        CanvasRectangle(canvas, 0, 0, W, H, frame, hollow);
    } else {
        CanvasRectangle(canvas, m, 0, W, H, *pen_, *brush_);
        CanvasRectangle(canvas, 0, 0, m, H, *pen_, *waterBrush_);
    }

    // The scale.
    canvas.setPen(scalePen_->ToQPen());
    for (double v : TickValues(min_, max_, scaleStep_)) {
        const int p = TruncPx(PosToScreen(v));
        if (verticalFlag_)
            canvas.drawLine(tickFrom, p, tickTo, p);
        else
            canvas.drawLine(p, tickFrom, p, tickTo);
    }

    // The pointer: a line, then a filled head drawn with a thin pen.
    TPen arrow;
    arrow.SetColor(arrowColor_);
    arrow.SetWidth(arrowWidth_);
    TBrush head;
    head.SetColor(arrowColor_);
    QPoint start, to, tip, base1, base2;
    if (verticalFlag_) {
        start = QPoint(from, m);
        to = QPoint(base, m);
        tip = invertScale_ ? QPoint(1, m) : QPoint(W - 1, m);
        base1 = QPoint(base, headLo);
        base2 = QPoint(base, headHi);
    } else {
        start = QPoint(m, from);
        to = QPoint(m, base);
        tip = invertScale_ ? QPoint(m, 1) : QPoint(m, H - 1);
        base1 = QPoint(headLo, base);
        base2 = QPoint(headHi, base);
    }
    canvas.setPen(arrow.ToQPen());
    canvas.drawLine(start, to);
    arrow.SetWidth(1);
    canvas.setPen(arrow.ToQPen());
    canvas.setBrush(head.ToQBrush());
    const QPoint triangle[] = {tip, base1, base2};
    canvas.drawPolygon(triangle, 3);
}
