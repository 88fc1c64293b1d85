#include "Arrow.h"

#include "Layout.h"
#include "Log.h"
#include "NumText.h"
#include "Tamrixutil.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A line of the classic canvas: integer end points on pixel centres, the pen as
// the canvas draws it (one pixel for widths up to 1, round ends for wider ones).
void CanvasLine(QPainter& p, QPoint a, QPoint b, TColor color, int width) {
    TPen pen;
    pen.SetColor(color);
    pen.SetWidth(width);
    p.setPen(pen.ToQPen());
    p.drawLine(QPointF(a) + QPointF(0.5, 0.5), QPointF(b) + QPointF(0.5, 0.5));
}

// Half length of the line of a w x h arrow.
double HalfLength(int w, int h) {
    return std::max(w, h) * 0.5 - 1;
}

} // namespace

ORDAL_REGISTER_CLASS(TArrow)

TArrowGeometry ArrowGeometry(int w, int h, double angle, int edgeLength, int edgeAngle) {
    TArrowGeometry g;
    g.R = HalfLength(w, h);
    const int cx = w / 2, cy = h / 2;
    const double t = angle * kDegToRad;
    const int edge = std::max(0, edgeLength);
    g.P1 = QPoint(RoundPx(cx + g.R * std::cos(t + kPi)), RoundPx(cy - g.R * std::sin(t + kPi)));
    g.P2 = QPoint(RoundPx(cx + (g.R - edge) * std::cos(t)), RoundPx(cy - (g.R - edge) * std::sin(t)));
    if (edge > 0) {
        g.Tip = QPoint(RoundPx(cx + g.R * std::cos(t)), RoundPx(cy - g.R * std::sin(t)));
        g.HalfBase = std::tan(edgeAngle * kPi / 360.0) * edge;
        const double phi = t - kPi / 2;
        const double dx = g.HalfBase * std::cos(phi), dy = g.HalfBase * std::sin(phi);
        g.Base1 = QPoint(RoundPx(g.P2.x() + dx), RoundPx(g.P2.y() - dy));
        g.Base2 = QPoint(RoundPx(g.P2.x() - dx), RoundPx(g.P2.y() + dy));
    } else {
        g.Tip = g.Base1 = g.Base2 = g.P2;
    }
    return g;
}

TArrow::TArrow(QWidget* owner)
    : TGraphicElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")),
      ownList_(new TStringList(this)), list_(ownList_) {
    resize(50, 50);
}

TStringList* TArrow::BubbleList() const {
    return list_ ? list_.data() : ownList_;
}

void TArrow::SetBubbleList(TStringList* value) {
    list_ = value ? value : ownList_;
}

double TArrow::Position(int i) const {
    const QString& text = (*BubbleList())[i];
    const std::optional<double> v = StrToFloatOpt(text);
    if (!v)
        throw EBubbleListError(QStringLiteral("Позиция пузырька \"%1\" в %2 не является числом")
                                   .arg(text, objectName())
                                   .toStdString());
    return *v;
}

void TArrow::Paint(QPainter& canvas) {
    // A negative arrowhead length means none, and stays so.
    if (edgeLength_ < 0)
        edgeLength_ = 0;
    const TArrowGeometry g = ArrowGeometry(width(), height(), angle_, edgeLength_, edgeAngle_);
    r_ = g.R;
    // The bubbles run along the shaft; without a shaft they have no direction.
    const double dx = g.P2.x() - g.P1.x(), dy = g.P2.y() - g.P1.y();
    const double len = std::hypot(dx, dy);
    if (len == 0)
        throw EDrawError("arrow without length");
    const double ux = dx / len, uy = dy / len;

    CanvasLine(canvas, g.P1, g.P2, color_, arrowWidth_);

    const TStringList& list = *BubbleList();
    for (int i = 0; i < list.Count(); ++i) {
        const double s = Position(i);
        const QPoint from(TruncPx(g.P1.x() + s * ux), TruncPx(g.P1.y() + s * uy));
        const QPoint to(TruncPx(g.P1.x() + (s + bubbleLen_) * ux), TruncPx(g.P1.y() + (s + bubbleLen_) * uy));
        CanvasLine(canvas, from, to, bubbleColor_, arrowWidth_);
    }

    if (edgeLength_ > 0) {
        const QColor c = ColorToQColor(color_);
        canvas.setPen(QPen(c, 1));
        canvas.setBrush(c);
        const QPointF half(0.5, 0.5);
        const QPointF head[3] = {QPointF(g.Tip) + half, QPointF(g.Base1) + half, QPointF(g.Base2) + half};
        canvas.drawPolygon(head, 3);
    }
}

