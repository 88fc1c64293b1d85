// The density setpoint followed by the program against the plant simulator on
// the tests' private MariaDB: taken, not taken, replaced, and sent with its
// answer lost; in each case the row is stored once and never sent again.

#include "AppFixture.h"
#include "AlarmService.h"
#include "Cp1251.h"
#include "Eventlog.h"
#include "Inputnewset.h"

#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const int kTakeSeconds = 6;

QByteArray Ini() {
    const TestDb db = TestDatabase();
    ScramblerState s(99);
    return QStringLiteral("[main]\nFirstChangeStart=8\nSetpointTakeSeconds=%4\n"
                          "[MySQL]\nLogin=%1\nComp=%2\nSavePassword=1\nPassword=%3\n")
        .arg(db.user, db.hostWithPort(), ScrambleText(s, db.password))
        .arg(kTakeSeconds)
        .toUtf8();
}

int Rows(double value) {
    int n = -1;
    const TestDb t = TestDatabase();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "ordal_test_rows");
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        db.setDatabaseName("ordalm");
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare("select count(*) from control_vector where _PLSZ = ?");
            q.addBindValue(value);
            if (q.exec() && q.next())
                n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase("ordal_test_rows");
    return n;
}

// A session of the test's own, kept open across statements (a table lock
// lasts as long as its session).
class AdminSession {
public:
    AdminSession() {
        const TestDb t = TestDatabase();
        db_ = QSqlDatabase::addDatabase("QMYSQL", "ordal_test_admin");
        db_.setHostName(t.host);
        db_.setPort(t.port);
        db_.setUserName(t.user);
        db_.setPassword(t.password);
        db_.setDatabaseName("ordalm");
        db_.open();
    }
    ~AdminSession() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase("ordal_test_admin");
    }
    bool Exec(const QString& sql) { return QSqlQuery(db_).exec(sql); }
    int Running(const QString& like) {
        QSqlQuery q(db_);
        q.prepare("select count(*) from information_schema.processlist where info like ? and id <> "
                  "connection_id()");
        q.addBindValue(like);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

private:
    QSqlDatabase db_;
};

// The plant simulator at a third of a second a record, taking commands.
class Plant {
public:
    Plant() {
        const TestDb db = TestDatabase();
        sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim_.start(ORDAL_PLANTSIM, {"--port", QString::number(db.port), "--user", db.user, "--password",
                                    db.password, "--interval-ms", "300", "--setpoint", "1800"});
        sim_.waitForStarted();
    }
    ~Plant() {
        Say("quit");
        if (!sim_.waitForFinished(10000))
            sim_.kill();
    }
    void Say(const char* command) {
        sim_.write(QByteArray(command) + '\n');
        sim_.waitForBytesWritten(1000);
    }

private:
    QProcess sim_;
};

void Send(TFormMain& main, double value) {
    TP().dialogHandler = [value](QDialog& d) {
        auto* input = qobject_cast<TFormInputNewSet*>(&d);
        if (!input)
            return int(QDialog::Rejected);
        input->EditInput->setText(QString::number(value));
        return int(QDialog::Accepted);
    };
    main.ActionSetPLSZExecute();
}

TAlarmState AlarmState(TFormMain& main, const char* id) {
    const TAlarmEngine& e = main.Alarms->Engine();
    return e.Runtime(e.IndexOf(QLatin1String(id))).State;
}

QString LastEvent() {
    return Cp1251ToString(EventQueue.Entry(EventQueue.Count() - 1).text);
}

} // namespace

class TstSetpointSim : public QObject {
    Q_OBJECT
    std::unique_ptr<Plant> plant_;
    std::unique_ptr<App> app_;

private Q_SLOTS:
    void init() {
        ResetPlantTables(1100);
        TP().Reset();
        plant_ = std::make_unique<Plant>();
        app_ = std::make_unique<App>(Ini());
        QCOMPARE((*app_)->SetpointFollow.TakeSeconds(), kTakeSeconds);
        (*app_)->TimerRefreshState->start(); // the program's own once-a-second look
        QTRY_VERIFY_WITH_TIMEOUT((*app_)->LastDataActive(), 5000);
    }
    void cleanup() {
        app_.reset();
        plant_.reset();
    }

