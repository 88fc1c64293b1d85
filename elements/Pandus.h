#pragma once
// TPandus, a ramp with a hopper: a sloping band rising from the left edge to the
// right edge, and under it the outline of a hopper whose tip sits on the bottom
// edge at L1. XFlip mirrors both, so that the band rises from right to left.
//
// The figure lives in virtual units (virtW x virtH) that scale separately on the
// two axes to the element's size, as the bath separator's does.
//
// A graphic element: its sizes, pen and brush repaint at once, XFlip asks for a
// later repaint. A virtual size of zero cannot be drawn: the paint ends with
// one beep (the paint guard) and draws nothing.

#include "ElementBase.h"

#include <QPolygon>

class TPandus : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(double virtH READ GetvirtH WRITE SetvirtH)
    Q_PROPERTY(double virtW READ GetvirtW WRITE SetvirtW)
    Q_PROPERTY(double H1 READ GetH1 WRITE SetH1)
    Q_PROPERTY(double H2 READ GetH2 WRITE SetH2)
    Q_PROPERTY(double L1 READ GetL1 WRITE SetL1)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
public:
    explicit TPandus(QWidget* owner = nullptr);

    double GetvirtH() const { return virtH_; }
    void SetvirtH(double value) { Store(virtH_, value); }
    double GetvirtW() const { return virtW_; }
    void SetvirtW(double value) { Store(virtW_, value); }
    // Top of the band at the left edge, from the top.
    double GetH1() const { return h1_; }
    void SetH1(double value) { Store(h1_, value); }
    // Thickness of the band, and its bottom at the right edge.
    double GetH2() const { return h2_; }
    void SetH2(double value) { Store(h2_, value); }
    // x of the hopper's tip on the bottom edge.
    double GetL1() const { return l1_; }
    void SetL1(double value) { Store(l1_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value);

    struct Geometry {
        QPolygon band;   // filled and outlined
        QPolygon hopper; // closed outline
    };
    // Throws EDrawError when a virtual size makes the figure undrawable.
    Geometry Compute() const;

protected:
    void Paint(QPainter& canvas) override;

private:
    double virtH_ = 75;
    double virtW_ = 145;
    double h1_ = 45;
    double h2_ = 10;
    double l1_ = 60;
    TPen* pen_;
    TBrush* brush_;
    bool xFlip_ = false;
};
