#pragma once
// TFlake, a tank with a stepped, sloping right wall (a settling cone or a
// desliming tank seen from the side): a vertical left wall, the top, the right
// wall down to Y2, a step in to X2 and a sloping wall down to BottomWidth on the
// bottom. Liquid fills it up to WaterLevel, in WaterBrush or in a pattern read
// from the picture file WaterBrushFile. Sizes are percent of the element's width
// and height, heights above the bottom; XFlip mirrors the tank.
//
// A panel that draws its whole picture on every paint (with Transparent
// straight onto itself, without a background); every setter stores a new value
// and asks for a later repaint, except WaterBrushFile, which is only stored and
// read at the next paint. A file that cannot be read sounds one beep per new
// name and the liquid keeps its previous fill.

#include "ElementBase.h"

#include <QImage>
#include <QPolygon>

class TFlake : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* WaterBrush READ WaterBrush WRITE SetWaterBrush)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(double X2 READ GetX2 WRITE SetX2)
    Q_PROPERTY(double BottomWidth READ GetBottomWidth WRITE SetBottomWidth)
    Q_PROPERTY(double Y2 READ GetY2 WRITE SetY2)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(TBrush* BackBrush READ BackBrush WRITE SetBackBrush)
    Q_PROPERTY(QString WaterBrushFile READ GetWaterBrushFile WRITE SetWaterBrushFile)
public:
    explicit TFlake(QWidget* owner = nullptr);

    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value) { AssignStyle(pen_, value); }
    // Copying another brush takes its plain fill: a pattern from a file is dropped.
    TBrush* WaterBrush() const { return waterBrush_; }
    void SetWaterBrush(const TBrush* value);
    double GetWaterLevel() const { return waterLevel_; }
    void SetWaterLevel(double value) { Store(waterLevel_, value); }
    double GetX2() const { return x2_; }
    void SetX2(double value) { Store(x2_, value); }
    double GetBottomWidth() const { return bottomWidth_; }
    void SetBottomWidth(double value) { Store(bottomWidth_, value); }
    double GetY2() const { return y2_; }
    void SetY2(double value) { Store(y2_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value) { Store(xFlip_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);
    // Fill of the empty tank.
    TBrush* BackBrush() const { return backBrush_; }
    void SetBackBrush(const TBrush* value) { AssignStyle(backBrush_, value); }
    // A picture file (relative to the working directory) whose image fills the
    // liquid as a pattern; read at the next paint after a new name.
    QString GetWaterBrushFile() const { return waterBrushFile_; }
    void SetWaterBrushFile(const QString& value) { waterBrushFile_ = value; }

    // The pattern of the liquid as last read (null: the brush's own fill).
    const QImage& WaterPattern() const { return pattern_; }

    double SX(double p) const;
    double SY(double p) const;
    struct Geometry {
        QPolygon body;
        QPolygon liquid;
    };
    Geometry Compute() const;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    template <class S> void AssignStyle(S* own, const S* value) {
        if (value && value != own)
            own->Assign(*value); // a real change reaches StyleChanged
    }
    void Draw(QPainter& p, bool background);
    void TakePattern();

    TPen* pen_;
    TBrush* waterBrush_;
    double waterLevel_ = 10;
    double x2_ = 70;
    double bottomWidth_ = 50;
    double y2_ = 90;
    bool xFlip_ = false;
    bool transparent_ = false;
    TBrush* backBrush_;
    QString waterBrushFile_;
    QString appliedFile_; // the name last read
    QImage pattern_;
};
