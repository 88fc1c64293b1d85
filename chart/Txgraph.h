#pragma once
// TTxGraph: the small chart of the element library. Up to 64 curves over a fixed
// number of equally spaced samples (an index axis, not a time axis), on a plot
// with a background grid, an optional label grid, and two axes with arrowheads
// and tick marks; no text. The owner writes whole sample rows (SetGraphData) or
// single samples (CursorX / CursorY); the chart keeps them in buffers of its own.
//
// A sample at or below YMin counts as missing: the curve breaks there. New
// buffers are all zeros, so with the default YMin of 1700 nothing is drawn until
// samples are written.
//
// Unlike the other panel elements its setters repaint at once, and every paint
// draws the whole picture again.

#include "ElementBase.h"

#include <QLine>
#include <QVector>
#include <span>
#include <vector>

// The plot of one pass, as pure geometry so that the worked examples can be
// checked without a window.
struct TTxPlot {
    int PlotLeft = 0;
    int PlotTop = 0;
    int PlotRight = 0;
    int PlotBottom = 0;
    double kx = 0.0; // pixels per sample
    double ky = 0.0; // pixels per value unit; not finite without a value range
    double YMin = 0.0;
    double YMax = 0.0;

    // trunc(PlotLeft + sample * kx).
    int XtoScreen(double sample) const { return TruncPx(PlotLeft + sample * kx); }
    // PlotBottom below YMin, PlotTop above YMax, else trunc(PlotBottom - ky * (value - YMin)).
    int YtoScreen(double value) const;
};

// The margins are held to a million pixels either way, so that no property
// value can make the pixel arithmetic overflow.
TTxPlot MakeTxPlot(int width, int height, int addX, int addY, int addScale, int graphSize, double yMin,
                   double yMax);

// Rows of the horizontal lines at YMin, YMin + step, ... below YMax. A grid
// denser than the pixels covers every row of the plot, and is given so.
std::vector<int> TxValueRows(const TTxPlot& plot, double step);

// The segments of one curve: a line between two neighbouring samples where both
// lie above YMin.
void BuildTxCurve(std::span<const double> samples, const TTxPlot& plot, QVector<QLine>& out);

class TTxGraph : public TPanelElement {
    Q_OBJECT
    // In the order a layout streams them.
    Q_PROPERTY(int GraphSize READ GetGraphSize WRITE SetGraphSize)
    Q_PROPERTY(int AddX READ GetAddX WRITE SetAddX)
    Q_PROPERTY(int NetDX READ GetNetDX WRITE SetNetDX)
    Q_PROPERTY(double YMin READ GetYMin WRITE SetYMin)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(double YMax READ GetYMax WRITE SetYMax)
    Q_PROPERTY(int GraphCount READ GetGraphCount WRITE SetGraphCount)
    Q_PROPERTY(int CurrentGraph READ GetCurrentGraph WRITE SetCurrentGraph)
    Q_PROPERTY(TColor GrColor READ GetGrColor WRITE SetGrColor)
    Q_PROPERTY(int AddY READ GetAddY WRITE SetAddY)
    Q_PROPERTY(int AxisWidth READ GetAxisWidth WRITE SetAxisWidth)
    Q_PROPERTY(int LabelH READ GetLabelH WRITE SetLabelH)
    Q_PROPERTY(int AddScale READ GetAddScale WRITE SetAddScale)
    Q_PROPERTY(int EdgeLen READ GetEdgeLen WRITE SetEdgeLen)
    Q_PROPERTY(double LabelDY READ GetLabelDY WRITE SetLabelDY)
    Q_PROPERTY(int LabelDX READ GetLabelDX WRITE SetLabelDX)
    Q_PROPERTY(TColor AxisColor READ GetAxisColor WRITE SetAxisColor)
    Q_PROPERTY(bool ViewNet READ GetViewNet WRITE SetViewNet)
    Q_PROPERTY(double NetDY READ GetNetDY WRITE SetNetDY)
    Q_PROPERTY(TPen* NetPen READ GetNetPen WRITE SetNetPen)
    Q_PROPERTY(int CursorX READ GetCursorX WRITE SetCursorX)
    Q_PROPERTY(double CursorY READ GetCursorY WRITE SetCursorY STORED false)
    Q_PROPERTY(TPen* CurrentGraphPen READ GetCurrentGraphPen WRITE SetCurrentGraphPen)
    Q_PROPERTY(bool LabelNet READ GetLabelNet WRITE SetLabelNet)

public:
    static constexpr int kMaxGraphs = 64;
    static constexpr int kMinSize = 3;
    static constexpr int kMaxSize = 4096;

    explicit TTxGraph(QWidget* owner = nullptr);
    ~TTxGraph() override;

