#pragma once
// Drawing steps of the classic canvas that several of the library's vessels,
// rotors and separators share: polygon, polyline, line and arc with an
// element's own pens and brushes, a surface flood fill, a particle's disc, and
// sines of angles in degrees that are exact on the axes.
//
// Everything draws aliased, at whole pixel coordinates, as the canvas does.

#include "ElementBase.h"

#include <QHash>
#include <QImage>
#include <QPolygon>
#include <optional>

// A pixel coordinate from whole-number arithmetic done in 64 bits (sizes plus
// or minus pen widths, which nothing limits); throws EDrawError beyond an int.
inline int Px64(qint64 v) {
    return TruncPx(double(v));
}

// Cosine and sine of an angle in degrees; exact at every multiple of 90
// degrees (a blade at 90 degrees lies exactly on the vertical).
void SinCosDeg(double degrees, double& sine, double& cosine);

// The canvas's Polygon: filled with the brush, outlined with the pen.
void CanvasPolygon(QPainter& p, const QPolygon& points, const TPen& pen, const TBrush& brush);
void CanvasPolygon(QPainter& p, const QPolygon& points, const QPen& pen, const QBrush& brush);
// The canvas's Polyline with the pen (not closed).
void CanvasPolyline(QPainter& p, const QPolygon& points, const TPen& pen);
void CanvasLine(QPainter& p, QPoint a, QPoint b, const TPen& pen);
void CanvasLine(QPainter& p, QPoint a, QPoint b, const QPen& pen);
// The canvas's Arc: the part of the ellipse in box (corners as the canvas takes
// them, in any order) that runs counter-clockwise from the ray towards `from`
// to the ray towards `to`.
void CanvasArc(QPainter& p, QPoint boxA, QPoint boxB, QPoint from, QPoint to, const TPen& pen);

// The canvas's FloodFill over a surface: every pixel connected to start (four
// ways) that has exactly the colour `surface` takes `fill`. Nothing happens
// when start lies outside the image or has another colour, or when both colours
// are the same (the fill would find its own pixels again and never end). Work
// and memory are bounded by the image's size.
void FloodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill);

// The disc of a particle around (cx, cy) in pixels, radius r, filled and
// outlined with a one-pixel pen. A particle that is not a finite number, or
// that lies wholly outside the picture of w x h, is not drawn: a particle far
// away must not stop the picture of all others.
void DrawParticle(QPainter& p, int w, int h, double cx, double cy, double r, const QColor& fill,
                  const QColor& outline);

// The same particles, drawn once per size and colour into a small picture that
// is then only copied: the same pixels as DrawParticle, at a fraction of the
// cost when a picture holds many particles. Discs larger than kMaxSprite pixels
// are drawn directly; more than kMaxKept kinds of disc start the store afresh,
// so it never holds more than a few hundred kilobytes.
class TParticleSprites {
public:
    static constexpr int kMaxSprite = 64;
    static constexpr int kMaxKept = 64;

    void Draw(QPainter& p, int w, int h, double cx, double cy, double r, const QColor& fill,
              const QColor& outline);
    int Kept() const { return int(sprites_.size()); }

private:
    struct Key {
        int w = 0, h = 0;
        QRgb fill = 0, outline = 0;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& k, size_t seed = 0) noexcept {
            return qHashMulti(seed, k.w, k.h, k.fill, k.outline);
        }
    };
    QHash<Key, QImage> sprites_;
};
