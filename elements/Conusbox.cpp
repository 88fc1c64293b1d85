#include "Conusbox.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TConusBox)

namespace {
QRect Box(int left, int top, int right, int bottom) {
    QRect box;
    box.setCoords(left, top, right, bottom);
    return box;
}
} // namespace

TConusBox::TConusBox(QWidget* owner) : TPanelElement(owner), pen_(OwnStyle<TPen>(this)) {
    SetColor(clBlack);
    resize(185, 41);
}

void TConusBox::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value); // a real change reaches StyleChanged
}

TConusBox::Geometry TConusBox::Compute() const {
    const int w = width(), h = height();
    const double W = w, H = h;
    const int pw = pen_->GetWidth();
    // In 64 bits: a pen width is not limited, and an absurd one ends in the
    // paint guard, not in an overflow.
    const qint64 PW = pw;
    const int inR = Px64(w - PW), inB = Px64(h - PW);
    auto X = [W](double p) { return W * p / 100; };
    auto Y = [H](double p) { return H - H * p / 100; };
    const int yW = TruncPx(Y(waterH_)), yC = TruncPx(Y(conusH_));
    const int cx = w / 2;
    const double hd = X(downW_) / 2, dw = 2 * hd;

    QPoint p0(pw, yC), p1(TruncPx(cx - hd), inB), p2(TruncPx(cx + hd), inB), p3(inR, yC);
    if (halfConus_) {
        p1.setX(xFlip_ ? pw : TruncPx(W - dw));
        p2.setX(xFlip_ ? TruncPx(dw) : inR);
    }
    Geometry g;
    g.cone << p0 << p1 << p2 << p3;
    g.full = waterH_ > conusH_;
    const QRect cover = Box(Px64(2 * PW), Px64(yC - PW), Px64(w - 2 * PW), Px64(yC + PW));
    if (g.full) {
        if (waterH_ < 100)
            g.empty = Box(pw, pw, w, yW);
        g.upperLiquid = Box(pw, yW, w, yC);
        if (!showConusTop_)
            g.coneTopCover = cover;
    } else {
        g.empty = Box(pw, 0, w, yC);
        if (!showConusTop_)
            g.coneTopCover = cover;
        if (conusH_ > 0) {
            const double k = double(waterH_) / conusH_;
            p0.setY(yW);
            p3.setY(yW);
            if (!halfConus_) {
                const double s = hd + k * (w / 2 - hd);
                p0.setX(TruncPx(cx - s));
                p3.setX(TruncPx(cx + s));
            } else {
                const double s = dw + k * (W - dw);
                p0.setX(xFlip_ ? pw : TruncPx(W - s));
                p3.setX(xFlip_ ? TruncPx(s) : inR);
            }
            g.coneLiquid << p0 << p1 << p2 << p3;
        }
    }
    if (!showTopLine_)
        g.topCover = Box(0, 0, w, Px64(2 * PW));
    return g;
}

void TConusBox::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    const QColor back = ColorToQColor(backColor_), empty = ColorToQColor(GetColor()),
                 water = ColorToQColor(waterColor_);
    TBrush emptyBrush, waterBrush;
    emptyBrush.SetColor(GetColor());
    waterBrush.SetColor(waterColor_);
    auto fill = [&p](const QRect& box, const QColor& c) {
        if (box.right() > box.left() && box.bottom() > box.top())
            p.fillRect(QRect(box.left(), box.top(), box.right() - box.left(), box.bottom() - box.top()), c);
    };

    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width(), height(), back);
    if (g.full) {
        if (g.empty)
            CanvasRectangle(p, g.empty->left(), g.empty->top(), g.empty->right(), g.empty->bottom(), *pen_,
                            emptyBrush);
        CanvasRectangle(p, g.upperLiquid.left(), g.upperLiquid.top(), g.upperLiquid.right(),
                        g.upperLiquid.bottom(), *pen_, waterBrush);
        CanvasPolygon(p, g.cone, *pen_, waterBrush);
        if (g.coneTopCover)
            fill(*g.coneTopCover, water);
    } else {
        CanvasRectangle(p, g.empty->left(), g.empty->top(), g.empty->right(), g.empty->bottom(), *pen_,
                        emptyBrush);
        CanvasPolygon(p, g.cone, *pen_, emptyBrush);
        if (g.coneTopCover)
            fill(*g.coneTopCover, empty);
        if (!g.coneLiquid.isEmpty())
            CanvasPolygon(p, g.coneLiquid, *pen_, waterBrush);
    }
    if (g.topCover)
        fill(*g.topCover, back);
}