    // --- properties ------------------------------------------------------------
    int GetGraphSize() const { return graphSize_; }
    // 3 .. 4096; a change rebuilds the store (ResetGraphics).
    void SetGraphSize(int v);
    int GetAddX() const { return addX_; }
    void SetAddX(int v) { Set(addX_, v); }
    int GetNetDX() const { return netDX_; }
    void SetNetDX(int v); // > 0
    double GetYMin() const { return yMin_; }
    void SetYMin(double v) { Set(yMin_, v); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool v) { Set(transparent_, v); }
    double GetYMax() const { return yMax_; }
    void SetYMax(double v) { Set(yMax_, v); }
    int GetGraphCount() const { return graphCount_; }
    // 1 .. 64; a change rebuilds the store.
    void SetGraphCount(int v);
    int GetCurrentGraph() const { return currentGraph_; }
    void SetCurrentGraph(int v); // 0 .. GraphCount - 1
    TColor GetGrColor() const { return grColor_; }
    void SetGrColor(TColor v) { Set(grColor_, v); }
    int GetAddY() const { return addY_; }
    void SetAddY(int v) { Set(addY_, v); }
    int GetAxisWidth() const { return axisWidth_; }
    void SetAxisWidth(int v) { Set(axisWidth_, v); }
    int GetLabelH() const { return labelH_; }
    void SetLabelH(int v) { Set(labelH_, v); }
    int GetAddScale() const { return addScale_; }
    void SetAddScale(int v) { Set(addScale_, v); }
    int GetEdgeLen() const { return edgeLen_; }
    void SetEdgeLen(int v) { Set(edgeLen_, v); }
    double GetLabelDY() const { return labelDY_; }
    void SetLabelDY(double v); // > 0
    int GetLabelDX() const { return labelDX_; }
    void SetLabelDX(int v); // > 0
    TColor GetAxisColor() const { return axisColor_; }
    void SetAxisColor(TColor v) { Set(axisColor_, v); }
    bool GetViewNet() const { return viewNet_; }
    void SetViewNet(bool v) { Set(viewNet_, v); }
    double GetNetDY() const { return netDY_; }
    void SetNetDY(double v); // > 0
    TPen* GetNetPen() const { return netPen_; }
    void SetNetPen(const TPen* pen);
    int GetCursorX() const { return cursorX_; }
    // 0 .. GraphSize - 1; stores only.
    void SetCursorX(int v);
    // The sample of channel CurrentGraph at CursorX (0 without a store).
    double GetCursorY() const;
    void SetCursorY(double v);
    // The pen of channel CurrentGraph (NetPen without a store).
    TPen* GetCurrentGraphPen() const;
    void SetCurrentGraphPen(const TPen* pen);
    // The colour of channel i's pen, 0 <= i < GraphCount (clBlack outside).
    TColor GetGrColors(int i) const;
    void SetGrColors(int i, TColor c);
    bool GetLabelNet() const { return labelNet_; }
    void SetLabelNet(bool v) { Set(labelNet_, v); }

    // --- data --------------------------------------------------------------------
    // Copies GraphSize values into channel row and repaints. False (nothing
    // copied) for a row outside the channels, without a store, or for fewer
    // than GraphSize values.
    bool SetGraphData(std::span<const double> values, int row);
    // Sample s of channel row (0 outside the store).
    double Sample(int row, int s) const;
    bool HasStore() const { return !buffers_.empty(); }
    // New buffers of zeros and default pens for GraphCount channels of
    // GraphSize samples; CursorX and CurrentGraph back to 0.
    void ResetGraphics();
    // Releases the buffers and channel pens. Waits, in steps of 250 ms, while
    // another chart anywhere in the process is releasing its own.
    void FreeMemory();

    // --- geometry of the control as it is now --------------------------------------
    TTxPlot Plot() const;
    int XtoScreen(double sample) const { return Plot().XtoScreen(sample); }
    int YtoScreen(double value) const { return Plot().YtoScreen(value); }

public Q_SLOTS:
    // The owned pens report here: repaint at once.
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;

private:
    // Setter body: compare, store, repaint at once.
    template <class T, class V> bool Set(T& member, const V& value) {
        if (member == value)
            return false;
        member = value;
        Refresh();
        return true;
    }
    void Refresh();

    std::vector<std::vector<double>> buffers_;
    std::vector<TPen*> pens_;
    TPen* netPen_;

    int graphSize_ = 720;
    int addX_ = 30;
    int netDX_ = 10;
    double yMin_ = 1700.0;
    bool transparent_ = false;
    double yMax_ = 2200.0;
    int graphCount_ = 2;
    int currentGraph_ = 0;
    TColor grColor_ = clSilver;
    int addY_ = 20;
    int axisWidth_ = 2;
    int labelH_ = 5;
    int addScale_ = 15;
    int edgeLen_ = 10;
    double labelDY_ = 100.0;
    int labelDX_ = 60;
    TColor axisColor_ = clBlack;
    bool viewNet_ = true;
    double netDY_ = 20.0;
    int cursorX_ = 0;
    bool labelNet_ = false;
};
