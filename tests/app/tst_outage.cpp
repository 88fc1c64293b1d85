// The state poll when the server stalls, dies and comes back. The server is
// the tests' private MariaDB, stopped and killed by its own pid.
//
// The program never waits for the server: a tick asks for a look and returns,
// and the answer comes later. So the event loop goes on while the server is
// stopped, the circle turns yellow and red by the heartbeat's age at every
// tick, and a look that is not answered yet is never asked again.

#include "AppFixture.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "ServerStall.h"

#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
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

// The first column of the first row of a statement, on a connection of its own.
int AdminCount(const QString& sql) {
    int n = -1;
    const TestDb t = TestDatabase();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "outage_count");
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        db.setDatabaseName("ordalm");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase("outage_count");
    return n;
}

int LivePending(App& app) { return app->SQLConnection1->Pending(TSessionRole::Live); }

// One journal load (a range, on the history session); the error text, or
// empty when the rows came.
QString LoadJournal() {
    bool answered = false;
    QString error;
    if (!FormLogView->LoadJournal([&](const EDatabaseError* e) {
            answered = true;
            if (e)
                error = e->Text();
        }))
        return QStringLiteral("the journal refused to load");
    // A minute is the range's own limit.
    for (QElapsedTimer t; !answered && (!t.isValid() || t.elapsed() < 70000);) {
        if (!t.isValid())
            t.start();
        QTest::qWait(5);
    }
    return answered ? error : QStringLiteral("no answer");
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
        app.Poll();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        const int answered = app->StatePoll->Answers();

        // The event loop's pulse: how often a 50-ms timer fired while the
        // look was asked and not answered.
        int firesWhileWaiting = 0;
        QTimer pulse;
        pulse.setInterval(50);
        connect(&pulse, &QTimer::timeout, [&] { firesWhileWaiting += app->StatePoll->Waiting(); });
        {
            // Stopped for far longer than any timeout: a tick that waited for
            // the server would end only after the stall ran out.
            ServerStall stall(pid, std::chrono::seconds(30));
            QVERIFY(stall.Stopped());
            TP().now = beat + 3 * OneSecond;
            app->TimerRefreshStateTimer();
            QVERIFY(app->StatePoll->Waiting());
            QCOMPARE(LivePending(app), 1);
            QCOMPARE(app->LabelClock->text(), FormatDateTime("hh:nn:ss", beat + 3 * OneSecond));

            // While the look is unanswered the circle follows the age of the
            // last heartbeat at every tick, the clock goes on, and no second
            // look is asked (nothing ran in between that could answer it).
            const QList<QPair<int, TColor>> ages{{5, clGreen}, {7, clYellow}, {10, clYellow}, {12, clRed}};
            for (const auto& [age, colour] : ages) {
                TP().now = beat + age * OneSecond;
                app->TimerRefreshStateTimer();
                QCOMPARE(app->ShapeLink->Brush()->GetColor(), colour);
                QCOMPARE(app->LabelClock->text(), FormatDateTime("hh:nn:ss", beat + age * OneSecond));
                QCOMPARE(LivePending(app), 1);
            }
            QCOMPARE(app->StatePoll->Answers(), answered);

            // The event loop runs while the server holds the answer.
            pulse.start();
            QTRY_VERIFY2(firesWhileWaiting >= 5 || !app->StatePoll->Waiting(), "the event loop did not run");
            QVERIFY2(firesWhileWaiting >= 5, "the look was answered before the event loop ran");
            QVERIFY(!stall.RanOut());

            // The look ends by its own read timeout, while the stall holds.
            QTRY_VERIFY_WITH_TIMEOUT(!app->StatePoll->Waiting(), 25000);
            QVERIFY2(!stall.RanOut(), "the look waited for the stopped server");
            pulse.stop();
            QCOMPARE(app->StatePoll->Answers(), answered + 1);
            QCOMPARE(TP().beeps, 1);
            QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed); // the heartbeat is still 12 s old
            QVERIFY(!app->SQLConnection1->Connected());
            QVERIFY(!app->ActionSetPLSZ->isEnabled());

            // The next look tries one reconnect, bounded by the connect timeout.
            TP().now = beat + 13 * OneSecond;
            app.Poll();
            QVERIFY2(!stall.RanOut(), "the reconnect attempt waited for the stopped server");
            QCOMPARE(TP().beeps, 2);
            QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        }
        // The server answers again, but the next attempt is not due yet: the
        // look fails at once rather than trying (which would now succeed).
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs - 1;
        app.Poll();
        QCOMPARE(TP().beeps, 3);
        QVERIFY(!app->SQLConnection1->Connected());

        // Once it is due, the next look reconnects and shows live values.
        TP().now.reset();
        const TDateTime fresh = ServerHeartbeat();
        TP().now = fresh + OneSecond;
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs;
        app.Poll();
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
        app.Poll();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        // The history session is open too before the server dies.
        QCOMPARE(LoadJournal(), QString());

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
            app.Poll();
            FormMnemo->RefreshScheme();
            QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("АВТОМАТ"));
            QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 1700.0);
            QVERIFY(FormMnemo->Running);
        }
        QCOMPARE(TP().beeps, 3);
        QVERIFY(app->LastDataActive());
        TP().now = beat + 12 * OneSecond;
        app.Poll();
        FormMnemo->RefreshScheme();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("Сбой связи"));
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 0.0);
        QVERIFY(!FormMnemo->Running);

        QVERIFY(RestartServer());
        // Changed before the workstation gets its connection back: the value
        // it then shows must be the one read after the reconnect.
        QVERIFY(ExecAdmin("update setup set ConstVal = 1234.5 where ConstName = 'MIN_PLS'"));
        // The first look once the next attempt is due reconnects the live
        // session and shows live values.
        TP().now.reset();
        const TDateTime fresh = ServerHeartbeat();
        TP().now = fresh + OneSecond;
        TP().tickMs = t0 + TSQLConnection::kReconnectIntervalMs;
        app.Poll();
        QVERIFY(app->SQLConnection1->Connected());
        QVERIFY(app->LastDataActive());
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(app->MinPLS, 1234.5); // read again after the reconnect
        FormMnemo->RefreshScheme();
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 1700.0);

        // The operator's next range load works: the history session, whose
        // server died under it too, is reopened rather than failing once.
        QCOMPARE(TP().messages.size(), 0);
        QCOMPARE(LoadJournal(), QString());

        // A setpoint sent after the recovery is inserted exactly once.
        TP().dialogHandler = [](QDialog& d) {
            d.findChild<QLineEdit*>("EditInput")->setText("1750");
            return int(QDialog::Accepted);
        };
        app->ActionSetPLSZExecute();
        QVERIFY(app->SetpointSending());
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(!app->SetpointSending());
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(AdminCount("select count(*) from control_vector where _PLSZ = 1750"), 1);
        QCOMPARE(AdminCount("select count(*) from control_vector"), 1);
    }
};

ORDAL_TEST_MAIN(TstOutage)
#include "tst_outage.moc"