void TArrow::BubbleStep(bool chained) {
    // In a ring of arrows the step comes back to an arrow that is already
    // stepping: each arrow moves once.
    if (stepping_)
        return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(stepping_);

    TArrow* next = next_.data();
    if (next) {
        next->bubbleLen_ = bubbleLen_;
        next->bubbleSpeed_ = bubbleSpeed_;
        next->bubbleInterval_ = bubbleInterval_;
        next->bubbleColor_ = bubbleColor_;
        next->BubbleStep(true);
    }

    // The length follows the current bounds, so an arrow that has not been
    // painted yet (hidden, or just resized) still carries bubbles its full length.
    r_ = HalfLength(width(), height());
    const double L = 2 * r_;
    const double limit = L - bubbleLen_;
    TStringList& list = *BubbleList();

    if (list.Count() == 0) {
        if (bubbleSource_ && !chained)
            list.Add(QString::number(1 - bubbleLen_));
        return;
    }

    const int n = list.Count(); // bubbles handed round a ring move on the next step
    for (int i = 0; i < n; ++i) {
        double p = Position(i) + bubbleSpeed_;
        if (p > limit && p == std::trunc(p) && next) {
            next->BubbleList()->Add(FloatToStr(p - L));
            // The fraction marks the bubble as handed over.
            p += 0.1;
        }
        list.Set(i, FloatToStr(p));
    }
    for (int i = 0; i < list.Count();) {
        if (Position(i) > L)
            list.Delete(i);
        else
            ++i;
    }
    // A source adds no bubble beyond one for every pixel of the arrow's
    // length: more cannot be told apart, and a bubble that hardly moves
    // (BubbleSpeed near 0) under a negative BubbleInterval would add one at
    // every step, for ever, each one drawn at every paint.
    const double most = std::min(L, double(kMaxElementExtent) * 2) + 2;
    if (bubbleSource_ && !chained && list.Count() > 0 && list.Count() < most &&
        bubbleInterval_ < Position(list.Count() - 1))
        list.Add(QString::number(-bubbleLen_));
    RepaintNow(this);
}

bool TArrow::SaveConfig() {
    saveError_.clear();
    try {
        IniFile ini = ConfigFile();
        ini.Begin(); // the look reaches the file whole or not at all
        const QString section = objectName();
        ini.WriteInteger(section, QStringLiteral("ArrowWidth"), arrowWidth_);
        ini.WriteInteger(section, QStringLiteral("Color"), color_);
        ini.WriteInteger(section, QStringLiteral("EdgeLength"), edgeLength_);
        ini.WriteInteger(section, QStringLiteral("EdgeAngle"), edgeAngle_);
        ini.Commit();
        return true;
    } catch (...) {
        saveError_ = CurrentExceptionText();
        qCWarning(lcOrdal) << "TArrow::SaveConfig" << objectName() << saveError_;
        return false;
    }
}

bool TArrow::LoadConfig(const QString& section) {
    try {
        const IniFile ini = ConfigFile();
        const QString s = SectionFor(section, this);
        SetArrowWidth(ini.ReadInteger(s, QStringLiteral("ArrowWidth"), arrowWidth_));
        SetColor(ReadColor(ini, s, QStringLiteral("Color"), color_));
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "TArrow::LoadConfig" << objectName() << CurrentExceptionText();
        return false;
    }
}
