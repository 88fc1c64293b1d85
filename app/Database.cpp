#include "Database.h"

#include "Global.h"
#include "Log.h"
#include "Platform.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QEventLoop>
#include <QThread>
#include <memory>
#include <atomic>
#include <charconv>
#include <cmath>

// The client library's own interface: rows are read straight from it (the
// driver's per-value conversion would cost more than the fetch itself), and
// the read timeout of a session is changed per statement through its I/O layer.
#include <mysql.h>
#include <ma_pvio.h>

// ---------------------------------------------------------------------------
// Statements

namespace Sql {
const QString LastState = QStringLiteral("select * from last_state");
const QString MaxTime = QStringLiteral("select max(RecMoment) MaxTime from pu_data");
const QString LastData = QStringLiteral("select * from pu_data order by RecMoment DESC LIMIT 0,1");
const QString MinPLS = QStringLiteral("select ifnull(ConstVal,0) as rez  from setup where ConstName='MIN_PLS'");
const QString JournalLastTime = QStringLiteral("select max(RecMoment) Rez from control_log");
const QString Constants = QStringLiteral("select * from setup order by ConstName");

QString TrendRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from pu_data") + RangeClause(start, stop) + QStringLiteral(" order by RecMoment");
}
QString BrowserRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from pu_data ") + RangeClause(start, stop) + QStringLiteral(" ORDER BY RecMoment");
}
QString JournalRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from control_log\r\n") + RangeClause(start, stop) +
           QStringLiteral(" order by RecMoment");
}

QString InsertCommand(const QString& column) {
    return QStringLiteral("insert into control_vector\r\n( RecMoment, UserName, %1 )\r\nVALUES ( Now(), USER(), ? ) ")
        .arg(column);
}
const QString InsertConstant = QStringLiteral("insert into setup (ConstName, ConstVal, Comment) values (?, ?, ?)");
// "<=>" matches a NULL value read as NULL.
const QString UpdateConstant = QStringLiteral("update setup set ConstName = ?, ConstVal = ?, Comment = ? "
                                              "where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
const QString FindConstant =
    QStringLiteral("select 1 from setup where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
const QString DeleteConstant =
    QStringLiteral("delete from setup where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
} // namespace Sql

// ---------------------------------------------------------------------------
// Errors

bool IsConnectionLostError(int code) {
    switch (code) {
    case 1053: // server shutdown in progress
    case 1927: // connection killed
    case 2002: // cannot connect through socket
    case 2003: // cannot connect to the server
    case 2006: // server has gone away
    case 2013: // lost connection during query
    case 2055: // lost connection, system error
    case 4031: // disconnected by the server after inactivity
        return true;
    default:
        return false;
    }
}

namespace {
int NativeCode(const QSqlError& e) { return e.nativeErrorCode().toInt(); }
QString ErrorText(const QSqlError& e) {
    const QString t = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return t.isEmpty() ? QStringLiteral("Ошибка базы данных") : t;
}

MYSQL* Handle(const QSqlDatabase& db) {
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    // Qt 5 names the type "MYSQL*", Qt 6 by its struct.
    if (!v.isValid() || (qstrcmp(v.typeName(), "MYSQL*") != 0 && qstrcmp(v.typeName(), "st_mysql*") != 0))
        return nullptr;
    return *static_cast<MYSQL* const*>(v.constData());
}

TResultTable::Type TypeOf(enum_field_types t) {
    switch (t) {
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_YEAR:
    case MYSQL_TYPE_BIT:
        return TResultTable::Type::Number;
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_NEWDATE:
    case MYSQL_TYPE_TIMESTAMP2:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIME2:
        return TResultTable::Type::DateTime;
    default:
        return TResultTable::Type::Text;
    }
}

// A run of digits of exactly n characters at p.
bool Digits(const char* p, const char* end, int n, int& value) {
    if (end - p < n)
        return false;
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}
} // namespace

bool ParseSqlDateTime(const char* text, size_t length, TDateTime& result) {
    const char* p = text;
    const char* end = text + length;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    double fraction = 0;
    const bool hasDate = length >= 10 && p[4] == '-' && p[7] == '-';
    TDateTime date = 0;
    if (hasDate) {
        if (!Digits(p, end, 4, y) || !Digits(p + 5, end, 2, mo) || !Digits(p + 8, end, 2, d))
            return false;
        p += 10;
        if (y == 0 && mo == 0 && d == 0) {
            date = 0; // the zero date
        } else {
            if (mo < 1 || mo > 12 || d < 1 || d > QDate(y, mo, 1).daysInMonth())
                return false;
            date = EncodeDate(y, mo, d);
        }
        if (p == end) {
            result = date;
            return true;
        }
        if (*p != ' ' && *p != 'T')
            return false;
        ++p;
    }
    if (!Digits(p, end, 2, h) || end - p < 8 || p[2] != ':' || !Digits(p + 3, end, 2, mi) || p[5] != ':' ||
        !Digits(p + 6, end, 2, s))
        return false;
    p += 8;
    if (p < end && *p == '.') {
        double scale = 0.1;
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, scale /= 10)
            fraction += (*p - '0') * scale;
    }
    if (p != end || mi > 59 || s > 59)
        return false;
    const TDateTime time = (h * 3600.0 + mi * 60.0 + s + fraction) / kSecondsPerDay;
    result = date + time;
    return true;
}

// ---------------------------------------------------------------------------
// The result table

void TResultTable::Clear() {
    columns_.clear();
    rows_ = 0;
}

void TResultTable::AddColumn(const QString& name, Type type) {
    Column c;
    c.name = name;
    c.type = type;
    columns_.push_back(std::move(c));
}

void TResultTable::AppendRow(const std::vector<std::pair<const char*, size_t>>& cells) {
    for (size_t i = 0; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        const char* v = i < cells.size() ? cells[i].first : nullptr;
        const size_t n = i < cells.size() ? cells[i].second : 0;
        c.null.push_back(v == nullptr);
        switch (c.type) {
        case Type::Number: {
            double x = 0;
            if (v) {
                const auto r = std::from_chars(v, v + n, x);
                if (r.ec != std::errc())
                    x = 0;
            }
            c.number.push_back(x);
            break;
        }
        case Type::DateTime: {
            TDateTime t = 0;
            if (v && !ParseSqlDateTime(v, n, t))
                t = 0;
            c.number.push_back(t);
            break;
        }
        case Type::Text:
            c.text.append(v ? QString::fromUtf8(v, qsizetype(n)) : QString());
            break;
        }
    }
    ++rows_;
}

int TResultTable::ColumnIndex(const QString& name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

double TResultTable::Number(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.type != Type::Text)
        return col.number[size_t(row)];
    bool ok = false;
    const double x = col.text[row].trimmed().toDouble(&ok);
    return ok ? x : 0.0;
}

QString TResultTable::Text(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.null[size_t(row)])
        return QString();
    switch (col.type) {
    case Type::Text:
        return col.text[row];
    case Type::DateTime:
        return SqlDateTimeText(col.number[size_t(row)]);
    case Type::Number:
        break;
    }
    return QString::number(col.number[size_t(row)], 'g', 17);
}

