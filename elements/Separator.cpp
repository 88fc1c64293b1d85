#include "Separator.h"

#include "Canvastools.h"
#include "Layout.h"
#include "NumText.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

ORDAL_REGISTER_CLASS(TSeparator)

// ---- TBallList ----

bool TBallList::AddBall(const TBall* ball) {
    if (!ball || balls_.size() >= kMaxBalls)
        return false;
    balls_.append(*ball);
    return true;
}

bool TBallList::DeleteBall(int i) {
    if (i < 0 || i >= balls_.size())
        return false;
    balls_.removeAt(i);
    return true;
}

namespace {

// Layouts are written with a point; the workstation's own separator is taken
// too, as everywhere else.
std::optional<double> Number(const QString& text) { return StoredStrToFloatOpt(text); }

} // namespace

TBall TBallList::ParseBall(const QString& line) {
    const QStringList fields = line.split(QLatin1Char(';'));
    auto fail = [&line] {
        return EBallListError(QStringLiteral("Частица \"%1\": ожидается \"x; y; слой; радиус; вид\" и, "
                                             "по желанию, \"; vx; vy; своя vx; своя vy\"")
                                  .arg(line)
                                  .toStdString());
    };
    if (fields.size() != 5 && fields.size() != 9)
        throw fail();
    double v[9] = {};
    for (int i = 0; i < fields.size(); ++i) {
        if (i == 4)
            continue;
        const std::optional<double> n = Number(fields.at(i));
        if (!n)
            throw fail();
        v[i] = *n;
    }
    const std::optional<std::int32_t> kind = StrToIntOpt(fields.at(4));
    if (!kind)
        throw fail();
    TBall b;
    b.x = v[0];
    b.y = v[1];
    b.layer = v[2];
    b.r = v[3];
    b.kind = *kind;
    b.vx = v[5];
    b.vy = v[6];
    b.ownVx = v[7];
    b.ownVy = v[8];
    return b;
}

QString TBallList::BallLine(const TBall& b) {
    const QChar point = QLatin1Char('.');
    const QString sep = QStringLiteral("; ");
    return FloatToStr(b.x, point) + sep + FloatToStr(b.y, point) + sep + FloatToStr(b.layer, point) + sep +
           FloatToStr(b.r, point) + sep + QString::number(b.kind) + sep + FloatToStr(b.vx, point) + sep +
           FloatToStr(b.vy, point) + sep + FloatToStr(b.ownVx, point) + sep + FloatToStr(b.ownVy, point);
}

void TBallList::SetBallList(const QStringList& lines) {
    if (lines.size() > kMaxBalls)
        throw EBallListError(QStringLiteral("Частиц больше, чем %1").arg(kMaxBalls).toStdString());
    QList<TBall> parsed;
    parsed.reserve(lines.size());
    for (const QString& line : lines)
        parsed.append(ParseBall(line));
    balls_ = parsed;
    ballList_ = lines;
    BallsReplaced();
}

// ---- TSeparator ----

namespace {

// The n of a relaxation: the factor truncated, and kept within int (a factor
// that is not a number relaxes at once, as n = 0 does).
int Factor(double k) {
    if (std::isnan(k))
        return 0;
    return int(std::clamp(std::trunc(k), double(INT_MIN), double(INT_MAX)));
}

} // namespace

TSeparator::TSeparator(QWidget* owner)
    : TPanelElement(owner), wallPen_(OwnStyle<TPen>(this)), gridPen_(OwnStyle<TPen>(this)) {
    SetColor(clBlack);
    resize(185, 41);
}

void TSeparator::SetWallPen(const TPen* value) {
    if (value && value != wallPen_)
        wallPen_->Assign(*value); // a real change reaches StyleChanged
}

void TSeparator::SetGridPen(const TPen* value) {
    if (value && value != gridPen_)
        gridPen_->Assign(*value);
}

void TSeparator::SetTransparent(bool value) {
    if (transparent_ == value)
        return;
    transparent_ = value;
    // Drawn straight onto the element: the parent shows where it draws nothing.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
}

