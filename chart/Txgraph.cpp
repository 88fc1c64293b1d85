#include "Txgraph.h"

#include "Layout.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

ORDAL_REGISTER_CLASS(TTxGraph)

namespace {

// Beyond a million pixels nothing is visible; held there, sums of a few
// margins and lengths stay far inside an int.
constexpr int kPixelLimit = 1 << 20;
// Wider axis pens than this cover any picture anyway.
constexpr int kMaxPenWidth = 4096;

int Clamp(qint64 v) {
    return int(std::clamp<qint64>(v, -kPixelLimit, kPixelLimit));
}

// One chart releasing its store at a time, process-wide.
std::atomic<bool> g_releasing{false};

const TColor kChannelColours[] = {clRed, clBlue, clYellow, clGreen, clLime, clNavy};

} // namespace

// ---- geometry -------------------------------------------------------------------------

int TTxPlot::YtoScreen(double value) const {
    if (value < YMin)
        return PlotBottom;
    if (value > YMax)
        return PlotTop;
    return TruncPx(PlotBottom - ky * (value - YMin));
}

TTxPlot MakeTxPlot(int width, int height, int addX, int addY, int addScale, int graphSize, double yMin,
                   double yMax) {
    TTxPlot p;
    p.PlotLeft = Clamp(addX);
    p.PlotTop = Clamp(addScale);
    p.PlotRight = Clamp(qint64(width) - addScale);
    p.PlotBottom = Clamp(qint64(height) - addY);
    p.kx = double(p.PlotRight - p.PlotLeft) / graphSize;
    p.ky = double(p.PlotBottom - p.PlotTop) / (yMax - yMin);
    p.YMin = yMin;
    p.YMax = yMax;
    return p;
}

std::vector<int> TxValueRows(const TTxPlot& p, double step) {
    std::vector<int> rows;
    if (!(step > 0) || !(p.YMax > p.YMin))
        return rows;
    const int top = std::min(p.PlotTop, p.PlotBottom);
    const int bottom = std::max(p.PlotTop, p.PlotBottom);
    // More lines than rows: every row holds one. (Also a step too small to move
    // the value at all, which would never reach YMax.)
    if ((p.YMax - p.YMin) / step > bottom - top + 1) {
        for (int y = bottom; y >= top; --y)
            rows.push_back(y);
        return rows;
    }
    for (double v = p.YMin; v < p.YMax;) {
        rows.push_back(p.YtoScreen(v));
        const double next = v + step;
        if (!(next > v))
            break;
        v = next;
    }
    return rows;
}

void BuildTxCurve(std::span<const double> samples, const TTxPlot& plot, QVector<QLine>& out) {
    out.clear();
    for (std::size_t s = 1; s < samples.size(); ++s) {
        const double a = samples[s - 1];
        const double b = samples[s];
        if (a > plot.YMin && b > plot.YMin)
            out.append(QLine(plot.XtoScreen(double(s - 1)), plot.YtoScreen(a), plot.XtoScreen(double(s)),
                             plot.YtoScreen(b)));
    }
}

// ---- construction and store -----------------------------------------------------------

TTxGraph::TTxGraph(QWidget* owner) : TPanelElement(owner), netPen_(OwnStyle<TPen>(this)) {
    resize(210, 100);
    ResetGraphics();
}

TTxGraph::~TTxGraph() {
    FreeMemory();
}

