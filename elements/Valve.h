#pragma once
// TValve, the symbol of a valve: a filled bow-tie of two triangles whose tips
// meet in the centre, the triangles left and right of it, or above and below
// it with VertMode.
//
// A graphic element: it draws on its parent inside its bounds and repaints at
// once on every change.

#include "ElementBase.h"

#include <QPolygon>

class TValve : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(bool VertMode READ GetVertMode WRITE SetVertMode)
public:
    explicit TValve(QWidget* owner = nullptr);

    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    // False: the triangles lie left and right; true: above and below.
    bool GetVertMode() const { return vertMode_; }
    void SetVertMode(bool value) { Store(vertMode_, value); }

    // The four corners in drawing order; the crossing edges make the two
    // triangles.
    static QPolygon Corners(int w, int h, int penWidth, bool vertMode);

protected:
    void Paint(QPainter& canvas) override;

private:
    TPen* pen_;
    TBrush* brush_;
    bool vertMode_ = false;
};
