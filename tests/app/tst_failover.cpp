// The workstation with a primary and a replica ([MySQL] Comp lists both):
// two private MariaDB servers with the server's own replication between them
// and the plant simulator writing to the primary (fixtures/replication.sh).
//
// The primary is killed: live values come from the replica within 10 s and a
// setpoint is refused with the read-only message, sent nowhere. The primary
// is back: the workstation returns to it within 10 s and the setpoint is
// stored there once. Both are down: the link is red and the screen goes on.
// The replica lags (its replication stopped): the link shows the age of the
// heartbeat the replica has, never green.
//
// The clock is the real one: the simulator writes the heartbeat with the
// server's time, and the limits are the operator's seconds.

#include "AppFixture.h"
#include "Cp1251.h"
#include "Eventlog.h"
#include "Mnemo.h"
#include "Outfield.h"

#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <csignal>

namespace {

QString Dir() {
    return qEnvironmentVariable("ORDAL_TEST_REPLICATION_DIR");
}
int PrimaryPort() {
    return TestDatabase().port;
}
int ReplicaPort() {
    return qEnvironmentVariableIntValue("ORDAL_TEST_REPLICA_PORT");
}
QString PrimaryName() {
    return QStringLiteral("127.0.0.1:%1").arg(PrimaryPort());
}
QString ReplicaName() {
    return QStringLiteral("127.0.0.1:%1").arg(ReplicaPort());
}

QString Script() {
    return QStringLiteral(ORDAL_SOURCE_DIR "/tests/fixtures/replication.sh");
}

bool Fixture(const QStringList& args) {
    return QProcess::execute(QStringLiteral("bash"), QStringList{Script()} + args) == 0;
}
// A statement as the server's root (replication control).
bool RootSql(const QString& who, const QString& sql) {
    return Fixture({"sql", Dir(), who, sql});
}

pid_t ServerPid(const QString& who) {
    QFile f(Dir() + QLatin1Char('/') + who + QStringLiteral("/mysqld.pid"));
    return f.open(QIODevice::ReadOnly) ? pid_t(f.readAll().trimmed().toLongLong()) : 0;
}
bool Alive(const QString& who) {
    const pid_t pid = ServerPid(who);
    return pid > 0 && ::kill(pid, 0) == 0;
}
void Kill(const QString& who) {
    const pid_t pid = ServerPid(who);
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid, SIGKILL) == 0);
    for (int i = 0; i < 50 && ::kill(pid, 0) == 0; ++i)
        QTest::qSleep(100);
}

// The first column of the first row, on a connection of its own to one server.
QVariant Value(int port, const QString& sql) {
    QVariant v;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "failover_check");
        db.setHostName("127.0.0.1");
        db.setPort(port);
        db.setUserName("ordal");
        db.setPassword("ordal");
        db.setDatabaseName("ordalm");
        db.setConnectOptions("MYSQL_OPT_CONNECT_TIMEOUT=2");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                v = q.value(0);
        }
    }
    QSqlDatabase::removeDatabase("failover_check");
    return v;
}

QByteArray FailoverIni() {
    ScramblerState s(5);
    return QStringLiteral("[MySQL]\nLogin=ordal\nComp=%1,%2\nSavePassword=1\nPassword=%3\n")
        .arg(PrimaryName(), ReplicaName(), ScrambleText(s, "ordal"))
        .toUtf8();
}

// Polls once a second, as the program does, until `done` holds; the time it
// took in ms, or -1 after `limitMs`.
qint64 PollUntil(App& app, const std::function<bool()>& done, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() <= limitMs) {
        const qint64 tick = t.elapsed();
        app.Poll();
        if (done())
            return t.elapsed();
        QTest::qWait(int(std::max<qint64>(0, 1000 - (t.elapsed() - tick))));
    }
    return -1;
}

// The operator enters a density setpoint; the message box text that follows
// (empty: none).
QString SendDensity(App& app, const QString& value) {
    TP().messages.clear();
    TP().dialogHandler = [value](QDialog& d) {
        d.findChild<QLineEdit*>("EditInput")->setText(value);
        return int(QDialog::Accepted);
    };
    app->ActionSetPLSZExecute();
    if (!WaitForDatabase(app->SQLConnection1))
        return QStringLiteral("no answer");
    return TP().messages.isEmpty() ? QString() : TP().messages.last().text;
}

bool EventQueueHas(const QString& text) {
    const QByteArray wanted = StringToCp1251Lossy(text);
    for (int i = 0; i < EventQueue.Capacity(); ++i)
        if (EventQueue.Entry(i).text == wanted)
            return true;
    return false;
}

} // namespace

