// The chart's cell store, time model and scale arithmetic, without a window.
#include "LevelgraphScale.h"
#include "LevelgraphStore.h"
#include "TestSupport.h"

#include <cmath>
#include <limits>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 14);

TDateTime At(int h, int m, int s) {
    return kDay + EncodeTime(h, m, s);
}

// 08:00 .. 09:00 in 60 s steps: 60 steps.
void HourInterval(TLevelGraphStore& st) {
    st.SetSecondStep(60.0);
    st.SetInterval(At(8, 0, 0), At(9, 0, 0));
}

using Values = QList<double>;

} // namespace

class TstLevelGraphModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void folding_data() {
        QTest::addColumn<bool>("average");
        QTest::addColumn<Values>("values");
        QTest::addColumn<bool>("present");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<bool>("hasHigh");
        QTest::addColumn<double>("drawn");
        QTest::newRow("5 3 7") << false << Values{5, 3, 7} << true << 3.0 << 7.0 << true << 3.0;
        QTest::newRow("rising") << false << Values{1, 2, 3, 4, 5, 6} << true << 1.0 << 6.0 << true << 1.0;
        QTest::newRow("falling") << false << Values{6, 5, 4} << true << 4.0 << 6.0 << true << 4.0;
        QTest::newRow("equal values") << false << Values{5, 5} << true << 5.0 << 0.0 << false << 5.0;
        QTest::newRow("single zero") << false << Values{0} << true << 0.0 << 0.0 << false << 0.0;
        QTest::newRow("average 2 4 6") << true << Values{2, 4, 6} << true << 12.0 << 3.0 << false << 4.0;
    }
    void folding() {
        QFETCH(bool, average);
        QFETCH(Values, values);
        TLevelGraphStore st;
        HourInterval(st);
        st.SetAverageMode(average);
        // Points 10 s apart: all of them fall into step 2 (08:02:00 .. 08:02:59).
        for (int i = 0; i < values.size(); ++i)
            st.AddPoint(3, At(8, 2, 10 * i), values[i], false);
        const TLevelGraphCell& c = st.Cell(3, 2);
        QTEST(c.Present, "present");
        QTEST(c.Low, "low");
        QTEST(c.High, "high");
        QTEST(c.HasHigh, "hasHigh");
        QTEST(st.DrawnValue(c), "drawn");
        QVERIFY(!st.Cell(3, 1).Present);
        QVERIFY(!st.Cell(3, 3).Present);
        QCOMPARE(TP().beeps, 0);
    }

    void pointsOutsideTheInterval() {
        TLevelGraphStore st;
        HourInterval(st);
        st.AddPoint(0, At(8, 0, 30), 10, false);
        st.AddPoint(0, At(8, 0, 40), 20, false);
        QVERIFY(st.Cell(0, 0).HasHigh);
        // Before the start: replaces step 0 entirely, alarm is still or-ed in.
        st.AddPoint(0, At(7, 59, 0), 42, true);
        QCOMPARE(st.Cell(0, 0).Low, 42.0);
        QCOMPARE(st.Cell(0, 0).High, 42.0);
        QVERIFY(st.Cell(0, 0).Present);
        QVERIFY(!st.Cell(0, 0).HasHigh);
        QVERIFY(st.Cell(0, 0).Alarm);
        // After the stop: dropped, nothing anywhere changes.
        st.AddPoint(0, At(9, 0, 1), 99, true);
        for (int j = 1; j < TLevelGraphStore::kSteps; ++j)
            QVERIFY(!st.Cell(0, j).Present);
        // Bad channels, NaN values and NaN moments are ignored without a trace.
        st.AddPoint(-1, At(8, 5, 0), 1, false);
        st.AddPoint(16, At(8, 5, 0), 1, false);
        st.AddPoint(0, At(8, 5, 0), std::numeric_limits<double>::quiet_NaN(), false);
        st.AddPoint(0, std::numeric_limits<double>::quiet_NaN(), 7, false);
        QVERIFY(!st.Cell(0, 5).Present);
        QCOMPARE(st.Cell(0, 0).Low, 42.0);
    }

    void averageBeforeStart() {
        TLevelGraphStore st;
        HourInterval(st);
        st.SetAverageMode(true);
        st.AddPoint(1, At(8, 0, 10), 4, false);
        st.AddPoint(1, At(7, 0, 0), 8, false);
        QCOMPARE(st.Cell(1, 0).Low, 8.0);
        QCOMPARE(st.Cell(1, 0).High, 1.0);
        QCOMPARE(st.DrawnValue(st.Cell(1, 0)), 8.0);
    }

    void stepBoundaries() {
        // A sample stamped exactly on a step boundary belongs to the step it opens,
        // also on a real date where the day count carries rounding noise.
        TLevelGraphStore st;
        st.SetSecondStep(60.0);
        st.SetInterval(At(0, 0, 0), At(23, 59, 59));
        QCOMPARE(st.IntervalSize(), 86399);
        QCOMPARE(st.IntervalPointCount(), 1439);
        for (int m = 0; m < 1439; ++m)
            QCOMPARE(st.StepOf(At(m / 60, m % 60, 0)), m);
        QCOMPARE(st.TimeToIndex(At(0, 0, 30)), 0.5);
        QCOMPARE(st.TimeToIndex(At(0, 0, 0) - OneSecond), 0.0);
        QCOMPARE(st.TimeToIndex(At(23, 59, 59) + OneSecond), 3000.0);
    }

    void getPointAndDelPoint() {
        TLevelGraphStore st;
        HourInterval(st);
        QCOMPARE(st.GetPoint(0, At(8, 10, 0)), -1.0);
        st.AddPoint(0, At(8, 10, 5), 0.0, false);
        QCOMPARE(st.GetPoint(0, At(8, 10, 30)), 0.0);
        st.AddPoint(0, At(8, 10, 6), 5.0, false);
        QCOMPARE(st.GetPoint(0, At(8, 10, 30)), 0.0); // Low, not High
        QCOMPARE(st.GetPoint(-1, At(8, 10, 0)), -1.0);
        QCOMPARE(st.GetPoint(16, At(8, 10, 0)), -1.0);
        // After the interval: step 3000, one past the store.
        QCOMPARE(st.GetPoint(0, At(10, 0, 0)), -1.0);
        st.DelPoint(0, At(10, 0, 0));
        st.DelPoint(0, At(8, 10, 59));
        QCOMPARE(st.GetPoint(0, At(8, 10, 0)), -1.0);
        QVERIFY(!st.Cell(0, 10).HasHigh);
    }

    void intervalModel_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("count");
        QTest::newRow("hour / 60") << 3600.0 << 60.0 << 3600 << 60;
        QTest::newRow("shift 8h / 30") << 28800.0 << 30.0 << 28800 << 960;
        QTest::newRow("empty") << 0.0 << 60.0 << 0 << 0;
        QTest::newRow("reversed") << -3600.0 << 60.0 << 0 << 0;
        QTest::newRow("shorter than a step") << 59.0 << 60.0 << 59 << 0;
        // Longer than the store: shows the first 3000 steps, never writes past them.
        QTest::newRow("day / 1 s") << 86400.0 << 1.0 << 86400 << 3000;
    }
    void intervalModel() {
        QFETCH(double, seconds);
        QFETCH(double, step);
        TLevelGraphStore st;
        st.SetSecondStep(step);
        st.SetInterval(At(6, 0, 0), At(6, 0, 0) + seconds / kSecondsPerDay);
        QTEST(st.IntervalSize(), "size");
        QTEST(st.IntervalPointCount(), "count");
    }

    void longIntervalStaysInTheStore() {
        TLevelGraphStore st;
        st.SetSecondStep(1.0);
        st.SetInterval(At(0, 0, 0), At(23, 59, 59));
        for (int s = 0; s < 86399; s += 7)
            st.AddPoint(15, At(0, 0, 0) + s * OneSecond, s, false);
        QVERIFY(st.Cell(15, 2996).Present);
        QCOMPARE(st.Cell(15, 2999).Present, false); // 2999 % 7 != 0 and no later point folds in
    }

    void markers() {
        TLevelGraphStore st;
        QCOMPARE(st.SetMarker(2, 10, kMarkerTick, false), 10);
        QCOMPARE(st.SetMarker(2, 10, kMarkerTall, true), 10);
        QCOMPARE(st.Marker(2, 10), kMarkerTick | kMarkerTall);
        QCOMPARE(st.SetMarker(2, 10, kMarkerConnect, false), 10);
        QCOMPARE(st.Marker(2, 10), kMarkerConnect);
        QCOMPARE(st.SetMarker(16, 1, 1, false), -1);
        QCOMPARE(st.SetMarker(0, 3000, 1, false), -1);
        QCOMPARE(st.SetMarker(0, -1, 1, false), -1);
        st.ResetMarker(2);
        QCOMPARE(st.Marker(2, 10), 0u);
    }

    // Channels are allocated on first write: writing, deleting and resetting one
    // channel leaves its neighbours reading empty, and the last channel's last
    // step is its own.
    void channelsAreIndependent() {
        TLevelGraphStore st;
        HourInterval(st);
        st.DelPoint(4, At(8, 2, 0));
        st.ResetGraph(5);
        st.ResetMarker(5);
        st.AddPoint(4, At(8, 2, 0), 7.0, true);
        st.SetMarker(15, TLevelGraphStore::kSteps - 1, kMarkerTall, false);
        for (int c = 0; c < TLevelGraphStore::kChannels; ++c) {
            QCOMPARE(st.Cell(c, 2).Present, c == 4);
            QCOMPARE(st.Marker(c, TLevelGraphStore::kSteps - 1), c == 15 ? kMarkerTall : 0u);
        }
        double lo = 0, hi = 0;
        QVERIFY(st.ValueRange(TLevelGraphStore::kChannels, true, lo, hi));
        QCOMPARE(lo, 7.0);
        st.ResetGraph(4);
        QVERIFY(!st.ValueRange(TLevelGraphStore::kChannels, true, lo, hi));
    }

    void calcStartNetPoint_data() {
        QTest::addColumn<double>("origin");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("expected");
        const double h = EncodeTime(1, 0, 0);
        QTest::newRow("07:00 / 2h -> 10:00") << At(7, 0, 0) << 2 * h << kDay + EncodeTime(10, 0, 0);
        QTest::newRow("07:00 / 1h -> 08:00") << At(7, 0, 0) << h << kDay + EncodeTime(8, 0, 0);
        QTest::newRow("07:40 / 1h -> 09:00") << At(7, 40, 0) << h << kDay + EncodeTime(9, 0, 0);
        QTest::newRow("09:00 / 2h -> 10:00") << At(9, 0, 0) << 2 * h << kDay + EncodeTime(10, 0, 0);
        QTest::newRow("plain 2.5") << 2.5 << 1.0 << 3.0;
        QTest::newRow("plain 3.5") << 3.5 << 1.0 << 5.0;
        QTest::newRow("negative -2.5") << -2.5 << 1.0 << -2.0;
        QTest::newRow("origin 0") << 0.0 << 1.0 << 0.0;
        QTest::newRow("step 0") << 5.0 << 0.0 << 0.0;
    }
    void calcStartNetPoint() {
        QFETCH(double, origin);
        QFETCH(double, step);
        QFETCH(double, expected);
        QVERIFY2(std::fabs(CalcStartNetPoint(origin, step) - expected) < 1e-9,
                 qPrintable(QString::number(CalcStartNetPoint(origin, step), 'f', 12)));
    }

    void yLabels_data() {
        QTest::addColumn<double>("yMin");
        QTest::addColumn<double>("yMax");
        QTest::addColumn<double>("step");
        QTest::addColumn<Values>("expected");
        QTest::newRow("1700..2501 / 100")
            << 1700.0 << 2501.0 << 100.0 << Values{1800, 1900, 2000, 2100, 2200, 2300, 2400, 2500};
        QTest::newRow("0..101 / 10") << 0.0 << 101.0 << 10.0
                                     << Values{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
        QTest::newRow("0..101 / 20") << 0.0 << 101.0 << 20.0 << Values{20, 40, 60, 80, 100};
        QTest::newRow("0..100 / 20: none at YMax") << 0.0 << 100.0 << 20.0 << Values{20, 40, 60, 80};
        QTest::newRow("no step") << 0.0 << 100.0 << 0.0 << Values{};
        QTest::newRow("too dense") << 0.0 << 100.0 << 1e-90 << Values{};
        QTest::newRow("step lost in the value") << 1e20 << 1e20 + 65536 << 1e4 << Values{};
    }
    void yLabels() {
        QFETCH(double, yMin);
        QFETCH(double, yMax);
        QFETCH(double, step);
        QFETCH(Values, expected);
        const std::vector<double> got = YLabelValues(yMin, yMax, step);
        if (QTest::currentDataTag() == QByteArray("step lost in the value")) {
            QVERIFY(got.size() <= 1001); // ends, whatever it finds
            return;
        }
        QCOMPARE(Values(got.begin(), got.end()), expected);
    }

    void autoScaleExample() {
        TLevelGraphStore st;
        HourInterval(st);
        for (int j = 0; j < 60; ++j)
            st.AddPoint(0, At(8, j, 0), 1800 + (j % 11) * 50, false);
        double lo = 0, hi = 0;
        QVERIFY(st.ValueRange(1, true, lo, hi));
        QCOMPARE(lo, 1800.0);
        QCOMPARE(hi, 2300.0);
        TValueScale s;
        s.AutoYMin = s.AutoYMax = s.AutoYScale = true;
        CheckAutoLimits(s, lo, hi);
        QCOMPARE(s.YMin, 1725.0);
        QCOMPARE(s.YMax, 2375.0);
        QCOMPARE(s.YLabelStep, 160.0);
        QCOMPARE(s.ScaleYFormat, QStringLiteral("###0"));
    }

    void autoLimits_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<bool>("autoMin");
        QTest::addColumn<bool>("autoMax");
        QTest::addColumn<bool>("positive");
        QTest::addColumn<double>("userMin");
        QTest::addColumn<double>("userMax");
        QTest::addColumn<double>("yMin");
        QTest::addColumn<double>("yMax");
        QTest::newRow("constant 50") << 50.0 << 50.0 << true << true << false << 0.0 << 0.0 << 47.75 << 52.25;
        QTest::newRow("constant 0") << 0.0 << 0.0 << true << true << false << 0.0 << 0.0 << -0.15 << 1.15;
        QTest::newRow("positive") << 1.0 << 11.0 << true << true << true << 0.0 << 0.0 << 0.0 << 12.5;
        QTest::newRow("only min") << 20.0 << 50.0 << true << false << false << 0.0 << 100.0 << 8.0 << 100.0;
        QTest::newRow("only max") << 20.0 << 50.0 << false << true << false << 10.0 << 0.0 << 10.0 << 56.0;
        // Data beyond the fixed limit: the free one gives way instead of turning
        // the scale upside down.
        QTest::newRow("above fixed max")
            << 200.0 << 300.0 << true << false << false << 0.0 << 100.0 << 85.0 << 100.0;
        QTest::newRow("negative under positiveY")
            << -10.0 << -5.0 << true << true << true << 0.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("only min, max 0")
            << 10.0 << 20.0 << true << false << false << 0.0 << 0.0 << -1.15 << 0.0;
    }
    void autoLimits() {
        QFETCH(double, lo);
        QFETCH(double, hi);
        TValueScale s;
        QFETCH(bool, autoMin);
        QFETCH(bool, autoMax);
        QFETCH(bool, positive);
        QFETCH(double, userMin);
        QFETCH(double, userMax);
        QFETCH(double, yMin);
        QFETCH(double, yMax);
        s.AutoYMin = autoMin;
        s.AutoYMax = autoMax;
        s.PositiveY = positive;
        s.YMin = userMin;
        s.YMax = userMax;
        CheckAutoLimits(s, lo, hi);
        QVERIFY2(std::fabs(s.YMin - yMin) < 1e-9, qPrintable(QString::number(s.YMin)));
        QVERIFY2(std::fabs(s.YMax - yMax) < 1e-9, qPrintable(QString::number(s.YMax)));
        QVERIFY(s.YMax > s.YMin);
        // A second pass over the same data settles where the first one did for the
        // fixed limit.
        CheckAutoLimits(s, lo, hi);
        if (!autoMax)
            QCOMPARE(s.YMax, userMax);
        if (!autoMin)
            QCOMPARE(s.YMin, userMin);
    }

    void autoScaleRepeatedOnlyMin() {
        TValueScale s;
        s.AutoYMin = true;
        s.AutoYScale = true;
        s.YMax = 100;
        for (int pass = 0; pass < 5; ++pass) {
            CheckAutoLimits(s, 20, 50);
            QCOMPARE(s.YMax, 100.0);
            QVERIFY(s.YMin < 20);
            QVERIFY(s.YLabelStep > 0);
        }
    }

    void autoScaleSmallRanges_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<QString>("format");
        QTest::newRow("1.2..1.5") << 1.2 << 1.5 << "#0.000";
        QTest::newRow("10..11.5") << 10.0 << 11.5 << "#0.00";
        QTest::newRow("10..16") << 10.0 << 16.0 << "#0.0";
        QTest::newRow("0..100") << 0.0 << 100.0 << "###0";
        QTest::newRow("tiny 0.011") << 1.0 << 1.011 << "#0.000";
    }
    void autoScaleSmallRanges() {
        QFETCH(double, lo);
        QFETCH(double, hi);
        TValueScale s;
        s.AutoYMin = s.AutoYMax = s.AutoYScale = true;
        CheckAutoLimits(s, lo, hi);
        QTEST(s.ScaleYFormat, "format");
        QVERIFY(s.YMin < lo && s.YMax > hi);
        // At least one grid interval, and not a wall of lines.
        const double lines = (s.YMax - s.YMin) / s.YLabelStep;
        QVERIFY2(lines >= 1.0 && lines < 60, qPrintable(QString::number(lines)));
    }

    void minDeltaY() {
        TValueScale s;
        s.YMin = 10;
        s.YMax = 12;
        s.MinDeltaY = 10;
        CheckDeltaY(s);
        QCOMPARE(s.YMin, 6.0);
        QCOMPARE(s.YMax, 16.0);
        // Applies with no Auto flag too, inside the automatic scale.
        TValueScale t;
        t.YMin = 10;
        t.YMax = 12;
        t.MinDeltaY = 4;
        CheckAutoLimits(t, 0, 0);
        QCOMPARE(t.YMin, 9.0);
        QCOMPARE(t.YMax, 13.0);
    }

    void hugeValuesKeepTheScale() {
        TValueScale s;
        s.AutoYMin = s.AutoYMax = s.AutoYScale = true;
        s.YMin = 0;
        s.YMax = 10;
        s.YLabelStep = 2;
        CheckAutoLimits(s, -1.7e308, 1.7e308);
        QCOMPARE(s.YMin, 0.0);
        QCOMPARE(s.YMax, 10.0);
    }

    void mappings() {
        const TPlotRegion r = MakePlotRegion(30, 10, 969, 484, 0, 100, 1439);
        QCOMPARE(r.IndexToScreenX(0), 30.0);
        QCOMPARE(r.IndexToScreenX(-5), 30.0);
        QCOMPARE(r.IndexToScreenX(1439), 969.0);
        QCOMPARE(r.YToScreen(0), 484.0);
        QCOMPARE(r.YToScreen(150), 10.0);
        QCOMPARE(r.YToScreen(-5), 484.0);
        QCOMPARE(r.ScreenToIX(30), 0.0);
        QCOMPARE(r.ScreenToY(484), 0.0);
        // No value range: everything on the bottom, nothing divides by zero.
        const TPlotRegion flat = MakePlotRegion(30, 10, 969, 484, 5, 5, 10);
        QCOMPARE(flat.PixelsPerUnit, 0.0);
        QCOMPARE(flat.YToScreen(123), 484.0);
        QCOMPARE(flat.ScreenToY(100), 0.0);
        QCOMPARE(TranslateVal(5, 0, 10, 100, 200), 150.0);
        QCOMPARE(TranslateVal(-1, 0, 10, 100, 200), 100.0);
        QCOMPARE(TranslateVal(11, 0, 10, 100, 200), 200.0);
        QCOMPARE(TranslateVal(5, 5, 5, 100, 200), 100.0);
    }

    // A 10-step plot 100 px wide, values 0..100 over 101 px: x = 10 + 10 j, y = 110 - v.
    void lineFormOrder() {
        TLevelGraphStore st;
        st.SetSecondStep(60);
        st.SetInterval(At(8, 0, 0), At(8, 10, 0));
        const TPlotRegion r = MakePlotRegion(10, 10, 109, 110, 0, 101, 10);
        st.AddPoint(0, At(8, 0, 0), 30, false);
        st.AddPoint(0, At(8, 1, 0), 10, false);
        st.AddPoint(0, At(8, 1, 5), 20, true);
        st.AddPoint(0, At(8, 2, 0), 15, false);
        TCurvePath p;
        BuildLineCurve(st, 0, true, r, p);
        auto Y = [&](double v) { return int(r.YToScreen(v)); };
        auto X = [&](int j) { return int(r.IndexToScreenX(j)); };
        // 30 -> 20 -> 10 (alarm step), then 10 -> 15 in the curve's colour.
        QCOMPARE(int(p.runs.size()), 2);
        QVERIFY(p.runs[0].alarm);
        QVERIFY(!p.runs[1].alarm);
        const QVector<QPoint> expected{
            {X(0), Y(30)}, {X(1), Y(20)}, {X(1), Y(10)}, {X(1), Y(10)}, {X(2), Y(15)}};
        QCOMPARE(QVector<QPoint>(p.points.begin(), p.points.end()), expected);
    }

    void singleStepBetweenGaps() {
        TLevelGraphStore st;
        st.SetSecondStep(60);
        st.SetInterval(At(8, 0, 0), At(8, 10, 0));
        const TPlotRegion r = MakePlotRegion(10, 10, 109, 110, 0, 101, 10);
        st.AddPoint(0, At(8, 4, 0), 50, false);
        TCurvePath line;
        BuildLineCurve(st, 0, true, r, line);
        QVERIFY(line.points.empty());
        TCurvePath stair;
        double lastY = std::numeric_limits<double>::quiet_NaN();
        BuildStairCurve(st, 0, true, r, lastY, stair);
        QCOMPARE(int(stair.runs.size()), 1);
        const int y = int(r.YToScreen(50));
        const QVector<QPoint> expected{{45, y}, {50, y}, {50, y}, {55, y}};
        QCOMPARE(QVector<QPoint>(stair.points.begin(), stair.points.end()), expected);
        // Without the present flag every step is drawn: a line over all ten steps.
        TCurvePath all;
        BuildLineCurve(st, 0, false, r, all);
        QCOMPARE(int(all.points.size()), 10);
    }

    void stairFormSteps() {
        TLevelGraphStore st;
        st.SetSecondStep(60);
        st.SetInterval(At(8, 0, 0), At(8, 10, 0));
        const TPlotRegion r = MakePlotRegion(10, 10, 109, 110, 0, 101, 10);
        st.AddPoint(0, At(8, 0, 0), 30, false);
        st.AddPoint(0, At(8, 1, 0), 10, false);
        st.AddPoint(0, At(8, 1, 5), 20, false);
        TCurvePath p;
        double lastY = std::numeric_limits<double>::quiet_NaN();
        BuildStairCurve(st, 0, true, r, lastY, p);
        auto Y = [&](double v) { return int(r.YToScreen(v)); };
        // Step 0 at 30 from x 10 to 15; step 1 joins at 20 (nearer to 30), drops to 10.
        const QVector<QPoint> expected{{10, Y(30)}, {10, Y(30)}, {10, Y(30)}, {15, Y(30)},
                                       {15, Y(20)}, {20, Y(20)}, {20, Y(10)}, {25, Y(10)}};
        QCOMPARE(QVector<QPoint>(p.points.begin(), p.points.end()), expected);
        QCOMPARE(lastY, r.YToScreen(10));
    }

    void markerLines() {
        std::uint32_t words[6] = {
            kMarkerTick, 0, kMarkerTick, kMarkerTick | kMarkerConnect, kMarkerTick | kMarkerTall, 0};
        // 6 steps over 60 px; plot 100 px high from y 10 to 110.
        const TPlotRegion r = MakePlotRegion(10, 10, 69, 110, 0, 100, 6);
        QVector<QLine> lines;
        BuildMarkerLines(words, 6, r, 30, lines);
        const QVector<QLine> expected{QLine(10, 110, 10, 80), QLine(30, 110, 30, 80), QLine(30, 80, 40, 80),
                                      QLine(40, 110, 40, 80), QLine(50, 110, 50, 50), QLine(51, 110, 51, 50)};
        QCOMPARE(lines, expected);
        // A height above 50 % gives tall ticks of 90 %.
        lines.clear();
        BuildMarkerLines(words + 4, 1, r, 60, lines);
        QCOMPARE(lines.first(), QLine(10, 110, 10, 20));
    }
};

ORDAL_TEST_MAIN(TstLevelGraphModel)
#include "tst_levelgraph_model.moc"
