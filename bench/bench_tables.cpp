// The database browser loading a day of pu_data (86,400 rows at 1 Hz) and the
// event journal loading a shift day of 10,000 entries, each into its grid
// with the first screen painted (asked of the history session, fetched there,
// the answer put into the grid back on the window's thread), against the
// floor of fetching the same rows:
// the same statement over an open connection through the client library in
// this process, nothing converted (target <= 3 each). A second line compares
// with the stock mariadb client fetching them to /dev/null, its start and login
// (a run of "select 1") taken off.
//
// Run through bench/run_tables.sh, which starts the server and fills the tables:
//   ORDAL_BENCH_DB_PORT   the server's loopback port
//   ORDAL_BENCH_DAY       the filled day, yyyy-mm-dd

#include "Baseview.h"
#include "Forms.h"
#include "Global.h"
#include "Logview.h"
#include "Main.h"
#include "RawFetch.h"
#include "Sql.h"
#include "Startup.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the event loop until `done`: answers arrive as posted events, so each
// wait wakes with one and costs no polling.
template <class F> void RunUntil(F done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Paints what the load changed, as the screen would before the next input.
void PaintNow(QWidget* w) {
    QCoreApplication::processEvents();
    w->repaint();
}

// The longest gap between two ticks of a 5 ms timer while `work` is started
// from the event loop and until `done`: how long the window could not answer
// input.
template <class Work, class Done> double LongestStall(Work&& work, Done&& done) {
    QElapsedTimer clock;
    double longest = 0, last = 0;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start();
    bool started = false;
    QTimer::singleShot(20, [&] {
        work();
        started = true;
    });
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 400 || !started || !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return longest;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitApplication(app);
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    const QDate day =
        QDate::fromString(qEnvironmentVariable("ORDAL_BENCH_DAY"), QStringLiteral("yyyy-MM-dd"));
    if (port.isEmpty() || !day.isValid()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT or ORDAL_BENCH_DAY is not set; run bench/run_tables.sh\n");
        return 2;
    }
    QTemporaryDir dir;
    {
        ScramblerState s(5);
        QFile ini(dir.path() + "/ordal.INI");
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[main]\nFirstChangeStart=7\nDateIncrement=0\n[MySQL]\nLogin=ordal\n"
                                 "Comp=127.0.0.1:%1\nSavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, "ordal"))
                      .toUtf8());
    }
    TFormMain main(dir.path() + "/ordal");
    main.TimerRefreshState->stop();
    // The connect at start is answered later.
    TSQLConnection* c = main.SQLConnection1;
    auto idle = [c] { return c->Pending(TSessionRole::Live) == 0 && c->Pending(TSessionRole::History) == 0; };
    RunUntil(idle);
    if (!c->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }
    const TDateTime d = DateTimeFromQ(day.startOfDay());

    TFormBaseView browser(main.AppContext());
    browser.resize(1920, 1000);
    browser.show();
    // The calendar day: the pickers open on the shift day's period.
    browser.DateTimePicker1->SetDateTime(d);
    browser.DateTimePicker2->SetDateTime(0);
    browser.DateTimePicker3->SetDateTime(d);
    browser.DateTimePicker4->SetDateTime(EncodeTime(23, 59, 59));
    const QString browserSql = Sql::BrowserRange(d, d + EncodeTime(23, 59, 59));

    TFormLogView journal(main.AppContext());
    journal.TimerAutoRefresh->stop();
    journal.resize(1920, 1000);
    journal.show();
    // Its first showing loads the current shift day.
    QCoreApplication::processEvents();
    RunUntil(idle);
    journal.DateTimePicker1->SetDateTime(d);
    journal.ComboBox1->SetItemIndex(2);
    const TJournalRange range = JournalRangeOf(d, 2);
    const QString journalSql = Sql::JournalRange(range.start, range.stop);

    // A load ends when its answer is in the grid.
    auto loadBrowser = [&] {
        browser.ButLoadClick(nullptr);
        RunUntil([&] { return !browser.Loading; });
        PaintNow(&browser);
    };
    auto loadJournal = [&] {
        journal.LoadRequested();
        RunUntil([&] { return !journal.Loading; });
        PaintNow(&journal);
    };
    loadBrowser(); // warm up both paths and the server's buffers
    loadJournal();
    if (browser.SQLClientDataSetPafData.RecordCount() != 86400 ||
        journal.SQLClientDataSetLog->RecordCount() != 10000) {
        std::fprintf(stderr, "unexpected row counts: browser %d, journal %d\n",
                     browser.SQLClientDataSetPafData.RecordCount(),
                     journal.SQLClientDataSetLog->RecordCount());
        return 1;
    }
    RawFetch raw(port.toInt());
    raw.Ms(browserSql);
    const long browserRows = raw.rows();
    raw.Ms(journalSql);
    if (browserRows != 86400 || raw.rows() != 10000) {
        std::fprintf(stderr, "the raw fetch read %ld and %ld rows\n", browserRows, raw.rows());
        return 1;
    }
    CliRun(port, browserSql);

    // Rounds interleave the measures, so that a busy machine slows all alike;
    // medians of the rounds are compared.
    const int rounds = 7;
    std::vector<double> browserMs, journalMs, rawBrowserMs, rawJournalMs, cliBrowserMs, cliJournalMs, cliLoginMs;
    auto timed = [](auto&& op) {
        QElapsedTimer t;
        t.start();
        op();
        return t.nsecsElapsed() / 1e6;
    };
    for (int r = 0; r < rounds; ++r) {
        rawBrowserMs.push_back(raw.Ms(browserSql));
        browserMs.push_back(timed(loadBrowser));
        rawJournalMs.push_back(raw.Ms(journalSql));
        journalMs.push_back(timed(loadJournal));
        cliBrowserMs.push_back(CliRun(port, browserSql));
        cliJournalMs.push_back(CliRun(port, journalSql));
        cliLoginMs.push_back(CliRun(port, QStringLiteral("select 1")));
    }
    const double stall = LongestStall([&] { browser.ButLoadClick(nullptr); }, [&] { return !browser.Loading; });
    {
        // Where a browser load's time goes: the fetch, the grid's reset, the paint.
        std::vector<double> fetch, reset, paint;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            browser.DBGridEh1->SetDataSource(nullptr);
            browser.SQLClientDataSetPafData.Close();
            bool in = false;
            browser.SQLClientDataSetPafData.Open([&](const EDatabaseError*) { in = true; });
            RunUntil([&] { return in; });
            fetch.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            browser.DBGridEh1->SetDataSource(&browser.DataSourcePafData);
            reset.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            PaintNow(&browser);
            paint.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("browser load parts: fetch %.0f ms, grid reset %.0f ms, paint %.0f ms\n", Median(fetch),
                    Median(reset), Median(paint));
    }
    const double login = Median(cliLoginMs);
    std::printf("raw fetch of the day: %.0f ms, of the shift day: %.0f ms (baselines)\n", Median(rawBrowserMs),
                Median(rawJournalMs));
    std::printf("mariadb client: the day %.0f ms, the shift day %.0f ms, of which start and login %.0f ms\n",
                Median(cliBrowserMs), Median(cliJournalMs), login);
    std::printf("browser load of 86400 rows: %.0f ms; journal load of 10000 entries: %.0f ms\n",
                Median(browserMs), Median(journalMs));
    std::printf("browser load / raw fetch: %.2f (target <= 3)\n", Median(browserMs) / Median(rawBrowserMs));
    std::printf("journal load / raw fetch: %.2f (target <= 3)\n", Median(journalMs) / Median(rawJournalMs));
    std::printf("browser load / CLI fetch without start and login: %.2f; journal load: %.2f\n",
                Median(browserMs) / (Median(cliBrowserMs) - login), Median(journalMs) / (Median(cliJournalMs) - login));
    std::printf("longest pause of the event loop during a browser load: %.0f ms\n", stall);
    RunUntil(idle);
    main.ExitConfirmed = true;
    return 0;
}
