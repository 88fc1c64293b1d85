// The trend windows on the tests' private MariaDB: the loaded period, the rows
// spread over the charts, empty and failed loads, live updates and the fifth
// tick, the layout of zoomed and normal charts, the cursors in step, the
// set-up mode, the point windows, the divider's read-out, the limits file and
// the CSV export; a window closed while its load runs, and a second load
// asked for meanwhile.

#include "AppFixture.h"
#include "Arrow.h"
#include "Cp1251.h"
#include "Eventlog.h"
#include "Global.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphPoint.h"
#include "GraphSuspLevel.h"
#include "IniFile.h"
#include "Mnemo.h"
#include "NumText.h"
#include "Webprint.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 5);

TDateTime At(int h, int m, int s = 0) {
    return kDay + EncodeTime(h, m, s);
}

QString Text(TDateTime t) {
    return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), t);
}

// Rows of pu_data: "hh:mm:ss" on kDay (or a whole "yyyy-mm-dd hh:mm:ss"), then
// PLS PLSZ URKS URNS VODA1 DSUS AR1.
void PutRows(const QStringList& rows) {
    for (const QString& row : rows) {
        QStringList v = row.split(QLatin1Char(' '));
        QString moment = v.takeFirst();
        moment = moment.size() == 8 ? "2026-03-05 " + moment : moment + " " + v.takeFirst();
        QVERIFY(ExecAdmin(
            QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                           "values ('%1', %2, %3, %4, %5, %6, %7, 1700, %8)")
                .arg(moment, v[0], v[1], v[2], v[3], v[4], v[5], v[6])));
    }
}

// The four rows of the worked example: 10:00:00, :30 and :40 (the last in
// manual mode), and one six minutes after them.
void PutExample() {
    PutRows({"10:00:00 1700 1800 40 30 30 50 0", "10:00:30 1750 1800 41 31 31 51 0",
             "10:00:40 1800 1800 42 32 32 52 1", "10:06:40 1900 1850 43 33 33 53 0"});
}

// Generous: the machine is shared, and a wait only lasts this long on a fault.
const int kWaitMs = 30000;

// Asks for a day (item 0, 1, 2: shift 1, shift 2, both) of kDay, and returns
// at once, the load running.
void AskLoad(TFormGraphBase* w, int item = 0, TDateTime day = kDay) {
    w->DateTimePicker1->SetDateTime(day + EncodeTime(12, 0, 0));
    w->ComboBox1->SetItemIndex(item);
    w->Reload();
}

// Loads a day into a window and waits for its answer. A load the window began
// by itself (its first showing) ends first: a load asked for meanwhile would
// be refused. False when a load does not end.
bool Load(TFormGraphBase* w, int item = 0, TDateTime day = kDay) {
    if (!QTest::qWaitFor([w] { return !w->LoadBusy && !(w->isVisible() && w->NeedReload); }, kWaitMs))
        return false;
    AskLoad(w, item, day);
    return QTest::qWaitFor([w] { return !w->LoadBusy; }, kWaitMs);
}

const TLevelGraphCell& CellAt(const TLevelGraph* g, int channel, TDateTime t) {
    return g->Data().Cell(channel, g->Data().StepOf(t));
}

bool AnyData(const TLevelGraph* g) {
    for (int c = 0; c < g->GetGraphCount(); ++c)
        for (int j = 0; j < g->GetIntervalPointCount(); ++j)
            if (g->Data().Cell(c, j).Present)
                return true;
    return false;
}

QString LastEvent() {
    const int i = (EventQueue.WriteIndex() + EventQueue.Capacity() - 1) % EventQueue.Capacity();
    return EventQueue.Count() ? Cp1251ToString(EventQueue.Entry(i).text) : QString();
}

void Press(QWidget* w, Qt::MouseButton b, QPoint pos) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(pos), w->mapToGlobal(QPointF(pos)), b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, w->mapToGlobal(pos));
    if (b == Qt::RightButton)
        QCoreApplication::sendEvent(w, &menu);
}

// The main window on screen, a trend window brought forward by its action.
void Bring(App& app, QAction* action) {
    if (!app->isVisible()) {
        app->resize(1280, 900);
        app->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.main.get()));
    }
    action->trigger();
    QCoreApplication::processEvents();
}

// The density window on the example day, brought forward by its action.
TFormGraphHardParams* BringExampleDay(App& app) {
    TFormGraphHardParams* w = FormGraphHardParams;
    w->DateTimePicker1->SetDateTime(kDay);
    Bring(app, app->ActionGraphGC_params);
    return w;
}

// Pixels of a picture near a colour, in a rectangle (near: the summed channel
// differences below `within`; smoothed text needs a wide margin).
int CountNear(const QImage& img, QColor c, QRect in, int within = 60) {
    int n = 0;
    in = in.intersected(img.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x) {
            const QColor px = img.pixelColor(x, y);
            n +=
                qAbs(px.red() - c.red()) + qAbs(px.green() - c.green()) + qAbs(px.blue() - c.blue()) < within;
        }
    return n;
}

QRect In(const QWidget* w, const QWidget* window) {
    return QRect(w->mapTo(window, QPoint()), w->size());
}

// The workstation with the usual first shift at 07:00.
struct TrendApp : App {
    TrendApp() { FirstChangeStart = 7; }
};

} // namespace

