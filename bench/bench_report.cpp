// "Отчёт за смену" of a 12-hour shift at one record a second (43,200 rows)
// with 500 journal lines, made the operator's way (the main window's command:
// the shift read on the history session, the three trend windows drawn off
// screen at print resolution, the template filled, shown in the print window
// and saved as PDF), as a ratio to the floor of fetching the shift's rows: the
// same range statement over an open connection through the client library in
// this process, nothing converted (target <= 10).
//
// Run through bench/run_report.sh, which starts the server and fills it.

#include "Global.h"
#include "Main.h"
#include "Platform.h"
#include "RawFetch.h"
#include "Sql.h"
#include "Vmcrypt.h"
#include "Webprint.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 5);

// The print window saves its PDF and closes at once; the file dialog answers
// with the benchmark's file.
class BenchPlatform : public Platform {
public:
    QString pdf;
    int ExecDialog(QDialog& dialog) override {
        if (auto* print = qobject_cast<TFormWebPrint*>(&dialog))
            print->ButSavePdfClick(nullptr);
        return QDialog::Rejected;
    }
    QString ChooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return pdf; }
};

template <class F> void RunUntil(F done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString port = qEnvironmentVariable("ORDAL_BENCH_DB_PORT");
    if (port.isEmpty()) {
        std::fprintf(stderr, "ORDAL_BENCH_DB_PORT is not set; run bench/run_report.sh\n");
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
    QDir().mkpath(dir.path() + "/Template");
    if (!QFile::copy(ORDAL_SOURCE_DIR "/templates/ShiftReport.html",
                     dir.path() + "/Template/ShiftReport.html"))
        return 2;
    BenchPlatform platform;
    platform.pdf = dir.path() + "/shift.pdf";
    SetPlatform(&platform);

    TFormMain main(dir.path() + "/ordal");
    main.TimerRefreshState->stop();
    TSQLConnection* c = main.SQLConnection1;
    RunUntil([c] { return c->Pending(TSessionRole::Live) == 0 && c->Pending(TSessionRole::History) == 0; });
    if (!c->Connected()) {
        std::fprintf(stderr, "cannot connect to the benchmark server\n");
        return 2;
    }

    auto report = [&] {
        QFile::remove(platform.pdf);
        QElapsedTimer t;
        t.start();
        main.PrintShiftReport(kDay, 1);
        RunUntil([&] { return !main.ShiftReportBusy(); });
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (QFile(platform.pdf).size() < 100000) {
            std::fprintf(stderr, "no PDF of the report was written\n");
            std::exit(1);
        }
        return ms;
    };
    TDateTime start = 0, stop = 0;
    GetShiftPeriod(kDay, 1, start, stop);
    const QString sql = Sql::TrendRange(start, stop);
    const double cold = report();
    RawFetch raw(port.toInt());
    raw.Ms(sql);
    if (raw.rows() != 43200) {
        std::fprintf(stderr, "the raw fetch read %ld rows, not 43200\n", raw.rows());
        return 1;
    }
    // Rounds interleave the measures, so that a busy machine slows both alike;
    // the fastest round of each counts (other work only ever adds time).
    std::vector<double> ours, fetch;
    for (int r = 0; r < 5; ++r) {
        fetch.push_back(raw.Ms(sql));
        ours.push_back(report());
    }
    SetPlatform(nullptr);
    std::printf("first report (cold): %.0f ms\n", cold);
    std::printf("shift report into PDF: %.0f ms (43200 rows, 500 journal lines, %lld bytes)\n", Min(ours),
                QFile(platform.pdf).size());
    std::printf("raw fetch of the shift's rows over an open connection: %.0f ms\n", Min(fetch));
    std::printf("shift report / raw fetch: %.2f (target <= 10)\n", Min(ours) / Min(fetch));
    return 0;
}