    void taken() {
        TFormMain& main = *app_->main;
        Send(main, 1850);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Taken, 5000);
        const TSetpointFollowUp f = main.SetpointFollow.Current();
        QVERIFY(f.sentAt > 0);
        QVERIFY2(f.user.startsWith(TestDatabase().user + "@"), qPrintable(f.user));
        QVERIFY(f.takenAt >= f.sentAt);
        QCOMPARE(main.LabelSetpoint->text(), "1850 кг/м³: принято " + FormatDateTime("hh:nn:ss", f.takenAt));
        QVERIFY(main.LabelSetpoint->isVisible() || !main.isVisible());
        QCOMPARE(Rows(1850), 1);
        QVERIFY(TP().messages.isEmpty());
    }

    void notTaken() {
        TFormMain& main = *app_->main;
        plant_->Say("ignore");
        QTest::qWait(400);
        Send(main, 1870);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Sent, 3000);
        QVERIFY2(main.LabelSetpoint->text().startsWith("1870 кг/м³: отправлено "),
                 qPrintable(main.LabelSetpoint->text()));
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::NotTaken,
                                  (kTakeSeconds + 3) * 1000);
        QCOMPARE(main.LabelSetpoint->text(), QString("1870 кг/м³: не принято"));
        QCOMPARE(LastEvent(), QString("Задание плотности не принято контроллером"));
        QCOMPARE(Rows(1870), 1);
        // Raised as an alarm, which a setpoint the controller takes returns.
        QTRY_COMPARE(AlarmState(main, "SETPOINT"), TAlarmState::ActiveUnack);
        plant_->Say("heed");
        QTest::qWait(400);
        Send(main, 1875);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Taken, 5000);
        QTRY_COMPARE(AlarmState(main, "SETPOINT"), TAlarmState::ReturnedUnack);
    }

    void replaced() {
        TFormMain& main = *app_->main;
        plant_->Say("ignore");
        QTest::qWait(400);
        Send(main, 1880);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Sent, 3000);
        plant_->Say("heed");
        Send(main, 1890);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Taken, 5000);
        const auto& history = main.SetpointFollow.History();
        QCOMPARE(int(history.size()), 2);
        QCOMPARE(history[0].state, TSetpointState::Replaced);
        QCOMPARE(history[0].value, 1880.0);
        QCOMPARE(history[1].value, 1890.0);
        QCOMPARE(Rows(1880), 1);
        QCOMPARE(Rows(1890), 1);
    }

    // The insert waits for a lock and its session is killed: the statement
    // did not run, its row is looked for in vain, and after the time the
    // setpoint is unknown, never sent again.
    void lostAnswerNoRow() {
        TFormMain& main = *app_->main;
        TSQLQuery id(main.SQLConnection1, "select connection_id() as id");
        QVERIFY(id.Open());
        QVERIFY(WaitForDatabase(main.SQLConnection1));
        const qint64 session = qint64(id.AsFloat("id"));
        AdminSession admin;
        QVERIFY(admin.Exec("lock tables control_vector write"));
        Send(main, 1860);
        QTRY_COMPARE(admin.Running("insert into control_vector%"), 1);
        QVERIFY(admin.Exec(QStringLiteral("kill %1").arg(session)));
        QVERIFY(admin.Exec("unlock tables"));
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Checking, 5000);
        QCOMPARE(main.LabelSetpoint->text(), QString("1860 кг/м³: ответ потерян, проверяется"));
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Unknown,
                                  (kTakeSeconds + 5) * 1000);
        QCOMPARE(main.LabelSetpoint->text(), QString("1860 кг/м³: неизвестно"));
        QTest::qWait(1500);
        QCOMPARE(Rows(1860), 0);
        QCOMPARE(TP().messages.size(), 1); // the box of the lost answer, once
    }

    // The insert is carried out but answered after the read timeout: the row
    // is found once it is there, and the controller takes it.
    void lostAnswerRowStored() {
        TFormMain& main = *app_->main;
        QVERIFY(ExecAdmin(QStringLiteral("create trigger slow_command after insert on control_vector "
                                         "for each row set @slept = sleep(%1)")
                              .arg(TDbSession::kReadTimeout + 2)));
        Send(main, 1840);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Checking,
                                  (TDbSession::kReadTimeout + 3) * 1000);
        QVERIFY(ExecAdmin("drop trigger slow_command"));
        QTRY_VERIFY_WITH_TIMEOUT(main.SetpointFollow.Current().state == TSetpointState::Sent ||
                                     main.SetpointFollow.Current().state == TSetpointState::Taken,
                                 (kTakeSeconds + 2) * 1000);
        QTRY_COMPARE_WITH_TIMEOUT(main.SetpointFollow.Current().state, TSetpointState::Taken, 5000);
        // Its row was found: the moment and the user are the row's.
        QVERIFY(main.SetpointFollow.Current().sentAt > 0);
        QVERIFY(main.SetpointFollow.Current().user.startsWith(TestDatabase().user + "@"));
        QCOMPARE(Rows(1840), 1);
    }
};

ORDAL_TEST_MAIN(TstSetpointSim)
#include "tst_setpointsim.moc"
