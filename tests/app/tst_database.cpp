// The data-access unit against the tests' private MariaDB.
//
// A session (TDbSession) on the test's thread: ranges read whole, bound
// values, the lost-connection road, the read timeouts by kind, the throttled
// reopen. The connection (TSQLConnection) with its two database threads: the
// poll answered while a range is held by the server, a command during a range
// stored once and answered first, answers dropped for a requester that is
// gone, a second open of a data set refused, the connect on demand of a
// workstation that started without a server, and a stalled statement that
// never holds the program's end.

#include "Database.h"
#include "Global.h"
#include "ServerStall.h"
#include "Sql.h"
#include "StatePoll.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <memory>
#include <thread>

namespace {

QStringList TestParams(const QString& host = QString()) {
    const TestDb db = TestDatabase();
    return {"HostName=" + (host.isEmpty() ? db.hostWithPort() : host), "Database=ordalm", "User_Name=" + db.user,
            "Password=" + db.password};
}

// A session on the test's thread, connected.
std::unique_ptr<TDbSession> Session() {
    auto s = std::make_unique<TDbSession>(QStringLiteral("test"));
    s->SetSettings(TConnectionSettings::FromParams(TestParams()));
    s->Open();
    return s;
}

// Rows of a statement through a data set's cursor.
void Fill(TSQLClientDataSet& set, TDbSession& session, const QString& sql, TStatementKind kind) {
    set.Assign(session.Select(sql, kind));
}

qint64 ServerPid() { return TestDatabase().serverPid(); }

// Waits until the connection has answered everything it was asked.
bool Settled(TSQLConnection& c, int limitMs = 30000) {
    QElapsedTimer t;
    t.start();
    while (c.Pending(TSessionRole::Live) > 0 || c.Pending(TSessionRole::History) > 0) {
        if (t.elapsed() > limitMs)
            return false;
        QTest::qWait(2);
    }
    return true;
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

    // ---- one session ----

    void rangeReadWholeThroughTheDataSet() {
        // 100,000 rows a second apart, every fifth PLS NULL.
        QVERIFY(ExecAdmin("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                          "select timestampadd(second, seq, '2026-12-01 00:00:00'), if(seq % 5 = 0, null, seq + 0.25), "
                          "1700, 1, 2, 3, 4, 1700, seq % 2 from seq_0_to_99999"));
        auto c = Session();
        const TDateTime start = EncodeDate(2026, 12, 1);
        TSQLClientDataSet data(nullptr);
        Fill(data, *c, Sql::TrendRange(start, start + 99999 * OneSecond), TStatementKind::Range);
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
        TSQLClientDataSet one(nullptr);
        Fill(one, *c, Sql::BrowserRange(start + 5 * OneSecond, start + 5 * OneSecond), TStatementKind::Range);
        QCOMPARE(one.RecordCount(), 1);
        TSQLClientDataSet none(nullptr);
        Fill(none, *c, Sql::BrowserRange(start + 5 * OneSecond, start), TStatementKind::Range);
        QVERIFY(none.Active());
        QCOMPARE(none.RecordCount(), 0);
        QVERIFY(none.Eof());
        QVERIFY(none.IsNull(0));
        // A result without a declared column is refused and leaves the set closed.
        TSQLClientDataSet declared(nullptr);
        declared.DeclaredFields = {"RecMoment", "NoSuchColumn"};
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Fill(declared, *c, Sql::LastData, TStatementKind::Poll));
        QVERIFY(!declared.Active());
    }

