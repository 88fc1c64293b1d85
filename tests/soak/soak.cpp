// The outage soak: the workstation runs offscreen with the scheme shown while
// the plant simulator plays the controller, and for the given time the server
// is stalled (SIGSTOP ... SIGCONT) or killed and restarted at random moments.
// Meanwhile a driver sends a density setpoint every few seconds through the
// real dialog path; the outcome of each is what the operator is shown when
// its answer comes. At the end it prints a table, and fails when
//   - a setpoint reported as sent is not in control_vector exactly once,
//   - one reported as failed is there at all (one reported as unknown may be,
//     once), or one was never answered,
//   - a second setpoint could be sent while one was on its way,
//   - the link circle was shown green while the last heartbeat read was older
//     than 5 s, or red while it was younger than 10 s (by its age at the
//     moments the colour is set: every tick and every answer),
//   - an outage was not followed by live values (a newer record with the link
//     green) within 5 s of the server's return, or no outage happened at all,
//   - a 50-ms timer was ever more than 0.2 s late (the screen never waits for
//     the server, stopped or dead),
//   - resident memory grew more than 10 % after the first minute.
//
// With --replication DIR the workstation is given a primary and its replica
// (tests/fixtures/replication.sh, the simulator writing to the primary), and
// only the primary is killed (for 3 to 18 s) and restarted while the replica
// lives. Then it
// also fails when
//   - the workstation went more than 10 s without a look answered with a
//     record (from either server),
//   - it was not back on the primary within 10 s of the primary's return,
//   - a setpoint reached the replica other than through replication (a row
//     there that the primary does not have).
//
//   ordal-soak --port P --data-dir DIR --fixture tests/fixtures/mariadb.sh --seconds N
//   ordal-soak --replication DIR --fixture tests/fixtures/replication.sh --seconds N
// (tests/soak/run.sh starts the servers and the simulator and runs it.)

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
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <thread>
#include <time.h>

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