class TstGraphs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
        InteractiveSetupMode = false;
        SetDecimalSeparator(QLatin1Char(','));
        QDir(TestDir() + "/config").removeRecursively();
        QFile::remove(TestDir() + "/GraphColors.INI");
    }

    void shiftPeriod_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("labelHours");
        QTest::newRow("shift 1") << 0 << "05.03.2026 07:00:00"
                                 << "05.03.2026 18:59:59" << 1;
        QTest::newRow("shift 2") << 1 << "05.03.2026 19:00:00"
                                 << "06.03.2026 06:59:59" << 1;
        QTest::newRow("both") << 2 << "05.03.2026 07:00:00"
                              << "06.03.2026 06:59:59" << 2;
        QTest::newRow("typed text: both") << -1 << "05.03.2026 07:00:00"
                                          << "06.03.2026 06:59:59" << 2;
    }
    void shiftPeriod() {
        QFETCH(int, item);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        QFETCH(int, labelHours);
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        w->DateTimePicker1->SetDateTime(kDay + EncodeTime(15, 30, 0));
        w->ComboBox1->SetItemIndex(item < 0 ? 2 : item);
        if (item < 0)
            w->ComboBox1->setEditText("Смена №7");
        w->Reload();
        // Asked, not answered: the window says it is loading.
        QVERIFY(w->LoadBusy);
        QVERIFY(!w->WaitPanel->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QVERIFY(w->WaitPanel->isHidden());
        QCOMPARE(Text(w->PeriodStart), start);
        QCOMPARE(Text(w->PeriodStop), stop);
        QCOMPARE(w->ComboBox1->currentIndex(), item < 0 ? 2 : item);
        QCOMPARE(w->ComboBox1->currentText(), w->ComboBox1->itemText(w->ComboBox1->currentIndex()));
        QCOMPARE(FormatDateTime("dd.mm.yyyy", w->ShiftDate), QString("05.03.2026"));
        for (TLevelGraph* g : w->Charts) {
            QCOMPARE(qRound(g->GetXLabelStep() * 24), labelHours);
            QCOMPARE(g->GetStartTime(), w->PeriodStart);
            QCOMPARE(g->GetStopTime(), w->PeriodStop);
            QCOMPARE(g->GetCursorTime(), w->PeriodStart + (w->PeriodStop - w->PeriodStart) / 2);
        }
        QCOMPARE(w->LastMoment, w->PeriodStart - 60 * OneSecond);
        QVERIFY(!w->NeedReload);
    }

    // Opened between midnight and the first shift's start, every window shows
    // the night's shift day, the one that has begun, with its rows from the
    // server; a window made before the shift day turned and opened after it
    // shows the new one; a day the operator chose stays.
    void windowsOpenOnTheShiftDayOfNow_data() {
        QTest::addColumn<QString>("startedAt");
        QTest::addColumn<QString>("openedAt");
        QTest::addColumn<QString>("chosen"); // a day the operator chose before opening
        QTest::addColumn<QString>("day");
        QTest::addColumn<QStringList>("rows"); // the moments of the rows shown
        const QStringList night{"2026-12-10 23:50:00", "2026-12-11 00:20:00"};
        QTest::newRow("00:30") << "2026-12-11 00:30:00"
                               << "2026-12-11 00:30:00" << QString() << "2026-12-10" << night;
        QTest::newRow("06:59:59") << "2026-12-11 06:59:59"
                                  << "2026-12-11 06:59:59" << QString() << "2026-12-10" << night;
        QTest::newRow("made 06:59:59, opened 07:00:00")
            << "2026-12-11 06:59:59"
            << "2026-12-11 07:00:00" << QString() << "2026-12-11" << QStringList{"2026-12-11 07:00:00"};
        QTest::newRow("a day chosen at 00:30") << "2026-12-11 00:30:00"
                                               << "2026-12-11 00:30:00"
                                               << "2026-12-09"
                                               << "2026-12-09" << QStringList{"2026-12-10 06:30:00"};
    }
    void windowsOpenOnTheShiftDayOfNow() {
        QFETCH(QString, startedAt);
        QFETCH(QString, openedAt);
        QFETCH(QString, chosen);
        QFETCH(QString, day);
        QFETCH(QStringList, rows);
        auto moment = [](const QString& text) {
            return DateTimeFromQ(QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss"));
        };
        for (const char* t :
             {"2026-12-10 06:30:00", "2026-12-10 23:50:00", "2026-12-11 00:20:00", "2026-12-11 07:00:00"}) {
            PutRows({QString::fromLatin1(t) + " 1750 1800 40 30 30 50 0"});
            QVERIFY(ExecAdmin(
                QStringLiteral("insert into control_log (RecMoment, MessageText) values ('%1', '%1')")
                    .arg(t)));
        }
        TP().now = moment(startedAt);
        App app(ConnectedIni().replace("FirstChangeStart=8", "FirstChangeStart=7"));
        QCOMPARE(FirstChangeStart, 7);
        TFormGraphHardParams* w = FormGraphHardParams;
        if (!chosen.isEmpty()) {
            const TDateTime d = moment(chosen + " 00:00:00");
            w->DateTimePicker1->SetDateTime(d);
            FormLogView->DateTimePicker1->SetDateTime(d);
            FormBaseView->DateTimePicker1->SetDateTime(d);
            FormBaseView->DateTimePicker3->SetDateTime(d + 1);
        }
        TP().now = moment(openedAt);
        Bring(app, app->ActionGraphGC_params);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        QCOMPARE(FormatDateTime("yyyy-mm-dd", w->DateTimePicker1->Date()), day);
        QCOMPARE(SqlDateTimeText(w->PeriodStart), day + " 07:00:00");
        QCOMPARE(w->LoadedRows().Count(), rows.size());
        const TDateTime last = moment(rows.last());
        QCOMPARE(w->LevelGraphPLS->GetPoint(0, last), 1750.0);
        QCOMPARE(FormatDateTime("yyyy-mm-dd", w->ReportDate()), day); // the report names that day

        Bring(app, app->ActionWorkLog);
        QTRY_COMPARE(FormLogView->Loads(), 1);
        QCOMPARE(FormatDateTime("yyyy-mm-dd", FormLogView->LogDay), day);
        QStringList journal;
        for (int r = 0; r < FormLogView->DBGridEh1->Model()->rowCount(); ++r)
            journal << FormLogView->DBGridEh1->Model()->index(r, 1).data().toString();
        QCOMPARE(journal, rows);

        // The browser's range is that shift day, first shift's start to second shift's end.
        Bring(app, app->ActionBaseView);
        QCOMPARE(
            SqlDateTimeText(FormBaseView->DateTimePicker1->Date() + FormBaseView->DateTimePicker2->Time()),
            day + " 07:00:00");
        QCOMPARE(FormatDateTime("hh:nn:ss", FormBaseView->DateTimePicker4->Time()), QString("06:59:59"));
        FormBaseView->ButLoadClick(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(!FormBaseView->Loading, kWaitMs);
        QCOMPARE(FormBaseView->DBGridEh1->Model()->rowCount(), rows.size());
        QCOMPARE(TP().messages.size(), 0);
    }

    void reloadSpreadsTheRows() {
        PutExample();
        PutRows(
            {"2026-03-05 06:59:59 1 1 1 1 1 1 0", "2026-03-05 19:00:00 1 1 1 1 1 1 0"}); // outside shift 1
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        QVERIFY(Load(w, 0));
        TLevelGraph* pls = w->LevelGraphPLS;
        // 10:00 holds the first three rows' densities, the setpoint down to 0 in manual.
        QCOMPARE(CellAt(pls, 0, At(10, 0)).Low, 1700.0);
        QCOMPARE(CellAt(pls, 0, At(10, 0)).High, 1800.0);
        QCOMPARE(pls->GetPoint(1, At(10, 0)), 0.0);
        QCOMPARE(CellAt(pls, 1, At(10, 0)).High, 1800.0);
        QCOMPARE(w->LevelGraphKlapan->GetPoint(0, At(10, 0)), 30.0);
        // Six minutes of silence: nothing between, the last row at its own moment.
        for (int m = 1; m <= 5; ++m)
            QVERIFY(!CellAt(pls, 0, At(10, m)).Present);
        QCOMPARE(pls->GetPoint(0, At(10, 6)), 1900.0);
        QCOMPARE(Text(w->LastMoment), QString("05.03.2026 10:06:40"));
        QCOMPARE(w->LoadedRows().Count(), 4);
        QVERIFY(w->WaitPanel->isHidden());
        QCOMPARE(TP().messages.size(), 0);
    }

    void emptyAndFailedLoads() {
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        const int events = EventQueue.Count();
        QVERIFY(Load(w, 2));
        QVERIFY(w->WaitPanel->isHidden());
        QVERIFY(!AnyData(w->LevelGraphPLS));
        QCOMPARE(EventQueue.Count(), events);
        // The server cannot be reached: recorded, no dialog, and no panel left
        // asking the operator to wait for a load that ended.
        app->SQLConnection1->Close();
        const QStringList params = app->SQLConnection1->Params;
        app->SetConnectionParam("HostName", "127.0.0.1:1");
        QVERIFY(Load(w, 2));
        QVERIFY(w->WaitPanel->isHidden());
        QCOMPARE(LastEvent(), QString("Ошибка в TFormGraphHardParams::Reload()"));
        QCOMPARE(TP().messages.size(), 0);
        QVERIFY(!w->LoadBusy);
        // The operator's own Enter gets the error box as well.
        w->ButReloadClick(w->ButReload);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.startsWith("Не удалось загрузить данные графиков"));
        app->SQLConnection1->Params = params;
    }

    // A window closed while its load runs: the answer that comes after it is
    // dropped (nothing of the window is touched), and the next load of
    // another window is answered as usual.
    void windowClosedWhileItsLoadRuns() {
        PutExample();
        TrendApp app;
        auto* w = new TFormGraphHardParams(app->AppContext());
        w->TimerUpdate->stop();
        AskLoad(w, 0);
        QVERIFY(w->LoadBusy);
        QVERIFY(app->SQLConnection1->Pending(TSessionRole::History) > 0);
        delete w;
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(Load(FormGraphHardParams, 0));
        QCOMPARE(FormGraphHardParams->LoadedRows().Count(), 4);
        QCOMPARE(TP().messages.size(), 0);
    }

    // A second load asked for while one runs (the operator's Enter on another
    // shift, an update of the timer) is refused and asks nothing: the first
    // wins, and the charts, the rows and the export name its period. Once it
    // has ended, the operator's choice loads.
    void secondLoadWhileOneRunsIsRefused() {
        PutExample();
        PutRows({"20:00:00 1111 1700 1 1 1 1 0"}); // shift 2
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        w->TimerUpdate->stop();
        AskLoad(w, 0);
        QVERIFY(w->LoadBusy);
        const int asked = app->SQLConnection1->Pending(TSessionRole::History);
        w->ComboBox1->SetItemIndex(1);
        w->ButReloadClick(w->ButReload);
        w->CheckForUpdates();
        QCOMPARE(app->SQLConnection1->Pending(TSessionRole::History), asked);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QCOMPARE(Text(w->PeriodStart), QString("05.03.2026 07:00:00"));
        QCOMPARE(Text(w->PeriodStop), QString("05.03.2026 18:59:59"));
        for (TLevelGraph* g : w->Charts) {
            QCOMPARE(g->GetStartTime(), w->PeriodStart);
            QCOMPARE(g->GetStopTime(), w->PeriodStop);
            QCOMPARE(qRound(g->GetXLabelStep() * 24), 1);
        }
        QCOMPARE(w->LoadedRows().Count(), 4);
        QCOMPARE(w->LevelGraphPLS->GetPoint(0, At(10, 6)), 1900.0);
        QVERIFY(w->WaitPanel->isHidden());
        QCOMPARE(TP().messages.size(), 0);
        w->ExportCsv(); // the operator cancels: only the name offered counts
        QCOMPARE(TP().saveFileOffered.size(), 1);
        QCOMPARE(TP().saveFileOffered.last(),
                 QDir::homePath() + "/Параметры процесса 05.03.2026 смена 1.csv");

        w->ButReloadClick(w->ButReload);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QCOMPARE(Text(w->PeriodStart), QString("05.03.2026 19:00:00"));
        QCOMPARE(w->LoadedRows().Count(), 1);
        QCOMPARE(w->LevelGraphPLS->GetPoint(0, At(20, 0)), 1111.0);
    }

    void sumpLevelsAndSmallScale() {
        PutRows({"10:00:00 1 1 2 3 1 1 0", "10:00:10 1 1 2 4 1 1 0"});
        TrendApp app;
        TFormGraphSuspLevel* w = FormGraphSuspLevel;
        // The НС level is channel 1, blue and 3 pixels wide; channel 0 stays empty.
        TLevelGraph* ns = w->LevelGraphSuspLevelNS;
        QCOMPARE(ns->GraphPen(1)->GetColor(), clBlue);
        QCOMPARE(ns->GraphPen(1)->GetWidth(), 3);
        QCOMPARE(ns->GraphPen(0)->GetColor(), clRed);
        for (TLevelGraph* g : w->Charts) {
            g->SetYMin(0);
            g->SetYMax(3);
        }
        QVERIFY(Load(w, 0));
        QCOMPARE(w->LevelGraphSuspLevelKS->GetPoint(0, At(10, 0)), 2.0);
        QCOMPARE(ns->GetPoint(1, At(10, 0)), 3.0);
        QVERIFY(!CellAt(ns, 0, At(10, 0)).Present);
        for (TLevelGraph* g : w->Charts)
            QCOMPARE(g->GetYMax(), 5.0);
    }

    void liveRowsAndTheFifthTick() {
        QStringList rows;
        for (int s = 0; s <= 120; s += 10)
            rows << QStringLiteral("11:%1:%2 1700 1700 1 1 1 1 0")
                        .arg(55 + s / 60)
                        .arg(s % 60, 2, 10, QChar('0'));
        PutRows(rows);
        TrendApp app;
        TP().now = At(12, 0);
        TFormGraphHardParams* w = FormGraphHardParams;
        w->TimerUpdate->stop();
        QVERIFY(Load(w, 0));
        QCOMPARE(Text(w->LastMoment), QString("05.03.2026 11:56:50"));
        PutRows({"11:59:30 2222 1700 1 1 1 1 0"});
        w->TimerUpdateTimer(); // first tick: the new row comes in
        QVERIFY(w->LoadBusy);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QCOMPARE(w->LevelGraphPLS->GetPoint(0, At(11, 59)), 2222.0);
        QCOMPARE(Text(w->LastMoment), QString("05.03.2026 11:59:20"));
        QCOMPARE(w->LoadedRows().Count(), rows.size() + 1);
        // A date chosen without Enter loads nothing until the fifth tick.
        w->DateTimePicker1->SetDateTime(kDay - 1);
        for (int tick = 2; tick <= 4; ++tick) {
            w->TimerUpdateTimer();
            QVERIFY(!w->LoadBusy);
            QCOMPARE(Text(w->PeriodStart), QString("05.03.2026 07:00:00"));
        }
        w->TimerUpdateTimer();
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QCOMPARE(Text(w->PeriodStart), QString("04.03.2026 07:00:00"));
        QCOMPARE(w->TickCount, 5);
        QCOMPARE(TP().messages.size(), 0);
    }

    void loadsWhenFirstShownAndLaysOutItsCharts() {
        PutExample();
        TrendApp app;
        TFormGraphHardParams* w = BringExampleDay(app);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        QCOMPARE(w->LoadedRows().Count(), 4);
        // Normal layout: the valve chart below at a fixed height with the time
        // labels, the density chart above filling the rest without them.
        const int a = (w->height() - w->PanelTop->height() - 20) / 2;
        QCOMPARE(w->LevelGraphKlapan->height(), a + 20);
        QCOMPARE(In(w->LevelGraphKlapan, w).bottom(), w->height() - 1);
        QCOMPARE(In(w->LevelGraphPLS, w),
                 QRect(0, w->PanelTop->height(), w->width(), w->height() - w->PanelTop->height() - a - 20));
        QVERIFY(!w->LevelGraphPLS->GetShowScaleX());
        QVERIFY(w->LevelGraphKlapan->GetShowScaleX());
        // The zoom button: one chart over the whole client area, and back.
        QCOMPARE(w->SButGraphZoom1->x(), w->width() - w->SButGraphZoom1->width() - 16);
        w->SButGraphZoom1->click();
        QVERIFY(w->LevelGraphKlapan->isHidden());
        QCOMPARE(In(w->LevelGraphPLS, w),
                 QRect(0, w->PanelTop->height(), w->width(), w->height() - w->PanelTop->height()));
        QVERIFY(w->LevelGraphPLS->GetShowScaleX());
        QCOMPARE(w->LevelGraphPLS->GetGraphSubHeight(), 30);
        w->SButGraphZoom1->click();
        QVERIFY(!w->LevelGraphKlapan->isHidden());
        QCOMPARE(w->LevelGraphKlapan->height(), a + 20);
        QVERIFY(!w->LevelGraphPLS->GetShowScaleX());
        QCOMPARE(w->LevelGraphPLS->GetGraphSubHeight(), 10);
        // Zoomed, then the normal layout by the main window's action: one
        // click zooms again.
        w->SButGraphZoom4->click();
        QVERIFY(w->LevelGraphPLS->isHidden());
        app->ActionGraphGC_params->trigger();
        QVERIFY(!w->LevelGraphPLS->isHidden() && !w->LevelGraphKlapan->isHidden());
        w->SButGraphZoom4->click();
        QVERIFY(w->LevelGraphPLS->isHidden());
        // The legend stays at the right edge.
        QCOMPARE(w->ArrowLegend11->x(), w->width() - w->LabelLegend11->width() - 15);
    }

    // Charts of a window behind another give their pictures back, and draw the
    // same picture again when the window comes forward.
    void chartsBehindGiveBackTheirPictures() {
        PutExample();
        TrendApp app;
        TFormGraphHardParams* w = BringExampleDay(app);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        QTRY_VERIFY(!w->LevelGraphPLS->Picture().isNull());
        const QImage before = w->LevelGraphPLS->grab().toImage();
        Bring(app, app->ActionMnemo);
        QVERIFY(w->LevelGraphPLS->Picture().isNull());
        QVERIFY(w->LevelGraphKlapan->Picture().isNull());
        QTest::qWait(200);
        QVERIFY(w->LevelGraphPLS->Picture().isNull());
        Bring(app, app->ActionGraphGC_params);
        QTRY_VERIFY(!w->LevelGraphPLS->Picture().isNull());
        QCOMPARE(w->LevelGraphPLS->grab().toImage(), before);
    }

    void cursorsInStep() {
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        Bring(app, app->ActionGraphGC_params);
        QVERIFY(Load(w, 0));
        int changes = 0;
        const TNotifyEvent sync = w->LevelGraphKlapan->OnChange();
        w->LevelGraphKlapan->SetOnChange(TNotifyEvent([&](QObject* s) {
            ++changes;
            sync(s);
        }));
        Press(w->LevelGraphPLS, Qt::LeftButton, QPoint(w->LevelGraphPLS->width() / 3, 60));
        QVERIFY(w->LevelGraphPLS->GetCursorTime() < w->PeriodStart + (w->PeriodStop - w->PeriodStart) / 2);
        QCOMPARE(w->LevelGraphKlapan->GetCursorTime(), w->LevelGraphPLS->GetCursorTime());
        QCOMPARE(changes, 0); // the copied cursor raises nothing: no loop
        QTest::keyClick(w->LevelGraphKlapan, Qt::Key_Right);
        QCOMPARE(changes, 1);
        QCOMPARE(w->LevelGraphPLS->GetCursorTime(), w->LevelGraphKlapan->GetCursorTime());
    }

    void enterReloads() {
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        Bring(app, app->ActionGraphGC_params);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        w->DateTimePicker1->SetDateTime(kDay);
        w->ComboBox1->SetItemIndex(1);
        QTest::keyClick(w->ComboBox1, Qt::Key_Return);
        QVERIFY(w->LoadBusy);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LoadBusy, kWaitMs);
        QCOMPARE(Text(w->PeriodStart), QString("05.03.2026 19:00:00"));
    }

    void setupModeAndPopupMenu() {
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        Bring(app, app->ActionGraphGC_params);
        QVERIFY(Load(w, 0));
        TLevelGraph* g = w->LevelGraphPLS;
        const TDateTime cursor = g->GetCursorTime();
        // Outside the set-up mode a right click moves the cursor and opens the menu.
        Press(g, Qt::RightButton, QPoint(100, 60));
        QVERIFY(g->GetCursorTime() != cursor);
        QTRY_VERIFY(w->PopupMenu1->isVisible());
        QCOMPARE(w->PopupMenu1->PopupComponent(), g);
        w->PopupMenu1->close();
        // In the set-up mode it opens the scale dialog instead.
        SetInteractiveSetupMode(true);
        QVERIFY(g->OnMouseDown());
        QCOMPARE(w->ArrowLegend11->OnClick(),
                 TNotifyEvent(static_cast<TFormGraphBase*>(w), &TFormGraphBase::EditElementClick));
        const TDateTime before = g->GetCursorTime();
        Press(g, Qt::RightButton, QPoint(300, 60));
        QCOMPARE(TP().dialogs, 1);
        QCOMPARE(g->GetCursorTime(), before);
        QCoreApplication::processEvents();
        QVERIFY(!w->PopupMenu1->isVisible());
        SetInteractiveSetupMode(false);
        QVERIFY(!g->OnMouseDown());
        QVERIFY(!w->ArrowLegend11->OnClick());
    }

    void legendArrowIsThePen() {
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        QCOMPARE(w->LevelGraphPLS->GraphPen(0)->GetColor(), clRed);
        QCOMPARE(w->LevelGraphPLS->GraphPen(1)->GetColor(), clBlue);
        QCOMPARE(w->LevelGraphPLS->GraphPen(1)->GetWidth(), 3);
        QCOMPARE(w->LevelGraphKlapan->GraphPen(0)->GetColor(), clRed);
        QCOMPARE(w->LevelGraphKlapan->GraphPen(0)->GetWidth(), 3);
        // The arrow editor's change reaches the curve.
        SetInteractiveSetupMode(true);
        TP().dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
        w->ArrowLegend12->SetColor(clGreen);
        w->ArrowLegend12->SetArrowWidth(2);
        w->EditElementClick(w->ArrowLegend12);
        QCOMPARE(w->LevelGraphPLS->GraphPen(1)->GetColor(), clGreen);
        QCOMPARE(w->LevelGraphPLS->GraphPen(1)->GetWidth(), 2);
    }

    void pointWindows() {
        PutExample();
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        QVERIFY(Load(w, 0));
        app->ShowChild(w);
        for (TLevelGraph* g : w->Charts)
            g->SetCursorTime(At(10, 0));
        w->CmdShowSatelliteClick(nullptr);
        TFormHardParamsPoint* p = FormHardParamsPoint;
        QVERIFY(p->isVisible());
        QCOMPARE(p->Source.data(), w);
        p->Timer1Timer();
        QCOMPARE(p->OutFieldVAL10->GetOutValue(), 1700.0);
        QCOMPARE(p->OutFieldVAL11->GetCaption().trimmed(), QString()); // setpoint 0 in manual: empty
        QCOMPARE(p->OutFieldVAL20->GetOutValue(), 30.0);
        // The frames take the curves' pens from the chart: colours and a width
        // that the point window's own layout does not have (its valve field is blue).
        QCOMPARE(p->OutFieldVAL20->Pen()->GetColor(), clRed);
        w->ArrowLegend11->SetColor(clFuchsia);
        w->ArrowLegend11->SetArrowWidth(5);
        w->ArrowLegend12->SetColor(clLime);
        w->SetLegendPens();
        p->Timer1Timer();
        QCOMPARE(p->OutFieldVAL10->Pen()->GetColor(), clFuchsia);
        QCOMPARE(p->OutFieldVAL10->Pen()->GetWidth(), 5);
        QCOMPARE(p->OutFieldVAL11->Pen()->GetColor(), clLime);
        QCOMPARE(p->OutFieldDateTime->GetCaption(), QString("05.03.2026 10:00:00"));
        for (TLevelGraph* g : w->Charts)
            g->SetCursorTime(At(10, 3)); // a step without data
        p->Timer1Timer();
        QCOMPARE(p->OutFieldVAL10->GetCaption().trimmed(), QString());
        // Stepping stays inside the interval.
        for (TLevelGraph* g : w->Charts)
            g->SetCursorTime(w->PeriodStart + 60 * OneSecond);
        p->ButGoLeft->click();
        QCOMPARE(w->LevelGraphKlapan->GetCursorTime(), w->PeriodStart);
        p->ButGoLeft->click();
        QCOMPARE(w->LevelGraphPLS->GetCursorTime(), w->PeriodStart);
        p->ButGoRight->click();
        QCOMPARE(Text(w->LevelGraphPLS->GetCursorTime()), QString("05.03.2026 07:01:00"));
        // Another window forward: the point windows go.
        app->ShowChild(FormMnemo);
        p->Timer1Timer();
        QVERIFY(!p->isVisible());
        FormSuspLevelPoint->show();
        FormSuspLevelPoint->Timer1Timer();
        QVERIFY(!FormSuspLevelPoint->isVisible());
    }

    void dividerReadOut() {
        PutExample();
        TrendApp app;
        TFormGraphDSUS* w = FormGraphDSUS;
        Bring(app, app->ActionGraphDivPosition);
        QVERIFY(Load(w, 0));
        TLevelGraph* g = w->LevelGraphDSUS;
        const int x10 = int(g->TimeToScreenX(At(10, 0)));
        Press(g, Qt::LeftButton, QPoint(x10 + 1, 100));
        QVERIFY(w->OutFieldCurTime->GetCaption().startsWith("05.03.2026 10:00:"));
        QCOMPARE(w->OutFieldCursorVal->GetCaption(), QString("50,0 %"));
        Press(g, Qt::LeftButton, QPoint(int(g->TimeToScreenX(At(15, 0))), 100));
        QCOMPARE(w->OutFieldCurTime->GetCaption(), Text(g->GetCursorTime()));
        QCOMPARE(w->OutFieldCursorVal->GetCaption().trimmed(), QString());
        // The middle of the read-out bar stays centred.
        QCOMPARE(w->PanelBottomLeft->width(), (w->PanelBottom->width() - 630) / 2);
        QCOMPARE(w->PanelBottomCenter->x(), w->PanelBottomLeft->width());
        QVERIFY(qAbs(In(w->PanelBottomCenter, w).center().x() - w->width() / 2) <=
                1 + (w->width() - 630) % 2);
        QCOMPARE(In(w->PanelBottom, w).bottom(), w->height() - 1);
    }

    void limitsKeptInTheWindowFile() {
        {
            TrendApp app;
            FormGraphHardParams->LevelGraphPLS->SetYMin(1600.5);
            FormGraphHardParams->LevelGraphPLS->SetYMax(2400);
        } // saved as the window goes
        const IniFile ini(TestDir() + "/config/FormGraphHardParams.INI");
        QCOMPARE(ini.ReadString("LevelGraphPLSLimits", "YMin", ""), QString("1600,5"));
        QCOMPARE(ini.ReadString("LevelGraphKlapanLimits", "YMax", ""), QString("101"));
        QVERIFY(!ini.ReadSection("LevelGraphPLSLimits").contains("RightYMin"));
        {
            TrendApp again;
            QCOMPARE(FormGraphHardParams->LevelGraphPLS->GetYMin(), 1600.5);
            QCOMPARE(FormGraphHardParams->LevelGraphPLS->GetYMax(), 2400.0);
        }
        // Written with a comma, read on a workstation with a point.
        SetDecimalSeparator(QLatin1Char('.'));
        TrendApp pointed;
        QCOMPARE(FormGraphHardParams->LevelGraphPLS->GetYMin(), 1600.5);
    }

    void csvExport() {
        PutExample();
        TrendApp app;
        TFormGraphHardParams* w = FormGraphHardParams;
        TP().saveFile = TestDir() + "/export.csv";
        w->ExportCsv(); // nothing loaded yet
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(!QFile::exists(TP().saveFile));
        QVERIFY(Load(w, 0));
        w->CmdExportCsvClick(nullptr);
        QCOMPARE(TP().saveFileOffered.last(),
                 QDir::homePath() + "/Параметры процесса 05.03.2026 смена 1.csv");
        const QByteArray csv = ReadFileText(TP().saveFile);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0].split(';').size(), 5);
        QCOMPARE(lines[1], QString("05.03.2026 10:00:00;1700;1800;0;30"));
        QCOMPARE(lines[3], QString("05.03.2026 10:00:40;1800;1800;1;32"));
        QCOMPARE(lines[4], QString("05.03.2026 10:06:40;1900;1850;0;33"));
        // A file that cannot be written says so.
        TP().saveFile = TestDir() + "/no/such/dir/export.csv";
        w->ExportCsv();
        QCOMPARE(TP().messages.size(), 2);
        QVERIFY(TP().messages[1].text.startsWith("Не удалось записать файл"));
        QCOMPARE(TP().messages[1].caption, QString("Ошибка"));
    }

    // The main window's print actions: each window's pictures, 1000 x 500 on
    // white with the plot outlined and its curves (and legend) drawn in, and
    // its report filled from the shipped template and shown.
    void printActions_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("captions");
        // The colour of the curve on each picture.
        QTest::addColumn<QList<QColor>>("curves");
        QTest::newRow("density and valve")
            << 0 << "pic" << QStringList{"LabelTitle1", "LabelTitle4"} << QList<QColor>{Qt::red, Qt::red};
        QTest::newRow("sump levels") << 1 << "SL_pic" << QStringList{"LabelTitle1", "LabelTitle2"}
                                     << QList<QColor>{Qt::red, Qt::blue};
        QTest::newRow("divider") << 2 << "DIV_pic" << QStringList() << QList<QColor>{Qt::blue};
    }
    void printActions() {
        QFETCH(int, window);
        QFETCH(QString, prefix);
        QFETCH(QStringList, captions);
        QFETCH(QList<QColor>, curves);
        // An hour of rows, a minute apart, from 09:30.
        QStringList rows;
        for (int m = 0; m <= 60; ++m)
            rows << QString("('2026-03-05 %1', 1700, 1750, %2, %3, 40, %2, 1700, 0)")
                        .arg(Text(At(9 + (30 + m) / 60, (30 + m) % 60)).mid(11))
                        .arg(40 + m % 20)
                        .arg(60 - m % 20);
        QVERIFY(ExecAdmin(
            "insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) values " +
            rows.join(',')));
        TrendApp app;
        TemplateDir = QStringLiteral(ORDAL_SOURCE_DIR "/templates");
        const QList<std::pair<QAction*, QAction*>> actions{
            {app->ActionGraphGC_params, app->ActionPrintHardParams},
            {app->ActionGraphSuspLevel, app->ActionPrintLevelGraph},
            {app->ActionGraphDivPosition, app->ActionPrintDiverGraph}};
        const QList<TFormGraphBase*> windows{FormGraphHardParams, FormGraphSuspLevel, FormGraphDSUS};
        TFormGraphBase* w = windows[window];
        // A TempDir given relative to the working directory (ordal.INI may say
        // so) still puts the pictures into the report.
        if (window == 2)
            TempDir = QDir::current().relativeFilePath(TempDir);
        // Shift 1 of the day, loaded as the window is first shown.
        w->DateTimePicker1->SetDateTime(kDay + EncodeTime(12, 0, 0));
        w->ComboBox1->SetItemIndex(0);
        Bring(app, actions[window].first);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        QCOMPARE(w->LoadedRows().Count(), 61);
        QStringList shown;
        QString report;
        TP().dialogHandler = [&](QDialog& d) {
            shown << d.objectName();
            report = QString::fromUtf8(ReadFileText(FormWebPrint->ReportFile()));
            return int(QDialog::Rejected);
        };
        // The print button is the window's print action.
        QCOMPARE(app->ToolButtonPrint->defaultAction(), actions[window].second);
        app->ToolButtonPrint->click();
        QCOMPARE(shown, QStringList{"FormWebPrint"});
        QCOMPARE(FormWebPrint->ReportFile(), TempDir + "/Type1.html");
        QCOMPARE(TP().messages.size(), 0);

        QVERIFY(report.contains(w->LabelTop->GetCaption()));
        QVERIFY(report.contains("05.03.2026"));
        for (const QString& c : captions)
            QVERIFY(report.contains(w->Layout().Get<TLabel>(c)->GetCaption()));
        for (int k = 0; k < w->Charts.size(); ++k) {
            const QString path = QDir(TempDir).absoluteFilePath(QString("%1%2.bmp").arg(prefix).arg(k));
            QVERIFY(report.contains(QString("src=\"%1\"").arg(path)));
            QVERIFY(!report.contains(QString("pic%1.BMP").arg(k + 1)));
            QImage pic(path, "BMP");
            QCOMPARE(pic.size(), QSize(1000, 500));
            QCOMPARE(pic.pixelColor(0, 0), QColor(Qt::black)); // the outline
            QCOMPARE(pic.pixelColor(999, 499), QColor(Qt::black));
            QCOMPARE(pic.pixelColor(500, 1), QColor(Qt::white)); // the background
            QVERIFY(CountNear(pic, Qt::white, pic.rect()) > 1000 * 500 * 8 / 10);
            // The rows lie at 09:30 ... 10:30 of 07:00 ... 19:00: the left
            // third of the plot, where no legend is.
            QVERIFY2(CountNear(pic, curves[k], QRect(0, 0, 400, 500)) > 20, qPrintable(path));
        }
        QVERIFY(!QFile::exists(TempDir + QString("/%1%2.bmp").arg(prefix).arg(w->Charts.size())));
        if (window != 0)
            return;
        // The legend, from the control's place to the picture's scale.
        auto* hp = FormGraphHardParams;
        QImage pic(TempDir + "/pic0.bmp", "BMP");
        const double kx = 1000.0 / hp->LevelGraphPLS->width();
        const double ky = 500.0 / hp->LevelGraphPLS->height();
        const std::pair<TArrow*, QColor> swatches[]{{hp->ArrowLegend11, Qt::red},
                                                    {hp->ArrowLegend12, Qt::blue}};
        for (const auto& [a, colour] : swatches) {
            const int y = int((a->y() + a->height() * 0.5) * ky);
            const QRect line(int(a->x() * kx) + 2, y - 1, int(a->width() * kx) - 4, 3);
            QCOMPARE(CountNear(pic, colour, line), line.width() * line.height());
        }
        for (TLabel* l : {hp->LabelLegend11, hp->LabelLegend12}) {
            const QRect box(int(l->x() * kx), int(l->y() * ky), int(l->width() * kx) + 20,
                            int(l->height() * ky));
            QVERIFY2(CountNear(pic, QColor(0, 0, 128), box, 160) > 20, qPrintable(l->objectName()));
        }
    }

    // A report before any load names the picker's day, not the zero date,
    // and a window without its template says so after drawing its picture.
    void printBeforeAnyLoad() {
        TrendApp app;
        TFormGraphDSUS* w = FormGraphDSUS;
        w->DateTimePicker1->SetDateTime(kDay);
        TemplateDir = QStringLiteral(ORDAL_SOURCE_DIR "/templates");
        QString report;
        TP().dialogHandler = [&](QDialog&) {
            report = QString::fromUtf8(ReadFileText(FormWebPrint->ReportFile()));
            return int(QDialog::Rejected);
        };
        w->PrintCharts();
        QVERIFY(report.contains("05.03.2026"));
        QVERIFY(!report.contains("1899"));
        QFile::remove(TempDir + "/DIV_pic0.bmp");
        TemplateDir = TestDir() + "/Template";
        w->PrintCharts();
        QCOMPARE(TP().dialogs, 1);
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Не могу открыть файл шаблона."));
        QVERIFY(QFile::exists(TempDir + "/DIV_pic0.bmp"));
    }

    // A print asked for while the rows come in is made once they are all in.
    void printDuringALoadWaitsForIt() {
        PutExample();
        TrendApp app;
        TemplateDir = QStringLiteral(ORDAL_SOURCE_DIR "/templates");
        TFormGraphHardParams* w = BringExampleDay(app);
        QTRY_VERIFY_WITH_TIMEOUT(!w->NeedReload && !w->LoadBusy, kWaitMs);
        int rowsAtPrint = -1;
        TP().dialogHandler = [&](QDialog&) {
            rowsAtPrint = w->LoadedRows().Count();
            return int(QDialog::Rejected);
        };
        w->ButReloadClick(nullptr);
        QVERIFY(w->LoadBusy);
        app->ToolButtonPrint->click();
        QCOMPARE(TP().dialogs, 0);
        QTRY_COMPARE_WITH_TIMEOUT(TP().dialogs, 1, kWaitMs);
        QCOMPARE(rowsAtPrint, 4);
        QCOMPARE(TP().messages.size(), 0);
    }
};

ORDAL_TEST_MAIN(TstGraphs)
#include "tst_graphs.moc"
