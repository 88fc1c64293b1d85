// The cold start: from the start of the workstation's process to the first
// painted frame of the live scheme showing the newest record from the server,
// against a bare Qt window's start to its first frame with one connect and
// one "select 1" (bench_bare_start). Target: <= 1.5.
//   bench_start ORDAL BARE PORT   (run through bench/run_start.sh, which starts
//                                 the server and the plant simulator)
// The workstation runs from a copy in a temporary directory, with its own
// ordal.INI there; ORDAL_REPORT_FIRST_FRAME makes it bring the scheme forward
// at once and print "first frame" when that frame is painted, then end.

#include "Vmcrypt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds from the process's start to its "first frame" line; -1 when it
// never came.
double TimeToFirstFrame(const QString& program, const QStringList& args, const QString& workDir) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORDAL_REPORT_FIRST_FRAME"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    double ms = -1;
    QByteArray out;
    while (ms < 0 && t.elapsed() < 60000 && p.state() != QProcess::NotRunning) {
        if (!p.waitForReadyRead(100))
            continue;
        out += p.readAllStandardOutput();
        if (out.contains("first frame\n"))
            ms = double(t.nsecsElapsed()) / 1e6;
    }
    if (ms < 0) {
        p.kill();
        std::fprintf(stderr, "%s: no first frame (output: %s)\n", qPrintable(program), out.constData());
    }
    p.waitForFinished(10000);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_start ORDAL BARE PORT (see bench/run_start.sh)\n");
        return 2;
    }
    const QString ordal = QString::fromLocal8Bit(argv[1]), bare = QString::fromLocal8Bit(argv[2]),
                  port = QString::fromLocal8Bit(argv[3]);
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("ordal"));
    if (!QFile::copy(ordal, exe)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(ordal));
        return 2;
    }
    {
        ScramblerState s(5);
        QFile ini(dir.filePath(QStringLiteral("ordal.INI")));
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[main]\nFirstChangeStart=7\nShutdownOnExit=0\n[MySQL]\nLogin=ordal\n"
                                 "Comp=127.0.0.1:%1\nSavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, QStringLiteral("ordal")))
                      .toUtf8());
    }
    // One untimed run each: the files are in the page cache for both alike.
    if (TimeToFirstFrame(exe, {}, dir.path()) < 0 || TimeToFirstFrame(bare, {port}, dir.path()) < 0)
        return 1;
    // Rounds interleave the two, so that a busy machine slows both alike; the
    // fastest round of each counts (other work only ever adds time).
    std::vector<double> cold, baseline;
    for (int r = 0; r < 9; ++r) {
        baseline.push_back(TimeToFirstFrame(bare, {port}, dir.path()));
        cold.push_back(TimeToFirstFrame(exe, {}, dir.path()));
        if (cold.back() < 0 || baseline.back() < 0)
            return 1;
    }
    std::printf("workstation, start to the scheme's first frame with server values: %.0f ms (median %.0f)\n",
                Min(cold), Median(cold));
    std::printf("bare Qt window, start to its first frame with one connect and one select 1: %.0f ms (median %.0f)\n",
                Min(baseline), Median(baseline));
    std::printf("cold start / bare start: %.2f (target <= 1.5)\n", Min(cold) / Min(baseline));
    return 0;
}