double TSeparator::AverageVal(double v, double target, int n) {
    if (n > 0)
        return ((double(n) - 1) * v + target) / n;
    return target;
}

void TSeparator::CollisionControl(int i) {
    if (i < 0 || i >= balls_.size())
        return;
    const double kx = width() / 100.0, ky = height() / 100.0;
    for (int j = 0; j < balls_.size(); ++j) {
        if (j == i)
            continue;
        TBall& a = balls_[i];
        TBall& o = balls_[j];
        if (o.layer != a.layer)
            continue;
        const double dx = (o.x - a.x) * kx, dy = (o.y - a.y) * ky;
        const double d = std::hypot(dx, dy);
        const double reach = a.r + o.r;
        if (!(d < reach))
            continue;
        const double k = std::pow(o.r / a.r, 3);
        a.vx += (o.vx - a.vx) / 2 * k;
        a.vy += (o.vy - a.vy) / 2 * k;
        // Apart by half the overlap each, along the line between the centres.
        // Two particles on the very same spot have no such line: they part
        // sideways, as two a hair apart on a level line would.
        const double half = (reach - d) / 2;
        double sx = half, sy = 0;
        if (d > 0) {
            sx = dx * half / d;
            sy = dy * half / d;
        }
        a.x -= sx;
        a.y -= sy;
        o.x += sx;
        o.y += sy;
        o.vx += sx;
        o.vy += sy;
    }
}

bool TSeparator::NextStep() {
    const int nWater = Factor(waterK_), nOwn = Factor(ownK_);
    // Each particle that is here now moves once; particles that arrive during
    // the step (a chain that comes back to this bath) wait for the next one.
    qsizetype due = balls_.size();
    int i = 0;
    while (due-- > 0 && i < balls_.size()) {
        {
            TBall& b = balls_[i];
            if (!(b.x > bathWidth_ && b.y > gridHeight_)) {
                b.vx = AverageVal(b.vx, waterVx_, nWater);
                b.vy = AverageVal(b.vy, waterVy_, nWater);
            }
            b.vx = AverageVal(b.vx, b.ownVx, nOwn);
            b.vy = AverageVal(b.vy, b.ownVy, nOwn);
        }
        CollisionControl(i);
        TBall& b = balls_[i];
        b.x += speedK_ * b.vx;
        b.y += speedK_ * b.vy;

        // The left wall.
        if (b.x < b.r) {
            b.x = b.r;
            if (b.vx < 0)
                b.vx = -b.vx * 2 / 3;
        }
        const double face = 100 - backWallWidth_;
        if (b.x < bathWidth_ && b.y + b.r > gridHeight_ && b.vy > 0) {
            // On the grid: coal rebounds with half its speed, the rest with 1/1.3.
            b.vy = -b.vy / (b.kind == TBall::kCoal ? 2 : 1.3);
            b.y = gridHeight_ - b.r;
        } else if (b.y + b.r > backWallTop_ && b.x + b.r >= face) {
            if (!(b.y > backWallTop_)) {
                b.vy = -b.vy * 5 / 6;
                b.y = backWallTop_ - b.r;
                if (b.x - b.r < face)
                    b.vx = -b.vx;
            } else {
                b.vx = -b.vx;
                b.x = face - b.r;
            }
        }

        // A speed beyond any number leaves the particle nowhere: it is gone
        // (and never passed along a chain).
        bool gone = !std::isfinite(b.x) || !std::isfinite(b.y);
        if (!gone && b.y - b.r < 0) {
            if (b.kind == TBall::kBubble) {
                gone = true; // a bubble bursts at the surface
            } else {
                b.y = b.r;
                b.vy = 0;
            }
        }
        if (!gone && b.x > 100) {
            TBall passed = b;
            passed.x -= 100;
            balls_.removeAt(i);
            if (next_)
                next_->AddBall(&passed);
            continue;
        }
        if (b.y > 100)
            gone = true;
        if (gone)
            balls_.removeAt(i);
        else
            ++i;
    }
    UpdateChanges();
    return true;
}

