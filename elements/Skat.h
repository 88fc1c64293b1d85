#pragma once
// TSkat, a parabolic slide (the curved chute of a screen or a sieve bend): a
// filled block with a flat top from c = 100 - TopWidth to the right edge, a
// vertical right side, a flat bottom and a left face that rises along a
// parabola from the bottom-left corner to the top at c. DetLevel is the number
// of steps the parabola is drawn in. XFlip mirrors the block.
//
// A panel that draws straight onto its own area on every paint. A change of
// Pen, Brush, Transparent, XFlip, DetLevel or TopWidth computes the outline
// again and repaints at once; K1, K2, K3 and ConfigName are only kept (no
// drawing step reads them). DetLevel is kept at most 80 and TopWidth at most
// 99. Without an outline (DetLevel 0 or less, TopWidth 100 or more) the slide
// draws nothing at all, not even its background.

#include "ElementBase.h"

#include <QList>
#include <QPointF>
#include <QPolygon>
#include <algorithm>

class TSkat : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(int DetLevel READ GetDetLevel WRITE SetDetLevel)
    Q_PROPERTY(double K1 READ GetK1 WRITE SetK1)
    Q_PROPERTY(double K2 READ GetK2 WRITE SetK2)
    Q_PROPERTY(double K3 READ GetK3 WRITE SetK3)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(int TopWidth READ GetTopWidth WRITE SetTopWidth)
public:
    static constexpr int kMaxDetLevel = 80;
    static constexpr int kMaxTopWidth = 99;

    explicit TSkat(QWidget* owner = nullptr);

    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value) { StoreNow(transparent_, value); }
    int GetDetLevel() const { return detLevel_; }
    void SetDetLevel(int value) { StoreNow(detLevel_, std::min(value, kMaxDetLevel)); }
    double GetK1() const { return k1_; }
    void SetK1(double value) { k1_ = value; }
    double GetK2() const { return k2_; }
    void SetK2(double value) { k2_ = value; }
    double GetK3() const { return k3_; }
    void SetK3(double value) { k3_ = value; }
    QString GetConfigName() const { return configName_; }
    void SetConfigName(const QString& value) {
        if (configName_ != value)
            configName_ = value;
    }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { StoreNow(xFlip_, value); }
    int GetTopWidth() const { return topWidth_; }
    void SetTopWidth(int value) { StoreNow(topWidth_, std::min(value, kMaxTopWidth)); }

    // The outline as last computed: points in percent, y up from the bottom.
    const QList<QPointF>& Outline() const { return outline_; }
    static QList<QPointF> ComputeOutline(int detLevel, int topWidth);
    // The outline in pixels for an element of w x h.
    static QPolygon ToPixels(const QList<QPointF>& outline, int w, int h, int penWidth, bool xFlip);

public Q_SLOTS:
    // Pen and brush report here: the outline is computed again, repainted at once.
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    template <class T, class V> void StoreNow(T& member, const V& value) {
        if (member == value)
            return;
        member = value;
        Recalc();
    }
    void Recalc();

    TPen* pen_;
    TBrush* brush_;
    bool transparent_ = false;
    int detLevel_ = 10;
    double k1_ = 0;
    double k2_ = 1;
    double k3_ = 0;
    QString configName_ = QStringLiteral(".\\Colors.INI");
    bool xFlip_ = false;
    int topWidth_ = 70;
    QList<QPointF> outline_;
};
