#pragma once
// TOutField, the value field of the scheme: a framed, filled box showing one
// process value through a float format pattern ("###0 кг/м", "###%"), or any
// text its owner puts in Caption ("АВТОМАТ", "Сбой связи"). The text can be
// turned (Alpha, tenths of a degree counter-clockwise), drawn in a script-like
// face (HandWriting) and placed at the top, centre or bottom.
//
// Only SetOutValue rewrites the caption; a caption set directly shows with the
// next change that redraws the picture (the scheme sets colours right after
// texts). A new OutFormat takes effect with the next different value.

#include "ElementBase.h"

#include <QFontMetrics>
#include <QHash>
#include <QStaticText>
#include <optional>

class TOutField : public TPanelElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(double OutValue READ GetOutValue WRITE SetOutValue)
    Q_PROPERTY(QString OutFormat READ GetOutFormat WRITE SetOutFormat)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(int Alpha READ GetAlpha WRITE SetAlpha)
    Q_PROPERTY(bool HandWriting READ GetHandWriting WRITE SetHandWriting)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(TVelmarVAlign VAlign READ GetVAlign WRITE SetVAlign)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
public:
    enum TVelmarVAlign { vm_VAlignCenter, vm_VAlignTop, vm_VAlignBottom };
    Q_ENUM(TVelmarVAlign)

    explicit TOutField(QWidget* owner = nullptr);

    double GetOutValue() const { return outValue_; }
    void SetOutValue(double value);
    QString GetOutFormat() const { return outFormat_; }
    void SetOutFormat(const QString& value) { Store(outFormat_, value); }
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TFont* Font() const { return font_; }
    void SetFont(const TFont* value);
    int GetAlpha() const { return alpha_; }
    void SetAlpha(int value) { Store(alpha_, value); }
    bool GetHandWriting() const { return handWriting_; }
    void SetHandWriting(bool value) { Store(handWriting_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);
    TVelmarVAlign GetVAlign() const { return vAlign_; }
    void SetVAlign(TVelmarVAlign value) { Store(vAlign_, value); }

    // Keys, in this order: PenWidth, PenColor, PenStyle, FontSize, FontColor,
    // FontName, OutFormat, BrushColor. A file that cannot be written throws
    // IniFileError.
    bool SaveConfig() override;
    // Pen, font and brush colour; the format stays, so a format never travels
    // from one field to another through the file.
    bool LoadConfig(const QString& section = QString()) override;

    // The face the text is drawn with: the font's height in pixels, weight 600
    // for bold (not 700), the font's other styles, a script family for HandWriting.
    QFont TextFont() const;
    // Top-left corner of the text of size tw x th in a field of w x h: the text's
    // centre sits on the reference point, turned by alpha tenths of a degree.
    static QPoint TextOrigin(int w, int h, int tw, int th, int alpha, TVelmarVAlign vAlign);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    // The text face and its metrics, made again only when the font or the
    // HandWriting switch changes: a fresh QFont looks its glyphs up anew, which
    // costs more than drawing the few characters of a value.
    struct TextFace {
        QString name;
        int height = 0;
        TFontStyles style;
        TFontPitch pitch = fpDefault;
        bool handWriting = false;
        QFont font;
        std::optional<QFontMetrics> metrics;
        // The captions shown lately, measured (cheap to keep) and laid out (a
        // few): shaping a text costs more than drawing it, and a field comes
        // back to the same texts again and again.
        QHash<QString, int> widths;
        QHash<QString, QStaticText> laidOut;
    };
    const TextFace& Face() const;
    int CaptionWidth(const QString& text) const;
    const QStaticText& LaidOut(const QString& text) const;
    // The part of the picture the caption covers (the whole field when the
    // text is turned or the field is transparent).
    QRect CaptionBox() const;
    QFont MakeTextFont() const;
    void DrawText(QPainter& p);

    mutable TextFace face_;

    TBrush* brush_;
    TPen* pen_;
    QString outFormat_ = QStringLiteral("###0.0");
    TFont* font_;
    double outValue_ = 0;
    int alpha_ = 0;
    bool handWriting_ = false;
    bool transparent_ = false;
    TVelmarVAlign vAlign_ = vm_VAlignCenter;
};

using TVelmarVAlign = TOutField::TVelmarVAlign;
using enum TOutField::TVelmarVAlign;
