#include "Unipandus.h"

#include "Layout.h"
#include <QPainter>

ORDAL_REGISTER_CLASS(TUniPandus)

TUniPandus::TUniPandus(QWidget* owner)
    : TGraphicElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)) {
    pen_->SetColor(clYellow);
    brush_->SetColor(clRed);
    resize(145, 75);
}

void TUniPandus::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value); // a real change reaches StyleChanged
}

void TUniPandus::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
}

void TUniPandus::StyleChanged(QObject*) {
    update();
}

TUniPandus::Geometry TUniPandus::Compute(int w, int h, int penWidth, int topPercent, int hPercent,
                                         int a1TopPercent, int a2TopPercent, int rightTopPercent) {
    // Products in 64 bits: percentages are not validated, and an absurd one must
    // end in the paint guard, not in an overflow.
    const qint64 H = h, W = w;
    const int y1 = TruncPx(double(H * topPercent) * 0.01);
    const double bandH = double(H * hPercent) * 0.01;
    const int y2 = TruncPx(y1 + bandH);
    const int y3 = TruncPx(double(H * rightTopPercent) * 0.01);
    const int y4 = TruncPx(y3 + bandH);
    const int ym = int((qint64(y2) + y4) / 2);
    const int ya1 = TruncPx(double(H * (100 - qint64(a1TopPercent)) / 100));
    const int ya2 = TruncPx(double(H * (100 - qint64(a2TopPercent)) / 100));
    const int xm = int(W / 2);
    const int xq1 = int(W / 4);
    const int xq3 = int(W - xq1);

    Geometry g;
    g.band << QPoint(penWidth, y1) << QPoint(w - penWidth, y3) << QPoint(w - penWidth, y4)
           << QPoint(penWidth, y2);
    g.hoppers << QPoint(0, y2) << QPoint(xq1, ya1) << QPoint(xm, ym) << QPoint(xq3, ya2) << QPoint(w, y4);
    return g;
}

void TUniPandus::Paint(QPainter& canvas) {
    const Geometry g = Compute(width(), height(), pen_->GetWidth(), topPercent_, hPercent_, a1TopPercent_,
                               a2TopPercent_, rightTopPercent_);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(pen_->ToQPen());
    canvas.setBrush(brush_->ToQBrush());
    canvas.drawPolygon(g.band);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawPolyline(g.hoppers);
}
