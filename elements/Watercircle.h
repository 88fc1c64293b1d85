#pragma once
// TWaterCircle, a water spray nozzle: a filled disc with three short rays below
// it, spread like a fan. The figure is drawn in figure units scaled so that R3
// reaches the middle of the nearer edge, and stays centred in the element.
//
// A graphic element without configuration keys; every setter repaints at once.

#include "ElementBase.h"

// Pixel geometry of the nozzle in a w x h element (see TWaterCircle::Paint).
struct TWaterCircleGeometry {
    double Scale = 0; // pixels per figure unit
    QRect DiscBox;    // left(), top(), right(), bottom() are the canvas's Ellipse arguments
    QPoint RayFrom[3];
    QPoint RayTo[3];
};
// Throws EDrawError when r3 is zero or a coordinate is not a number.
TWaterCircleGeometry WaterCircleGeometry(int w, int h, double r1, double r2, double r3);

class TWaterCircle : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(double R1 READ GetR1 WRITE SetR1)
    Q_PROPERTY(double R2 READ GetR2 WRITE SetR2)
    Q_PROPERTY(double R3 READ GetR3 WRITE SetR3)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(int RayWidth READ GetRayWidth WRITE SetRayWidth)
    Q_PROPERTY(TColor WaterColor READ GetWaterColor WRITE SetWaterColor)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
public:
    explicit TWaterCircle(QWidget* owner = nullptr);

    // Radius of the disc.
    double GetR1() const { return r1_; }
    void SetR1(double value) { Store(r1_, value); }
    // Distance from the centre where each ray starts.
    double GetR2() const { return r2_; }
    void SetR2(double value) { Store(r2_, value); }
    // Distance where each ray ends; it also sets the scale.
    double GetR3() const { return r3_; }
    void SetR3(double value) { Store(r3_, value); }
    // Background when not Transparent.
    TColor GetColor() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    int GetRayWidth() const { return rayWidth_; }
    void SetRayWidth(int value) { Store(rayWidth_, value); }
    TColor GetWaterColor() const { return waterColor_; }
    void SetWaterColor(TColor value) { Store(waterColor_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value) { Store(transparent_, value); }

protected:
    void Paint(QPainter& canvas) override;

private:
    double r1_ = 6;
    double r2_ = 8;
    double r3_ = 16;
    TColor color_ = clBlack;
    int rayWidth_ = 2;
    TColor waterColor_ = clBlue;
    bool transparent_ = true;
};
