// The outage soak: the workstation runs offscreen with the scheme shown while
// the plant simulator plays the controller, and for the given time the server
// is stalled (SIGSTOP ... SIGCONT) or killed and restarted at random moments.
// Meanwhile a driver sends a density setpoint every few seconds through the
// real dialog path. At the end it reports, and fails when
//   - a setpoint reported as sent is not in control_vector exactly once,
//   - one reported as failed is there at all (one reported as unknown may be,
//     once),
//   - the link circle was green while the last heartbeat read was older than 5 s,
//   - an outage was not followed by live values (a newer record with the link
//     green) within 5 s of the server's return, or no outage happened at all,
//   - the event loop stalled longer than a connect and a read timeout together,
//   - resident memory grew more than 10 % after the first minute.
//
//   ordal-soak --port P --data-dir DIR --fixture tests/fixtures/mariadb.sh --seconds N
// (tests/soak/run.sh starts the server and the simulator and runs it.)

#include "Forms.h"
#include "Inputnewset.h"
#include "Main.h"
#include "Mnemo.h"
#include "NumText.h"
#include "Platform.h"
#include "Vmcrypt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <map>

namespace {

qint64 ResidentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Answers the setpoint dialog with the value of the moment and records the
// message box that follows, as an operator at the desk would see it.
class SoakPlatform : public Platform {
public:
    QString nextValue;
    QStringList messages;
    int dialogs = 0;
    void Beep() override {}
    QMessageBox::StandardButton MessageBox(const QString& text, const QString&, QMessageBox::Icon,
                                           QMessageBox::StandardButtons,
                                           QMessageBox::StandardButton def) override {
        messages << text;
        return def == QMessageBox::NoButton ? QMessageBox::Ok : def;
    }
    int ExecDialog(QDialog& d) override {
        ++dialogs;
        if (auto* input = qobject_cast<TFormInputNewSet*>(&d)) {
            input->EditInput->setText(nextValue);
            return QDialog::Accepted;
        }
        return QDialog::Rejected;
    }
    bool ChooseColor(TColor&, QWidget*) override { return false; }
    bool ChooseFont(QFont&, TColor&, QWidget*) override { return false; }
    bool ShutdownComputer() override { return false; } // never, whatever the configuration says
};

enum class Outcome { Sent, Failed, Unknown };

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser p;
    const QCommandLineOption portOpt("port", "Server port.", "port");
    const QCommandLineOption dirOpt("data-dir", "The server's data directory (mysqld.pid).", "dir");
    const QCommandLineOption fixtureOpt("fixture", "The server start/stop script.", "path");
    const QCommandLineOption secondsOpt("seconds", "How long (600).", "s", "600");
    const QCommandLineOption seedOpt("seed", "Seed of the random moments (1).", "n", "1");
    p.addOptions({portOpt, dirOpt, fixtureOpt, secondsOpt, seedOpt});
    p.addHelpOption();
    p.process(app);
    const QString port = p.value(portOpt), dataDir = p.value(dirOpt), fixture = p.value(fixtureOpt);
    const qint64 seconds = p.value(secondsOpt).toLongLong();
    QRandomGenerator rng(p.value(seedOpt).toUInt());

    auto serverPid = [&]() -> pid_t {
        QFile f(dataDir + QStringLiteral("/mysqld.pid"));
        return f.open(QIODevice::ReadOnly) ? pid_t(f.readAll().trimmed().toLongLong()) : 0;
    };

    QTemporaryDir dir;
    {
        ScramblerState s(7);
        QFile ini(dir.path() + QStringLiteral("/ordal.INI"));
        if (!ini.open(QIODevice::WriteOnly))
            return 2;
        ini.write(QStringLiteral("[MySQL]\nLogin=ordal\nComp=127.0.0.1:%1\nSavePassword=1\nPassword=%2\n")
                      .arg(port, ScrambleText(s, QStringLiteral("ordal")))
                      .toUtf8());
    }
    SoakPlatform platform;
    SetPlatform(&platform);
    SetDecimalSeparator(QLatin1Char('.'));
    auto* main = new TFormMain(dir.path() + QStringLiteral("/ordal"));
    CreateForms();
    main->resize(1366, 768);
    main->show();
    main->ActionMnemo->trigger(); // the scheme in front, painting every tick
    if (!main->SQLConnection1->Connected()) {
        std::fprintf(stderr, "ordal-soak: the workstation did not connect\n");
        return 2;
    }

