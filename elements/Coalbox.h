#pragma once
// TCoalBox, the heavy-medium bath separator: a feed ramp with two hoppers under
// it and a feed chute, the bath, the elevating wheel with its spokes dipping into
// the bath, and the discharge column above the bath in which horizontal lines
// rise while the plant runs (NextFrame).
//
// The figure lives in virtual units (virtW x virtH) that scale separately on the
// two axes to the element's size. It is drawn into an off-screen picture that is
// copied in one piece; the picture is kept between paints, so with Transparent
// set whatever earlier frames drew stays under the new one.
//
// A graphic element without configuration keys. Which setters repaint at once,
// which ask for a later repaint and which only store is part of each setter's
// comment; the ramp's values are checked by CheckPlusVal first.

#include "ElementBase.h"

class TCoalBox : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(double virtH READ GetvirtH WRITE SetvirtH)
    Q_PROPERTY(double virtW READ GetvirtW WRITE SetvirtW)
    Q_PROPERTY(double PandusX1 READ GetPandusX1 WRITE SetPandusX1)
    Q_PROPERTY(double PandusY1 READ GetPandusY1 WRITE SetPandusY1)
    Q_PROPERTY(double PandusX2 READ GetPandusX2 WRITE SetPandusX2)
    Q_PROPERTY(double PandusY2 READ GetPandusY2 WRITE SetPandusY2)
    Q_PROPERTY(TPen* PandusPen READ PandusPen WRITE SetPandusPen)
    Q_PROPERTY(TBrush* PandusBrush READ PandusBrush WRITE SetPandusBrush)
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(double PandusH1 READ GetPandusH1 WRITE SetPandusH1)
    Q_PROPERTY(double PandusH2 READ GetPandusH2 WRITE SetPandusH2)
    Q_PROPERTY(double PandusX3 READ GetPandusX3 WRITE SetPandusX3)
    Q_PROPERTY(double PandusY3 READ GetPandusY3 WRITE SetPandusY3)
    Q_PROPERTY(double BoxX1 READ GetBoxX1 WRITE SetBoxX1)
    Q_PROPERTY(double BoxY1 READ GetBoxY1 WRITE SetBoxY1)
    Q_PROPERTY(double BoxX2 READ GetBoxX2 WRITE SetBoxX2)
    Q_PROPERTY(double BoxY2 READ GetBoxY2 WRITE SetBoxY2)
    Q_PROPERTY(double BoxX3 READ GetBoxX3 WRITE SetBoxX3)
    Q_PROPERTY(double BoxY3 READ GetBoxY3 WRITE SetBoxY3)
    Q_PROPERTY(TPen* BoxPen READ BoxPen WRITE SetBoxPen)
    Q_PROPERTY(TBrush* BoxBrush READ BoxBrush WRITE SetBoxBrush)
    Q_PROPERTY(double RBoxX1 READ GetRBoxX1 WRITE SetRBoxX1)
    Q_PROPERTY(double RBoxX2 READ GetRBoxX2 WRITE SetRBoxX2)
    Q_PROPERTY(TBrush* RBoxBrush READ RBoxBrush WRITE SetRBoxBrush)
    Q_PROPERTY(TPen* RBoxPen READ RBoxPen WRITE SetRBoxPen)
    Q_PROPERTY(double Center3X READ GetCenter3X WRITE SetCenter3X)
    Q_PROPERTY(double Center3Y READ GetCenter3Y WRITE SetCenter3Y)
    Q_PROPERTY(TPen* C3Pen READ C3Pen WRITE SetC3Pen)
    Q_PROPERTY(TBrush* C3Brush READ C3Brush WRITE SetC3Brush)
    Q_PROPERTY(double Center3R READ GetCenter3R WRITE SetCenter3R)
    Q_PROPERTY(int FrameNumber READ GetFrameNumber WRITE SetFrameNumber)
    Q_PROPERTY(bool show_baldes READ Getshow_baldes WRITE Setshow_baldes)
    Q_PROPERTY(int blade_count READ Getblade_count WRITE Setblade_count)
    Q_PROPERTY(TPen* blade_pen READ blade_pen WRITE Setblade_pen)
    Q_PROPERTY(double blade_angle READ Getblade_angle WRITE Setblade_angle)
