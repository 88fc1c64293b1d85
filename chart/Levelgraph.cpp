#include "Levelgraph.h"

#include "FormatFloat.h"
#include "IniFile.h"
#include "Layout.h"
#include "Log.h"
#include "Platform.h"
#include "Tamrixutil.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <climits>
#include <cmath>
#include <random>

ORDAL_REGISTER_CLASS(TLevelGraph)
// Events the windows' layouts bind by name (OnClick comes with the panel).
// OnMouseDown carries the button and position and is bound in code.
ORDAL_REGISTER_EVENT(TLevelGraph, OnChange)
ORDAL_REGISTER_EVENT(TLevelGraph, OnDblClick)

namespace {

const TDateTime kMinDataStep = EncodeTime(0, 0, 0, 10);
const TDateTime kMinXLabelStep = EncodeTime(0, 0, 0, 100);
// Well below a millisecond and well above the rounding of a day count.
constexpr TDateTime kTimeEpsilon = 1e-9;
// More grid lines than this in one direction is no grid but a filled block.
constexpr int kMaxGridLines = 5000;
// Largest picture ExportImage makes (a print page at 600 dpi is about 35 Mpx).
constexpr qint64 kMaxExportPixels = 100'000'000;

// The classic canvas rectangle: filled with the brush colour and outlined with
// the pen, the right and bottom edges included as the plot's own pixels are.
void PlotRectangle(QPainter& p, int l, int t, int r, int b, const QPen& pen, const QColor& fill) {
    if (r < l || b < t)
        return;
    p.fillRect(QRect(l, t, r - l + 1, b - t + 1), fill);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(l, t, r - l, b - t));
}

// Text with its top-left corner at (left, top) and a transparent background.
void TextOut(QPainter& p, const QFontMetrics& fm, int left, int top, const QString& s) {
    p.drawText(left, top + fm.ascent(), s);
}

// The same pixels with fewer vertices for the painter, whose cost follows the
// vertices: repeated points go, and a point that only continues a horizontal
// or vertical run in the same direction is merged into it. With more steps than
// pixel columns most vertices are such.
void CompactPolyline(const QPoint* pts, int n, std::vector<QPoint>& out) {
    out.clear();
    for (int i = 0; i < n; ++i) {
        const QPoint q = pts[i];
        const std::size_t k = out.size();
        if (k > 0 && out[k - 1] == q)
            continue;
        if (k > 1) {
            const QPoint a = out[k - 2];
            const QPoint b = out[k - 1];
            const bool vertical = a.x() == b.x() && b.x() == q.x() && (b.y() - a.y()) * (q.y() - b.y()) > 0;
            const bool horizontal = a.y() == b.y() && b.y() == q.y() && (b.x() - a.x()) * (q.x() - b.x()) > 0;
            if (vertical || horizontal) {
                out[k - 1] = q;
                continue;
            }
        }
        out.push_back(q);
    }
    // A run that collapsed to one point still marks its pixel.
    if (out.size() == 1 && n > 1)
        out.push_back(out[0]);
}

// Solid curves straight into the chart's own picture. The painter's general
// stroker costs some 50 ns per vertex and several per pixel; a day of
// one-second samples gives every step a minimum and a maximum, and through the
// stroker that doubled the cost of a pass, while the windows' 3-pixel pens cost
// forty times a thin one. Here the cost is a few ns per pixel and the pass no
// longer depends on how densely the data were sampled.
// Thin pens set the pixels as the classic canvas does: each segment from its
// first point up to, not including, its last. A wide pen covers the thin
// line's pixels widened to a square of its width (the last point included), as
// a round-ended pen of that width covers them to the pixel for widths up to 3.
// False when the painter is not a plain image painter (no transform of any
// kind, full opacity, no clipping) with a solid opaque pen; the caller then
// uses the painter.
constexpr int kMaxRasterPenWidth = 16;

