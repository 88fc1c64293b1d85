#pragma once
// TTransporter, a belt conveyor seen from the side: the belt's body between two
// end drums, each drum a disc of the conveyor's height with a smaller disc
// (the shaft) in its centre.
//
// A panel that draws straight onto its own area on every paint; the corners
// beside the drums are left to its parent. Every change asks for a later
// repaint.

#include "ElementBase.h"

class TTransporter : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TBrush* BodyBrush READ BodyBrush WRITE SetBodyBrush)
    Q_PROPERTY(TBrush* C1Brush READ C1Brush WRITE SetC1Brush)
    Q_PROPERTY(TBrush* C2Brush READ C2Brush WRITE SetC2Brush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TPen* R1Pen READ R1Pen WRITE SetR1Pen)
    Q_PROPERTY(TPen* R2Pen READ R2Pen WRITE SetR2Pen)
    Q_PROPERTY(short R1Persent READ GetR1Persent WRITE SetR1Persent)
public:
    explicit TTransporter(QWidget* owner = nullptr);

    // The belt between the drums.
    TBrush* BodyBrush() const { return bodyBrush_; }
    void SetBodyBrush(const TBrush* value) { AssignStyle(bodyBrush_, value); }
    // Inner discs (shafts) and outer discs (drums).
    TBrush* C1Brush() const { return c1Brush_; }
    void SetC1Brush(const TBrush* value) { AssignStyle(c1Brush_, value); }
    TBrush* C2Brush() const { return c2Brush_; }
    void SetC2Brush(const TBrush* value) { AssignStyle(c2Brush_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    TPen* R1Pen() const { return r1Pen_; }
    void SetR1Pen(const TPen* value) { AssignStyle(r1Pen_, value); }
    TPen* R2Pen() const { return r2Pen_; }
    void SetR2Pen(const TPen* value) { AssignStyle(r2Pen_, value); }
    // Radius of the inner disc, percent of the drum's.
    short GetR1Persent() const { return r1Persent_; }
    void SetR1Persent(short value) { Store(r1Persent_, value); }

    // Boxes (left, top) - (right, bottom) as the canvas takes them.
    struct Geometry {
        QRect body;
        QRect drums[2];
        QRect shafts[2];
    };
    static Geometry Compute(int w, int h, int r1Persent);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }

    TBrush* bodyBrush_;
    TBrush* c1Brush_;
    TBrush* c2Brush_;
    TPen* pen_;
    TPen* r1Pen_;
    TPen* r2Pen_;
    short r1Persent_ = 70;
};
