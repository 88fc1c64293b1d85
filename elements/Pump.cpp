#include "Pump.h"

#include "Layout.h"
#include "Log.h"
#include "Tamrixutil.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TPump)

namespace {

// Corners of a box as the canvas takes them: (left, top) and (right, bottom).
QRect Box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// The classic canvas's Arc: the part of the ellipse in the box that runs
// counter-clockwise from the ray towards `from` to the ray towards `to` (the box
// may be given with its corners in any order).
void CanvasArc(QPainter& p, QRect box, QPoint from, QPoint to, const TPen& pen) {
    const int l = std::min(box.left(), box.right()), r = std::max(box.left(), box.right());
    const int t = std::min(box.top(), box.bottom()), b = std::max(box.top(), box.bottom());
    if (r <= l || b <= t || pen.GetStyle() == psClear)
        return;
    const QRectF outline(l + 0.5, t + 0.5, r - l - 1, b - t - 1);
    const QPointF c = outline.center();
    constexpr double kDeg = 180.0 / 3.14159265358979323846;
    const double a0 = std::atan2(-(from.y() - c.y()), from.x() - c.x()) * kDeg;
    const double a1 = std::atan2(-(to.y() - c.y()), to.x() - c.x()) * kDeg;
    double span = a1 - a0;
    while (span <= 0)
        span += 360; // the same ray twice is the whole ellipse
    p.save();
    p.setPen(pen.ToQPen());
    p.setBrush(Qt::NoBrush);
    p.drawArc(outline, int(std::lround(a0 * 16)), int(std::lround(span * 16)));
    p.restore();
}

} // namespace

TPump::TPump(QWidget* owner)
    : TGraphicElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")), brush_(OwnStyle<TBrush>(this)),
      pen_(OwnStyle<TPen>(this)) {
    pen_->SetColor(clRed);
    brush_->SetColor(clYellow);
    resize(50, 50);
}

void TPump::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value); // its change notification repaints
}

void TPump::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value);
}

TPump::Geometry TPump::Compute(int w, int h, bool vertFlip) {
    const double W = w, H = h;
    const double a = W / 3, b = H / 3, ha = a / 2, hb = b / 2;
    const int top = TruncPx(b + hb), bottom = TruncPx(2 * b + hb);
    Geometry g;
    if (!vertFlip) {
        const int inner = TruncPx(a + ha);
        g.pipe = Box(TruncPx(W - a), 0, w, TruncPx(H - b));
        g.casing = Box(TruncPx(a), TruncPx(b), w, h);
        g.arcBox = Box(TruncPx(a), top, TruncPx(2 * a), bottom);
        g.arcFrom = QPoint(inner, bottom);
        g.arcTo = QPoint(inner, top);
        g.suctionFill = Box(0, top, inner, bottom);
        g.suctionOutline << QPoint(inner, bottom) << QPoint(0, bottom) << QPoint(0, top)
                         << QPoint(inner, top);
    } else {
        const int inner = TruncPx(W - a - ha);
        g.pipe = Box(0, 0, TruncPx(a), TruncPx(H - b));
        g.casing = Box(0, TruncPx(b), TruncPx(W - a), h);
        g.arcBox = Box(TruncPx(W - a), top, TruncPx(a), bottom);
        g.arcFrom = QPoint(inner, top);
        g.arcTo = QPoint(inner, bottom);
        g.suctionFill = Box(inner, top, w, bottom);
        g.suctionOutline << QPoint(inner, bottom) << QPoint(w - 1, bottom) << QPoint(w - 1, top)
                         << QPoint(inner, top);
    }
    return g;
}

void TPump::Paint(QPainter& canvas) {
    const Geometry g = Compute(width(), height(), vertFlip_);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    CanvasRectangle(canvas, g.pipe.left(), g.pipe.top(), g.pipe.right(), g.pipe.bottom(), *pen_, *brush_);
    CanvasEllipse(canvas, g.casing.left(), g.casing.top(), g.casing.right(), g.casing.bottom(), *pen_,
                  *brush_);
    CanvasArc(canvas, g.arcBox, g.arcFrom, g.arcTo, *pen_);
    // The suction pipe: filled without an outline, then outlined on three sides
    // so that it runs open into the casing.
    const QRect& f = g.suctionFill;
    if (brush_->GetStyle() != bsClear && f.right() > f.left() && f.bottom() > f.top())
        canvas.fillRect(QRect(f.left(), f.top(), f.right() - f.left(), f.bottom() - f.top()),
                        brush_->ToQBrush());
    if (pen_->GetStyle() != psClear) {
        canvas.setPen(pen_->ToQPen());
        canvas.setBrush(Qt::NoBrush);
        canvas.drawPolyline(g.suctionOutline);
    }
}

bool TPump::SaveConfig() {
    saveError_.clear();
    try {
        IniFile ini = ConfigFile();
        ini.Begin(); // the look reaches the file whole or not at all
        SavePenBrushLook(ini, objectName(), *pen_, *brush_);
        ini.Commit();
        return true;
    } catch (...) {
        saveError_ = CurrentExceptionText();
        qCWarning(lcOrdal) << "TPump::SaveConfig" << objectName() << saveError_;
        return false;
    }
}

bool TPump::LoadConfig(const QString& section) {
    try {
        const IniFile ini = ConfigFile();
        LoadPenBrushLook(ini, SectionFor(section, this), *pen_, *brush_);
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "TPump::LoadConfig" << objectName() << CurrentExceptionText();
        return false;
    }
}
