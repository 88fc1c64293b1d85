#pragma once
// TPoligon, a filled polygon whose corners are text lines "x; y" in percent of
// the element's width and height, so that the outline scales with the element
// (hoppers, chutes, walls of a scheme; the polygon editor's preview).
//
// A graphic element: it draws on its parent inside its bounds and repaints at
// once. Every change re-reads the point list; a list that cannot be read is
// reported to the operator and the last good corners stay in use. Pen and brush
// colour live in the INI file ConfigName under the element's Name; the point
// list is not kept there.

#include "ElementBase.h"

#include <QPointF>
#include <QPolygon>
#include <QVector>
#include <optional>

class TPoligon : public TGraphicElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
    Q_PROPERTY(TStringList* PointList READ PointList WRITE SetPointList)
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(bool XFlip READ GetXFlip WRITE SetXFlip)
public:
    static constexpr int kMaxPoints = 100;

    explicit TPoligon(QWidget* owner = nullptr);

    TBrush* Brush() const { return brush_; }
    void SetBrush(const TBrush* value);
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* value);
    TStringList* PointList() const { return pointList_; }
    // Copies the lines; the list's change notification re-reads them.
    void SetPointList(const TStringList* value);
    bool GetXFlip() const { return xFlip_; }
    void SetXFlip(bool value);

    // Rebuilds the corner table from PointList. Two lines or fewer: no corners
    // (nothing is drawn). More than kMaxPoints lines, or a line that is not
    // "x; y" with two numbers: a message box, and the corner table stays as it
    // was before this call.
    void RefrshPointList();
    // The corners in percent (x already mirrored when XFlip); empty when nothing is drawn.
    const QVector<QPointF>& Corners() const { return corners_; }
    // The corners in pixels of the element's present size: Width * x * 0.01 and
    // Height * y * 0.01, truncated toward zero.
    QPolygon ScreenCorners() const;

    // Keys, in this order: PenWidth, PenColor, PenStyle, BrushColor. Both return
    // false when the file cannot be written or read.
    bool SaveConfig() override;
    bool LoadConfig(const QString& section = QString()) override;

    // One corner line: the text before the first ";" (at least one character)
    // and the text after it, each a number in the workstation's decimal format
    // with blanks around it allowed.
    static std::optional<QPointF> ParsePoint(const QString& line);

public Q_SLOTS:
    // Re-reads the point list, then repaints at once.
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    TBrush* brush_;
    TPen* pen_;
    TStringList* pointList_;
    bool xFlip_ = false;
    QVector<QPointF> corners_;
};
