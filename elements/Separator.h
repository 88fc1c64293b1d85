#pragma once
// TSeparator, a heavy-medium separator bath seen from the side, in which the
// separation itself moves: coal, rock and air-bubble particles drift with the
// medium, sink or rise by their own speed, collide, bounce off the grid, the
// walls and the back wall, and leave the bath over the back wall into the next
// bath of a chain (NextSeparator) or down the discharge chute on the right.
// Geometry is in percent of the element's width and height, y from the top.
//
// The owner puts particles in with AddBall (or a layout with BallList) and calls
// NextStep() once per animation frame; the element has no timer.
//
// A panel with an off-screen picture kept between paints, redrawn only after a
// change (UpdateChanges, a pen, a resize, a step). The still parts of it (the
// vessel, the water, the walls, the grid) are kept in a picture of their own and
// drawn again only when something they show differs, so a step costs the
// particles and two copies. With Transparent it draws straight onto itself on
// every paint, without a background of its own.
//
// Bounds, whatever the properties say: a bath holds at most kMaxBalls
// particles (AddBall refuses more, so does a chained bath: a particle that finds
// the next bath full is gone), a step visits each particle that was in the bath
// when it began exactly once (particles passed along a chain that loops back to
// this bath wait for the next step), and a particle whose position is no longer
// a finite number leaves the bath. So a step costs at most kMaxBalls² distance
// checks and allocates nothing beyond the list.

#include "Canvastools.h"
#include "ElementBase.h"

#include <QImage>
#include <QLine>
#include <QList>
#include <QPointer>
#include <QPolygon>
#include <QRect>
#include <QStringList>
#include <stdexcept>

// One particle of an animated separator. x, y and the velocities are percent of
// the element's width and height (per step); the radius is in pixels in a
// TSeparator and in percent in a TColumnMixer.
struct TBall {
    enum Kind { kCoal = 0, kRock = 1, kBubble = 2 };

    double x = 0;
    double y = 0;
    double layer = 0; // only particles of the same layer collide
    double r = 0;
    int kind = kCoal;
    double vx = 0, vy = 0;
    double ownVx = 0, ownVy = 0; // the speed at which it sinks or rises by itself

    bool operator==(const TBall&) const = default;
};

// A BallList line that is not a particle record.
class EBallListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The particle list both animated separators keep: the list owns copies of the
// particles given to it.
class TBallList {
public:
    static constexpr int kMaxBalls = 1000;

    virtual ~TBallList() = default;

    // False for a null particle or a full list; otherwise a copy is appended.
    bool AddBall(const TBall* ball);
    // False when i is outside the list; otherwise the particle is removed.
    bool DeleteBall(int i);
    // The number of particles; writing it has no effect.
    int GetBallCount() const { return int(balls_.size()); }
    void SetBallCount(int) {}
    const TBall& Ball(int i) const { return balls_.at(i); }
    const QList<TBall>& Balls() const { return balls_; }

    // The particles a layout puts in, one line each:
    //   x; y; layer; r; kind[; vx; vy; own vx; own vy]
    // (numbers with a point or the workstation's decimal separator; missing
    // velocities are 0). Setting the lines replaces the particles in the list
    // with these; reading gives the lines last set. A line that is not such a
    // record, or more lines than kMaxBalls, throws EBallListError and leaves the
    // particles as they were.
    QStringList GetBallList() const { return ballList_; }
    void SetBallList(const QStringList& lines);
    static TBall ParseBall(const QString& line);
    static QString BallLine(const TBall& ball);

protected:
    // Called after SetBallList replaced the particles.
    virtual void BallsReplaced() {}

    QList<TBall> balls_;

private:
    QStringList ballList_;
};

