#include "Canvastools.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

void SinCosDeg(double degrees, double& sine, double& cosine) {
    const double turn = std::fmod(degrees, 360.0);
    const double quarter = turn / 90.0;
    if (quarter == std::trunc(quarter)) {
        static constexpr double kSin[8] = {0, 1, 0, -1, 0, 1, 0, -1};
        static constexpr double kCos[8] = {1, 0, -1, 0, 1, 0, -1, 0};
        const int q = int(quarter) + 4; // -3 .. 3 -> 1 .. 7
        sine = kSin[q];
        cosine = kCos[q];
        return;
    }
    const double rad = degrees * kDegToRad;
    sine = std::sin(rad);
    cosine = std::cos(rad);
}

void CanvasPolygon(QPainter& p, const QPolygon& points, const QPen& pen, const QBrush& brush) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    p.setBrush(brush);
    p.drawPolygon(points);
}

void CanvasPolygon(QPainter& p, const QPolygon& points, const TPen& pen, const TBrush& brush) {
    CanvasPolygon(p, points, pen.ToQPen(), brush.ToQBrush());
}

void CanvasPolyline(QPainter& p, const QPolygon& points, const TPen& pen) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen.ToQPen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points);
}

void CanvasLine(QPainter& p, QPoint a, QPoint b, const QPen& pen) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    p.drawLine(a, b);
}

void CanvasLine(QPainter& p, QPoint a, QPoint b, const TPen& pen) {
    CanvasLine(p, a, b, pen.ToQPen());
}

void CanvasArc(QPainter& p, QPoint boxA, QPoint boxB, QPoint from, QPoint to, const TPen& pen) {
    const int l = std::min(boxA.x(), boxB.x()), r = std::max(boxA.x(), boxB.x());
    const int t = std::min(boxA.y(), boxB.y()), b = std::max(boxA.y(), boxB.y());
    if (r <= l || b <= t || pen.GetStyle() == psClear)
        return;
    const QRectF outline(l + 0.5, t + 0.5, r - l - 1, b - t - 1);
    const QPointF c = outline.center();
    constexpr double kDeg = 180.0 / 3.14159265358979323846;
    const double a0 = std::atan2(-(from.y() - c.y()), from.x() - c.x()) * kDeg;
    const double a1 = std::atan2(-(to.y() - c.y()), to.x() - c.x()) * kDeg;
    double span = a1 - a0;
    while (span <= 0)
        span += 360; // the same ray twice is the whole ellipse
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen.ToQPen());
    p.setBrush(Qt::NoBrush);
    p.drawArc(outline, int(std::lround(a0 * 16)), int(std::lround(span * 16)));
    p.restore();
}

void FloodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill) {
    if (image.isNull() || !image.rect().contains(start))
        return;
    if (image.depth() != 32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    surface |= 0xFF000000u;
    fill |= 0xFF000000u;
    if (surface == fill)
        return;
    const int w = image.width(), h = image.height();
    // One detach, then plain row pointers: the fill touches every pixel of its
    // area, often several times.
    uchar* const bits = image.bits();
    const qsizetype bpl = image.bytesPerLine();
    auto row = [bits, bpl](int y) { return reinterpret_cast<QRgb*>(bits + y * bpl); };
    if (row(start.y())[start.x()] != surface)
        return;
    // Scanline fill: each seed fills its whole run on one row and seeds the rows
    // above and below once per open run there, so no pixel is seeded more than
    // twice: the stack stays within twice the image's pixels.
    std::vector<QPoint> seeds{start};
    while (!seeds.empty()) {
        const QPoint s = seeds.back();
        seeds.pop_back();
        QRgb* const line = row(s.y());
        if (line[s.x()] != surface)
            continue;
        int left = s.x(), right = s.x();
        while (left > 0 && line[left - 1] == surface)
            --left;
        while (right + 1 < w && line[right + 1] == surface)
            ++right;
        std::fill(line + left, line + right + 1, fill);
        for (int ny : {s.y() - 1, s.y() + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            const QRgb* const next = row(ny);
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                const bool open = next[x] == surface;
                if (open && !inRun)
                    seeds.emplace_back(x, ny);
                inRun = open;
            }
        }
    }
}

namespace {

// The box (left, top, right, bottom) of a particle's disc, or nothing when it
// cannot be seen in a picture of w x h.
std::optional<QRect> ParticleBox(int w, int h, double cx, double cy, double r) {
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r))
        return std::nullopt;
    const double left = cx - r, right = cx + r, top = cy - r, bottom = cy + r;
    // Also keeps every coordinate far inside what a pixel coordinate can hold.
    if (right < 0 || bottom < 0 || left > w || top > h)
        return std::nullopt;
    static constexpr double kFar = 1 << 20;
    const auto clampPx = [](double v) { return int(std::clamp(v, -kFar, kFar)); };
    const int l = clampPx(left), t = clampPx(top), rr = clampPx(right), b = clampPx(bottom);
    if (rr <= l || b <= t)
        return std::nullopt;
    QRect box;
    box.setCoords(l, t, rr, b);
    return box;
}

void DrawDisc(QPainter& p, const QRect& box, const QColor& fill, const QColor& outline) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(outline, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(box.left() + 0.5, box.top() + 0.5, box.right() - box.left() - 1,
                         box.bottom() - box.top() - 1));
}

} // namespace

void DrawParticle(QPainter& p, int w, int h, double cx, double cy, double r, const QColor& fill,
                  const QColor& outline) {
    if (const std::optional<QRect> box = ParticleBox(w, h, cx, cy, r))
        DrawDisc(p, *box, fill, outline);
}

void TParticleSprites::Draw(QPainter& p, int w, int h, double cx, double cy, double r, const QColor& fill,
                            const QColor& outline) {
    const std::optional<QRect> box = ParticleBox(w, h, cx, cy, r);
    if (!box)
        return;
    const int bw = box->right() - box->left(), bh = box->bottom() - box->top();
    if (bw > kMaxSprite || bh > kMaxSprite) {
        DrawDisc(p, *box, fill, outline);
        return;
    }
    const Key key{bw, bh, fill.rgba(), outline.rgba()};
    auto it = sprites_.find(key);
    if (it == sprites_.end()) {
        if (sprites_.size() >= kMaxKept)
            sprites_.clear();
        // The disc at the same place within its pixels as on the picture: a
        // copy moved by whole pixels gives the very same pixels.
        QImage sprite(bw + 1, bh + 1, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter sp(&sprite);
        DrawDisc(sp, QRect(QPoint(0, 0), QPoint(bw, bh)), fill, outline);
        sp.end();
        it = sprites_.insert(key, sprite);
    }
    p.drawImage(box->left(), box->top(), *it);
}
