#pragma once
// TAniTrans, an animated belt or bucket conveyor: two pulleys joined by a closed
// belt with ScoopCount evenly spaced carriers (buckets, or heaps of coal) that
// travel around it. The owner moves it by Position, the belt's travel in
// percent of the loop; the spokes turning with the belt, the carriers on the
// runs and around the pulleys and the coal on the loaded part all follow.
//
// Geometry is in virtual units with the y axis up (VirtW x VirtH fix the scale
// only). A panel whose off-screen picture is rebuilt on every paint; no look file.

#include "ElementBase.h"

#include <QImage>
#include <QPointF>

class TAniTrans : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(double VirtW READ GetVirtW WRITE SetVirtW)
    Q_PROPERTY(double VirtH READ GetVirtH WRITE SetVirtH)
    Q_PROPERTY(double X1 READ GetX1 WRITE SetX1)
    Q_PROPERTY(double Y1 READ GetY1 WRITE SetY1)
    Q_PROPERTY(double X2 READ GetX2 WRITE SetX2)
    Q_PROPERTY(double Y2 READ GetY2 WRITE SetY2)
    Q_PROPERTY(double R READ GetR WRITE SetR)
    Q_PROPERTY(double IntR READ GetIntR WRITE SetIntR)
    Q_PROPERTY(double Rk READ GetRk WRITE SetRk)
    Q_PROPERTY(double ScoopLH READ GetScoopLH WRITE SetScoopLH)
    Q_PROPERTY(int ScoopCount READ GetScoopCount WRITE SetScoopCount)
    Q_PROPERTY(double Position READ GetPosition WRITE SetPosition)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* IntPen READ IntPen WRITE SetIntPen)
    Q_PROPERTY(TBrush* IntBrush READ IntBrush WRITE SetIntBrush)
    Q_PROPERTY(TPen* ScoopPen READ ScoopPen WRITE SetScoopPen)
    Q_PROPERTY(int BladeCount READ GetBladeCount WRITE SetBladeCount)
    Q_PROPERTY(TPen* BladePen READ BladePen WRITE SetBladePen)
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(bool ShowScoops READ GetShowScoops WRITE SetShowScoops)
    Q_PROPERTY(bool ShowCoal READ GetShowCoal WRITE SetShowCoal)
    Q_PROPERTY(TColor CoalColor READ GetCoalColor WRITE SetCoalColor)
    Q_PROPERTY(QImage CoalBitmap READ GetCoalBitmap WRITE SetCoalBitmap)
    Q_PROPERTY(double CoalMin READ GetCoalMin WRITE SetCoalMin)
    Q_PROPERTY(double CoalMax READ GetCoalMax WRITE SetCoalMax)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