    void boundTextsReachTheTableUnchanged() {
        auto c = Session();
        const QString name = "a'b\\c;d\"--";
        const QString comment = "Плотность 'кондиции'; C:\\путь\\ -- \"конец\" \\'";
        c->Execute(Sql::InsertConstant, {name, 1650.5, comment}, TStatementKind::Command);
        c->Execute(Sql::InsertConstant, {"NULLVAL", QVariant(QMetaType::fromType<double>()), QVariant()},
                   TStatementKind::Command);
        TSQLClientDataSet setup(nullptr);
        Fill(setup, *c, Sql::Constants, TStatementKind::Command);
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
        QCOMPARE(c->Execute(Sql::UpdateConstant, {"NULLVAL", 2.5, "x", "NULLVAL", setup.Value(v), setup.Value(k)},
                            TStatementKind::Command),
                 1);
        setup.MoveTo(row[name]);
        QCOMPARE(c->Execute(Sql::UpdateConstant,
                            {name, 1700.0, comment + "!", setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                            TStatementKind::Command),
                 1);
        // The same old values again match nothing: the row has changed.
        QCOMPARE(c->Execute(Sql::DeleteConstant, {setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                            TStatementKind::Command),
                 0);
        Fill(setup, *c, Sql::Constants, TStatementKind::Command);
        QCOMPARE(setup.RecordCount(), 3);
        for (setup.First(); !setup.Eof(); setup.Next())
            if (setup.AsString(n) == name) {
                QCOMPARE(setup.AsString(k), comment + "!");
                QCOMPARE(c->Execute(Sql::DeleteConstant, {setup.AsString(n), setup.AsFloat(v), setup.AsString(k)},
                                    TStatementKind::Command),
                         1);
            }
        Fill(setup, *c, Sql::Constants, TStatementKind::Command);
        QCOMPARE(setup.RecordCount(), 2);
    }

    void statementFailingMidLoadMarksLostAndRecovers() {
        auto c = Session();
        int connects = 0;
        c->AfterConnect = [&](TDbSession&) { ++connects; };
        const qint64 session = qint64(c->Select("select connection_id() as id", TStatementKind::Command).Number(0, 0));
        // Rows come slowly; another session kills ours while they stream in.
        std::thread killer([session] {
            QThread::msleep(500);
            ExecAdmin(QStringLiteral("kill %1").arg(session));
        });
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 c->Select("select seq, sleep(0.002) as s from seq_1_to_5000", TStatementKind::Range));
        killer.join();
        QVERIFY(c->Lost());
        QVERIFY(!c->Connected());
        // The next statement brings it back.
        QCOMPARE(c->Select(Sql::Constants, TStatementKind::Command).RowCount(), 1);
        QVERIFY(c->Connected());
        QCOMPARE(connects, 1);
        // A statement error on a live session is not a lost connection.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->Select("select * from no_such_table", TStatementKind::Command));
        QVERIFY(c->Connected());
    }

    // Several statements in one text (the poll's look): each result in order;
    // the first that fails ends it with the results before it kept, and the
    // session stays in step for the next statement (no result left unread).
    void severalStatementsInOneRoundTrip_data() {
        QTest::addColumn<bool>("several");
        QTest::newRow("one text") << true;
        QTest::newRow("one by one") << false;
    }
    void severalStatementsInOneRoundTrip() {
        QFETCH(bool, several);
        TDbSession c(QStringLiteral("test"));
        c.SetSettings(TConnectionSettings::FromParams(TestParams()));
        c.AllowSeveralStatements(several);
        c.Open();
        std::vector<TResultTable> results;
        c.SelectAll({"select 1 as a", "select 2 as b union all select 3", "select 'x' as c"}, TStatementKind::Poll,
                    results);
        QCOMPARE(int(results.size()), 3);
        QCOMPARE(results[1].RowCount(), 2);
        QCOMPARE(results[1].Number(1, 0), 3.0);
        QCOMPARE(results[2].Text(0, 0), QStringLiteral("x"));
        results.clear();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.SelectAll({"select 1 as a", "select * from no_such_table",
                                                              "select 3 as c"},
                                                             TStatementKind::Poll, results));
        QCOMPARE(int(results.size()), 1);
        QVERIFY(c.Connected());
        QCOMPARE(c.Select("select 4 as d", TStatementKind::Command).Number(0, 0), 4.0);
        QVERIFY(c.Exists("select ? as e", {5}));
    }

