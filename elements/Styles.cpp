#include "Styles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1; // as Windows answers a division by zero
    const long long p = static_cast<long long>(a) * b;
    long long q = (std::llabs(p) * 2 + std::llabs(c)) / (std::llabs(c) * 2);
    if ((p < 0) != (c < 0))
        q = -q;
    return static_cast<int>(q);
}

// ---- TPen ----

void TPen::SetColor(TColor value) {
    if (color_ == value)
        return;
    color_ = value;
    Q_EMIT Changed();
}

void TPen::SetWidth(int value) {
    if (width_ == value)
        return;
    width_ = value;
    Q_EMIT Changed();
}

void TPen::SetStyle(TPenStyle value) {
    if (style_ == value)
        return;
    style_ = value;
    Q_EMIT Changed();
}

bool TPen::SameAs(const TPen& other) const {
    return color_ == other.color_ && width_ == other.width_ && style_ == other.style_;
}

void TPen::Assign(const TPen& other) {
    if (&other == this || SameAs(other))
        return;
    color_ = other.color_;
    width_ = other.width_;
    style_ = other.style_;
    Q_EMIT Changed();
}

QPen TPen::ToQPen() const {
    if (style_ == psClear)
        return QPen(Qt::NoPen);
    QPen pen(ColorToQColor(color_));
    if (width_ <= 1) {
        pen.setWidth(1);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        switch (style_) {
        case psDash:
            pen.setStyle(Qt::DashLine);
            break;
        case psDot:
            pen.setStyle(Qt::DotLine);
            break;
        case psDashDot:
            pen.setStyle(Qt::DashDotLine);
            break;
        case psDashDotDot:
            pen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
        }
    } else {
        pen.setWidth(width_);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

// ---- TBrush ----

void TBrush::SetColor(TColor value) {
    if (color_ == value)
        return;
    color_ = value;
    Q_EMIT Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
    if (style_ == value)
        return;
    style_ = value;
    Q_EMIT Changed();
}

bool TBrush::SameAs(const TBrush& other) const {
    return color_ == other.color_ && style_ == other.style_;
}

void TBrush::Assign(const TBrush& other) {
    if (&other == this || SameAs(other))
        return;
    color_ = other.color_;
    style_ = other.style_;
    Q_EMIT Changed();
}

QBrush TBrush::ToQBrush() const {
    const QColor c = ColorToQColor(color_);
    switch (style_) {
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(c, Qt::HorPattern);
    case bsVertical:
        return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: // "\\\\", falling from left to right
        return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal: // "////"
        return QBrush(c, Qt::BDiagPattern);
    case bsCross:
        return QBrush(c, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(c, Qt::DiagCrossPattern);
    case bsSolid:
        break;
    }
    return QBrush(c, Qt::SolidPattern);
}

// ---- TFont ----

void TFont::SetName(const QString& value) {
    if (name_ == value)
        return;
    name_ = value;
    Q_EMIT Changed();
}

int TFont::GetSize() const {
    return -MulDiv(height_, 72, kPixelsPerInch);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetHeight(int pixels) {
    if (height_ == pixels)
        return;
    height_ = pixels;
    Q_EMIT Changed();
}

void TFont::SetColor(TColor value) {
    if (color_ == value)
        return;
    color_ = value;
    Q_EMIT Changed();
}

void TFont::SetStyle(TFontStyles value) {
    if (style_ == value)
        return;
    style_ = value;
    Q_EMIT Changed();
}

void TFont::SetCharset(int value) {
    if (charset_ == value)
        return;
    charset_ = value;
    Q_EMIT Changed();
}

void TFont::SetPitch(TFontPitch value) {
    if (pitch_ == value)
        return;
    pitch_ = value;
    Q_EMIT Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
           style_ == other.style_ && charset_ == other.charset_ && pitch_ == other.pitch_;
}

void TFont::Assign(const TFont& other) {
    if (&other == this || SameAs(other))
        return;
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    pitch_ = other.pitch_;
    Q_EMIT Changed();
}

QFont TFont::ToQFont() const {
    QFont f(name_);
    // A positive height is the cell height, internal leading included; the
    // character height is about four fifths of it.
    const int px = height_ < 0 ? -height_ : height_ > 0 ? std::max(1, (height_ * 4 + 2) / 5) : 13;
    f.setPixelSize(std::max(1, px));
    f.setBold(style_.testFlag(fsBold));
    f.setItalic(style_.testFlag(fsItalic));
    f.setUnderline(style_.testFlag(fsUnderline));
    f.setStrikeOut(style_.testFlag(fsStrikeOut));
    if (pitch_ == fpFixed)
        f.setFixedPitch(true);
    return f;
}

// ---- TStringList ----

void TStringList::SetStrings(const QStringList& lines) {
    if (lines_ == lines)
        return;
    lines_ = lines;
    Q_EMIT Changed();
}

void TStringList::Set(int i, const QString& line) {
    if (lines_.at(i) == line)
        return;
    lines_[i] = line;
    Q_EMIT Changed();
}

void TStringList::Add(const QString& line) {
    lines_.append(line);
    Q_EMIT Changed();
}

void TStringList::Delete(int i) {
    lines_.removeAt(i);
    Q_EMIT Changed();
}

void TStringList::Clear() {
    if (lines_.isEmpty())
        return;
    lines_.clear();
    Q_EMIT Changed();
}
