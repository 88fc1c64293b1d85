// ordal-plantsim: plays the plant controller against the plant database, for
// the demo and the tests. It writes nothing but the five plant tables.

#include "DateTime.h"
#include "PlantModel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

QString Literal(const QDateTime& t) { return QLatin1Char('\'') + SqlDateTimeText(DateTimeFromQ(t)) + QLatin1Char('\''); }
QString Num(double v) { return QString::number(v, 'f', 3); }
QString Quoted(QString s) { return QLatin1Char('\'') + s.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''); }

void Say(const QString& s) { std::fprintf(stderr, "ordal-plantsim: %s\n", qPrintable(s)); }

class Simulator : public QObject {
public:
    Simulator(QSqlDatabase db, PlantModel& model, bool heartbeat, int intervalMs, qint64 durationS)
        : db_(std::move(db)), model_(model), heartbeat_(heartbeat), durationS_(durationS) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    }

    bool Exec(const QString& sql, QSqlQuery* out = nullptr) {
        QSqlQuery q(db_);
        if (!q.exec(sql)) {
            Say(QStringLiteral("statement failed: %1").arg(q.lastError().text()));
            // A session the server dropped (killed, restarted, timed out: the
            // client's own error codes) is closed, and the next tick connects anew.
            const int code = q.lastError().nativeErrorCode().toInt();
            if (!db_.isOpen() || q.lastError().type() == QSqlError::ConnectionError || code >= 2000 ||
                code == 1053 || code == 1927 || code == 4031)
                db_.close();
            return false;
        }
        if (out)
            *out = std::move(q);
        return true;
    }

    void Journal(const QDateTime& at, const QString& text) {
        if (!text.isEmpty())
            Exec(QStringLiteral("insert into control_log (RecMoment, MessageText) values (%1, %2)")
                     .arg(Literal(at), Quoted(text)));
    }

    bool CreateSchema() {
        QFile f(QStringLiteral(":/schema.sql"));
        if (!f.open(QIODevice::ReadOnly))
            return false;
        QString text;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                text += line + QLatin1Char('\n');
        for (const QString& statement : text.split(QLatin1Char(';')))
            if (!statement.trimmed().isEmpty() && !Exec(statement))
                return false;
        return true;
    }

    void EnsureMinPls(double minPls) {
        QSqlQuery q;
        if (Exec(QStringLiteral("select count(*) from setup where ConstName='MIN_PLS'"), &q) && q.next() &&
            q.value(0).toInt() == 0)
            Exec(QStringLiteral("insert into setup (ConstName, ConstVal, Comment) values ('MIN_PLS', %1, %2)")
                     .arg(Num(minPls), Quoted(QStringLiteral("Плотность, ниже которой секция остановлена, кг/м3"))));
    }

    void Backfill(double hours) {
        const QDateTime now = QDateTime::currentDateTime();
        const qint64 seconds = qint64(hours * 3600);
        const QDateTime start = now.addSecs(-seconds);
        Exec(QStringLiteral("delete from pu_data where RecMoment >= %1").arg(Literal(start)));
        Exec(QStringLiteral("delete from control_log where RecMoment >= %1").arg(Literal(start)));
        Journal(start, QStringLiteral("Секция запущена"));
        QString batch;
        int rows = 0;
        const double original = model_.Values().PLSZ;
        for (qint64 s = 0; s < seconds; ++s) {
            const QDateTime at = start.addSecs(s);
            QStringList journal;
            // A shift's worth of events: a setpoint change and a spell of manual control.
            if (s == seconds / 3)
                journal << model_.TakeDensitySetpoint(original + 30, QStringLiteral("oper@pult"));
            if (s == seconds / 2)
                journal << model_.SetManual(true);
            if (s == seconds / 2 + seconds / 12)
                journal << model_.SetManual(false);
            if (s == 2 * seconds / 3)
                journal << model_.TakeDensitySetpoint(original, QStringLiteral("oper@pult"));
            model_.Step(&journal);
            for (const QString& line : journal)
                Journal(at, line);
            batch += (rows ? QStringLiteral(",") : QString()) + RowValues(at);
            if (++rows == 2000 || s + 1 == seconds) {
                Exec(InsertRows() + batch);
                batch.clear();
                rows = 0;
            }
        }
        Say(QStringLiteral("%1 s of history written").arg(seconds));
    }

    void Start() {
        QSqlQuery q;
        if (Exec(QStringLiteral("select ifnull(max(Id), 0) from control_vector"), &q) && q.next())
            lastCommand_ = q.value(0).toLongLong();
        started_.start();
        Tick();
        timer_.start();
    }

    void Command(const QString& word) {
        const QDateTime now = QDateTime::currentDateTime();
        QString upset;
        if (word.startsWith(QLatin1String("upset ")))
            upset = model_.SetUpset(word.mid(6).trimmed());
        if (!upset.isEmpty())
            Journal(now, upset);
        else if (word == QLatin1String("stop"))
            Journal(now, model_.SetRunning(false));
        else if (word == QLatin1String("start"))
            Journal(now, model_.SetRunning(true));
        else if (word == QLatin1String("manual"))
            Journal(now, model_.SetManual(true));
        else if (word == QLatin1String("auto"))
            Journal(now, model_.SetManual(false));
        else if (word == QLatin1String("mute"))
            heartbeat_ = false;
        else if (word == QLatin1String("beat"))
            heartbeat_ = true;
        else if (word == QLatin1String("ignore"))
            ignoring_ = true;
        else if (word == QLatin1String("heed"))
            ignoring_ = false;
        else if (word == QLatin1String("quit"))
            QCoreApplication::quit();
        else if (!word.isEmpty())
            Say(QStringLiteral("unknown command '%1' (stop, start, manual, auto, mute, beat, ignore, heed, "
                               "upset density|overflow|chatter|clear, quit)")
                    .arg(word));
    }

