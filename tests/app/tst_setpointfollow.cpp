// The follow-up of a density setpoint as a pure state machine: answers,
// records and the clock in, states and the operator's line out.

#include "DateTime.h"
#include "NumText.h"
#include "SetpointFollow.h"
#include "SetpointHistory.h"
#include "TestSupport.h"

#include <QTest>
#include <QTime>

Q_DECLARE_METATYPE(TSetpointState)

namespace {

// A script of what happens, one step a word, at seconds from 12:00:00:
//   send@0=1850   the operator sends 1850
//   stored@1      its row is stored (at that moment, by "op@pult")
//   failed@1      the insert failed
//   lost@1        the answer was lost with the connection
//   rec@3=1850    a live record of that moment with PLSZ 1850
//   tick@31       the clock
const TDateTime kNoon = EncodeTime(12, 0, 0) + 46000;

TDateTime At(double seconds) {
    return kNoon + seconds / 86400.0;
}

void Run(TSetpointFollow& f, const QString& script) {
    for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString word = step.section(QLatin1Char('@'), 0, 0);
        const QString rest = step.section(QLatin1Char('@'), 1);
        const double t = rest.section(QLatin1Char('='), 0, 0).toDouble();
        const double v = rest.section(QLatin1Char('='), 1).toDouble();
        const int serial = f.Current().serial;
        if (word == "send")
            f.Sending(v, At(t));
        else if (word == "stored")
            f.Stored(serial, At(t), "op@pult", At(t));
        else if (word == "failed")
            f.NotSent(serial, At(t));
        else if (word == "lost")
            f.AnswerLost(serial, At(t));
        else if (word == "rec")
            f.Record(At(t), v, At(t));
        else if (word == "tick")
            f.Tick(At(t));
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

// The day of the history tests: 2026-03-05.
const TDateTime kDay = EncodeDate(2026, 3, 5);

TDateTime Hms(const QString& hms) {
    const QTime t = QTime::fromString(hms, "hh:mm:ss");
    return kDay + EncodeTime(t.hour(), t.minute(), t.second());
}

// control_vector rows "hh:mm:ss value user" ("-" value: a load command).
TResultTable Commands(const QStringList& rows) {
    TResultTable t;
    t.AddColumn("RecMoment", TResultTable::Type::DateTime);
    t.AddColumn("UserName", TResultTable::Type::Text);
    t.AddColumn("_PLSZ", TResultTable::Type::Number);
    for (const QString& row : rows) {
        const QStringList p = row.split(' ');
        const QByteArray at = ("2026-03-05 " + p[0]).toLatin1(), user = p[2].toLatin1(), v = p[1].toLatin1();
        t.AppendRow({{at.constData(), size_t(at.size())},
                     {user.constData(), size_t(user.size())},
                     v == "-" ? std::pair<const char*, size_t>{nullptr, 0}
                              : std::pair<const char*, size_t>{v.constData(), size_t(v.size())}});
    }
    return t;
}

// pu_data: one record a second from `from` to `to`, PLSZ `before` up to and
// including `change` and `after` from the next second on.
TResultTable Records(const QString& from, const QString& to, double before,
                     const QString& change = "23:59:59", double after = 0) {
    TResultTable t;
    t.AddColumn("RecMoment", TResultTable::Type::DateTime);
    t.AddColumn("PLSZ", TResultTable::Type::Number);
    const QTime a = QTime::fromString(from, "hh:mm:ss"), b = QTime::fromString(to, "hh:mm:ss"),
                c = QTime::fromString(change, "hh:mm:ss");
    for (QTime x = a; x <= b; x = x.addSecs(1)) {
        const QByteArray at = ("2026-03-05 " + x.toString("hh:mm:ss")).toLatin1();
        const QByteArray v = QByteArray::number(x <= c ? before : after);
        t.AppendRow({{at.constData(), size_t(at.size())}, {v.constData(), size_t(v.size())}});
    }
    return t;
}

QString Shown(const std::vector<TSetpointHistoryRow>& rows) {
    QStringList out;
    for (const TSetpointHistoryRow& r : rows)
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(FormatDateTime("hh:nn:ss", r.moment), FloatToStr(r.value, '.'),
                        SetpointStateText(r.state),
                        r.takenAt > 0 ? FormatDateTime("hh:nn:ss", r.takenAt) : "-");
    return out.join(" | ");
}

} // namespace

class TstSetpointFollow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void states_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TSetpointState>("state");
        QTest::addColumn<QString>("line"); // at the last step's moment

