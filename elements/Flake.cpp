#include "Flake.h"

#include "Canvastools.h"
#include "Layout.h"
#include "Platform.h"
#include "Tamrixutil.h"

#include <QImageReader>
#include <QPainter>

ORDAL_REGISTER_CLASS(TFlake)

TFlake::TFlake(QWidget* owner)
    : TPanelElement(owner), pen_(OwnStyle<TPen>(this)), waterBrush_(OwnStyle<TBrush>(this)),
      backBrush_(OwnStyle<TBrush>(this)) {
    pen_->SetColor(clRed);
    waterBrush_->SetColor(clYellow);
    backBrush_->SetColor(clBlack);
    resize(185, 41);
}

void TFlake::SetWaterBrush(const TBrush* value) {
    if (!value || value == waterBrush_ || (waterBrush_->SameAs(*value) && pattern_.isNull()))
        return;
    pattern_ = QImage();
    if (waterBrush_->SameAs(*value))
        Invalidate();
    else
        waterBrush_->Assign(*value); // reaches StyleChanged
}

void TFlake::SetTransparent(bool value) {
    if (transparent_ == value)
        return;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    Store(transparent_, value);
}

double TFlake::SX(double p) const {
    const double W = width();
    double x = W * p / 100;
    if (xFlip_)
        x = W - x;
    if (x < 0)
        x = 0;
    if (x >= W)
        x = W - pen_->GetWidth();
    return x;
}

double TFlake::SY(double p) const {
    const double H = height();
    double y = H - H * p / 100;
    if (y < 0)
        y = 0;
    if (y >= H)
        y = H - pen_->GetWidth();
    return y;
}

TFlake::Geometry TFlake::Compute() const {
    auto pt = [this](double x, double y) { return QPoint(TruncPx(SX(x)), TruncPx(SY(y))); };
    Geometry g;
    g.body << pt(0, 0) << pt(0, 100) << pt(100, 100) << pt(100, y2_) << pt(x2_, y2_) << pt(bottomWidth_, 0);
    if (waterLevel_ > y2_) {
        g.liquid << pt(0, 0) << pt(0, waterLevel_) << pt(100, waterLevel_) << pt(100, y2_) << pt(x2_, y2_)
                 << pt(bottomWidth_, 0);
    } else {
        // The surface meets the sloping wall; a step on the very bottom leaves
        // no slope, and the surface meets the wall's foot.
        const double xw = y2_ != 0 ? bottomWidth_ + (x2_ - bottomWidth_) * waterLevel_ / y2_ : bottomWidth_;
        g.liquid << pt(0, 0) << pt(0, waterLevel_) << pt(xw, waterLevel_) << pt(bottomWidth_, 0);
    }
    return g;
}

void TFlake::TakePattern() {
    if (waterBrushFile_ == appliedFile_)
        return;
    appliedFile_ = waterBrushFile_;
    if (appliedFile_.isEmpty())
        return;
    // The reader keeps to its allocation limit: a huge or broken file is a
    // failed read, not an exhausted memory.
    QImageReader reader(IniPath(appliedFile_));
    const QImage image = reader.read();
    if (image.isNull()) {
        Beep();
        return;
    }
    pattern_ = image;
}

void TFlake::Draw(QPainter& p, bool background) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    p.setRenderHint(QPainter::Antialiasing, false);
    if (background)
        p.fillRect(0, 0, width(), height(), ColorToQColor(GetColor()));
    CanvasPolygon(p, g.body, *pen_, *backBrush_);
    TakePattern();
    const QBrush liquid = pattern_.isNull() ? waterBrush_->ToQBrush() : QBrush(pattern_);
    CanvasPolygon(p, g.liquid, pen_->ToQPen(), liquid);
}

void TFlake::DrawPicture(QPainter& p) {
    Draw(p, true);
}

void TFlake::Paint(QPainter& canvas) {
    if (!transparent_) {
        // The picture is drawn anew on every paint.
        SetRedrawNeeded(true);
        PaintBuffered(canvas, false);
        return;
    }
    FitPicture();
    if (!GetVisible())
        return;
    Draw(canvas, false);
}
