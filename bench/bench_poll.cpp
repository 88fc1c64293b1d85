// The main window's state-poll tick against the tests' kind of private MariaDB
// holding a large pu_data, as a ratio to one "SELECT 1" round trip in the same
// run.
//
// The tick asks the live session for a look (three statements) and returns;
// the look's answer arrives later on the window's thread. What is timed is
// from asking to the answer having run, on an open connection: the three
// statements, the two hops between the threads and the answer's work. The
// baseline is one "SELECT 1" over a connection opened before, through the
// client library's own interface (RawFetch.h). Each statement alone, on a
// session of this thread, and an empty request (what the hops between the
// threads cost) are printed against the same baseline.
//
// Run through bench/run_poll.sh, which starts the server and fills the table.

#include "Forms.h"
#include "Main.h"
#include "RawFetch.h"
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
    // The connect at start is answered later.
    for (QElapsedTimer t; !main.SQLConnection1->Connected() && (!t.isValid() || t.elapsed() < 10000);) {
        if (!t.isValid())
            t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!main.SQLConnection1->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    RawFetch raw(port.toInt());
    TDbSession session(QStringLiteral("bench"));
    session.SetSettings(TConnectionSettings::FromParams(main.SQLConnection1->Params));
    session.Open();

    const QString statements[3] = {main.SQLQueryPUState->SQL(), main.SQLQueryMaxTime->SQL(),
                                   main.SQLQueryLastData->SQL()};

    // One tick and its answer.
    auto look = [&] {
        const int before = main.StatePoll->Answers();
        main.TimerRefreshStateTimer();
        while (main.StatePoll->Answers() == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };

    // An empty request and its answer: the two hops between the threads.
    auto empty = [&] {
        bool answered = false;
        main.SQLConnection1->Post<int>(
            TSessionRole::Live, &main, [](TDbSession&) { return 0; },
            [&answered](TDbReply<int>&) { answered = true; });
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };

    // The look's three statements as one request of the live session, with
    // nothing done with the rows: the look less the answer's work.
    auto bare = [&] {
        bool answered = false;
        main.SQLConnection1->Post<int>(
            TSessionRole::Live, &main,
            [&statements](TDbSession& live) {
                std::vector<TResultTable> results;
                live.SelectAll({statements[0], statements[1], statements[2]}, TStatementKind::Poll, results);
                int n = 0;
                for (const TResultTable& t : results)
                    n += t.RowCount();
                return n;
            },
            [&answered](TDbReply<int>&) { answered = true; });
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };

    // Rounds interleave the tick, the baseline and each statement alone, so that
    // a busy machine slows all of them alike; medians of the rounds are compared.
    const int rounds = 15, perRound = 50;
    std::vector<double> tick, baseline, hops, bareLook, single[3];
    auto timed = [&](auto&& op) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < perRound; ++i)
            op();
        return double(t.nsecsElapsed()) / perRound;
    };
    look(); // warm up
    for (int r = 0; r < rounds; ++r) {
        baseline.push_back(timed([&] { raw.Ms(QStringLiteral("SELECT 1")); }));
        tick.push_back(timed(look));
        hops.push_back(timed(empty));
        bareLook.push_back(timed(bare));
        for (int k = 0; k < 3; ++k)
            single[k].push_back(timed([&] { session.Select(statements[k], TStatementKind::Poll); }));
    }
    const double base = Median(baseline);
    std::printf("SELECT 1 round trip over an open client-library connection: %.0f us (baseline)\n", base / 1000);
    double three = 0;
    for (int k = 0; k < 3; ++k) {
        std::printf("  %-58s %.2f\n", qPrintable(statements[k]), Median(single[k]) / base);
        three += Median(single[k]);
    }
    if (!main.LastDataActive() || main.StatePoll->SQLQueryLastData.IsEmpty()) {
        std::fprintf(stderr, "the poll failed\n");
        return 1;
    }
    std::printf("  the look's answer / its three statements on this thread: %.2f\n", Median(tick) / three);
    std::printf("  an empty request and its answer (the threads' hops) / SELECT 1: %.2f\n", Median(hops) / base);
    std::printf("  the three statements as one live request, rows unused / SELECT 1: %.2f\n",
                Median(bareLook) / base);
    const double ratio = Median(tick) / base;
    std::printf("state-poll tick, asked to answered (3 statements) / SELECT 1 round trip: %.2f (target <= 5)\n",
                ratio);
    main.ExitConfirmed = true;
    return 0;
}
