#pragma once
// TBullet, a bar with a rounded right end (a rounded beam, a pipe end, a
// bunker's edge): a filled box whose right end is a half disc of the bar's
// height. Outlined along the top, the left end and the round end.
//
// A graphic element: it draws on its parent inside its bounds and repaints at
// once on every change.

#include "ElementBase.h"

class TBullet : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
public:
    explicit TBullet(QWidget* owner = nullptr);

    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);

protected:
    void Paint(QPainter& canvas) override;

private:
    TBrush* brush_;
    TPen* pen_;
};
