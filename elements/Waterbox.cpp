#include "Waterbox.h"

#include "Layout.h"
#include "Tamrixutil.h"

#include <QPainter>
#include <algorithm>

ORDAL_REGISTER_CLASS(TWaterBox)

TWaterBox::TWaterBox(QWidget* owner)
    : TPanelElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")), pen_(OwnStyle<TPen>(this)) {
    pen_->SetColor(clYellow);
    resize(100, 100);
}

void TWaterBox::SetPen(const TPen* value) {
    if (!value || value == pen_ || pen_->SameAs(*value))
        return;
    pen_->Assign(*value);
    RepaintNow(this);
}

void TWaterBox::SetWaterLevel(double value) {
    if (waterLevel_ == value)
        return;
    // While the water stays inside the body, a new level moves only the top
    // edge of the water: the rest of the picture stays as it is.
    QRect part = rect();
    try {
        const Geometry a = Compute(width(), height(), mainW_, mainH_, boxH_, bottomH_, bottomW_, waterLevel_,
                                   pen_->GetWidth());
        const Geometry b =
            Compute(width(), height(), mainW_, mainH_, boxH_, bottomH_, bottomW_, value, pen_->GetWidth());
        if (!a.full && !b.full) {
            const int top = std::min(a.water.top, b.water.top), bottom = std::max(a.water.top, b.water.top);
            part = QRect(0, top - a.pw - 1, width(), bottom - top + 2 * a.pw + 2);
        }
    } catch (const EDrawError&) {
        // The paint reports it; the whole sump is repainted.
    }
    waterLevel_ = value;
    SetRedrawNeeded(true);
    RepaintNow(this, part);
}

void TWaterBox::SetTransparent(bool value) {
    if (transparent_ == value)
        return;
    // A transparent sump lets its parent show around the tank; an opaque one
    // covers its whole area itself.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    setAttribute(Qt::WA_NoSystemBackground, !value);
    StoreNow(transparent_, value);
}

TWaterBox::Geometry TWaterBox::Compute(int w, int h, double mainW, double mainH, double boxH, double bottomH,
                                       double bottomW, double waterLevel, int penWidth) {
    if (boxH == 0 || mainW == 0)
        throw EDrawError("sump scaled by zero");
    const double W = w, H = h;
    const double ky = H / boxH;
    const double kx = W / mainW;
    const double bw = bottomW * kx;
    const double bh = bottomH * ky;
    const double xl = (W - bw) / 2;
    const double xr = W - xl;
    const double mh = mainH * ky;
    const double wl = waterLevel * ky;
    const double gap = mh - wl;

    Geometry g;
    const int pw = std::max(1, penWidth);
    g.pw = pw;
    g.full = !(gap > 0);
    if (!g.full) {
        g.body = {pw, pw, TruncPx(W - pw), TruncPx(mh)};
        // The water's top edge lies 2 pw above the computed line.
        g.water = {2 * pw, TruncPx(gap) - 2 * pw, TruncPx(W) - 2 * pw, TruncPx(mh)};
    } else {
        g.water = {pw, pw, TruncPx(W) - pw, TruncPx(mh) - pw};
    }
    const int top = TruncPx(mh - pw);
    const int bottom = TruncPx(mh + bh);
    g.funnel << QPoint(pw, top) << QPoint(TruncPx(W - pw), top) << QPoint(TruncPx(xr), bottom)
             << QPoint(TruncPx(xl), bottom);
    g.outlet = {TruncPx(xl), bottom, TruncPx(xr), TruncPx(H)};
    return g;
}

void TWaterBox::Draw(QPainter& p, bool fillBackground) {
    const Geometry g =
        Compute(width(), height(), mainW_, mainH_, boxH_, bottomH_, bottomW_, waterLevel_, pen_->GetWidth());
    p.setRenderHint(QPainter::Antialiasing, false);
    if (fillBackground)
        p.fillRect(0, 0, width(), height(), ColorToQColor(backColor_));

    TBrush water;
    water.SetColor(waterColor_);
    if (!g.full) {
        const QPoint outline[] = {{g.body.left, g.body.top},
                                  {g.body.right, g.body.top},
                                  {g.body.right, g.body.bottom},
                                  {g.body.left, g.body.bottom},
                                  {g.body.left, g.body.top}};
        p.setPen(pen_->ToQPen());
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(outline, 5);
        TPen none;
        none.SetStyle(psClear);
        CanvasRectangle(p, g.water.left, g.water.top, g.water.right, g.water.bottom, none, water);
    } else {
        CanvasRectangle(p, g.water.left, g.water.top, g.water.right, g.water.bottom, *pen_, water);
    }
    // Funnel and outlet are always full, whatever the level.
    p.setPen(pen_->ToQPen());
    p.setBrush(water.ToQBrush());
    p.drawPolygon(g.funnel);
    CanvasRectangle(p, g.outlet.left, g.outlet.top, g.outlet.right, g.outlet.bottom, *pen_, water);
}

void TWaterBox::DrawPicture(QPainter& p) {
    Draw(p, true);
}

void TWaterBox::Paint(QPainter& canvas) {
    if (!transparent_) {
        // Every paint draws the picture anew: the flag is never cleared.
        SetRedrawNeeded(true);
        PaintBuffered(canvas, false);
        return;
    }
    FitPicture();
    if (!GetVisible())
        return;
    Draw(canvas, false);
}

bool TWaterBox::SaveConfig() {
    IniFile ini = ConfigFile();
    ini.Begin(); // the look reaches the file whole or not at all
    const QString section = objectName();
    SavePenConfig(ini, section, QStringLiteral("Pen"), *pen_);
    ini.WriteInteger(section, QStringLiteral("BackColor"), backColor_);
    ini.WriteInteger(section, QStringLiteral("BorderColor"), borderColor_);
    ini.WriteInteger(section, QStringLiteral("WaterColor"), waterColor_);
    ini.Commit();
    return true;
}

bool TWaterBox::LoadConfig(const QString& section) {
    const IniFile ini = ConfigFile();
    const QString s = SectionFor(section, this);
    LoadPenConfig(ini, s, QStringLiteral("Pen"), *pen_);
    SetBackColor(ReadColor(ini, s, QStringLiteral("BackColor"), backColor_));
    SetBorderColor(ReadColor(ini, s, QStringLiteral("BorderColor"), borderColor_));
    SetWaterColor(ReadColor(ini, s, QStringLiteral("WaterColor"), waterColor_));
    return true;
}