QVariant TResultTable::Value(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.null[size_t(row)])
        return QVariant();
    switch (col.type) {
    case Type::Number:
        return col.number[size_t(row)];
    case Type::DateTime:
        return DateTimeToQ(col.number[size_t(row)]);
    case Type::Text:
        break;
    }
    return col.text[row];
}

// ---------------------------------------------------------------------------
// The connection

TSQLConnection::TSQLConnection(QObject* parent) : QObject(parent) {
    static std::atomic<int> counter{0};
    qtName_ = QStringLiteral("ordal_connection_%1").arg(++counter);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), qtName_);
}

TSQLConnection::~TSQLConnection() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(qtName_);
}

QString TSQLConnection::Param(const QString& name) const {
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : Params)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

void TSQLConnection::OpenPhysical() {
    if (!db_.isValid())
        throw EDatabaseError(QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"));
    QString host = Param(QStringLiteral("HostName"));
    int port = 3306;
    const int colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && !host.contains(QLatin1Char(']')) && host.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        const int p = host.mid(colon + 1).toInt(&ok);
        if (ok && p > 0 && p < 65536) {
            port = p;
            host = host.left(colon);
        }
    }
    db_.setHostName(host);
    db_.setPort(port);
    db_.setDatabaseName(Param(QStringLiteral("Database")));
    db_.setUserName(Param(QStringLiteral("User_Name")));
    db_.setPassword(Param(QStringLiteral("Password")));
    db_.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=%2;"
                                         "MYSQL_OPT_WRITE_TIMEOUT=%3")
                              .arg(kConnectTimeout)
                              .arg(kReadTimeout)
                              .arg(kWriteTimeout));
    if (!db_.open()) {
        const QSqlError e = db_.lastError();
        throw EDatabaseError(ErrorText(e), NativeCode(e));
    }
}

