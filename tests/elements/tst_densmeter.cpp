#include "Densmeter.h"
#include "IniFile.h"
#include "ShownElement.h"
#include "TestSupport.h"

#include <QFile>
#include <climits>

class TstDensMeter : public QObject {
    Q_OBJECT

    // 200 x 60: the bar from 10 to 190 (180 wide), four cells of 45.
    static void Prepare(TDensMeter& d) {
        d.resize(200, 60);
        d.StrCellColors()->SetStrings({"0x00FF00", "0x00FFFF", "$0080FF", "255"});
    }

private Q_SLOTS:
    void init() { TP().Reset(); }

    void defaults() {
        TDensMeter d;
        QCOMPARE(d.GetConfigName(), QString(".\\Colors.INI"));
        QCOMPARE(d.GetTermoTop(), 20);
        QCOMPARE(d.GetTermoHeight(), 10);
        QCOMPARE(d.GetTermoXSpace(), 10);
        QCOMPARE(d.GetOutTop(), 35);
        QCOMPARE(d.GetOutXSpace(), 20);
        QCOMPARE(d.GetOutHeight(), 40);
        QCOMPARE(d.GetOutFormat(), QString("##0.0"));
        QCOMPARE(d.GetTermoCellCount(), 4);
        QCOMPARE(d.GetOutMin(), 0.0);
        QCOMPARE(d.GetOutMax(), 200.0);
        QCOMPARE(d.GetOutValue(), 0.0);
        QCOMPARE(d.GetTermoBackColor(), clBlack);
        QCOMPARE(d.StrCellColors()->Strings(), QStringList(10, "0x000000FF"));
        QCOMPARE(d.GetCellCount(), 4);
    }

    // Filled cells (their right ends) for the value's place on the scale.
    void fill_data() {
        QTest::addColumn<double>("outMin");
        QTest::addColumn<double>("outMax");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("marker");
        QTest::addColumn<QList<int>>("filledTo"); // per cell, its fill's right end; 0: none
        QTest::newRow("half of OutMax") << 0.0 << 200.0 << 100.0 << 100 << QList<int>{55, 100, 0, 0};
        QTest::newRow("1500 of 1000..2000") << 1000.0 << 2000.0 << 1500.0 << 100 << QList<int>{55, 100, 0, 0};
        QTest::newRow("at OutMin") << 1000.0 << 2000.0 << 1000.0 << 10 << QList<int>{0, 0, 0, 0};
        QTest::newRow("inside a cell") << 0.0 << 200.0 << 130.0 << 127 << QList<int>{55, 100, 127, 0};
        QTest::newRow("above the scale") << 0.0 << 200.0 << 900.0 << 190 << QList<int>{55, 100, 145, 190};
        QTest::newRow("below the scale") << 0.0 << 200.0 << -50.0 << 10 << QList<int>{0, 0, 0, 0};
        QTest::newRow("empty scale") << 5.0 << 5.0 << 5.0 << 10 << QList<int>{0, 0, 0, 0};
        QTest::newRow("not a number") << 0.0 << 200.0 << qQNaN() << 10 << QList<int>{0, 0, 0, 0};
    }
    void fill() {
        QFETCH(double, outMin);
        QFETCH(double, outMax);
        QFETCH(double, value);
        QFETCH(int, marker);
        QFETCH(QList<int>, filledTo);
        TDensMeter d;
        Prepare(d);
        d.SetOutMin(outMin);
        d.SetOutMax(outMax);
        d.SetOutValue(value);
        const TDensMeter::Bar bar = d.ComputeBar();
        QCOMPARE(bar.marker, marker);
        QCOMPARE(bar.cells.size(), qsizetype(4));
        for (int i = 0; i < 4; ++i) {
            const QRect& f = bar.cells[i].fill;
            QCOMPARE(f.isNull() ? 0 : f.right(), filledTo[i]);
            if (!f.isNull())
                QCOMPARE(f.left(), 10 + 45 * i);
        }
        QCOMPARE(bar.ticks, QList<int>({10, 55, 100, 145, 190}));
        QCOMPARE(TP().beeps, 0);
    }