public:
    explicit TCoalBox(QWidget* owner = nullptr);

    // Size of the virtual plane and the ramp: checked by CheckPlusVal; a new
    // value repaints at once.
    double GetvirtH() const { return virtH_; }
    void SetvirtH(double value) { SetChecked(virtH_, value); }
    double GetvirtW() const { return virtW_; }
    void SetvirtW(double value) { SetChecked(virtW_, value); }
    double GetPandusX1() const { return pandusX1_; }
    void SetPandusX1(double value) { SetChecked(pandusX1_, value); }
    double GetPandusY1() const { return pandusY1_; }
    void SetPandusY1(double value) { SetChecked(pandusY1_, value); }
    double GetPandusX2() const { return pandusX2_; }
    void SetPandusX2(double value) { SetChecked(pandusX2_, value); }
    double GetPandusY2() const { return pandusY2_; }
    void SetPandusY2(double value) { SetChecked(pandusY2_, value); }
    // Thickness of the ramp band and depth of the hoppers.
    double GetPandusH1() const { return pandusH1_; }
    void SetPandusH1(double value) { SetChecked(pandusH1_, value); }
    double GetPandusH2() const { return pandusH2_; }
    void SetPandusH2(double value) { SetChecked(pandusH2_, value); }
    // Third corner of the feed chute.
    double GetPandusX3() const { return pandusX3_; }
    void SetPandusX3(double value) { SetChecked(pandusX3_, value); }
    double GetPandusY3() const { return pandusY3_; }
    void SetPandusY3(double value) { SetChecked(pandusY3_, value); }

    // The bath and the wheel: stored only; they show with the next paint.
    double GetBoxX1() const { return boxX1_; }
    void SetBoxX1(double value) { boxX1_ = value; }
    // Also the water line and the bottom of the discharge column.
    double GetBoxY1() const { return boxY1_; }
    void SetBoxY1(double value) { boxY1_ = value; }
    double GetBoxX2() const { return boxX2_; }
    void SetBoxX2(double value) { boxX2_ = value; }
    double GetBoxY2() const { return boxY2_; }
    void SetBoxY2(double value) { boxY2_ = value; }
    double GetBoxX3() const { return boxX3_; }
    void SetBoxX3(double value) { boxX3_ = value; }
    double GetBoxY3() const { return boxY3_; }
    void SetBoxY3(double value) { boxY3_ = value; }
    double GetCenter3X() const { return center3X_; }
    void SetCenter3X(double value) { center3X_ = value; }
    double GetCenter3Y() const { return center3Y_; }
    void SetCenter3Y(double value) { center3Y_ = value; }
    double GetCenter3R() const { return center3R_; }
    void SetCenter3R(double value) { center3R_ = value; }

    // Edges of the discharge column and the background switch: repaint at once.
    double GetRBoxX1() const { return rBoxX1_; }
    void SetRBoxX1(double value) { Store(rBoxX1_, value); }
    double GetRBoxX2() const { return rBoxX2_; }
    void SetRBoxX2(double value) { Store(rBoxX2_, value); }
    // False: the picture is filled with Brush before drawing.
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value) { Store(transparent_, value); }

    // Pens and brushes: the settings are copied; a change repaints at once.
    TPen* PandusPen() const { return pandusPen_; }
    void SetPandusPen(const TPen* value) { AssignNow(pandusPen_, value); }
    TBrush* PandusBrush() const { return pandusBrush_; }
    void SetPandusBrush(const TBrush* value) { AssignNow(pandusBrush_, value); }
    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value) { AssignNow(brush_, value); }
    TPen* BoxPen() const { return boxPen_; }
    void SetBoxPen(const TPen* value) { AssignNow(boxPen_, value); }
    TBrush* BoxBrush() const { return boxBrush_; }
    void SetBoxBrush(const TBrush* value) { AssignNow(boxBrush_, value); }
    // Kept with the others; the column's frame takes the wheel's brush.
    TBrush* RBoxBrush() const { return rBoxBrush_; }
    void SetRBoxBrush(const TBrush* value) { AssignNow(rBoxBrush_, value); }
    TPen* RBoxPen() const { return rBoxPen_; }
    void SetRBoxPen(const TPen* value) { AssignNow(rBoxPen_, value); }
    TPen* C3Pen() const { return c3Pen_; }
    void SetC3Pen(const TPen* value) { AssignNow(c3Pen_, value); }
    TBrush* C3Brush() const { return c3Brush_; }
    void SetC3Brush(const TBrush* value) { AssignNow(c3Brush_, value); }

    // Phase of the rising lines, 0 to 17: a larger value is taken modulo 18, a
    // negative one as it is. Repaints at once.
    int GetFrameNumber() const { return frameNumber_; }
    void SetFrameNumber(int value);
    // The next phase (after 17 comes 0), repainted at once.
    void NextFrame();
    // The phases, in degrees, of the lines the discharge column shows for a
    // frame number: the number, then every 18 degrees on, below 90.
    static QList<int> RisingPhases(int frameNumber);

    // The spokes of the wheel: a change asks for a later repaint.
    bool Getshow_baldes() const { return showBlades_; }
    void Setshow_baldes(bool value) { StoreLater(showBlades_, value); }
    int Getblade_count() const { return bladeCount_; }
    void Setblade_count(int value) { StoreLater(bladeCount_, value); }
    // Degrees, counter-clockwise from the positive x axis. Asks for a later
    // repaint of the wheel.
    double Getblade_angle() const { return bladeAngle_; }
    void Setblade_angle(double value);
    TPen* blade_pen() const { return bladePen_; }
    void Setblade_pen(const TPen* value);

    // True when value is rejected: zero, negative or not a finite number. The
    // operator is told so in a warning box.
    static bool CheckPlusVal(double value);
    // Pixel coordinates of virtual ones, not truncated.
    double RecalcX(double x) const { return x * (width() / virtW_); }
    double RecalcY(double y) const { return y * (height() / virtH_); }

    // The off-screen picture as the last paint left it. A paint draws the
    // figure into it where the paint shows the element; a change asks for a
    // repaint of the part it touches (NextFrame the discharge column, the blade
    // angle the wheel), so the rest of the picture stays as it is.
    const QImage& Picture() const { return picture_; }
    // The parts the animation touches, in pixels, with room for the pens; the
    // whole element when the geometry does not fit the pixel grid.
    QRect WheelBox() const;
    QRect ColumnStrip() const;

