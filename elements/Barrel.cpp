#include "Barrel.h"

#include "Layout.h"
#include "Log.h"
#include "Platform.h"
#include "Tamrixutil.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TBarrel)

TBarrel::TBarrel(QWidget* owner) : TPanelElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")) {
    // Built under the same guard as a paint: a failure here sounds one beep and
    // leaves a tank that can still be placed on its window.
    try {
        pen_ = OwnStyle<TPen>(this);
        brush_ = OwnStyle<TBrush>(this);
        pen_->SetColor(clBlack);
        pen_->SetWidth(1);
        brush_->SetColor(clWhite);
        resize(185, 41); // a plain panel's bounds
        SetRedrawNeeded(true);
    } catch (...) {
        qCWarning(lcOrdal) << "TBarrel: not set up:" << CurrentExceptionText();
        Beep();
    }
}

void TBarrel::SetPen(const TPen* value) {
    if (value && pen_ && value != pen_)
        pen_->Assign(*value); // its change notification repaints
}

void TBarrel::SetBrush(const TBrush* value) {
    if (value && brush_ && value != brush_)
        brush_->Assign(*value);
}

void TBarrel::SetWaterLevel(double value) {
    if (waterLevel_ == value)
        return;
    // The bands under the level keep their colours: a new level changes the
    // bands between the old and the new one, and the walls there.
    QRect part = rect();
    const double range = maxLevel_ - minLevel_;
    const int extent = left2Right_ ? width() : height();
    if (range > 0 && std::isfinite(value) && std::isfinite(waterLevel_)) {
        auto fill = [&](double level) {
            return (std::min(std::max(level, minLevel_), maxLevel_) - minLevel_) * extent / range;
        };
        const double a = fill(waterLevel_), b = fill(value);
        const int m = extent / 100 + std::max(1, pen_ ? pen_->GetWidth() : 1) + 2;
        const int lo = int(std::floor(std::min(a, b))) - m, hi = int(std::ceil(std::max(a, b))) + m;
        part = left2Right_ ? QRect(lo, 0, hi - lo, height()) : QRect(0, height() - hi, width(), hi - lo);
    }
    waterLevel_ = value;
    Invalidate(part);
}

TColor TBarrel::BandColor(TColor down, TColor up, int i) {
    TColor out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = int((down >> shift) & 0xFF);
        const int u = int((up >> shift) & 0xFF);
        const double step = (u - d) / 100.0;
        out |= TColor(std::clamp(int(i * step + d), 0, 255)) << shift;
    }
    return out;
}

int TBarrel::BandsShown(double fill, int extent) {
    const double step = extent / 100.0;
    int i = 0;
    while (i < 100 && !(TruncPx((i + 1) * step) > fill))
        ++i;
    return i;
}

void TBarrel::Paint(QPainter& canvas) {
    const bool fresh = FitPicture();
    if (!GetVisible())
        return;
    QImage& picture = PictureRef();
    if (picture.isNull())
        return;
    // An empty scale draws nothing new: the tank keeps its last picture (a
    // bitmap that has just been made shows the background only). The flag is
    // never cleared, so every other paint rebuilds the picture.
    if (HasRange() || fresh) {
        try {
            // Every paint draws anew the part it shows.
            TPicturePainter p(&picture);
            if (!fresh)
                p.setClipRegion(ExposedRegion());
            DrawPicture(p);
        } catch (...) {
            // DrawPicture fails before it touches the picture: show the last one.
            canvas.drawImage(QPoint(0, 0), picture);
            throw;
        }
        ExtendPictureEdges(picture, size());
    }
    canvas.drawImage(QPoint(0, 0), picture);
}

void TBarrel::DrawPicture(QPainter& p) {
    const int w = width(), h = height();
    const double range = maxLevel_ - minLevel_;
    double fill = 0;
    if (range > 0) {
        const double level = std::min(std::max(waterLevel_, minLevel_), maxLevel_);
        fill = (level - minLevel_) * (left2Right_ ? w : h) / range;
        // A level that is not a number would fill the whole tank: rather no paint.
        if (!std::isfinite(fill))
            throw EDrawError("tank level is not a number");
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, w, h, ColorToQColor(GetColor()));
    if (!(range > 0))
        return;

    const int extent = left2Right_ ? w : h;
    const double step = extent / 100.0;
    const int bands = BandsShown(fill, extent);
    for (int i = 0; i < bands; ++i) {
        const int a = TruncPx(i * step), b = TruncPx((i + 1) * step);
        const QColor c = ColorToQColor(BandColor(downColor_, upColor_, i));
        if (left2Right_)
            p.fillRect(a, 0, b - a, h, c);
        else
            p.fillRect(0, h - b, w, b - a, c);
    }

    // The walls lie inside the picture whatever the pen's width: the left and
    // top ends half a pen width in, the right and bottom ones so that the pen's
    // last pixel is the picture's last (a one-pixel pen on the very edge).
    const int pw = std::max(1, pen_->GetWidth());
    const int nearIn = pen_->GetWidth() / 2;
    const int farIn = 1 + (pw - 1) / 2;
    const QPoint walls[] = {
        {nearIn, nearIn}, {nearIn, h - farIn}, {w - farIn, h - farIn}, {w - farIn, nearIn}};
    p.setPen(pen_->ToQPen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(walls, 4);
}

bool TBarrel::SaveConfig() {
    saveError_.clear();
    try {
        IniFile ini = ConfigFile();
        ini.Begin(); // the look reaches the file whole or not at all
        const QString s = objectName();
        ini.WriteInteger(s, QStringLiteral("UpColor"), upColor_);
        ini.WriteInteger(s, QStringLiteral("DownColor"), downColor_);
        ini.WriteInteger(s, QStringLiteral("BackColor"), brush_->GetColor());
        SavePenConfig(ini, s, QStringLiteral("Pen"), *pen_);
        ini.Commit();
        return true;
    } catch (...) {
        saveError_ = CurrentExceptionText();
        qCWarning(lcOrdal) << "TBarrel::SaveConfig" << objectName() << saveError_;
        return false;
    }
}

bool TBarrel::LoadConfig(const QString& section) {
    const IniFile ini = ConfigFile();
    const QString s = SectionFor(section, this);
    SetUpColor(ReadColor(ini, s, QStringLiteral("UpColor"), upColor_));
    SetDownColor(ReadColor(ini, s, QStringLiteral("DownColor"), downColor_));
    brush_->SetColor(ReadColor(ini, s, QStringLiteral("BackColor"), brush_->GetColor()));
    LoadPenConfig(ini, s, QStringLiteral("Pen"), *pen_);
    return true;
}