void TSQLConnection::Open() {
    if (Connected())
        return;
    db_.close();
    OpenPhysical();
    lost_ = false;
    reconnectTried_ = false;
    Q_EMIT ConnectionChanged();
    if (AfterConnect)
        AfterConnect();
}

void TSQLConnection::Close() {
    const bool was = db_.isOpen() || lost_;
    db_.close();
    lost_ = false;
    reconnectTried_ = false;
    if (was)
        Q_EMIT ConnectionChanged();
}

void TSQLConnection::MarkLost() {
    if (lost_)
        return;
    qCWarning(lcOrdal) << "database connection lost";
    lost_ = true;
    db_.close();
    Q_EMIT ConnectionChanged();
}

void TSQLConnection::Recover() {
    db_.close();
    OpenPhysical();
    qCInfo(lcOrdal) << "database connection reopened";
    lost_ = false;
    reconnectTried_ = false;
    Q_EMIT ConnectionChanged();
    if (AfterConnect)
        AfterConnect();
}

void TSQLConnection::EnsureOpen() {
    if (Connected())
        return;
    if (!lost_) {
        Open();
        return;
    }
    // A dead server costs one connect timeout per interval, not one per statement.
    const quint64 now = Plat().TickCountMs();
    if (reconnectTried_ && now - lastReconnectMs_ < kReconnectIntervalMs)
        throw EDatabaseError(QStringLiteral("Нет связи с сервером базы данных"), 2006);
    reconnectTried_ = true;
    lastReconnectMs_ = now;
    Recover();
}

void TSQLConnection::Fail(const QString& text, int code, bool maybeExecuted) {
    if (IsConnectionLostError(code))
        MarkLost();
    throw EDatabaseError(text, code, maybeExecuted);
}

void TSQLConnection::SetReadTimeout(int seconds) {
    MYSQL* m = Handle(db_);
    if (!m || !m->net.pvio || !m->net.pvio->methods || !m->net.pvio->methods->set_timeout)
        return;
    m->net.pvio->methods->set_timeout(m->net.pvio, PVIO_READ_TIMEOUT, seconds);
}

namespace {

// One statement on a raw session, its whole result read into memory. Touches
// nothing but the session, so it may run on a worker thread while the window
// waits. An error comes back as its code and text.
struct Fetched {
    TResultTable table;
    unsigned int error = 0;
    QString errorText;
};

Fetched Fetch(MYSQL* m, const QByteArray& text) {
    Fetched out;
    auto fail = [&] {
        out.error = mysql_errno(m);
        out.errorText = QString::fromUtf8(mysql_error(m));
        return std::move(out);
    };
    if (mysql_real_query(m, text.constData(), static_cast<unsigned long>(text.size())) != 0)
        return fail();
    // Streamed and read to the end in one go: nothing else runs on the
    // session until the last row is in memory.
    MYSQL_RES* res = mysql_use_result(m);
    if (!res) {
        if (mysql_field_count(m) != 0 || mysql_errno(m) != 0)
            return fail();
        return out; // a statement without result
    }
    const unsigned int n = mysql_num_fields(res);
    const MYSQL_FIELD* fields = mysql_fetch_fields(res);
    for (unsigned int i = 0; i < n; ++i)
        out.table.AddColumn(QString::fromUtf8(fields[i].name, int(fields[i].name_length)), TypeOf(fields[i].type));
    std::vector<std::pair<const char*, size_t>> cells(n);
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* lengths = mysql_fetch_lengths(res);
        for (unsigned int i = 0; i < n; ++i)
            cells[i] = {row[i], lengths[i]};
        out.table.AppendRow(cells);
    }
    if (mysql_errno(m) != 0) {
        Fetched failed = fail();
        mysql_free_result(res);
        return failed;
    }
    mysql_free_result(res);
    // The driver lets a session send several statements at once; none of ours
    // does, but a session must never be left with unread results.
    while (mysql_more_results(m) && mysql_next_result(m) == 0)
        if (MYSQL_RES* more = mysql_use_result(m))
            mysql_free_result(more);
    return out;
}

} // namespace

