#pragma once
// Geometry and scale arithmetic of the trend chart, as pure functions so that the
// worked examples (label positions, grid points, the automatic scale, the order
// of curve vertices) can be checked without a window.

#include "LevelgraphStore.h"

#include <QLine>
#include <QPoint>
#include <QString>
#include <QVector>
#include <vector>

// Nearest integer, halves to the even neighbour.
double RoundHalfEven(double x);

// The plot rectangle of one pass and the two scale factors.
struct TPlotRegion {
    int PlotLeft = 0;
    int PlotTop = 0;
    int PlotRight = 0;
    int PlotBottom = 0;
    double PlotWidth = 0.0;
    double PlotHeight = 0.0;
    double YMin = 0.0;
    double YRange = 0.0;
    int IntervalPointCount = 0;
    double PixelsPerStep = 0.0; // 0 without steps
    double PixelsPerUnit = 0.0; // 0 without a positive value range

    // Step position to x, clamped to the plot. (Inline: a pass maps every step.)
    double IndexToScreenX(double step) const {
        const double x = PlotLeft + PixelsPerStep * step;
        const double right = PlotRight > PlotLeft ? PlotRight : PlotLeft;
        return x < PlotLeft ? PlotLeft : x > right ? right : x;
    }
    // Value to y, clamped to the plot: values beyond the range sit on its edge.
    double YToScreen(double value) const {
        const double y = PlotBottom - (value - YMin) * PixelsPerUnit;
        const double top = PlotTop < PlotBottom ? PlotTop : PlotBottom;
        if (!(y >= top)) // also NaN
            return y != y ? PlotBottom : top;
        return y > PlotBottom ? PlotBottom : y;
    }
    double ScreenToIX(double x) const;
    // The offset above YMin, not the value itself.
    double ScreenToY(double y) const;
};

TPlotRegion MakePlotRegion(int left, int top, int right, int bottom, double yMin, double yMax,
                           int intervalPointCount);

// The first grid point after origin: 0 for step <= 0 or origin 0; otherwise the
// quotient rounded half to even, one step further up for a positive origin.
double CalcStartNetPoint(double origin, double step);

// Linear map of [fromLow, fromHigh] onto [toLow, toHigh], clamped at both ends.
double TranslateVal(double value, double fromLow, double fromHigh, double toLow, double toHigh);

// Values of the horizontal grid lines: from the grid point nearest the middle
// down to the lowest one strictly above yMin, then up while below yMax. Empty
// when the step is not positive or the grid would be denser than maxLines.
std::vector<double> YLabelValues(double yMin, double yMax, double step, int maxLines = 1000);

// The value scale as the automatic scale sees and changes it.
struct TValueScale {
    double YMin = 0.0;
    double YMax = 0.0;
    double YLabelStep = 0.0;
    QString ScaleYFormat = QStringLiteral("###%");
    bool AutoYMin = false;
    bool AutoYMax = false;
    bool AutoYScale = false;
    bool AutoYScaleFormat = true;
    bool PositiveY = false;
    double MinDeltaY = 0.0;
    int BestNetLineCount = 4;
};

// Widens a range narrower than MinDeltaY about its centre, whatever the Auto flags.
void CheckDeltaY(TValueScale& s);
// The automatic scale from the data range [lo, hi] (both 0 without data).
void CheckAutoLimits(TValueScale& s, double lo, double hi);

// One polyline of a curve in one colour: points [begin, begin + count) of the path.
struct TCurveRun {
    int begin = 0;
    int count = 0;
    bool alarm = false;
};

// The vertices of one or more curves, already in whole pixels, as the painter
// draws them: every run is one polyline in the channel's or the alarm colour.
struct TCurvePath {
    std::vector<QPoint> points;
    std::vector<TCurveRun> runs;
    void clear() {
        points.clear();
        runs.clear();
    }
};

// Line form: a step with a second value goes first to the nearer of its two
// values, then to the other; a present step after a gap only starts the line.
void BuildLineCurve(const TLevelGraphStore& store, int channel, bool enablePresent, const TPlotRegion& r,
                    TCurvePath& out);
// Stair form. lastY carries the level of the previous step across gaps and from
// channel to channel; NaN at the start of a pass.
void BuildStairCurve(const TLevelGraphStore& store, int channel, bool enablePresent, const TPlotRegion& r,
                     double& lastY, TCurvePath& out);
// Multi-scale form: Low mapped from [chLow, chHigh] onto the chart's value range.
void BuildMultiScaleCurve(const TLevelGraphStore& store, int channel, bool enablePresent, double chLow,
                          double chHigh, double yMax, const TPlotRegion& r, TCurvePath& out);
// Marker ticks of one channel; heightPct is the short tick's height in percent.
void BuildMarkerLines(const std::uint32_t* words, int count, const TPlotRegion& r, int heightPct,
                      QVector<QLine>& out);
