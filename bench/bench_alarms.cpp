// The alarms' costs, as ratios to baselines measured in the same run:
//  - one evaluation of 200 alarm definitions on a live record, against the
//    live poll's own tick (its look asked and answered on the running server);
//  - a flood of 10,000 transitions in one day written to the history's hour
//    files: one append, against one key written through the INI class into a
//    file as large as the hour file then is (the floor of the same work: a
//    whole file written atomically); and, for scale, against a key of a
//    configuration-sized file.
// Run through bench/run_alarms.sh (it starts the server).

#include "AlarmHistory.h"
#include "AlarmModel.h"
#include "IniFile.h"
#include "Main.h"
#include "Platform.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    if (port.isEmpty()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT is not set; run bench/run_alarms.sh\n");
        return 2;
    }
    QTemporaryDir dir;
    {
        ScramblerState s(5);
        QFile ini(dir.path() + "/ordal.INI");
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[MySQL]\nLogin=ordal\nComp=127.0.0.1:%1\nSavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, "ordal"))
                      .toUtf8());
    }
    TFormMain main(dir.path() + "/ordal");
    main.TimerRefreshState->stop();
    for (QElapsedTimer t; !main.SQLConnection1->Connected() && (!t.isValid() || t.elapsed() < 10000);) {
        if (!t.isValid())
            t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!main.SQLConnection1->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }

    // --- evaluation against the poll's tick -----------------------------------
    auto look = [&] {
        const int before = main.StatePoll->Answers();
        main.StatePoll->Tick(Now());
        while (main.StatePoll->Answers() == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    QList<TAlarmDef> defs;
    const QList<TAlarmDef> shipped = DefaultAlarmDefs();
    for (int i = 0; defs.size() < 200; ++i) {
        TAlarmDef d = shipped[i % shipped.size()];
        d.Id = QStringLiteral("A%1").arg(i);
        d.Limit += i % 13;
        defs << d;
    }
    TAlarmEngine engine;
    engine.SetDefinitions(defs, Now(), QStringLiteral("bench"));
    TAlarmInputs in;
    in.HasRecord = true;
    in.MinPLS = 1100;
    in.HeartbeatKnown = true;
    int second = 0;
    auto evaluate = [&] {
        // A record that moves (some alarms come and go) as the plant's would.
        ++second;
        in.Now = EncodeDate(2026, 3, 2) + second * OneSecond;
        in.Heartbeat = in.Now;
        in.Record.PLS = 1700 + 80 * ((second / 7) % 2);
        in.Record.PLSZ = 1700;
        in.Record.URKS = 50 + 45 * ((second / 11) % 2);
        in.Record.URNS = 40;
        engine.Evaluate(in);
    };
    const int rounds = 15, looks = 20, evaluations = 2000;
    std::vector<double> tick, eval;
    look();
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < looks; ++i)
            look();
        tick.push_back(double(t.nsecsElapsed()) / looks);
        t.restart();
        for (int i = 0; i < evaluations; ++i)
            evaluate();
        eval.push_back(double(t.nsecsElapsed()) / evaluations);
    }
    const double evalRatio = Median(eval) / Median(tick);
    std::printf("live poll's tick, asked to answered: %.0f us (baseline)\n", Median(tick) / 1000);
    std::printf("evaluation of 200 alarm definitions / the poll's tick: %.4f (target <= 0.05)\n", evalRatio);

    // --- a flood in the history against INI key writes ------------------------
    const QString root = dir.path() + "/Alarms";
    TAlarmHistory history(root);
    const int flood = 10000;
    const TDateTime day = EncodeDate(2026, 3, 2);
    std::vector<double> append;
    append.reserve(flood);
    for (int i = 0; i < flood; ++i) {
        TAlarmTransition t;
        t.Moment = day + (i + 0.5) / flood;
        t.Id = QStringLiteral("URNS_HI");
        t.Text = QStringLiteral("Уровень в сборнике некондиционной суспензии высокий");
        t.Event = i % 2 ? TAlarmEvent::Return : TAlarmEvent::Activate;
        t.From = i % 2 ? TAlarmState::ActiveUnack : TAlarmState::ReturnedUnack;
        t.To = i % 2 ? TAlarmState::ReturnedUnack : TAlarmState::ActiveUnack;
        t.Value = 90.5;
        QElapsedTimer clock;
        clock.start();
        if (!history.Append(t)) {
            std::fprintf(stderr, "the history refused a record\n");
            return 1;
        }
        append.push_back(double(clock.nsecsElapsed()));
    }
    // The key writes: into a copy of the fullest hour file, and into a small file.
    const QString hourFile = history.FileOf(day + 0.5);
    const QString big = dir.path() + "/big.INI", small = dir.path() + "/small.INI";
    QFile::copy(hourFile, big);
    {
        IniFile s(small);
        s.Begin();
        for (int k = 0; k < 12; ++k)
            s.WriteString(QStringLiteral("main"), QStringLiteral("Key%1").arg(k), QStringLiteral("value"));
        s.Commit();
    }
    std::vector<double> bigWrite, smallWrite;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        IniFile(big).WriteString(QStringLiteral("Header"), QStringLiteral("Bench"), QString::number(i));
        bigWrite.push_back(double(clock.nsecsElapsed()));
        clock.restart();
        IniFile(small).WriteString(QStringLiteral("main"), QStringLiteral("Bench"), QString::number(i));
        smallWrite.push_back(double(clock.nsecsElapsed()));
    }
    const double appendRatio = Median(append) / Median(bigWrite);
    std::printf(
        "hour file of the flood: %lld bytes; one INI key write into a file that large: %.0f us (baseline)\n",
        qlonglong(QFileInfo(hourFile).size()), Median(bigWrite) / 1000);
    std::printf("appending one transition (flood of %d in a day) / one INI key write: %.2f (target <= 5)\n",
                flood, appendRatio);
    std::printf("  the same / one key write into a small configuration file: %.2f\n",
                Median(append) / Median(smallWrite));
    return evalRatio <= 0.05 && appendRatio <= 5 ? 0 : 1;
}
