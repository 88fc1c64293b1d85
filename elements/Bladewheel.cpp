#include "Bladewheel.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>
#include <algorithm>

ORDAL_REGISTER_CLASS(TBladeWheel)

TBladeWheel::TBladeWheel(QWidget* owner)
    : TPanelElement(owner), bladePen_(OwnStyle<TPen>(this)), pen_(OwnStyle<TPen>(this)),
      brush_(OwnStyle<TBrush>(this)) {
    brush_->SetColor(clWhite);
    resize(185, 41);
}

void TBladeWheel::SetBladePen(const TPen* value) {
    if (value && value != bladePen_)
        bladePen_->Assign(*value); // a real change reaches StyleChanged
}

void TBladeWheel::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value);
}

void TBladeWheel::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
}

void TBladeWheel::SetTransparent(bool value) {
    if (transparent_ == value)
        return;
    // Without a background of its own the parent shows between the lines.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    Store(transparent_, value);
}

QList<int> TBladeWheel::BladeRows(int h, int bladeCount, bool circleMode, int alpha) {
    QList<int> rows;
    if (bladeCount <= 0)
        return rows;
    const int n = std::min(bladeCount, kMaxDrawnBlades);
    const int lines = 2 * n;
    if (circleMode) {
        const int half = h / 2;
        for (int k = 0; k < lines; ++k) {
            double s = 0, c = 0;
            SinCosDeg(alpha + k * 360.0 / lines, s, c);
            const double y = half - half * s;
            if (c >= 0 && y >= 0 && y <= h)
                rows << TruncPx(y);
        }
    } else {
        const double step = double(h) / n;
        const double first = h - double(alpha % 360) / 360 * h;
        for (int k = 0; k < lines; ++k) {
            double y = first - k * step;
            if (y < -h)
                y += 2.0 * h;
            if (y >= 0 && y <= h)
                rows << TruncPx(y);
        }
    }
    return rows;
}

void TBladeWheel::DrawBlades(QPainter& p) {
    const int w = width();
    const QPen pen = bladePen_->ToQPen();
    for (int y : BladeRows(height(), bladeCount_, circleMode_, alpha_))
        CanvasLine(p, QPoint(0, y), QPoint(w, y), pen);
}

void TBladeWheel::DrawPicture(QPainter& p) {
    CanvasRectangle(p, 0, 0, width(), height(), *pen_, *brush_);
    DrawBlades(p);
}

void TBladeWheel::Paint(QPainter& canvas) {
    if (!transparent_) {
        PaintBuffered(canvas, true);
        return;
    }
    FitPicture();
    if (!GetVisible())
        return;
    DrawBlades(canvas);
    SetRedrawNeeded(false);
}
