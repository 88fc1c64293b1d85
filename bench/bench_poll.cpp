// The main window's state-poll tick (three statements) against the tests'
// kind of private MariaDB holding a large pu_data, as a ratio to a plain
// "SELECT 1" round trip on the same connection in the same run.
//
// Run through bench/run_poll.sh, which starts the server and fills the table.

#include "Forms.h"
#include "Main.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT is not set; run bench/run_poll.sh\n");
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
    if (!main.SQLConnection1->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    TSQLQuery select1(main.SQLConnection1, QStringLiteral("SELECT 1"));

    // Rounds interleave the tick, the baseline and each statement alone, so that
    // a busy machine slows all of them alike; medians of the rounds are compared.
    const int rounds = 15, perRound = 50;
    TSQLQuery* statements[3] = {main.SQLQueryPUState, main.SQLQueryMaxTime, main.SQLQueryLastData};
    std::vector<double> tick, baseline, single[3];
    auto timed = [&](auto&& op) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < perRound; ++i)
            op();
        return double(t.nsecsElapsed()) / perRound;
    };
    main.TimerRefreshStateTimer(); // warm up
    for (int r = 0; r < rounds; ++r) {
        baseline.push_back(timed([&] { select1.Refresh(); }));
        tick.push_back(timed([&] { main.TimerRefreshStateTimer(); }));
        for (int k = 0; k < 3; ++k)
            single[k].push_back(timed([&] { statements[k]->Refresh(); }));
    }
    const double base = Median(baseline);
    std::printf("SELECT 1 round trip: %.0f us (baseline)\n", base / 1000);
    for (int k = 0; k < 3; ++k)
        std::printf("  %-58s %.2f\n", qPrintable(statements[k]->SQL()), Median(single[k]) / base);
    if (!main.LastDataActive()) {
        std::fprintf(stderr, "the poll failed\n");
        return 1;
    }
    const double ratio = Median(tick) / base;
    std::printf("state-poll tick (3 statements) / SELECT 1 round trip: %.2f (target <= 5)\n", ratio);
    main.ExitConfirmed = true;
    return 0;
}
