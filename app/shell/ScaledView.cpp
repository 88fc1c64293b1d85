#include "ScaledView.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionGraphicsItem>
#include <algorithm>

namespace {

// The proxy draws only the region that the paint shows. The stock proxy draws
// the rectangle around it: a tick of the scheme changes elements in every
// corner, and that rectangle would draw nearly the whole window each time.
class TContentProxy : public QGraphicsProxyWidget {
public:
    using QGraphicsProxyWidget::QGraphicsProxyWidget;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override {
        QWidget* w = widget();
        if (!w || !w->isVisible())
            return;
        const QRegion exposed = Exposed(*painter, *option) & w->rect();
        if (exposed.isEmpty())
            return;
        w->render(painter, exposed.boundingRect().topLeft(), exposed);
    }

protected:
    // A control of the window that lets a press pass (as the elements do:
    // their click comes with the release) still gets the release, as it would
    // on the screen: the proxy holds the mouse from the press on.
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override {
        QGraphicsProxyWidget::mousePressEvent(event);
        event->accept();
    }

private:
    // The paint's region in the window's coordinates, a pixel wider all round
    // so that rounding at the scale never leaves a seam.
    static QRegion Exposed(QPainter& painter, const QStyleOptionGraphicsItem& option) {
        const QRegion device = painter.paintEngine() ? painter.paintEngine()->systemClip() : QRegion();
        bool invertible = false;
        const QTransform back = painter.deviceTransform().inverted(&invertible);
        if (device.isEmpty() || !invertible)
            return option.exposedRect.toAlignedRect();
        QRegion region;
        for (const QRect& r : device)
            region += back.mapRect(QRectF(r)).toAlignedRect().adjusted(-1, -1, 1, 1);
        return region;
    }
};

} // namespace

TScaledView::TScaledView(QWidget* parent) : QGraphicsView(parent) {
    setObjectName(QStringLiteral("ScaledView"));
    setScene(new QGraphicsScene(this));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignCenter);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    // Clicks reach the window's controls without the view taking the focus:
    // focus passed on into the scene would leave the main window's frame, and
    // the frame keeps it itself (TChildFrame).
    setFocusPolicy(Qt::NoFocus);
    // The window's controls save and restore what they change themselves.
    setOptimizationFlags(QGraphicsView::DontSavePainterState);
}

TScaledView::~TScaledView() {
    // The window is not the view's to delete.
    if (proxy_ && proxy_->widget())
        TakeContent();
}

void TScaledView::SetContent(QWidget* window, QSize design) {
    if (proxy_)
        TakeContent();
    design_ = design;
    window->resize(design);
    setBackgroundBrush(window->palette().brush(window->backgroundRole()));
    proxy_ = new TContentProxy;
    proxy_->setWidget(window);
    proxy_->setPos(0, 0);
    scene()->addItem(proxy_);
    scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(design)));
    window->show();
    Fit();
}

QWidget* TScaledView::TakeContent() {
    if (!proxy_)
        return nullptr;
    QWidget* window = proxy_->widget();
    proxy_->setWidget(nullptr);
    if (window)
        window->hide();
    scene()->removeItem(proxy_);
    delete proxy_;
    proxy_ = nullptr;
    return window;
}

QWidget* TScaledView::Content() const {
    return proxy_ ? proxy_->widget() : nullptr;
}

qreal TScaledView::Scale() const {
    return transform().m11();
}

QPoint TScaledView::MapFromContent(QPointF point) const {
    return mapFromScene(point);
}

void TScaledView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    Fit();
}

void TScaledView::Fit() {
    if (design_.isEmpty())
        return;
    const QSize room = viewport()->size();
    const qreal scale =
        std::min(qreal(room.width()) / design_.width(), qreal(room.height()) / design_.height());
    if (scale > 0)
        setTransform(QTransform::fromScale(scale, scale));
}