QList<TBall> TSeparator::DefaultBalls() {
    QList<TBall> balls;
    // Coal floats in two rows near the surface, rock sinks from the middle of
    // the feed towards the grid, bubbles rise between them.
    for (int i = 0; i < 16; ++i) {
        TBall b;
        b.kind = TBall::kCoal;
        b.x = 6 + (i % 8) * 5.5;
        b.y = 4 + (i / 8) * 5;
        b.r = 5;
        b.vx = 2;
        b.ownVy = -1;
        balls << b;
    }
    for (int i = 0; i < 10; ++i) {
        TBall b;
        b.kind = TBall::kRock;
        b.x = 8 + (i % 5) * 8;
        b.y = 13 + (i / 5) * 3;
        b.r = 4;
        b.vx = 2;
        b.vy = 1;
        b.ownVy = 2;
        balls << b;
    }
    for (int i = 0; i < 8; ++i) {
        TBall b;
        b.kind = TBall::kBubble;
        b.x = 10 + i * 6;
        b.y = 10 + (i % 3) * 3;
        b.r = 2;
        b.layer = 1;
        b.vy = -1;
        b.ownVy = -3;
        balls << b;
    }
    return balls;
}

TSeparator::Geometry TSeparator::Compute() const {
    const double W = width(), H = height();
    const int w = width(), h = height();
    const int hp = wallPen_->GetWidth() / 2;
    const int bw = TruncPx(bathWidth_ * W / 100);
    const int bb = TruncPx(bathBottomWidth_ * bw / 100);
    const int yb = TruncPx(bathHeight_ * H / 100);
    const int ys = TruncPx((bathHeight_ - bathSubH_) * H / 100);
    const int yg = TruncPx(gridHeight_ * H / 100);
    const int yw = TruncPx(waterLevel_ * H / 100);
    const int slope = TruncPx((double(bw) - bb) / 2);

    Geometry g;
    g.vessel << QPoint(hp, hp) << QPoint(hp, ys) << QPoint(slope, yb)
             << QPoint(TruncPx(double(bw) - slope), yb) << QPoint(bw, ys) << QPoint(bw, yg)
             << QPoint(bw, h - hp) << QPoint(w - hp, h - hp) << QPoint(w - hp, hp);
    g.water = g.vessel;
    g.water[0].setY(yw);
    g.water[8].setY(yw);

    // At most one bar per pixel of the bath: with a pitch under a pixel the bar
    // length is 0 and nothing is drawn. Only the bars that start within the
    // control (and its grid pen's reach) are made: a bath far wider than the
    // element (BathWidth 10^9 %) with a bar on every other pixel would
    // otherwise cost gigabytes for lines nobody sees. The bars start left to
    // right, so the first one beyond ends the row.
    if (gridCount_ > 0 && bw / gridCount_ > 0) {
        const int c = bw / gridCount_;
        const int gw = gridPen_->GetWidth();
        const qint64 reach = qint64(w) + std::clamp(gw, 0, kMaxElementExtent) + 1;
        // A bar longer than the control ends where nobody sees it any more.
        const double len = (100 - gridSpace_) * c / 100;
        const int l = len > 0 ? TruncPx(std::min(len, double(reach) + 1)) : 0;
        if (l > 0)
            for (int i = 0; i < gridCount_; ++i) {
                const int x = int(qint64(i) * bw / gridCount_);
                if (qint64(x) + gw > reach)
                    break;
                g.grid << QLine(Px64(qint64(x) + gw), yg, Px64(qint64(x) + l - gw), yg);
            }
    }
    g.backWall.setCoords(TruncPx((1 - backWallWidth_ / 100) * W), TruncPx(backWallTop_ * H / 100), w, h);
    return g;
}

