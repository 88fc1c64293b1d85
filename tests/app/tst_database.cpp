// The data-access unit against the tests' private MariaDB: ranges read whole
// through a data set, bound values, the lost-connection road whichever
// statement finds it, the read timeouts by kind, and the connect on demand of
// a workstation that started without a server.

#include "Database.h"
#include "Global.h"
#include "StatePoll.h"
#include "ServerStall.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <thread>

namespace {

TSQLConnection* Connect(TSQLConnection& c) {
    const TestDb db = TestDatabase();
    c.Params = {"HostName=" + db.hostWithPort(), "Database=ordalm", "User_Name=" + db.user,
                "Password=" + db.password};
    c.Open();
    return &c;
}

qint64 ServerPid() { return TestDatabase().serverPid(); }

} // namespace

class TstDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
    }
    void cleanup() {
        if (const qint64 pid = ServerPid())
            ::kill(pid_t(pid), SIGCONT); // whatever a failed case left stopped
    }

    void rangeReadWholeThroughTheDataSet() {
        // 100,000 rows a second apart, every fifth PLS NULL.
        QVERIFY(ExecAdmin("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                          "select timestampadd(second, seq, '2026-12-01 00:00:00'), if(seq % 5 = 0, null, seq + 0.25), "
                          "1700, 1, 2, 3, 4, 1700, seq % 2 from seq_0_to_99999"));
        TSQLConnection c;
        Connect(c);
        const TDateTime start = EncodeDate(2026, 12, 1);
        TSQLClientDataSet data(&c, Sql::TrendRange(start, start + 99999 * OneSecond));
        data.Open();
        QCOMPARE(data.RecordCount(), 100000);
        const int moment = data.FieldNo("RecMoment");
        const int pls = data.FieldNo("pls"); // names as the server compares them
        QCOMPARE(data.FieldIndex("NoSuchColumn"), -1);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, data.FieldNo("NoSuchColumn"));
        int rows = 0;
        bool inOrder = true;
        TDateTime last = -1;
        for (data.First(); !data.Eof(); data.Next(), ++rows) {
            const TDateTime t = data.AsDateTime(moment);
            inOrder = inOrder && t > last;
            last = t;
        }
        QCOMPARE(rows, 100000);
        QVERIFY(inOrder);
        data.MoveTo(7);
        QCOMPARE(qRound64(data.AsDateTime(moment) * kSecondsPerDay), qRound64((start + 7 * OneSecond) * kSecondsPerDay));
        QCOMPARE(data.AsFloat(pls), 7.25);
        data.MoveTo(10);
        QVERIFY(data.IsNull(pls));
        QCOMPARE(data.AsFloat(pls), 0.0); // NULL reads as 0
        QCOMPARE(data.AsString(moment), QString("2026-12-01 00:00:10"));
        // Both ends of a range are inclusive; a stop before the start is empty, not an error.
        TSQLClientDataSet one(&c, Sql::BrowserRange(start + 5 * OneSecond, start + 5 * OneSecond));
        one.Open();
        QCOMPARE(one.RecordCount(), 1);
        TSQLClientDataSet none(&c, Sql::BrowserRange(start + 5 * OneSecond, start));
        none.Open();
        QVERIFY(none.Active());
        QCOMPARE(none.RecordCount(), 0);
        QVERIFY(none.Eof());
        QVERIFY(none.IsNull(0));
    }

    void boundTextsReachTheTableUnchanged() {
        TSQLConnection c;
        Connect(c);
        const QString name = "a'b\\c;d\"--";
        const QString comment = "Плотность 'кондиции'; C:\\путь\\ -- \"конец\" \\'";
        c.Execute(Sql::InsertConstant, {name, 1650.5, comment}, TStatementKind::Command);
        c.Execute(Sql::InsertConstant, {"NULLVAL", QVariant(QMetaType::fromType<double>()), QVariant()},
                  TStatementKind::Command);
        TSQLClientDataSet setup(&c, Sql::Constants);
        setup.Open();
        QCOMPARE(setup.RecordCount(), 3); // with MIN_PLS
        const int n = setup.FieldNo("ConstName"), v = setup.FieldNo("ConstVal"), k = setup.FieldNo("Comment");
        QMap<QString, int> row;
        for (setup.First(); !setup.Eof(); setup.Next())
            row[setup.AsString(n)] = setup.RecNo();
        QVERIFY(row.contains(name));
        setup.MoveTo(row[name]);
        QCOMPARE(setup.AsString(k), comment);
        QCOMPARE(setup.AsFloat(v), 1650.5);

        // A row is found by the three values it had when read, NULLs included.
        setup.MoveTo(row["NULLVAL"]);
        QVERIFY(setup.IsNull(v) && setup.IsNull(k));
        QCOMPARE(c.Execute(Sql::UpdateConstant,
                           {"NULLVAL", 2.5, "x", "NULLVAL", setup.Value(v), setup.Value(k)},
                           TStatementKind::Command),
                 1);
        setup.MoveTo(row[name]);
        QCOMPARE(c.Execute(Sql::UpdateConstant,
                           {name, 1700.0, comment + "!", setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                           TStatementKind::Command),
                 1);
        // The same old values again match nothing: the row has changed.
        QCOMPARE(c.Execute(Sql::DeleteConstant, {setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                           TStatementKind::Command),
                 0);
        setup.Refresh();
        QCOMPARE(setup.RecordCount(), 3);
        for (setup.First(); !setup.Eof(); setup.Next())
            if (setup.AsString(n) == name) {
                QCOMPARE(setup.AsString(k), comment + "!");
                QCOMPARE(c.Execute(Sql::DeleteConstant, {setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                                   TStatementKind::Command),
                         1);
            }
        setup.Refresh();
        QCOMPARE(setup.RecordCount(), 2);
    }

    void statementFailingMidLoadMarksLostAndRecovers() {
        TSQLConnection c;
        Connect(c);
        int connects = 0;
        c.AfterConnect = [&] { ++connects; };
        TSQLQuery id(&c, "select connection_id() as id");
        id.Open();
        const qint64 session = qint64(id.AsFloat("id"));
        // Rows come slowly; another session kills ours while they stream in.
        std::thread killer([session] {
            QThread::msleep(500);
            ExecAdmin(QStringLiteral("kill %1").arg(session));
        });
        TSQLClientDataSet slow(&c, "select seq, sleep(0.002) as s from seq_1_to_5000");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, slow.Open());
        killer.join();
        QVERIFY(c.Lost());
        QVERIFY(!c.Connected());
        QVERIFY(!slow.Active());
        QCOMPARE(slow.RecordCount(), 0); // nothing half-read is left behind
        // Any statement of any window brings it back.
        TSQLClientDataSet setup(&c, Sql::Constants);
        setup.Open();
        QVERIFY(c.Connected());
        QCOMPARE(connects, 1);
        QCOMPARE(setup.RecordCount(), 1);
        // A statement error on a live session is not a lost connection.
        TSQLQuery bad(&c, "select * from no_such_table");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, bad.Open());
        QVERIFY(c.Connected());
    }

    void rangeFetchLeavesTheWindowAnswering() {
        TSQLConnection c;
        Connect(c);
        TStatePoll poll(&c);
        TSQLClientDataSet slow(&c, "select seq, sleep(0.002) as s from seq_1_to_600", TStatementKind::Range);
        int ticks = 0, pollsSkipped = 0;
        QString commandDuringFetch;
        QTimer timer; // the window's own work goes on while the rows come in
        timer.setInterval(100);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!c.Busy())
                return;
            ++ticks;
            const int beforeRecord = poll.HasRecord();
            QVERIFY(poll.Tick(Now())); // skipped, not failed
            pollsSkipped += poll.HasRecord() == beforeRecord;
            if (commandDuringFetch.isEmpty()) {
                // An operator's statement meanwhile waits for the fetch, then runs.
                TSQLQuery q(&c, "select 'after' as t");
                q.Open();
                commandDuringFetch = q.AsString("t");
                QVERIFY(!c.Busy());
            }
        });
        timer.start();
        slow.Open();
        timer.stop();
        QCOMPARE(slow.RecordCount(), 600);
        QVERIFY2(ticks >= 1, "the window's timer did not run during the fetch");
        QCOMPARE(pollsSkipped, ticks);
        QCOMPARE(commandDuringFetch, QString("after"));
        QVERIFY(c.Connected());
    }

    void readTimeoutsByKind() {
        using namespace std::chrono;
        const qint64 pid = ServerPid();
        QVERIFY(pid > 0);
        TSQLConnection c;
        Connect(c);
        // A range load outlasts a stall longer than the short timeout: it is
        // answered only once the stall has run out.
        {
            ServerStall stall(pid, seconds(TSQLConnection::kReadTimeout + 2));
            QVERIFY(stall.Stopped());
            TSQLClientDataSet range(&c, Sql::JournalRange(0, 100000));
            QVERIFY_THROWS_NO_EXCEPTION(range.Open());
            QVERIFY2(stall.RanOut(), "the range load returned while the server was stopped");
            QVERIFY(c.Connected());
        }
        // The poll gives up after its short timeout, while the server is still
        // stopped, and marks the connection lost.
        {
            ServerStall stall(pid, seconds(TSQLConnection::kReadTimeout + 3));
            QVERIFY(stall.Stopped());
            TSQLQuery poll(&c, Sql::LastState);
            poll.SetKind(TStatementKind::Poll);
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, poll.Open());
            QVERIFY2(!stall.RanOut(), "the poll waited for the stalled server");
            QVERIFY(c.Lost());
            stall.Release();
            poll.Open(); // the first reconnect attempt goes through at once
            QVERIFY(c.Connected());
        }
    }

    void reconnectAttemptsAreThrottled() {
        TSQLConnection c;
        Connect(c);
        c.MarkLost();
        TP().tickMs = 10000;
        c.EnsureOpen(); // the first attempt goes through at once
        QVERIFY(c.Connected());
        c.MarkLost();
        // A dead server: the attempt fails.
        const QString server = c.Param("HostName");
        c.Params.replaceInStrings(QRegularExpression("^HostName=.*"), "HostName=127.0.0.1:1");
        TP().tickMs = 20000;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.EnsureOpen());
        // The server is back, but within the interval no attempt is made: a
        // statement fails at once instead of costing a connect timeout.
        c.Params.replaceInStrings(QRegularExpression("^HostName=.*"), "HostName=" + server);
        TP().tickMs = 20000 + TSQLConnection::kReconnectIntervalMs - 1;
        try {
            c.EnsureOpen();
            QFAIL("reconnected within the interval");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Text(), QString("Нет связи с сервером базы данных"));
        }
        QVERIFY(c.Lost());
        TP().tickMs = 20000 + TSQLConnection::kReconnectIntervalMs;
        c.EnsureOpen();
        QVERIFY(c.Connected());
    }

    void neverConnectedConnectsOnDemand() {
        // A workstation that started while the server was away.
        const qint64 pid = ServerPid();
        TSQLConnection c;
        const TestDb db = TestDatabase();
        c.Params = {"HostName=" + db.hostWithPort(), "Database=ordalm", "User_Name=" + db.user,
                    "Password=" + db.password};
        int minPlsReads = 0;
        c.AfterConnect = [&] {
            TSQLQuery q(&c, Sql::MinPLS);
            q.Open();
            minPlsReads += q.AsFloat("rez") == 1100.0;
        };
        QVERIFY(::kill(pid_t(pid), SIGSTOP) == 0);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.Open());
        QVERIFY(::kill(pid_t(pid), SIGCONT) == 0);
        QVERIFY(!c.Connected());
        QVERIFY(!c.Lost());
        // The state poll leaves a never-connected workstation alone...
        TStatePoll poll(&c);
        QVERIFY(poll.Tick(Now()));
        QVERIFY(!c.Connected());
        QCOMPARE(poll.LinkColour(), clSilver);
        // ...until an operator's load (browser, configuration) connects it.
        TSQLClientDataSet browser(&c, Sql::BrowserRange(0, 1));
        browser.Open();
        QVERIFY(c.Connected());
        QCOMPARE(minPlsReads, 1);
        PutHeartbeatNow();
        QVERIFY(poll.Tick(Now()));
        QCOMPARE(poll.LinkColour(), clGreen);
    }

private:
    static void PutHeartbeatNow() {
        ExecAdmin("delete from last_state");
        ExecAdmin("insert into last_state (RecMoment) values (now())");
    }
};

ORDAL_TEST_MAIN(TstDatabase)
#include "tst_database.moc"