        QTest::newRow("taken when PLSZ shows it") << "rec@0=1800 send@0=1850 stored@1 rec@1=1800 rec@2=1850"
                                                  << TSetpointState::Taken << "1850 кг/м³: принято 12:00:02";
        QTest::newRow("within half a kg/m3")
            << "send@0=1850 stored@1 rec@2=1850.5" << TSetpointState::Taken << "1850 кг/м³: принято 12:00:02";
        QTest::newRow("beyond half a kg/m3 is not it")
            << "send@0=1850 stored@1 rec@2=1850.6 rec@3=1849.4" << TSetpointState::Sent
            << "1850 кг/м³: отправлено 12:00:01";
        // A record answered before the row's answer already counts.
        QTest::newRow("taken before the row's answer")
            << "rec@0=1800 send@0=1850 rec@1=1850 stored@2" << TSetpointState::Taken
            << "1850 кг/м³: принято 12:00:01";
        // The record of the moment of sending still carried the old value,
        // which happens to be the new one: only a later record counts.
        QTest::newRow("the record read before sending does not count")
            << "rec@0=1850 send@0=1850 stored@1 rec@0=1850 tick@20" << TSetpointState::Sent
            << "1850 кг/м³: отправлено 12:00:01";
        QTest::newRow("not taken after 30 s") << "send@0=1850 stored@1 rec@2=1800 tick@31 tick@32"
                                              << TSetpointState::NotTaken << "1850 кг/м³: не принято";
        QTest::newRow("30 s exactly is still in time")
            << "send@0=1850 stored@1 tick@31" << TSetpointState::Sent << "1850 кг/м³: отправлено 12:00:01";
        QTest::newRow("not taken stays, a late record does not change it")
            << "send@0=1850 stored@1 tick@32 rec@33=1850" << TSetpointState::NotTaken
            << "1850 кг/м³: не принято";
        QTest::newRow("a newer setpoint ends the older one")
            << "send@0=1850 stored@1 send@5=1900" << TSetpointState::Sending << "1900 кг/м³: отправляется";
        QTest::newRow("the newer one is followed on its own")
            << "send@0=1850 stored@1 send@5=1900 stored@6 rec@7=1850 rec@8=1900" << TSetpointState::Taken
            << "1900 кг/м³: принято 12:00:08";
        QTest::newRow("lost answer, row found")
            << "send@0=1850 lost@1 stored@4" << TSetpointState::Sent << "1850 кг/м³: отправлено 12:00:04";
        QTest::newRow("lost answer, looked for in time")
            << "send@0=1850 lost@1 tick@31" << TSetpointState::Checking
            << "1850 кг/м³: ответ потерян, проверяется";
        QTest::newRow("lost answer, no row in time")
            << "send@0=1850 lost@1 tick@32" << TSetpointState::Unknown << "1850 кг/м³: неизвестно";
        QTest::newRow("found after a while") << "send@0=1850 lost@1 stored@20 tick@45" << TSetpointState::Sent
                                             << "1850 кг/м³: отправлено 12:00:20";
        QTest::newRow("lost answer, the plant shows it")
            << "send@0=1850 lost@1 rec@3=1850" << TSetpointState::Taken << "1850 кг/м³: принято 12:00:03";
        QTest::newRow("unknown is never taken later") << "send@0=1850 lost@1 tick@40 rec@41=1850"
                                                      << TSetpointState::Unknown << "1850 кг/м³: неизвестно";
        QTest::newRow("failed insert shows nothing")
            << "send@0=1850 failed@1 rec@2=1850" << TSetpointState::Failed << "";
        QTest::newRow("a late row answer of a failed insert is ignored")
            << "send@0=1850 failed@1 stored@2" << TSetpointState::Failed << "";
        QTest::newRow("shown a minute after the end")
            << "send@0=1850 stored@1 rec@2=1850 tick@62" << TSetpointState::Taken
            << "1850 кг/м³: принято 12:00:02";
        QTest::newRow("gone after the minute")
            << "send@0=1850 stored@1 rec@2=1850 tick@63" << TSetpointState::Taken << "";
        QTest::newRow("not taken gone a minute after it was given up")
            << "send@0=1850 stored@1 tick@32 tick@93" << TSetpointState::NotTaken << "";
    }
    void states() {
        QFETCH(QString, script);
        QFETCH(TSetpointState, state);
        QFETCH(QString, line);
        TSetpointFollow f;
        Run(f, script);
        QCOMPARE(f.Current().state, state);
        const QString last = script.split(' ').last();
        const double t = last.section('@', 1).section('=', 0, 0).toDouble();
        QCOMPARE(f.Line(At(t)), line);
    }

    // Every change reaches the hook once, the replaced setpoint too, and the
    // history keeps each follow-up as it ended.
    void changesAndHistory() {
        TSetpointFollow f(10);
        QStringList seen;
        f.OnChange = [&](const TSetpointFollowUp& u) {
            seen << QStringLiteral("%1:%2").arg(u.serial).arg(SetpointStateText(u.state));
        };
        Run(f, "send@0=1850 stored@1 send@3=1900 stored@4 tick@15 send@20=1950 lost@21 tick@32");
        QCOMPARE(seen, QStringList({"1:отправляется", "1:отправлено", "1:заменено", "2:отправляется",
                                    "2:отправлено", "2:не принято", "3:отправляется",
                                    "3:ответ потерян, проверяется", "3:неизвестно"}));
        QCOMPARE(int(f.History().size()), 3);
        QCOMPARE(f.History()[0].state, TSetpointState::Replaced);
        QCOMPARE(f.History()[0].user, QString("op@pult"));
        QCOMPARE(f.History()[1].state, TSetpointState::NotTaken);
        QCOMPARE(f.History()[1].sentAt, At(4));
        QCOMPARE(f.History()[2].state, TSetpointState::Unknown);
    }

    void takeTimeFromTheConfiguration_data() {
        QTest::addColumn<int>("configured");
        QTest::addColumn<int>("used");
        QTest::newRow("10 s") << 10 << 10;
        QTest::newRow("0 is the default") << 0 << 30;
        QTest::newRow("negative is the default") << -5 << 30;
    }
    void takeTimeFromTheConfiguration() {
        QFETCH(int, configured);
        QFETCH(int, used);
        TSetpointFollow f(configured);
        QCOMPARE(f.TakeSeconds(), used);
        Run(f, QStringLiteral("send@0=1850 stored@0 tick@%1").arg(used));
        QCOMPARE(f.Current().state, TSetpointState::Sent);
        Run(f, QStringLiteral("tick@%1").arg(used + 1));
        QCOMPARE(f.Current().state, TSetpointState::NotTaken);
    }

    // The history of a period: the rows of control_vector judged against the
    // records by the same rule, and what only the follow-up knows.
    void history_data() {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("change"); // the second after which PLSZ is 1850 instead of 1800
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("expected");
        QTest::newRow("taken") << QStringList{"10:00:00 1850 op"} << "10:00:03"
                               << "12:00:00"
                               << "10:00:00 1850 принято 10:00:04";
        QTest::newRow("taken in the same second") << QStringList{"10:00:00 1850 op"} << "09:59:59"
                                                  << "12:00:00"
                                                  << "10:00:00 1850 принято 10:00:00";
        QTest::newRow("not taken") << QStringList{"10:00:00 1850 op"} << "23:59:59"
                                   << "12:00:00"
                                   << "10:00:00 1850 не принято -";
        QTest::newRow("taken too late") << QStringList{"10:00:00 1850 op"} << "10:00:30"
                                        << "12:00:00"
                                        << "10:00:00 1850 не принято -";
        QTest::newRow("replaced, then taken")
            << QStringList{"10:00:00 1900 op", "10:00:05 1850 op"} << "10:00:07"
            << "12:00:00"
            << "10:00:00 1900 заменено - | 10:00:05 1850 принято 10:00:08";
        QTest::newRow("load commands are not setpoints") << QStringList{"10:00:00 - op"} << "10:00:03"
                                                         << "12:00:00"
                                                         << "";
        QTest::newRow("still followed now") << QStringList{"10:00:50 1850 op"} << "23:59:59"
                                            << "10:01:00"
                                            << "10:00:50 1850 отправлено -";
    }
    void history() {
        QFETCH(QStringList, commands);
        QFETCH(QString, change);
        QFETCH(QString, now);
        QFETCH(QString, expected);
        const auto rows =
            SetpointHistory(Commands(commands), Records("09:59:00", "10:01:00", 1800, change, 1850), {}, 30,
                            Hms("07:00:00"), Hms("18:59:59"), Hms(now));
        QCOMPARE(Shown(rows), expected);
    }

    void historyAddsSetpointsWithoutARow() {
        TSetpointFollow f;
        f.Sending(1870, Hms("10:00:20"));
        f.AnswerLost(1, Hms("10:00:23"));
        f.Tick(Hms("10:01:00"));
        QCOMPARE(f.Current().state, TSetpointState::Unknown);
        const auto rows =
            SetpointHistory(Commands({"10:00:00 1850 op"}), Records("09:59:00", "10:01:00", 1850),
                            f.History(), 30, Hms("07:00:00"), Hms("18:59:59"), Hms("12:00:00"));
        QCOMPARE(Shown(rows), QString("10:00:00 1850 принято 10:00:00 | 10:00:20 1870 неизвестно -"));
        // Outside the period it is not shown.
        QCOMPARE(SetpointHistory(Commands({}), Records("09:59:00", "10:01:00", 1850), f.History(), 30,
                                 Hms("19:00:00"), Hms("23:59:59"), Hms("23:00:00"))
                     .size(),
                 size_t(0));
    }

    void historyNeedsItsColumns() {
        TResultTable bad;
        bad.AddColumn("RecMoment", TResultTable::Type::DateTime);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, SetpointHistory(Commands({}), bad, {}, 30, 0, 1, 1));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 SetpointHistory(bad, Records("09:59:00", "09:59:01", 1), {}, 30, 0, 1, 1));
    }
};

ORDAL_TEST_MAIN(TstSetpointFollow)
#include "tst_setpointfollow.moc"