class TstFailover : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        // Whatever an earlier case left down comes back, replication running.
        if (!Alive("replica"))
            QVERIFY(Fixture({"replica-start", Dir()}));
        if (!Alive("primary"))
            QVERIFY(Fixture({"primary-start", Dir()}));
        QVERIFY(RootSql("replica", "START SLAVE"));
        // The replica has caught up with the controller's heartbeat.
        QTRY_VERIFY_WITH_TIMEOUT(Value(ReplicaPort(),
                                       "select count(*) from last_state where RecMoment > now() - "
                                       "interval 3 second")
                                         .toInt() > 0,
                                 15000);
    }

    void primaryKilledThenBack() {
        App app(FailoverIni());
        app.Poll();
        QCOMPARE(app->SQLConnection1->Server(), PrimaryName());
        QVERIFY(!app->SQLConnection1->ServerReadOnly());
        QVERIFY(app->LastDataActive());
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(app->ShapeLink->toolTip(), "Сервер базы данных: " + PrimaryName());
        QVERIFY(!app->LabelServer->isHidden());
        const int before = Value(PrimaryPort(), "select count(*) from control_vector").toInt();

        Kill("primary");
        const qint64 toReplica = PollUntil(
            app, [&] { return app->SQLConnection1->Server() == ReplicaName() && app->LastDataActive(); },
            10000);
        qInfo("live values from the replica %lld ms after the primary died", toReplica);
        QVERIFY2(toReplica >= 0, "no live values from the replica within 10 s");
        QVERIFY(app->SQLConnection1->ServerReadOnly());
        QVERIFY(app->ShapeLink->Brush()->GetColor() != clSilver);
        const QString shown =
            "Сервер базы данных: " + ReplicaName() + " (только чтение, задания не отправляются)";
        QCOMPARE(app->ShapeLink->toolTip(), shown);
        QCOMPARE(app->LabelServer->text(), shown);
        QVERIFY(EventQueueHas("База данных: работа с сервером " + ReplicaName() + " (только чтение)"));
        // The record shown is the replica's newest.
        QCOMPARE(SqlDateTimeText(app->LastData().RecMoment),
                 Value(ReplicaPort(), "select date_format(max(RecMoment), '%Y-%m-%d %H:%i:%s') from pu_data")
                     .toString());

        // A setpoint on the replica is refused, not kept for later, and the
        // operator can try again.
        QCOMPARE(SendDensity(app, "1750"),
                 "Сервер " + ReplicaName() + " только для чтения: задание не отправлено");
        QVERIFY(!app->SetpointSending());
        QVERIFY(app->ActionSetPLSZ->isEnabled());
        QCOMPARE(Value(ReplicaPort(), "select count(*) from control_vector where _PLSZ = 1750").toInt(), 0);

        QVERIFY(Fixture({"primary-start", Dir()}));
        const qint64 toPrimary = PollUntil(
            app, [&] { return app->SQLConnection1->Server() == PrimaryName(); }, 10000);
        qInfo("back on the primary %lld ms after it returned", toPrimary);
        QVERIFY2(toPrimary >= 0, "not back on the primary within 10 s");
        QVERIFY(!app->SQLConnection1->ServerReadOnly());
        QCOMPARE(app->ShapeLink->toolTip(), "Сервер базы данных: " + PrimaryName());
        QVERIFY(EventQueueHas("База данных: работа с сервером " + PrimaryName()));
        // The refused setpoint was never sent later.
        QCOMPARE(Value(PrimaryPort(), "select count(*) from control_vector where _PLSZ = 1750").toInt(), 0);
        QCOMPARE(SendDensity(app, "1760"), QString());
        QCOMPARE(Value(PrimaryPort(), "select count(*) from control_vector where _PLSZ = 1760").toInt(), 1);
        QCOMPARE(Value(PrimaryPort(), "select count(*) from control_vector").toInt(), before + 1);
    }

    void bothDown() {
        App app(FailoverIni());
        app.Poll();
        QCOMPARE(app->SQLConnection1->Server(), PrimaryName());
        const TDateTime beat = app->StatePoll->LastHeartbeat();
        QVERIFY(beat > 0);
        Kill("primary");
        Kill("replica");
        // The workstation's clock runs on past the last heartbeat; every tick
        // returns at once and each look is answered (refused) within the
        // connect limits.
        for (int s = 2; s <= 12; ++s) {
            TP().now = beat + s * OneSecond;
            QElapsedTimer t;
            t.start();
            app->TimerRefreshStateTimer();
            QVERIFY2(t.elapsed() < 200, "a tick waited for the servers");
            QVERIFY(WaitForDatabase(app->SQLConnection1, 2 * 2 * TDbSession::kConnectTimeout * 1000 + 2000));
        }
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        QVERIFY(app->SQLConnection1->Server().isEmpty());
        QCOMPARE(app->LabelServer->text(), QString("Сервер базы данных: нет связи"));
        FormMnemo->RefreshScheme();
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("Сбой связи"));
        QVERIFY(TP().beeps > 0);
    }

    void laggingReplica() {
        // The replica stops following the primary; the controller writes on.
        QVERIFY(RootSql("replica", "STOP SLAVE"));
        QTest::qWait(6500);
        App app(FailoverIni());
        Kill("primary");
        QVERIFY(PollUntil(
                    app, [&] { return app->SQLConnection1->Server() == ReplicaName(); }, 10000) >= 0);
        // What the replica has is more than 5 s old: yellow, then red, never green.
        for (int i = 0; i < 5; ++i) {
            QVERIFY(app->StatePoll->LastHeartbeat() > 0);
            QVERIFY2(app->ShapeLink->Brush()->GetColor() != clGreen, "a stale replica shown as a live link");
            app.Poll();
            QTest::qWait(1000);
        }
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
    }
};

ORDAL_TEST_MAIN(TstFailover)
#include "tst_failover.moc"
