// TTxGraph: setter rules, the plot's geometry, which samples make a curve, the
// picture's layers, and extreme property values.
#include "../elements/ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Txgraph.h"

#include <limits>
#include <vector>

namespace {

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

class TFormTxTest : public QWidget {
    Q_OBJECT
};

} // namespace

class TstTxGraph : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TTxGraph* Shown() {
        auto* g = new TTxGraph(window_);
        PaintCounter first(g);
        g->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("chart was not painted after show");
        QCoreApplication::processEvents();
        g->removeEventFilter(&first);
        return g;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(300, 200);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaultsAndStore() {
        TTxGraph g;
        QCOMPARE(g.size(), QSize(210, 100));
        QCOMPARE(g.GetGraphSize(), 720);
        QCOMPARE(g.GetGraphCount(), 2);
        QCOMPARE(g.GetYMin(), 1700.0);
        QCOMPARE(g.GetYMax(), 2200.0);
        QCOMPARE(g.GetGrColor(), clSilver);
        QVERIFY(g.GetViewNet());
        QVERIFY(!g.GetLabelNet());
        QCOMPARE(g.GetNetPen()->GetColor(), clBlack);
        QCOMPARE(g.GetCursorY(), 0.0);
        // Channel pens by number, the rest the default pen.
        g.SetGraphCount(8);
        const TColor expected[] = {clRed, clBlue, clYellow, clGreen, clLime, clNavy, clBlack, clBlack};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(g.GetGrColors(i), expected[i]);
        QCOMPARE(g.GetGrColors(8), clBlack);
        // A new size or count rebuilds the store: zeros, default pens, cursor home.
        g.SetCurrentGraph(3);
        g.SetCursorX(5);
        g.SetCursorY(1900);
        QCOMPARE(g.Sample(3, 5), 1900.0);
        g.SetGrColors(0, clAqua);
        g.SetGraphSize(100);
        QCOMPARE(g.GetCurrentGraph(), 0);
        QCOMPARE(g.GetCursorX(), 0);
        QCOMPARE(g.Sample(3, 5), 0.0);
        QCOMPARE(g.GetGrColors(0), clRed);

        // Whole rows.
        std::vector<double> row(100, 1800.0);
        QVERIFY(g.SetGraphData(row, 7));
        QCOMPARE(g.Sample(7, 99), 1800.0);
        QVERIFY(!g.SetGraphData(row, 8));                          // a row past the channels
        QVERIFY(!g.SetGraphData(std::vector<double>(99, 1.0), 0)); // too short: nothing read past it
        QCOMPARE(g.Sample(0, 0), 0.0);
        g.FreeMemory();
        QVERIFY(!g.SetGraphData(row, 0));
        QCOMPARE(g.GetCursorY(), 0.0);
        QCOMPARE(g.GetCurrentGraphPen(), g.GetNetPen());
        g.ResetGraphics();
        QVERIFY(g.SetGraphData(row, 1));
    }

