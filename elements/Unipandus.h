#pragma once
// TUniPandus, a sloping ramp (screen deck or chute): a filled band from the left
// edge to the right edge with a zigzag line under it that forms two hoppers.
// Every vertical position is a percentage of the element's height, so the same
// element fits any slope and size. Percentages outside 0..100 are taken as they
// are and place points outside the element.
//
// A graphic element; its pen, brush and percentages ask for a later repaint.

#include "ElementBase.h"

#include <QPolygon>

class TUniPandus : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(int TopPercent READ GetTopPercent WRITE SetTopPercent)
    Q_PROPERTY(int HPercent READ GetHPercent WRITE SetHPercent)
    Q_PROPERTY(int A1TopPercent READ GetA1TopPercent WRITE SetA1TopPercent)
    Q_PROPERTY(int A2TopPercent READ GetA2TopPercent WRITE SetA2TopPercent)
    Q_PROPERTY(int RightTopPercent READ GetRightTopPercent WRITE SetRightTopPercent)
public:
    explicit TUniPandus(QWidget* owner = nullptr);

    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    // Top of the band at the left edge, percent of the height from the top.
    int GetTopPercent() const { return topPercent_; }
    void SetTopPercent(int value) { StoreLater(topPercent_, value); }
    // Thickness of the band.
    int GetHPercent() const { return hPercent_; }
    void SetHPercent(int value) { StoreLater(hPercent_, value); }
    // Heights of the two hopper tips above the bottom edge.
    int GetA1TopPercent() const { return a1TopPercent_; }
    void SetA1TopPercent(int value) { StoreLater(a1TopPercent_, value); }
    int GetA2TopPercent() const { return a2TopPercent_; }
    void SetA2TopPercent(int value) { StoreLater(a2TopPercent_, value); }
    // Top of the band at the right edge.
    int GetRightTopPercent() const { return rightTopPercent_; }
    void SetRightTopPercent(int value) { StoreLater(rightTopPercent_, value); }

    struct Geometry {
        QPolygon band;    // filled, outlined with the pen
        QPolygon hoppers; // one line: first tip, middle of the band, second tip
    };
    static Geometry Compute(int w, int h, int penWidth, int topPercent, int hPercent, int a1TopPercent,
                            int a2TopPercent, int rightTopPercent);

public Q_SLOTS:
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    template <class T, class V> void StoreLater(T& member, const V& value) {
        if (member == value)
            return;
        member = value;
        update();
    }

    TPen* pen_;
    TBrush* brush_;
    int topPercent_ = 10;
    int hPercent_ = 10;
    int a1TopPercent_ = 10;
    int a2TopPercent_ = 5;
    int rightTopPercent_ = 50;
};
