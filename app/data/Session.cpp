#include "Session.h"

#include "Log.h"
#include "Platform.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

// The client library's own interface: rows are read straight from it (the
// driver's per-value conversion would cost more than the fetch itself), and
// the read timeout of a session is changed per statement through its I/O layer.
#include <mysql.h>
#include <ma_pvio.h>

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


// Statements on a raw session, each result read whole into memory in order.
// The text may hold several statements when the session allows them; the
// first that fails ends the reading with its code and text, the results of
// those before it kept.
struct Fetched {
    std::vector<TResultTable> tables;
    unsigned int error = 0;
    QString errorText;
};

// Reads one streamed result to its end: nothing else runs on the session
// until the last row is in memory.
bool ReadResult(MYSQL* m, MYSQL_RES* res, TResultTable& table) {
    const unsigned int n = mysql_num_fields(res);
    const MYSQL_FIELD* fields = mysql_fetch_fields(res);
    for (unsigned int i = 0; i < n; ++i)
        table.AddColumn(QString::fromUtf8(fields[i].name, int(fields[i].name_length)), TypeOf(fields[i].type));
    std::vector<std::pair<const char*, size_t>> cells(n);
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        const unsigned long* lengths = mysql_fetch_lengths(res);
        for (unsigned int i = 0; i < n; ++i)
            cells[i] = {row[i], lengths[i]};
        table.AppendRow(cells);
    }
    const bool ok = mysql_errno(m) == 0;
    mysql_free_result(res);
    return ok;
}

Fetched FetchAll(MYSQL* m, const QByteArray& text) {
    Fetched out;
    auto fail = [&] {
        out.error = mysql_errno(m);
        out.errorText = QString::fromUtf8(mysql_error(m));
        // A session must never be left with unread results.
        while (mysql_more_results(m) && mysql_next_result(m) == 0)
            if (MYSQL_RES* more = mysql_use_result(m))
                mysql_free_result(more);
        return std::move(out);
    };
    if (mysql_real_query(m, text.constData(), static_cast<unsigned long>(text.size())) != 0)
        return fail();
    for (;;) {
        MYSQL_RES* res = mysql_use_result(m);
        TResultTable table;
        if (res) {
            if (!ReadResult(m, res, table))
                return fail();
        } else if (mysql_field_count(m) != 0 || mysql_errno(m) != 0) {
            return fail();
        }
        out.tables.push_back(std::move(table));
        const int next = mysql_next_result(m);
        if (next < 0)
            return out;
        if (next > 0)
            return fail();
    }
}

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

TConnectionSettings TConnectionSettings::FromParams(const QStringList& params) {
    auto param = [&params](const QString& name) {
        const QString prefix = name + QLatin1Char('=');
        for (const QString& line : params)
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        return QString();
    };
    TConnectionSettings s;
    s.host = param(QStringLiteral("HostName"));
    s.database = param(QStringLiteral("Database"));
    s.user = param(QStringLiteral("User_Name"));
    s.password = param(QStringLiteral("Password"));
    return s;
}

namespace {
// "host:port" with a port in range splits; anything else (an IPv6 address,
// a bad port) is a plain host.
std::pair<QString, int> SplitHost(const QString& text) {
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    if (colon > 0 && !text.contains(QLatin1Char(']')) && text.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        const int p = text.mid(colon + 1).toInt(&ok);
        if (ok && p > 0 && p < 65536)
            return {text.left(colon), p};
    }
    return {text, 3306};
}
} // namespace

QString TConnectionSettings::HostName() const { return SplitHost(host).first; }
int TConnectionSettings::Port() const { return SplitHost(host).second; }

// ---------------------------------------------------------------------------

TDbSession::TDbSession(const QString& name) : name_(name) {
    static std::atomic<int> counter{0};
    qtName_ = QStringLiteral("ordal_%1_%2").arg(name).arg(++counter);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), qtName_);
}

TDbSession::~TDbSession() {
    db_.close();
    ReleaseSocket();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(qtName_);
}

void TDbSession::OpenPhysical() {
    if (!db_.isValid())
        throw EDatabaseError(QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"));
    db_.setHostName(settings_.HostName());
    db_.setPort(settings_.Port());
    db_.setDatabaseName(settings_.database);
    db_.setUserName(settings_.user);
    db_.setPassword(settings_.password);
    db_.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=%2;"
                                         "MYSQL_OPT_WRITE_TIMEOUT=%3")
                              .arg(kConnectTimeout)
                              .arg(kReadTimeout)
                              .arg(kWriteTimeout));
    if (!db_.open()) {
        const QSqlError e = db_.lastError();
        throw EDatabaseError(ErrorText(e), NativeCode(e));
    }
    HoldSocket();
}

