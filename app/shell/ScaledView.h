#pragma once
// A window shown whole, scaled uniformly to the space the view has, centred,
// with the window's background colour around it.
//
// The window keeps working as it is: it lives in a graphics proxy, so its
// timers, clicks, cursors and hints reach its controls as before, and every
// repaint it asks for is drawn again through the view's scaled painter. The
// controls draw with their own vector drawing at the view's scale (an element
// that keeps a picture keeps it at that scale, see DeviceScale), so nothing is
// a stretched bitmap; and only the parts that changed are drawn again.

#include <QGraphicsView>
#include <QSize>

class QGraphicsProxyWidget;

class TScaledView : public QGraphicsView {
    Q_OBJECT
public:
    explicit TScaledView(QWidget* parent = nullptr);
    ~TScaledView() override;

    // Takes the window in (it must have no parent); it is shown at `design`.
    void SetContent(QWidget* window, QSize design);
    // Gives the window back, without a parent and hidden.
    QWidget* TakeContent();
    QWidget* Content() const;

    // The factor the window is shown at.
    qreal Scale() const;
    // Where a point of the window lies in the viewport.
    QPoint MapFromContent(QPointF point) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();

    QGraphicsProxyWidget* proxy_ = nullptr;
    QSize design_;
};
