#pragma once
// TPump, the symbol of a centrifugal pump: a round casing, a discharge pipe
// rising on the right, a suction pipe entering the casing's centre from the
// left and the right half of a small circle for the impeller. VertFlip mirrors
// the symbol left to right (discharge on the left, suction from the right).
//
// A graphic element: it draws on its parent inside its bounds and repaints at
// once on every change. Pen and brush colour live in the INI file ConfigName
// under the element's Name.

#include "ElementBase.h"

class TPump : public TGraphicElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(bool VertFlip READ GetVertFlip WRITE SetVertFlip)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
public:
    explicit TPump(QWidget* owner = nullptr);

    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    bool GetVertFlip() const { return vertFlip_; }
    void SetVertFlip(bool value) { Store(vertFlip_, value); }

    // Keys, in this order: PenWidth, PenColor, PenStyle, BrushColor. Both return
    // false when the file cannot be written or read.
    bool SaveConfig() override;
    bool LoadConfig(const QString& section = QString()) override;

    // The symbol in pixels for a bounds of w x h. Boxes are (left, top) -
    // (right, bottom) as the canvas takes them; the impeller arc runs counter-
    // clockwise from arcFrom to arcTo on the ellipse of arcBox; the suction pipe
    // is filled in suctionFill and outlined along suctionOutline (open towards
    // the casing).
    struct Geometry {
        QRect pipe; // discharge pipe, as (left, top, right, bottom) in a QRect's corners
        QRect casing;
        QRect arcBox;
        QPoint arcFrom, arcTo;
        QRect suctionFill;
        QPolygon suctionOutline;
    };
    static Geometry Compute(int w, int h, bool vertFlip);

protected:
    void Paint(QPainter& canvas) override;

private:
    TBrush* brush_;
    TPen* pen_;
    bool vertFlip_ = false;
};
