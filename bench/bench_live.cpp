// The live side while history is being read. Two phases, each against the
// live side's own figures on an idle server:
//   1. the database browser loads a week of pu_data at 1 Hz (604,800 rows);
//   2. a range statement is held by the server (SLEEP(30)).
// During each it prints the state poll's answered ticks / the ticks asked
// (target >= 0.95), the worst lateness of a 50-ms timer (the event loop's
// longest stall; target <= 0.1 s), and a setpoint's time to its stored row
// during the phase / on the idle server (target <= 2).
//
// Run through bench/run_live.sh, which starts the server and fills the week:
//   ORDAL_BENCH_DB_PORT   the server's loopback port
//   ORDAL_BENCH_DAY       the week's first day, yyyy-mm-dd

#include "Baseview.h"
#include "Forms.h"
#include "Main.h"
#include "Sql.h"
#include "Startup.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the event loop until `done` or the limit.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A setpoint row stored through the live session, as the main window sends it:
// the time from asking to the answer, in ms.
double SetpointMs(TSQLConnection* c, double value) {
    TSQLQuery insert(c, Sql::InsertCommand(QStringLiteral("_PLSZ")));
    QElapsedTimer t;
    t.start();
    double ms = -1;
    insert.ExecSQL({value}, [&](const EDatabaseError* e, int) { ms = e ? -1 : t.nsecsElapsed() / 1e6; });
    RunUntil([&] { return !insert.Executing(); }, 30000);
    return ms;
}

// What the live side did during one phase.
struct Watch {
    TFormMain& main;
    int ticks = 0, answersAtStart = 0;
    double worstLateMs = 0;
    QElapsedTimer clock;
    double last = 0;
    QTimer beat;
    QMetaObject::Connection tickConnection;

    explicit Watch(TFormMain& m) : main(m) {
        answersAtStart = main.StatePoll->Answers();
        tickConnection = QObject::connect(main.TimerRefreshState, &QTimer::timeout, [this] { ++ticks; });
        beat.setTimerType(Qt::PreciseTimer);
        beat.setInterval(50);
        QObject::connect(&beat, &QTimer::timeout, [this] {
            const double now = clock.nsecsElapsed() / 1e6;
            worstLateMs = std::max(worstLateMs, now - last - 50);
            last = now;
        });
        clock.start();
        beat.start();
    }
    ~Watch() { QObject::disconnect(tickConnection); }
    int Answers() const { return main.StatePoll->Answers() - answersAtStart; }
};

void Report(const char* phase, const Watch& w, double setpointMs, double idleMs) {
    // The answer of the last tick may still be on its way when the phase ends.
    const double answered = std::min(1.0, double(w.Answers()) / std::max(1, w.ticks - 1));
    std::printf("%s: %d ticks, %d answered\n", phase, w.ticks, w.Answers());
    std::printf("%s: poll answered / asked: %.2f (target >= 0.95)\n", phase, answered);
    std::printf("%s: worst event-loop lateness: %.3f s (target <= 0.1)\n", phase, w.worstLateMs / 1000);
    std::printf("%s: setpoint to stored row, during / idle: %.2f (%.1f ms / %.1f ms; target <= 2)\n", phase,
                setpointMs / idleMs, setpointMs, idleMs);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitApplication(app);
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    const QDate day = QDate::fromString(qEnvironmentVariable("ORDAL_BENCH_DAY"), QStringLiteral("yyyy-MM-dd"));
    if (port.isEmpty() || !day.isValid()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT or ORDAL_BENCH_DAY is not set; run bench/run_live.sh\n");
        return 2;
    }
    QTemporaryDir dir;
    {
        ScramblerState s(5);
        QFile ini(dir.path() + "/ordal.INI");
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[main]\nFirstChangeStart=0\nDateIncrement=0\n[MySQL]\nLogin=ordal\n"
                                 "Comp=127.0.0.1:%1\nSavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, "ordal"))
                      .toUtf8());
    }
    TFormMain main(dir.path() + "/ordal");
    TSQLConnection* c = main.SQLConnection1;
    if (!RunUntil([c] { return c->Connected(); }, 10000)) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    // The live poll runs on its own 1-s timer throughout, as in the program.
    main.TimerRefreshState->start();

    // The idle figures: setpoints on a quiet server, paced as in each phase
    // (a setpoint that follows another closely finds the machine awake, one a
    // second after the last finds it asleep), medians.
    auto idleMs = [c](int gapMs, int count) {
        std::vector<double> v;
        for (int i = 0; i < count; ++i) {
            RunUntil([] { return false; }, gapMs);
            v.push_back(SetpointMs(c, 1800 + i));
        }
        return Median(v);
    };
    const double idleCloseMs = idleMs(20, 40);
    const double idleSparseMs = idleMs(1000, 9);

    // 0. Nothing but the poll, as long as the held range below: the event
    // loop's lateness on this machine when the live side has nothing to bear.
    {
        Watch w(main);
        RunUntil([] { return false; }, 30000);
        std::printf("idle, 30 s: %d ticks, %d answered, worst event-loop lateness %.3f s (the machine's own)\n",
                    w.ticks, w.Answers(), w.worstLateMs / 1000);
    }

    // 1. The browser loads the week.
    TFormBaseView browser(main.AppContext());
    browser.resize(1366, 700);
    browser.show();
    const TDateTime start = DateTimeFromQ(day.startOfDay());
    browser.DateTimePicker1->SetDateTime(start);
    browser.DateTimePicker2->SetDateTime(start);
    browser.DateTimePicker3->SetDateTime(start + 6);
    browser.DateTimePicker4->SetDateTime(start + 6 + EncodeTime(23, 59, 59));
    {
        Watch w(main);
        QElapsedTimer load;
        load.start();
        browser.ButLoadClick(nullptr);
        // Setpoints while the load runs, one after another.
        std::vector<double> during;
        while (browser.Loading && load.elapsed() < 120000) {
            during.push_back(SetpointMs(c, 1850));
            RunUntil([] { return false; }, 20);
        }
        const bool loaded = RunUntil([&] { return !browser.Loading; }, 120000);
        // The grid shows the rows: the window's first screen is painted.
        QCoreApplication::processEvents();
        browser.repaint();
        const double loadMs = load.nsecsElapsed() / 1e6;
        if (!loaded || browser.SQLClientDataSetPafData.RecordCount() != 604800) {
            std::fprintf(stderr, "the browser's load did not end with the week (%d rows)\n",
                         browser.SQLClientDataSetPafData.RecordCount());
            return 1;
        }
        // Enough ticks to judge: the phase lasts at least 5 s.
        RunUntil([&] { return load.elapsed() > 5000; }, 6000);
        std::printf("browser load of a week (604800 rows): %.0f ms\n", loadMs);
        std::printf("setpoints sent during the load: %zu\n", during.size());
        Report("browser load of a week", w, Median(during), idleCloseMs);
    }
    browser.SQLClientDataSetPafData.Close();

    // 2. A range held by the server.
    {
        Watch w(main);
        bool held = true;
        QObject owner;
        c->Select(QStringLiteral("select sleep(30) as s"), TStatementKind::Range, &owner,
                  [&](TDbReply<TResultTable>&) { held = false; });
        std::vector<double> during;
        QElapsedTimer t;
        t.start();
        while (held && t.elapsed() < 40000) {
            RunUntil([] { return false; }, 1000);
            if (held)
                during.push_back(SetpointMs(c, 1860));
        }
        RunUntil([&] { return !held; }, 40000);
        Report("range held by the server for 30 s", w, Median(during), idleSparseMs);
    }
    main.ExitConfirmed = true;
    return 0;
}
