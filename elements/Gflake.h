#pragma once
// TGFlake, a stepped tank: the part left of GX reaches only up to GY, the part
// right of it the full height; liquid fills it from the bottom up to
// WaterLevel. Sizes are percent of the element's width and height, heights
// above the bottom; XFlip mirrors the tank.
//
// A panel that draws its whole picture on every paint. Every setter stores a
// new value and asks for a later repaint, except GX and GY, which are only
// stored and show with the next paint.

#include "ElementBase.h"

#include <QPolygon>
#include <QRect>

class TGFlake : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(TBrush* WaterBrush READ WaterBrush WRITE SetWaterBrush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(TBrush* BackBrush READ BackBrush WRITE SetBackBrush)
    Q_PROPERTY(double GX READ GetGX WRITE SetGX)
    Q_PROPERTY(double GY READ GetGY WRITE SetGY)
public:
    explicit TGFlake(QWidget* owner = nullptr);

    double GetWaterLevel() const { return waterLevel_; }
    void SetWaterLevel(double value) { Store(waterLevel_, value); }
    TBrush* WaterBrush() const { return waterBrush_; }
    void SetWaterBrush(const TBrush* value) { AssignStyle(waterBrush_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { Store(xFlip_, value); }
    TBrush* BackBrush() const { return backBrush_; }
    void SetBackBrush(const TBrush* value) { AssignStyle(backBrush_, value); }
    double GetGX() const { return gx_; }
    void SetGX(double value) { gx_ = value; }
    double GetGY() const { return gy_; }
    void SetGY(double value) { gy_ = value; }

    double SX(double p) const;
    double SY(double p) const;
    struct Geometry {
        QPolygon body;
        bool liquidIsBox = false; // below GY: a box across the whole width
        QRect liquidBox;          // (left, top) - (right, bottom) as the canvas takes it
        QPolygon liquid;
    };
    Geometry Compute() const;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }

    double waterLevel_ = 0;
    TBrush* waterBrush_;
    TPen* pen_;
    bool xFlip_ = false;
    TBrush* backBrush_;
    double gx_ = 50;
    double gy_ = 50;
};