void TTxGraph::FreeMemory() {
    bool idle = false;
    while (!g_releasing.compare_exchange_strong(idle, true)) {
        idle = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    struct Done {
        ~Done() { g_releasing = false; }
    } done;
    for (TPen* pen : pens_)
        delete pen;
    pens_.clear();
    buffers_.clear();
}

void TTxGraph::ResetGraphics() {
    FreeMemory();
    buffers_.assign(std::size_t(graphCount_), std::vector<double>(std::size_t(graphSize_), 0.0));
    pens_.reserve(std::size_t(graphCount_));
    for (int i = 0; i < graphCount_; ++i) {
        TPen* pen = OwnStyle<TPen>(this);
        if (i < int(std::size(kChannelColours))) {
            const QSignalBlocker quiet(pen);
            pen->SetColor(kChannelColours[i]);
        }
        pens_.push_back(pen);
    }
    cursorX_ = 0;
    currentGraph_ = 0;
}

// ---- setters ----------------------------------------------------------------------------

void TTxGraph::Refresh() {
    SetRedrawNeeded(true);
    RepaintNow(this);
}

void TTxGraph::StyleChanged(QObject*) {
    Refresh();
}

void TTxGraph::SetGraphSize(int v) {
    if (v < kMinSize || v > kMaxSize || v == graphSize_)
        return;
    graphSize_ = v;
    ResetGraphics();
    Refresh();
}

void TTxGraph::SetGraphCount(int v) {
    if (v < 1 || v > kMaxGraphs || v == graphCount_)
        return;
    graphCount_ = v;
    ResetGraphics();
    Refresh();
}

void TTxGraph::SetNetDX(int v) {
    if (v > 0)
        Set(netDX_, v);
}

void TTxGraph::SetLabelDY(double v) {
    if (v > 0)
        Set(labelDY_, v);
}

void TTxGraph::SetLabelDX(int v) {
    if (v > 0)
        Set(labelDX_, v);
}

void TTxGraph::SetNetDY(double v) {
    if (v > 0)
        Set(netDY_, v);
}

void TTxGraph::SetCurrentGraph(int v) {
    if (v >= 0 && v < graphCount_)
        Set(currentGraph_, v);
}

void TTxGraph::SetNetPen(const TPen* pen) {
    if (pen && pen != netPen_)
        netPen_->Assign(*pen); // Changed() repaints
}

void TTxGraph::SetCursorX(int v) {
    if (v >= 0 && v < graphSize_)
        cursorX_ = v;
}

double TTxGraph::GetCursorY() const {
    return Sample(currentGraph_, cursorX_);
}

void TTxGraph::SetCursorY(double v) {
    if (!HasStore() || currentGraph_ >= int(buffers_.size()) || cursorX_ >= graphSize_)
        return;
    Set(buffers_[std::size_t(currentGraph_)][std::size_t(cursorX_)], v);
}

TPen* TTxGraph::GetCurrentGraphPen() const {
    return currentGraph_ < int(pens_.size()) ? pens_[std::size_t(currentGraph_)] : netPen_;
}

void TTxGraph::SetCurrentGraphPen(const TPen* pen) {
    TPen* own = GetCurrentGraphPen();
    if (pen && pen != own)
        own->Assign(*pen);
}

TColor TTxGraph::GetGrColors(int i) const {
    return i >= 0 && i < int(pens_.size()) ? pens_[std::size_t(i)]->GetColor() : clBlack;
}

void TTxGraph::SetGrColors(int i, TColor c) {
    if (i >= 0 && i < int(pens_.size()))
        pens_[std::size_t(i)]->SetColor(c);
}

// ---- data ----------------------------------------------------------------------------------

bool TTxGraph::SetGraphData(std::span<const double> values, int row) {
    if (row < 0 || row >= int(buffers_.size()) || values.size() < std::size_t(graphSize_))
        return false;
    std::copy_n(values.begin(), graphSize_, buffers_[std::size_t(row)].begin());
    Refresh();
    return true;
}

double TTxGraph::Sample(int row, int s) const {
    if (row < 0 || row >= int(buffers_.size()) || s < 0 || s >= int(buffers_[std::size_t(row)].size()))
        return 0.0;
    return buffers_[std::size_t(row)][std::size_t(s)];
}

// ---- painting --------------------------------------------------------------------------------

TTxPlot TTxGraph::Plot() const {
    // In the control's coordinates, whatever the pixel ratio the picture is
    // kept at: the painter on the picture maps them to its pixels.
    return MakeTxPlot(width(), height(), addX_, addY_, addScale_, graphSize_, yMin_, yMax_);
}

void TTxGraph::Paint(QPainter& canvas) {
    // The whole picture, every time.
    SetRedrawNeeded(true);
    PaintBuffered(canvas, true);
}

void TTxGraph::DrawPicture(QPainter& p) {
    const int w = width();
    const int h = height();
    if (!transparent_)
        p.fillRect(0, 0, w, h, ColorToQColor(GetColor()));

    const TTxPlot r = Plot();
    // YMax equal to YMin leaves no value range to map onto: the paint fails.
    if (!std::isfinite(r.ky))
        throw EDrawError("TTxGraph: no value range");
    if (r.PlotRight > r.PlotLeft && r.PlotBottom > r.PlotTop)
        p.fillRect(QRect(QPoint(r.PlotLeft, r.PlotTop), QPoint(r.PlotRight - 1, r.PlotBottom - 1)),
                   ColorToQColor(grColor_));

    TPen axis;
    axis.SetColor(axisColor_);
    axis.SetWidth(std::clamp(axisWidth_, 0, kMaxPenWidth));
    const QPen axisPen = axis.ToQPen();

    // Background grid, then the label grid over it.
    auto grid = [&](const QPen& pen, int dx, double dy) {
        p.setPen(pen);
        for (int s = 0; s < graphSize_; s += dx) {
            const int x = r.XtoScreen(s);
            p.drawLine(x, r.PlotTop, x, r.PlotBottom);
        }
        for (const int y : TxValueRows(r, dy))
            p.drawLine(r.PlotLeft, y, r.PlotRight, y);
    };
    if (viewNet_)
        grid(netPen_->ToQPen(), netDX_, netDY_);
    if (labelNet_)
        grid(axisPen, labelDX_, labelDY_);

    // Curves.
    QVector<QLine> segments;
    for (std::size_t c = 0; c < buffers_.size() && c < pens_.size(); ++c) {
        BuildTxCurve(buffers_[c], r, segments);
        if (segments.isEmpty())
            continue;
        p.setPen(pens_[c]->ToQPen());
        p.drawLines(segments);
    }

    // Axes with their arrowheads.
    p.setPen(axisPen);
    p.setBrush(ColorToQColor(axisColor_));
    const int e = Clamp(edgeLen_);
    const int lh = Clamp(labelH_);
    const int a = Clamp(qint64(r.PlotRight) + Clamp(addScale_) - e);
    p.drawLine(r.PlotLeft - lh, r.PlotBottom, a, r.PlotBottom);
    p.drawPolygon(QPolygon(
        {QPoint(a, r.PlotBottom - e / 2), QPoint(a, r.PlotBottom + e / 2), QPoint(w - 1, r.PlotBottom)}));
    p.drawLine(r.PlotLeft, r.PlotBottom + lh, r.PlotLeft, e);
    p.drawPolygon(
        QPolygon({QPoint(r.PlotLeft - e / 2, e), QPoint(r.PlotLeft + e / 2, e), QPoint(r.PlotLeft, 1)}));

    // Ticks: down from the index axis, left from the value axis.
    for (int s = 0; s < graphSize_; s += labelDX_) {
        const int x = r.XtoScreen(s);
        p.drawLine(x, r.PlotBottom, x, r.PlotBottom + lh);
    }
    for (const int y : TxValueRows(r, labelDY_))
        p.drawLine(r.PlotLeft, y, r.PlotLeft - lh, y);
}
