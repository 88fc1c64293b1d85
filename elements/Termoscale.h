#pragma once
// TTermoScale, a labelled scale: a vertical axis with one label box per line of
// Lines (the first line at the bottom, the last at the top), a division line
// across the whole width through the middle of every label and a short mark
// halfway between two labels. Sizes are percent of the element's width and
// height.
//
// A panel that draws straight onto its own area on every paint; unless
// Transparent it first fills itself with Brush, otherwise its parent shows
// through. A change of a pen, brush, Lines, Transparent or a percentage asks for
// a later repaint. Its look lives in the INI file ConfigName under the
// element's Name.

#include "ElementBase.h"

#include <QLine>
#include <QList>
#include <QRect>

class TTermoScale : public TPanelElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(TStringList* Lines READ Lines WRITE SetLines)
    Q_PROPERTY(TPen* TextPen READ TextPen WRITE SetTextPen)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TBrush* TextBrush READ TextBrush WRITE SetTextBrush)
    Q_PROPERTY(TPen* SPen READ SPen WRITE SetSPen)
    Q_PROPERTY(TPen* VPen READ VPen WRITE SetVPen)
    Q_PROPERTY(int TextWPercent READ GetTextWPercent WRITE SetTextWPercent)
    Q_PROPERTY(int TextHPercent READ GetTextHPercent WRITE SetTextHPercent)
    Q_PROPERTY(TPen* WPen READ WPen WRITE SetWPen)
    Q_PROPERTY(int SLineXPercent READ GetSLineXPercent WRITE SetSLineXPercent)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
public:
    explicit TTermoScale(QWidget* owner = nullptr);

    // The labels, the first one at the bottom.
    TStringList* Lines() const { return lines_; }
    void SetLines(const TStringList* value) { AssignStyle(lines_, value); }
    // Frame of the label boxes.
    TPen* TextPen() const { return textPen_; }
    void SetTextPen(const TPen* value) { AssignStyle(textPen_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value) { AssignStyle(brush_, value); }
    TBrush* TextBrush() const { return textBrush_; }
    void SetTextBrush(const TBrush* value) { AssignStyle(textBrush_, value); }
    // The short marks between labels, the axis, and the division lines.
    TPen* SPen() const { return sPen_; }
    void SetSPen(const TPen* value) { AssignStyle(sPen_, value); }
    TPen* VPen() const { return vPen_; }
    void SetVPen(const TPen* value) { AssignStyle(vPen_, value); }
    TPen* WPen() const { return wPen_; }
    void SetWPen(const TPen* value) { AssignStyle(wPen_, value); }
    // Size of a label box, percent of the width and of the height.
    int GetTextWPercent() const { return textWPercent_; }
    void SetTextWPercent(int value) { Store(textWPercent_, value); }
    int GetTextHPercent() const { return textHPercent_; }
    void SetTextHPercent(int value) { Store(textHPercent_, value); }
    // Length of the short marks, percent of the width.
    int GetSLineXPercent() const { return sLineXPercent_; }
    void SetSLineXPercent(int value) { Store(sLineXPercent_, value); }
    // The panel's font: the labels'.
    TFont* Font() const { return font_; }
    void SetFont(const TFont* value) { AssignStyle(font_, value); }

    // Keys, in this order: the pens TextPen, SPen, VPen, WPen, then BrushColor,
    // TextBrushColor and the font (Font). A file that cannot be written throws
    // IniFileError.
    bool SaveConfig() override;
    // The same keys; missing keys keep the property.
    bool LoadConfig(const QString& section = QString()) override;

    // The scale in pixels for an element of w x h with `lines` labels (none for
    // fewer than two). Boxes are (left, top) - (right, bottom) as the canvas
    // takes them; boxes[k] holds line (count - 1 - k).
    struct Geometry {
        int axisX = 0;
        QList<int> divisions; // y of the lines across the width
        QList<QLine> marks;
        QList<QRect> boxes;
    };
    static Geometry Compute(int w, int h, int lines, int textWPercent, int textHPercent, int sLineXPercent);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }

    TStringList* lines_;
    TPen* textPen_;
    bool transparent_ = false;
    TBrush* brush_;
    TBrush* textBrush_;
    TPen* sPen_;
    TPen* vPen_;
    int textWPercent_ = 40;
    int textHPercent_ = 10;
    TPen* wPen_;
    int sLineXPercent_ = 60;
    TFont* font_;
};
