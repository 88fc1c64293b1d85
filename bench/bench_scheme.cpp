// The scheme window's tick and the running workstation, against the private
// MariaDB that bench/run_scheme.sh starts (the plant simulator feeds it).
//
//   bench_scheme tick       RefreshScheme plus the repaint of what it changed,
//                           values changing every tick, against one forced
//                           repaint of the whole scheme window (target <= 0.3);
//                           then the same tick with the scheme shown whole,
//                           scaled to the frame, against the unscaled tick
//
// Both are timed alike: each right after the same untimed poll of the
// database (so both start with the caches the poll left), in processor time
// of the program's thread (the machine is shared; wall time would also count
// the time slices of other programs).
//   bench_scheme run S      the whole workstation for S seconds showing the
//                           scheme: CPU seconds per wall second and resident kB

#include "ChildFrame.h"
#include "Forms.h"
#include "Main.h"
#include "Mnemo.h"
#include "ScaledView.h"
#include "Startup.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Processor time of the calling thread, ns.
double ThreadNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long ResidentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void Flush() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitApplication(app);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tick");
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    if (port.isEmpty()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT is not set; run bench/run_scheme.sh\n");
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
    auto* main = new TFormMain(dir.path() + "/ordal");
    CreateForms();
    main->resize(1920, 1080);
    main->show();
    // The scheme comes forward once the frame is on the screen and laid out,
    // as it does for the operator.
    for (QElapsedTimer t; !t.isValid() || (!main->windowHandle()->isExposed() && t.elapsed() < 5000);) {
        if (!t.isValid())
            t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    Flush();
    main->ActionMnemo->trigger();
    Flush();
    // The connect at start is answered later.
    for (QElapsedTimer t; !main->SQLConnection1->Connected() && (!t.isValid() || t.elapsed() < 10000);) {
        if (!t.isValid())
            t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!main->SQLConnection1->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }

    if (mode == QLatin1String("run")) {
        const int seconds = argc > 2 ? std::max(5, atoi(argv[2])) : 60;
        // Settle first (start-up work is not what is measured).
        double cpu0 = 0;
        QElapsedTimer wall;
        QTimer::singleShot(5000, &app, [&] {
            cpu0 = CpuSeconds();
            wall.start();
            QTimer::singleShot(seconds * 1000, &app, [&] {
                const double cpu = CpuSeconds() - cpu0;
                std::printf("cpu_per_wall %.4f\nrss_kb %ld\nrunning %d\n", cpu / (wall.elapsed() / 1000.0),
                            ResidentKb(), int(FormMnemo->Running));
                main->ExitConfirmed = true;
                QApplication::quit();
            });
        });
        app.exec();
        return 0;
    }

    // Tick: the poll (untimed, asked and answered) brings a new record; the
    // scheme's refresh and the repaint of what changed are timed. Full
    // repaint: the same poll (untimed), then a forced repaint of the whole
    // scheme window. The records are written on a session of this thread.
    FormMnemo->Timer1->stop();
    main->TimerRefreshState->stop();
    TDbSession writer(QStringLiteral("bench"));
    writer.SetSettings(TConnectionSettings::FromParams(main->SQLConnection1->Params));
    auto poll = [&] {
        const int before = main->StatePoll->Answers();
        main->TimerRefreshStateTimer();
        while (main->StatePoll->Answers() == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    int n = 0;
    auto measure = [&](double& tickNs, double& fullNs) {
        const int rounds = 9, perRound = 20;
        std::vector<double> tick, full;
        for (int r = 0; r < rounds; ++r) {
            double t = 0, f = 0;
            for (int i = 0; i < perRound; ++i) {
                // A record whose every value differs from the last one.
                ++n;
                writer.Execute(
                    QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, "
                                   "AR1) values (now() + interval %1 second, %2, %3, %4, %5, %6, %7, %3, %8)")
                        .arg(n)
                        .arg(1650 + n % 97)
                        .arg(1700 + n % 5)
                        .arg(20 + n % 61)
                        .arg(30 + n % 53)
                        .arg(n % 100)
                        .arg((n * 7) % 100)
                        .arg(n % 2 ? 0.0 : 1.0),
                    {}, TStatementKind::Command);
                writer.Execute(QStringLiteral("update last_state set RecMoment = now()"), {},
                               TStatementKind::Command);
                poll();
                double t0 = ThreadNs();
                FormMnemo->RefreshScheme();
                Flush();
                t += ThreadNs() - t0;

                poll();
                t0 = ThreadNs();
                FormMnemo->update();
                for (QWidget* w : FormMnemo->findChildren<QWidget*>())
                    w->update();
                FormMnemo->repaint();
                Flush();
                f += ThreadNs() - t0;
            }
            tick.push_back(t / perRound);
            full.push_back(f / perRound);
        }
        tickNs = Median(tick);
        fullNs = Median(full);
    };
    double tick = 0, full = 0;
    measure(tick, full);
    std::printf("scheme tick (refresh + repaint of the changes) / full scheme repaint: %.3f (target <= 0.3)\n",
                tick / full);
    std::printf("  tick %.0f us, full repaint %.0f us, running %d\n", tick / 1000, full / 1000,
                int(FormMnemo->Running));
    // The scheme shown whole, scaled to the frame: reduced on a small screen,
    // enlarged a little on this one.
    for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080)}) {
        main->resize(screen);
        main->SetMnemoFitToWindow(true);
        Flush();
        const TScaledView* view = main->ChildFrameOf(FormMnemo)->ScaledView();
        double scaledTick = 0, scaledFull = 0;
        measure(scaledTick, scaledFull);
        std::printf("scaled scheme tick at %dx%d (scale %.3f) / unscaled tick: %.2f (target <= 2)\n",
                    screen.width(), screen.height(), view ? view->Scale() : 0.0, scaledTick / tick);
        std::printf("  tick %.0f us, full repaint %.0f us\n", scaledTick / 1000, scaledFull / 1000);
        main->SetMnemoFitToWindow(false);
    }
    writer.Execute(QStringLiteral("delete from pu_data where RecMoment > now()"), {}, TStatementKind::Command);
    main->ExitConfirmed = true;
    return 0;
}
