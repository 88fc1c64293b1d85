#pragma once
// TEBM, a machine made of a housing and a bladed rotor. The housing (stator) is a
// filled polygon whose corners are text lines "x; y" in percent of the element's
// width and height; the rotor is a filled disc with spokes that the scheme turns
// through BladeAngle. XFlip mirrors the housing and the rotor centre.
//
// A panel (it can hold child elements) with a cached off-screen picture that is
// redrawn only after a change and copied on every paint. A faulty corner list is
// reported to the operator and leaves the housing as it was.

#include "ElementBase.h"

#include <QLine>
#include <QList>
#include <QPolygon>
#include <array>
#include <optional>

class TEBM : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(int RotorR READ GetRotorR WRITE SetRotorR)
    Q_PROPERTY(TPen* RotorPen READ RotorPen WRITE SetRotorPen)
    Q_PROPERTY(TBrush* RotorBrush READ RotorBrush WRITE SetRotorBrush)
    Q_PROPERTY(int RotorYC READ GetRotorYC WRITE SetRotorYC)
    Q_PROPERTY(int RotorXC READ GetRotorXC WRITE SetRotorXC)
    Q_PROPERTY(TPen* StatorPen READ StatorPen WRITE SetStatorPen)
    Q_PROPERTY(TBrush* StatorBrush READ StatorBrush WRITE SetStatorBrush)
    Q_PROPERTY(TStringList* StatorPoints READ StatorPoints WRITE SetStatorPoints)
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
    Q_PROPERTY(int BladeCount READ GetBladeCount WRITE SetBladeCount)
    Q_PROPERTY(double IntR READ GetIntR WRITE SetIntR)
    Q_PROPERTY(int BladeAngle READ GetBladeAngle WRITE SetBladeAngle)
public:
    static constexpr int kMaxPoints = 100;
    // More spokes than this cover the disc anyway; drawing them all would only
    // stall the window.
    static constexpr int kMaxDrawnBlades = 3600;

    explicit TEBM(QWidget* owner = nullptr);

    // Radius of the disc, percent of the smaller side.
    int GetRotorR() const { return rotorR_; }
    void SetRotorR(int value) { Store(rotorR_, value); }
    TPen* RotorPen() const { return rotorPen_; }
    void SetRotorPen(const TPen* value);
    TBrush* RotorBrush() const { return rotorBrush_; }
    void SetRotorBrush(const TBrush* value);
    // Rotor centre, percent of the height from the top and of the width from the left.
    int GetRotorYC() const { return rotorYC_; }
    void SetRotorYC(int value) { Store(rotorYC_, value); }
    int GetRotorXC() const { return rotorXC_; }
    void SetRotorXC(int value) { Store(rotorXC_, value); }
    TPen* StatorPen() const { return statorPen_; }
    void SetStatorPen(const TPen* value);
    TBrush* StatorBrush() const { return statorBrush_; }
    void SetStatorBrush(const TBrush* value);
    // One line per housing corner: x, ";", y (percent, the locale's decimal separator).
    TStringList* StatorPoints() const { return statorPoints_; }
    void SetStatorPoints(const TStringList* value);
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value);
    int GetBladeCount() const { return bladeCount_; }
    void SetBladeCount(int value) { Store(bladeCount_, value); }
    // Hub radius, percent of the smaller side; the spokes start there.
    double GetIntR() const { return intR_; }
    void SetIntR(double value) { Store(intR_, value); }
    // Angle of the first spoke, degrees, clockwise on the screen from the positive x axis.
    int GetBladeAngle() const { return bladeAngle_; }
    // Outdates only the part of the picture the spokes cover, before and after.
    void SetBladeAngle(int value);

    // Marks the picture as outdated and asks for a repaint.
    void UpdateChanges() { Invalidate(); }
    // Parses StatorPoints into the housing corners. 2 lines or fewer: no housing.
    // More than kMaxPoints lines, or a line that is not "number; number": a
    // message to the operator, and the housing stays as it was.
    void RefrshPointList();
    double CalcVal(double percent) const;

    // Parsed corners, percent (x already mirrored when XFlip).
    int PointCount() const { return pointCount_; }
    QPointF Corner(int i) const { return {cornerX_.at(i), cornerY_.at(i)}; }

    // The picture in pixels for the current size and properties. Throws
    // EDrawError for a geometry that does not fit the pixel grid.
    struct Geometry {
        QPolygon housing; // empty: no housing
        // Boxes (left, top) - (right, bottom) as the canvas takes them.
        std::optional<QRect> disc;
        std::optional<QRect> hub;
        QList<QLine> spokes;
    };
    Geometry Compute() const;

public Q_SLOTS:
    // Owned pens, brushes and the corner list report here.
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void DrawPicture(QPainter& p) override;

private:
    int pointCount_ = 0;
    std::array<double, kMaxPoints> cornerX_{};
    std::array<double, kMaxPoints> cornerY_{};
    int rotorR_ = 25;
    TPen* rotorPen_;
    TBrush* rotorBrush_;
    int rotorYC_ = 40;
    int rotorXC_ = 60;
    TPen* statorPen_;
    TBrush* statorBrush_;
    TStringList* statorPoints_;
    TColor backColor_ = clBlack;
    bool xFlip_ = false;
    int bladeCount_ = 0;
    double intR_ = 0;
    int bladeAngle_ = 0;
};
