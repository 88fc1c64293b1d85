#include "Coalbox.h"

#include "Layout.h"
#include "Platform.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

// More spokes than this cannot be told apart on any wheel of the scheme; a
// larger count is drawn as this many, evenly around the wheel, so an absurd
// count cannot stall the window.
constexpr int kMaxSpokes = 3600;

// Cosine and sine of an angle in degrees, exact on the axes: a spoke at 180
// degrees must be as level as the one at 0 (cos and sin of the radian value
// are a few 1e-16 off there, enough for truncation to drop a pixel).
void SinCosDeg(double degrees, double& sine, double& cosine) {
    const double turn = std::fmod(degrees, 360.0);
    const double quarter = turn / 90.0;
    if (quarter == std::trunc(quarter)) {
        static constexpr double kSin[8] = {0, 1, 0, -1, 0, 1, 0, -1};
        static constexpr double kCos[8] = {1, 0, -1, 0, 1, 0, -1, 0};
        const int q = int(quarter) + 4; // -3 .. 3 -> 1 .. 7
        sine = kSin[q];
        cosine = kCos[q];
        return;
    }
    const double rad = degrees * kDegToRad;
    sine = std::sin(rad);
    cosine = std::cos(rad);
}

QPointF Centred(QPoint p) {
    return QPointF(p) + QPointF(0.5, 0.5);
}

// The classic canvas's Polygon: filled with the brush, outlined with the pen.
void CanvasPolygon(QPainter& p, const QList<QPoint>& points, const TPen& pen, const TBrush& brush) {
    QPolygonF poly;
    for (QPoint pt : points)
        poly << Centred(pt);
    p.setPen(pen.ToQPen());
    p.setBrush(brush.ToQBrush());
    p.drawPolygon(poly);
}

// The classic canvas's Polyline with the pen.
void CanvasPolyline(QPainter& p, const QList<QPoint>& points, const TPen& pen) {
    QPolygonF poly;
    for (QPoint pt : points)
        poly << Centred(pt);
    p.setPen(pen.ToQPen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(poly);
}

void CanvasLine(QPainter& p, QPoint a, QPoint b, const TPen& pen) {
    p.setPen(pen.ToQPen());
    p.drawLine(Centred(a), Centred(b));
}

// The classic canvas's FrameRect: a one-pixel border inside (left, top) -
// (right - 1, bottom - 1), in the brush.
void CanvasFrameRect(QPainter& p, int left, int top, int right, int bottom, const TBrush& brush) {
    if (right <= left || bottom <= top || brush.GetStyle() == bsClear)
        return;
    const QBrush b = brush.ToQBrush();
    p.fillRect(QRect(left, top, right - left, 1), b);
    p.fillRect(QRect(left, bottom - 1, right - left, 1), b);
    p.fillRect(QRect(left, top, 1, bottom - top), b);
    p.fillRect(QRect(right - 1, top, 1, bottom - top), b);
}

} // namespace

ORDAL_REGISTER_CLASS(TCoalBox)

TCoalBox::TCoalBox(QWidget* owner)
    : TGraphicElement(owner), pandusPen_(OwnStyle<TPen>(this)), pandusBrush_(OwnStyle<TBrush>(this)),
      brush_(OwnStyle<TBrush>(this)), boxPen_(OwnStyle<TPen>(this)), boxBrush_(OwnStyle<TBrush>(this)),
      rBoxBrush_(OwnStyle<TBrush>(this)), rBoxPen_(OwnStyle<TPen>(this)), c3Pen_(OwnStyle<TPen>(this)),
      c3Brush_(OwnStyle<TBrush>(this)), bladePen_(OwnStyle<TPen>(this)) {
    pandusPen_->SetColor(clYellow);
    pandusBrush_->SetColor(clRed);
    brush_->SetColor(clBlack);
    boxPen_->SetColor(clYellow);
    boxBrush_->SetColor(clBlue);
    rBoxBrush_->SetColor(clRed);
    rBoxPen_->SetColor(clRed);
    c3Pen_->SetColor(clRed);
    c3Brush_->SetColor(clYellow);
    bladePen_->SetColor(clBlack);
    // One virtual unit is one pixel until the element is resized.
    resize(210, 100);
}

bool TCoalBox::CheckPlusVal(double value) {
    if (std::isfinite(value) && value > 0)
        return false;
    Plat().MessageBox(QStringLiteral("Допускаются только ненулевые положительные значения!"),
                      QStringLiteral("Это значение недопустимо"), QMessageBox::Warning, QMessageBox::Ok,
                      QMessageBox::Ok);
    return true;
}