TSeparator::StillKey TSeparator::CurrentStillKey() const {
    StillKey k;
    k.w = width();
    k.h = height();
    k.panel = GetColor();
    k.water = waterColor_;
    k.backWall = backWallColor_;
    k.back = backColor_;
    k.closedLoop = showClosedLoop_;
    k.backWallTop = backWallTop_;
    k.backWallWidth = backWallWidth_;
    k.bathHeight = bathHeight_;
    k.bathBottomWidth = bathBottomWidth_;
    k.gridHeight = gridHeight_;
    k.gridCount = gridCount_;
    k.gridSpace = gridSpace_;
    k.bathSubH = bathSubH_;
    k.bathWidth = bathWidth_;
    k.waterLevel = waterLevel_;
    k.wallColor = wallPen_->GetColor();
    k.wallWidth = wallPen_->GetWidth();
    k.wallStyle = wallPen_->GetStyle();
    k.gridColor = gridPen_->GetColor();
    k.gridWidth = gridPen_->GetWidth();
    k.gridStyle = gridPen_->GetStyle();
    return k;
}

void TSeparator::DrawStill(QPainter& p, bool background) {
    const Geometry g = Compute(); // before the first stroke: a failure keeps the last picture
    const int w = width(), h = height();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (background)
        p.fillRect(0, 0, w, h, ColorToQColor(GetColor()));

    const QColor back = ColorToQColor(backColor_), water = ColorToQColor(waterColor_);
    CanvasPolygon(p, g.vessel, QPen(back, 1), QBrush(back));
    CanvasPolygon(p, g.water, QPen(water, 1), QBrush(water));

    // The walls: the bath and the chute as one open line, the cover at the top,
    // and with ShowClosedLoop the chute's outer wall.
    CanvasPolyline(p, g.vessel.mid(0, 8), *wallPen_);
    CanvasLine(p, g.vessel[0], g.vessel[8], *wallPen_);
    if (showClosedLoop_)
        CanvasLine(p, g.vessel[8], g.vessel[7], *wallPen_);

    if (!g.grid.isEmpty()) {
        p.setPen(gridPen_->ToQPen());
        p.drawLines(g.grid);
    }

    TPen wallPen;
    wallPen.SetColor(backWallColor_);
    TBrush wallBrush;
    wallBrush.SetColor(backWallColor_);
    CanvasRectangle(p, g.backWall.left(), g.backWall.top(), g.backWall.right(), g.backWall.bottom(), wallPen,
                    wallBrush);
}

void TSeparator::DrawBalls(QPainter& p) {
    const int w = width(), h = height();
    const QColor coal = ColorToQColor(coalColor_), rock = ColorToQColor(rockColor_),
                 bubble = ColorToQColor(bubbleColor_), other = ColorToQColor(clRed),
                 rim = ColorToQColor(clAqua);
    for (const TBall& b : balls_) {
        const QColor& fill = b.kind == TBall::kCoal     ? coal
                             : b.kind == TBall::kRock   ? rock
                             : b.kind == TBall::kBubble ? bubble
                                                        : other;
        const bool solid = b.kind == TBall::kCoal || b.kind == TBall::kRock;
        sprites_.Draw(p, w, h, b.x * w / 100, b.y * h / 100, b.r, fill, solid ? fill : rim);
    }
}

void TSeparator::Draw(QPainter& p, bool background) {
    if (!background) {
        DrawStill(p, false);
        still_ = QImage();
    } else {
        const StillKey key = CurrentStillKey();
        if (still_.isNull() || !(key == stillKey_)) {
            // Into a new picture: a geometry that cannot be drawn keeps the old one.
            QImage still(size(), QImage::Format_ARGB32_Premultiplied);
            QPainter sp(&still);
            DrawStill(sp, true);
            sp.end();
            still_ = still;
            stillKey_ = key;
        }
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, still_);
        p.restore();
    }
    DrawBalls(p);
}

void TSeparator::DrawPicture(QPainter& p) {
    Draw(p, true);
}

void TSeparator::Paint(QPainter& canvas) {
    if (!transparent_) {
        PaintBuffered(canvas, true);
        return;
    }
    FitPicture();
    if (!GetVisible())
        return;
    Draw(canvas, false);
    SetRedrawNeeded(false);
}