bool RasterPolyline(QPainter& p, const QPoint* pts, int n, const QPen& pen) {
    if (p.device() == nullptr || p.device()->devType() != QInternal::Image)
        return false;
    // The device transform holds the window/viewport mapping as well as the
    // world transform: a print scaled through either must go to the painter.
    if (pen.style() != Qt::SolidLine || pen.width() > kMaxRasterPenWidth || pen.color().alpha() != 255 ||
        p.hasClipping() || !p.deviceTransform().isIdentity() || p.opacity() < 1.0 ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver ||
        p.testRenderHint(QPainter::Antialiasing))
        return false;
    auto* img = static_cast<QImage*>(p.device());
    const QImage::Format f = img->format();
    if (f != QImage::Format_ARGB32_Premultiplied && f != QImage::Format_ARGB32 && f != QImage::Format_RGB32)
        return false;
    // The painter draws into this very buffer. A shared image would copy its
    // bits on the first write and part them from the painter's: then the painter
    // draws. (Our own picture never is: the painter's start unshared it.)
    if (!img->isDetached() || img->devicePixelRatio() != 1.0)
        return false;
    uchar* bits = img->bits();
    const quint32 colour = 0xFF000000u | pen.color().rgb();
    const qsizetype stride = img->bytesPerLine();
    const int w = img->width();
    const int h = img->height();
    const int penWidth = std::max(1, pen.width());
    // A wide pen reaches this far above/left of the thin line and below/right of it.
    const int before = (penWidth - 1) / 2;
    const int after = penWidth / 2;
    auto plot = [&](int x, int y) {
        if (unsigned(x) < unsigned(w) && unsigned(y) < unsigned(h))
            reinterpret_cast<quint32*>(bits + y * stride)[x] = colour;
    };
    auto fillColumn = [&](int x, int top, int bottom) {
        if (unsigned(x) >= unsigned(w))
            return;
        top = std::max(top, 0);
        bottom = std::min(bottom, h - 1);
        uchar* px = bits + top * stride + qsizetype(x) * 4;
        for (int y = top; y <= bottom; ++y, px += stride)
            *reinterpret_cast<quint32*>(px) = colour;
    };
    if (n < 2)
        return true;
    // With more steps than pixel columns every segment moves at most one column,
    // and the polyline is a stack of vertical runs that overlap within a column.
    // Then each column is filled once, from the lowest to the highest pixel its
    // segments set, instead of drawing every overlapping run. A curve that only
    // runs to the right is such a stack too, column by column.
    int xmin = pts[0].x();
    int xmax = xmin;
    bool narrow = true;
    bool rightward = true;
    for (int i = 1; i < n; ++i) {
        const int dx = pts[i].x() - pts[i - 1].x();
        narrow = narrow && std::abs(dx) <= 1;
        rightward = rightward && dx >= 0;
        xmin = std::min(xmin, pts[i].x());
        xmax = std::max(xmax, pts[i].x());
    }
    // Far outside the picture (a broken scale) the columns are not worth an array.
    const bool columns = (narrow || (rightward && penWidth > 1)) && qint64(xmax) - xmin < 4 * qint64(w) + 64;
    if (columns) {
        static thread_local std::vector<int> lo;
        static thread_local std::vector<int> hi;
        const int cols = xmax - xmin + 1;
        lo.assign(cols, INT_MAX);
        hi.assign(cols, INT_MIN);
        auto cover = [&](int x, int ya, int yb) {
            const int c = x - xmin;
            lo[c] = std::min({lo[c], ya, yb});
            hi[c] = std::max({hi[c], ya, yb});
        };
        for (int i = 0; i + 1 < n; ++i) {
            int x0 = pts[i].x();
            int y0 = pts[i].y();
            const int x1 = pts[i + 1].x();
            const int y1 = pts[i + 1].y();
            if (std::abs(x1 - x0) > 1) {
                // A long segment of a wide pen's curve: its thin pixels, column by column.
                const int dx = std::abs(x1 - x0);
                const int dy = -std::abs(y1 - y0);
                const int sx = x0 < x1 ? 1 : -1;
                const int sy = y0 < y1 ? 1 : -1;
                int err = dx + dy;
                while (x0 != x1 || y0 != y1) {
                    cover(x0, y0, y0);
                    const int e2 = 2 * err;
                    if (e2 >= dy) {
                        err += dy;
                        x0 += sx;
                    }
                    if (e2 <= dx) {
                        err += dx;
                        y0 += sy;
                    }
                }
                continue;
            }
            if (y0 == y1) {
                if (x0 != x1)
                    cover(x0, y0, y0);
                continue;
            }
            const int sy = y1 > y0 ? 1 : -1;
            if (x0 == x1) {
                cover(x0, y0, y1 - sy);
                continue;
            }
            // One column over: the first half of the rise in the first column.
            const int len = std::abs(y1 - y0);
            const int half = (len + 1) / 2;
            cover(x0, y0, y0 + sy * (half - 1));
            if (len > half)
                cover(x1, y0 + sy * half, y1 - sy);
        }
        if (penWidth == 1) {
            for (int c = 0; c < cols; ++c)
                if (lo[c] <= hi[c])
                    fillColumn(xmin + c, lo[c], hi[c]);
            return true;
        }
        cover(pts[n - 1].x(), pts[n - 1].y(), pts[n - 1].y());
        // Column X of the wide line is the union of the thin columns X - after
        // ... X + before, each widened by the pen up and down.
        for (int x = xmin - before; x <= xmax + after; ++x) {
            int top = INT_MAX;
            int bottom = INT_MIN;
            for (int c = std::max(x - after, xmin); c <= std::min(x + before, xmax); ++c) {
                top = std::min(top, lo[c - xmin]);
                bottom = std::max(bottom, hi[c - xmin]);
            }
            if (top <= bottom)
                fillColumn(x, top - before, bottom + after);
        }
        return true;
    }
    // A wide pen on a curve that turns back: each thin pixel as a square.
    auto stamp = [&](int x, int y) {
        if (penWidth == 1) {
            plot(x, y);
            return;
        }
        for (int c = x - before; c <= x + after; ++c)
            fillColumn(c, y - before, y + after);
    };
    for (int i = 0; i + 1 < n; ++i) {
        int x0 = pts[i].x();
        int y0 = pts[i].y();
        const int x1 = pts[i + 1].x();
        const int y1 = pts[i + 1].y();
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        if (dx == 0 && penWidth == 1) {
            // The common case with more steps than pixel columns: a vertical run.
            if (y0 == y1)
                continue;
            fillColumn(x0, sy > 0 ? y0 : y1 + 1, sy > 0 ? y1 - 1 : y0);
            continue;
        }
        int err = dx + dy;
        while (x0 != x1 || y0 != y1) {
            stamp(x0, y0);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    if (penWidth > 1)
        stamp(pts[n - 1].x(), pts[n - 1].y());
    return true;
}

void UseFont(QPainter& p, const TFont& f) {
    p.setFont(f.ToQFont());
    p.setPen(f.ToQColor());
}

} // namespace

TLevelGraph::TLevelGraph(QWidget* owner) : TPanelElement(owner) {
    borderPen_ = OwnStyle<TPen>(this);
    cursorPen_ = OwnStyle<TPen>(this);
    labelNetPen_ = OwnStyle<TPen>(this);
    secondNetPen_ = OwnStyle<TPen>(this);
    winLimitsPen_ = OwnStyle<TPen>(this);
    for (TPen*& pen : graphPens_)
        pen = OwnStyle<TPen>(this);
    xScaleFont_ = OwnStyle<TFont>(this);
    yScaleFont_ = OwnStyle<TFont>(this);
    legendFont_ = OwnStyle<TFont>(this);
    legendStrings_ = OwnStyle<TStringList>(this);
    markerWidth_.fill(1);
    markerHeight_.fill(30);
    markerColor_.fill(clFuchsia);
    scaleK_.fill(1.0);
    store_.SetSecondStep(60.0);
    // Clicks give the chart the focus, so that the arrow keys then step the cursor.
    setFocusPolicy(Qt::ClickFocus);
    resize(400, 100);
    Invalidate();
}

TLevelGraph::~TLevelGraph() {
    if (!iniName_.isEmpty())
        SaveToIni();
}

// ---- setters with rules of their own ----------------------------------------

void TLevelGraph::SetYMax(double v) {
    if (!std::isfinite(v) || v == scale_.YMax)
        return;
    scale_.YMax = v;
    if (scale_.YMax - scale_.YMin < 0.001)
        scale_.YMin = scale_.YMax - 0.001;
    Invalidate();
}

void TLevelGraph::SetYMin(double v) {
    if (!std::isfinite(v) || v == scale_.YMin)
        return;
    scale_.YMin = v;
    if (scale_.YMax - scale_.YMin < 0.001)
        scale_.YMax = scale_.YMin + 0.001;
    Invalidate();
}

void TLevelGraph::SetDataStep(TDateTime d) {
    if (!std::isfinite(d) || d < kMinDataStep || d == dataStep_)
        return;
    dataStep_ = d;
    double s = d * kSecondsPerDay;
    if (s > 1.0)
        s = std::trunc(s + 0.5);
    store_.SetSecondStep(s);
    Invalidate();
}

void TLevelGraph::SetSecondStep(double s) {
    if (s == store_.SecondStep())
        return;
    // A step too small to count (or not a number) becomes one second, and the
    // step as a day fraction follows, so that the arrow keys and the cells agree.
    if (!std::isfinite(s) || s < 0.01)
        s = 1.0;
    store_.SetSecondStep(s);
    dataStep_ = s / kSecondsPerDay;
    Invalidate();
}

void TLevelGraph::SetArraySize(int v) {
    if (v == arraySize_)
        return;
    if (v < 10 || v > kSteps) {
        Plat().MessageBox(QStringLiteral("Допускаются целые числа в диапазоне от 10 до 3000"),
                          QStringLiteral("Ошибка"), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    arraySize_ = v;
}

void TLevelGraph::SetIniName(const QString& v) {
    if (v == iniName_)
        return;
    iniName_ = v;
    if (!iniName_.isEmpty())
        LoadFromIni();
}

namespace {
void ReadOnlyMessage(int n) {
    Plat().MessageBox(QStringLiteral("Это поле только для чтения %1.").arg(n), QStringLiteral("Справка"),
                      QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok);
}
} // namespace

void TLevelGraph::SetIntervalSize(int) {
    ReadOnlyMessage(1);
}
void TLevelGraph::SetIntervalPointCount(int) {
    ReadOnlyMessage(2);
}
void TLevelGraph::SetDetectedYMin(double) {
    ReadOnlyMessage(3);
}
void TLevelGraph::SetDetectedYMax(double) {
    ReadOnlyMessage(4);
}

void TLevelGraph::SetNewStopTime(TDateTime v) {
    if (v == newStopTime_)
        return;
    newStopTime_ = v;
    newIntervalAccepted_ = false;
}

void TLevelGraph::SetNewCursorTime(TDateTime v) {
    if (v == newCursorTime_)
        return;
    newCursorTime_ = v;
    newIntervalAccepted_ = false;
}

void TLevelGraph::SetNewIntervalAccepted(bool v) {
    if (v && !newIntervalAccepted_) {
        cursorTime_ = newCursorTime_;
        store_.SetInterval(newStartTime_, newStopTime_);
    }
    newIntervalAccepted_ = v;
}

void TLevelGraph::SetDemoData(bool v) {
    if (v == demoData_)
        return;
    demoData_ = v;
    if (v)
        LoadDemoData();
    else
        ResetData();
    Invalidate();
}

void TLevelGraph::SetLegendStrings(const TStringList* l) {
    if (l && l != legendStrings_)
        legendStrings_->Assign(*l);
}

void TLevelGraph::SetMarkerCount(int v) {
    if (v < 0 || v >= kChannels)
        return;
    Store(markerCount_, v);
}

int TLevelGraph::GetMarkerWidth() const {
    return markerIx_ >= 0 && markerIx_ < markerCount_ ? markerWidth_[markerIx_] : 0;
}
void TLevelGraph::SetMarkerWidth(int v) {
    if (markerIx_ >= 0 && markerIx_ < markerCount_)
        Store(markerWidth_[markerIx_], v);
}
int TLevelGraph::GetMarkerHeight() const {
    return markerIx_ >= 0 && markerIx_ < markerCount_ ? markerHeight_[markerIx_] : 0;
}
void TLevelGraph::SetMarkerHeight(int v) {
    if (markerIx_ >= 0 && markerIx_ < markerCount_)
        Store(markerHeight_[markerIx_], v);
}
TColor TLevelGraph::GetMarkerColor() const {
    return markerIx_ >= 0 && markerIx_ < markerCount_ ? markerColor_[markerIx_] : 0;
}
void TLevelGraph::SetMarkerColor(TColor v) {
    if (markerIx_ >= 0 && markerIx_ < markerCount_)
        Store(markerColor_[markerIx_], v);
}

TPen* TLevelGraph::GraphPen(int i) const {
    if (!TLevelGraphStore::ValidChannel(i))
        i = currentGraph_;
    // CurrentGraph itself is not checked by its setter.
    if (!TLevelGraphStore::ValidChannel(i))
        i = 0;
    return graphPens_[i];
}

void TLevelGraph::AssignPen(TPen* own, const TPen* pen) {
    if (pen && pen != own)
        own->Assign(*pen);
}

void TLevelGraph::AssignFont(TFont* own, const TFont* font) {
    if (font && font != own)
        own->Assign(*font);
}

void TLevelGraph::StyleChanged(QObject* sender) {
    TPanelElement::StyleChanged(sender);
}

// ---- data -----------------------------------------------------------------------

void TLevelGraph::ResetMarker(int c) {
    if (c < markerCount_)
        store_.ResetMarker(c);
}

void TLevelGraph::ResetData() {
    for (int c = 0; c < kChannels; ++c) {
        store_.ResetGraph(c);
        ResetMarker(c);
    }
}

int TLevelGraph::Add_marker_point(int c, int step, int flags, bool merge) {
    if (!TLevelGraphStore::ValidChannel(c) || c >= markerCount_)
        return -1;
    return store_.SetMarker(c, step, std::uint32_t(flags), merge);
}

int TLevelGraph::Add_marker_point(int c, TDateTime time, int flags, bool merge) {
    if (!TLevelGraphStore::ValidChannel(c) || c >= markerCount_)
        return -1;
    const int j = store_.StepOf(time);
    if (j >= store_.IntervalPointCount())
        return -1;
    return store_.SetMarker(c, j, std::uint32_t(flags), merge);
}

void TLevelGraph::LoadDemoData() {
    const int n = store_.IntervalPointCount();
    if (n < 10 || dataStep_ <= 0)
        return;
    std::mt19937 rng(std::uint32_t(Plat().TickCountMs() ^ quint64(std::random_device{}())));
    const double lo = scale_.YMin;
    const double hi = scale_.YMax;
    const double range = hi - lo;
    // A closed or broken range has no spread to draw from; the generator's
    // deviation must still be positive (zero is undefined for the
    // distribution), and the values are clamped into the range anyway.
    const double spread = std::isfinite(range) && range > 0 ? range : 1.0;
    std::normal_distribution<double> first(lo + range / 2, spread / 6);
    std::normal_distribution<double> increment(0.0, 3.0 * spread / n);
    const int channels = std::clamp(graphCount_, 0, int(kChannels));
    for (int c = 0; c < channels; ++c) {
        double v = std::clamp(first(rng), lo, hi);
        double sign = 1.0;
        // Walk the interval by index, not by adding the step, so that rounding
        // cannot add a step or run on.
        for (int k = 0; k <= n; ++k) {
            const TDateTime t = store_.StartTime() + k * dataStep_;
            if (t > store_.StopTime())
                break;
            store_.AddPoint(c, t, v, false);
            const double inc = std::fabs(increment(rng));
            if (v + sign * inc > hi || v + sign * inc < lo)
                sign = -sign;
            v = std::clamp(v + sign * inc, lo, hi);
        }
    }
}

// ---- geometry -------------------------------------------------------------------

bool TLevelGraph::CalcRegionFor(int left, int top, int right, int bottom) {
    region_ = MakePlotRegion(left, top, right, bottom, scale_.YMin, scale_.YMax, store_.IntervalPointCount());
    if (store_.IntervalPointCount() == 0)
        return false;
    if (!(scale_.YLabelStep > 1e-100))
        return false;
    if (!(xLabelStep_ > kMinXLabelStep))
        return false;
    firstXLabelTime_ = ::CalcStartNetPoint(store_.StartTime(), xLabelStep_);
    if (!std::isfinite(firstXLabelTime_) || !std::isfinite(region_.PixelsPerStep)) {
        Beep();
        return false;
    }
    return true;
}

bool TLevelGraph::CalcRegion() {
    // The plot in the control's coordinates, whatever the pixel ratio the
    // picture is kept at (the painter on it maps them to its pixels); the
    // mouse and the keys work in the same coordinates. Only an export draws
    // at another size, and it sets its own region.
    return CalcRegionFor(graphLeft_, graphTop_, width() - graphSubWidth_, height() - graphSubHeight_);
}

void TLevelGraph::RefreshYFactor() {
    region_ = MakePlotRegion(region_.PlotLeft, region_.PlotTop, region_.PlotRight, region_.PlotBottom,
                             scale_.YMin, scale_.YMax, store_.IntervalPointCount());
}

TDateTime TLevelGraph::ScreenToTime(double x) const {
    const TDateTime t = store_.StartTime() + store_.SecondStep() * ScreenToIX(x) / kSecondsPerDay;
    if (!std::isfinite(t)) {
        Beep();
        return Now();
    }
    return t;
}

void TLevelGraph::CheckAutoLimits() {
    double lo = 0.0;
    double hi = 0.0;
    store_.ValueRange(graphCount_, enablePresentArray_, lo, hi);
    ::CheckAutoLimits(scale_, lo, hi);
}

// ---- painting ---------------------------------------------------------------------

void TLevelGraph::Paint(QPainter& canvas) {
    FitPicture();
    if (!GetVisible())
        return;
    // Nothing to draw: the picture keeps what it showed before.
    if (RedrawNeeded() && !CalcRegion())
        SetRedrawNeeded(false);
    PaintBuffered(canvas, true);
}

void TLevelGraph::DrawPicture(QPainter& p) {
    const QRect whole = rect();
    PaintBackGround(p, whole, false);
    CheckAutoLimits();
    // The new limits take effect in this very pass, so the curves fill the plot
    // at once instead of one pass later.
    RefreshYFactor();
    PaintXScale(p, whole.width(), whole.width());
    PaintYScale(p);
    PaintMarkers(p);
    if (multiScaleMode_)
        PaintMultiGraph(p);
    else
        PaintGraphs(p);
    PaintCursor(p);
}

void TLevelGraph::PaintBackGround(QPainter& p, const QRect& whole, bool skipOuter) {
    if (!transparent_ && !skipOuter)
        p.fillRect(whole, ColorToQColor(backColor_));
    const TPlotRegion& r = region_;
    if (showBorder_)
        PlotRectangle(p, r.PlotLeft, r.PlotTop, r.PlotRight, r.PlotBottom, borderPen_->ToQPen(),
                      ColorToQColor(graphBackColor_));
    else if (r.PlotRight >= r.PlotLeft && r.PlotBottom >= r.PlotTop)
        p.fillRect(QRect(r.PlotLeft, r.PlotTop, r.PlotRight - r.PlotLeft + 1, r.PlotBottom - r.PlotTop + 1),
                   ColorToQColor(graphBackColor_));
}

void TLevelGraph::PaintXScale(QPainter& p, int rightLimit, int bitmapWidth) {
    const TPlotRegion& r = region_;
    if (r.PixelsPerStep <= 0 || !(xLabelStep_ > 0))
        return;
    const TDateTime stop = store_.StopTime();
    if ((stop - firstXLabelTime_) / xLabelStep_ > kMaxGridLines)
        return;
    UseFont(p, *xScaleFont_);
    const QFontMetrics fm = p.fontMetrics();
    const QFont legendQFont = legendFont_->ToQFont();
    const QFontMetrics lfm(legendQFont, p.device());
    const QPen gridPen = labelNetPen_->ToQPen();
    const QColor textColor = xScaleFont_->ToQColor();
    const int legendLines = std::min({graphCount_, int(kChannels), legendStrings_->Count()});
    int i = 0;
    // A grid time that only misses StopTime by rounding is StopTime: no label there.
    const TDateTime end = stop - kTimeEpsilon;
    for (TDateTime t = firstXLabelTime_; t < end && i <= kMaxGridLines;
         t = firstXLabelTime_ + (++i) * xLabelStep_) {
        const int x = TruncPx(TimeToScreenX(t));
        p.setPen(gridPen);
        p.drawLine(x, r.PlotTop, x, r.PlotBottom);
        if (!showScaleX_)
            continue;
        const QString text = FormatDateTime(scaleXFormat_, t);
        const int w = fm.horizontalAdvance(text);
        int left = x - w / 2;
        if (left < 0)
            left = 2;
        if (left + w > r.PlotRight)
            left = r.PlotRight - w - 2;
        p.setPen(textColor);
        TextOut(p, fm, left, r.PlotBottom + 2, text);
        if (!showLegend_)
            continue;
        // Each labelled moment carries the curves' names just above the curves.
        const int j = store_.StepOf(t);
        if (j >= kSteps)
            continue;
        p.setFont(legendQFont);
        p.setPen(legendFont_->ToQColor());
        for (int c = 0; c < legendLines; ++c) {
            const QString& name = (*legendStrings_)[c];
            if (name.isEmpty())
                continue;
            const TLevelGraphCell& cell = store_.Cell(c, j);
            if (!cell.Present && !cell.HasHigh)
                continue;
            const double y = YToScreen(store_.GetPoint(c, t));
            if (!(r.PlotTop < y && y < r.PlotBottom))
                continue;
            const double y2 = y - legendFont_->GetSize() - 4;
            if (r.PlotTop < y2 && y2 < r.PlotBottom)
                TextOut(p, lfm, x - lfm.horizontalAdvance(name) - 4, TruncPx(y2), name);
        }
        p.setFont(xScaleFont_->ToQFont());
    }
    if (!showScaleX_)
        return;
    p.setPen(textColor);
    if (minXLabel_) {
        const int x0 = TruncPx(TimeToScreenX(firstXLabelTime_) - 2);
        const QString text = FormatDateTime(scaleXFormat_, store_.StartTime());
        const int w = fm.horizontalAdvance(text);
        const int h2 = w / 2;
        int left = r.PlotLeft - h2;
        if (x0 - h2 - 10 < left + w)
            left = x0 - h2 - w - 10;
        if (left < 0)
            left = 2;
        TextOut(p, fm, left, r.PlotBottom + 2, text);
    }
    if (maxXLabel_) {
        const QString text = FormatDateTime(scaleXFormat_, stop);
        const int w = fm.horizontalAdvance(text);
        int left = r.PlotRight - w / 8;
        const int limit = rightLimit < 1 ? bitmapWidth : rightLimit;
        if (left + w > limit)
            left = limit - w - 2;
        TextOut(p, fm, left, r.PlotBottom + 2, text);
    }
}

QList<TLevelGraph::TYLabel> TLevelGraph::YScaleLabels() const {
    QList<TYLabel> out;
    if (region_.PixelsPerUnit <= 0 || !(scale_.YLabelStep > 0))
        return out;
    double right = rightYMin_;
    for (const double s : YLabelValues(scale_.YMin, scale_.YMax, scale_.YLabelStep, kMaxGridLines)) {
        out.append({s, TruncPx(YToScreen(s)), FormatFloat(scale_.ScaleYFormat, s),
                    showRightScale_ ? FormatFloat(scale_.ScaleYFormat, right) : QString()});
        right += rightScaleStep_;
    }
    return out;
}

void TLevelGraph::PaintYScale(QPainter& p) {
    const TPlotRegion& r = region_;
    const QList<TYLabel> labels = YScaleLabels();
    if (labels.isEmpty())
        return;
    UseFont(p, *yScaleFont_);
    const QFontMetrics fm = p.fontMetrics();
    const QPen gridPen = labelNetPen_->ToQPen();
    const QColor textColor = yScaleFont_->ToQColor();
    const int th = fm.height();
    for (const TYLabel& l : labels) {
        p.setPen(gridPen);
        p.drawLine(r.PlotLeft, l.y - 1, r.PlotRight, l.y - 1);
        p.setPen(textColor);
        if (showScaleY_)
            TextOut(p, fm, r.PlotLeft - fm.horizontalAdvance(l.text) - 4, l.y - th / 2, l.text);
        if (showRightScale_)
            TextOut(p, fm, r.PlotRight + 4, l.y - th / 2, l.rightText);
    }
}

void TLevelGraph::PaintMarkers(QPainter& p) {
    if (markerCount_ < 1 || markerCount_ > kChannels)
        return;
    QVector<QLine> lines;
    for (int i = 0; i < markerCount_; ++i) {
        lines.clear();
        BuildMarkerLines(store_.MarkerChannel(i), store_.IntervalPointCount(), region_, markerHeight_[i],
                         lines);
        if (lines.isEmpty())
            continue;
        TPen pen;
        pen.SetColor(markerColor_[i]);
        pen.SetWidth(markerWidth_[i]);
        p.setPen(pen.ToQPen());
        p.drawLines(lines);
    }
}

void TLevelGraph::DrawRuns(QPainter& p, const TPen& pen) {
    QPen normal = pen.ToQPen();
    QPen alarm = normal;
    alarm.setColor(ColorToQColor(alarmColor_));
    for (const TCurveRun& run : path_.runs) {
        const QPoint* pts = path_.points.data() + run.begin;
        const QPen& qp = run.alarm ? alarm : normal;
        if (RasterPolyline(p, pts, run.count, qp))
            continue;
        CompactPolyline(pts, run.count, compact_);
        p.setPen(qp);
        p.drawPolyline(compact_.data(), int(compact_.size()));
    }
}

void TLevelGraph::PaintGraphs(QPainter& p) {
    const int channels = std::clamp(graphCount_, 0, int(kChannels));
    // The stair form carries the last level across gaps and from channel to channel.
    double lastY = std::nan("");
    for (int i = 0; i < channels; ++i) {
        path_.clear();
        if (histogramGraph_)
            BuildStairCurve(store_, i, enablePresentArray_, region_, lastY, path_);
        else
            BuildLineCurve(store_, i, enablePresentArray_, region_, path_);
        DrawRuns(p, *graphPens_[i]);
    }
}

void TLevelGraph::PaintMultiGraph(QPainter& p) {
    const int channels = std::clamp(graphCount_, 0, int(kChannels));
    for (int i = 0; i < channels; ++i) {
        path_.clear();
        BuildMultiScaleCurve(store_, i, enablePresentArray_, channelLow_[i], channelHigh_[i], scale_.YMax,
                             region_, path_);
        DrawRuns(p, *graphPens_[i]);
    }
}

void TLevelGraph::PaintCursor(QPainter& p) {
    if (!showCursor_)
        return;
    const TPlotRegion& r = region_;
    auto line = [&](TDateTime t, const TPen& pen) {
        const int x = TruncPx(TimeToScreenX(t));
        p.setPen(pen.ToQPen());
        p.drawLine(x, r.PlotTop, x, r.PlotBottom);
    };
    line(cursorTime_, *cursorPen_);
    if (winLeftLimitOK_)
        line(winLeftLimit_, *winLimitsPen_);
    if (winRightLimitOK_)
        line(winRightLimit_, *winLimitsPen_);
}

bool TLevelGraph::ExportImage(int width, int height, bool forPrint, double scale) {
    scale = std::clamp(scale, 1.0, 8.0);
    const qint64 pw = qint64(std::ceil(width * scale)), ph = qint64(std::ceil(height * scale));
    if (width < 1 || height < 1 || pw * ph > kMaxExportPixels)
        return false;
    QImage& pic = PictureRef();
    pic = QImage(int(pw), int(ph), QImage::Format_ARGB32_Premultiplied);
    pic.setDevicePixelRatio(scale);
    pic.fill(Qt::white);
    // The picture's geometry is the print's; the control's own stays for the
    // mouse and the keys until the next on-screen pass, as after PaintTo.
    const TPlotRegion savedRegion = region_;
    const TDateTime savedFirst = firstXLabelTime_;
    // Drawn whatever the region says: a print shows the frame even without data.
    CalcRegionFor(graphLeft_, graphTop_, width - graphSubWidth_, height - graphSubHeight_);
    bool ok = true;
    {
        QPainter p(&pic);
        try {
            const TPlotRegion& r = region_;
            if (forPrint) {
                const QPen border = borderPen_->ToQPen();
                PlotRectangle(p, 0, 0, width - 1, height - 1, border, Qt::white);
                PlotRectangle(p, r.PlotLeft, r.PlotTop, r.PlotRight, r.PlotBottom, border, Qt::white);
            } else {
                PaintBackGround(p, pic.rect(), false);
            }
            PaintXScale(p, width, width);
            PaintYScale(p);
            if (multiScaleMode_)
                PaintMultiGraph(p);
            else
                PaintGraphs(p);
            PaintCursor(p);
        } catch (...) {
            qCWarning(lcOrdal) << "chart export:" << CurrentExceptionText();
            Beep();
            ok = false;
        }
    }
    region_ = savedRegion;
    firstXLabelTime_ = savedFirst;
    // The picture now holds the export: the screen needs a pass of its own.
    Invalidate();
    return ok;
}

void TLevelGraph::PaintTo(QPainter& canvas, int x, int y, int w, int h, bool forPrint) {
    const int cw = width();
    const int ch = height();
    if (cw < 1 || ch < 1 || w < 1 || h < 1)
        return;
    const TPlotRegion savedRegion = region_;
    const TDateTime savedFirst = firstXLabelTime_;
    // The margins scale with the target; the offset moves the whole chart.
    CalcRegionFor(int(double(w) * graphLeft_ / cw + x), int(double(h) * graphTop_ / ch + y),
                  int(x + w - double(w) * graphSubWidth_ / cw),
                  int(y + h - double(h) * graphSubHeight_ / ch));
    canvas.save();
    try {
        const TPlotRegion& r = region_;
        if (forPrint) {
            const QPen border = borderPen_->ToQPen();
            PlotRectangle(canvas, x, y, x + w - 1, y + h - 1, border, Qt::white);
            PlotRectangle(canvas, r.PlotLeft, r.PlotTop, r.PlotRight, r.PlotBottom, border, Qt::white);
        } else {
            PaintBackGround(canvas, QRect(x, y, w, h), false);
        }
        PaintXScale(canvas, x + w, x + w);
        PaintYScale(canvas);
        if (multiScaleMode_)
            PaintMultiGraph(canvas);
        else
            PaintGraphs(canvas);
        PaintCursor(canvas);
    } catch (...) {
        LogRepeatedWarning("chart paint", objectName() + QStringLiteral(": ") + CurrentExceptionText());
        Beep();
    }
    canvas.restore();
    region_ = savedRegion;
    firstXLabelTime_ = savedFirst;
}

// ---- input ------------------------------------------------------------------------

void TLevelGraph::Change() {
    onChange_(this);
}

bool TLevelGraph::event(QEvent* e) {
    // The arrow keys belong to the cursor: no shortcut or focus move takes them.
    if (e->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            e->accept();
            return true;
        }
    }
    return TPanelElement::event(e);
}

void TLevelGraph::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        if (cursorTime_ > store_.StartTime()) {
            SetCursorTime(cursorTime_ - dataStep_);
            setFocus(Qt::OtherFocusReason);
            Change();
        }
        e->accept();
        return;
    case Qt::Key_Right:
        if (cursorTime_ < store_.StopTime()) {
            SetCursorTime(cursorTime_ + dataStep_);
            setFocus(Qt::OtherFocusReason);
            Change();
        }
        e->accept();
        return;
    default:
        if (onKeyDown_)
            onKeyDown_(this, e);
        TPanelElement::keyPressEvent(e);
    }
}

