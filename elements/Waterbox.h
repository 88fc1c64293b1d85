#pragma once
// TWaterBox, a sump: a rectangular tank body with a funnel bottom and an outlet
// pipe, filled up to WaterLevel. All sizes are in tank units that map to pixels
// separately on the two axes (Height / BoxH vertically, Width / MainW across),
// so one shape fits any element size. The body spans the full width; the outlet
// always reaches the bottom edge.
//
// A panel: it can hold child elements (the scheme puts a flow arrow into each
// sump), draws into an off-screen picture unless Transparent, and redraws the
// whole picture on every paint. Its colours and pen live in the INI file
// ConfigName under the element's Name.

#include "ElementBase.h"

class TWaterBox : public TPanelElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(TColor WaterColor READ GetWaterColor WRITE SetWaterColor)
    Q_PROPERTY(TColor BorderColor READ GetBorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(double MainW READ GetMainW WRITE SetMainW)
    Q_PROPERTY(double MainH READ GetMainH WRITE SetMainH)
    Q_PROPERTY(double BoxH READ GetBoxH WRITE SetBoxH)
    Q_PROPERTY(double BottomH READ GetBottomH WRITE SetBottomH)
    Q_PROPERTY(double BottomW READ GetBottomW WRITE SetBottomW)
    Q_PROPERTY(double WaterLevel READ GetWaterLevel WRITE SetWaterLevel)
    Q_PROPERTY(int StepsCount READ GetStepsCount WRITE SetStepsCount)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
public:
    explicit TWaterBox(QWidget* owner = nullptr);

    TColor GetWaterColor() const { return waterColor_; }
    void SetWaterColor(TColor value) { StoreNow(waterColor_, value); }
    // Kept and configured for the editors; the picture does not use it.
    TColor GetBorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value) { StoreNow(borderColor_, value); }
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor value) { StoreNow(backColor_, value); }
    double GetMainW() const { return mainW_; }
    void SetMainW(double value) { StoreNow(mainW_, value); }
    double GetMainH() const { return mainH_; }
    void SetMainH(double value) { StoreNow(mainH_, value); }
    double GetBoxH() const { return boxH_; }
    void SetBoxH(double value) { StoreNow(boxH_, value); }
    double GetBottomH() const { return bottomH_; }
    void SetBottomH(double value) { StoreNow(bottomH_, value); }
    double GetBottomW() const { return bottomW_; }
    void SetBottomW(double value) { StoreNow(bottomW_, value); }
    double GetWaterLevel() const { return waterLevel_; }
    // Repaints at once the rows between the old and the new water line only.
    void SetWaterLevel(double value);
    // Published for the layouts; the picture does not use it.
    int GetStepsCount() const { return stepsCount_; }
    void SetStepsCount(int value) { StoreNow(stepsCount_, value); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value);

    // Keys, in this order: PenWidth, PenColor, PenStyle, BackColor, BorderColor,
    // WaterColor. A file that cannot be written throws IniFileError.
    bool SaveConfig() override;
    // The same keys, each through its setter; missing keys keep the property.
    bool LoadConfig(const QString& section = QString()) override;

    // The picture in pixels, computed before anything is drawn, so that a
    // geometry that cannot be drawn (BoxH or MainW zero) ends the paint without
    // touching the picture.
    // Boxes are (left, top) - (right, bottom) as the canvas takes them.
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    struct Geometry {
        int pw = 1;        // outline width, at least 1
        bool full = false; // the water reaches the top of the body
        Box body;          // outline of the body (drawn only when not full)
        Box water;         // water: no outline, or the outlined full body
        QPolygon funnel;
        Box outlet;
    };
    static Geometry Compute(int w, int h, double mainW, double mainH, double boxH, double bottomH,
                            double bottomW, double waterLevel, int penWidth);

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    // Compare, store and repaint at once (the sump is redrawn as soon as the
    // scheme sets a new level or colour).
    template <class T, class V> void StoreNow(T& member, const V& value) {
        if (member == value)
            return;
        member = value;
        SetRedrawNeeded(true);
        RepaintNow(this);
    }
    void Draw(QPainter& p, bool fillBackground);

    TColor waterColor_ = clAqua;
    TColor borderColor_ = clYellow;
    TColor backColor_ = clBlack;
    double mainW_ = 3;
    double mainH_ = 5;
    double boxH_ = 6;
    double bottomH_ = 0.5;
    double bottomW_ = 1;
    double waterLevel_ = 3;
    int stepsCount_ = 0;
    TPen* pen_;
    bool transparent_ = false;
};
