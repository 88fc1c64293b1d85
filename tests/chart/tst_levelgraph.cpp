// TLevelGraph as a widget: properties and their setter rules, pen persistence,
// the paint pass, printing, and the cursor's keys and mouse.
#include "../elements/ElementTestSupport.h"
#include "IniFile.h"
#include "Layout.h"
#include "Levelgraph.h"
#include "NumText.h"
#include "ObeyPermissions.h"
#include "TestSupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <sys/stat.h>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 14);
TDateTime At(int h, int m, int s = 0) {
    return kDay + EncodeTime(h, m, s);
}
const TDateTime kMinute = EncodeTime(0, 1, 0);

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

// A chart whose plot maps simply: 10 one-minute steps from 08:00, x = 10 + 10 j;
// values 0 .. 102 over 102 px, y = 111 - v. Control 119 x 126.
std::unique_ptr<TLevelGraph> SmallChart() {
    auto g = std::make_unique<TLevelGraph>();
    g->resize(119, 126);
    g->SetGraphLeft(10);
    g->SetGraphTop(10);
    g->SetGraphSubWidth(10);
    g->SetGraphSubHeight(15);
    g->SetYMax(102);
    g->SetYMin(0);
    g->SetYLabelStep(1000); // no grid line inside the plot
    g->SetXLabelStep(EncodeTime(1, 0, 0));
    g->SetShowScaleX(false);
    g->SetShowScaleY(false);
    g->SetStartTime(At(8, 0));
    g->SetStopTime(At(8, 10));
    g->SetSecondStep(60);
    return g;
}

void SendKey(QWidget* w, int key, bool* accepted = nullptr) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    e.setAccepted(false);
    QCoreApplication::sendEvent(w, &e);
    if (accepted)
        *accepted = e.isAccepted();
}

void SendPress(QWidget* w, Qt::MouseButton b, QPoint pos) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(pos), w->mapToGlobal(QPointF(pos)), b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TFormChartTest : public QWidget {
    Q_OBJECT
};

// A window whose layout binds the chart's events and pop-up menu by name.
class TFormChartEvents : public QWidget {
    Q_OBJECT
public:
    QStringList calls;
public Q_SLOTS:
    void ChartChange(QObject* sender) { calls << "change " + sender->objectName(); }
    void ChartDblClick(QObject* sender) { calls << "dblclick " + sender->objectName(); }
    void CmdShowClick(QObject*) { calls << "command"; }
};