void TLevelGraph::mousePressEvent(QMouseEvent* e) {
    ClickPress(e);
    e->accept();
    const QPoint pos = e->position().toPoint();
    popupTaken_ = false;
    if ((e->buttons() & Qt::RightButton) && onMouseDown_) {
        // The handler took the right click (the scale dialog of the set-up
        // mode): the pop-up menu stays closed.
        popupTaken_ = true;
        const TMouseDownEvent handler = onMouseDown_; // it may rebind the chart's events
        handler(this, e->button(), e->modifiers(), pos.x(), pos.y());
        return;
    }
    SetCursorTime(ScreenToTime(pos.x()));
    setFocus(Qt::MouseFocusReason);
    Change();
}

void TLevelGraph::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
    const TNotifyEvent handler = onDblClick_;
    handler(this);
}

void TLevelGraph::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (popupTaken_) {
        popupTaken_ = false;
        return;
    }
    if (popupMenu_)
        popupMenu_->Popup(this, e->globalPos());
}

// ---- pen persistence ----------------------------------------------------------------

bool TLevelGraph::SaveToIni() {
    if (iniName_.isEmpty())
        return false;
    try {
        IniFile ini(IniPath(iniName_));
        ini.Begin(); // 32 keys, one write
        const QString section = objectName();
        for (int i = 0; i < kChannels; ++i) {
            ini.WriteInteger(section, QStringLiteral("pw%1").arg(i), graphPens_[i]->GetWidth());
            ini.WriteInteger(section, QStringLiteral("pc%1").arg(i), graphPens_[i]->GetColor());
        }
        ini.Commit();
    } catch (const IniFileError& e) {
        // Called from the destructor as well: the pens are only a look, and a
        // read-only file must not take the program down on its way out.
        qCWarning(lcOrdal) << "chart pens not saved:" << e.what();
        return false;
    }
    return true;
}

bool TLevelGraph::LoadFromIni() {
    if (iniName_.isEmpty())
        return false;
    const IniFile ini(IniPath(iniName_));
    const QString section = objectName();
    for (int i = 0; i < kChannels; ++i) {
        TPen* pen = graphPens_[i];
        pen->SetWidth(ini.ReadInteger(section, QStringLiteral("pw%1").arg(i), pen->GetWidth()));
        pen->SetColor(ini.ReadInteger(section, QStringLiteral("pc%1").arg(i), pen->GetColor()));
    }
    return true;
}
