#include "Fan.h"

#include "Canvastools.h"
#include "Layout.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TFan)

TFan::TFan(QWidget* owner)
    : TPanelElement(owner), circleBrush_(OwnStyle<TBrush>(this)), circlePen_(OwnStyle<TPen>(this)) {
    circleBrush_->SetColor(clAqua);
    circlePen_->SetColor(clYellow);
    resize(185, 41);
}

void TFan::SetCircleBrush(const TBrush* value) {
    if (value && value != circleBrush_)
        circleBrush_->Assign(*value); // a real change reaches StyleChanged
}

void TFan::SetCirclePen(const TPen* value) {
    if (value && value != circlePen_)
        circlePen_->Assign(*value);
}

QList<QPolygon> TFan::Blades(int w, int h, int bladeCount, int rotorAlpha, int bladeWidth, int bladeLength,
                             int edgeLength) {
    QList<QPolygon> blades;
    if (bladeCount <= 0)
        return blades;
    const double L = double(w) * bladeLength / 200;
    const double hw = double(h) * bladeWidth / 200;
    const double e = L * (100 - edgeLength) / 100;
    const QPointF corners[5] = {{0, hw}, {e, hw}, {L, 0}, {e, -hw}, {0, -hw}};
    const int cx = w / 2, cy = h / 2;
    for (int i = 0; i < bladeCount; ++i) {
        // In degrees, exact on the axes: a blade at 180 degrees is as level as one at 0.
        double s = 0, c = 0;
        SinCosDeg(rotorAlpha + i * 360.0 / bladeCount, s, c);
        QPolygon blade;
        for (const QPointF& q : corners) {
            const double u = q.x() * c - q.y() * s, v = q.x() * s + q.y() * c;
            blade << QPoint(TruncPx(cx + u), TruncPx(cy - v));
        }
        blades << blade;
    }
    return blades;
}

void TFan::DrawPicture(QPainter& p) {
    const QList<QPolygon> blades =
        Blades(width(), height(), bladeCount_, rotorAlpha_, bladeWidth_, bladeLength_, edgeLength_);
    p.fillRect(0, 0, width(), height(), ColorToQColor(GetColor()));
    CanvasEllipse(p, 0, 0, width(), height(), *circlePen_, *circleBrush_);
    if (blades.isEmpty())
        return;
    // The blades take the rotor's colour, and the width and style of the disc's pen.
    QPen pen = circlePen_->ToQPen();
    if (pen.style() != Qt::NoPen)
        pen.setColor(ColorToQColor(rotorColor_));
    const QBrush brush(ColorToQColor(rotorColor_));
    for (const QPolygon& blade : blades)
        CanvasPolygon(p, blade, pen, brush);
}
