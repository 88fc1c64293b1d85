#pragma once
// TGydroSizer, a hydrosizer (a classifying column): a main column with a
// collar at the top on either side, narrowing in two stages towards the bottom
// outlet, liquid up to WaterH. Widths are percent of the element's width,
// centred on its vertical middle; heights percent of its height above the
// bottom, except TopH (the collar's depth, from the top).
//
// A panel that draws its whole picture on every paint; every setter stores a
// new value and asks for a later repaint. A level at or below H2 (in the
// narrowing part) shows the liquid up to that level in the narrowing vessel.

#include "ElementBase.h"

#include <QPolygon>
#include <QRect>

class TGydroSizer : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TBrush* WaterBrush READ WaterBrush WRITE SetWaterBrush)
    Q_PROPERTY(double MainD READ GetMainD WRITE SetMainD)
    Q_PROPERTY(double D1 READ GetD1 WRITE SetD1)
    Q_PROPERTY(double D2 READ GetD2 WRITE SetD2)
    Q_PROPERTY(double TopH READ GetTopH WRITE SetTopH)
    Q_PROPERTY(double H1 READ GetH1 WRITE SetH1)
    Q_PROPERTY(double H2 READ GetH2 WRITE SetH2)
    Q_PROPERTY(double WaterH READ GetWaterH WRITE SetWaterH)
public:
    explicit TGydroSizer(QWidget* owner = nullptr);

    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value) { AssignStyle(brush_, value); }
    TBrush* WaterBrush() const { return waterBrush_; }
    void SetWaterBrush(const TBrush* value) { AssignStyle(waterBrush_, value); }
    // Widths of the main column, at the end of the first stage, at the bottom.
    double GetMainD() const { return mainD_; }
    void SetMainD(double value) { Store(mainD_, value); }
    double GetD1() const { return d1_; }
    void SetD1(double value) { Store(d1_, value); }
    double GetD2() const { return d2_; }
    void SetD2(double value) { Store(d2_, value); }
    double GetTopH() const { return topH_; }
    void SetTopH(double value) { Store(topH_, value); }
    // Where the first stage ends and where the main column ends, above the bottom.
    double GetH1() const { return h1_; }
    void SetH1(double value) { Store(h1_, value); }
    double GetH2() const { return h2_; }
    void SetH2(double value) { Store(h2_, value); }
    double GetWaterH() const { return waterH_; }
    void SetWaterH(double value) { Store(waterH_, value); }

    struct Geometry {
        QRect collars[2]; // (left, top) - (right, bottom) as the canvas takes them
        QPolygon vessel;  // eight corners
        QPolygon liquid;  // empty: no liquid
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

    TPen* pen_;
    TBrush* brush_;
    TBrush* waterBrush_;
    double mainD_ = 90;
    double d1_ = 80;
    double d2_ = 60;
    double topH_ = 10;
    double h1_ = 15;
    double h2_ = 25;
    double waterH_ = 35;
};