void TCoalBox::SetChecked(double& member, double value) {
    if (CheckPlusVal(value))
        return;
    Store(member, value);
}

void TCoalBox::SetFrameNumber(int value) {
    if (value > 17)
        value %= 18;
    Store(frameNumber_, value);
}

QList<int> TCoalBox::RisingPhases(int frameNumber) {
    // A phase far below zero draws no line that a phase 360 degrees higher in
    // the same sequence (360 is a multiple of 18) does not draw too: starting at
    // the first phase from -360 on bounds the list and draws the same picture.
    int k = frameNumber;
    if (k < -360)
        k = -360 + ((k % 18) + 18) % 18;
    QList<int> phases;
    for (; k < 90; k += 18)
        phases << k;
    return phases;
}

void TCoalBox::NextFrame() {
    frameNumber_ = frameNumber_ >= 17 ? 0 : frameNumber_ + 1;
    RepaintNow(this, ColumnStrip());
}

void TCoalBox::Setblade_angle(double value) {
    if (bladeAngle_ == value)
        return;
    bladeAngle_ = value;
    update(WheelBox());
}

QRect TCoalBox::WheelBox() const {
    try {
        const double cx = RecalcX(center3X_), cy = RecalcY(center3Y_), r = RecalcX(center3R_);
        const int m = std::max(bladePen_->GetWidth(), c3Pen_->GetWidth()) / 2 + 2;
        return QRect(QPoint(TruncPx(cx - r) - m, TruncPx(cy - r) - m),
                     QPoint(TruncPx(cx + r) + m, TruncPx(cy + r) + m))
            .normalized();
    } catch (const EDrawError&) {
        return rect();
    }
}

QRect TCoalBox::ColumnStrip() const {
    // The rising lines run across the column at any height (a negative phase
    // puts some under it), so the strip is the element's full height.
    try {
        const int a = TruncPx(RecalcX(rBoxX1_)), b = TruncPx(RecalcX(rBoxX2_));
        const int m = rBoxPen_->GetWidth() / 2 + 2;
        return QRect(QPoint(std::min(a, b) - m, 0), QPoint(std::max(a, b) + m, height()));
    } catch (const EDrawError&) {
        return rect();
    }
}

void TCoalBox::Setblade_pen(const TPen* value) {
    if (!value)
        return;
    bladePen_->Assign(*value);
    update();
}

void TCoalBox::StyleChanged(QObject*) {
    update();
}

void TCoalBox::Paint(QPainter& canvas) {
    bool whole = false;
    const qreal scale = DeviceScale(canvas);
    if (picture_.size() != DevicePixels(size(), scale) || picture_.devicePixelRatio() != scale) {
        whole = true;
        // What was drawn before stays where the new size still covers it.
        QImage fitted = ScaledPicture(size(), scale);
        fitted.fill(Qt::transparent);
        if (!picture_.isNull()) {
            TPicturePainter copy(&fitted);
            copy.drawImage(0, 0, picture_);
        }
        picture_ = fitted;
    }
    // A ramp without horizontal extent has no direction: the last picture stays.
    if (pandusX2_ != pandusX1_ && !picture_.isNull()) {
        TPicturePainter p(&picture_);
        if (!whole)
            p.setClipRegion(ExposedRegion());
        Draw(p);
    }
    canvas.drawImage(0, 0, picture_);
}

