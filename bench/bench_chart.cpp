// The trend chart's costs, each as a ratio to a baseline measured in the same run:
//
//  fold    24 hours of samples folded into three channels of a day chart (60 s
//          steps, as the trend windows use it), against a plain loop writing the
//          same number of doubles into an array; once with a sample every second,
//          once with one every 10 seconds.
//  paint   a full on-screen pass of a 1439-step, 16-channel chart at 1000 x 500
//          (every step with a minimum and a maximum), against QPainter::drawPolyline
//          of the same vertices into a QImage of that size. Target <= 2.
//  density a pass of the day chart fed one sample per second, against the same
//          chart fed one sample per minute, for a quiet and a noisy signal.
//          Target <= 1.2: the work follows the steps, not the samples.
//  pens    a pass of a trend window's density chart (two curves, a record every
//          10 s as the windows spread them) with the windows' 3-pixel pens,
//          against the same pass with 1-pixel pens, for a day (1439 steps) and
//          for an hour (60 wide steps). Target <= 3: three times the pixels.
//
// bench_chart --png FILE writes an exported 1000 x 500 picture of a chart with
// three curves, markers, a cursor and both scales, to look at.

#include "Levelgraph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 14);

// The fastest of `rounds` rounds, per call, in nanoseconds: other work on a
// shared machine only ever adds time, so the minimum is the steadiest figure.
double TimeIt(const std::function<void()>& fn, int rounds, int perRound) {
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            fn();
        t.push_back(double(timer.nsecsElapsed()) / perRound);
    }
    return *std::min_element(t.begin(), t.end());
}

void DayInterval(TLevelGraph& g) {
    g.SetSecondStep(60);
    g.SetStartTime(kDay);
    g.SetStopTime(kDay + EncodeTime(23, 59, 59));
}

// A plant-like signal: a slow swing of some 400 kg/m3 plus measurement noise.
double Signal(int channel, double seconds, std::mt19937& rng, double noise = 8.0) {
    std::normal_distribution<double> n(0.0, noise);
    return 1600 + 60 * channel + 200 * std::sin(seconds / 3600.0 + channel) + n(rng);
}

void Feed(TLevelGraph& g, int channels, int everySeconds, std::mt19937& rng, double noise = 8.0) {
    for (int s = 0; s < 86399; s += everySeconds)
        for (int c = 0; c < channels; ++c)
            g.AddPoint(c, kDay + s * OneSecond, Signal(c, s, rng, noise), false);
}

void SetUpLook(TLevelGraph& g, int channels) {
    static const TColor colours[] = {clNavy,  clBlue,   clGreen,   clPurple, clTeal, clMaroon,
                                     clRed,   clOlive,  clFuchsia, clGray,   clLime, clAqua,
                                     clBlack, clYellow, clSilver,  clSkyBlue};
    g.SetGraphCount(channels);
    for (int c = 0; c < channels; ++c)
        g.GraphPen(c)->SetColor(colours[c]);
    g.SetXLabelStep(EncodeTime(2, 0, 0));
    g.SetYLabelStep(100);
    g.SetAutoYMin(true);
    g.SetAutoYMax(true);
    g.SetAutoYScale(true);
}