void TSQLConnection::WaitWhileBusy() {
    if (!busy_)
        return;
    // An operator's statement while a range is being fetched waits for it
    // (the window answers meanwhile); the session carries one statement at a time.
    QEventLoop wait;
    connect(this, &TSQLConnection::Idle, &wait, &QEventLoop::quit);
    while (busy_)
        wait.exec();
}

TResultTable TSQLConnection::Select(const QString& sql, TStatementKind kind) {
    WaitWhileBusy();
    EnsureOpen();
    MYSQL* m = Handle(db_);
    if (!m)
        throw EDatabaseError(QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"));
    const QByteArray text = sql.toUtf8();
    Fetched result;
    if (kind != TStatementKind::Range) {
        result = Fetch(m, text);
    } else {
        // A range may take the server a while: it waits longer, and the rows
        // are fetched on a worker thread while the window goes on answering
        // the operator. Everything else on the connection waits meanwhile
        // (the state poll skips its ticks: see Busy()).
        SetReadTimeout(kRangeReadTimeout);
        busy_ = true;
        QEventLoop wait;
        auto done = [this, &wait] {
            if (!busy_)
                return;
            // The connection is free the moment the rows are in: a statement
            // that a handler started meanwhile (in a loop of its own, inside
            // this one) runs now.
            busy_ = false;
            SetReadTimeout(kReadTimeout);
            Q_EMIT Idle();
            wait.quit();
        };
        QObject context; // drops a late "finished" once this call has returned
        std::unique_ptr<QThread> worker(QThread::create([&] { result = Fetch(m, text); }));
        connect(worker.get(), &QThread::finished, &context, done);
        worker->start();
        wait.exec(QEventLoop::AllEvents);
        worker->wait(); // also when the program is ending and left the loop early
        done();
    }
    if (result.error != 0)
        Fail(result.errorText, int(result.error));
    return std::move(result.table);
}

namespace {
// Runs sql with values bound to its "?" marks in order (without values, as it
// stands); prepared says whether the statement got as far as the server's
// preparation.
bool RunBound(QSqlQuery& q, const QString& sql, const QVariantList& values, bool& prepared) {
    if (values.isEmpty())
        return q.exec(sql);
    prepared = q.prepare(sql);
    if (!prepared)
        return false;
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}
} // namespace

int TSQLConnection::Execute(const QString& sql, const QVariantList& values, TStatementKind kind) {
    WaitWhileBusy();
    EnsureOpen();
    const bool range = kind == TStatementKind::Range;
    if (range)
        SetReadTimeout(kRangeReadTimeout);
    QSqlQuery q(db_);
    bool prepared = true;
    const bool ok = RunBound(q, sql, values, prepared);
    if (range)
        SetReadTimeout(kReadTimeout);
    if (!ok) {
        const QSqlError e = q.lastError();
        const int code = NativeCode(e);
        // Lost while waiting for the answer (not while sending, not while
        // preparing): the server may have carried the statement out.
        const bool maybe = prepared && (code == 2013 || code == 2055);
        Fail(ErrorText(e), code, maybe);
    }
    return q.numRowsAffected();
}

bool TSQLConnection::Exists(const QString& sql, const QVariantList& values) {
    WaitWhileBusy();
    EnsureOpen();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    bool prepared = true;
    if (!RunBound(q, sql, values, prepared)) {
        const QSqlError e = q.lastError();
        Fail(ErrorText(e), NativeCode(e));
    }
    return q.next();
}

// ---------------------------------------------------------------------------
// Data sets

TSQLClientDataSet::TSQLClientDataSet(TSQLConnection* connection, QString sql, TStatementKind kind)
    : connection_(connection), sql_(std::move(sql)), kind_(kind) {}

void TSQLClientDataSet::Open() {
    if (active_)
        return;
    table_.Clear();
    recNo_ = 0;
    TResultTable t = connection_->Select(sql_, kind_);
    for (const QString& f : DeclaredFields)
        if (t.ColumnIndex(f) < 0)
            throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(f));
    table_ = std::move(t);
    active_ = true;
}

void TSQLClientDataSet::Close() {
    active_ = false;
    table_.Clear();
    recNo_ = 0;
}

void TSQLClientDataSet::Refresh() {
    Close();
    Open();
}

int TSQLClientDataSet::FieldNo(const QString& name) const {
    const int i = table_.ColumnIndex(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
    return i;
}

void TSQLQuery::ExecSQL(const QVariantList& values) {
    Close();
    Connection()->Execute(SQL(), values, Kind());
}
