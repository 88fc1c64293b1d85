// The heavy-medium trend window reloading a shift day of one-second records
// (86,400 rows) through its real Reload (fetch, spreading over the charts,
// final paint, offscreen), as a ratio to the stock mariadb command-line client
// fetching the same "select * from pu_data" range to /dev/null: what the data
// cost to fetch at all. Target: <= 1.5.
//
// Run through bench/run_trends.sh, which starts the server and fills the table.

#include "Global.h"
#include "GraphHardParams.h"
#include "Main.h"
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

// One run of the stock client; milliseconds, or -1 when it failed.
double ClientRun(const QString& port, const QString& sql) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("mariadb"),
            {QStringLiteral("--no-defaults"), QStringLiteral("--protocol=tcp"), QStringLiteral("-h127.0.0.1"),
             QStringLiteral("-P") + port, QStringLiteral("-uordal"), QStringLiteral("-pordal"),
             QStringLiteral("ordalm"), QStringLiteral("-e"), sql});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return -1;
    return double(t.nsecsElapsed()) / 1e6;
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
    if (!main.SQLConnection1->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    TFormGraphHardParams window;
    window.TimerUpdate->stop();
    window.resize(1280, 800);
    window.show();
    window.ShowAllCharts();
    QCoreApplication::processEvents();
    window.DateTimePicker1->SetDateTime(kDay + 0.5);
    window.ComboBox1->SetItemIndex(2);

    auto reload = [&] {
        QElapsedTimer t;
        t.start();
        window.Reload();
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
    if (ClientRun(port, sql) < 0) {
        std::fprintf(stderr, "the mariadb client failed\n");
        return 1;
    }
    // Rounds interleave the two, so that a busy machine slows both alike; the
    // fastest round of each counts (other work only ever adds time).
    std::vector<double> ours, client, connect;
    for (int r = 0; r < 7; ++r) {
        client.push_back(ClientRun(port, sql));
        ours.push_back(reload());
        connect.push_back(ClientRun(port, QStringLiteral("select 1")));
    }
    std::printf("first reload (cold): %.0f ms\n", warm);
    std::printf("24-h reload through the window: %.0f ms (86400 rows, %d charts painted)\n", Min(ours),
                int(window.Charts.size()));
    std::printf("mariadb client, same range to /dev/null: %.0f ms (of which start and connect: %.0f ms)\n",
                Min(client), Min(connect));
    std::printf("24-h reload / CLI fetch: %.2f (target <= 1.5)\n", Min(ours) / Min(client));
    return 0;
}
