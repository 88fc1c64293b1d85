#include "Controls.h"

#include "Layout.h"
#include "Tamrixutil.h"

#include <QFontMetrics>
#include <QPainter>
#include <stdexcept>

ORDAL_REGISTER_CLASS(TLabel)
ORDAL_REGISTER_CLASS(TPanel)
ORDAL_REGISTER_CLASS(TShape)
ORDAL_REGISTER_CLASS(TImage)

// ---- TLabel ----

TLabel::TLabel(QWidget* owner) : TGraphicElement(owner), font_(OwnStyle<TFont>(this)) {
    resize(65, 13);
    AdjustBounds();
}

void TLabel::SetCaption(const QString& value) {
    if (caption_ == value)
        return;
    caption_ = value;
    AdjustBounds();
    RepaintNow(this);
}

void TLabel::SetFont(const TFont* value) {
    if (value)
        font_->Assign(*value);
}

void TLabel::SetAutoSize(bool value) {
    if (autoSize_ == value)
        return;
    autoSize_ = value;
    AdjustBounds();
    RepaintNow(this);
}

void TLabel::SetWordWrap(bool value) {
    if (wordWrap_ == value)
        return;
    wordWrap_ = value;
    AdjustBounds();
    RepaintNow(this);
}

void TLabel::SetShowAccelChar(bool value) {
    if (showAccelChar_ == value)
        return;
    showAccelChar_ = value;
    AdjustBounds();
    RepaintNow(this);
}

void TLabel::StyleChanged(QObject* sender) {
    AdjustBounds();
    TGraphicElement::StyleChanged(sender);
}

int TLabel::TextFlags() const {
    int flags = alignment_ == taRightJustify ? Qt::AlignRight
                : alignment_ == taCenter     ? Qt::AlignHCenter
                                             : Qt::AlignLeft;
    flags |= layout_ == tlBottom ? Qt::AlignBottom : layout_ == tlCenter ? Qt::AlignVCenter : Qt::AlignTop;
    if (wordWrap_)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

namespace {
// The text as shown: "&&" is "&", a single "&" only marks the next character.
QString ShownText(const QString& caption, bool accel) {
    if (!accel)
        return caption;
    QString out;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}
} // namespace

void TLabel::AdjustBounds() {
    if (!autoSize_)
        return;
    // An empty text still takes one line, as a blank would.
    const QString text = caption_.isEmpty() ? QStringLiteral(" ") : caption_;
    const QFontMetrics fm(font_->ToQFont());
    int w = width(), h = fm.height();
    if (wordWrap_) {
        h = std::max(h,
                     fm.boundingRect(QRect(0, 0, std::max(1, width()), 1000000), TextFlags(), text).height());
    } else {
        const QStringList lines = ShownText(text, showAccelChar_).split(QLatin1Char('\n'));
        w = 0;
        for (const QString& line : lines)
            w = std::max(w, fm.horizontalAdvance(line));
        h = fm.height() * int(lines.size());
    }
    int x = this->x();
    if (alignment_ == taRightJustify && !wordWrap_)
        x += width() - w;
    if (QRect(x, y(), w, h) != geometry())
        SetBounds(x, y(), w, h);
}

void TLabel::Paint(QPainter& canvas) {
    if (!transparent_)
        canvas.fillRect(rect(), ColorToQColor(color_));
    canvas.setFont(font_->ToQFont());
    canvas.setPen(font_->ToQColor());
    canvas.drawText(rect(), TextFlags(), caption_);
}

// ---- TPanel ----

TPanel::TPanel(QWidget* owner) : TPanelElement(owner), font_(OwnStyle<TFont>(this)) {
    resize(185, 41);
}

void TPanel::SetFont(const TFont* value) {
    if (value)
        font_->Assign(*value);
}

namespace {
// One bevel ring of the given cut, then the box inside it.
QRect Bevel(QPainter& p, QRect r, TBevelCut cut, int width) {
    if (cut == bvNone)
        return r;
    const QColor light = ColorToQColor(clWhite), dark = ColorToQColor(clBtnShadow);
    const QColor topLeft = cut == bvLowered ? dark : cut == bvRaised ? light : ColorToQColor(clBtnFace);
    const QColor bottomRight = cut == bvLowered ? light : cut == bvRaised ? dark : ColorToQColor(clBtnFace);
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
        p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
        p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
        p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
    return r;
}
} // namespace

void TPanel::DrawPicture(QPainter& p) {
    p.fillRect(rect(), ColorToQColor(GetColor()));
    QRect r = Bevel(p, rect(), bevelOuter_, bevelWidth_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    r = Bevel(p, r, bevelInner_, bevelWidth_);
    if (GetCaption().isEmpty())
        return;
    const int h = alignment_ == taLeftJustify    ? Qt::AlignLeft
                  : alignment_ == taRightJustify ? Qt::AlignRight
                                                 : Qt::AlignHCenter;
    p.setFont(font_->ToQFont());
    p.setPen(font_->ToQColor());
    p.drawText(r, h | Qt::AlignVCenter | Qt::TextShowMnemonic, GetCaption());
}

// ---- TShape ----

TShape::TShape(QWidget* owner)
    : TGraphicElement(owner), pen_(OwnStyle<TPen>(this)), brush_(OwnStyle<TBrush>(this)) {
    resize(65, 65);
}

void TShape::SetPen(const TPen* value) {
    if (value)
        pen_->Assign(*value);
}

void TShape::SetBrush(const TBrush* value) {
    if (value)
        brush_->Assign(*value);
}

void TShape::Paint(QPainter& canvas) {
    const int pw = pen_->GetWidth();
    int x = pw / 2, y = x;
    int w = width() - pw + 1, h = height() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare:
        CanvasRectangle(canvas, x, y, x + w, y + h, *pen_, *brush_);
        break;
    case stRoundRect:
    case stRoundSquare:
        canvas.setPen(pen_->ToQPen());
        canvas.setBrush(brush_->ToQBrush());
        canvas.drawRoundedRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1), s / 8.0, s / 8.0);
        break;
    case stEllipse:
    case stCircle:
        CanvasEllipse(canvas, x, y, x + w, y + h, *pen_, *brush_);
        break;
    }
}

// ---- TImage ----

TImage::TImage(QWidget* owner) : TGraphicElement(owner) {
    resize(105, 105);
}

void TImage::SetPicture(const QString& fileName) {
    if (picture_ == fileName)
        return;
    QImage img;
    if (!fileName.isEmpty() &&
        !img.load(fileName.startsWith(QLatin1Char(':')) ? fileName : IniPath(fileName)))
        throw std::runtime_error(QStringLiteral("cannot read the picture %1").arg(fileName).toStdString());
    picture_ = fileName;
    image_ = img;
    RepaintNow(this);
}

void TImage::SetImage(const QImage& image) {
    picture_.clear();
    image_ = image;
    RepaintNow(this);
}

void TImage::Paint(QPainter& canvas) {
    if (image_.isNull())
        return;
    QRect target(QPoint(0, 0), image_.size());
    if (stretch_) {
        QSize size = image_.size();
        if (proportional_)
            size.scale(this->size(), Qt::KeepAspectRatio);
        else
            size = this->size();
        target = QRect(QPoint(0, 0), size);
    } else if (proportional_ && (image_.width() > width() || image_.height() > height())) {
        target.setSize(image_.size().scaled(this->size(), Qt::KeepAspectRatio));
    }
    if (center_)
        target.moveCenter(rect().center());
    canvas.drawImage(target, image_);
}
