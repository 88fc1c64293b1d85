#include "LevelgraphScale.h"

#include <algorithm>
#include <cmath>

double RoundHalfEven(double x) {
    const double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return r;
}

double TPlotRegion::ScreenToIX(double x) const {
    if (PixelsPerStep <= 0)
        return 0.0;
    return (x - PlotLeft) / PixelsPerStep;
}

double TPlotRegion::ScreenToY(double y) const {
    if (PixelsPerUnit <= 0)
        return 0.0;
    return (PlotBottom - y) / PixelsPerUnit;
}

TPlotRegion MakePlotRegion(int left, int top, int right, int bottom, double yMin, double yMax,
                           int intervalPointCount) {
    TPlotRegion r;
    r.PlotLeft = left;
    r.PlotTop = top;
    r.PlotRight = right;
    r.PlotBottom = bottom;
    r.PlotWidth = double(right) - left + 1;
    r.PlotHeight = double(bottom) - top + 1;
    r.YMin = yMin;
    r.YRange = yMax - yMin;
    r.IntervalPointCount = intervalPointCount;
    r.PixelsPerStep = intervalPointCount >= 1 ? r.PlotWidth / intervalPointCount : 0.0;
    r.PixelsPerUnit = r.YRange > 0 && std::isfinite(r.YRange) ? r.PlotHeight / r.YRange : 0.0;
    return r;
}

double CalcStartNetPoint(double origin, double step) {
    if (step <= 0 || origin == 0)
        return 0.0;
    double q = origin / step;
    // A date-time carries rounding noise in its last bits: 07:00 over a 2-hour step
    // must stay a true half so that it rounds to the even neighbour.
    if (std::fabs(q) < 1e9)
        q = std::round(q * 1e6) / 1e6;
    q = RoundHalfEven(q);
    if (origin > 0)
        q += 1.0;
    return q * step;
}

double TranslateVal(double value, double fromLow, double fromHigh, double toLow, double toHigh) {
    if (value <= fromLow)
        return toLow;
    if (value >= fromHigh)
        return toHigh;
    if (fromHigh == fromLow)
        return toLow;
    return toLow + (value - fromLow) * (toHigh - toLow) / (fromHigh - fromLow);
}

std::vector<double> YLabelValues(double yMin, double yMax, double step, int maxLines) {
    std::vector<double> out;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(yMin) || !std::isfinite(yMax))
        return out;
    // A grid denser than maxLines is a solid block of lines, and on a step that
    // vanishes against the values the walk below would never end.
    if ((yMax - yMin) / step > maxLines)
        return out;
    double s = RoundHalfEven((yMin + yMax) / 2.0 / step) * step;
    for (int guard = 0; s - step > yMin && guard <= maxLines; ++guard)
        s -= step;
    for (int guard = 0; s < yMax && guard <= maxLines; ++guard) {
        out.push_back(s);
        s += step;
    }
    return out;
}

void CheckDeltaY(TValueScale& s) {
    if (s.MinDeltaY > 0 && s.YMax - s.YMin < s.MinDeltaY) {
        const double centre = s.YMin + (s.YMax - s.YMin) * 0.5;
        s.YMin = centre - s.MinDeltaY * 0.5;
        s.YMax = centre + s.MinDeltaY * 0.5;
    }
}

