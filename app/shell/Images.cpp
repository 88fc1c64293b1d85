#include "Images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

// One visual family: a dark steel plate with a light pictogram on it; the
// colour of the plate's edge tells the group (views blue, charts green,
// commands amber, service grey).
namespace {

enum class Group { View, Chart, Command, Service };

void Plate(QPainter& p, Group g) {
    QColor edge;
    switch (g) {
    case Group::View: edge = QColor(0x3A, 0x7B, 0xD5); break;
    case Group::Chart: edge = QColor(0x2E, 0xA0, 0x4F); break;
    case Group::Command: edge = QColor(0xE0, 0x9A, 0x1F); break;
    case Group::Service: edge = QColor(0x8A, 0x93, 0x9E); break;
    }
    QLinearGradient bg(0, 0, 0, 32);
    bg.setColorAt(0, QColor(0x4A, 0x55, 0x63));
    bg.setColorAt(1, QColor(0x23, 0x2A, 0x33));
    p.setPen(QPen(edge, 2));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, 62, 30), 5, 5);
}

QPen Line(const QColor& c, double w = 2) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

const QColor kLight(0xF2, 0xF4, 0xF7);
const QColor kAmber(0xFF, 0xC1, 0x3A);
const QColor kRed(0xFF, 0x5A, 0x4F);
const QColor kGreen(0x5C, 0xE0, 0x7A);
const QColor kAqua(0x4F, 0xD8, 0xFF);

void Chart(QPainter& p, const QList<QPolygonF>& curves, const QList<QColor>& colours) {
    p.setPen(Line(kLight, 1.5));
    p.drawLine(QPointF(12, 6), QPointF(12, 26));
    p.drawLine(QPointF(12, 26), QPointF(54, 26));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < curves.size(); ++i) {
        p.setPen(Line(colours[i], 2));
        p.drawPolyline(curves[i]);
    }
}

} // namespace

