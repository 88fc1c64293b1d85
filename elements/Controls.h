#pragma once
// The plain controls the windows' layouts place beside the process elements:
// TLabel (a text), TPanel (a bevelled box that holds other controls), TShape (a
// rectangle, rounded box or ellipse) and TImage (a picture file). They carry the
// same Name, Tag, bounds, Align, Cursor, Hint and OnClick as the elements, so the
// windows colour, bind and edit them the same way.

#include "ElementBase.h"

#include <QImage>

// A text drawn on its parent (no window of its own). With AutoSize it takes the
// size of its text (a right-justified label keeps its right edge); "&" marks an
// underlined access character and "&&" is a plain "&" (ShowAccelChar).
class TLabel : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(Vcl::TAlignment Alignment READ GetAlignment WRITE SetAlignment)
    Q_PROPERTY(Vcl::TTextLayout Layout READ GetLayout WRITE SetLayout)
    Q_PROPERTY(bool AutoSize READ GetAutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool WordWrap READ GetWordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool ShowAccelChar READ GetShowAccelChar WRITE SetShowAccelChar)
public:
    explicit TLabel(QWidget* owner = nullptr);

    QString GetCaption() const { return caption_; }
    void SetCaption(const QString& value);
    TFont* Font() const { return font_; }
    void SetFont(const TFont* value);
    TColor GetColor() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value) { Store(transparent_, value); }
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment value) { Store(alignment_, value); }
    TTextLayout GetLayout() const { return layout_; }
    void SetLayout(TTextLayout value) { Store(layout_, value); }
    bool GetAutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool GetWordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool GetShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);

public Q_SLOTS:
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    int TextFlags() const;
    void AdjustBounds();

    QString caption_;
    TFont* font_;
    TColor color_ = clBtnFace;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
};

// A box with raised or lowered bevels, its caption in the middle, and room for
// child controls.
class TPanel : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(Vcl::TAlignment Alignment READ GetAlignment WRITE SetAlignment)
    Q_PROPERTY(Vcl::TBevelCut BevelOuter READ GetBevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(Vcl::TBevelCut BevelInner READ GetBevelInner WRITE SetBevelInner)
    Q_PROPERTY(int BevelWidth READ GetBevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(int BorderWidth READ GetBorderWidth WRITE SetBorderWidth)
public:
    explicit TPanel(QWidget* owner = nullptr);

    TFont* Font() const { return font_; }
    void SetFont(const TFont* value);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment value) { Store(alignment_, value); }
    TBevelCut GetBevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value) { Store(bevelOuter_, value); }
    TBevelCut GetBevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value) { Store(bevelInner_, value); }
    int GetBevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value) { Store(bevelWidth_, std::max(1, value)); }
    int GetBorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value) { Store(borderWidth_, std::max(0, value)); }

protected:
    void DrawPicture(QPainter& p) override;
    void CaptionChanged() override { Invalidate(); }

private:
    TFont* font_;
    TAlignment alignment_ = taCenter;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
};

class TShape : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TShapeType Shape READ GetShape WRITE SetShape)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
public:
    enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
    Q_ENUM(TShapeType)

    explicit TShape(QWidget* owner = nullptr);

    TShapeType GetShape() const { return shape_; }
    void SetShape(TShapeType value) { Store(shape_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);

protected:
    void Paint(QPainter& canvas) override;

private:
    TShapeType shape_ = stRectangle;
    TPen* pen_;
    TBrush* brush_;
};

// A picture from a file or resource (Picture = '.\Images\logo.png' or ':/...').
class TImage : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(QString Picture READ GetPicture WRITE SetPicture)
    Q_PROPERTY(bool Stretch READ GetStretch WRITE SetStretch)
    Q_PROPERTY(bool Proportional READ GetProportional WRITE SetProportional)
    Q_PROPERTY(bool Center READ GetCenter WRITE SetCenter)
public:
    explicit TImage(QWidget* owner = nullptr);

    QString GetPicture() const { return picture_; }
    // Loads the picture; throws std::runtime_error when the file is not one.
    void SetPicture(const QString& fileName);
    const QImage& Image() const { return image_; }
    void SetImage(const QImage& image);
    bool GetStretch() const { return stretch_; }
    void SetStretch(bool value) { Store(stretch_, value); }
    bool GetProportional() const { return proportional_; }
    void SetProportional(bool value) { Store(proportional_, value); }
    bool GetCenter() const { return center_; }
    void SetCenter(bool value) { Store(center_, value); }

protected:
    void Paint(QPainter& canvas) override;

private:
    QString picture_;
    QImage image_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool center_ = false;
};