    void picture() {
        TDensMeter d;
        Prepare(d);
        d.SetColor(clNavy);
        d.SetOutMax(2000);
        d.SetOutMin(1000);
        d.SetOutValue(1500);
        d.SetCaption("Плотность");
        const QImage img = RenderElement(&d);
        QCOMPARE(Px(img, 30, 25), Rgb(0x00FF00)); // first cell
        QCOMPARE(Px(img, 80, 25), Rgb(0x00FFFF)); // second
        QCOMPARE(Px(img, 120, 25), Rgb(clBlack)); // third: not reached, the bar's background
        QCOMPARE(Px(img, 55, 33), Rgb(clBlack));  // a tick under the bar
        QCOMPARE(Px(img, 60, 33), Rgb(clNavy));
        QCOMPARE(Px(img, 25, 40), Rgb(clWhite)); // inside the value box
        QCOMPARE(Px(img, 2, 2), Rgb(clNavy));
    }

    // A cell count far beyond the bar's pixels ticks every column once.
    void hugeCellCount() {
        TDensMeter d;
        Prepare(d);
        d.SetCellCount(INT_MAX);
        const TDensMeter::Bar bar = d.ComputeBar();
        QCOMPARE(bar.ticks.size(), qsizetype(181));
        RenderElement(&d);
        d.SetCellCount(-2);
        QVERIFY(d.ComputeBar().ticks.isEmpty());
        QCOMPARE(TP().beeps, 0);
    }