// Processor time of the calling thread, ms.
qint64 ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
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
    const QCommandLineOption replicationOpt("replication",
                                            "A primary and a replica (replication.sh's directory).", "dir");
    p.addOptions({portOpt, dirOpt, fixtureOpt, secondsOpt, seedOpt, replicationOpt});
    p.addHelpOption();
    p.process(app);
    QString port = p.value(portOpt), dataDir = p.value(dirOpt);
    const QString fixture = p.value(fixtureOpt);
    const QString replication = p.value(replicationOpt);
    QString replicaPort;
    auto readFile = [](const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().trimmed()) : QString();
    };
    if (!replication.isEmpty()) {
        port = readFile(replication + QStringLiteral("/primary.port"));
        replicaPort = readFile(replication + QStringLiteral("/replica.port"));
        dataDir = replication + QStringLiteral("/primary");
    }
    const QString primaryName = QStringLiteral("127.0.0.1:") + port;
    const QString comp =
        replication.isEmpty() ? primaryName : primaryName + QStringLiteral(",127.0.0.1:") + replicaPort;
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
        ini.write(QStringLiteral("[MySQL]\nLogin=ordal\nComp=%1\nSavePassword=1\nPassword=%2\n")
                      .arg(comp, ScrambleText(s, QStringLiteral("ordal")))
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
    // The connect at start is answered later; the soak starts once it is.
    for (QElapsedTimer t; !main->SQLConnection1->Connected() && (!t.isValid() || t.elapsed() < 15000);) {
        if (!t.isValid())
            t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (!main->SQLConnection1->Connected()) {
        std::fprintf(stderr, "ordal-soak: the workstation did not connect\n");
        return 2;
    }

    QElapsedTimer clock;
    clock.start();

    // The server's state, set by the misfortunes below.
    enum class Down { No, Stopped, Killed } down = Down::No;

    // The event loop's promptness: a 50-ms timer's lateness, overall and
    // while the server is stopped or dead.
    qint64 longestStall = 0, longestStallDown = 0, lastProbe = 0, lastProbeCpu = 0;
    // The longest time without a look answered with a record, and the moment
    // of the last such answer.
    qint64 longestBlind = 0, lastLiveMs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastProbe > 0) {
            const qint64 late = now - lastProbe - 50;
            // Where it happened, for the log, and how much of it the GUI
            // thread was working (the rest it waited for a processor).
            if (late > 50)
                std::fprintf(stderr, "ordal-soak: %7.1f s the event loop was %lld ms late (%lld ms of work)\n",
                             double(now) / 1000.0, late, ThreadCpuMs() - lastProbeCpu);
            longestStall = std::max(longestStall, late);
            longestBlind = std::max(longestBlind, now - lastLiveMs);
            if (down != Down::No)
                longestStallDown = std::max(longestStallDown, late);
        }
        lastProbe = now;
        lastProbeCpu = ThreadCpuMs();
    });
    probe.start();
    // The same measure on a bare thread of this process that does nothing but
    // sleep 50 ms at a time: what the machine alone costs a timer (the soak
    // runs on a shared machine), for comparison.
    std::atomic<bool> quitting{false};
    std::atomic<qint64> longestBare{0};
    std::thread bare([&] {
        QElapsedTimer t;
        t.start();
        while (!quitting) {
            const qint64 before = t.elapsed();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const qint64 late = t.elapsed() - before - 50;
            if (late > longestBare)
                longestBare = late;
        }
    });

    // The circle's colour against the age of the heartbeat it stands for, at
    // the moments it is set: after each tick (this handler runs after the
    // main window's) and after each answer. The colour is set from a clock
    // read a moment before, hence the margin.
    const TDateTime margin = 0.05 * OneSecond;
    int colourChecks = 0, greenWhileStale = 0, redWhileFresh = 0;
    auto checkColour = [&] {
        const TDateTime beat = main->StatePoll->LastHeartbeat();
        if (beat <= 0)
            return; // no heartbeat read yet
        const TDateTime age = Now() - beat;
        const TColor shown = main->ShapeLink->Brush()->GetColor();
        ++colourChecks;
        if (shown == clGreen && age > EncodeTime(0, 0, 5) + margin)
            ++greenWhileStale;
        if (shown == clRed && age < EncodeTime(0, 0, 10) - margin)
            ++redWhileFresh;
    };
    QObject::connect(main->TimerRefreshState, &QTimer::timeout, checkColour);

    // The link circle against the heartbeat it was coloured from, and the
    // resumption of live values after each return of the server. Every outage
    // is counted when the server is back; it counts as resumed only when live
    // values follow before the next outage (or the end), so a workstation that
    // never reconnects fails instead of having nothing measured.
    TDateTime newestRecord = 0;
    qint64 outageEndMs = -1; // the return of the server that live values have not yet followed
    TDateTime recordAtOutage = 0;
    int outages = 0, unresumed = 0;
    QList<qint64> resumptions;
    // With a replica: the primary's returns and the time to be back on it.
    qint64 primaryBackMs = -1;
    int notBack = 0, replicaRefusals = 0;
    QList<qint64> backOnPrimary;
    QObject::connect(main->StatePoll, &TStatePoll::Polled, [&] {
        if (primaryBackMs >= 0 && main->SQLConnection1->Server() == primaryName) {
            backOnPrimary << clock.elapsed() - primaryBackMs;
            primaryBackMs = -1;
        }
    });
    QObject::connect(main->StatePoll, &TStatePoll::Polled,
                     [&](const TLastData& record, bool hasRecord, TColor link, bool failed) {
                         checkColour();
                         if (!hasRecord)
                             return;
                         // (A failed look keeps the last record on the screen
                         // for a while: that is no live value.)
                         if (!failed)
                             lastLiveMs = clock.elapsed();
                         newestRecord = std::max(newestRecord, record.RecMoment);
                         if (outageEndMs >= 0 && record.RecMoment > recordAtOutage && link == clGreen) {
                             resumptions << clock.elapsed() - outageEndMs;
                             outageEndMs = -1;
                         }
                     });

    // The setpoints, each value used once. A setpoint is sent and answered
    // later: its outcome is what the operator is shown when the answer comes
    // (nothing: sent; a box: failed, or unknown when the answer was lost).
    std::map<int, Outcome> sent; // tenths above 1600 -> outcome
    int next = 1, skipped = 0, secondSends = 0, answeredSetpoints = 0;
    int pendingK = -1, pendingMessages = 0;
    qint64 pendingSince = 0, longestAnswer = 0;
    QTimer driver;
    driver.setSingleShot(true);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        driver.start(2000 + int(rng.bounded(2000)));
        if (main->SetpointSending()) {
            // The operator tries again while the last one is on its way: the
            // command must not be offered.
            const int dialogsBefore = platform.dialogs;
            main->ActionSetPLSZExecute();
            secondSends += platform.dialogs != dialogsBefore;
            return;
        }
        const int k = next++ % 4990 + 1;
        platform.nextValue = QString::number(1600.0 + k / 10.0, 'f', 1);
        const int dialogsBefore = platform.dialogs;
        const int messagesBefore = int(platform.messages.size());
        main->ActionSetPLSZExecute();
        if (platform.dialogs == dialogsBefore) {
            ++skipped; // not connected: the command is not offered
        } else if (main->SetpointSending()) {
            pendingK = k;
            pendingMessages = messagesBefore;
            pendingSince = clock.elapsed();
        } else {
            sent[k] = Outcome::Failed; // refused before sending (never, with these values)
        }
    });
    driver.start(1000);
    QTimer answers;
    answers.setInterval(10);
    QObject::connect(&answers, &QTimer::timeout, [&] {
        if (pendingK < 0 || main->SetpointSending())
            return;
        ++answeredSetpoints;
        longestAnswer = std::max(longestAnswer, clock.elapsed() - pendingSince);
        if (platform.messages.size() > pendingMessages &&
            platform.messages.last().contains(QStringLiteral("только для чтения: задание не отправлено")))
            ++replicaRefusals;
        if (platform.messages.size() == pendingMessages)
            sent[pendingK] = Outcome::Sent;
        else
            sent[pendingK] =
                platform.messages.last().startsWith(kSetpointUnknown) ? Outcome::Unknown : Outcome::Failed;
        pendingK = -1;
    });
    answers.start();

    // The server's misfortunes.
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
        if (!replication.isEmpty()) {
            if (primaryBackMs >= 0)
                ++notBack;
            primaryBackMs = clock.elapsed();
        }
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
        if (replication.isEmpty() && rng.bounded(2) == 0) {
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
            // A primary stays down longer than the link's 10 s at times:
            // only the replica can then keep the values coming.
            const int downMs = replication.isEmpty() ? 1000 + int(rng.bounded(4000)) : 3000 + int(rng.bounded(15000));
            QTimer::singleShot(downMs, [&] {
                say("restarting the server");
                if (replication.isEmpty())
                    restarter.start(QStringLiteral("bash"),
                                    {fixture, QStringLiteral("start"), dataDir, port});
                else
                    restarter.start(QStringLiteral("bash"),
                                    {fixture, QStringLiteral("primary-start"), replication});
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
        // After the last resumption and the last setpoint's answer; exit, not
        // quit: quit would ask the frame whether it may close, and the frame
        // asks the operator.
        QTimer::singleShot(6000, &app, [&app] { app.exit(0); });
    });
    end.start(int(seconds * 1000));
    app.exec();
    quitting = true;
    bare.join();
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
    // With a replica: its rows that the primary does not have, once it has
    // caught up (rows it has are the primary's, replicated).
    int onReplicaOnly = -1;
    if (!replication.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("soak_replica"));
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(replicaPort.toInt());
        db.setUserName(QStringLiteral("ordal"));
        db.setPassword(QStringLiteral("ordal"));
        db.setDatabaseName(QStringLiteral("ordalm"));
        if (db.open()) {
            int primaryRows = 0;
            for (const auto& [k, n] : stored)
                primaryRows += n;
            for (int attempt = 0; attempt < 50; ++attempt) {
                std::map<int, int> replica;
                QSqlQuery q(db);
                q.exec(QStringLiteral("select round((_PLSZ - 1600) * 10), count(*) from control_vector "
                                      "where _PLSZ is not null group by 1"));
                int rows = 0;
                while (q.next()) {
                    replica[q.value(0).toInt()] = q.value(1).toInt();
                    rows += q.value(1).toInt();
                }
                onReplicaOnly = 0;
                for (const auto& [k, n] : replica)
                    onReplicaOnly += std::max(0, n - (stored.count(k) ? stored[k] : 0));
                if (rows >= primaryRows)
                    break;
                QThread::msleep(200);
            }
        }
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
    const qint64 stallLimit = 200;
    const double growth = rssAfterMinute > 0 ? double(rssEnd) / double(rssAfterMinute) : 1.0;
    const bool unanswered = pendingK >= 0;
    if (primaryBackMs >= 0)
        ++notBack;
    const qint64 worstBack =
        backOnPrimary.isEmpty() ? 0 : *std::max_element(backOnPrimary.begin(), backOnPrimary.end());
    const bool replicaOk = replication.isEmpty() || (longestBlind <= 10000 && notBack == 0 &&
                                                     worstBack <= 10000 && onReplicaOnly == 0);

    // The table: what was measured, its limit, and whether it held.
    std::printf("soak: %lld s, %d stalls and %d kills of the %s\n", seconds, stalls, kills,
                replication.isEmpty() ? "server" : "primary (the replica living)");
    std::printf("%-62s %18s %14s  %s\n", "measure", "value", "limit", "");
    auto row = [](const char* what, const QString& value, const QString& limit, bool ok) {
        std::printf("%-62s %18s %14s  %s\n", what, qPrintable(value), qPrintable(limit), ok ? "ok" : "FAILED");
    };
    auto info = [](const char* what, const QString& value) {
        std::printf("%-62s %18s\n", what, qPrintable(value));
    };
    row("outages of the server (stopped or killed, then back)", QString::number(outages), ">= 1", outages > 0);
    row("longest lateness of a 50-ms timer, ms", QString::number(longestStall), "<= 200",
        longestStall <= stallLimit);
    info("  of which while the server was stopped or dead, ms", QString::number(longestStallDown));
    info("  the same on a bare sleeping thread (the machine's own noise), ms", QString::number(longestBare));
    row("link green while the heartbeat was older than 5 s", QString::number(greenWhileStale), "0",
        greenWhileStale == 0);
    row("link red while the heartbeat was younger than 10 s", QString::number(redWhileFresh), "0",
        redWhileFresh == 0);
    info("  colour checks (every tick and every answer)", QString::number(colourChecks));
    row("setpoints reported sent, stored exactly once",
        QStringLiteral("%1 of %2").arg(sentStored).arg(nSent), "all", sentStored == nSent && lost == 0);
    row("setpoints stored more than once", QString::number(duplicates), "0", duplicates == 0);
    row("setpoints reported failed, stored", QStringLiteral("%1 of %2").arg(failedStored).arg(nFailed), "0",
        failedStored == 0);
    info("setpoints of unknown outcome (answer lost), stored",
         QStringLiteral("%1 of %2").arg(unknownStored).arg(nUnknown));
    row("setpoints sent and never answered", QString::number(unanswered ? 1 : 0), "0", !unanswered);
    row("second setpoint offered while one was on its way", QString::number(secondSends), "0", secondSends == 0);
    info("  setpoints answered / longest time to the answer, ms",
         QStringLiteral("%1 / %2").arg(answeredSetpoints).arg(longestAnswer));
    info("  setpoints not offered while disconnected", QString::number(skipped));
    row("outages followed by live values", QStringLiteral("%1 of %2").arg(resumptions.size()).arg(outages),
        "all", outages > 0 && unresumed == 0 && resumptions.size() == outages);
    row("live values back after the server's return, worst ms", QString::number(worstResume), "<= 5000",
        worstResume <= 5000);
    row("resident memory growth after the first minute, %", QString::number((growth - 1) * 100, 'f', 1), "<= 10",
        rssAfterMinute == 0 || growth <= 1.10);
    info("  resident memory after the first minute / at the end, kB",
         QStringLiteral("%1 / %2").arg(rssAfterMinute).arg(rssEnd));
    if (!replication.isEmpty()) {
        row("longest time without live values (a look with a record), ms", QString::number(longestBlind),
            "<= 10000", longestBlind <= 10000);
        row("back on the primary after its return, worst ms", QString::number(worstBack), "<= 10000",
            notBack == 0 && worstBack <= 10000);
        info("  returns of the primary not followed by the move back", QString::number(notBack));
        row("setpoints stored on the replica only", QString::number(onReplicaOnly), "0", onReplicaOnly == 0);
        info("  setpoints refused on the replica (read-only)", QString::number(replicaRefusals));
    }
    const bool resumedEvery = outages > 0 && unresumed == 0 && resumptions.size() == outages && worstResume <= 5000;
    if (outages == 0)
        std::printf("no outage happened: nothing was tried (run it longer)\n");
    const bool ok = lost == 0 && duplicates == 0 && failedStored == 0 && !unanswered && secondSends == 0 &&
                    greenWhileStale == 0 && redWhileFresh == 0 && resumedEvery &&
                    longestStall <= stallLimit && (rssAfterMinute == 0 || growth <= 1.10) && replicaOk;
    std::printf("soak %s\n", ok ? "passed" : "FAILED");
    main->ExitConfirmed = true;
    delete main;
    DestroyForms();
    SetPlatform(nullptr);
    return ok ? 0 : 1;
}
