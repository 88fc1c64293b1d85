// The data-access unit against the tests' private MariaDB: ranges read whole
// through a data set, bound values, the lost-connection road whichever
// statement finds it, the read timeouts by kind, and the connect on demand of
// a workstation that started without a server.

#include "Database.h"
#include "Global.h"
#include "StatePoll.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
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

// Continues the server after `seconds`, from a process of its own (the test's
// thread is blocked in a statement meanwhile).
void ContinueServerLater(double seconds) {
    QProcess::startDetached(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep %1; kill -CONT %2")
                                                                             .arg(seconds)
                                                                             .arg(ServerPid())});
}

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

    void readTimeoutsByKind() {
        const qint64 pid = ServerPid();
        QVERIFY(pid > 0);
        TSQLConnection c;
        Connect(c);
        // A range load outlasts a stall longer than the short timeout.
        QVERIFY(::kill(pid_t(pid), SIGSTOP) == 0);
        ContinueServerLater(TSQLConnection::kReadTimeout + 2);
        QElapsedTimer t;
        t.start();
        TSQLClientDataSet range(&c, Sql::JournalRange(0, 100000));
        range.Open();
        QVERIFY2(t.elapsed() > TSQLConnection::kReadTimeout * 1000, "the server was not stalled");
        QVERIFY(c.Connected());

        // The poll gives up after its short timeout and marks the connection lost.
        QVERIFY(::kill(pid_t(pid), SIGSTOP) == 0);
        ContinueServerLater(TSQLConnection::kReadTimeout + 3);
        TSQLQuery poll(&c, Sql::LastState);
        poll.SetKind(TStatementKind::Poll);
        t.restart();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, poll.Open());
        const qint64 waited = t.elapsed();
        qInfo("range load waited out a %d s stall; the poll gave up after %lld ms", TSQLConnection::kReadTimeout + 2,
              waited);
        QVERIFY(waited < (TSQLConnection::kReadTimeout + 2) * 1000);
        QVERIFY(c.Lost());
        QThread::sleep(4); // the server continues meanwhile
        poll.Open();       // the first reconnect attempt goes through at once
        QVERIFY(c.Connected());
    }

    void reconnectAttemptsAreThrottled() {
        TSQLConnection c;
        Connect(c);
        c.MarkLost();
        TP().tickMs = 10000;
        c.EnsureOpen(); // the first attempt goes through at once
        QVERIFY(c.Connected());
        c.MarkLost();
        // A dead server: the attempt fails, the next within the interval is not tried.
        c.Params.replaceInStrings(QRegularExpression("^HostName=.*"), "HostName=127.0.0.1:1");
        TP().tickMs = 20000;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.EnsureOpen());
        TP().tickMs = 20000 + TSQLConnection::kReconnectIntervalMs - 1;
        QElapsedTimer t;
        t.start();
        try {
            c.EnsureOpen();
            QFAIL("reconnected within the interval");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Text(), QString("Нет связи с сервером базы данных"));
        }
        QVERIFY(t.elapsed() < 100);
        const TestDb db = TestDatabase();
        c.Params.replaceInStrings(QRegularExpression("^HostName=.*"), "HostName=" + db.hostWithPort());
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