    // Values from a look file that make the bar (or the value box) far larger
    // than the control: only what lands within reach of the control is made,
    // so a paint costs what a sane bar costs (TermoXSpace -10^9 with a
    // CellCount of 2^31 - 1 asked for two billion ticks, about 8 GB, and hung
    // the window), and the element draws without a beep.
    void absurdValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("cellCount");
        QTest::newRow("bar of 2e9 px, a cell per pixel")
            << QByteArray("TermoXSpace") << -1000000000 << INT_MAX;
        QTest::newRow("bar of 2e9 px, cells of 2 px")
            << QByteArray("TermoXSpace") << -1000000000 << 1000000000;
        QTest::newRow("bar of 2e9 px, cells of 20 px")
            << QByteArray("TermoXSpace") << -1000000000 << 100000000;
        QTest::newRow("bar wider than an int") << QByteArray("TermoXSpace") << INT_MIN << INT_MAX;
        QTest::newRow("bar turned inside out") << QByteArray("TermoXSpace") << INT_MAX << 1000000000;
        QTest::newRow("bar deeper than an int") << QByteArray("TermoHeight") << INT_MAX << 4;
        QTest::newRow("bar far above") << QByteArray("TermoTop") << INT_MIN << 4;
        QTest::newRow("box wider than an int") << QByteArray("OutXSpace") << INT_MIN << 4;
        QTest::newRow("box deeper than an int") << QByteArray("OutHeight") << INT_MAX << 4;
    }
    void absurdValues() {
        QFETCH(QByteArray, property);
        QFETCH(int, value);
        QFETCH(int, cellCount);
        TDensMeter d;
        Prepare(d);
        d.SetOutValue(100);
        d.SetCellCount(cellCount);
        QVERIFY(d.setProperty(property, value));
        const TDensMeter::Bar bar = d.ComputeBar();
        // A tick at most on every column within the pen's reach of the control.
        QVERIFY2(bar.ticks.size() <= d.width() + 7, qPrintable(QString::number(bar.ticks.size())));
        for (int x : bar.ticks)
            QVERIFY2(x >= -3 && x <= d.width() + 3, qPrintable(QString::number(x)));
        const QImage img = RenderElement(&d);
        QCOMPARE(TP().beeps, 0);
        if (property == "TermoXSpace" && value == -1000000000 && cellCount == INT_MAX)
            QCOMPARE(Px(img, 100, 25), Rgb(clBlack)); // a tick on every column across the control
    }

    // CellCount only stores; everything else marks the picture and repaints later.
    void setters() {
        TShownWindow w;
        TDensMeter* d = w.Show(new TDensMeter, QRect(10, 10, 200, 80));
        PaintCounter paints(d);
        d->SetCellCount(6);
        d->SetOutValue(0);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        QVERIFY(!d->RedrawNeeded());
        d->SetTermoCellCount(7);
        QVERIFY(d->RedrawNeeded());
        QTRY_COMPARE(paints.count, 1);
        d->SetOutValue(120);
        QTRY_COMPARE(paints.count, 2);
        QCOMPARE(d->ComputeBar().cells.size(), qsizetype(6));
        d->StrCellColors()->Set(0, "0x00FF00");
        QTRY_COMPARE(paints.count, 3);
    }

    void configRoundTrip() {
        TDensMeter a;
        a.setObjectName("Dens1");
        a.SetTermoTop(11);
        a.SetCellCount(3);
        a.SetTermoBackColor(clNavy);
        a.SetOutMin(1000.5);
        a.SetOutMax(2000);
        a.SetOutValue(1500.25);
        a.SetOutFormat("###0 кг/м");
        a.TermoPen()->SetWidth(2);
        a.Pen()->SetColor(clLime);
        a.OutFont()->SetSize(14);
        a.StrCellColors()->SetStrings({"0x00FF00", "0x0000FF"});
        QVERIFY(a.SaveConfig());
        IniFile ini("Colors.INI");
        QCOMPARE(ini.ReadSection("Dens1"), QStringList({"TermoTop",
                                                        "TermoHeight",
                                                        "TermoXSpace",
                                                        "OutTop",
                                                        "TermoCellCount",
                                                        "CellCount",
                                                        "TermoBackColor",
                                                        "OutXSpace",
                                                        "OutHeight",
                                                        "OutMin",
                                                        "OutMax",
                                                        "OutValue",
                                                        "OutFormat",
                                                        "TermoPenWidth",
                                                        "TermoPenColor",
                                                        "TermoPenStyle",
                                                        "PenWidth",
                                                        "PenColor",
                                                        "PenStyle",
                                                        "OutFontSize",
                                                        "OutFontColor",
                                                        "OutFontName",
                                                        "StrCellColorsCount",
                                                        "StrCellColorsL0",
                                                        "StrCellColorsL1"}));

        TDensMeter b;
        b.setObjectName("Dens2");
        QVERIFY(b.LoadConfig("Dens1"));
        QCOMPARE(b.GetTermoTop(), 11);
        QCOMPARE(b.GetCellCount(), 3);
        QCOMPARE(b.GetTermoBackColor(), clNavy);
        QCOMPARE(b.GetOutMin(), 1000.5);
        QCOMPARE(b.GetOutValue(), 1500.25);
        QCOMPARE(b.GetOutFormat(), QString("###0 кг/м"));
        QCOMPARE(b.TermoPen()->GetWidth(), 2);
        QCOMPARE(b.Pen()->GetColor(), clLime);
        QCOMPARE(b.OutFont()->GetSize(), 14);
        QCOMPARE(b.StrCellColors()->Strings(), QStringList({"0x00FF00", "0x0000FF"}));

        // A section that is not there leaves everything as it was.
        TDensMeter c;
        c.setObjectName("Nobody");
        QVERIFY(c.LoadConfig());
        QCOMPARE(c.GetTermoTop(), 20);
        QCOMPARE(c.StrCellColors()->Count(), 10);
    }
};

ORDAL_TEST_MAIN(TstDensMeter)
#include "tst_densmeter.moc"