void CheckAutoLimits(TValueScale& s, double lo, double hi) {
    const TValueScale before = s;
    if (s.AutoYMin)
        s.YMin = lo;
    if (s.AutoYMax)
        s.YMax = hi;
    CheckDeltaY(s);

    double range = s.YMax - s.YMin;
    if (range < 0.001) {
        if (s.YMax == 0) {
            if (s.AutoYMin && !s.AutoYMax) {
                // The operator's own upper limit stays; the free lower one gives way.
                s.YMin = s.YMax - 1.0;
                lo = s.YMin;
            } else {
                s.YMax = s.YMin + 1.0;
                hi = s.YMax;
            }
            range = 1.0;
        } else {
            const double d = std::fabs(s.YMax) * 0.15;
            if (s.AutoYMin)
                s.YMin -= d;
            if (s.AutoYMax)
                s.YMax += d;
            range = s.YMax - s.YMin;
        }
    }

    const double m = range * 0.15;
    lo -= m;
    hi += m;
    if (s.PositiveY && lo < 0)
        lo = 0;
    if (s.AutoYMin)
        s.YMin = lo;
    if (s.AutoYMax)
        s.YMax = hi;
    CheckDeltaY(s);

    // Data wholly beyond a fixed limit (or negative data under PositiveY) would
    // leave the scale upside down, and the chart would show nothing at all. Open
    // the free limit away from the fixed one instead; the data then lie on the edge.
    if (s.YMax - s.YMin < 0.001) {
        if (s.AutoYMax) {
            const double d = std::fabs(s.YMin) * 0.15;
            s.YMax = s.YMin + (d > 0 ? d : 1.0);
        } else if (s.AutoYMin) {
            const double d = std::fabs(s.YMax) * 0.15;
            s.YMin = s.YMax - (d > 0 ? d : 1.0);
        }
    }

    if (s.AutoYScale) {
        double r = s.YMax - s.YMin;
        if (r < 0.001)
            r = 0.01;
        const double p = std::trunc(std::log10(r));
        const int n = s.BestNetLineCount > 2 ? s.BestNetLineCount : 5;
        const double raw = r / n;
        const double unit = std::pow(10.0, std::trunc(p - 1)) * 0.5;
        const double k = std::trunc(raw / unit);
        if (k == 0 && unit > 0) {
            if (r / unit < 3.0) {
                const double g = 1.1 - raw / unit;
                if (s.AutoYMin && s.AutoYMax) {
                    s.YMin -= g * unit * 0.5;
                    s.YMax += g * unit * 0.5;
                    if (s.PositiveY && s.YMin < 0) {
                        s.YMax -= s.YMin;
                        s.YMin = 0;
                    }
                } else if (s.AutoYMax) {
                    s.YMax += g * unit;
                } else if (s.AutoYMin) {
                    s.YMin -= g * unit;
                }
            }
            s.YLabelStep = unit;
        } else {
            s.YLabelStep = k * unit;
        }

        CheckDeltaY(s);
        r = s.YMax - s.YMin;
        if (r / s.YLabelStep < 1.0) {
            if (s.AutoYMin && s.AutoYMax) {
                s.YMin -= s.YLabelStep;
                s.YMax += s.YLabelStep;
            } else {
                if (s.AutoYMax)
                    s.YMax += s.YLabelStep;
                if (s.AutoYMin)
                    s.YMin -= s.YLabelStep;
            }
        }
        if (s.AutoYScaleFormat) {
            s.ScaleYFormat = QStringLiteral("###0");
            if (r < 10.1)
                s.ScaleYFormat = QStringLiteral("#0.0");
            if (r < 2.1)
                s.ScaleYFormat = QStringLiteral("#0.00");
            if (r < 0.5)
                s.ScaleYFormat = QStringLiteral("#0.000");
        }
    }

    // Values beyond the range of a double (a stray 1e308 in the data) leave the
    // scale as it was rather than turning it into infinities.
    if (!std::isfinite(s.YMin) || !std::isfinite(s.YMax) || !std::isfinite(s.YLabelStep))
        s = before;
}

namespace {

inline QPoint Px(double x, double y) {
    return QPoint(int(x), int(y));
}

// Appends a vertex to the path; starts a new run when the colour changes or the
// curve was broken, beginning at the pen position `from`.
class RunWriter {
public:
    explicit RunWriter(TCurvePath& out) : out_(out) {}
    ~RunWriter() { Close(); }
    void Break() { open_ = false; }
    void Start(QPoint p, bool alarm) {
        Close();
        out_.runs.push_back({int(out_.points.size()), 0, alarm});
        out_.points.push_back(p);
        open_ = true;
        alarm_ = alarm;
    }
    // A line from `from` (the current pen position) to p in the given colour.
    void LineTo(QPoint from, QPoint p, bool alarm) {
        if (!open_ || alarm_ != alarm)
            Start(from, alarm);
        out_.points.push_back(p);
    }

private:
    // The run's length is settled when the next one starts or the curve ends.
    void Close() {
        if (!out_.runs.empty() && out_.runs.back().count == 0)
            out_.runs.back().count = int(out_.points.size()) - out_.runs.back().begin;
    }

    TCurvePath& out_;
    bool open_ = false;
    bool alarm_ = false;
};

} // namespace

void BuildLineCurve(const TLevelGraphStore& store, int channel, bool enablePresent, const TPlotRegion& r,
                    TCurvePath& out) {
    if (!TLevelGraphStore::ValidChannel(channel))
        return;
    const TLevelGraphCell* cells = store.Channel(channel);
    const int count = std::min(r.IntervalPointCount, int(TLevelGraphStore::kSteps));
    RunWriter w(out);
    bool connected = false;
    QPoint last;
    for (int j = 0; j < count; ++j) {
        const TLevelGraphCell& cell = cells[j];
        if (enablePresent && !cell.Present) {
            connected = false;
            w.Break();
            continue;
        }
        const int x = int(r.IndexToScreenX(j));
        const int yA = int(r.YToScreen(store.DrawnValue(cell)));
        const int yB = cell.HasHigh ? int(r.YToScreen(cell.High)) : yA;
        if (!connected) {
            last = QPoint(x, cell.HasHigh ? yB : yA);
            connected = true;
            continue;
        }
        if (!cell.HasHigh) {
            w.LineTo(last, QPoint(x, yA), cell.Alarm);
            last = QPoint(x, yA);
        } else {
            const bool nearA = std::abs(last.y() - yA) < std::abs(last.y() - yB);
            const int nearY = nearA ? yA : yB;
            const int otherY = nearA ? yB : yA;
            w.LineTo(last, QPoint(x, nearY), cell.Alarm);
            w.LineTo(QPoint(x, nearY), QPoint(x, otherY), cell.Alarm);
            last = QPoint(x, otherY);
        }
    }
}

