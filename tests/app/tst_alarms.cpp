// The alarms without a window: the state model, the filter over value series,
// the engine on live records, Alarms.INI, the history's day files and the
// shift figures on a fixed list of transitions.

#include "AlarmFigures.h"
#include "AlarmHistory.h"
#include "AlarmModel.h"
#include "IniFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

using S = TAlarmState;
using E = TAlarmEvent;
Q_DECLARE_METATYPE(TAlarmState)
Q_DECLARE_METATYPE(TAlarmEvent)
Q_DECLARE_METATYPE(TAlarmKind)

namespace {

const TDateTime kT0 = EncodeDate(2026, 3, 2) + EncodeTime(8, 0, 0);

TDateTime At(double seconds) {
    return kT0 + seconds / kSecondsPerDay;
}

TAlarmDef Def(TAlarmKind kind, double limit, double deadband, double onDelay, double offDelay,
              const char* tag = "URKS") {
    TAlarmDef d;
    d.Id = QStringLiteral("A");
    d.Text = QStringLiteral("Тест");
    d.Kind = kind;
    d.Tag = QString::fromLatin1(tag);
    d.Limit = limit;
    d.Deadband = deadband;
    d.OnDelay = onDelay;
    d.OffDelay = offDelay;
    return d;
}

TAlarmInputs Level(double seconds, double urks) {
    TAlarmInputs in;
    in.Now = At(seconds);
    in.HasRecord = true;
    in.Record.URKS = urks;
    in.Record.URNS = 50;
    in.Record.PLS = 1800;
    in.Record.PLSZ = 1800;
    in.MinPLS = 1100;
    in.HeartbeatKnown = true;
    in.Heartbeat = in.Now;
    return in;
}

TAlarmTransition Tr(double minutes, const char* id, E e, S from, S to) {
    TAlarmTransition t;
    t.Moment = kT0 + minutes / (24 * 60);
    t.Id = QString::fromLatin1(id);
    t.Text = QStringLiteral("Текст ") + t.Id;
    t.Event = e;
    t.From = from;
    t.To = to;
    return t;
}
TAlarmTransition Raise(double minutes, const char* id) {
    return Tr(minutes, id, E::Activate, S::Normal, S::ActiveUnack);
}
TAlarmTransition Ack(double minutes, const char* id) {
    return Tr(minutes, id, E::Acknowledge, S::ActiveUnack, S::ActiveAck);
}
TAlarmTransition Clear(double minutes, const char* id) {
    return Tr(minutes, id, E::Return, S::ActiveAck, S::Normal);
}

} // namespace

