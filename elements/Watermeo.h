#pragma once
// TWaterMEO, the position gauge of an actuator-driven valve or flow splitter: a
// bar split in two colours at the current position, evenly spaced scale ticks
// along one edge and a pointer arrow that marks the position and points at the
// scale. Horizontal (left to right) or vertical (top to bottom).
//
// A graphic element drawn straight on its parent. The scalar setters and the
// pen and brush setters repaint at once; a change made to an owned pen or brush
// itself asks for a later repaint.

#include "ElementBase.h"

#include <QList>

class TWaterMEO : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TBrush* WaterBrush READ WaterBrush WRITE SetWaterBrush)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* ScalePen READ ScalePen WRITE SetScalePen)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TColor ArrowColor READ GetArrowColor WRITE SetArrowColor)
    Q_PROPERTY(double Min READ GetMin WRITE SetMin)
    Q_PROPERTY(double Max READ GetMax WRITE SetMax)
    Q_PROPERTY(double ScaleStep READ GetScaleStep WRITE SetScaleStep)
    Q_PROPERTY(double Position READ GetPosition WRITE SetPosition)
    Q_PROPERTY(int ScaleH READ GetScaleH WRITE SetScaleH)
    Q_PROPERTY(bool InvertScale READ GetInvertScale WRITE SetInvertScale)
    Q_PROPERTY(int EdgeLength READ GetEdgeLength WRITE SetEdgeLength)
    Q_PROPERTY(int ArrowWidth READ GetArrowWidth WRITE SetArrowWidth)
    Q_PROPERTY(int EdgeAngle READ GetEdgeAngle WRITE SetEdgeAngle)
    Q_PROPERTY(bool VerticalFlag READ GetVerticalFlag WRITE SetVerticalFlag)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(double MeoLength READ MeoLength)
public:
    explicit TWaterMEO(QWidget* owner = nullptr);

    // Fill from the start of the bar up to the position.
    TBrush* WaterBrush() const { return waterBrush_; }
    void SetWaterBrush(const TBrush* value);
    // Fill of the rest of the bar.
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* ScalePen() const { return scalePen_; }
    void SetScalePen(const TPen* value);
    // Outline of the bar.
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TColor GetArrowColor() const { return arrowColor_; }
    void SetArrowColor(TColor value) { Store(arrowColor_, value); }
    double GetMin() const { return min_; }
    void SetMin(double value) { Store(min_, value); }
    double GetMax() const { return max_; }
    void SetMax(double value) { Store(max_, value); }
    // Distance between ticks in value units; no ticks unless it is above zero.
    double GetScaleStep() const { return scaleStep_; }
    void SetScaleStep(double value) { Store(scaleStep_, value); }
    double GetPosition() const { return position_; }
    // Repaints at once the stretch of the bar between the old and the new
    // position, pointer included.
    void SetPosition(double value);
    // Tick length in pixels from the scale edge.
    int GetScaleH() const { return scaleH_; }
    void SetScaleH(int value) { Store(scaleH_, value); }
    // Scale and arrow head at the left (vertical) or top (horizontal) edge.
    bool GetInvertScale() const { return invertScale_; }
    void SetInvertScale(bool value) { Store(invertScale_, value); }
    int GetEdgeLength() const { return edgeLength_; }
    void SetEdgeLength(int value) { Store(edgeLength_, value); }
    int GetArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int value) { Store(arrowWidth_, value); }
    // Full opening angle of the arrow head, degrees.
    int GetEdgeAngle() const { return edgeAngle_; }
    void SetEdgeAngle(int value) { Store(edgeAngle_, value); }
    bool GetVerticalFlag() const { return verticalFlag_; }
    void SetVerticalFlag(bool value) { Store(verticalFlag_, value); }
    // Published for the layouts; the drawing does not use it.
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value);

    // Pixel offset of a value from the start of the bar, not clamped; 0 when
    // Max equals Min.
    double PosToScreen(double value) const;
    double MeoLength() const { return PosToScreen(position_); }
    // Values of the ticks: Min + step, Min + 2 step, ... while below Max (the
    // ends get none). Empty unless step is above zero; at most kMaxTicks.
    static QList<double> TickValues(double min, double max, double step);
    static constexpr int kMaxTicks = 10000;

public Q_SLOTS:
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    template <class S> void AssignNow(S* own, const S* value) {
        if (!value || value == own || own->SameAs(*value))
            return;
        own->Assign(*value);
        RepaintNow(this);
    }

    TBrush* waterBrush_;
    TBrush* brush_;
    TPen* scalePen_;
    TPen* pen_;
    TColor arrowColor_ = clBlack;
    double min_ = 0;
    double max_ = 100;
    double scaleStep_ = 10;
    double position_ = 20;
    int scaleH_ = 20;
    bool invertScale_ = false;
    int edgeLength_ = 5;
    int arrowWidth_ = 2;
    int edgeAngle_ = 60;
    bool verticalFlag_ = false;
    bool xFlip_ = false;
};