void BuildStairCurve(const TLevelGraphStore& store, int channel, bool enablePresent, const TPlotRegion& r,
                     double& lastY, TCurvePath& out) {
    if (!TLevelGraphStore::ValidChannel(channel))
        return;
    const TLevelGraphCell* cells = store.Channel(channel);
    const int count = std::min(r.IntervalPointCount, int(TLevelGraphStore::kSteps));
    RunWriter w(out);
    bool connected = false;
    QPoint pen;
    for (int j = 0; j < count; ++j) {
        const TLevelGraphCell& cell = cells[j];
        if (enablePresent && !cell.Present) {
            connected = false;
            w.Break();
            continue;
        }
        double y1 = r.YToScreen(store.DrawnValue(cell));
        double y2 = cell.HasHigh && !store.AverageMode() ? r.YToScreen(cell.High) : y1;
        // The first step of a pass has no level before it: start from its own
        // lower value (the left half at Low, the right half at High).
        if (std::isnan(lastY))
            lastY = y1;
        if (std::fabs(y1 - lastY) < std::fabs(y2 - lastY))
            std::swap(y1, y2);
        const double x = r.IndexToScreenX(j);
        const double left = j == 0 ? x : (x + r.IndexToScreenX(j - 1)) / 2;
        const double right = (x + r.IndexToScreenX(j + 1)) / 2;
        const QPoint a = Px(left, y2);
        if (!connected) {
            w.Start(a, cell.Alarm);
            pen = a;
        } else {
            w.LineTo(pen, a, cell.Alarm);
        }
        w.LineTo(a, Px(x, y2), cell.Alarm);
        w.LineTo(Px(x, y2), Px(x, y1), cell.Alarm);
        pen = Px(right, y1);
        w.LineTo(Px(x, y1), pen, cell.Alarm);
        connected = true;
        lastY = y1;
    }
}

void BuildMultiScaleCurve(const TLevelGraphStore& store, int channel, bool enablePresent, double chLow,
                          double chHigh, double yMax, const TPlotRegion& r, TCurvePath& out) {
    if (!TLevelGraphStore::ValidChannel(channel))
        return;
    const TLevelGraphCell* cells = store.Channel(channel);
    const int count = std::min(r.IntervalPointCount, int(TLevelGraphStore::kSteps));
    RunWriter w(out);
    bool connected = false;
    QPoint pen;
    for (int j = 0; j < count; ++j) {
        const TLevelGraphCell& cell = cells[j];
        if (enablePresent && !cell.Present) {
            connected = false;
            w.Break();
            continue;
        }
        const QPoint p =
            Px(r.IndexToScreenX(j), r.YToScreen(TranslateVal(cell.Low, chLow, chHigh, r.YMin, yMax)));
        if (!connected) {
            w.Start(p, cell.Alarm);
            connected = true;
        } else {
            w.LineTo(pen, p, cell.Alarm);
        }
        pen = p;
    }
}

void BuildMarkerLines(const std::uint32_t* words, int count, const TPlotRegion& r, int heightPct,
                      QVector<QLine>& out) {
    const int base = r.PlotBottom;
    const double span = double(r.PlotBottom) - r.PlotTop;
    const int shortTop = int(base - heightPct * span * 0.01);
    int tall = 2 * heightPct;
    if (tall > 100)
        tall = 90;
    const int tallTop = int(base - span * tall * 0.01);
    int lastX = -1;
    bool havePen = false;
    QPoint pen;
    count = std::min(count, int(TLevelGraphStore::kSteps));
    for (int j = 0; j < count; ++j) {
        const std::uint32_t f = words[j];
        if (f == 0) {
            lastX = -1;
            continue;
        }
        const int x = int(r.IndexToScreenX(j));
        if ((f & kMarkerConnect) && lastX > 0 && havePen) {
            out.push_back(QLine(pen, QPoint(x, shortTop)));
            pen = QPoint(x, shortTop);
        }
        if (f & kMarkerTick) {
            if (f & kMarkerTall) {
                out.push_back(QLine(x, base, x, tallTop));
                out.push_back(QLine(x + 1, base, x + 1, tallTop));
                pen = QPoint(x + 1, tallTop);
            } else {
                out.push_back(QLine(x, base, x, shortTop));
                pen = QPoint(x, shortTop);
            }
            havePen = true;
        }
        lastX = x;
    }
}