double FoldRatio(int everySeconds) {
    std::mt19937 rng(7);
    const int samples = 86400 / everySeconds;
    std::vector<double> values(std::size_t(samples) * 3);
    for (double& v : values)
        v = 1600 + std::normal_distribution<double>(0, 100)(rng);
    TLevelGraph g;
    DayInterval(g);
    const double fold = TimeIt(
        [&] {
            g.ResetData();
            std::size_t k = 0;
            for (int i = 0; i < samples; ++i) {
                const TDateTime t = kDay + i * everySeconds * OneSecond;
                for (int c = 0; c < 3; ++c)
                    g.AddPoint(c, t, values[k++], false);
            }
        },
        15, 3);
    std::vector<double> out(values.size());
    const double copy = TimeIt(
        [&] {
            for (std::size_t k = 0; k < values.size(); ++k)
                out[k] = values[k] * 1.0000001;
            // Keep the loop from being optimised away.
            volatile double sink = out[out.size() / 2];
            (void)sink;
        },
        15, 3);
    return fold / copy;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    if (argc == 3 && QByteArray(argv[1]) == "--png") {
        TLevelGraph g;
        g.resize(1000, 500);
        g.setObjectName("LevelGraphDemo");
        g.SetGraphLeft(50);
        g.SetGraphSubWidth(50);
        g.SetGraphSubHeight(22);
        g.SetSecondStep(60);
        g.SetStartTime(kDay + EncodeTime(7, 0, 0));
        g.SetStopTime(kDay + EncodeTime(15, 0, 0));
        SetUpLook(g, 3);
        g.SetXLabelStep(EncodeTime(1, 0, 0));
        g.SetMinXLabel(true);
        g.SetMaxXLabel(true);
        g.SetShowBorder(true);
        g.GetLabelNetPen()->SetColor(clSilver);
        g.GetLabelNetPen()->SetStyle(psDot);
        for (int c = 0; c < 3; ++c)
            g.GraphPen(c)->SetWidth(2);
        g.SetShowRightScale(true);
        g.SetRightYMin(0);
        g.SetRightScaleStep(10);
        g.SetShowLegend(true);
        g.GetLegendStrings()->SetStrings({"Плотность", "Уровень", "Задание"});
        g.SetShowCursor(true);
        g.GetCursorPen()->SetColor(clBlue);
        g.SetCursorTime(kDay + EncodeTime(11, 20, 0));
        g.SetWinLeftLimitOK(true);
        g.SetWinLeftLimit(kDay + EncodeTime(8, 30, 0));
        g.GetWinLimitsPen()->SetColor(clGreen);
        g.GetWinLimitsPen()->SetStyle(psDash);
        g.SetMarkerCount(1);
        std::mt19937 rng(3);
        for (int s = 0; s < 8 * 3600; s += 10)
            for (int c = 0; c < 3; ++c) {
                if (c == 1 && s > 4 * 3600 && s < 4 * 3600 + 1200)
                    continue; // a gap in one curve
                g.AddPoint(c, g.GetStartTime() + s * OneSecond, Signal(c, s, rng),
                           c == 0 && s > 5 * 3600 && s < 5 * 3600 + 900);
            }
        for (int j = 30; j < 480; j += 45)
            g.Add_marker_point(0, j, j % 90 == 30 ? 1 | 4 : 1 | 2, false);
        // The on-screen pass settles the automatic scale; the print takes it over.
        QImage screen(g.size(), QImage::Format_ARGB32);
        g.render(&screen);
        if (!g.ExportImage(1000, 500, true) || !g.Picture().save(QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        screen.save(QString::fromLocal8Bit(argv[2]).replace(".png", "-screen.png"));
        return 0;
    }

    std::printf("fold, 1 s samples x 3 channels vs array writes:   %.2f\n", FoldRatio(1));
    std::printf("fold, 10 s samples x 3 channels vs array writes:  %.2f\n", FoldRatio(10));

    // Full pass of 16 channels x 1439 steps at 1000 x 500 against drawPolyline.
    {
        TLevelGraph g;
        g.resize(1000, 500);
        DayInterval(g);
        SetUpLook(g, 16);
        std::mt19937 rng(11);
        Feed(g, 16, 20, rng); // three samples per step: every step has a minimum and a maximum
        QImage target(1000, 500, QImage::Format_ARGB32_Premultiplied);
        g.render(&target); // settle the automatic scale
        const double pass = TimeIt(
            [&] {
                g.UpdateChanges();
                g.render(&target);
            },
            9, 5);
        // The same vertices: per step the line goes to the near and then the far end.
        std::vector<QPolygon> polys(16);
        const TPlotRegion& r = g.Region();
        for (int c = 0; c < 16; ++c)
            for (int j = 0; j < g.GetIntervalPointCount(); ++j) {
                const TLevelGraphCell& cell = g.Data().Cell(c, j);
                const int x = int(r.IndexToScreenX(j));
                polys[c] << QPoint(x, int(r.YToScreen(cell.Low))) << QPoint(x, int(r.YToScreen(cell.High)));
            }
        QImage plain(1000, 500, QImage::Format_ARGB32_Premultiplied);
        const double polyline = TimeIt(
            [&] {
                QPainter p(&plain);
                for (int c = 0; c < 16; ++c) {
                    p.setPen(g.GraphPen(c)->ToQPen());
                    p.drawPolyline(polys[c]);
                }
            },
            9, 5);
        std::printf("paint, 16 x 1439 steps at 1000x500 vs drawPolyline: %.2f  (target <= 2)\n",
                    pass / polyline);
    }

    // A day fed every second against a day fed every minute, for a quiet and for
    // a noisy signal (noise gives every step of the dense day a tall bar: more ink).
    for (const double noise : {2.0, 8.0}) {
        auto dense = std::make_unique<TLevelGraph>();
        auto sparse = std::make_unique<TLevelGraph>();
        std::mt19937 rng(5);
        for (auto* g : {dense.get(), sparse.get()}) {
            g->resize(1000, 500);
            DayInterval(*g);
            SetUpLook(*g, 3);
        }
        Feed(*dense, 3, 1, rng, noise);
        Feed(*sparse, 3, 60, rng, noise);
        QImage target(1000, 500, QImage::Format_ARGB32_Premultiplied);
        auto passOf = [&](TLevelGraph& g) {
            g.render(&target);
            return TimeIt(
                [&] {
                    g.UpdateChanges();
                    g.render(&target);
                },
                15, 5);
        };
        const double d = passOf(*dense);
        const double s = passOf(*sparse);
        std::printf("paint, day of 1 s vs 1 min samples, noise %.0f:     %.2f  (target <= 1.2)\n", noise,
                    d / s);
    }
    // The windows' wide pens against thin ones over the same data.
    for (const int hours : {24, 1}) {
        auto passOf = [&](int width) {
            TLevelGraph g;
            g.resize(1200, 400);
            g.SetSecondStep(60);
            g.SetStartTime(kDay);
            g.SetStopTime(kDay + (hours == 24 ? EncodeTime(23, 59, 59) : EncodeTime(1, 0, 0)));
            SetUpLook(g, 2);
            g.SetXLabelStep(EncodeTime(hours == 24 ? 2 : 0, hours == 24 ? 0 : 10, 0));
            g.SetShowBorder(true);
            g.GetBorderPen()->SetWidth(2);
            g.GetLabelNetPen()->SetStyle(psDot);
            g.GraphPen(0)->SetColor(clRed);
            g.GraphPen(1)->SetColor(clBlue);
            for (int c = 0; c < 2; ++c)
                g.GraphPen(c)->SetWidth(width);
            std::mt19937 rng(9);
            for (int s = 0; s < hours * 3600; s += 10)
                for (int c = 0; c < 2; ++c)
                    g.AddPoint(c, kDay + s * OneSecond, Signal(c, s, rng), false);
            QImage target(g.size(), QImage::Format_ARGB32_Premultiplied);
            g.render(&target);
            return TimeIt(
                [&] {
                    g.UpdateChanges();
                    g.render(&target);
                },
                15, 5);
        };
        const double thin = passOf(1);
        const double wide = passOf(3);
        std::printf(
            "paint, %2d h at 10 s, 3-px vs 1-px pens:           %.2f  (target <= 3; %.2f ms a pass)\n", hours,
            wide / thin, wide / 1e6);
    }
    return 0;
}