private:
    static QString InsertRows() {
        return QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) values ");
    }
    QString RowValues(const QDateTime& at) const {
        const PlantValues& v = model_.Values();
        return QStringLiteral("(%1,%2,%3,%4,%5,%6,%7,%8,%9)")
            .arg(Literal(at), Num(v.PLS), Num(v.PLSZ), Num(v.URKS), Num(v.URNS), Num(v.VODA1), Num(v.DSUS),
                 Num(v._PLSZ), Num(v.AR1));
    }

    void Tick() {
        if (durationS_ > 0 && started_.elapsed() >= durationS_ * 1000) {
            QCoreApplication::quit();
            return;
        }
        if (!db_.isOpen() && !db_.open()) {
            Say(QStringLiteral("no connection: %1").arg(db_.lastError().text()));
            return;
        }
        const QDateTime now = QDateTime::currentDateTime();
        // The operator's commands since the last tick.
        QSqlQuery q;
        if (Exec(QStringLiteral("select Id, _PLSZ, _TNZ, UserName from control_vector where Id > %1 order by Id")
                     .arg(lastCommand_),
                 &q)) {
            while (q.next()) {
                lastCommand_ = q.value(0).toLongLong();
                // A controller that ignores the workstation reads the row and
                // goes on with the setpoint it had.
                if (ignoring_)
                    continue;
                if (!q.value(1).isNull())
                    Journal(now, model_.TakeDensitySetpoint(q.value(1).toDouble(), q.value(3).toString()));
                if (!q.value(2).isNull())
                    Journal(now, QStringLiteral("Задание нагрузки: %1 т/ч (%2)")
                                     .arg(q.value(2).toDouble(), 0, 'f', 1)
                                     .arg(q.value(3).toString()));
            }
        }
        QStringList journal;
        model_.Step(&journal);
        for (const QString& line : journal)
            Journal(now, line);
        Exec(InsertRows() + RowValues(now));
        if (heartbeat_) {
            QSqlQuery u;
            if (Exec(QStringLiteral("update last_state set RecMoment = %1").arg(Literal(now)), &u) &&
                u.numRowsAffected() == 0)
                Exec(QStringLiteral("insert into last_state (RecMoment) values (%1)").arg(Literal(now)));
        }
    }

    QSqlDatabase db_;
    PlantModel& model_;
    bool heartbeat_;
    qint64 durationS_;
    qint64 lastCommand_ = 0;
    bool ignoring_ = false;
    QTimer timer_;
    QElapsedTimer started_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("ordal-plantsim"));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Plays the plant controller against the plant database: writes a pu_data record and the last_state "
        "heartbeat every second, journal lines into control_log, and takes the operator's setpoints from "
        "control_vector. It writes nothing but the five plant tables.\n\n"
        "While it runs, it reads commands from its standard input, one a line:\n"
        "  stop | start     stop the plant (density falls below MIN_PLS) or start it again\n"
        "  manual | auto    switch the control mode\n"
        "  mute | beat      stop or resume the heartbeat (the workstation then shows a link failure)\n"
        "  ignore | heed    ignore the operator's setpoints (rows are read, the setpoint stays) or take them again\n"
        "  upset density    the dilution water fails: the density leaves its setpoint\n"
        "  upset overflow   the divider sticks: the conditioned sump fills to overflowing\n"
        "  upset chatter    the unconditioned sump's level hovers at its 90 % alarm limit\n"
        "  upset clear      every upset ends and the plant comes back by itself\n"
        "  quit             end"));
    p.addHelpOption();
    const QCommandLineOption host(QStringLiteral("host"), "Server address (127.0.0.1).", "host", "127.0.0.1");
    const QCommandLineOption port(QStringLiteral("port"), "Server port (3306).", "port", "3306");
    const QCommandLineOption user(QStringLiteral("user"), "Account (ordal).", "user", "ordal");
    const QCommandLineOption password(QStringLiteral("password"), "Password (ordal).", "password", "ordal");
    const QCommandLineOption database(QStringLiteral("database"), "Database (ordalm).", "name", "ordalm");
    const QCommandLineOption create(QStringLiteral("create-schema"), "Create the plant tables when missing.");
    const QCommandLineOption backfill(QStringLiteral("backfill-hours"), "Write this many hours of history first (0).", "hours", "0");
    const QCommandLineOption stopped(QStringLiteral("stopped"), "Start with the plant stopped.");
    const QCommandLineOption manual(QStringLiteral("manual"), "Start in manual mode.");
    const QCommandLineOption noBeat(QStringLiteral("no-heartbeat"), "Start without writing the heartbeat.");
    const QString workingPoint = QString::number(PlantValues::kSetpoint);
    const QCommandLineOption setpoint(QStringLiteral("setpoint"),
                                      QStringLiteral("Initial density setpoint, kg/m3 (%1).").arg(workingPoint),
                                      QStringLiteral("kg/m3"), workingPoint);
    const QCommandLineOption minPls(QStringLiteral("min-pls"), "MIN_PLS written when setup has none (1100).", "kg/m3", "1100");
    const QCommandLineOption duration(QStringLiteral("duration"), "Stop after this many seconds (0: run until quit).", "s", "0");
    const QCommandLineOption interval(QStringLiteral("interval-ms"), "Milliseconds between records (1000).", "ms", "1000");
    const QCommandLineOption seed(QStringLiteral("seed"), "Seed of the plant's noise (1).", "n", "1");
    p.addOptions({host, port, user, password, database, create, backfill, stopped, manual, noBeat, setpoint, minPls,
                  duration, interval, seed});
    p.process(app);

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("plantsim"));
    db.setHostName(p.value(host));
    db.setPort(p.value(port).toInt());
    db.setUserName(p.value(user));
    db.setPassword(p.value(password));
    db.setDatabaseName(p.value(database));
    db.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=3;MYSQL_OPT_READ_TIMEOUT=5;MYSQL_OPT_WRITE_TIMEOUT=5"));
    if (!db.open()) {
        Say(QStringLiteral("cannot connect: %1").arg(db.lastError().text()));
        return 1;
    }

    PlantModel model(p.value(seed).toUInt());
    model.TakeDensitySetpoint(p.value(setpoint).toDouble(), QString());
    Simulator sim(db, model, !p.isSet(noBeat), std::max(50, p.value(interval).toInt()), p.value(duration).toLongLong());
    if (p.isSet(create) && !sim.CreateSchema())
        return 1;
    sim.EnsureMinPls(p.value(minPls).toDouble());
    if (const double h = p.value(backfill).toDouble(); h > 0)
        sim.Backfill(h);
    if (p.isSet(manual))
        sim.Command(QStringLiteral("manual"));
    if (p.isSet(stopped))
        sim.Command(QStringLiteral("stop"));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf - 1);
        if (n <= 0) {
            input.setEnabled(false); // end of input: run on without commands
            return;
        }
        for (const QString& word : QString::fromUtf8(buf, int(n)).split(QLatin1Char('\n')))
            sim.Command(word.trimmed());
    });
    sim.Start();
    return app.exec();
}