    void setterRules_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("GraphCount 65") << QByteArray("GraphCount") << QVariant(65) << false;
        QTest::newRow("GraphCount 0") << QByteArray("GraphCount") << QVariant(0) << false;
        QTest::newRow("GraphCount 64") << QByteArray("GraphCount") << QVariant(64) << true;
        QTest::newRow("GraphSize 2") << QByteArray("GraphSize") << QVariant(2) << false;
        QTest::newRow("GraphSize 5000") << QByteArray("GraphSize") << QVariant(5000) << false;
        QTest::newRow("GraphSize 4096") << QByteArray("GraphSize") << QVariant(4096) << true;
        QTest::newRow("LabelDY 0") << QByteArray("LabelDY") << QVariant(0.0) << false;
        QTest::newRow("LabelDX -1") << QByteArray("LabelDX") << QVariant(-1) << false;
        QTest::newRow("NetDX 0") << QByteArray("NetDX") << QVariant(0) << false;
        QTest::newRow("NetDY -5") << QByteArray("NetDY") << QVariant(-5.0) << false;
        QTest::newRow("NetDY 5") << QByteArray("NetDY") << QVariant(5.0) << true;
        QTest::newRow("CurrentGraph 2") << QByteArray("CurrentGraph") << QVariant(2) << false;
        QTest::newRow("CurrentGraph 1") << QByteArray("CurrentGraph") << QVariant(1) << true;
        QTest::newRow("YMin") << QByteArray("YMin") << QVariant(1500.0) << true;
        QTest::newRow("AxisColor") << QByteArray("AxisColor") << QVariant(int(clRed)) << true;
    }
    void setterRules() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        TTxGraph* g = Shown();
        const QVariant before = g->property(property);
        PaintCounter paints(g);
        QVERIFY(g->setProperty(property, before));
        QCOMPARE(paints.count, 0);
        QVERIFY(g->setProperty(property, value));
        QCOMPARE(g->property(property) == value, accepted);
        QCOMPARE(g->property(property) == before, !accepted);
        QCOMPARE(paints.count, accepted ? 1 : 0); // at once, before any event loop
    }

    void geometry() {
        // The default control: plot 30..195 x 15..80, 720 samples, 1700..2200.
        TTxGraph g;
        const TTxPlot p = g.Plot();
        QCOMPARE(p.PlotLeft, 30);
        QCOMPARE(p.PlotTop, 15);
        QCOMPARE(p.PlotRight, 195);
        QCOMPARE(p.PlotBottom, 80);
        QCOMPARE(g.XtoScreen(0), 30);
        QCOMPARE(g.XtoScreen(360), 112); // 30 + 360 * 165 / 720 = 112.5
        QCOMPARE(g.YtoScreen(1950), 47); // 80 - 0.13 * 250 = 47.5
        QCOMPARE(g.YtoScreen(1700), 80);
        QCOMPARE(g.YtoScreen(1600), 80); // below the range: bottom
        QCOMPARE(g.YtoScreen(2500), 15); // above: top
    }

    void curves_data() {
        QTest::addColumn<std::vector<double>>("samples");
        QTest::addColumn<int>("segments");
        QTest::newRow("zeros") << std::vector<double>{0, 0, 0} << 0;
        QTest::newRow("missing middle") << std::vector<double>{1800, 0, 1900} << 0;
        QTest::newRow("at YMin is missing") << std::vector<double>{1800, 1700, 1900} << 0;
        QTest::newRow("three present") << std::vector<double>{1800, 1850, 1900} << 2;
        QTest::newRow("break in a run") << std::vector<double>{1800, 1850, 0, 1900, 2000} << 2;
        QTest::newRow("not a number")
            << std::vector<double>{1800, std::numeric_limits<double>::quiet_NaN(), 1900} << 0;
    }
    void curves() {
        QFETCH(std::vector<double>, samples);
        QFETCH(int, segments);
        QVector<QLine> out;
        const TTxPlot p = MakeTxPlot(210, 100, 30, 20, 15, int(samples.size()), 1700, 2200);
        BuildTxCurve(samples, p, out);
        QCOMPARE(out.size(), segments);

        // On the picture: channel 0 is red, and red appears only with a segment.
        TTxGraph g;
        g.SetViewNet(false);
        g.SetGraphSize(int(samples.size()));
        QVERIFY(g.SetGraphData(samples, 0));
        const QImage img = RenderElement(&g);
        int red = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                red += Px(img, x, y) == Rgb(clRed);
        QCOMPARE(red > 0, segments > 0);
        if (segments > 0) { // the middle column of the first segment
            const QLine l = out[0];
            const int x = (l.x1() + l.x2()) / 2;
            bool found = false;
            for (int y = std::min(l.y1(), l.y2()); y <= std::max(l.y1(), l.y2()); ++y)
                found = found || Px(img, x, y) == Rgb(clRed);
            QVERIFY(found);
        }
    }

    void layers() {
        TTxGraph g;
        g.SetColor(clWhite);
        const TTxPlot p = g.Plot();
        QImage img = RenderElement(&g);
        QCOMPARE(Px(img, 2, 50), Rgb(clWhite));                  // the control's colour
        QCOMPARE(Px(img, 100, 50), Rgb(clSilver));               // plot, between grid lines
        QCOMPARE(Px(img, g.XtoScreen(10), 50), Rgb(clBlack));    // a grid line every 10 samples
        QCOMPARE(Px(img, 100, g.YtoScreen(1720)), Rgb(clBlack)); // every 20 in value
        QCOMPARE(Px(img, p.PlotLeft, 50), Rgb(clBlack));         // the value axis
        QCOMPARE(Px(img, 100, p.PlotBottom), Rgb(clBlack));      // the index axis
        QCOMPARE(Px(img, 207, p.PlotBottom), Rgb(clBlack));      // its arrowhead
        QCOMPARE(Px(img, 200, p.PlotBottom - 4), Rgb(clBlack));
        QCOMPARE(Px(img, p.PlotLeft, 3), Rgb(clBlack));                     // the value axis' arrowhead
        QCOMPARE(Px(img, g.XtoScreen(60), p.PlotBottom + 4), Rgb(clBlack)); // index tick
        QCOMPARE(Px(img, p.PlotLeft - 4, g.YtoScreen(1800)), Rgb(clBlack)); // value tick
        QCOMPARE(Px(img, p.PlotLeft - 4, g.YtoScreen(1850)), Rgb(clWhite)); // none between
        // Without the grid the plot is plain; the label grid is the axis colour.
        g.SetViewNet(false);
        g.SetLabelNet(true);
        g.SetAxisColor(clMaroon);
        img = RenderElement(&g);
        QCOMPARE(Px(img, g.XtoScreen(10), 50), Rgb(clSilver));
        QCOMPARE(Px(img, 100, g.YtoScreen(2100)), Rgb(clMaroon));
        QCOMPARE(Px(img, g.XtoScreen(120), 50), Rgb(clMaroon));
        QCOMPARE(TP().beeps, 0);
    }

    void extremeValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("beeps");
        QTest::newRow("no value range") << QByteArray("YMax") << QVariant(1700.0) << 1;
        QTest::newRow("inverted range") << QByteArray("YMax") << QVariant(1000.0) << 0;
        QTest::newRow("grid finer than the pixels") << QByteArray("NetDY") << QVariant(1e-12) << 0;
        QTest::newRow("label grid finer than a double") << QByteArray("LabelDY") << QVariant(1e-300) << 0;
        QTest::newRow("huge arrowheads") << QByteArray("EdgeLen") << QVariant(INT_MAX) << 0;
        QTest::newRow("huge ticks") << QByteArray("LabelH") << QVariant(INT_MIN) << 0;
        QTest::newRow("huge margin") << QByteArray("AddScale") << QVariant(INT_MIN) << 0;
        QTest::newRow("huge axis pen") << QByteArray("AxisWidth") << QVariant(INT_MAX) << 0;
    }
    void extremeValues() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(int, beeps);
        TTxGraph g;
        g.SetLabelNet(true);
        std::vector<double> row(720);
        for (int i = 0; i < 720; ++i)
            row[std::size_t(i)] = 1700 + i;
        g.SetGraphData(row, 0);
        QVERIFY(g.setProperty(property, value));
        const QImage img = RenderElement(&g);
        QCOMPARE(TP().beeps, beeps);
        // The paint stays bounded: no grid has more lines than the plot has rows.
        const TTxPlot plot = g.Plot();
        const qsizetype rows = std::abs(plot.PlotBottom - plot.PlotTop) + 1;
        QVERIFY(qsizetype(TxValueRows(plot, g.GetNetDY()).size()) <= rows);
        QVERIFY(qsizetype(TxValueRows(plot, g.GetLabelDY()).size()) <= rows);
        if (property == "NetDY") // every row of the plot carries a line of the grid
            QCOMPARE(Px(img, 31, 70), Rgb(clBlack));
    }

    void fromALayout() {
        TFormTxTest form;
        LoadLayoutText(&form, QString::fromUtf8(R"(object FormTxTest: TFormTxTest
  object TxGraph1: TTxGraph
    Left = 8
    Top = 8
    Width = 300
    Height = 120
    GraphSize = 60
    YMin = 0
    YMax = 100
    GraphCount = 3
    CurrentGraph = 2
    GrColor = clWhite
    NetDY = 10
    NetPen.Color = clGray
    CurrentGraphPen.Color = clPurple
    CurrentGraphPen.Width = 2
    LabelDX = 12
    LabelNet = True
  end
end
)"),
                       "tx.layout");
        auto* g = form.findChild<TTxGraph*>("TxGraph1");
        QVERIFY(g);
        QCOMPARE(g->size(), QSize(300, 120));
        QCOMPARE(g->GetGraphSize(), 60);
        QCOMPARE(g->GetCurrentGraph(), 2);
        QCOMPARE(g->GetGrColors(2), clPurple);
        QCOMPARE(g->GetCurrentGraphPen()->GetWidth(), 2);
        QCOMPARE(g->GetNetPen()->GetColor(), clGray);
        QCOMPARE(g->GetLabelDX(), 12);
        QVERIFY(g->GetLabelNet());
    }
};

ORDAL_TEST_MAIN(TstTxGraph)
#include "tst_txgraph.moc"