class TSeparator : public TPanelElement, public TBallList {
    Q_OBJECT
    Q_PROPERTY(TColor WaterColor READ GetWaterColor WRITE SetWaterColor)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(bool ShowClosedLoop READ GetShowClosedLoop WRITE SetShowClosedLoop)
    Q_PROPERTY(TColor BackWallColor READ GetBackWallColor WRITE SetBackWallColor)
    Q_PROPERTY(double BackWallTop READ GetBackWallTop WRITE SetBackWallTop)
    Q_PROPERTY(double BackWallWidth READ GetBackWallWidth WRITE SetBackWallWidth)
    Q_PROPERTY(double BathHeight READ GetBathHeight WRITE SetBathHeight)
    Q_PROPERTY(double BathBottomWidth READ GetBathBottomWidth WRITE SetBathBottomWidth)
    Q_PROPERTY(double GridHeight READ GetGridHeight WRITE SetGridHeight)
    Q_PROPERTY(int GridCount READ GetGridCount WRITE SetGridCount)
    Q_PROPERTY(double GridSpace READ GetGridSpace WRITE SetGridSpace)
    Q_PROPERTY(TPen* WallPen READ WallPen WRITE SetWallPen)
    Q_PROPERTY(double BathSubH READ GetBathSubH WRITE SetBathSubH)
    Q_PROPERTY(double BathWidth READ GetBathWidth WRITE SetBathWidth)
    Q_PROPERTY(TPen* GridPen READ GridPen WRITE SetGridPen)
    Q_PROPERTY(double WaterVx READ GetWaterVx WRITE SetWaterVx)
    Q_PROPERTY(double WaterVy READ GetWaterVy WRITE SetWaterVy)
    Q_PROPERTY(double SpeedK READ GetSpeedK WRITE SetSpeedK)
    Q_PROPERTY(TColor RockColor READ GetRockColor WRITE SetRockColor)
    Q_PROPERTY(TColor CoalColor READ GetCoalColor WRITE SetCoalColor)
    Q_PROPERTY(TColor BubbleColor READ GetBubbleColor WRITE SetBubbleColor)
    Q_PROPERTY(double WaterK READ GetWaterK WRITE SetWaterK)
    Q_PROPERTY(double OwnK READ GetOwnK WRITE SetOwnK)
    Q_PROPERTY(int BallCount READ GetBallCount WRITE SetBallCount)
    Q_PROPERTY(TSeparator* NextSeparator READ GetNextSeparator WRITE SetNextSeparator)
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(QStringList BallList READ GetBallList WRITE SetBallList)
public:
    explicit TSeparator(QWidget* owner = nullptr);

    // Geometry and colours: a new value marks the picture (UpdateChanges).
    TColor GetWaterColor() const { return waterColor_; }
    void SetWaterColor(TColor value) { Store(waterColor_, value); }
    // Only stored: the next paint draws straight onto the element.
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);
    // Draws the right wall of the chute too.
    bool GetShowClosedLoop() const { return showClosedLoop_; }
    void SetShowClosedLoop(bool value) { Store(showClosedLoop_, value); }
    TColor GetBackWallColor() const { return backWallColor_; }
    void SetBackWallColor(TColor value) { Store(backWallColor_, value); }
    // Top of the back wall (from the top) and its width at the right edge.
    double GetBackWallTop() const { return backWallTop_; }
    void SetBackWallTop(double value) { Store(backWallTop_, value); }
    double GetBackWallWidth() const { return backWallWidth_; }
    void SetBackWallWidth(double value) { Store(backWallWidth_, value); }
    // Depth of the bath's bottom, and its width in percent of the bath's width.
    double GetBathHeight() const { return bathHeight_; }
    void SetBathHeight(double value) { Store(bathHeight_, value); }
    double GetBathBottomWidth() const { return bathBottomWidth_; }
    void SetBathBottomWidth(double value) { Store(bathBottomWidth_, value); }
    // The grid across the bath: its depth, its bars and the gap between them
    // (percent of a bar's pitch).
    double GetGridHeight() const { return gridHeight_; }
    void SetGridHeight(double value) { Store(gridHeight_, value); }
    int GetGridCount() const { return gridCount_; }
    void SetGridCount(int value) { Store(gridCount_, value); }
    double GetGridSpace() const { return gridSpace_; }
    void SetGridSpace(double value) { Store(gridSpace_, value); }
    TPen* WallPen() const { return wallPen_; }
    void SetWallPen(const TPen* value);
    // How far above the bottom the bath's sloping sides begin.
    double GetBathSubH() const { return bathSubH_; }
    void SetBathSubH(double value) { Store(bathSubH_, value); }
    // Width of the bath; the discharge chute lies right of it.
    double GetBathWidth() const { return bathWidth_; }
    void SetBathWidth(double value) { Store(bathWidth_, value); }
    TPen* GridPen() const { return gridPen_; }
    void SetGridPen(const TPen* value);
    // The medium's flow (percent per step) and the speed factor of a step:
    // only stored.
    double GetWaterVx() const { return waterVx_; }
    void SetWaterVx(double value) { waterVx_ = value; }
    double GetWaterVy() const { return waterVy_; }
    void SetWaterVy(double value) { waterVy_ = value; }
    double GetSpeedK() const { return speedK_; }
    void SetSpeedK(double value) { speedK_ = value; }
    TColor GetRockColor() const { return rockColor_; }
    void SetRockColor(TColor value) { Store(rockColor_, value); }
    TColor GetCoalColor() const { return coalColor_; }
    void SetCoalColor(TColor value) { Store(coalColor_, value); }
    TColor GetBubbleColor() const { return bubbleColor_; }
    void SetBubbleColor(TColor value) { Store(bubbleColor_, value); }
    // How slowly a particle takes the medium's and its own speed (the n of
    // AverageVal, truncated): only stored.
    double GetWaterK() const { return waterK_; }
    void SetWaterK(double value) { waterK_ = value; }
    double GetOwnK() const { return ownK_; }
    void SetOwnK(double value) { ownK_ = value; }
    // The bath that takes the particles leaving this one over the back wall.
    // Only stored; a bath that is destroyed simply ends the chain.
    TSeparator* GetNextSeparator() const { return next_.data(); }
    void SetNextSeparator(TSeparator* value) { next_ = value; }
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    // The water's surface, from the top.
    double GetWaterLevel() const { return waterLevel_; }
    void SetWaterLevel(double value) { Store(waterLevel_, value); }

    // Marks the picture as outdated and asks for a later repaint.
    void UpdateChanges() { Invalidate(); }
    // One animation step of every particle; always true.
    bool NextStep();
    // ((n - 1) * v + target) / n for n > 0, else target.
    static double AverageVal(double v, double target, int n);
    // Particle i meets every other particle of its layer that it overlaps.
    void CollisionControl(int i);

    // A standard charge for a bath of the default geometry: coal floating on
    // the feed side, rock sinking towards the grid and air bubbles rising.
    static QList<TBall> DefaultBalls();

    // The picture in pixels for the current size and properties (particles
    // apart). Throws EDrawError for a geometry beyond the pixel grid.
    struct Geometry {
        QPolygon vessel;   // nine corners
        QPolygon water;    // the same, first and last corners at the surface
        QList<QLine> grid; // the grid's bars
        QRect backWall;    // (left, top) - (right, bottom) as the canvas takes it
    };
    Geometry Compute() const;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;
    void BallsReplaced() override { UpdateChanges(); }