    QElapsedTimer clock;
    clock.start();

    // The event loop's promptness: a 50-ms timer's lateness.
    qint64 longestStall = 0, lastProbe = 0;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastProbe > 0)
            longestStall = std::max(longestStall, now - lastProbe - 50);
        lastProbe = now;
    });
    probe.start();

    // The link circle against the heartbeat it was coloured from, and the
    // resumption of live values after each return of the server. Every outage
    // is counted when the server is back; it counts as resumed only when live
    // values follow before the next outage (or the end), so a workstation that
    // never reconnects fails instead of having nothing measured.
    int greenWhileStale = 0;
    TDateTime newestRecord = 0;
    qint64 outageEndMs = -1; // the return of the server that live values have not yet followed
    TDateTime recordAtOutage = 0;
    int outages = 0, unresumed = 0;
    QList<qint64> resumptions;
    QObject::connect(main->StatePoll, &TStatePoll::Polled,
                     [&](const TLastData& record, bool hasRecord, TColor link, bool) {
                         if (link == clGreen && Now() - main->StatePoll->LastHeartbeat() > EncodeTime(0, 0, 5))
                             ++greenWhileStale;
                         if (!hasRecord)
                             return;
                         newestRecord = std::max(newestRecord, record.RecMoment);
                         if (outageEndMs >= 0 && record.RecMoment > recordAtOutage && link == clGreen) {
                             resumptions << clock.elapsed() - outageEndMs;
                             outageEndMs = -1;
                         }
                     });

    // The setpoints, each value used once.
    std::map<int, Outcome> sent; // tenths above 1600 -> outcome
    int next = 1, skipped = 0;
    QTimer driver;
    driver.setSingleShot(true);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        const int k = next++ % 4990 + 1;
        platform.nextValue = QString::number(1600.0 + k / 10.0, 'f', 1);
        const int dialogsBefore = platform.dialogs;
        const int messagesBefore = int(platform.messages.size());
        main->ActionSetPLSZExecute();
        if (platform.dialogs == dialogsBefore) {
            ++skipped; // not connected: the command is not offered
        } else if (platform.messages.size() == messagesBefore) {
            sent[k] = Outcome::Sent;
        } else {
            sent[k] = platform.messages.last().startsWith(kSetpointUnknown) ? Outcome::Unknown : Outcome::Failed;
        }
        driver.start(2000 + int(rng.bounded(2000)));
    });
    driver.start(1000);

    // The server's misfortunes.
    enum class Down { No, Stopped, Killed } down = Down::No;
    int stalls = 0, kills = 0;
    QProcess restarter;
    QTimer chaos;
    chaos.setSingleShot(true);
    auto say = [&](const char* what) {
        std::fprintf(stderr, "ordal-soak: %7.1f s %s\n", double(clock.elapsed()) / 1000.0, what);
    };
    auto back = [&] {
        say("server back");
        down = Down::No;
        ++outages;
        outageEndMs = clock.elapsed();
        recordAtOutage = newestRecord;
        if (clock.elapsed() < seconds * 1000)
            chaos.start(8000 + int(rng.bounded(20000)));
    };
    QObject::connect(&restarter, &QProcess::finished, [&](int code) {
        if (code != 0)
            std::fprintf(stderr, "ordal-soak: restarting the server failed\n");
        back();
    });
    QObject::connect(&chaos, &QTimer::timeout, [&] {
        const pid_t pid = serverPid();
        if (pid <= 0) {
            chaos.start(1000);
            return;
        }
        if (outageEndMs >= 0) { // the last return was never followed by live values
            say("live values did not resume after the last outage");
            ++unresumed;
            outageEndMs = -1;
        }
        if (rng.bounded(2) == 0) {
            say("server stopped");
            ::kill(pid, SIGSTOP);
            down = Down::Stopped;
            ++stalls;
            QTimer::singleShot(2000 + int(rng.bounded(10000)), [&, pid] {
                ::kill(pid, SIGCONT);
                back();
            });
        } else {
            say("server killed");
            ::kill(pid, SIGKILL);
            down = Down::Killed;
            ++kills;
            QTimer::singleShot(1000 + int(rng.bounded(4000)), [&] {
                say("restarting the server");
                restarter.start(QStringLiteral("bash"), {fixture, QStringLiteral("start"), dataDir, port});
            });
        }
    });
    chaos.start(10000);

    qint64 rssAfterMinute = 0;
    QTimer::singleShot(60000, [&] { rssAfterMinute = ResidentKb(); });
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, [&] {
        chaos.stop();
        say("time is up");
        if (down != Down::No) { // let the last outage end first
            end.start(500);
            return;
        }
        driver.stop();
        // After the last resumption; exit, not quit: quit would ask the frame
        // whether it may close, and the frame asks the operator.
        QTimer::singleShot(6000, &app, [&app] { app.exit(0); });
    });
    end.start(int(seconds * 1000));
    app.exec();
    const qint64 rssEnd = ResidentKb();
    if (outageEndMs >= 0)
        ++unresumed; // the run ended more than the limit after the last return

    // What reached control_vector.
    std::map<int, int> stored;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("soak_check"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port.toInt());
        db.setUserName(QStringLiteral("ordal"));
        db.setPassword(QStringLiteral("ordal"));
        db.setDatabaseName(QStringLiteral("ordalm"));
        if (!db.open()) {
            std::fprintf(stderr, "ordal-soak: cannot read control_vector\n");
            return 2;
        }
        QSqlQuery q(db);
        q.exec(QStringLiteral("select round((_PLSZ - 1600) * 10), count(*) from control_vector "
                              "where _PLSZ is not null group by 1"));
        while (q.next())
            stored[q.value(0).toInt()] = q.value(1).toInt();
    }
    int nSent = 0, nFailed = 0, nUnknown = 0, sentStored = 0, lost = 0, duplicates = 0, failedStored = 0,
        unknownStored = 0;
    for (const auto& [k, outcome] : sent) {
        const int n = stored.count(k) ? stored[k] : 0;
        duplicates += n > 1;
        switch (outcome) {
        case Outcome::Sent:
            ++nSent;
            sentStored += n == 1;
            lost += n == 0;
            break;
        case Outcome::Failed:
            ++nFailed;
            failedStored += n > 0;
            break;
        case Outcome::Unknown:
            ++nUnknown;
            unknownStored += n > 0;
            break;
        }
    }
    const qint64 worstResume = resumptions.isEmpty() ? 0 : *std::max_element(resumptions.begin(), resumptions.end());
    const qint64 stallLimit = (TSQLConnection::kConnectTimeout + TSQLConnection::kReadTimeout + 1) * 1000;
    const double growth = rssAfterMinute > 0 ? double(rssEnd) / double(rssAfterMinute) : 1.0;

    std::printf("soak: %lld s, %d stalls and %d kills of the server\n", seconds, stalls, kills);
    std::printf("setpoints: %d reported sent (%d stored once, %d lost), %d reported failed (%d stored), "
                "%d unknown (%d stored), %d duplicates, %d not offered while disconnected\n",
                nSent, sentStored, lost, nFailed, failedStored, nUnknown, unknownStored, duplicates, skipped);
    std::printf("link green while the last heartbeat read was older than 5 s: %d times\n", greenWhileStale);
    std::printf("live values followed %lld of %d outages (%d never), at most %lld ms after the server's return "
                "(limit 5000)\n",
                qint64(resumptions.size()), outages, unresumed, worstResume);
    std::printf("longest event-loop stall: %lld ms (limit %lld)\n", longestStall, stallLimit);
    std::printf("resident memory: %lld kB after the first minute, %lld kB at the end (growth %.1f %%, limit 10 %%)\n",
                rssAfterMinute, rssEnd, (growth - 1) * 100);
    const bool resumedEvery = outages > 0 && unresumed == 0 && resumptions.size() == outages && worstResume <= 5000;
    if (outages == 0)
        std::printf("no outage happened: nothing was tried (run it longer)\n");
    const bool ok = lost == 0 && duplicates == 0 && failedStored == 0 && greenWhileStale == 0 && resumedEvery &&
                    longestStall <= stallLimit && (rssAfterMinute == 0 || growth <= 1.10);
    std::printf("soak %s\n", ok ? "passed" : "FAILED");
    main->ExitConfirmed = true;
    delete main;
    DestroyForms();
    SetPlatform(nullptr);
    return ok ? 0 : 1;
}
