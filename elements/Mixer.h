#pragma once
// TMixer, a stirred tank: a tank open at the top with rounded bottom corners,
// liquid up to WaterLevel, and a rotor of BladeCount blades on a hub that turns
// through Alpha (degrees, counter-clockwise on the screen). Sizes are percent
// of the element's smaller side, heights above the bottom.
//
// A panel with an off-screen picture kept between paints: every setter stores a
// new value, marks the picture and asks for a later repaint; a paint redraws it
// only when marked. The liquid is flood-filled from the middle of its part of
// the tank over the background colour, as far as the walls close it in.

#include "ElementBase.h"

#include <QList>
#include <QPolygon>

class TMixer : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(int RotorCenterTop READ GetRotorCenterTop WRITE SetRotorCenterTop)
    Q_PROPERTY(double RotorR1 READ GetRotorR1 WRITE SetRotorR1)
    Q_PROPERTY(double RotorR2 READ GetRotorR2 WRITE SetRotorR2)
    Q_PROPERTY(double Beta READ GetBeta WRITE SetBeta)
    Q_PROPERTY(int Alpha READ GetAlpha WRITE SetAlpha)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(double WallBottomR READ GetWallBottomR WRITE SetWallBottomR)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TColor WaterColor READ GetWaterColor WRITE SetWaterColor)
    Q_PROPERTY(TPen* RotorPen READ RotorPen WRITE SetRotorPen)
    Q_PROPERTY(int BladeCount READ GetBladeCount WRITE SetBladeCount)
public:
    // More blades than this fill the rotor's circle anyway; drawing them all
    // would only stall the window.
    static constexpr int kMaxDrawnBlades = 3600;

    explicit TMixer(QWidget* owner = nullptr);

    int GetRotorCenterTop() const { return rotorCenterTop_; }
    void SetRotorCenterTop(int value) { Store(rotorCenterTop_, value); }
    // Hub radius and blade radius.
    double GetRotorR1() const { return rotorR1_; }
    void SetRotorR1(double value) { Store(rotorR1_, value); }
    double GetRotorR2() const { return rotorR2_; }
    void SetRotorR2(double value) { Store(rotorR2_, value); }
    // Angular width of a blade's tip, degrees.
    double GetBeta() const { return beta_; }
    void SetBeta(double value) { Store(beta_, value); }
    int GetAlpha() const { return alpha_; }
    void SetAlpha(int value) { Store(alpha_, value); }
    double GetWaterLevel() const { return waterLevel_; }
    void SetWaterLevel(double value) { Store(waterLevel_, value); }
    double GetWallBottomR() const { return wallBottomR_; }
    void SetWallBottomR(double value) { Store(wallBottomR_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    // The background; the liquid fills what has its colour.
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value) { AssignStyle(brush_, value); }
    TColor GetWaterColor() const { return waterColor_; }
    void SetWaterColor(TColor value) { Store(waterColor_, value); }
    // Rotor lines; its colour also fills the hub.
    TPen* RotorPen() const { return rotorPen_; }
    void SetRotorPen(const TPen* value) { AssignStyle(rotorPen_, value); }
    int GetBladeCount() const { return bladeCount_; }
    void SetBladeCount(int value) { Store(bladeCount_, value); }

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }

    // A length in percent of the smaller side, in pixels.
    double C(double v) const;
    struct Blade {
        QLine spoke;  // from the hub's centre to the blade's middle
        QPolygon tip; // five points across the blade's end
    };
    struct Geometry {
        int r = 0, b = 0; // half the pen width, radius of the bottom corners
        int twoB = 0, hMinusB = 0, hMinus2B = 0, wMinusB = 0, wMinus2B = 0, wMinusR = 0;
        int waterY = 0;  // the surface
        QPoint fillFrom; // where the liquid's flood fill starts
        QPoint hub;
        QRect hubBox; // (left, top) - (right, bottom) as the canvas takes it
        QList<Blade> blades;
    };
    Geometry Compute() const;

protected:
    void DrawPicture(QPainter& p) override;

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }

    int rotorCenterTop_ = 30;
    double rotorR1_ = 5;
    double rotorR2_ = 25;
    double beta_ = 30;
    int alpha_ = 0;
    double waterLevel_ = 80;
    double wallBottomR_ = 5;
    TPen* pen_;
    TBrush* brush_;
    TColor waterColor_ = clAqua;
    TPen* rotorPen_;
    int bladeCount_ = 4;
};
