#include "Termoscale.h"

#include "Layout.h"
#include "Tamrixutil.h"

#include <QFontMetrics>
#include <QPainter>

ORDAL_REGISTER_CLASS(TTermoScale)

TTermoScale::TTermoScale(QWidget* owner)
    : TPanelElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")),
      lines_(OwnStyle<TStringList>(this)), textPen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)),
      textBrush_(OwnStyle<TBrush>(this)), sPen_(OwnStyle<TPen>(this)), vPen_(OwnStyle<TPen>(this)),
      wPen_(OwnStyle<TPen>(this)), font_(OwnStyle<TFont>(this)) {
    // The scale keeps its background erase: with Transparent the parent shows.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(50, 100);
}

void TTermoScale::SetTransparent(bool value) {
    Store(transparent_, value);
}

TTermoScale::Geometry TTermoScale::Compute(int w, int h, int lines, int textWPercent, int textHPercent,
                                           int sLineXPercent) {
    Geometry g;
    if (lines < 2)
        return g;
    const int n = lines - 1;
    const int cx = w / 2;
    const double tw = double(w) * textWPercent / 100, th = double(h) * textHPercent / 100;
    const double step = (h - th) / n;
    const double sw = double(w) * sLineXPercent / 100;
    g.axisX = cx;
    for (int k = 0; k <= n; ++k)
        g.divisions << TruncPx(th / 2 + k * step);
    for (int k = 0; k < n; ++k) {
        const int y = TruncPx(th / 2 + step / 2 + k * step);
        g.marks << QLine(TruncPx(cx - sw / 2), y, TruncPx(cx + sw / 2), y);
    }
    for (int k = 0; k <= n; ++k) {
        QRect box;
        box.setCoords(TruncPx(cx - tw / 2), TruncPx(k * step), TruncPx(cx + tw / 2), TruncPx(k * step + th));
        g.boxes << box;
    }
    return g;
}

void TTermoScale::DrawPicture(QPainter& p) {
    const int w = width(), h = height();
    const Geometry g = Compute(w, h, lines_->Count(), textWPercent_, textHPercent_, sLineXPercent_);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (!transparent_ && brush_->GetStyle() != bsClear)
        p.fillRect(0, 0, w, h, brush_->ToQBrush());
    if (g.boxes.isEmpty())
        return;
    p.setPen(vPen_->ToQPen());
    p.drawLine(g.axisX, 0, g.axisX, h);
    p.setPen(wPen_->ToQPen());
    for (int y : g.divisions)
        p.drawLine(0, y, w, y);
    p.setPen(sPen_->ToQPen());
    for (const QLine& m : g.marks)
        p.drawLine(m);
    const QFont f = font_->ToQFont();
    const QFontMetrics fm(f);
    const int n = int(g.boxes.size()) - 1;
    for (int k = 0; k <= n; ++k) {
        const QRect& b = g.boxes.at(k);
        CanvasRectangle(p, b.left(), b.top(), b.right(), b.bottom(), *textPen_, *textBrush_);
        const QString& text = (*lines_)[n - k];
        const int th = b.bottom() - b.top();
        p.setFont(f);
        p.setPen(font_->ToQColor());
        p.drawText(
            QPoint(g.axisX - fm.horizontalAdvance(text) / 2, b.top() + (th - fm.height()) / 2 + fm.ascent()),
            text);
    }
}

void TTermoScale::Paint(QPainter& canvas) {
    if (!GetVisible())
        return;
    DrawPicture(canvas);
    SetRedrawNeeded(false);
}

bool TTermoScale::SaveConfig() {
    IniFile ini = ConfigFile();
    ini.Begin(); // the look reaches the file whole or not at all
    const QString s = objectName();
    SavePenConfig(ini, s, QStringLiteral("TextPen"), *textPen_);
    SavePenConfig(ini, s, QStringLiteral("SPen"), *sPen_);
    SavePenConfig(ini, s, QStringLiteral("VPen"), *vPen_);
    SavePenConfig(ini, s, QStringLiteral("WPen"), *wPen_);
    ini.WriteInteger(s, QStringLiteral("BrushColor"), brush_->GetColor());
    ini.WriteInteger(s, QStringLiteral("TextBrushColor"), textBrush_->GetColor());
    SaveFontConfig(ini, s, QStringLiteral("Font"), *font_);
    ini.Commit();
    return true;
}

bool TTermoScale::LoadConfig(const QString& section) {
    const IniFile ini = ConfigFile();
    const QString s = SectionFor(section, this);
    LoadPenConfig(ini, s, QStringLiteral("TextPen"), *textPen_);
    LoadPenConfig(ini, s, QStringLiteral("SPen"), *sPen_);
    LoadPenConfig(ini, s, QStringLiteral("VPen"), *vPen_);
    LoadPenConfig(ini, s, QStringLiteral("WPen"), *wPen_);
    brush_->SetColor(ReadColor(ini, s, QStringLiteral("BrushColor"), brush_->GetColor()));
    textBrush_->SetColor(ReadColor(ini, s, QStringLiteral("TextBrushColor"), textBrush_->GetColor()));
    LoadFontConfig(ini, s, QStringLiteral("Font"), *font_);
    return true;
}