public Q_SLOTS:
    // The owned pens and brushes ask for a later repaint.
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    void SetChecked(double& member, double value);
    template <class T> void StoreLater(T& member, T value) {
        if (member == value)
            return;
        member = value;
        update();
    }
    template <class S> void AssignNow(S* own, const S* value) {
        if (!value || own->SameAs(*value))
            return;
        own->Assign(*value);
        RepaintNow(this);
    }
    void Draw(QPainter& p);

    QImage picture_;
    double virtH_ = 100;
    double virtW_ = 210;
    double pandusX1_ = 5, pandusY1_ = 80;
    double pandusX2_ = 115, pandusY2_ = 50;
    TPen* pandusPen_;
    TBrush* pandusBrush_;
    TBrush* brush_;
    bool transparent_ = true;
    double pandusH1_ = 5;
    double pandusH2_ = 20;
    double pandusX3_ = 130, pandusY3_ = 65;
    double boxX1_ = 150, boxY1_ = 40;
    double boxX2_ = 150, boxY2_ = 60;
    double boxX3_ = 180, boxY3_ = 80;
    TPen* boxPen_;
    TBrush* boxBrush_;
    double rBoxX1_ = 185, rBoxX2_ = 205;
    TBrush* rBoxBrush_;
    TPen* rBoxPen_;
    double center3X_ = 165, center3Y_ = 35;
    TPen* c3Pen_;
    TBrush* c3Brush_;
    double center3R_ = 12;
    int frameNumber_ = 0;
    bool showBlades_ = false;
    int bladeCount_ = 8;
    TPen* bladePen_;
    double bladeAngle_ = 0;
};