void TCoalBox::Draw(QPainter& p) {
    const int W = width(), H = height();
    auto X = [this](double v) { return TruncPx(RecalcX(v)); };
    auto Y = [this](double v) { return TruncPx(RecalcY(v)); };
    auto Pt = [&](double x, double y) { return QPoint(X(x), Y(y)); };

    // A paint that shows only part of the element draws only the shapes that
    // reach into that part: the others would leave every pixel as it is.
    const QRegion clip = p.hasClipping() ? p.clipRegion() : QRegion();
    auto shows = [&clip](std::initializer_list<QPoint> points, const TPen& pen) {
        if (clip.isEmpty())
            return true;
        QRect box;
        for (QPoint pt : points)
            box |= QRect(pt, QSize(1, 1));
        const int m = std::max(1, pen.GetWidth()) / 2 + 2;
        return clip.intersects(box.adjusted(-m, -m, m, m));
    };

    if (!transparent_ && brush_->GetStyle() != bsClear)
        p.fillRect(QRect(0, 0, W, H), brush_->ToQBrush());

    // Ramp: the band under the upper edge P1-P2 and the hoppers under the band,
    // all along one direction u.
    const double dx = pandusX2_ - pandusX1_, dy = pandusY2_ - pandusY1_;
    const double a = std::atan(1 - dy / dx);
    const double ux = std::cos(a), uy = std::sin(a);
    const double ax = pandusX1_ + pandusH1_ * ux, ay = pandusY1_ + pandusH1_ * uy;
    const double bx = ax + dx, by = ay + dy;
    const double mx = (ax + bx) / 2, my = (ay + by) / 2;
    const double cx3 = (ax + mx) / 2 + pandusH2_ * ux, cy3 = (ay + my) / 2 + pandusH2_ * uy;
    const double dx3 = cx3 + (mx - ax), dy3 = cy3 + (my - ay);
    const QPoint P1 = Pt(pandusX1_, pandusY1_), P2 = Pt(pandusX2_, pandusY2_);
    const QPoint A = Pt(ax, ay), B = Pt(bx, by), M = Pt(mx, my), C = Pt(cx3, cy3), D = Pt(dx3, dy3);
    if (shows({P1, A, B, P2}, *pandusPen_))
        CanvasPolygon(p, {P1, A, B, P2}, *pandusPen_, *pandusBrush_);
    const QPoint Box1 = Pt(boxX1_, boxY1_), P3 = Pt(pandusX3_, pandusY3_);
    if (shows({A, C, M, D, B, P2, Box1, P3}, *pandusPen_))
        CanvasPolyline(p, {A, C, M, D, B, P2, Box1, P3, P2}, *pandusPen_);

    // Wheel; the horizontal scale serves both axes so it stays round.
    const double cx = RecalcX(center3X_), cy = RecalcY(center3Y_), r = RecalcX(center3R_);
    const QPoint wheelTL(TruncPx(cx - r), TruncPx(cy - r)), wheelBR(TruncPx(cx + r), TruncPx(cy + r));
    if (shows({wheelTL, wheelBR}, *c3Pen_))
        CanvasEllipse(p, wheelTL.x(), wheelTL.y(), wheelBR.x(), wheelBR.y(), *c3Pen_, *c3Brush_);
    if (showBlades_ && bladeCount_ > 0 && shows({wheelTL, wheelBR}, *bladePen_)) {
        const int spokes = std::min(bladeCount_, kMaxSpokes);
        const double step = 360.0 / spokes;
        const QPoint hub(TruncPx(cx), TruncPx(cy));
        double phi = bladeAngle_;
        for (int i = 0; i < spokes; ++i, phi += step) {
            double s = 0, c = 0;
            SinCosDeg(phi, s, c);
            CanvasLine(p, hub, QPoint(TruncPx(cx + r * c), TruncPx(cy - r * s)), *bladePen_);
        }
    }

    // Discharge column: framed in the current brush (the wheel's), outlined with
    // its pen, and the rising lines inside.
    const int left = X(rBoxX1_), right = X(rBoxX2_), bottom = Y(boxY1_);
    CanvasFrameRect(p, left, 0, right, bottom, *c3Brush_);
    if (shows({QPoint(left, 0), QPoint(right, bottom)}, *rBoxPen_))
        CanvasPolyline(
            p,
            {QPoint(left, 0), QPoint(right, 0), QPoint(right, bottom), QPoint(left, bottom), QPoint(left, 0)},
            *rBoxPen_);
    for (const int k : RisingPhases(frameNumber_)) {
        const double h = boxY1_ * std::sin(k * kDegToRad);
        const int y = Y(boxY1_ - h);
        if (shows({QPoint(left, y), QPoint(right, y)}, *rBoxPen_))
            CanvasLine(p, QPoint(left, y), QPoint(right, y), *rBoxPen_);
    }

    // The bath last: it covers the lower part of the wheel.
    const int w = boxPen_->GetWidth();
    const QList<QPoint> bath{Pt(boxX1_, boxY1_),       Pt(boxX2_, boxY2_),   Pt(boxX3_, boxY3_),
                             QPoint(X(boxX3_), H - w), QPoint(W - w, H - w), QPoint(W - w, Y(boxY1_))};
    if (shows({bath[0], bath[1], bath[2], bath[3], bath[4], bath[5]}, *boxPen_))
        CanvasPolygon(p, bath, *boxPen_, *boxBrush_);
}