QPixmap ToolImage(int index) {
    QPixmap pm(64, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: { // exit: a door and an arrow leaving it
        Plate(p, Group::Service);
        p.setPen(Line(kLight));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(18, 6, 14, 20));
        p.setPen(Line(kRed, 2.5));
        p.drawLine(QPointF(28, 16), QPointF(48, 16));
        p.drawPolyline(QPolygonF({QPointF(42, 10), QPointF(48, 16), QPointF(42, 22)}));
        break;
    }
    case 1: { // scheme: a tank, a pump and pipes
        Plate(p, Group::View);
        p.setPen(Line(kAqua));
        p.drawLine(QPointF(10, 22), QPointF(24, 22));
        p.drawLine(QPointF(34, 22), QPointF(54, 22));
        p.drawLine(QPointF(54, 22), QPointF(54, 8));
        p.setPen(Line(kLight));
        p.setBrush(QColor(0x3A, 0x7B, 0xD5));
        p.drawEllipse(QPointF(29, 22), 5, 5);
        p.drawRect(QRectF(38, 6, 10, 11));
        p.setBrush(kAqua);
        p.drawRect(QRectF(38, 12, 10, 5));
        break;
    }
    case 2: { // journal: a page with lines
        Plate(p, Group::View);
        p.setPen(Line(kLight));
        p.setBrush(QColor(0xF2, 0xF4, 0xF7, 40));
        p.drawRect(QRectF(20, 5, 24, 22));
        p.setPen(Line(kAmber, 1.5));
        for (int y = 10; y <= 22; y += 4)
            p.drawLine(QPointF(24, y), QPointF(40, y));
        break;
    }
    case 3: { // main menu: four tiles
        Plate(p, Group::View);
        p.setPen(Qt::NoPen);
        const QColor c[4] = {kAqua, kGreen, kAmber, kLight};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(c[i]);
            p.drawRoundedRect(QRectF(21 + (i % 2) * 12, 5 + (i / 2) * 12, 10, 10), 2, 2);
        }
        break;
    }
    case 4: { // refresh: a circular arrow
        Plate(p, Group::Service);
        p.setPen(Line(kLight, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(22, 6, 20, 20), 30 * 16, 280 * 16);
        p.drawPolyline(QPolygonF({QPointF(38, 4), QPointF(41, 10), QPointF(35, 11)}));
        break;
    }
    case 5: { // about: "i" in a circle
        Plate(p, Group::Service);
        p.setPen(Line(kLight));
        p.setBrush(QColor(0x3A, 0x7B, 0xD5));
        p.drawEllipse(QPointF(32, 16), 11, 11);
        p.setPen(Line(kLight, 3));
        p.drawPoint(QPointF(32, 10));
        p.drawLine(QPointF(32, 15), QPointF(32, 22));
        break;
    }
    case 6: // flow divider chart: a fork and a stepped curve
        Plate(p, Group::Chart);
        Chart(p, {QPolygonF({QPointF(14, 20), QPointF(24, 20), QPointF(24, 12), QPointF(38, 12), QPointF(38, 17),
                             QPointF(52, 17)})},
              {kAmber});
        break;
    case 7: // process parameters chart: density and valve
        Plate(p, Group::Chart);
        Chart(p,
              {QPolygonF({QPointF(14, 18), QPointF(22, 12), QPointF(30, 15), QPointF(38, 9), QPointF(46, 12),
                          QPointF(53, 8)}),
               QPolygonF({QPointF(14, 23), QPointF(24, 21), QPointF(34, 22), QPointF(44, 18), QPointF(53, 20)})},
              {kRed, kAmber});
        break;
    case 8: // sump level chart: two level curves
        Plate(p, Group::Chart);
        Chart(p,
              {QPolygonF({QPointF(14, 12), QPointF(26, 10), QPointF(36, 14), QPointF(53, 11)}),
               QPolygonF({QPointF(14, 20), QPointF(24, 22), QPointF(38, 18), QPointF(53, 21)})},
              {kAqua, kGreen});
        break;
    case 9: { // density setpoint: a hydrometer with a target mark
        Plate(p, Group::Command);
        p.setPen(Line(kLight));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(24, 4), QPointF(24, 18));
        p.drawEllipse(QPointF(24, 23), 5, 5);
        p.setPen(Line(kAmber, 2.5));
        p.drawLine(QPointF(34, 16), QPointF(50, 16));
        p.drawPolyline(QPolygonF({QPointF(36, 11), QPointF(31, 16), QPointF(36, 21)}));
        break;
    }
    case 10: { // load setpoint: a conveyor with a target mark
        Plate(p, Group::Command);
        p.setPen(Line(kLight));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(12, 17, 28, 8), 4, 4);
        p.setBrush(kLight);
        p.drawEllipse(QPointF(20, 13), 3, 3);
        p.drawEllipse(QPointF(30, 13), 3, 3);
        p.setPen(Line(kAmber, 2.5));
        p.drawLine(QPointF(44, 16), QPointF(54, 16));
        break;
    }
    case 11: { // print: a printer
        Plate(p, Group::Service);
        p.setPen(Line(kLight));
        p.setBrush(QColor(0xF2, 0xF4, 0xF7, 60));
        p.drawRect(QRectF(20, 12, 24, 10));
        p.setBrush(kLight);
        p.drawRect(QRectF(24, 5, 16, 7));
        p.drawRect(QRectF(24, 19, 16, 8));
        p.setPen(Line(kGreen, 2));
        p.drawPoint(QPointF(41, 15));
        break;
    }
    case 12: { // configuration: a gear
        Plate(p, Group::Service);
        QPainterPath gear;
        for (int i = 0; i < 16; ++i) {
            const double a = i * M_PI / 8;
            const double r = (i % 2) ? 9.5 : 7;
            const QPointF pt(32 + r * std::cos(a), 16 + r * std::sin(a));
            i ? gear.lineTo(pt) : gear.moveTo(pt);
        }
        gear.closeSubpath();
        gear.addEllipse(QPointF(32, 16), 3, 3);
        p.setPen(Line(kLight, 1.2));
        p.setBrush(QColor(0x8A, 0x93, 0x9E));
        p.drawPath(gear);
        break;
    }
    case 13: { // database: a cylinder
        Plate(p, Group::View);
        p.setPen(Line(kLight, 1.5));
        p.setBrush(QColor(0x3A, 0x7B, 0xD5));
        p.drawRect(QRectF(22, 9, 20, 14));
        p.drawEllipse(QRectF(22, 19, 20, 7));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(23, 10, 18, 12));
        p.setPen(Line(kLight, 1.5));
        p.drawEllipse(QRectF(22, 5, 20, 7));
        break;
    }
    default: { // spare: a question mark
        Plate(p, Group::Service);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(20);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kLight);
        p.drawText(QRectF(0, 0, 64, 32), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    return pm;
}

QIcon AppIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x3A, 0x7B, 0xD5), 2));
    p.setBrush(QColor(0x23, 0x2A, 0x33));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4F, 0xD8, 0xFF));
    p.drawRect(QRectF(8, 16, 16, 10));
    p.setPen(QPen(QColor(0xF2, 0xF4, 0xF7), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(8, 6, 16, 20));
    return QIcon(pm);
}