class TstAlarms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- the state model ---------------------------------------------------
    void stateTable_data() {
        QTest::addColumn<TAlarmState>("from");
        QTest::addColumn<TAlarmEvent>("event");
        QTest::addColumn<TAlarmState>("to");
        const struct {
            const char* name;
            S from;
            E event;
            S to;
        } rows[] = {
            {"normal raises", S::Normal, E::Activate, S::ActiveUnack},
            {"acknowledged while active", S::ActiveUnack, E::Acknowledge, S::ActiveAck},
            {"acknowledged alarm returns to normal", S::ActiveAck, E::Return, S::Normal},
            {"returns unacknowledged", S::ActiveUnack, E::Return, S::ReturnedUnack},
            {"acknowledging a returned alarm clears it", S::ReturnedUnack, E::Acknowledge, S::Normal},
            {"a returned alarm comes again", S::ReturnedUnack, E::Activate, S::ActiveUnack},
            {"shelve normal", S::Normal, E::Shelve, S::Shelved},
            {"shelve active unack", S::ActiveUnack, E::Shelve, S::Shelved},
            {"shelve active ack", S::ActiveAck, E::Shelve, S::Shelved},
            {"shelve returned", S::ReturnedUnack, E::Shelve, S::Shelved},
            {"shelving expires", S::Shelved, E::Unshelve, S::Normal},
            {"shelved ignores the process", S::Shelved, E::Activate, S::Shelved},
            {"shelved ignores the acknowledgement", S::Shelved, E::Acknowledge, S::Shelved},
            {"shelved out of service", S::Shelved, E::RemoveFromService, S::OutOfService},
            {"normal out of service", S::Normal, E::RemoveFromService, S::OutOfService},
            {"active out of service", S::ActiveUnack, E::RemoveFromService, S::OutOfService},
            {"ack out of service", S::ActiveAck, E::RemoveFromService, S::OutOfService},
            {"returned out of service", S::ReturnedUnack, E::RemoveFromService, S::OutOfService},
            {"back in service", S::OutOfService, E::ReturnToService, S::Normal},
            {"out of service ignores the process", S::OutOfService, E::Activate, S::OutOfService},
            {"out of service cannot be shelved", S::OutOfService, E::Shelve, S::OutOfService},
            {"out of service ignores unshelve", S::OutOfService, E::Unshelve, S::OutOfService},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.from << r.event << r.to;
    }
    void stateTable() {
        QFETCH(TAlarmState, from);
        QFETCH(TAlarmEvent, event);
        QFETCH(TAlarmState, to);
        QCOMPARE(NextState(from, event), to);
    }
    // Every pair not named above leaves the state as it was.
    void everyOtherPairKeepsTheState() {
        const QList<QPair<S, E>> moves = {{S::Normal, E::Activate},
                                          {S::ActiveUnack, E::Acknowledge},
                                          {S::ActiveAck, E::Return},
                                          {S::ActiveUnack, E::Return},
                                          {S::ReturnedUnack, E::Acknowledge},
                                          {S::ReturnedUnack, E::Activate},
                                          {S::Normal, E::Shelve},
                                          {S::ActiveUnack, E::Shelve},
                                          {S::ActiveAck, E::Shelve},
                                          {S::ReturnedUnack, E::Shelve},
                                          {S::Shelved, E::Unshelve},
                                          {S::Shelved, E::RemoveFromService},
                                          {S::Normal, E::RemoveFromService},
                                          {S::ActiveUnack, E::RemoveFromService},
                                          {S::ActiveAck, E::RemoveFromService},
                                          {S::ReturnedUnack, E::RemoveFromService},
                                          {S::OutOfService, E::ReturnToService}};
        for (int s = 0; s <= int(S::OutOfService); ++s)
            for (int e = 0; e <= int(E::ReturnToService); ++e) {
                if (moves.contains({S(s), E(e)}))
                    continue;
                if (NextState(S(s), E(e)) != S(s))
                    QFAIL(qPrintable(
                        QStringLiteral("%1 + %2 moved to %3")
                            .arg(StateKey(S(s)), EventKey(E(e)), StateKey(NextState(S(s), E(e))))));
            }
    }

    // ---- the filter ------------------------------------------------------------
    // A series of one value a second from t = 0; `expect` holds the filter's
    // output after each step ('1' active).
    void filter_data() {
        QTest::addColumn<TAlarmKind>("kind");
        QTest::addColumn<double>("deadband");
        QTest::addColumn<double>("onDelay");
        QTest::addColumn<double>("offDelay");
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<QString>("expect");
        // Limit 90 (High) or 10 (Low).
        QTest::newRow("high at once")
            << TAlarmKind::High << 0.0 << 0.0 << 0.0 << QList<double>{80, 91, 95, 89, 80} << "01100";
        QTest::newRow("the limit itself is no alarm")
            << TAlarmKind::High << 0.0 << 0.0 << 0.0 << QList<double>{90, 90.001, 90} << "010";
        QTest::newRow("on-delay 3 s")
            << TAlarmKind::High << 0.0 << 3.0 << 0.0 << QList<double>{95, 95, 95, 95, 95} << "00011";
        QTest::newRow("on-delay restarts on a dip") << TAlarmKind::High << 0.0 << 3.0 << 0.0
                                                    << QList<double>{95, 95, 80, 95, 95, 95, 95} << "0000001";
        QTest::newRow("off-delay 2 s")
            << TAlarmKind::High << 0.0 << 0.0 << 2.0 << QList<double>{95, 80, 80, 80} << "1110";
        QTest::newRow("deadband holds a hovering value")
            << TAlarmKind::High << 5.0 << 0.0 << 0.0 << QList<double>{91, 89, 91, 86, 85, 84} << "111100";
        QTest::newRow("low with deadband")
            << TAlarmKind::Low << 2.0 << 0.0 << 0.0 << QList<double>{11, 9, 10.5, 11.9, 12, 9.99} << "011101";
        QTest::newRow("chatter without filter")
            << TAlarmKind::High << 0.0 << 0.0 << 0.0 << QList<double>{91, 89, 91, 89, 91} << "10101";
        QTest::newRow("chatter under both delays")
            << TAlarmKind::High << 0.0 << 2.0 << 2.0 << QList<double>{91, 89, 91, 89, 91} << "00000";
    }
    void filter() {
        QFETCH(TAlarmKind, kind);
        QFETCH(double, deadband);
        QFETCH(double, onDelay);
        QFETCH(double, offDelay);
        QFETCH(QList<double>, values);
        QFETCH(QString, expect);
        const TAlarmDef d = Def(kind, kind == TAlarmKind::Low ? 10 : 90, deadband, onDelay, offDelay);
        TAlarmFilter f;
        QString got;
        for (int i = 0; i < values.size(); ++i)
            got += StepFilter(f, d, d.Limit, values[i], At(i)) ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(got, expect);
    }
    // No value (no record, no heartbeat yet) holds everything, delays included.
    void noValueHolds() {
        const TAlarmDef d = Def(TAlarmKind::High, 90, 0, 2, 0);
        TAlarmFilter f;
        QVERIFY(!StepFilter(f, d, 90, 95, At(0)));
        QVERIFY(!StepFilter(f, d, 90, std::nullopt, At(1)));
        QVERIFY(StepFilter(f, d, 90, std::nullopt, At(2)));
        QVERIFY(StepFilter(f, d, 90, std::nullopt, At(10)));
    }

    // ---- the engine --------------------------------------------------------------
    void activeAcknowledgedThenReturned() {
        TAlarmEngine e;
        e.SetDefinitions({Def(TAlarmKind::High, 90, 2, 2, 0)}, At(0), "op");
        QVERIFY(e.Evaluate(Level(0, 95)).isEmpty());
        QVERIFY(e.Evaluate(Level(1, 95)).isEmpty());
        QList<TAlarmTransition> t = e.Evaluate(Level(2, 96));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].Event, E::Activate);
        QCOMPARE(t[0].To, S::ActiveUnack);
        QCOMPARE(*t[0].Value, 96.0);
        QCOMPARE(e.ActiveCount(), 1);
        QCOMPARE(e.UnackCount(), 1);
        t = e.Acknowledge({"a"}, At(3), "op");
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::ActiveAck);
        QCOMPARE(t[0].User, QString("op"));
        QVERIFY(e.Acknowledge({"A"}, At(4), "op").isEmpty()); // nothing left to acknowledge
        QCOMPARE(e.UnackCount(), 0);
        QCOMPARE(e.ActiveCount(), 1);                // still listed until it returns
        QVERIFY(e.Evaluate(Level(5, 89)).isEmpty()); // inside the deadband
        t = e.Evaluate(Level(6, 88));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::Normal);
        QCOMPARE(e.ActiveCount(), 0);
    }

    void returnedUnacknowledgedClearsOnAcknowledge() {
        TAlarmEngine e;
        e.SetDefinitions({Def(TAlarmKind::High, 90, 0, 0, 0)}, At(0), "op");
        e.Evaluate(Level(0, 95));
        QList<TAlarmTransition> t = e.Evaluate(Level(1, 80));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::ReturnedUnack);
        QCOMPARE(e.ActiveCount(), 0);
        QCOMPARE(e.UnackCount(), 1);
        t = e.Acknowledge({"A"}, At(2), "op");
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].From, S::ReturnedUnack);
        QCOMPARE(t[0].To, S::Normal);
        QCOMPARE(e.UnackCount(), 0);
    }

    void shelvedComesBackAfterItsTime() {
        TAlarmEngine e;
        e.SetDefinitions({Def(TAlarmKind::High, 90, 0, 0, 0)}, At(0), "op");
        e.Evaluate(Level(0, 95));
        QString why;
        QList<TAlarmTransition> t;
        QVERIFY(!e.Shelve("A", At(1) + 8.01 / 24, "ремонт датчика", At(1), "op", &t, &why));
        QVERIFY(why.contains("8"));
        QVERIFY(!e.Shelve("A", At(1) + 1.0 / 24, "  ", At(1), "op", &t, &why));
        QVERIFY(t.isEmpty());
        QVERIFY(e.Shelve("A", At(1) + 8.0 / 24, "ремонт датчика", At(1), "op", &t, &why));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::Shelved);
        QCOMPARE(t[0].Reason, QString("ремонт датчика"));
        QCOMPARE(e.UnackCount(), 0);
        QCOMPARE(e.Runtime(0).ShelvedUntil, At(1) + 8.0 / 24);
        // Shelved: the process and acknowledgements pass it by.
        QVERIFY(e.Evaluate(Level(60, 80)).isEmpty());
        QVERIFY(e.Evaluate(Level(61, 99)).isEmpty());
        QVERIFY(e.Acknowledge({"A"}, At(62), "op").isEmpty());
        // Expiry with the condition standing: back to normal, and raised anew.
        t = e.Evaluate(Level(1 + 8 * 3600, 99));
        QCOMPARE(t.size(), 2);
        QCOMPARE(t[0].Event, E::Unshelve);
        QCOMPARE(t[0].To, S::Normal);
        QCOMPARE(t[1].Event, E::Activate);
        QCOMPARE(t[1].To, S::ActiveUnack);
        // Expiry with the condition gone: normal and quiet.
        QVERIFY(e.Shelve("A", At(9 * 3600) + 0.5 / 24, "x", At(9 * 3600), "op", &t, &why));
        t = e.Evaluate(Level(9 * 3600 + 1800, 50));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::Normal);
    }

    void outOfServiceByDefinition() {
        TAlarmEngine e;
        TAlarmDef d = Def(TAlarmKind::High, 90, 0, 0, 0);
        e.SetDefinitions({d}, At(0), "op");
        e.Evaluate(Level(0, 95));
        d.InService = false;
        QList<TAlarmTransition> t = e.SetDefinitions({d}, At(1), "op");
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::OutOfService);
        QVERIFY(e.Evaluate(Level(2, 99)).isEmpty());
        QCOMPARE(e.UnackCount(), 0);
        QString why;
        QVERIFY(!e.Shelve("A", At(3) + 0.01, "x", At(3), "op", &t, &why));
        d.InService = true;
        t = e.SetDefinitions({d}, At(4), "op");
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::Normal);
        t = e.Evaluate(Level(5, 99));
        QCOMPARE(t.size(), 1);
        QCOMPARE(t[0].To, S::ActiveUnack);
    }

    // The line shows the highest priority first, the newest within it.
    void headline() {
        TAlarmEngine e;
        TAlarmDef low = Def(TAlarmKind::High, 90, 0, 0, 0);
        low.Id = "LOWPRIO";
        low.Priority = TAlarmPriority::Low;
        TAlarmDef high1 = Def(TAlarmKind::High, 50, 0, 0, 0);
        high1.Id = "H1";
        high1.Priority = TAlarmPriority::High;
        TAlarmDef high2 = high1;
        high2.Id = "H2";
        high2.Tag = "URNS";
        e.SetDefinitions({low, high1, high2}, At(0), "op");
        QCOMPARE(e.Headline(), -1);
        TAlarmInputs in = Level(0, 95);
        e.Evaluate(in); // LOWPRIO and H1
        QCOMPARE(e.Headline(), 1);
        in = Level(1, 95);
        in.Record.URNS = 60;
        e.Evaluate(in); // H2, newer
        QCOMPARE(e.Headline(), 2);
        e.Acknowledge({"H2"}, At(2), "op");
        QCOMPARE(e.Headline(), 1);
        e.Acknowledge({"H1"}, At(2), "op");
        QCOMPARE(e.Headline(), 0);
    }

    // The shipped set on records: deviation after its minute, MIN_PLS from
    // the plant, the link by the heartbeat's age and by a link that never came.
    void shippedSetOnRecords() {
        TAlarmEngine e;
        e.SetDefinitions(DefaultAlarmDefs(), At(0), "op");
        auto ids = [](const QList<TAlarmTransition>& t) {
            QStringList s;
            for (const auto& x : t)
                s << x.Id + ":" + EventKey(x.Event);
            return s.join(' ');
        };
        TAlarmInputs in = Level(0, 50);
        in.Record.PLS = 1860; // 60 over the setpoint
        QCOMPARE(ids(e.Evaluate(in)), QString());
        in.Now = At(59);
        in.Heartbeat = in.Now;
        QCOMPARE(ids(e.Evaluate(in)), QString());
        in.Now = At(60);
        in.Heartbeat = in.Now;
        QCOMPARE(ids(e.Evaluate(in)), QString("PLS_DEV:Activate"));
        in.Record.PLS = 1050; // under MIN_PLS 1100
        in.Now = At(61);
        in.Heartbeat = At(50.5); // 10.5 s old
        QCOMPARE(ids(e.Evaluate(in)), QString("LINK:Activate"));
        in.Now = At(71);
        QCOMPARE(ids(e.Evaluate(in)), QString("PLS_MIN:Activate"));
        in.MinPLS = 1000;
        in.Record.PLS = 1005;
        in.Now = At(72);
        QCOMPARE(ids(e.Evaluate(in)), QString()); // inside the deadband of 10
        in.Record.PLS = 1011;
        in.Now = At(73);
        in.Heartbeat = in.Now;
        QCOMPARE(ids(e.Evaluate(in)), QString("LINK:Return")); // the link has no off-delay
        in.Now = At(77);
        in.Heartbeat = in.Now;
        QCOMPARE(ids(e.Evaluate(in)), QString()); // PLS_MIN's off-delay of 5 s
        in.Now = At(78);
        QCOMPARE(ids(e.Evaluate(in)), QString("PLS_MIN:Return"));

        TAlarmEngine never;
        never.SetDefinitions(DefaultAlarmDefs(), At(0), "op");
        TAlarmInputs none;
        none.Now = At(0);
        QCOMPARE(ids(never.Evaluate(none)), QString());
        none.LinkFailed = true;
        QCOMPARE(ids(never.Evaluate(none)), QString("LINK:Activate"));
    }

    // ---- Alarms.INI ------------------------------------------------------------
    void definitionsRoundTripUnderTheRussianLocale() {
        RussianCLocale ru;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(ru);
        const QString file = TestDir() + "/Alarms.INI";
        QFile::remove(file);
        QCOMPARE(LoadAlarmDefs(file), DefaultAlarmDefs());
        QList<TAlarmDef> defs = DefaultAlarmDefs();
        defs[0].Limit = 42.5;
        defs[0].OnDelay = 1.25;
        defs[2].InService = false;
        SaveAlarmDefs(file, defs);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("[PLS_DEV]\nText=Плотность суспензии отклонилась от задания\nPriority=средний\n"
                              "Kind=Deviation\nTag=PLS\nReference=PLSZ\nLimit=42.5\n"));
        QVERIFY(text.contains("Limit=MIN_PLS\n"));
        QStringList errors;
        QCOMPARE(LoadAlarmDefs(file, &errors), defs);
        QVERIFY(errors.isEmpty());
        // One fewer is written whole: its section goes.
        defs.removeAt(3);
        SaveAlarmDefs(file, defs);
        QCOMPARE(LoadAlarmDefs(file), defs);
    }

    void badSectionsAreSkippedAndNamed() {
        const QString file = TestDir() + "/Alarms.INI";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("; the plant's own\n[OK]\nText=x\nPriority=низкий\nKind=High\nTag=urks\nLimit=5,5\n"
                "[BADKIND]\nPriority=высокий\nKind=Sideways\nTag=URKS\n"
                "[BADTAG]\nPriority=высокий\nKind=High\nTag=NOPE\n"
                "[BADNUM]\nPriority=высокий\nKind=High\nTag=URKS\nOnDelay=-1\n"
                "[BADLIMIT]\nPriority=высокий\nKind=Low\nTag=PLS\nLimit=MAX_PLS\n");
        f.close();
        QStringList errors;
        const QList<TAlarmDef> defs = LoadAlarmDefs(file, &errors);
        QCOMPARE(defs.size(), 1);
        QCOMPARE(defs[0].Tag, QString("URKS"));
        QCOMPARE(defs[0].Limit, 5.5);
        QCOMPARE(defs[0].Priority, TAlarmPriority::Low);
        QCOMPARE(errors.size(), 4);
        QVERIFY(errors.join('\n').contains("[BADKIND] Kind"));
        QVERIFY(errors.join('\n').contains("[BADTAG] Tag"));
        QVERIFY(errors.join('\n').contains("[BADNUM] OnDelay"));
        QVERIFY(errors.join('\n').contains("[BADLIMIT] Limit"));
        // Saving keeps the comment.
        SaveAlarmDefs(file, defs);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("; the plant's own\n[OK]\n"));
    }

    // ---- the history -----------------------------------------------------------
    void historyReadsBackWhatWasWritten() {
        RussianCLocale ru;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(ru);
        const QString root = TestDir() + "/hist";
        QDir(root).removeRecursively();
        TAlarmHistory h(root);
        QList<TAlarmTransition> written;
        // Across an hour and a day.
        const TDateTime start = EncodeDate(2026, 3, 2) + EncodeTime(23, 59, 58);
        for (int i = 0; i < 6; ++i) {
            TAlarmTransition t = Raise(0, "PLS_DEV");
            t.Moment = start + i * OneSecond;
            t.Value = 1855.25 + i;
            t.User = "оператор";
            t.Reason = i == 3 ? "причина; с = знаком" : "";
            t.Priority = TAlarmPriority::High;
            if (i == 4)
                t.Value.reset();
            QString why;
            QVERIFY2(h.Append(t, &why), qPrintable(why));
            written << t;
        }
        QVERIFY(QFileInfo::exists(root + "/2026_03_02.VMD/Alarms23.VMD"));
        QVERIFY(QFileInfo::exists(root + "/2026_03_03.VMD/Alarms00.VMD"));
        QStringList errors;
        const QList<TAlarmTransition> back = h.Read(start - 1, start + 1, &errors);
        QVERIFY(errors.isEmpty());
        QCOMPARE(back.size(), written.size());
        for (int i = 0; i < back.size(); ++i) {
            QVERIFY(std::abs(back[i].Moment - written[i].Moment) < 1e-8);
            QCOMPARE(back[i].Id, written[i].Id);
            QCOMPARE(back[i].Text, written[i].Text);
            QCOMPARE(back[i].Priority, written[i].Priority);
            QCOMPARE(back[i].Event, written[i].Event);
            QCOMPARE(back[i].From, written[i].From);
            QCOMPARE(back[i].To, written[i].To);
            QCOMPARE(back[i].Value, written[i].Value);
            QCOMPARE(back[i].User, written[i].User);
            QCOMPARE(back[i].Reason, written[i].Reason);
        }
        // A range reads only its part.
        QCOMPARE(h.Read(start + 2 * OneSecond - 1e-9, start + 4 * OneSecond - 1e-9).size(), 2);
    }

    void historyRefusesAnUnwritableFolder() {
        const QString root = TestDir() + "/blocked";
        QDir(root).removeRecursively();
        QFile f(root); // a file where the folder should be
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        TAlarmHistory h(root);
        QString why;
        QVERIFY(!h.Append(Raise(0, "X"), &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(TP().messages.isEmpty()); // no box: the service logs it
        QFile::remove(root);
    }

    // ---- the shift figures ---------------------------------------------------------
    // A 60-minute range (six 10-minute periods) from 08:00, worked by hand:
    //   period 0 (08:00-08:10): A 08:01, 08:01.5, 08:01.9 (chatter), B 08:05  -> 4
    //   period 1: none                                                       -> 0
    //   period 2: C 08:25                                                    -> 1
    //   period 3: B ten times 08:31-08:33.7 (chatter), F 08:38, A 08:39.7     -> 12 (flood)
    //   period 4: A 08:45                                                    -> 1
    //   period 5: G 08:52, G 08:55                                            -> 2
    //   D, raised at 07:30, acknowledged, never returns: standing
    // Annunciated 4+0+1+12+1+2 = 20; average 20/6 = 3.33; worst 12 from 08:30;
    // over target (>1): periods 0, 3 and 5 -> 3 of 6 = 50 %; one flood.
    // Acknowledgements (15): A 08:02 after its 08:01.9 raise 6 s; B 08:06 60 s;
    // D 08:10 2400 s; the ten B's 12 s each; C 08:35 600 s; A 08:39.9 12 s.
    // Sorted: 6, 12 (x11), 60, 600, 2400: the median (8th) is 12 s.
    void shiftFigures() {
        QList<TAlarmTransition> h;
        h << Raise(-30, "D");
        h << Raise(1, "A") << Tr(1.2, "A", E::Return, S::ActiveUnack, S::ReturnedUnack)
          << Tr(1.5, "A", E::Activate, S::ReturnedUnack, S::ActiveUnack)
          << Tr(1.6, "A", E::Return, S::ActiveUnack, S::ReturnedUnack)
          << Tr(1.9, "A", E::Activate, S::ReturnedUnack, S::ActiveUnack) << Ack(2, "A") << Clear(3, "A");
        h << Raise(5, "B") << Ack(6, "B") << Clear(7, "B");
        h << Ack(10, "D");
        h << Raise(25, "C") << Ack(35, "C");
        for (int i = 0; i < 10; ++i) {
            const double m = 31 + i * 0.3;
            h << Raise(m, "B") << Tr(m + 0.1, "B", E::Return, S::ActiveUnack, S::ReturnedUnack)
              << Tr(m + 0.2, "B", E::Acknowledge, S::ReturnedUnack, S::Normal);
        }
        h << Raise(38, "F");
        h << Raise(39.7, "A") << Tr(39.8, "A", E::Return, S::ActiveUnack, S::ReturnedUnack)
          << Tr(39.9, "A", E::Acknowledge, S::ReturnedUnack, S::Normal);
        h << Raise(45, "A");
        h << Raise(52, "G") << Tr(53, "G", E::Return, S::ActiveUnack, S::ReturnedUnack)
          << Tr(55, "G", E::Activate, S::ReturnedUnack, S::ActiveUnack);
        h << Raise(70, "E"); // after the range
        std::stable_sort(h.begin(), h.end(),
                         [](const auto& a, const auto& b) { return a.Moment < b.Moment; });

        const TAlarmFigures f = ComputeAlarmFigures(h, kT0, kT0 + 1.0 / 24);
        QCOMPARE(f.Periods, 6);
        QCOMPARE(f.Annunciated, 20);
        QVERIFY(std::abs(f.AveragePer10Min - 20.0 / 6) < 1e-9);
        QCOMPARE(f.Worst10Min, 12);
        QVERIFY(std::abs(f.Worst10MinStart - (kT0 + 30.0 / 1440)) < 1e-9);
        QCOMPARE(f.PeriodsOverTarget, 3);
        QCOMPARE(f.ShareOverTarget, 50.0);
        QCOMPARE(f.FloodPeriods, 1);
        QStringList chatter;
        for (const auto& c : f.Chattering)
            chatter << c.Id;
        QCOMPARE(chatter, QStringList({"A", "B"}));
        QCOMPARE(f.Standing.size(), 1);
        QCOMPARE(f.Standing[0].Id, QString("D"));
        QCOMPARE(f.MostFrequent.size(), 5);
        QCOMPARE(f.MostFrequent[0].Id, QString("B"));
        QCOMPARE(f.MostFrequent[0].Count, 11);
        QCOMPARE(f.MostFrequent[1].Id, QString("A"));
        QCOMPARE(f.MostFrequent[1].Count, 5);
        QCOMPARE(f.MostFrequent[1].Text, QString("Текст A"));
        QCOMPARE(f.MostFrequent[2].Id, QString("G"));
        QCOMPARE(f.MostFrequent[2].Count, 2);
        QCOMPARE(f.MostFrequent[4].Count, 1);
        QCOMPARE(f.Acknowledged, 15);
        QVERIFY(std::abs(*f.MedianAckSeconds - 12) < 1e-3);
    }

    // An alarm at the very first second of a 10-minute period belongs to that
    // period, whatever rounding the moment's encoding carries.
    void alarmAtThePeriodsFirstSecond() {
        for (int k = 0; k < 72; ++k) {
            TAlarmTransition t = Raise(0, "A");
            t.Moment = EncodeDate(2026, 3, 2) + EncodeTime(8 + k / 6, (k % 6) * 10, 0);
            const TAlarmFigures f = ComputeAlarmFigures({t}, kT0, kT0 + 0.5);
            QCOMPARE(f.Worst10Min, 1);
            QVERIFY2(std::abs(f.Worst10MinStart - t.Moment) * kSecondsPerDay < 1e-3,
                     qPrintable(QStringLiteral("period %1").arg(k)));
        }
    }

    void figuresOfAnEmptyShift() {
        const TAlarmFigures f = ComputeAlarmFigures({}, kT0, kT0 + 0.5);
        QCOMPARE(f.Periods, 72);
        QCOMPARE(f.Annunciated, 0);
        QCOMPARE(f.Worst10Min, 0);
        QVERIFY(!f.MedianAckSeconds);
        QVERIFY(f.MostFrequent.isEmpty());
    }
};

ORDAL_TEST_MAIN(TstAlarms)
#include "tst_alarms.moc"
