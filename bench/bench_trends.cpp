// The heavy-medium trend window reloading a shift day of one-second records
// (86,400 rows) through its real Reload (asked of the history session, fetched
// there, the answer spread over the charts back on the window's thread, final
// paint, offscreen), as a ratio to the floor of fetching those rows:
// the same statement over an open connection through the client library in
// this process, nothing converted (target <= 3). A second line compares with
// the stock mariadb client fetching the range to /dev/null, its start and
// login (a run of "select 1") taken off.
//
// Run through bench/run_trends.sh, which starts the server and fills the table.

#include "Global.h"
#include "GraphHardParams.h"
#include "Main.h"
#include "RawFetch.h"
#include "Sql.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 5);

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// Runs the event loop until `done`: answers arrive as posted events, so each
// wait wakes with one and costs no polling.
template <class F> void RunUntil(F done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    if (port.isEmpty()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT is not set; run bench/run_trends.sh\n");
        return 2;
    }
    QTemporaryDir dir;
    {
        ScramblerState s(5);
        QFile ini(dir.path() + "/ordal.INI");
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[main]\nFirstChangeStart=7\n[MySQL]\nLogin=ordal\nComp=127.0.0.1:%1\n"
                                 "SavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, "ordal"))
                      .toUtf8());
    }
    TFormMain main(dir.path() + "/ordal");
    main.TimerRefreshState->stop();
    // The connect at start is answered later.
    TSQLConnection* c = main.SQLConnection1;
    RunUntil([c] { return c->Pending(TSessionRole::Live) == 0 && c->Pending(TSessionRole::History) == 0; });
    if (!c->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    TFormGraphHardParams window(main.AppContext());
    window.TimerUpdate->stop();
    window.resize(1280, 800);
    window.show();
    window.ShowAllCharts();
    // Its first showing loads the current shift day; a reload asked for
    // meanwhile would be refused.
    RunUntil([&] { return !window.NeedReload && !window.LoadBusy; });
    window.DateTimePicker1->SetDateTime(kDay + 0.5);
    window.ComboBox1->SetItemIndex(2);

    auto reload = [&] {
        QElapsedTimer t;
        t.start();
        window.Reload();
        // The reload ends when the answer has been folded into the charts.
        RunUntil([&] { return !window.LoadBusy; });
        for (TLevelGraph* g : window.Charts)
            g->repaint();
        return double(t.nsecsElapsed()) / 1e6;
    };
    TDateTime start = 0, stop = 0;
    GetShiftPeriod(kDay, 3, start, stop);
    const QString sql = Sql::TrendRange(start, stop);
    const double warm = reload();
    if (window.LoadedRows().Count() != 86400) {
        std::fprintf(stderr, "the reload read %d rows, not 86400\n", window.LoadedRows().Count());
        return 1;
    }
    RawFetch raw(port.toInt());
    raw.Ms(sql);
    if (raw.rows() != 86400) {
        std::fprintf(stderr, "the raw fetch read %ld rows, not 86400\n", raw.rows());
        return 1;
    }
    CliRun(port, sql);
    // Rounds interleave the measures, so that a busy machine slows all alike;
    // the fastest round of each counts (other work only ever adds time).
    std::vector<double> ours, fetch, client, login;
    for (int r = 0; r < 7; ++r) {
        fetch.push_back(raw.Ms(sql));
        ours.push_back(reload());
        client.push_back(CliRun(port, sql));
        login.push_back(CliRun(port, QStringLiteral("select 1")));
    }
    const double cliFetch = Min(client) - Min(login);
    std::printf("first reload (cold): %.0f ms\n", warm);
    std::printf("24-h reload through the window: %.0f ms (86400 rows, %d charts painted)\n", Min(ours),
                int(window.Charts.size()));
    std::printf("raw fetch of the same rows over an open connection: %.0f ms\n", Min(fetch));
    std::printf("mariadb client, same range to /dev/null: %.0f ms, of which start and login: %.0f ms\n",
                Min(client), Min(login));
    std::printf("reload / raw fetch: %.2f (target <= 3)\n", Min(ours) / Min(fetch));
    std::printf("reload / CLI fetch without start and login: %.2f\n", Min(ours) / cliFetch);
    return 0;
}
