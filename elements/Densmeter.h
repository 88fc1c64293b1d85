#pragma once
// TDensMeter, a density display: the panel's caption at the top, a bar of
// coloured cells filled from the left up to the value's place between OutMin
// and OutMax (a thermometer laid on its side), and a framed box with the value
// written through the float pattern OutFormat. Sizes are pixels.
//
// A panel with an off-screen picture kept between paints: a change of a
// property, pen, brush, font or size marks it and asks for a later repaint; a
// paint redraws it only when marked. CellCount only stores its value (it shows
// at the next redraw); TermoCellCount is kept and configured but draws nothing.
// Its look lives in the INI file ConfigName under the element's Name.

#include "ElementBase.h"

#include <QList>
#include <QRect>
#include <optional>

class TDensMeter : public TPanelElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(int TermoTop READ GetTermoTop WRITE SetTermoTop)
    Q_PROPERTY(int TermoHeight READ GetTermoHeight WRITE SetTermoHeight)
    Q_PROPERTY(int TermoXSpace READ GetTermoXSpace WRITE SetTermoXSpace)
    Q_PROPERTY(int OutTop READ GetOutTop WRITE SetOutTop)
    Q_PROPERTY(int OutXSpace READ GetOutXSpace WRITE SetOutXSpace)
    Q_PROPERTY(int OutHeight READ GetOutHeight WRITE SetOutHeight)
    Q_PROPERTY(TFont* OutFont READ OutFont WRITE SetOutFont)
    Q_PROPERTY(QString OutFormat READ GetOutFormat WRITE SetOutFormat)
    Q_PROPERTY(int TermoCellCount READ GetTermoCellCount WRITE SetTermoCellCount)
    Q_PROPERTY(TPen* TermoPen READ TermoPen WRITE SetTermoPen)
    Q_PROPERTY(double OutMin READ GetOutMin WRITE SetOutMin)
    Q_PROPERTY(double OutMax READ GetOutMax WRITE SetOutMax)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(double OutValue READ GetOutValue WRITE SetOutValue)
    Q_PROPERTY(TColor TermoBackColor READ GetTermoBackColor WRITE SetTermoBackColor)
    Q_PROPERTY(TStringList* StrCellColors READ StrCellColors WRITE SetStrCellColors)
    Q_PROPERTY(int CellCount READ GetCellCount WRITE SetCellCount)
    Q_PROPERTY(TBrush* OutBrush READ OutBrush WRITE SetOutBrush)
    Q_PROPERTY(TPen* OutPen READ OutPen WRITE SetOutPen)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
public:
    // Only this many lines of StrCellColors are read.
    static constexpr int kMaxCellColors = 10;

    explicit TDensMeter(QWidget* owner = nullptr);

    // The bar: from TermoXSpace to Width - TermoXSpace, TermoHeight high at TermoTop.
    int GetTermoTop() const { return termoTop_; }
    void SetTermoTop(int value) { Store(termoTop_, value); }
    int GetTermoHeight() const { return termoHeight_; }
    void SetTermoHeight(int value) { Store(termoHeight_, value); }
    int GetTermoXSpace() const { return termoXSpace_; }
    void SetTermoXSpace(int value) { Store(termoXSpace_, value); }
    // The value box: from OutXSpace to Width - OutXSpace, OutHeight high at OutTop.
    int GetOutTop() const { return outTop_; }
    void SetOutTop(int value) { Store(outTop_, value); }
    int GetOutXSpace() const { return outXSpace_; }
    void SetOutXSpace(int value) { Store(outXSpace_, value); }
    int GetOutHeight() const { return outHeight_; }
    void SetOutHeight(int value) { Store(outHeight_, value); }
    TFont* OutFont() const { return outFont_; }
    void SetOutFont(const TFont* value) { AssignStyle(outFont_, value); }
    QString GetOutFormat() const { return outFormat_; }
    void SetOutFormat(const QString& value) { Store(outFormat_, value); }
    int GetTermoCellCount() const { return termoCellCount_; }
    void SetTermoCellCount(int value) { Store(termoCellCount_, value); }
    TPen* TermoPen() const { return termoPen_; }
    void SetTermoPen(const TPen* value) { AssignStyle(termoPen_, value); }
    double GetOutMin() const { return outMin_; }
    void SetOutMin(double value) { Store(outMin_, value); }
    double GetOutMax() const { return outMax_; }
    void SetOutMax(double value) { Store(outMax_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    double GetOutValue() const { return outValue_; }
    void SetOutValue(double value) { Store(outValue_, value); }
    TColor GetTermoBackColor() const { return termoBackColor_; }
    void SetTermoBackColor(TColor value) { Store(termoBackColor_, value); }
    // One colour per cell, in any integer notation ("0x000000FF", "255", "$FF").
    TStringList* StrCellColors() const { return strCellColors_; }
    void SetStrCellColors(const TStringList* value) { AssignStyle(strCellColors_, value); }
    int GetCellCount() const { return cellCount_; }
    void SetCellCount(int value) { cellCount_ = value; }
    TBrush* OutBrush() const { return outBrush_; }
    void SetOutBrush(const TBrush* value) { AssignStyle(outBrush_, value); }
    TPen* OutPen() const { return outPen_; }
    void SetOutPen(const TPen* value) { AssignStyle(outPen_, value); }
    // The panel's font: the caption's.
    TFont* Font() const { return font_; }
    void SetFont(const TFont* value) { AssignStyle(font_, value); }

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }

    // Keys, in this order: TermoTop, TermoHeight, TermoXSpace, OutTop,
    // TermoCellCount, CellCount, TermoBackColor, OutXSpace, OutHeight, OutMin,
    // OutMax, OutValue, OutFormat, the pens TermoPen and Pen, the font OutFont
    // and the list StrCellColors. A file that cannot be written throws IniFileError.
    bool SaveConfig() override;
    // The same keys, each through its setter; missing keys keep the property.
    bool LoadConfig(const QString& section = QString()) override;

    // The bar in pixels. Boxes are (left, top) - (right, bottom) as the canvas
    // takes them.
    struct Cell {
        QRect fill; // empty: nothing filled
        TColor color = clBlack;
    };
    struct Bar {
        QRect frame;
        int marker = 0;    // x up to which the cells are filled
        QList<Cell> cells; // the coloured part of each cell that has a colour
        QList<int> ticks;  // x of every cell boundary
    };
    Bar ComputeBar() const;
    // The colours of the cells as read from StrCellColors (a line that is not a
    // number gives no colour: its cell stays in TermoBackColor).
    QList<std::optional<TColor>> CellColors() const;

protected:
    void DrawPicture(QPainter& p) override;
    void CaptionChanged() override { Invalidate(); }

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }

    int termoTop_ = 20;
    int termoHeight_ = 10;
    int termoXSpace_ = 10;
    int outTop_ = 35;
    int outXSpace_ = 20;
    int outHeight_ = 40;
    TFont* outFont_;
    QString outFormat_ = QStringLiteral("##0.0");
    int termoCellCount_ = 4;
    TPen* termoPen_;
    double outMin_ = 0;
    double outMax_ = 200;
    TPen* pen_;
    double outValue_ = 0;
    TColor termoBackColor_ = clBlack;
    TStringList* strCellColors_;
    int cellCount_ = 4;
    TBrush* outBrush_;
    TPen* outPen_;
    TFont* font_;
};
