#pragma once
// TBarrel, a level indicator drawn as an open-topped tank: a U-shaped wall and a
// fill of up to one hundred bands whose colour runs from DownColor at the bottom
// towards UpColor at full scale, so the colour at the top of the fill tells the
// level as well. Left2RightMode fills from the left edge instead.
//
// A panel with an off-screen picture that is rebuilt on every paint. The colours
// and the wall pen live in the INI file ConfigName under the element's Name.

#include "ElementBase.h"

class TBarrel : public TPanelElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(TColor UpColor READ GetUpColor WRITE SetUpColor)
    Q_PROPERTY(TColor DownColor READ GetDownColor WRITE SetDownColor)
    Q_PROPERTY(double MaxLevel READ GetMaxLevel WRITE SetMaxLevel)
    Q_PROPERTY(double MinLevel READ GetMinLevel WRITE SetMinLevel)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(bool Left2RightMode READ GetLeft2RightMode WRITE SetLeft2RightMode)
public:
    explicit TBarrel(QWidget* owner = nullptr);

    TColor GetUpColor() const { return upColor_; }
    void SetUpColor(TColor value) { Store(upColor_, value); }
    TColor GetDownColor() const { return downColor_; }
    void SetDownColor(TColor value) { Store(downColor_, value); }
    double GetMaxLevel() const { return maxLevel_; }
    void SetMaxLevel(double value) { Store(maxLevel_, value); }
    double GetMinLevel() const { return minLevel_; }
    void SetMinLevel(double value) { Store(minLevel_, value); }
    double GetWaterLevel() const { return waterLevel_; }
    // Outdates only the rows (columns) between the old and the new level.
    void SetWaterLevel(double value);
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    // Kept and stored in the look file ("BackColor"); the picture does not use it.
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    bool GetLeft2RightMode() const { return left2Right_; }
    void SetLeft2RightMode(bool value) { Store(left2Right_, value); }

    // Marks the picture as outdated and asks for a later repaint.
    void UpdateChanges() { Invalidate(); }

    // Keys, in this order: UpColor, DownColor, BackColor (the brush colour),
    // PenWidth, PenColor, PenStyle. False when the file cannot be written.
    bool SaveConfig() override;
    // The same keys, each through its setter; missing keys keep the property.
    bool LoadConfig(const QString& section = QString()) override;

    // Colour of fill band i (0 ... 99): each channel moves from DownColor a
    // hundredth of the way to UpColor per band, truncated.
    static TColor BandColor(TColor down, TColor up, int i);
    // How many bands of the scale a fill of `fill` pixels out of `extent` shows.
    static int BandsShown(double fill, int extent);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    bool HasRange() const { return maxLevel_ - minLevel_ > 0; }

    TColor upColor_ = clBlue;
    TColor downColor_ = clNavy;
    double maxLevel_ = 10;
    double minLevel_ = 0;
    double waterLevel_ = 3.5;
    TPen* pen_ = nullptr;
    TBrush* brush_ = nullptr;
    bool left2Right_ = false;
};
