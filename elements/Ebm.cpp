#include "Ebm.h"

#include "Layout.h"
#include "NumText.h"
#include "Platform.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
const char* const kDefaultStator[] = {"10; 25", "10; 80", "20; 80", "20; 60", "40; 99", "70; 99", "90; 60",
                                      "99; 60", "99; 20", "90; 20", "90; 40", "20; 40", "20; 25"};

// A box (cx - r, cy - r) - (cx + r, cy + r) in canvas coordinates.
QRect CircleBox(double cx, double cy, double r) {
    QRect box;
    box.setCoords(TruncPx(cx - r), TruncPx(cy - r), TruncPx(cx + r), TruncPx(cy + r));
    return box;
}
} // namespace

ORDAL_REGISTER_CLASS(TEBM)

TEBM::TEBM(QWidget* owner)
    : TPanelElement(owner), rotorPen_(OwnStyle<TPen>(this)), rotorBrush_(OwnStyle<TBrush>(this)),
      statorPen_(OwnStyle<TPen>(this)), statorBrush_(OwnStyle<TBrush>(this)),
      statorPoints_(OwnStyle<TStringList>(this)) {
    rotorPen_->SetColor(clMaroon);
    rotorBrush_->SetColor(clYellow);
    statorPen_->SetColor(clRed);
    statorBrush_->SetColor(clBlue);
    QStringList lines;
    for (const char* line : kDefaultStator)
        lines << QString::fromLatin1(line);
    // Parsed at once (through StyleChanged), so a new element shows its housing.
    statorPoints_->SetStrings(lines);
    resize(185, 41);
}

void TEBM::SetRotorPen(const TPen* value) {
    if (value && value != rotorPen_)
        rotorPen_->Assign(*value); // a real change reaches StyleChanged
}
void TEBM::SetRotorBrush(const TBrush* value) {
    if (value && value != rotorBrush_)
        rotorBrush_->Assign(*value);
}
void TEBM::SetStatorPen(const TPen* value) {
    if (value && value != statorPen_)
        statorPen_->Assign(*value);
}
void TEBM::SetStatorBrush(const TBrush* value) {
    if (value && value != statorBrush_)
        statorBrush_->Assign(*value);
}
void TEBM::SetStatorPoints(const TStringList* value) {
    if (value && value != statorPoints_)
        statorPoints_->Assign(*value);
}

void TEBM::SetXFlip(bool value) {
    if (xFlip_ == value)
        return;
    xFlip_ = value;
    RefrshPointList(); // the corners are stored mirrored
    UpdateChanges();
}

void TEBM::SetBladeAngle(int value) {
    if (bladeAngle_ == value)
        return;
    // The turning rotor changes the pixels of its spokes only: the disc and the
    // hub lie under them, the housing and the background around them.
    QRect part;
    try {
        for (const QLine& l : Compute().spokes)
            part |= QRect(l.p1(), l.p2()).normalized();
        bladeAngle_ = value;
        for (const QLine& l : Compute().spokes)
            part |= QRect(l.p1(), l.p2()).normalized();
    } catch (const EDrawError&) {
        bladeAngle_ = value;
        part = QRect();
    }
    const int m = rotorPen_->GetWidth() + 2;
    if (part.isValid())
        Invalidate(part.adjusted(-m, -m, m, m));
    else
        Invalidate();
}

void TEBM::StyleChanged(QObject* sender) {
    // Only a new corner list is parsed again. Pens and brushes change from the
    // scheme's timer (state colours), and a faulty list must not put a message
    // box in front of the operator on every such tick.
    if (sender == statorPoints_)
        RefrshPointList();
    UpdateChanges();
}

void TEBM::RefrshPointList() {
    const QStringList& lines = statorPoints_->Strings();
    if (lines.size() <= 2) {
        pointCount_ = 0;
        return;
    }
    if (lines.size() > kMaxPoints) {
        ShowError(QStringLiteral("Слишком большое количество точек!"));
        return;
    }
    // All lines or nothing: a faulty line keeps the whole previous housing.
    std::array<double, kMaxPoints> xs{}, ys{};
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype sep = line.indexOf(QLatin1Char(';'));
        const std::optional<double> x = sep > 0 ? StrToFloatOpt(line.left(sep)) : std::nullopt;
        const std::optional<double> y = sep > 0 ? StrToFloatOpt(line.mid(sep + 1)) : std::nullopt;
        if (!x || !y) {
            ShowError(QStringLiteral("Правильно указываете координаты точек.\n\r"));
            return;
        }
        xs[i] = xFlip_ ? 100 - *x : *x;
        ys[i] = *y;
    }
    cornerX_ = xs;
    cornerY_ = ys;
    pointCount_ = int(lines.size());
}

double TEBM::CalcVal(double percent) const {
    return percent * std::min(width(), height()) * 0.01;
}

TEBM::Geometry TEBM::Compute() const {
    const int W = width(), H = height();
    Geometry g;
    if (pointCount_ > 2)
        for (int i = 0; i < pointCount_; ++i)
            g.housing << QPoint(TruncPx(W * cornerX_[i] * 0.01), TruncPx(H * cornerY_[i] * 0.01));

    const double cy = double(qint64(rotorYC_) * H) * 0.01;
    double cx = double(qint64(rotorXC_) * W) * 0.01;
    if (xFlip_)
        cx = W - cx;
    const double R = CalcVal(rotorR_);
    if (R > 0)
        g.disc = CircleBox(cx, cy, R);
    const double r1 = CalcVal(intR_);
    if (intR_ > 0)
        g.hub = CircleBox(cx, cy, r1);
    if (bladeCount_ > 0) {
        const int n = std::min(bladeCount_, kMaxDrawnBlades);
        const double step = 2 * std::numbers::pi / n;
        double phi = bladeAngle_ * kDegToRad;
        for (int i = 0; i < n; ++i, phi += step) {
            const double c = std::cos(phi), s = std::sin(phi);
            g.spokes << QLine(TruncPx(cx + r1 * c), TruncPx(cy + r1 * s), TruncPx(cx + R * c),
                              TruncPx(cy + R * s));
        }
    }
    return g;
}

void TEBM::DrawPicture(QPainter& p) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the old picture
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width(), height(), ColorToQColor(backColor_));
    if (!g.housing.isEmpty()) {
        p.setPen(statorPen_->ToQPen());
        p.setBrush(statorBrush_->ToQBrush());
        p.drawPolygon(g.housing);
    }
    for (const std::optional<QRect>& box : {g.disc, g.hub})
        if (box)
            CanvasEllipse(p, box->left(), box->top(), box->right(), box->bottom(), *rotorPen_, *rotorBrush_);
    if (!g.spokes.isEmpty()) {
        p.setPen(rotorPen_->ToQPen());
        p.drawLines(g.spokes);
    }
}