void TDbSession::HoldSocket() {
    MYSQL* m = Handle(db_);
    const int fd = m ? int(mysql_get_socket(m)) : -1;
    const std::lock_guard<std::mutex> lock(socketMutex_);
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
}

void TDbSession::ReleaseSocket() {
    const std::lock_guard<std::mutex> lock(socketMutex_);
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

void TDbSession::Open() {
    if (Connected())
        return;
    db_.close();
    ReleaseSocket();
    OpenPhysical();
    lost_ = false;
    reconnectTried_ = false;
    if (AfterConnect)
        AfterConnect(*this);
}

void TDbSession::Close() {
    db_.close();
    ReleaseSocket();
    lost_ = false;
    reconnectTried_ = false;
}

void TDbSession::MarkLost() {
    if (lost_)
        return;
    qCWarning(lcOrdal) << "database session" << name_ << "lost";
    lost_ = true;
    db_.close();
    ReleaseSocket();
}

void TDbSession::Recover() {
    db_.close();
    ReleaseSocket();
    OpenPhysical();
    qCInfo(lcOrdal) << "database session" << name_ << "reopened";
    lost_ = false;
    reconnectTried_ = false;
    if (AfterConnect)
        AfterConnect(*this);
}

void TDbSession::EnsureOpen() {
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

void TDbSession::Abort() {
    // Only the socket is touched, never the client library's state, which
    // belongs to the session's thread: the waiting read returns at once and
    // the statement fails there as a lost session.
    const std::lock_guard<std::mutex> lock(socketMutex_);
    if (socket_ >= 0)
        ::shutdown(socket_, SHUT_RDWR);
}

void TDbSession::Fail(const QString& text, int code, bool maybeExecuted) {
    if (IsConnectionLostError(code))
        MarkLost();
    throw EDatabaseError(text, code, maybeExecuted);
}

void TDbSession::SetReadTimeout(int seconds) {
    MYSQL* m = Handle(db_);
    if (!m || !m->net.pvio || !m->net.pvio->methods || !m->net.pvio->methods->set_timeout)
        return;
    m->net.pvio->methods->set_timeout(m->net.pvio, PVIO_READ_TIMEOUT, seconds);
}

TResultTable TDbSession::Select(const QString& sql, TStatementKind kind) {
    EnsureOpen();
    MYSQL* m = Handle(db_);
    if (!m)
        throw EDatabaseError(QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"));
    const bool range = kind == TStatementKind::Range;
    if (range)
        SetReadTimeout(kRangeReadTimeout);
    Fetched result = FetchAll(m, sql.toUtf8());
    if (range)
        SetReadTimeout(kReadTimeout);
    if (result.error != 0)
        Fail(result.errorText, int(result.error));
    if (result.tables.empty())
        return TResultTable();
    return std::move(result.tables.front());
}

void TDbSession::SelectAll(const QStringList& sqls, TStatementKind kind, std::vector<TResultTable>& results) {
    if (!severalStatements_ || sqls.size() < 2) {
        for (const QString& sql : sqls)
            results.push_back(Select(sql, kind));
        return;
    }
    EnsureOpen();
    MYSQL* m = Handle(db_);
    if (!m)
        throw EDatabaseError(QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"));
    const bool range = kind == TStatementKind::Range;
    if (range)
        SetReadTimeout(kRangeReadTimeout);
    Fetched result = FetchAll(m, sqls.join(QLatin1Char(';')).toUtf8());
    if (range)
        SetReadTimeout(kReadTimeout);
    for (TResultTable& t : result.tables)
        results.push_back(std::move(t));
    if (result.error != 0)
        Fail(result.errorText, int(result.error));
}

int TDbSession::Execute(const QString& sql, const QVariantList& values, TStatementKind kind) {
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

bool TDbSession::Exists(const QString& sql, const QVariantList& values) {
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

QVariantList TDbSession::FirstRow(const QString& sql, const QVariantList& values) {
    EnsureOpen();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    bool prepared = true;
    if (!RunBound(q, sql, values, prepared)) {
        const QSqlError e = q.lastError();
        Fail(ErrorText(e), NativeCode(e));
    }
    QVariantList row;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            row.append(q.value(i));
    return row;
}
