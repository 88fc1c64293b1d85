#pragma once
// TArrow, a straight pipe or flow line through the centre of its bounds at any
// angle, optionally ending in a filled arrowhead. Arrows can be chained
// (NextArrow) to carry "bubbles", short bright dashes that move along the chain
// and show the flow; the owner steps a chain from its source arrow once per tick.
//
// A graphic element: geometry and colour setters repaint at once, the bubble
// parameters only store. Width and colour are its look in the INI file
// ConfigName under the element's Name.

#include "ElementBase.h"

#include <QPointer>
#include <stdexcept>

// A bubble position that is not a number.
class EBubbleListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the arrow of a w x h element lies (see TArrow::Paint).
struct TArrowGeometry {
    double R = 0;   // half length: max(w, h) / 2 - 1
    QPoint P1;      // tail
    QPoint P2;      // end of the shaft, base of the arrowhead
    QPoint Tip;     // point of the arrowhead
    QPoint Base1;   // the two other corners of the arrowhead
    QPoint Base2;
    double HalfBase = 0; // half width of the arrowhead's base
};
// edgeLength below 0 counts as 0. Throws EDrawError for coordinates that are
// not numbers or do not fit the canvas.
TArrowGeometry ArrowGeometry(int w, int h, double angle, int edgeLength, int edgeAngle);

class TArrow : public TGraphicElement, public TConfigurable {
    Q_OBJECT
    Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
    Q_PROPERTY(double Angle READ GetAngle WRITE SetAngle)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(int ArrowWidth READ GetArrowWidth WRITE SetArrowWidth)
    Q_PROPERTY(int EdgeLength READ GetEdgeLength WRITE SetEdgeLength)
    Q_PROPERTY(int EdgeAngle READ GetEdgeAngle WRITE SetEdgeAngle)
    Q_PROPERTY(int BubbleLen READ GetBubbleLen WRITE SetBubbleLen)
    Q_PROPERTY(double BubbleSpeed READ GetBubbleSpeed WRITE SetBubbleSpeed)
    Q_PROPERTY(int BubbleInterval READ GetBubbleInterval WRITE SetBubbleInterval)
    Q_PROPERTY(TColor BubbleColor READ GetBubbleColor WRITE SetBubbleColor)
    Q_PROPERTY(TStringList* BubbleList READ BubbleList WRITE SetBubbleList)
    Q_PROPERTY(TArrow* NextArrow READ GetNextArrow WRITE SetNextArrow)
    Q_PROPERTY(bool BubbleSource READ GetBubbleSource WRITE SetBubbleSource)
public:
    explicit TArrow(QWidget* owner = nullptr);

    double GetAngle() const { return angle_; }
    void SetAngle(double value) { Store(angle_, value); }
    TColor GetColor() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    int GetArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int value) { Store(arrowWidth_, value); }
    int GetEdgeLength() const { return edgeLength_; }
    void SetEdgeLength(int value) { Store(edgeLength_, value); }
    int GetEdgeAngle() const { return edgeAngle_; }
    void SetEdgeAngle(int value) { Store(edgeAngle_, value); }

    // The bubble parameters take effect with the next step or paint.
    int GetBubbleLen() const { return bubbleLen_; }
    void SetBubbleLen(int value) { bubbleLen_ = value; }
    double GetBubbleSpeed() const { return bubbleSpeed_; }
    void SetBubbleSpeed(double value) { bubbleSpeed_ = value; }
    int GetBubbleInterval() const { return bubbleInterval_; }
    void SetBubbleInterval(int value) { bubbleInterval_ = value; }
    TColor GetBubbleColor() const { return bubbleColor_; }
    void SetBubbleColor(TColor value) { bubbleColor_ = value; }
    bool GetBubbleSource() const { return bubbleSource_; }
    void SetBubbleSource(bool value) { bubbleSource_ = value; }
    // Not owned. An arrow that is destroyed drops out of the chain.
    TArrow* GetNextArrow() const { return next_.data(); }
    void SetNextArrow(TArrow* value) { next_ = value; }

    // Bubble positions along the line, in pixels from the tail, one per line as
    // decimal text. Changing the list does not repaint: the next step does.
    TStringList* BubbleList() const;
    // Uses the given list itself (no copy), e.g. one shared with other code. The
    // arrow goes back to its own list when given nullptr or when that list is
    // destroyed.
    void SetBubbleList(TStringList* value);

    // One step of the bubbles of this arrow and of every arrow after it; the
    // arrows downstream move first. An owner calls it with chained = false on the
    // source arrow once per tick. A ring of arrows steps each arrow once.
    // Throws EBubbleListError at a position that is not a number.
    void BubbleStep(bool chained = false);

    // Half length of the line as the last paint or step found it (0 before).
    double R() const { return r_; }

    // Keys ArrowWidth, Color, EdgeLength, EdgeAngle. False when the file cannot
    // be written.
    bool SaveConfig() override;
    // Width and colour only, so taking over another arrow's look never changes
    // an arrowhead.
    bool LoadConfig(const QString& section = QString()) override;

protected:
    void Paint(QPainter& canvas) override;

private:
    double Position(int i) const;

    double angle_ = 0;
    TColor color_ = clRed;
    int arrowWidth_ = 3;
    int edgeLength_ = 5;
    int edgeAngle_ = 60;
    int bubbleLen_ = 3;
    double bubbleSpeed_ = 2.0;
    int bubbleInterval_ = 5;
    TColor bubbleColor_ = clWhite;
    bool bubbleSource_ = false;
    TStringList* ownList_;
    QPointer<TStringList> list_;
    QPointer<TArrow> next_;
    double r_ = 0;
    bool stepping_ = false;
};
