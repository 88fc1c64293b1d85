#pragma once
// TColumnMixer, a column mixer: a neck at the bottom, a cone widening into the
// column, and on top a wider flask whose right wall slopes from the top-right
// corner down to the column. Liquid fills it up to WaterLevel; particles fall
// through the air above it and sink through the liquid, bounce off the column's
// walls and the flask's sloping wall, and leave through the cone. Geometry is
// in percent of the element's width and height, heights from the bottom; a
// particle's radius is percent too, drawn as a disc of that share of the
// element's smaller side.
//
// The owner puts particles in with AddBall (or a layout with BallList), calls
// NextStep() once per animation frame and repaints: a step requests no repaint.
// A panel that draws its whole picture on every paint. Every setter stores a
// new value and asks for a later repaint; FlakeWidth is only kept.
//
// Bounds: at most kMaxBalls particles, each visited once per step, and a
// particle whose position is no longer a finite number is removed.

#include "Separator.h"

class TColumnMixer : public TPanelElement, public TBallList {
    Q_OBJECT
    Q_PROPERTY(TBrush* BackBrush READ BackBrush WRITE SetBackBrush)
    Q_PROPERTY(TBrush* WaterBrush READ WaterBrush WRITE SetWaterBrush)
    Q_PROPERTY(double FlakeTop READ GetFlakeTop WRITE SetFlakeTop)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(double FlakeBottom READ GetFlakeBottom WRITE SetFlakeBottom)
    Q_PROPERTY(double ConusTop READ GetConusTop WRITE SetConusTop)
    Q_PROPERTY(double NeckTop READ GetNeckTop WRITE SetNeckTop)
    Q_PROPERTY(double FlakeWidth READ GetFlakeWidth WRITE SetFlakeWidth)
    Q_PROPERTY(double ConusWidth READ GetConusWidth WRITE SetConusWidth)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(double ConusLeft READ GetConusLeft WRITE SetConusLeft)
    Q_PROPERTY(double NeckWidth READ GetNeckWidth WRITE SetNeckWidth)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(TColor FCoalColor READ GetFCoalColor WRITE SetFCoalColor)
    Q_PROPERTY(TColor RockColor READ GetRockColor WRITE SetRockColor)
    Q_PROPERTY(double AirVX READ GetAirVX WRITE SetAirVX)
    Q_PROPERTY(double AirVY READ GetAirVY WRITE SetAirVY)
    Q_PROPERTY(double WaterVX READ GetWaterVX WRITE SetWaterVX)
    Q_PROPERTY(double WaterVY READ GetWaterVY WRITE SetWaterVY)
    Q_PROPERTY(double SpeedK READ GetSpeedK WRITE SetSpeedK)
    Q_PROPERTY(double WaterSpeedK READ GetWaterSpeedK WRITE SetWaterSpeedK)
    Q_PROPERTY(int BallCount READ GetBallCount WRITE SetBallCount)
    Q_PROPERTY(QStringList BallList READ GetBallList WRITE SetBallList)
public:
    explicit TColumnMixer(QWidget* owner = nullptr);

    TBrush* BackBrush() const { return backBrush_; }
    void SetBackBrush(const TBrush* value) { AssignStyle(backBrush_, value); }
    TBrush* WaterBrush() const { return waterBrush_; }
    void SetWaterBrush(const TBrush* value) { AssignStyle(waterBrush_, value); }
    // Where the flask's sloping wall meets the column, and where its left wall ends.
    double GetFlakeTop() const { return flakeTop_; }
    void SetFlakeTop(double value) { Store(flakeTop_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    double GetFlakeBottom() const { return flakeBottom_; }
    void SetFlakeBottom(double value) { Store(flakeBottom_, value); }
    // Top of the cone (the column's bottom) and of the neck.
    double GetConusTop() const { return conusTop_; }
    void SetConusTop(double value) { Store(conusTop_, value); }
    double GetNeckTop() const { return neckTop_; }
    void SetNeckTop(double value) { Store(neckTop_, value); }
    double GetFlakeWidth() const { return flakeWidth_; }
    void SetFlakeWidth(double value) { flakeWidth_ = value; }
    // The column: from ConusLeft, ConusWidth wide; the neck NeckWidth wide in its middle.
    double GetConusWidth() const { return conusWidth_; }
    void SetConusWidth(double value) { Store(conusWidth_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { Store(xFlip_, value); }
    double GetConusLeft() const { return conusLeft_; }
    void SetConusLeft(double value) { Store(conusLeft_, value); }
    double GetNeckWidth() const { return neckWidth_; }
    void SetNeckWidth(double value) { Store(neckWidth_, value); }
    double GetWaterLevel() const { return waterLevel_; }
    void SetWaterLevel(double value) { Store(waterLevel_, value); }
    TColor GetFCoalColor() const { return fCoalColor_; }
    void SetFCoalColor(TColor value) { Store(fCoalColor_, value); }
    TColor GetRockColor() const { return rockColor_; }
    void SetRockColor(TColor value) { Store(rockColor_, value); }
    // What a step adds to a particle's velocity above and below the surface.
    double GetAirVX() const { return airVX_; }
    void SetAirVX(double value) { Store(airVX_, value); }
    double GetAirVY() const { return airVY_; }
    void SetAirVY(double value) { Store(airVY_, value); }
    double GetWaterVX() const { return waterVX_; }
    void SetWaterVX(double value) { Store(waterVX_, value); }
    double GetWaterVY() const { return waterVY_; }
    void SetWaterVY(double value) { Store(waterVY_, value); }
    // How far a step moves a particle (0: nothing moves), and the drag of the column.
    double GetSpeedK() const { return speedK_; }
    void SetSpeedK(double value) { Store(speedK_, value); }
    double GetWaterSpeedK() const { return waterSpeedK_; }
    void SetWaterSpeedK(double value) { Store(waterSpeedK_, value); }

    // One animation step of every particle; always true. Requests no repaint.
    bool NextStep();

    // Horizontal and vertical pixel of a percentage, as the picture maps them.
    double SX(double p) const;
    double SY(double p) const;
    // The picture in pixels (particles apart). Throws EDrawError for a geometry
    // beyond the pixel grid.
    struct Geometry {
        QPolygon column;    // eleven corners
        QPolygon liquid;    // empty: no liquid (or a plain fill, see liquidFill)
        QRect liquidFill;   // the liquid within the neck: a fill without outline
        QList<QLine> lines; // the four inner lines
    };
    Geometry Compute() const;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;
    void BallsReplaced() override { Invalidate(); }

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }
    QPoint Pt(double x, double y) const;

    TBrush* backBrush_;
    TBrush* waterBrush_;
    double flakeTop_ = 80;
    TPen* pen_;
    double flakeBottom_ = 60;
    double conusTop_ = 30;
    double neckTop_ = 10;
    double flakeWidth_ = 25;
    double conusWidth_ = 40;
    bool xFlip_ = false;
    double conusLeft_ = 20;
    double neckWidth_ = 10;
    double waterLevel_ = 65;
    TColor fCoalColor_ = clBlack;
    TColor rockColor_ = clSilver;
    double airVX_ = 0;
    double airVY_ = -2;
    double waterVX_ = 0;
    double waterVY_ = -1;
    double speedK_ = 0;
    double waterSpeedK_ = 0.7;
};
