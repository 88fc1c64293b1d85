#pragma once
// TConusBox, a tank with a conical bottom and an outlet (a thickener, a
// hydrocyclone sump), liquid up to WaterH. The cone's top lies at ConusH, the
// outlet at the bottom is DownW wide; with HalfConus one side of the cone is
// vertical (on the right, or on the left with XFlip). Heights are percent of
// the element's height above its bottom, widths percent of its width.
//
// A panel with an off-screen picture kept between paints: every setter stores a
// new value, marks the picture and asks for a later repaint; a paint redraws it
// only when marked.

#include "ElementBase.h"

#include <QPolygon>
#include <QRect>
#include <optional>

class TConusBox : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TColor WaterColor READ GetWaterColor WRITE SetWaterColor)
    Q_PROPERTY(int ConusH READ GetConusH WRITE SetConusH)
    Q_PROPERTY(bool ShowTopLine READ GetShowTopLine WRITE SetShowTopLine)
    Q_PROPERTY(bool ShowConusTop READ GetShowConusTop WRITE SetShowConusTop)
    Q_PROPERTY(int DownW READ GetDownW WRITE SetDownW)
    Q_PROPERTY(int WaterH READ GetWaterH WRITE SetWaterH)
    Q_PROPERTY(bool HalfConus READ GetHalfConus WRITE SetHalfConus)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
public:
    explicit TConusBox(QWidget* owner = nullptr);

    // Around the vessel; Color (the panel's) fills its empty part.
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TColor GetWaterColor() const { return waterColor_; }
    void SetWaterColor(TColor value) { Store(waterColor_, value); }
    int GetConusH() const { return conusH_; }
    void SetConusH(int value) { Store(conusH_, value); }
    // False: the vessel's top edge is painted over (an open tank).
    bool GetShowTopLine() const { return showTopLine_; }
    void SetShowTopLine(bool value) { Store(showTopLine_, value); }
    // False: the line between the upper part and the cone is painted over.
    bool GetShowConusTop() const { return showConusTop_; }
    void SetShowConusTop(bool value) { Store(showConusTop_, value); }
    int GetDownW() const { return downW_; }
    void SetDownW(int value) { Store(downW_, value); }
    int GetWaterH() const { return waterH_; }
    void SetWaterH(int value) { Store(waterH_, value); }
    bool GetHalfConus() const { return halfConus_; }
    void SetHalfConus(bool value) { Store(halfConus_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { Store(xFlip_, value); }

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }

    // The picture in pixels. Boxes are (left, top) - (right, bottom) as the
    // canvas takes them; an empty polygon or box is not drawn.
    struct Geometry {
        bool full = false;                 // the liquid stands above the cone
        std::optional<QRect> empty;        // the empty part above the liquid (or the cone)
        QRect upperLiquid;                 // the liquid in the upper part
        QPolygon cone;                     // the cone, full or empty
        std::optional<QRect> coneTopCover; // paints the line between upper part and cone over
        QPolygon coneLiquid;               // the liquid within the cone
        std::optional<QRect> topCover;     // paints the top edge over
    };
    Geometry Compute() const;

protected:
    void DrawPicture(QPainter& p) override;

private:
    TColor backColor_ = clBlack;
    TPen* pen_;
    TColor waterColor_ = clAqua;
    int conusH_ = 80;
    bool showTopLine_ = false;
    bool showConusTop_ = false;
    int downW_ = 10;
    int waterH_ = 40;
    bool halfConus_ = false;
    bool xFlip_ = false;
};
