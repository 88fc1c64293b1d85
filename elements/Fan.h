#pragma once
// TFan, a fan: a disc filling the element with pointed blades turned about its
// centre. RotorAlpha turns the rotor (degrees, counter-clockwise on the screen).
// Blade length is percent of half the width, blade width percent of the height,
// EdgeLength the share of the blade that the pointed tip takes.
//
// A panel with an off-screen picture kept between paints: every setter marks it
// and asks for a later repaint, a paint redraws it only when marked. BladeCount
// is kept within 0 .. 32, BladeWidth and BladeLength within 1 .. 100 and
// EdgeLength within 1 .. 90: a value outside becomes the nearest limit.

#include "ElementBase.h"

#include <QList>
#include <QPolygon>
#include <algorithm>

class TFan : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TBrush* CircleBrush READ CircleBrush WRITE SetCircleBrush)
    Q_PROPERTY(TPen* CirclePen READ CirclePen WRITE SetCirclePen)
    Q_PROPERTY(TColor RotorColor READ GetRotorColor WRITE SetRotorColor)
    Q_PROPERTY(int BladeCount READ GetBladeCount WRITE SetBladeCount)
    Q_PROPERTY(int RotorAlpha READ GetRotorAlpha WRITE SetRotorAlpha)
    Q_PROPERTY(int BladeWidth READ GetBladeWidth WRITE SetBladeWidth)
    Q_PROPERTY(int BladeLength READ GetBladeLength WRITE SetBladeLength)
    Q_PROPERTY(int EdgeLength READ GetEdgeLength WRITE SetEdgeLength)
public:
    explicit TFan(QWidget* owner = nullptr);

    TBrush* CircleBrush() const { return circleBrush_; }
    void SetCircleBrush(const TBrush* value);
    TPen* CirclePen() const { return circlePen_; }
    void SetCirclePen(const TPen* value);
    // Pen and fill of the blades.
    TColor GetRotorColor() const { return rotorColor_; }
    void SetRotorColor(TColor value) { Store(rotorColor_, value); }
    int GetBladeCount() const { return bladeCount_; }
    void SetBladeCount(int value) { Store(bladeCount_, std::clamp(value, 0, 32)); }
    int GetRotorAlpha() const { return rotorAlpha_; }
    void SetRotorAlpha(int value) { Store(rotorAlpha_, value); }
    int GetBladeWidth() const { return bladeWidth_; }
    void SetBladeWidth(int value) { Store(bladeWidth_, std::clamp(value, 1, 100)); }
    int GetBladeLength() const { return bladeLength_; }
    void SetBladeLength(int value) { Store(bladeLength_, std::clamp(value, 1, 100)); }
    int GetEdgeLength() const { return edgeLength_; }
    void SetEdgeLength(int value) { Store(edgeLength_, std::clamp(value, 1, 90)); }

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }

    // The blades' polygons (five corners each) for an element of w x h.
    static QList<QPolygon> Blades(int w, int h, int bladeCount, int rotorAlpha, int bladeWidth,
                                  int bladeLength, int edgeLength);

protected:
    void DrawPicture(QPainter& p) override;

private:
    TBrush* circleBrush_;
    TPen* circlePen_;
    TColor rotorColor_ = clBlack;
    int bladeCount_ = 3;
    int rotorAlpha_ = 0;
    int bladeWidth_ = 10;
    int bladeLength_ = 98;
    int edgeLength_ = 20;
};