class TstLevelGraph : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TLevelGraph g;
        QCOMPARE(g.width(), 400);
        QCOMPARE(g.height(), 100);
        QCOMPARE(g.GetBackColor(), clSilver);
        QCOMPARE(g.GetGraphBackColor(), clWhite);
        QCOMPARE(g.GetSecondStep(), 60.0);
        QCOMPARE(g.GetDataStep(), 60.0 / 86400);
        QCOMPARE(g.GetScaleXFormat(), QStringLiteral("hh:mm"));
        QCOMPARE(g.GetScaleYFormat(), QStringLiteral("###%"));
        QCOMPARE(g.GetAlarmColor(), clRed);
        QCOMPARE(g.GetBestNetLineCount(), 4);
        QCOMPARE(g.GetArraySize(), 1000);
        QVERIFY(g.GetEnablePresentArray());
        QVERIFY(g.GetAutoYScaleFormat());
        QCOMPARE(g.GraphPen(5)->GetColor(), clBlack);
        QCOMPARE(g.GetCursorType(), TLevelGraph::vm_cursor_VLine);
        // The layouts reach every published property through the meta-object.
        QVERIFY(g.setProperty("GraphCount", 3));
        QCOMPARE(g.GetGraphCount(), 3);
        QVERIFY(g.setProperty("CursorType", "vm_cursor_Cross"));
        QCOMPARE(g.GetCursorType(), TLevelGraph::vm_cursor_Cross);
        auto* pen = g.property("GraphPen").value<TPen*>();
        QVERIFY(pen);
        QVERIFY(pen->setProperty("Color", clRed));
        QCOMPARE(g.GraphPen(0)->GetColor(), clRed);
    }

    void fromALayout() {
        TFormChartTest form;
        const TLayout layout = LoadLayoutText(&form, QString::fromUtf8(R"(object FormChartTest: TFormChartTest
  object LevelGraphPLS: TLevelGraph
    Left = 0
    Top = 40
    Width = 600
    Height = 300
    BorderPen.Color = clGray
    GraphCount = 2
    YMax = 2000
    YMin = 1000
    GraphPen.Color = clRed
    CurrentGraph = 1
    GraphPen.Color = clBlue
    GraphPen.Width = 3
    CursorType = vm_cursor_Cross
    DataStep = 0.000694444444444444
    XLabelStep = 0.0833333333333333
    ScaleYFormat = '###0'
    LegendStrings.Strings = ( 'Текущая' 'Задание' )
    IntervalPointCount = 5
  end
end
)"),
                                              "FormChartTest.layout");
        auto* g = layout.Get<TLevelGraph>("LevelGraphPLS");
        QCOMPARE(g->geometry(), QRect(0, 40, 600, 300));
        QCOMPARE(g->GetBorderPen()->GetColor(), clGray);
        QCOMPARE(g->GetYMin(), 1000.0);
        QCOMPARE(g->GetYMax(), 2000.0);
        QCOMPARE(g->GraphPen(0)->GetColor(), clRed);
        QCOMPARE(g->GraphPen(1)->GetColor(), clBlue);
        QCOMPARE(g->GraphPen(1)->GetWidth(), 3);
        QCOMPARE(g->GetCursorType(), TLevelGraph::vm_cursor_Cross);
        QCOMPARE(g->GetSecondStep(), 60.0);
        QCOMPARE(g->GetLegendStrings()->Strings(), QStringList({"Текущая", "Задание"}));
        // A read-only property in a layout answers as in a property editor.
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QStringLiteral("Это поле только для чтения 2."));
    }

    void stepSetters_data() {
        QTest::addColumn<bool>("viaDataStep");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("secondStep");
        QTest::addColumn<double>("dataStepSeconds");
        QTest::newRow("DataStep 5 ms ignored") << true << 0.005 << 60.0 << 60.0;
        QTest::newRow("DataStep 10 ms") << true << 0.010 << 0.010 << 0.010;
        QTest::newRow("DataStep 90 s") << true << 90.0 << 90.0 << 90.0;
        QTest::newRow("DataStep 1.4 s rounds") << true << 1.4 << 1.0 << 1.4;
        QTest::newRow("DataStep 1.6 s rounds") << true << 1.6 << 2.0 << 1.6;
        QTest::newRow("SecondStep 30") << false << 30.0 << 30.0 << 30.0;
        QTest::newRow("SecondStep 0.005 -> 1 s") << false << 0.005 << 1.0 << 1.0;
        QTest::newRow("SecondStep negative -> 1 s") << false << -5.0 << 1.0 << 1.0;
        QTest::newRow("SecondStep NaN -> 1 s") << false << std::nan("") << 1.0 << 1.0;
    }
    void stepSetters() {
        QFETCH(bool, viaDataStep);
        QFETCH(double, value);
        QFETCH(double, secondStep);
        QFETCH(double, dataStepSeconds);
        TLevelGraph g;
        if (viaDataStep)
            g.SetDataStep(value / 86400);
        else
            g.SetSecondStep(value);
        QCOMPARE(g.GetSecondStep(), secondStep);
        QCOMPARE(g.GetDataStep() * 86400, dataStepSeconds);
    }

    void yLimitRule() {
        TLevelGraph g;
        g.SetYMin(1.0);
        QCOMPARE(g.GetYMax(), 1.001);
        g.SetYMax(1.0);
        QCOMPARE(g.GetYMin(), 0.999);
        g.SetYMax(50);
        g.SetYMin(80);
        QCOMPARE(g.GetYMax(), 80.001);
        g.SetYMin(std::nan(""));
        QCOMPARE(g.GetYMin(), 80.0);
    }

    void arraySize() {
        TLevelGraph g;
        g.SetArraySize(5);
        g.SetArraySize(3001);
        QCOMPARE(g.GetArraySize(), 1000);
        QCOMPARE(TP().messages.size(), 2);
        QCOMPARE(TP().messages[0].text, QStringLiteral("Допускаются целые числа в диапазоне от 10 до 3000"));
        QCOMPARE(TP().messages[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        g.SetArraySize(10);
        g.SetArraySize(3000);
        QCOMPARE(g.GetArraySize(), 3000);
        QCOMPARE(TP().messages.size(), 2);
    }

    void readOnlyProperties_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("IntervalSize") << "IntervalSize"
                                      << "Это поле только для чтения 1.";
        QTest::newRow("IntervalPointCount") << "IntervalPointCount"
                                            << "Это поле только для чтения 2.";
        QTest::newRow("DetectedYMin") << "DetectedYMin"
                                      << "Это поле только для чтения 3.";
        QTest::newRow("DetectedYMax") << "DetectedYMax"
                                      << "Это поле только для чтения 4.";
    }
    void readOnlyProperties() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto g = SmallChart();
        const QVariant before = g->property(qPrintable(name));
        g->setProperty(qPrintable(name), 7);
        QCOMPARE(g->property(qPrintable(name)), before);
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, text);
        QCOMPARE(TP().messages[0].caption, QStringLiteral("Справка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Warning);
        QCOMPARE(g->GetIntervalPointCount(), 10);
    }

    void newIntervalProtocol() {
        TLevelGraph g;
        g.SetNewIntervalAccepted(false);
        g.SetNewStartTime(At(7, 0));
        g.SetNewStopTime(At(15, 0));
        g.SetNewCursorTime(At(9, 0));
        QCOMPARE(g.GetStartTime(), 0.0);
        g.SetNewIntervalAccepted(true);
        QCOMPARE(g.GetStartTime(), At(7, 0));
        QCOMPARE(g.GetStopTime(), At(15, 0));
        QCOMPARE(g.GetCursorTime(), At(9, 0));
        QCOMPARE(g.GetIntervalPointCount(), 480);
        // A new stop clears the flag; the start alone does not.
        g.SetNewStartTime(At(8, 0));
        QVERIFY(g.GetNewIntervalAccepted());
        g.SetNewStopTime(At(16, 0));
        QVERIFY(!g.GetNewIntervalAccepted());
        QCOMPARE(g.GetStartTime(), At(7, 0));
        g.SetNewIntervalAccepted(true);
        QCOMPARE(g.GetStartTime(), At(8, 0));
        // Accepting again while accepted takes nothing over.
        g.SetStartTime(At(6, 0));
        g.SetNewIntervalAccepted(true);
        QCOMPARE(g.GetStartTime(), At(6, 0));
    }

    void unchangedValuesDoNotRepaint() {
        auto g = SmallChart();
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        PaintCounter pc(g.get());
        QCoreApplication::processEvents();
        pc.count = 0;
        g->SetCursorTime(g->GetCursorTime());
        g->SetBackColor(clSilver);
        g->GraphPen(0)->SetColor(clBlack);
        g->SetStartTime(At(9, 0)); // stores only
        g->SetStartTime(At(8, 0));
        QCoreApplication::processEvents();
        QCOMPARE(pc.count, 0);
        g->SetCursorTime(At(8, 5));
        QCoreApplication::processEvents();
        QCOMPARE(pc.count, 1);
        g->GraphPen(0)->SetColor(clBlue);
        QCoreApplication::processEvents();
        QCOMPARE(pc.count, 2);
    }

    void graphPenIndexAndMarkers() {
        TLevelGraph g;
        TPen red;
        red.SetColor(clRed);
        red.SetWidth(3);
        g.SetGraphPen(4, &red);
        QCOMPARE(g.GraphPen(4)->GetColor(), clRed);
        QCOMPARE(g.GraphPen(4)->GetWidth(), 3);
        g.SetCurrentGraph(4);
        QCOMPARE(g.GraphPen(16), g.GraphPen(4));
        QCOMPARE(g.GetGraphPenCurrent(), g.GraphPen(4));
        g.SetCurrentGraph(99);
        QCOMPARE(g.GraphPen(-1), g.GraphPen(0));

        QCOMPARE(g.Add_marker_point(0, 5, 1, false), -1); // no marker channels yet
        g.SetMarkerCount(16);
        QCOMPARE(g.GetMarkerCount(), 0);
        g.SetMarkerCount(2);
        g.SetMarkerIx(1);
        QCOMPARE(g.GetMarkerWidth(), 1);
        QCOMPARE(g.GetMarkerHeight(), 30);
        QCOMPARE(g.GetMarkerColor(), clFuchsia);
        g.SetMarkerColor(clGreen);
        g.SetMarkerIx(5);
        QCOMPARE(g.GetMarkerColor(), 0);
        g.SetMarkerColor(clBlue); // ignored
        g.SetMarkerIx(1);
        QCOMPARE(g.GetMarkerColor(), clGreen);
        g.SetStartTime(At(8, 0));
        g.SetStopTime(At(9, 0));
        QCOMPARE(g.Add_marker_point(1, 5, 1, false), 5);
        QCOMPARE(g.Add_marker_point(1, 5, 4, true), 5);
        QCOMPARE(g.Data().Marker(1, 5), 5u);
        QCOMPARE(g.Add_marker_point(1, At(8, 30, 20), 1, false), 30);
        QCOMPARE(g.Add_marker_point(1, At(9, 30), 1, false), -1);
        QCOMPARE(g.Add_marker_point(2, 5, 1, false), -1);
        g.ResetData();
        QCOMPARE(g.Data().Marker(1, 5), 0u);
    }

    void penPersistence() {
        {
            IniFile ini(QStringLiteral("GraphColors.INI"));
            ini.WriteInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pw0"), 2);
            ini.WriteInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pc0"), clBlue);
            ini.WriteInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pw3"), 4);
            ini.WriteString(QStringLiteral("LevelGraphPLS"), QStringLiteral("pc1"),
                            QStringLiteral("-16777201"));
        }
        {
            TLevelGraph g;
            g.setObjectName(QStringLiteral("LevelGraphPLS"));
            g.GraphPen(3)->SetColor(clLime); // from the window layout
            g.SetIniName(QStringLiteral(".\\GraphColors.INI"));
            QCOMPARE(g.GraphPen(0)->GetWidth(), 2);
            QCOMPARE(g.GraphPen(0)->GetColor(), clBlue);
            QCOMPARE(g.GraphPen(1)->GetColor(), TColor(-16777201));
            QCOMPARE(g.GraphPen(3)->GetWidth(), 4);
            QCOMPARE(g.GraphPen(3)->GetColor(), clLime); // no "pc3": the layout's colour stays
            g.GraphPen(7)->SetColor(clTeal);
        }
        // Saved when the chart goes.
        IniFile ini(QStringLiteral("GraphColors.INI"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pc7"), 0), clTeal);
        QCOMPARE(ini.ReadInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pc3"), 0), clLime);
        QCOMPARE(ini.ReadInteger(QStringLiteral("LevelGraphPLS"), QStringLiteral("pw15"), 0), 1);
    }

    // The pens are saved when the chart goes, also on the way out of the
    // program: a file that cannot be read is left as it is, and the chart goes.
    void pensNotSavedToAnUnreadableFile() {
        const QByteArray text = "[LevelGraphPLS]\npw0=2\n[LevelGraphTN]\npc0=255\n";
        QFile f("Unreadable.INI");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        {
            ObeyPermissions obey;
            if (!obey.Active())
                QSKIP("file permissions cannot be enforced for this process");
            QVERIFY(::chmod("Unreadable.INI", 0200) == 0);
            {
                TLevelGraph g;
                g.setObjectName(QStringLiteral("LevelGraphPLS"));
                g.SetIniName(QStringLiteral(".\\Unreadable.INI"));
                QCOMPARE(g.GraphPen(0)->GetWidth(), 1); // the default
                g.GraphPen(7)->SetColor(clTeal);
                QVERIFY(!g.SaveToIni());
            }
            QVERIFY(::chmod("Unreadable.INI", 0644) == 0);
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), text);
    }

    void demoData() {
        TLevelGraph g;
        g.SetGraphCount(3);
        g.SetYMax(100);
        g.SetStartTime(At(8, 0));
        g.SetStopTime(At(16, 0));
        g.SetDemoData(true);
        int present = 0;
        for (int c = 0; c < 3; ++c)
            for (int j = 0; j < 480; ++j) {
                const TLevelGraphCell& cell = g.Data().Cell(c, j);
                if (!cell.Present)
                    continue;
                ++present;
                QVERIFY(cell.Low >= 0 && cell.Low <= 100);
            }
        QCOMPARE(present, 3 * 480);
        QVERIFY(!g.Data().Cell(3, 10).Present);
        g.SetDemoData(false);
        QVERIFY(!g.Data().Cell(0, 10).Present);
        // Too short an interval: nothing generated.
        g.SetStopTime(At(8, 5));
        g.SetDemoData(true);
        QVERIFY(!g.Data().Cell(0, 1).Present);
    }

    // ---- the paint pass ----------------------------------------------------------

    void paintsCurveAlarmAndBackground() {
        auto g = SmallChart();
        g->GraphPen(0)->SetColor(clBlue);
        for (int j = 0; j < 5; ++j)
            g->AddPoint(0, At(8, j), 50, j == 3);
        const QImage img = RenderElement(g.get());
        QCOMPARE(Px(img, 2, 2), Rgb(clSilver));
        QCOMPARE(Px(img, 60, 30), Rgb(clWhite));
        QCOMPARE(Px(img, 15, 61), Rgb(clBlue));  // step 0 -> 1
        QCOMPARE(Px(img, 35, 61), Rgb(clRed));   // step 2 -> 3 carries the alarm
        QCOMPARE(Px(img, 45, 61), Rgb(clBlue));  // step 3 -> 4
        QCOMPARE(Px(img, 60, 61), Rgb(clWhite)); // no data after step 4
        QVERIFY(!g->RedrawNeeded());
        QCOMPARE(g->Picture().size(), g->size());
    }

    void stairFormPixels() {
        auto g = SmallChart();
        g->SetHistogramGraph(true);
        g->AddPoint(0, At(8, 4), 50, false); // a single step between gaps
        const QImage img = RenderElement(g.get());
        QCOMPARE(Px(img, 45, 61), Rgb(clBlack));
        QCOMPARE(Px(img, 54, 61), Rgb(clBlack)); // the end pixel stays free, as on the classic canvas
        QCOMPARE(Px(img, 40, 61), Rgb(clWhite));
        QCOMPARE(Px(img, 60, 61), Rgb(clWhite));
        g->SetHistogramGraph(false);
        const QImage line = RenderElement(g.get());
        QCOMPARE(Px(line, 50, 61), Rgb(clWhite));
    }

    // More steps than pixel columns: each column shows its steps' bar from the
    // minimum to the maximum, and a copy of an earlier picture stays untouched.
    void denseStepsFillTheirColumns() {
        auto g = SmallChart();
        g->SetSecondStep(1);
        g->SetStopTime(At(8, 5)); // 300 steps over 100 columns
        g->GraphPen(0)->SetColor(clBlue);
        RenderElement(g.get());
        const QImage kept = g->Picture(); // shares the picture's pixels
        const QImage snapshot = kept.copy();
        for (int j = 0; j < 300; ++j) {
            g->AddPoint(0, At(8, 0, j), 20, false);
            g->AddPoint(0, At(8, 0, j), 80, false);
        }
        g->UpdateChanges();
        const QImage img = RenderElement(g.get());
        for (int x = 11; x < 108; ++x)
            for (int y = 111 - 80; y <= 111 - 20; ++y)
                QVERIFY2(Px(img, x, y) == Rgb(clBlue), qPrintable(QString("%1,%2").arg(x).arg(y)));
        QCOMPARE(Px(img, 60, 111 - 81), Rgb(clWhite));
        QCOMPARE(Px(img, 60, 111 - 19), Rgb(clWhite));
        QCOMPARE(kept, snapshot);
    }

    void autoScaleInThePass() {
        auto g = SmallChart();
        g->SetYLabelStep(1);
        g->SetAutoYMin(true);
        g->SetAutoYMax(true);
        g->SetAutoYScale(true);
        for (int j = 0; j < 10; ++j)
            g->AddPoint(0, At(8, j), j % 2 ? 2300 : 1800, false);
        RenderElement(g.get());
        QCOMPARE(g->GetYMin(), 1725.0);
        QCOMPARE(g->GetYMax(), 2375.0);
        QCOMPARE(g->GetYLabelStep(), 160.0);
        QCOMPARE(g->GetScaleYFormat(), QStringLiteral("###0"));
        // The same pass already maps with the new limits: 1800 is near the bottom.
        QCOMPARE(g->YToScreen(1725), 111.0);
    }

    void valueLabels_data() {
        QTest::addColumn<double>("yMin");
        QTest::addColumn<double>("yMax");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("rightTexts");
        QTest::newRow("1700..2501") << 1700.0 << 2501.0 << 100.0 << "###0" << false
                                    << QStringList{"1800", "1900", "2000", "2100",
                                                   "2200", "2300", "2400", "2500"}
                                    << QStringList{"", "", "", "", "", "", "", ""};
        QTest::newRow("0..101 right")
            << 0.0 << 101.0 << 10.0 << "###0" << true
            << QStringList{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}
            << QStringList{"0", "5", "10", "15", "20", "25", "30", "35", "40", "45"};
        QTest::newRow("percent") << 0.0 << 101.0 << 50.0 << "###%" << false << QStringList{"50%", "100%"}
                                 << QStringList{"", ""};
    }
    void valueLabels() {
        QFETCH(double, yMin);
        QFETCH(double, yMax);
        QFETCH(double, step);
        QFETCH(QString, format);
        QFETCH(bool, right);
        auto g = SmallChart();
        g->SetYMax(yMax);
        g->SetYMin(yMin);
        g->SetYLabelStep(step);
        g->SetScaleYFormat(format);
        g->SetShowRightScale(right);
        g->SetRightYMin(0);
        g->SetRightScaleStep(5);
        QVERIFY(g->CalcRegion());
        QStringList texts, rightTexts;
        int lastY = INT_MAX;
        for (const auto& l : g->YScaleLabels()) {
            texts << l.text;
            rightTexts << l.rightText;
            QVERIFY(l.y < lastY); // upwards
            lastY = l.y;
        }
        QTEST(texts, "texts");
        QTEST(rightTexts, "rightTexts");
    }

    void gridLineSitsAboveItsValue() {
        auto g = SmallChart();
        g->SetYLabelStep(20);
        g->GetLabelNetPen()->SetColor(clGreen);
        const QImage img = RenderElement(g.get());
        // Value 20 -> y 91, its grid line one pixel higher.
        QCOMPARE(Px(img, 60, 90), Rgb(clGreen));
        QCOMPARE(Px(img, 60, 91), Rgb(clWhite));
    }

    void noRegionKeepsThePicture() {
        auto g = SmallChart();
        g->GraphPen(0)->SetColor(clBlue);
        g->AddPoint(0, At(8, 0), 50);
        g->AddPoint(0, At(8, 1), 50);
        RenderElement(g.get());
        g->SetXLabelStep(EncodeTime(0, 0, 0, 100)); // not above 100 ms: nothing may be drawn
        g->SetBackColor(clYellow);
        const QImage img = RenderElement(g.get());
        QCOMPARE(Px(img, 2, 2), Rgb(clSilver));
        QCOMPARE(Px(img, 15, 61), Rgb(clBlue));
        QVERIFY(!g->RedrawNeeded());
        QCOMPARE(TP().beeps, 0);
    }

    void exportForPrint() {
        TLevelGraph g; // margins 30 / 10 / 30 / 15
        g.SetStartTime(At(8, 0));
        g.SetStopTime(At(9, 0));
        g.SetBackColor(clYellow);
        g.SetYMax(100);
        g.SetYLabelStep(10);
        g.SetXLabelStep(EncodeTime(1, 0, 0));
        g.SetShowScaleY(false);
        RenderElement(&g);
        QVERIFY(g.ExportImage(1000, 500, true));
        const QImage& img = g.Picture();
        QCOMPARE(img.size(), QSize(1000, 500));
        for (const QPoint p :
             {QPoint(0, 0), QPoint(999, 0), QPoint(0, 499), QPoint(999, 499), QPoint(500, 0), QPoint(30, 10),
              QPoint(970, 10), QPoint(30, 485), QPoint(970, 485), QPoint(500, 485)})
            QVERIFY2(Px(img, p.x(), p.y()) == Rgb(clBlack),
                     qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        for (const QPoint p : {QPoint(1, 1), QPoint(15, 250), QPoint(500, 250), QPoint(985, 250),
                               QPoint(500, 495), QPoint(29, 9), QPoint(971, 486)})
            QVERIFY2(Px(img, p.x(), p.y()) == Rgb(clWhite),
                     qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        QVERIFY(g.RedrawNeeded());
        // The next on-screen pass is at the control's size again, in its own colours.
        const QImage screen = RenderElement(&g);
        QCOMPARE(g.Picture().size(), QSize(400, 100));
        QCOMPARE(Px(screen, 2, 2), Rgb(clYellow));
        QVERIFY(!g.ExportImage(0, 500, true));
        QVERIFY(!g.ExportImage(200000, 200000, true));
    }

    void exportCurveAndPaintTo() {
        auto g = SmallChart();
        g->GraphPen(0)->SetColor(clBlue);
        for (int j = 0; j < 10; ++j)
            g->AddPoint(0, At(8, j), 51);
        // Twice the control's size. ExportImage keeps the margins: plot 10..228 x 10..237,
        // 51 at y 237 - 51 * 228 / 102 = 123.
        QVERIFY(g->CalcRegion());
        QVERIFY(g->ExportImage(238, 252, false));
        const QImage& img = g->Picture();
        QCOMPARE(Px(img, 5, 5), Rgb(clSilver));
        QCOMPARE(g->PlotBottom(), 111); // the control's own geometry, not the picture's
        QCOMPARE(Px(img, 100, 123), Rgb(clBlue));
        // PaintTo scales them: plot 20..218 x 20..222, 51 at y 222 - 51 * 203 / 102 = 120.5.
        QImage target(238, 252, QImage::Format_ARGB32);
        target.fill(Qt::black);
        {
            QPainter p(&target);
            g->PaintTo(p, 0, 0, 238, 252, false);
        }
        QCOMPARE(Px(target, 5, 5), Rgb(clSilver));
        QCOMPARE(Px(target, 21, 25), Rgb(clWhite));
        QCOMPARE(Px(target, 100, 120), Rgb(clBlue));
        // PaintTo leaves the chart's own geometry alone.
        QCOMPARE(g->PlotLeft(), 10);
    }

    // Texts are the toolkit's glyphs: the tests look for ink in the places the
    // labels belong, not for exact pixels.
    void timeLabels_data() {
        QTest::addColumn<bool>("minLabel");
        QTest::addColumn<bool>("maxLabel");
        QTest::addColumn<bool>("inkLeft");
        QTest::addColumn<bool>("inkRight");
        QTest::newRow("none") << false << false << false << false;
        QTest::newRow("MinXLabel") << true << false << true << false;
        QTest::newRow("MaxXLabel") << false << true << false << true;
    }
    void timeLabels() {
        QFETCH(bool, minLabel);
        QFETCH(bool, maxLabel);
        TLevelGraph g;
        g.resize(600, 120);
        g.SetYMax(100);
        g.SetYLabelStep(50);
        g.SetShowScaleY(false);
        g.SetStartTime(At(7, 0));
        g.SetStopTime(At(15, 0));
        g.SetXLabelStep(EncodeTime(2, 0, 0)); // regular labels 10:00, 12:00, 14:00
        g.SetMinXLabel(minLabel);
        g.SetMaxXLabel(maxLabel);
        const QImage img = RenderElement(&g);
        auto ink = [&](int x0, int x1) {
            for (int y = g.PlotBottom() + 2; y < img.height(); ++y)
                for (int x = x0; x < x1; ++x)
                    if (Px(img, x, y) != Rgb(clSilver))
                        return true;
            return false;
        };
        QVERIFY(CalcStartNetPoint(g.GetStartTime(), g.GetXLabelStep()) - At(10, 0) < 1e-9);
        // 07:00 would stand around PlotLeft (30), 15:00 from PlotRight (570) on.
        QTEST(ink(0, 60), "inkLeft");
        QTEST(ink(565, 600), "inkRight");
        QVERIFY(ink(g.TimeToScreenX(At(10, 0)) - 5, g.TimeToScreenX(At(10, 0)) + 5));
    }

    void legendAboveTheCurve() {
        auto g = SmallChart();
        g->SetXLabelStep(EncodeTime(0, 5, 0)); // a grid line at 08:05, x 60
        g->SetShowScaleX(true);
        g->SetShowLegend(true);
        g->GetLegendStrings()->SetStrings({"P"});
        g->GetLegendFont()->SetColor(clRed);
        for (int j = 0; j < 10; ++j)
            g->AddPoint(0, At(8, j), 30); // y 81
        const QImage img = RenderElement(g.get());
        // Glyph edges are smoothed: count reddish pixels.
        auto reddish = [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120; };
        bool red = false;
        for (int y = 10; y < 81 && !red; ++y)
            for (int x = 10; x < 60 && !red; ++x)
                red = reddish(Px(img, x, y));
        QVERIFY(red);
        // Without ShowScaleX the legend goes with the time labels.
        g->SetShowScaleX(false);
        const QImage none = RenderElement(g.get());
        for (int y = 0; y < none.height(); ++y)
            for (int x = 0; x < none.width(); ++x)
                QVERIFY(!reddish(Px(none, x, y)));
    }

    // ---- cursor, keys, mouse -------------------------------------------------------

    void cursorDrawing_data() {
        QTest::addColumn<double>("cursor");
        QTest::addColumn<bool>("show");
        QTest::addColumn<int>("cursorX");
        QTest::addColumn<int>("limitX");
        QTest::newRow("inside") << At(8, 3) << true << 40 << 60;
        QTest::newRow("before start: left edge") << At(7, 0) << true << 10 << 60;
        QTest::newRow("after stop: right edge") << At(9, 0) << true << 109 << 60;
        QTest::newRow("hidden: no limit line either") << At(8, 3) << false << -1 << -1;
    }
    void cursorDrawing() {
        QFETCH(double, cursor);
        QFETCH(bool, show);
        QFETCH(int, cursorX);
        QFETCH(int, limitX);
        auto g = SmallChart();
        g->GetCursorPen()->SetColor(clRed);
        g->GetWinLimitsPen()->SetColor(clGreen);
        g->SetCursorTime(cursor);
        g->SetShowCursor(show);
        g->SetWinLeftLimit(At(8, 5));
        g->SetWinLeftLimitOK(true);
        const QImage img = RenderElement(g.get());
        int seenCursor = -1, seenLimit = -1;
        for (int x = 0; x < img.width(); ++x) {
            if (Px(img, x, 50) == Rgb(clRed))
                seenCursor = x;
            if (Px(img, x, 50) == Rgb(clGreen))
                seenLimit = x;
        }
        QCOMPARE(seenCursor, cursorX);
        QCOMPARE(seenLimit, limitX);
    }

    void cursorKeys_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("changes");
        QTest::newRow("left steps back") << At(8, 5) << int(Qt::Key_Left) << 2 << At(8, 3) << 2;
        QTest::newRow("right steps on") << At(8, 5) << int(Qt::Key_Right) << 1 << At(8, 6) << 1;
        QTest::newRow("right overshoots stop once")
            << At(8, 9, 30) << int(Qt::Key_Right) << 3 << At(8, 10, 30) << 1;
        QTest::newRow("left at start does nothing") << At(8, 0) << int(Qt::Key_Left) << 1 << At(8, 0) << 0;
        QTest::newRow("left before start does nothing")
            << At(7, 50) << int(Qt::Key_Left) << 1 << At(7, 50) << 0;
    }
    void cursorKeys() {
        QFETCH(double, start);
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(double, expected);
        QFETCH(int, changes);
        auto g = SmallChart();
        g->SetDataStep(kMinute);
        g->SetCursorTime(start);
        int changed = 0;
        g->SetOnChange(TNotifyEvent([&](QObject* s) {
            QCOMPARE(s, g.get());
            ++changed;
        }));
        for (int i = 0; i < presses; ++i) {
            bool accepted = false;
            SendKey(g.get(), key, &accepted);
            QVERIFY(accepted); // consumed also at the end of the interval
        }
        QVERIFY(std::fabs(g->GetCursorTime() - expected) < 1e-9);
        QCOMPARE(changed, changes);
    }

    void otherKeysGoOn() {
        auto g = SmallChart();
        int seen = 0;
        g->SetOnKeyDown([&](QObject*, QKeyEvent* e) { seen = e->key(); });
        bool accepted = true;
        SendKey(g.get(), Qt::Key_Up, &accepted);
        QCOMPARE(seen, int(Qt::Key_Up));
        QVERIFY(!accepted);
    }

    void arrowKeysBeatShortcuts() {
        QWidget window;
        auto* g = new TLevelGraph(&window);
        g->SetStartTime(At(8, 0));
        g->SetStopTime(At(9, 0));
        g->SetCursorTime(At(8, 30));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(g);
        auto* action = new QAction(&window);
        action->setShortcut(Qt::Key_Left);
        window.addAction(action);
        int triggered = 0;
        connect(action, &QAction::triggered, [&] { ++triggered; });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        g->setFocus();
        QVERIFY(g->hasFocus());
        QTest::keyClick(g, Qt::Key_Left);
        QCOMPARE(triggered, 0);
        QVERIFY(std::fabs(g->GetCursorTime() - At(8, 29)) < 1e-9);
    }

    void mouse_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("handler");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("handled");
        QTest::newRow("left click") << int(Qt::LeftButton) << true << 40 << At(8, 3) << 1 << 0;
        QTest::newRow("left of the plot") << int(Qt::LeftButton) << false << 0 << At(7, 59) << 1 << 0;
        QTest::newRow("right without handler") << int(Qt::RightButton) << false << 60 << At(8, 5) << 1 << 0;
        QTest::newRow("right with handler") << int(Qt::RightButton) << true << 60 << At(8, 1) << 0 << 1;
        QTest::newRow("middle") << int(Qt::MiddleButton) << true << 110 << At(8, 10) << 1 << 0;
    }
    void mouse() {
        QFETCH(int, button);
        QFETCH(bool, handler);
        QFETCH(int, x);
        QFETCH(double, expected);
        QFETCH(int, changes);
        QFETCH(int, handled);
        auto g = SmallChart();
        RenderElement(g.get());
        g->SetCursorTime(At(8, 1));
        int changed = 0, mouseDowns = 0;
        g->SetOnChange(TNotifyEvent([&](QObject*) { ++changed; }));
        if (handler)
            g->SetOnMouseDown([&](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers, int px, int) {
                QCOMPARE(s, g.get());
                QCOMPARE(int(b), button);
                QCOMPARE(px, x);
                ++mouseDowns;
            });
        SendPress(g.get(), Qt::MouseButton(button), QPoint(x, 50));
        QVERIFY2(std::fabs(g->GetCursorTime() - expected) < 1e-7,
                 qPrintable(FormatDateTime("hh:nn:ss.zzz", g->GetCursorTime())));
        QCOMPARE(changed, changes);
        QCOMPARE(mouseDowns, handled);
    }

    void clickBeforeStartThenLeftArrow() {
        auto g = SmallChart();
        g->SetShowCursor(true);
        g->GetCursorPen()->SetColor(clRed);
        RenderElement(g.get());
        int changed = 0;
        g->SetOnChange(TNotifyEvent([&](QObject*) { ++changed; }));
        SendPress(g.get(), Qt::LeftButton, QPoint(0, 50)); // 10 px left of the plot
        QVERIFY(g->GetCursorTime() < g->GetStartTime());
        const QImage img = RenderElement(g.get());
        QCOMPARE(Px(img, 10, 50), Rgb(clRed));
        bool accepted = false;
        const TDateTime before = g->GetCursorTime();
        SendKey(g.get(), Qt::Key_Left, &accepted);
        QVERIFY(accepted);
        QCOMPARE(g->GetCursorTime(), before);
        QCOMPARE(changed, 1);
    }

    void eventsAndPopupMenuFromALayout() {
        TFormChartEvents form;
        const TLayout layout =
            LoadLayoutText(&form, QString::fromUtf8(R"(object FormChartEvents: TFormChartEvents
  object Chart1: TLevelGraph
    Width = 400
    Height = 100
    PopupMenu = PopupMenu1
    OnChange = ChartChange
    OnDblClick = ChartDblClick
  end
  object PopupMenu1: TPopupMenu
    object CmdShow: TMenuItem
      Caption = 'Показать'
      OnClick = CmdShowClick
    end
  end
end
)"),
                           "FormChartEvents.layout");
        auto* g = layout.Get<TLevelGraph>("Chart1");
        auto* menu = layout.Get<TPopupMenu>("PopupMenu1");
        QCOMPARE(g->GetPopupMenu(), menu);
        SendPress(g, Qt::LeftButton, QPoint(50, 50));
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(50, 50), g->mapToGlobal(QPointF(50, 50)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g, &dbl);
        QCOMPARE(form.calls, QStringList({"change Chart1", "dblclick Chart1"}));
        // A right click opens the menu with the chart as its component...
        QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(60, 50), g->mapToGlobal(QPoint(60, 50)));
        SendPress(g, Qt::RightButton, QPoint(60, 50));
        QCoreApplication::sendEvent(g, &context);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->PopupComponent(), g);
        menu->actions()[0]->trigger();
        QCOMPARE(form.calls.last(), QString("command"));
        menu->close();
        // ... unless OnMouseDown took the right click.
        int downs = 0;
        g->SetOnMouseDown([&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; });
        SendPress(g, Qt::RightButton, QPoint(60, 50));
        QCoreApplication::sendEvent(g, &context);
        QCoreApplication::processEvents();
        QCOMPARE(downs, 1);
        QVERIFY(!menu->isVisible());
    }

    // Export draws at the print's size; the control's own geometry stays for
    // the mouse, and the screen gets a pass of its own.
    void exportKeepsTheControlGeometry() {
        TLevelGraph g; // 400 x 100, margins 30 / 10 / 30 / 15
        g.SetStartTime(At(8, 0));
        g.SetStopTime(At(9, 0));
        g.SetYMax(100);
        g.SetYLabelStep(10);
        g.SetXLabelStep(EncodeTime(0, 10, 0));
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QCoreApplication::processEvents();
        SendPress(&g, Qt::LeftButton, QPoint(200, 50));
        const TDateTime before = g.GetCursorTime();
        PaintCounter paints(&g);
        QVERIFY(g.ExportImage(1000, 500, true));
        QCOMPARE(g.ExportBitmap().size(), QSize(1000, 500)); // the owner's picture until the next pass
        SendPress(&g, Qt::LeftButton, QPoint(200, 50));
        QCOMPARE(g.GetCursorTime(), before);
        QTRY_VERIFY(paints.count > 0);
        QCOMPARE(g.Picture().size(), QSize(400, 100));
    }

    // The fast line path must not bypass the painter's window/viewport mapping
    // or its opacity (a print scaled through the painter).
    void curvesFollowThePainter() {
        auto g = SmallChart(); // 51 at y 60, x 10 .. 100
        g->GraphPen(0)->SetColor(clBlue);
        for (int j = 0; j < 10; ++j)
            g->AddPoint(0, At(8, j), 51);
        const auto blueRows = [](const QImage& img, int x) {
            QList<int> rows;
            for (int y = 0; y < img.height(); ++y)
                if (Px(img, x, y) == Rgb(clBlue))
                    rows << y;
            return rows;
        };
        QImage scaled(238, 252, QImage::Format_ARGB32_Premultiplied);
        scaled.fill(Qt::black);
        {
            QPainter p(&scaled);
            p.setWindow(0, 0, 119, 126);
            p.setViewport(0, 0, 238, 252);
            g->PaintTo(p, 0, 0, 119, 126, false);
        }
        const QList<int> rows = blueRows(scaled, 100);
        QVERIFY2(!rows.isEmpty() && rows.first() >= 118 && rows.last() <= 123,
                 qPrintable(QString("blue rows at x 100: %1").arg(rows.size())));
        QImage faint(119, 126, QImage::Format_ARGB32_Premultiplied);
        faint.fill(Qt::white);
        {
            QPainter p(&faint);
            p.setOpacity(0.5);
            g->PaintTo(p, 0, 0, 119, 126, false);
        }
        const QColor c = faint.pixelColor(50, 60);
        QVERIFY2(c.blue() > 200 && c.red() > 60 && c.red() < 200, qPrintable(c.name()));
    }

    // A chart whose range is still closed (both limits 0, as constructed).
    void demoDataOnAClosedRange() {
        TLevelGraph g;
        g.SetStartTime(At(8, 0));
        g.SetStopTime(At(9, 0));
        g.SetDemoData(true);
        QVERIFY(g.Data().Cell(0, 0).Present);
        QCOMPARE(g.GetPoint(0, At(8, 30)), 0.0);
    }

    // The windows' 3-pixel pens take the fast path too and cover what the
    // painter's own wide pen covers.
    void widePens_data() {
        QTest::addColumn<int>("everySeconds");
        QTest::addColumn<int>("width");
        QTest::newRow("day, 1-minute samples, 400 px") << 60 << 400;
        QTest::newRow("hour, wide steps, 900 px") << 0 << 900;
    }
    void widePens() {
        QFETCH(int, everySeconds);
        QFETCH(int, width);
        TLevelGraph g;
        g.resize(width, 200);
        g.SetYMax(100);
        g.SetYLabelStep(1000);
        g.SetXLabelStep(EncodeTime(12, 0, 0));
        g.SetShowScaleX(false);
        g.SetShowScaleY(false);
        g.SetStartTime(At(0, 0));
        g.SetStopTime(everySeconds ? At(23, 59, 59) : At(1, 0));
        g.GraphPen(0)->SetColor(clBlue);
        g.GraphPen(0)->SetWidth(3);
        const int span = everySeconds ? 86399 : 3600;
        for (int s = 0; s < span; s += everySeconds ? everySeconds : 60)
            g.AddPoint(0, At(0, 0) + s * OneSecond, 50 + 40 * std::sin(s / (everySeconds ? 3000.0 : 300.0)));
        const QImage fast = RenderElement(&g);
        // The same vertices through the painter's stroker.
        QImage slow(g.size(), QImage::Format_ARGB32_Premultiplied);
        slow.fill(Qt::white);
        {
            QPainter p(&slow);
            p.setPen(g.GraphPen(0)->ToQPen());
            QPolygon line;
            for (int j = 0; j < g.GetIntervalPointCount(); ++j) {
                const TLevelGraphCell& cell = g.Data().Cell(0, j);
                if (cell.Present)
                    line << QPoint(int(g.IndexToScreenX(j)), int(g.YToScreen(cell.Low)));
            }
            p.drawPolyline(line);
        }
        // Every pixel of either lies within a pixel of the other's ink, and
        // both use about the same ink.
        const auto inked = [](const QImage& img, int x, int y) { return Px(img, x, y) == Rgb(clBlue); };
        const auto near = [&](const QImage& img, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (inked(img, x + dx, y + dy))
                        return true;
            return false;
        };
        int inkFast = 0, inkSlow = 0, stray = 0;
        for (int y = g.PlotTop() + 2; y < g.PlotBottom() - 1; ++y)
            for (int x = g.PlotLeft() + 2; x < g.PlotRight() - 1; ++x) {
                inkFast += inked(fast, x, y);
                inkSlow += inked(slow, x, y);
                stray += (inked(fast, x, y) && !near(slow, x, y)) || (inked(slow, x, y) && !near(fast, x, y));
            }
        QVERIFY(inkSlow > 3 * (g.PlotRight() - g.PlotLeft()) * 9 / 10);
        QCOMPARE(stray, 0);
        QVERIFY2(std::abs(inkFast - inkSlow) * 5 < inkSlow,
                 qPrintable(QString("%1 / %2").arg(inkFast).arg(inkSlow)));
    }

    void screenMappings() {
        auto g = SmallChart();
        QVERIFY(g->CalcRegion());
        QCOMPARE(g->ScreenToIX(60), 5.0);
        QVERIFY(std::fabs(g->ScreenToTime(60) - At(8, 5)) < 1e-9);
        QCOMPARE(g->ScreenToY(61), 50.0);
        QCOMPARE(g->TimeToScreenX(At(8, 5)), 60.0);
        QCOMPARE(g->TimeToScreenX(At(12, 0)), 109.0);
        QCOMPARE(g->FirstXLabelTime(), At(9, 0));
    }
};

ORDAL_TEST_MAIN(TstLevelGraph)
#include "tst_levelgraph.moc"
