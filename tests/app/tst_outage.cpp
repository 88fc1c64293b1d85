// The state poll when the server stalls, dies and comes back. The server is
// the tests' private MariaDB, stopped and killed by its own pid.

#include "AppFixture.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "ServerStall.h"

#include <QLineEdit>
#include <QProcess>
#include <csignal>

namespace {

bool RestartServer() {
    const TestDb db = TestDatabase();
    return QProcess::execute(QStringLiteral(ORDAL_SOURCE_DIR "/tests/fixtures/mariadb.sh"),
                             {"start", db.dir, QString::number(db.port)}) == 0;
}

TDateTime ServerHeartbeat() {
    // The heartbeat is written with a literal so that the test knows it exactly.
    const TDateTime beat = DateTimeFromQ(QDateTime::currentDateTime().addSecs(-1));
    ExecAdmin("delete from last_state");
    ExecAdmin(QStringLiteral("insert into last_state (RecMoment) values ('%1')").arg(SqlDateTimeText(beat)));
    return std::floor(beat * kSecondsPerDay) / kSecondsPerDay;
}

} // namespace

class TstOutage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
        PutRecord();
    }
    void cleanup() {
        // A failed case must not leave the server stopped or dead for the tests after it.
        const qint64 pid = TestDatabase().serverPid();
        if (pid > 0 && ::kill(pid_t(pid), 0) == 0)
            ::kill(pid_t(pid), SIGCONT);
        else
            RestartServer();
    }

    void stalledServer() {
        const qint64 pid = TestDatabase().serverPid();
        QVERIFY(pid > 0);
        App app;
        // The reconnect interval runs on the test's tick counter.
        const quint64 t0 = 100000;
        TP().tickMs = t0;
        const TDateTime beat = ServerHeartbeat();
        TP().now = beat + 2 * OneSecond;
        app->TimerRefreshStateTimer();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);

        {
            // Stopped for far longer than any timeout: a tick that waited for
            // the server would end only after the stall ran out.
            ServerStall stall(pid, std::chrono::seconds(30));
            QVERIFY(stall.Stopped());
            TP().now = beat + 7 * OneSecond;
            app->TimerRefreshStateTimer();
            QVERIFY2(!stall.RanOut(), "the tick waited for the stopped server");
            QCOMPARE(TP().beeps, 1);
            QCOMPARE(app->ShapeLink->Brush()->GetColor(), clYellow); // follows the age of the last heartbeat
            QVERIFY(!app->ActionSetPLSZ->isEnabled());

            TP().now = beat + 12 * OneSecond;
            app->TimerRefreshStateTimer(); // one reconnect attempt, bounded by the connect timeout
            QVERIFY2(!stall.RanOut(), "the reconnect attempt waited for the stopped server");
            QCOMPARE(TP().beeps, 2);
            QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        }
        // The server answers again, but the next attempt is not due yet: the
        // tick fails at once rather than trying (which would now succeed).
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs - 1;
        app->TimerRefreshStateTimer();
        QCOMPARE(TP().beeps, 3);
        QVERIFY(!app->SQLConnection1->Connected());

        // Once it is due, the same tick reconnects and shows live values.
        TP().now.reset();
        const TDateTime fresh = ServerHeartbeat();
        TP().now = fresh + OneSecond;
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs;
        app->TimerRefreshStateTimer();
        QCOMPARE(TP().beeps, 3);
        QVERIFY(app->SQLConnection1->Connected());
        QVERIFY(app->LastDataActive());
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QVERIFY(app->ActionSetPLSZ->isEnabled());
    }

    void killedAndRestartedServer() {
        const qint64 pid = TestDatabase().serverPid();
        QVERIFY(pid > 0);
        App app;
        const quint64 t0 = 100000;
        TP().tickMs = t0;
        const TDateTime beat = ServerHeartbeat();
        TP().now = beat + OneSecond;
        app->TimerRefreshStateTimer();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);

        FormMnemo->Timer1->stop();
        FormMnemo->RefreshScheme();
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("АВТОМАТ"));

        QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
        for (int i = 0; i < 50 && ::kill(pid_t(pid), 0) == 0; ++i)
            QTest::qSleep(100);
        // Until the link turns red the scheme keeps the last record: a plant
        // running in automatic is never shown as manual with zeros.
        for (int i = 0; i < 3; ++i) {
            TP().now = beat + (3 + i) * OneSecond;
            app->TimerRefreshStateTimer();
            FormMnemo->RefreshScheme();
            QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("АВТОМАТ"));
            QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 1700.0);
            QVERIFY(FormMnemo->Running);
        }
        QCOMPARE(TP().beeps, 3);
        QVERIFY(app->LastDataActive());
        TP().now = beat + 12 * OneSecond;
        app->TimerRefreshStateTimer();
        FormMnemo->RefreshScheme();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("Сбой связи"));
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 0.0);
        QVERIFY(!FormMnemo->Running);

        QVERIFY(RestartServer());
        // Changed before the workstation gets its connection back: the value
        // it then shows must be the one read after the reconnect.
        QVERIFY(ExecAdmin("update setup set ConstVal = 1234.5 where ConstName = 'MIN_PLS'"));
        // The first tick once the next attempt is due reconnects and shows live values.
        TP().now.reset();
        const TDateTime fresh = ServerHeartbeat();
        TP().now = fresh + OneSecond;
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs;
        app->TimerRefreshStateTimer();
        QVERIFY(app->SQLConnection1->Connected());
        QVERIFY(app->LastDataActive());
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(app->MinPLS, 1234.5); // read again after the reconnect

        // A setpoint sent after the recovery is inserted exactly once.
        TP().dialogHandler = [](QDialog& d) {
            d.findChild<QLineEdit*>("EditInput")->setText("1750");
            return int(QDialog::Accepted);
        };
        app->ActionSetPLSZExecute();
        QVERIFY(TP().messages.isEmpty());
    }
};

ORDAL_TEST_MAIN(TstOutage)
#include "tst_outage.moc"