private:
    // Everything the bath's still picture (vessel, water, walls, grid, back
    // wall) depends on: the picture is kept and drawn again only when one of
    // them differs, so that an animation step costs only its particles.
    struct StillKey {
        int w = 0, h = 0;
        TColor panel = 0, water = 0, backWall = 0, back = 0;
        bool closedLoop = false;
        double backWallTop = 0, backWallWidth = 0, bathHeight = 0, bathBottomWidth = 0, gridHeight = 0;
        int gridCount = 0;
        double gridSpace = 0, bathSubH = 0, bathWidth = 0, waterLevel = 0;
        TColor wallColor = 0, gridColor = 0;
        int wallWidth = 0, gridWidth = 0;
        TPenStyle wallStyle = psSolid, gridStyle = psSolid;
        bool operator==(const StillKey&) const = default;
    };
    StillKey CurrentStillKey() const;
    void DrawStill(QPainter& p, bool background);
    void DrawBalls(QPainter& p);
    void Draw(QPainter& p, bool background);

    QImage still_;
    StillKey stillKey_;
    TParticleSprites sprites_;

    TColor waterColor_ = clBlue;
    bool transparent_ = false;
    bool showClosedLoop_ = false;
    TColor backWallColor_ = clYellow;
    double backWallTop_ = 10;
    double backWallWidth_ = 3;
    double bathHeight_ = 75;
    double bathBottomWidth_ = 80;
    double gridHeight_ = 20;
    int gridCount_ = 10;
    double gridSpace_ = 40;
    TPen* wallPen_;
    double bathSubH_ = 0;
    double bathWidth_ = 80;
    TPen* gridPen_;
    double waterVx_ = 3;
    double waterVy_ = 0;
    double speedK_ = 1;
    TColor rockColor_ = clSilver;
    TColor coalColor_ = clBlack;
    TColor bubbleColor_ = clWhite;
    double waterK_ = 7;
    double ownK_ = 3;
    QPointer<TSeparator> next_;
    TColor backColor_ = clSilver;
    double waterLevel_ = 1;
};