public:
    // More blades (per pulley) or carriers than this cannot be told apart on
    // any conveyor; a larger count is drawn as this many, evenly spread, so an
    // absurd count from a layout cannot stall the window.
    static constexpr int kMaxDrawnBlades = 3600;
    static constexpr int kMaxDrawnScoops = 3600;

    explicit TAniTrans(QWidget* owner = nullptr);

    double GetVirtW() const { return virtW_; }
    void SetVirtW(double value) { Store(virtW_, value); }
    double GetVirtH() const { return virtH_; }
    void SetVirtH(double value) { Store(virtH_, value); }
    double GetX1() const { return x1_; }
    void SetX1(double value) { Store(x1_, value); }
    double GetY1() const { return y1_; }
    void SetY1(double value) { Store(y1_, value); }
    double GetX2() const { return x2_; }
    void SetX2(double value) { Store(x2_, value); }
    double GetY2() const { return y2_; }
    void SetY2(double value) { Store(y2_, value); }
    double GetR() const { return r_; }
    void SetR(double value) { Store(r_, value); }
    double GetIntR() const { return intR_; }
    void SetIntR(double value) { Store(intR_, value); }
    double GetRk() const { return rk_; }
    void SetRk(double value) { Store(rk_, value); }
    double GetScoopLH() const { return scoopLH_; }
    void SetScoopLH(double value) { Store(scoopLH_, value); }
    int GetScoopCount() const { return scoopCount_; }
    void SetScoopCount(int value) { Store(scoopCount_, value); }
    // The animation input: the first carrier sits at Position / 100 of the loop.
    double GetPosition() const { return position_; }
    void SetPosition(double value) { Store(position_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* IntPen() const { return intPen_; }
    void SetIntPen(const TPen* value);
    TBrush* IntBrush() const { return intBrush_; }
    void SetIntBrush(const TBrush* value);
    TPen* ScoopPen() const { return scoopPen_; }
    void SetScoopPen(const TPen* value);
    int GetBladeCount() const { return bladeCount_; }
    void SetBladeCount(int value) { Store(bladeCount_, value); }
    TPen* BladePen() const { return bladePen_; }
    void SetBladePen(const TPen* value);
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    bool GetShowScoops() const { return showScoops_; }
    void SetShowScoops(bool value) { Store(showScoops_, value); }
    bool GetShowCoal() const { return showCoal_; }
    void SetShowCoal(bool value) { Store(showCoal_, value); }
    TColor GetCoalColor() const { return coalColor_; }
    void SetCoalColor(TColor value) { Store(coalColor_, value); }
    // A pattern for the coal, used instead of CoalColor when it is larger than 1 x 1.
    QImage GetCoalBitmap() const { return coalBitmap_; }
    void SetCoalBitmap(const QImage& value) { Store(coalBitmap_, value); }
    // Kept for the layouts (the scheme sets CoalMax); the picture does not use them.
    double GetCoalMin() const { return coalMin_; }
    void SetCoalMin(double value) { Store(coalMin_, value); }
    double GetCoalMax() const { return coalMax_; }
    void SetCoalMax(double value) { Store(coalMax_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { Store(xFlip_, value); }

    // The loop as the last paint computed it (CalcRegion).
    struct Region {
        double k = 0;                  // pixels per virtual unit; 0: too small to draw
        QPointF u;                     // unit vector from pulley 1 to pulley 2
        double D = 0;                  // distance of the pulley centres
        double Lp = 0;                 // length of the belt loop
        double s0 = 0;                 // loop distance of the first carrier
        double spacing = 0;            // between carriers, 0 without carriers
        double beta = 0;               // direction from pulley 1 to pulley 2
        QPointF T1, T2, T3, T4;        // upper run T1 -> T2, lower run T3 -> T4
        double b1 = 0, b2 = 0, b3 = 0; // where the straight runs and the turns meet
    };
    const Region& Geometry() const { return g_; }

    // Where a carrier at loop distance a sits (virtual units) and how it is
    // turned (radians, absolute). False for a negative distance (nothing drawn).
    bool CarrierAt(double a, QPointF& pivot, double& angle) const;
    // A carrier's loop distances in this paint, each reduced into 0 ... Lp.
    double CarrierDistance(int i) const;

    int XtoS(double x) const;
    int YtoS(double y) const;
    // Counter-clockwise rotation about the origin.
    static QPointF RotatePoint(QPointF p, double angle);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    void CalcRegion();
    void PaintBackGround(QPainter& p);
    void PaintBody(QPainter& p);
    void PaintScoops(QPainter& p);
    void PaintScoop(QPainter& p, double a);
    void Circle(QPainter& p, QPointF centre, double radius, const TPen& pen, const TBrush& brush);
    static void CopyPen(TPen* own, const TPen* value);
    static void CopyBrush(TBrush* own, const TBrush* value);

    double virtW_ = 50, virtH_ = 60;
    double x1_ = 15, y1_ = 15, x2_ = 35, y2_ = 45;
    double r_ = 5, intR_ = 3, rk_ = 3, scoopLH_ = 2;
    int scoopCount_ = 6;
    double position_ = 0;
    TPen* pen_;
    TBrush* brush_;
    TPen* intPen_;
    TBrush* intBrush_;
    TPen* scoopPen_;
    int bladeCount_ = 0;
    TPen* bladePen_;
    TColor backColor_ = clBlack;
    bool showScoops_ = false;
    bool showCoal_ = false;
    TColor coalColor_ = clTeal;
    QImage coalBitmap_;
    double coalMin_ = 0, coalMax_ = 0.5;
    bool xFlip_ = false;

    Region g_;
    // The brush the carriers' pivot circles are filled with: the one last used on the canvas.
    QBrush lastBrush_;
};