    void readTimeoutsByKind() {
        using namespace std::chrono;
        const qint64 pid = ServerPid();
        QVERIFY(pid > 0);
        auto c = Session();
        // A range load outlasts a stall longer than the short timeout: it is
        // answered only once the stall has run out.
        {
            ServerStall stall(pid, seconds(TDbSession::kReadTimeout + 2));
            QVERIFY(stall.Stopped());
            QVERIFY_THROWS_NO_EXCEPTION(c->Select(Sql::JournalRange(0, 100000), TStatementKind::Range));
            QVERIFY2(stall.RanOut(), "the range load returned while the server was stopped");
            QVERIFY(c->Connected());
        }
        // The poll gives up after its short timeout, while the server is still
        // stopped, and marks the session lost.
        {
            ServerStall stall(pid, seconds(TDbSession::kReadTimeout + 3));
            QVERIFY(stall.Stopped());
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->Select(Sql::LastState, TStatementKind::Poll));
            QVERIFY2(!stall.RanOut(), "the poll waited for the stalled server");
            QVERIFY(c->Lost());
            stall.Release();
            c->Select(Sql::LastState, TStatementKind::Poll); // the first reconnect attempt goes through at once
            QVERIFY(c->Connected());
        }
    }

    void reconnectAttemptsAreThrottled() {
        auto c = Session();
        c->MarkLost();
        TP().tickMs = 10000;
        c->EnsureOpen(); // the first attempt goes through at once
        QVERIFY(c->Connected());
        c->MarkLost();
        // A dead server: the attempt fails.
        c->SetSettings(TConnectionSettings::FromParams(TestParams("127.0.0.1:1")));
        TP().tickMs = 20000;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->EnsureOpen());
        // The server is back, but within the interval no attempt is made: a
        // statement fails at once instead of costing a connect timeout.
        c->SetSettings(TConnectionSettings::FromParams(TestParams()));
        TP().tickMs = 20000 + TDbSession::kReconnectIntervalMs - 1;
        try {
            c->EnsureOpen();
            QFAIL("reconnected within the interval");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Text(), QString("Нет связи с сервером базы данных"));
        }
        QVERIFY(c->Lost());
        TP().tickMs = 20000 + TDbSession::kReconnectIntervalMs;
        c->EnsureOpen();
        QVERIFY(c->Connected());
    }

    void hostAndPort_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("port");
        QTest::newRow("plain") << "plc-db" << "plc-db" << 3306;
        QTest::newRow("with port") << "plc-db:3307" << "plc-db" << 3307;
        QTest::newRow("bad port") << "plc-db:0" << "plc-db:0" << 3306;
        QTest::newRow("port out of range") << "plc-db:70000" << "plc-db:70000" << 3306;
        QTest::newRow("IPv6") << "[::1]:3307" << "[::1]:3307" << 3306;
    }
    void hostAndPort() {
        QFETCH(QString, host);
        TConnectionSettings s;
        s.host = host;
        QTEST(s.HostName(), "name");
        QTEST(s.Port(), "port");
    }

    // [MySQL] Comp with a primary and replicas; a single name as it always was.
    void serverList_data() {
        QTest::addColumn<QString>("comp");
        QTest::addColumn<QStringList>("servers"); // "host port" each; empty: an error
        QTest::addColumn<QString>("error");
        const QString bad = "неверный адрес сервера";
        QTest::newRow("single") << "plc-db" << QStringList{"plc-db 3306"} << "";
        QTest::newRow("single, port") << "plc-db:3307" << QStringList{"plc-db 3307"} << "";
        QTest::newRow("single, bad port kept as today") << "plc-db:0" << QStringList{"plc-db:0 3306"} << "";
        QTest::newRow("single, empty") << "" << QStringList{" 3306"} << "";
        QTest::newRow("primary and replica")
            << "plc-db1,plc-db2:3307" << QStringList{"plc-db1 3306", "plc-db2 3307"} << "";
        QTest::newRow("spaces, three") << " 10.0.0.1:3310 , 10.0.0.2,db3:1"
                                       << QStringList{"10.0.0.1 3310", "10.0.0.2 3306", "db3 1"} << "";
        QTest::newRow("IPv6 in brackets")
            << "[::1]:3307,[fe80::2]" << QStringList{"::1 3307", "fe80::2 3306"} << "";
        QTest::newRow("empty entry") << "plc-db1,,plc-db2" << QStringList{}
                                     << "пустой адрес в списке серверов";
        QTest::newRow("trailing comma") << "plc-db1," << QStringList{} << "пустой адрес в списке серверов";
        QTest::newRow("port 0") << "plc-db1,plc-db2:0" << QStringList{} << bad + " \"plc-db2:0\"";
        QTest::newRow("port too big")
            << "plc-db1:65536,plc-db2" << QStringList{} << bad + " \"plc-db1:65536\"";
        QTest::newRow("port not a number") << "plc-db1,plc-db2:33o7" << QStringList{} << bad;
        QTest::newRow("port signed") << "plc-db1,plc-db2:+3307" << QStringList{} << bad;
        QTest::newRow("no port after colon") << "plc-db1:,plc-db2" << QStringList{} << bad;
        QTest::newRow("no host") << ":3307,plc-db2" << QStringList{} << bad;
        QTest::newRow("bare IPv6") << "::1,plc-db2" << QStringList{} << bad;
        QTest::newRow("space in a name") << "plc db1,plc-db2" << QStringList{} << bad;
        QTest::newRow("twice") << "plc-db1,PLC-DB1:3306" << QStringList{} << "указан дважды";
    }
    void serverList() {
        QFETCH(QString, comp);
        QFETCH(QStringList, servers);
        QFETCH(QString, error);
        QString why;
        QStringList got;
        for (const TServerAddress& a : ParseServerList(comp, &why))
            got << a.host + ' ' + QString::number(a.port);
        QCOMPARE(got, servers);
        if (servers.isEmpty()) {
            QVERIFY2(why.startsWith("[MySQL] Comp \"" + comp + "\": "), qPrintable(why));
            QVERIFY2(why.contains(error), qPrintable(why));
            // A session given such a list fails with that text, sending nothing.
            TDbSession session("test");
            session.SetSettings(TConnectionSettings::FromParams(TestParams(comp)));
            try {
                session.Open();
                QFAIL("opened with a bad server list");
            } catch (const EDatabaseError& e) {
                QCOMPARE(e.Text(), why);
            }
        }
    }

    // A dead primary: the session opens on the replica, reads there, and
    // refuses every write with the server's name; a live primary beside a
    // dead replica takes writes as a single server does.
    void replicaTakesNoWrites() {
        ResetPlantTables(1100);
        const QString dead = "127.0.0.1:1"; // nothing listens there: refused at once
        const QString server = TestDatabase().hostWithPort();
        {
            TDbSession s("test");
            s.SetSettings(TConnectionSettings::FromParams(TestParams(dead + ',' + server)));
            s.Open();
            QCOMPARE(s.ServerName(), server);
            QVERIFY(s.ReadOnly());
            QVERIFY(s.HasReplicas());
            QCOMPARE(s.Select(Sql::MinPLS, TStatementKind::Command).Number(0, 0), 1100.0);
            for (const QString& sql : {Sql::InsertCommand("_PLSZ"), Sql::InsertConstant}) {
                try {
                    s.Execute(sql,
                              sql == Sql::InsertConstant ? QVariantList{"X", 1.0, "c"} : QVariantList{1750.0},
                              TStatementKind::Command);
                    QFAIL("a write was sent to a replica");
                } catch (const EDatabaseError& e) {
                    QCOMPARE(e.Text(), "Сервер " + server + " только для чтения: задание не отправлено");
                    QVERIFY(!e.MaybeExecuted());
                }
            }
            QVERIFY(s.Connected());
        }
        TDbSession s("test");
        s.SetSettings(TConnectionSettings::FromParams(TestParams(server + ',' + dead)));
        s.Open();
        QCOMPARE(s.ServerName(), server);
        QVERIFY(!s.ReadOnly());
        QCOMPARE(s.Execute(Sql::InsertCommand("_PLSZ"), {1760.0}, TStatementKind::Command), 1);
        const TResultTable rows =
            s.Select("select count(*), sum(_PLSZ = 1760) from control_vector", TStatementKind::Command);
        QCOMPARE(rows.Number(0, 0), 1.0);
        QCOMPARE(rows.Number(0, 1), 1.0);
        // Both dead: the primary's error.
        TDbSession none("test");
        none.SetSettings(TConnectionSettings::FromParams(TestParams(dead + ",127.0.0.1:2")));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, none.Open());
        QVERIFY(!none.Connected());
    }

    // ---- the connection: two sessions on their own threads ----

    void pollAnsweredWhileARangeIsHeld() {
        TSQLConnection c;
        c.Params = TestParams();
        c.Open();
        QVERIFY(Settled(c));
        QVERIFY(c.Connected());
        PutHeartbeatNow();
        TStatePoll poll(&c);
        // The history session waits for the server for a while...
        bool rangeAnswered = false;
        int answersDuringRange = 0;
        c.Select("select sleep(3) as s", TStatementKind::Range, &poll, [&](TDbReply<TResultTable>& r) {
            QVERIFY(r.Ok());
            rangeAnswered = true;
            answersDuringRange = poll.Answers();
        });
        // ...and the poll is answered meanwhile, one look at a time.
        int asked = 0;
        bool neverTwice = true;
        while (!rangeAnswered) {
            const bool waiting = poll.Waiting();
            const int before = poll.Answers();
            poll.Tick(Now());
            neverTwice = neverTwice && (!waiting || poll.Answers() == before);
            ++asked;
            QTest::qWait(50);
        }
        QVERIFY(neverTwice);
        QVERIFY2(answersDuringRange >= 5, qPrintable(QString::number(answersDuringRange)));
        QCOMPARE(poll.LinkColour(), clGreen);
        QVERIFY(poll.HasRecord() || poll.Answers() > 0);
    }

    void commandDuringARangeStoredOnceAndAnsweredFirst() {
        TSQLConnection c;
        c.Params = TestParams();
        QObject owner;
        bool rangeDone = false, commandDone = false, commandFirst = false;
        int rows = -1;
        c.Select("select sleep(2) as s", TStatementKind::Range, &owner,
                 [&](TDbReply<TResultTable>&) { rangeDone = true; });
        TSQLQuery insert(&c, Sql::InsertCommand("_PLSZ"));
        QVERIFY(insert.ExecSQL({1850.0}, [&](const EDatabaseError* e, int affected) {
            QVERIFY(!e);
            commandDone = true;
            commandFirst = !rangeDone;
            rows = affected;
        }));
        QVERIFY(!insert.ExecSQL({1850.0}, {})); // not twice while the first is on its way
        QVERIFY(Settled(c));
        QVERIFY(commandDone && rangeDone);
        QVERIFY2(commandFirst, "the command waited for the range");
        QCOMPARE(rows, 1);
        auto check = Session();
        QCOMPARE(check->Select("select count(*) from control_vector", TStatementKind::Command).Number(0, 0), 1.0);
    }

    void answersForAGoneRequesterAreDropped() {
        TSQLConnection c;
        c.Params = TestParams();
        int answers = 0;
        auto window = std::make_unique<QObject>();
        c.Select("select sleep(0.5) as s", TStatementKind::Range, window.get(),
                 [&](TDbReply<TResultTable>&) { ++answers; });
        auto set = std::make_unique<TSQLClientDataSet>(&c, "select sleep(0.5) as s", TStatementKind::Range);
        QVERIFY(set->Open([&](const EDatabaseError*) { ++answers; }));
        // A second open while the first is on its way is refused.
        QVERIFY(!set->Open([&](const EDatabaseError*) { ++answers; }));
        TSQLClientDataSet closed(&c, "select 1 as one", TStatementKind::Range);
        QVERIFY(closed.Open([&](const EDatabaseError*) { ++answers; }));
        closed.Close(); // closing drops the answer to come
        window.reset();
        set.reset();
        QVERIFY(Settled(c));
        QCOMPARE(answers, 0);
        QVERIFY(!closed.Active());
        // The connection itself goes on answering.
        TSQLClientDataSet after(&c, "select 1 as one", TStatementKind::Range);
        bool ok = false;
        QVERIFY(after.Open([&](const EDatabaseError* e) { ok = !e; }));
        QVERIFY(Settled(c));
        QVERIFY(ok);
        QCOMPARE(after.AsFloat("one"), 1.0);
    }

    void failedOpenReportsAndLeavesTheSetClosed() {
        TSQLConnection c;
        c.Params = TestParams();
        TSQLClientDataSet bad(&c, "select * from no_such_table", TStatementKind::Range);
        QString error;
        QVERIFY(bad.Open([&](const EDatabaseError* e) { error = e ? e->Text() : QString(); }));
        QVERIFY(Settled(c));
        QVERIFY(error.contains("no_such_table"));
        QVERIFY(!bad.Active());
        QVERIFY(!bad.Opening());
        // Without a connection nothing is asked.
        TSQLClientDataSet none(nullptr, "select 1", TStatementKind::Range);
        QVERIFY(!none.Open({}));
    }

    void neverConnectedConnectsOnDemand() {
        // A workstation that started while the server was away.
        const qint64 pid = ServerPid();
        TSQLConnection c;
        c.Params = TestParams();
        QVariant minPls;
        c.SetAfterConnect([](TDbSession& s) {
            return QVariant(s.Select(Sql::MinPLS, TStatementKind::Command).Number(0, 0));
        });
        QObject::connect(&c, &TSQLConnection::AfterConnected, [&](const QVariant& v) { minPls = v; });
        QString startError;
        {
            ServerStall stall(pid, std::chrono::seconds(TDbSession::kConnectTimeout + 3));
            QVERIFY(stall.Stopped());
            c.Open(nullptr, [&](const EDatabaseError* e) { startError = e ? e->Text() : QStringLiteral("none"); });
            QVERIFY(Settled(c));
        }
        QVERIFY(!startError.isEmpty() && startError != "none");
        QVERIFY(!c.Connected());
        QVERIFY(!c.Lost());
        QVERIFY(!c.Wanted());
        // The state poll leaves a never-connected workstation alone...
        TStatePoll poll(&c);
        poll.Tick(Now());
        QVERIFY(!poll.Waiting());
        QCOMPARE(poll.LinkColour(), clSilver);
        // ...until an operator's load (browser, configuration) connects it:
        // the live session follows the history session up.
        TSQLClientDataSet browser(&c, Sql::BrowserRange(0, 1), TStatementKind::Range);
        QVERIFY(browser.Open());
        QTRY_VERIFY_WITH_TIMEOUT(c.Connected(), 20000);
        QTRY_COMPARE(minPls, QVariant(1100.0));
        PutHeartbeatNow();
        poll.Tick(Now());
        QTRY_VERIFY(poll.Answers() == 1);
        QCOMPARE(poll.LinkColour(), clGreen);
    }

    void stalledStatementNeverHoldsTheEnd() {
        const qint64 pid = ServerPid();
        auto c = std::make_unique<TSQLConnection>();
        c->Params = TestParams();
        c->Open();
        QVERIFY(Settled(*c));
        ServerStall stall(pid, std::chrono::seconds(TDbSession::kRangeReadTimeout));
        QVERIFY(stall.Stopped());
        QObject owner;
        c->Select(Sql::JournalRange(0, 100000), TStatementKind::Range, &owner, {});
        c->Select(Sql::LastState, TStatementKind::Poll, &owner, {});
        QTest::qWait(200); // both statements are with the stopped server
        c.reset();         // the program ends: both waits are cut off
        QVERIFY2(!stall.RanOut(), "the end waited for the stalled server");
    }

private:
    static void PutHeartbeatNow() {
        ExecAdmin("delete from last_state");
        ExecAdmin("insert into last_state (RecMoment) values (now())");
    }
};

ORDAL_TEST_MAIN(TstDatabase)
#include "tst_database.moc"
