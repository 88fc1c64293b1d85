// The alarms in the running program, on the tests' server: the simulator's
// upset raises the line, the frame and the tone within the alarm's delay;
// acknowledging stops the blink and the tone, silencing only the tone; a
// returned unacknowledged alarm clears on acknowledgement; a shelved alarm
// comes back after its time; the link alarm is recorded while the server is
// stopped; the history's day files stay whole under a kill in a flood.

#include "AlarmConfig.h"
#include "AlarmHistory.h"
#include "AlarmLine.h"
#include "AlarmService.h"
#include "Alarmview.h"
#include "AppFixture.h"
#include "Global.h"
#include "IndexedIniFile.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "ServerStall.h"
#include "Webprint.h"

#include <QComboBox>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QToolButton>
#include <csignal>

namespace {

// The shipped set with short delays, so that a test waits seconds, not a minute.
void WriteQuickAlarms() {
    QList<TAlarmDef> defs = DefaultAlarmDefs();
    for (TAlarmDef& d : defs) {
        d.OnDelay = std::min(d.OnDelay, 2.0);
        d.OffDelay = std::min(d.OffDelay, 1.0);
    }
    QFile::remove(TestDir() + "/Alarms.INI");
    SaveAlarmDefs(TestDir() + "/Alarms.INI", defs);
}

void PutLevels(double urks, double urns, double pls = 1700) {
    ExecAdmin(
        QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                       "values (now() + interval 1 second, %1, 1700, %2, %3, 35, 50, 1700, 0)")
            .arg(pls)
            .arg(urks)
            .arg(urns));
}

TAlarmState StateOf(App& app, const char* id) {
    const TAlarmEngine& e = app->Alarms->Engine();
    return e.Runtime(e.IndexOf(QLatin1String(id))).State;
}

// Polls (one look a tick) until the alarm is in the state, at most `seconds`.
bool PollUntil(App& app, const char* id, TAlarmState state, int seconds) {
    for (int i = 0; i < seconds * 4; ++i) {
        app.Poll();
        if (StateOf(app, id) == state)
            return true;
        QTest::qWait(250);
    }
    return false;
}

QList<TAlarmTransition> TodaysHistory(App& app) {
    const TDateTime now = Now();
    return app->Alarms->History().Read(now - 1, now + 1);
}

QStringList Events(const QList<TAlarmTransition>& h, const QString& id) {
    QStringList s;
    for (const TAlarmTransition& t : h)
        if (t.Id == id)
            s << EventKey(t.Event);
    return s;
}

// Every hour file under root reads whole: its count agrees with its stamps
// and sections, and every record names its alarm and a known event. The
// number of records found goes to *records.
QString DamageIn(const QString& root, int* records) {
    *records = 0;
    QDirIterator it(root, {"*.VMD"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = it.next();
        IndexedIniFile f(name);
        f.Refresh();
        if (!f.ReadError().isEmpty())
            return name + ": " + f.ReadError();
        const int n = f.ReadInteger("Header", "RecordCount", -1);
        if (n < 0)
            return name + ": no count";
        if (!f.ReadNumbered("Header", n).isEmpty() || f.SectionExists(QStringLiteral("R%1").arg(n)))
            return name + ": more records than counted";
        for (int k = 0; k < n; ++k) {
            const QString r = QStringLiteral("R%1").arg(k);
            if (f.ReadNumbered("Header", k).isEmpty() || f.ReadString(r, "Alarm", "").isEmpty() ||
                !EventFromKey(f.ReadString(r, "Event", "")) || !StateFromKey(f.ReadString(r, "State", "")))
                return name + ": record " + r + " is not whole";
        }
        *records += n;
    }
    return QString();
}

} // namespace

class TstAlarmWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        QDir(TestDir() + "/Alarms").removeRecursively();
        WriteQuickAlarms();
        ResetPlantTables(1100);
        PutHeartbeat(0);
    }

    // The density upset, end to end: line, frame, tone; silence; acknowledge;
    // the plant's return; every step in the history.
    void densityUpsetWithThePlantSimulator() {
        const TestDb db = TestDatabase();
        QProcess sim;
        sim.start(ORDAL_PLANTSIM,
                  {"--port", QString::number(db.port), "--user", db.user, "--password", db.password,
                   "--interval-ms", "200", "--duration", "60", "--setpoint", "1720"});
        QVERIFY(sim.waitForStarted());
        App app;
        QTest::qWait(800);
        app.Poll();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(app->Alarms->Engine().ActiveCount(), 0);
        QCOMPARE(app->AlarmLine->Text(), QString("Сигнализация: норма"));
        QVERIFY(!TP().tone);

        sim.write("upset density\n");
        QVERIFY2(PollUntil(app, "PLS_DEV", TAlarmState::ActiveUnack, 20), "the upset raised no alarm");
        const int i = app->Alarms->Engine().IndexOf("PLS_DEV");
        QCOMPARE(app->AlarmLine->Shown(), i);
        QVERIFY(app->AlarmLine->Text().contains("Плотность суспензии отклонилась от задания"));
        QVERIFY(app->AlarmLine->Counts().contains("Активных: 1"));
        QVERIFY(app->AlarmLine->Counts().contains("Неквитированных: 1"));
        QVERIFY(app->AlarmLine->Blinking());
        QVERIFY(TP().tone);
        QCOMPARE(TP().toneStarts, 1);
        // The frame on the density's value field, yellow (medium) in the blink's on phase.
        TP().tickMs = 0;
        FormMnemo->RefreshAlarmFrames();
        QVERIFY(FormMnemo->AlarmFrameOf(FormMnemo->OutField_PLS));
        QCOMPARE(FormMnemo->AlarmFrameOf(FormMnemo->OutField_PLS)->Colour(), clYellow);
        TP().tickMs = 500;
        FormMnemo->RefreshAlarmFrames();
        QCOMPARE(FormMnemo->AlarmFrameOf(FormMnemo->OutField_PLS)->Colour(), clNone);
        TP().tickMs.reset();

        // Silence: the tone stops, the alarm still waits.
        app->AlarmLine->SilenceButton()->click();
        QVERIFY(!TP().tone);
        QVERIFY(app->AlarmLine->Blinking());
        QCOMPARE(StateOf(app, "PLS_DEV"), TAlarmState::ActiveUnack);
        app.Poll();
        QVERIFY(!TP().tone); // until the next new alarm

        // A click on the line opens the alarm window; "Квитировать все" there.
        QTest::mouseClick(app->AlarmLine, Qt::LeftButton);
        QVERIFY(FormAlarms);
        QCOMPARE(app->CurrentChild.data(), static_cast<QWidget*>(FormAlarms));
        QCOMPARE(FormAlarms->ListedIds(), QStringList{"PLS_DEV"});
        FormAlarms->ButtonAckAll->click();
        QCOMPARE(StateOf(app, "PLS_DEV"), TAlarmState::ActiveAck);
        QVERIFY(!app->AlarmLine->Blinking());
        QVERIFY(!TP().tone);
        QCOMPARE(FormAlarms->ListedIds(), QStringList{"PLS_DEV"}); // listed until it returns
        TP().tickMs = 500;                                         // acknowledged: steady, in either phase
        FormMnemo->RefreshAlarmFrames();
        QCOMPARE(FormMnemo->AlarmFrameOf(FormMnemo->OutField_PLS)->Colour(), clYellow);
        TP().tickMs.reset();

        sim.write("upset clear\n");
        QVERIFY2(PollUntil(app, "PLS_DEV", TAlarmState::Normal, 30), "the density never came back");
        QVERIFY(FormAlarms->ListedIds().isEmpty());
        QCOMPARE(app->AlarmLine->Text(), QString("Сигнализация: норма"));
        FormMnemo->RefreshAlarmFrames();
        QCOMPARE(FormMnemo->AlarmFrameOf(FormMnemo->OutField_PLS)->Colour(), clNone);

        const QList<TAlarmTransition> h = TodaysHistory(app);
        QCOMPARE(Events(h, "PLS_DEV"), QStringList({"Activate", "Acknowledge", "Return"}));
        for (const TAlarmTransition& t : h)
            if (t.Event == TAlarmEvent::Acknowledge)
                QCOMPARE(t.User, OsUserName());
        // The window's history and figures of the shift show it.
        FormAlarms->ComboBox1->setCurrentIndex(2);
        FormAlarms->LoadHistory();
        QVERIFY(FormAlarms->TableHistory->rowCount() >= 3);
        QVERIFY(FormAlarms->Figures().Annunciated >= 1);
        // The figures' report through the print window, saved as PDF: the upset is in it.
        TemplateDir = QStringLiteral(ORDAL_SOURCE_DIR "/templates");
        TP().saveFile = TestDir() + "/figures.pdf";
        QFile::remove(TP().saveFile);
        TP().dialogHandler = [](QDialog& d) {
            if (auto* w = qobject_cast<TFormWebPrint*>(&d))
                w->ButSavePdfClick(nullptr);
            return int(QDialog::Accepted);
        };
        FormAlarms->ButtonFigures->click();
        QVERIFY(TP().messages.isEmpty());
        QProcess text;
        text.start("pdftotext", {"-layout", TP().saveFile, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(pdf.contains("Показатели сигнализации за смену"), qPrintable(pdf));
        QVERIFY(pdf.contains("Плотность суспензии отклонилась от задания — 1"));
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(10000));
    }

    // The sump's level over its limit and back before anyone looked: returned
    // unacknowledged; an acknowledgement of the selected row clears it.
    void returnedUnacknowledgedClearsOnAcknowledge() {
        App app;
        PutLevels(95, 40);
        QVERIFY(PollUntil(app, "URKS_HI", TAlarmState::ActiveUnack, 10));
        PutLevels(50, 40);
        QVERIFY(PollUntil(app, "URKS_HI", TAlarmState::ReturnedUnack, 10));
        QVERIFY(app->AlarmLine->Blinking());
        QVERIFY(TP().tone); // high priority: sounds until acknowledged
        app->ActionAlarms->trigger();
        QCOMPARE(FormAlarms->ListedIds(), QStringList{"URKS_HI"});
        FormAlarms->TableActive->selectRow(0);
        FormAlarms->ButtonAck->click();
        QCOMPARE(StateOf(app, "URKS_HI"), TAlarmState::Normal);
        QVERIFY(FormAlarms->ListedIds().isEmpty());
        QVERIFY(!app->AlarmLine->Blinking());
        QVERIFY(!TP().tone);
        QCOMPARE(Events(TodaysHistory(app), "URKS_HI"), QStringList({"Activate", "Return", "Acknowledge"}));
        // The shift's history as CSV: a header, one line a transition, numbers with a point.
        PutLevels(50, 40, 1712.5);
        TP().saveFile = TestDir() + "/alarms.csv";
        FormAlarms->ButtonCsv->click();
        QVERIFY(TP().messages.isEmpty());
        const QList<QByteArray> lines = ReadFileText(TP().saveFile).split('\n');
        QCOMPARE(lines.value(0), QByteArray("Момент;Сигнализация;Текст;Приоритет;Событие;Состояние;Значение;"
                                            "Пользователь;Причина"));
        QCOMPARE(lines.size(), FormAlarms->History().size() + 2); // and the last line's end
        QVERIFY(lines.value(1).contains(";URKS_HI;Уровень в сборнике кондиционной суспензии высокий;высокий;"
                                        "возникла;активна, не квитирована;95;;"));
    }

    // Shelved through the window's dialog for an hour with a reason: quiet
    // meanwhile, back (and raised again) when the hour has passed.
    void shelvedAlarmComesBackAfterItsTime() {
        App app;
        PutLevels(50, 5); // URNS below 10 %
        QVERIFY(PollUntil(app, "URNS_LO", TAlarmState::ActiveUnack, 10));
        app->ActionAlarms->trigger();
        FormAlarms->TableActive->selectRow(FormAlarms->ListedIds().indexOf("URNS_LO"));
        // Over 8 hours is not offered: the box stops at 8.
        TP().dialogHandler = [](QDialog& d) {
            auto* hours = d.findChild<QDoubleSpinBox*>("EditHours");
            hours->setValue(12);
            if (hours->value() != kMaxShelveHours)
                return int(QDialog::Rejected);
            hours->setValue(1);
            d.findChild<QLineEdit*>("EditReason")->setText("замена датчика уровня");
            return int(QDialog::Accepted);
        };
        FormAlarms->ButtonShelve->click();
        QCOMPARE(StateOf(app, "URNS_LO"), TAlarmState::Shelved);
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(app->Alarms->Engine().UnackCount(), 0);
        QVERIFY(FormAlarms->TableActive->item(0, 4)->text().contains("замена датчика уровня"));
        const TDateTime shelvedAt = Now();
        app.Poll();
        QCOMPARE(StateOf(app, "URNS_LO"), TAlarmState::Shelved);
        // An hour on, the level still low: back and raised again.
        TP().now = shelvedAt + 1.0 / 24 + 2 * OneSecond;
        PutHeartbeat(-3600); // the controller's clock keeps up
        PutLevels(50, 5);
        app.Poll();
        QCOMPARE(StateOf(app, "URNS_LO"), TAlarmState::ActiveUnack);
        const QList<TAlarmTransition> h = app->Alarms->History().Read(shelvedAt - 1, shelvedAt + 1);
        QCOMPARE(Events(h, "URNS_LO"), QStringList({"Activate", "Shelve", "Unshelve", "Activate"}));
        for (const TAlarmTransition& t : h)
            if (t.Event == TAlarmEvent::Shelve)
                QCOMPARE(t.Reason, QString("замена датчика уровня"));
    }

    // The server stopped: the link alarm goes into the day file all the same.
    void linkAlarmIsRecordedWhileTheServerIsDown() {
        App app;
        app.Poll();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(StateOf(app, "LINK"), TAlarmState::Normal);
        const qint64 pid = TestDatabase().serverPid();
        ServerStall stall(pid, std::chrono::seconds(20));
        QVERIFY(stall.Stopped());
        // Eleven seconds on by the workstation's clock: the heartbeat is too old.
        TP().now = Now() + 11 * OneSecond;
        app->TimerRefreshStateTimer(); // the look stays unanswered; the tick goes on
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        QCOMPARE(StateOf(app, "LINK"), TAlarmState::ActiveUnack);
        QVERIFY(app->AlarmLine->Text().contains("Нет связи с контроллером"));
        // On disk before the server is back.
        const QList<TAlarmTransition> h = TodaysHistory(app);
        QCOMPARE(Events(h, "LINK"), QStringList{"Activate"});
        QVERIFY(!stall.RanOut());
        stall.Release();
        TP().now.reset();
        QVERIFY(WaitForDatabase(app->SQLConnection1));
    }

    // The configuration page "Сигнализация": edited in the workstation's
    // locale, written whole with points, taken into use at once; an alarm
    // unchecked goes out of service; a cell that does not read is named and
    // nothing is written.
    void configurationPage() {
        RussianCLocale ru;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(ru);
        App app;
        TAlarmConfigPage* page = FormConfig->AlarmPage;
        QVERIFY(page);
        QCOMPARE(FormConfig->PageControl1->tabText(FormConfig->PageControl1->indexOf(page)),
                 QString("Сигнализация"));
        const int hi = app->Alarms->Engine().IndexOf("URKS_HI");
        const int lo = app->Alarms->Engine().IndexOf("URKS_LO");
        page->Load();
        QCOMPARE(page->Table->rowCount(), app->Alarms->Engine().Count());
        QCOMPARE(
            page->Table->item(app->Alarms->Engine().IndexOf("PLS_MIN"), TAlarmConfigPage::ColLimit)->text(),
            QString("MIN_PLS"));
        page->Table->item(hi, TAlarmConfigPage::ColLimit)->setText("85,5");
        qobject_cast<QComboBox*>(page->Table->cellWidget(hi, TAlarmConfigPage::ColPriority))
            ->setCurrentIndex(2);
        page->Table->item(lo, TAlarmConfigPage::ColInService)->setCheckState(Qt::Unchecked);
        QVERIFY(page->Apply());
        QVERIFY(TP().messages.isEmpty());
        const QByteArray ini = ReadFileText(TestDir() + "/Alarms.INI");
        QVERIFY(ini.contains(
            "[URKS_HI]\nText=Уровень в сборнике кондиционной суспензии высокий\nPriority=низкий\n"
            "Kind=High\nTag=URKS\nLimit=85.5\n"));
        QCOMPARE(app->Alarms->Engine().Definitions()[hi].Limit, 85.5);
        QCOMPARE(StateOf(app, "URKS_LO"), TAlarmState::OutOfService);
        PutLevels(5, 40); // below URKS_LO's limit: out of service, nothing
        app.Poll();
        QTest::qWait(2200);
        app.Poll();
        QCOMPARE(StateOf(app, "URKS_LO"), TAlarmState::OutOfService);
        QCOMPARE(Events(TodaysHistory(app), "URKS_LO"), QStringList{"RemoveFromService"});

        page->Table->item(0, TAlarmConfigPage::ColOnDelay)->setText("минута");
        QVERIFY(!page->Apply());
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.contains("Строка 1, «Вкл., с»"));
        QCOMPARE(ReadFileText(TestDir() + "/Alarms.INI"), ini);
    }

    // A writer of 1,000 transitions killed at random moments, again and again:
    // every hour file it leaves reads whole.
    void killDuringAFloodLeavesEveryFileWhole() {
        const QString root = TestDir() + "/flood";
        QDir(root).removeRecursively();
        int kills = 0;
        int lastRecords = -1;
        for (int round = 0; round < 12; ++round) {
            QProcess writer;
            writer.start(ORDAL_ALARM_FLOOD, {root, "1000"});
            QVERIFY(writer.waitForStarted());
            QVERIFY(writer.waitForReadyRead(20000)); // "ready": its first record is on disk
            QTest::qWait(20 + QRandomGenerator::global()->bounded(300));
            if (writer.state() == QProcess::Running) {
                ::kill(pid_t(writer.processId()), SIGKILL);
                ++kills;
            }
            QVERIFY(writer.waitForFinished(10000));
            int records = 0;
            const QString damage = DamageIn(root, &records);
            QVERIFY2(damage.isEmpty(), qPrintable(damage));
            QVERIFY(records > lastRecords); // each round added to what was there
            lastRecords = records;
        }
        QVERIFY(kills > 0);
    }
};

ORDAL_TEST_MAIN(TstAlarmWindows)
#include "tst_alarmwindows.moc"
