// The plant simulator: its model on its own, and the program against the
// tests' private MariaDB.

#include "PlantModel.h"
#include "TestSupport.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QVariant Value(const QString& sql) {
    QVariant v;
    const TestDb t = TestDatabase();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "plantsim_check");
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        db.setDatabaseName("ordalm");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                v = q.value(0);
        }
    }
    QSqlDatabase::removeDatabase("plantsim_check");
    return v;
}

} // namespace

class TstPlantSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void densityFollowsSetpointAndStops() {
        PlantModel m(3);
        m.TakeDensitySetpoint(1750, "op");
        for (int i = 0; i < 900; ++i)
            m.Step();
        QVERIFY2(std::abs(m.Values().PLS - 1750) < 30, qPrintable(QString::number(m.Values().PLS)));
        QCOMPARE(m.Values().PLSZ, 1750.0);
        QCOMPARE(m.Values()._PLSZ, 1750.0);
        QVERIFY(!m.SetManual(true).isEmpty());
        QCOMPARE(m.Values().AR1, 1.0);
        QVERIFY(m.SetManual(true).isEmpty()); // no change, no journal line
        QCOMPARE(m.SetRunning(false), QString("Секция остановлена"));
        for (int i = 0; i < 300; ++i)
            m.Step();
        QVERIFY(m.Values().PLS < 1100); // below MIN_PLS: the workstation sees it stopped
        for (int i = 0; i < 1000; ++i) {
            m.Step();
            QVERIFY(m.Values().URKS >= 0 && m.Values().URKS <= 100);
            QVERIFY(m.Values().VODA1 >= 0 && m.Values().VODA1 <= 100);
        }
    }

    void controllerHoldsTheDensityWhereTheChartsLook() {
        // An hour in automatic at the working point, then a lower setpoint.
        PlantModel m(5);
        const double setpoint = m.Values().PLSZ;
        QVERIFY(setpoint >= 1750 && setpoint <= 2050); // inside the setpoint range, above the chart's bottom
        double lo = 1e9, hi = -1e9, valveLo = 100, valveHi = 0, steepest = 0, previous = m.Values().VODA1;
        auto run = [&](int seconds) {
            lo = hi = m.Values().PLS;
            valveLo = valveHi = m.Values().VODA1;
            for (int i = 0; i < seconds; ++i) {
                m.Step();
                const PlantValues& v = m.Values();
                lo = std::min(lo, v.PLS);
                hi = std::max(hi, v.PLS);
                valveLo = std::min(valveLo, v.VODA1);
                valveHi = std::max(valveHi, v.VODA1);
                steepest = std::max(steepest, std::abs(v.VODA1 - previous));
                previous = v.VODA1;
            }
        };
        run(3600);
        const QString spread = QStringLiteral("density %1..%2, valve %3..%4 %, steepest valve step %5 %")
                                   .arg(lo).arg(hi).arg(valveLo).arg(valveHi).arg(steepest);
        QVERIFY2(lo > setpoint - 25 && hi < setpoint + 25, qPrintable(spread));
        // The valve works around its working point, at its actuator's pace.
        QVERIFY2(valveLo > 20 && valveHi < 60 && valveHi - valveLo < 15, qPrintable(spread));
        QVERIFY2(steepest <= 1.0 + 1e-9, qPrintable(spread));

        // Less dense wanted: more water, and the density follows.
        const double valveBefore = m.Values().VODA1;
        m.TakeDensitySetpoint(setpoint - 150, "op");
        run(900);
        QVERIFY2(std::abs(m.Values().PLS - (setpoint - 150)) < 15, qPrintable(QString::number(m.Values().PLS)));
        QVERIFY2(m.Values().VODA1 > valveBefore + 15, qPrintable(QString::number(m.Values().VODA1)));
        QVERIFY2(steepest <= 1.0 + 1e-9, qPrintable(QString::number(steepest)));
    }

    void playsTheControllerAgainstTheDatabase() {
        ResetPlantTables(std::nan(""));
        const TestDb db = TestDatabase();
        const QString tablesBefore =
            Value("select group_concat(table_name order by table_name) from information_schema.tables "
                  "where table_schema = 'ordalm'")
                .toString();
        QProcess sim;
        sim.start(ORDAL_PLANTSIM, {"--port", QString::number(db.port), "--user", db.user, "--password", db.password,
                                   "--backfill-hours", "0.05", "--interval-ms", "200", "--duration", "4"});
        QVERIFY(sim.waitForStarted());
        QTest::qWait(1500);
        QVERIFY(ExecAdmin("insert into control_vector (RecMoment, UserName, _PLSZ) values (now(), 'op@test', 1750)"));
        sim.write("mute\n");
        QVERIFY(sim.waitForFinished(20000));
        QCOMPARE(sim.exitCode(), 0);

        QVERIFY(Value("select count(*) from pu_data").toInt() >= 180 + 10);
        QCOMPARE(Value("select ConstVal from setup where ConstName = 'MIN_PLS'").toDouble(), 1100.0);
        QCOMPARE(Value("select PLSZ from pu_data order by RecMoment desc limit 1").toDouble(), 1750.0);
        QVERIFY(Value("select count(*) from control_log where MessageText like '%1750%op@test%'").toInt() == 1);
        // The heartbeat was dropped on command: it is older than the last record.
        QVERIFY(Value("select timestampdiff(second, (select max(RecMoment) from last_state), "
                      "(select max(RecMoment) from pu_data))")
                    .toInt() >= 1);
        QCOMPARE(Value("select group_concat(table_name order by table_name) from information_schema.tables "
                       "where table_schema = 'ordalm'")
                     .toString(),
                 tablesBefore);
    }
};

ORDAL_TEST_MAIN(TstPlantSim)
#include "tst_plantsim.moc"
