#pragma once
// TBladeWheel, the side view of a bladed drum (a scoop wheel or a drum screen
// seen from the side): horizontal blade lines across the element that move as
// the drum turns through Alpha. With CircleMode the lines are the blades on the
// front half of a turning drum, crowding towards the top and bottom edges;
// without it they are evenly spaced and scroll upwards like a belt.
//
// A panel with an off-screen picture kept between paints: a change marks it and
// asks for a later repaint, a paint redraws it only when marked. Transparent
// draws the lines straight onto the element with no background of its own (the
// parent shows between them).

#include "ElementBase.h"

#include <QList>

class TBladeWheel : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(int BladeCount READ GetBladeCount WRITE SetBladeCount)
    Q_PROPERTY(TPen* BladePen READ BladePen WRITE SetBladePen)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(bool CircleMode READ GetCircleMode WRITE SetCircleMode)
    Q_PROPERTY(int Alpha READ GetAlpha WRITE SetAlpha)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
public:
    // More blades than this cover every row of any drum anyway; drawing them
    // all would only stall the window.
    static constexpr int kMaxDrawnBlades = 3600;

    explicit TBladeWheel(QWidget* owner = nullptr);

    int GetBladeCount() const { return bladeCount_; }
    void SetBladeCount(int value) { Store(bladeCount_, value); }
    TPen* BladePen() const { return bladePen_; }
    void SetBladePen(const TPen* value);
    // Frame and fill of the background (not with Transparent).
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    bool GetCircleMode() const { return circleMode_; }
    void SetCircleMode(bool value) { Store(circleMode_, value); }
    // Angle of the drum, degrees.
    int GetAlpha() const { return alpha_; }
    void SetAlpha(int value) { Store(alpha_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }

    // Rows of the blade lines for an element of height h, in drawing order.
    static QList<int> BladeRows(int h, int bladeCount, bool circleMode, int alpha);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    void DrawBlades(QPainter& p);

    int bladeCount_ = 10;
    TPen* bladePen_;
    TPen* pen_;
    TBrush* brush_;
    bool circleMode_ = true;
    int alpha_ = 0;
    bool transparent_ = false;
};
