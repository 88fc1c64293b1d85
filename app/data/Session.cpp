#include "Session.h"

#include "Log.h"
#include "Platform.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <fcntl.h>
#include <optional>
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

bool AllDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// One entry of a list, strictly: "host", "host:port", "[v6]" or "[v6]:port".
bool ParseEntry(const QString& entry, TServerAddress& out) {
    QString host = entry, port;
    if (entry.startsWith(QLatin1Char('['))) {
        const int close = int(entry.indexOf(QLatin1Char(']')));
        if (close < 0)
            return false;
        host = entry.mid(1, close - 1);
        const QString rest = entry.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return false;
            port = rest.mid(1);
            if (port.isEmpty())
                return false;
        }
    } else if (const int colons = int(entry.count(QLatin1Char(':'))); colons > 1) {
        return false; // an IPv6 address in a list goes in brackets
    } else if (colons == 1) {
        const int colon = int(entry.indexOf(QLatin1Char(':')));
        host = entry.left(colon);
        port = entry.mid(colon + 1);
        if (port.isEmpty())
            return false;
    }
    if (host.isEmpty() || std::any_of(host.begin(), host.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    out.name = entry;
    out.host = host;
    if (!port.isEmpty()) {
        if (!AllDigits(port) || port.size() > 5)
            return false;
        out.port = port.toInt();
        if (out.port < 1 || out.port > 65535)
            return false;
    }
    return true;
}

// Whether a server accepts a session now (bounded by the connect timeout),
// without touching the session in use.
bool Answers(const TServerAddress& server, const TConnectionSettings& s) {
    MYSQL* m = mysql_init(nullptr);
    if (!m)
        return false;
    unsigned int timeout = TDbSession::kConnectTimeout;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    mysql_options(m, MYSQL_OPT_READ_TIMEOUT, &timeout);
    mysql_options(m, MYSQL_OPT_WRITE_TIMEOUT, &timeout);
    const QByteArray host = server.host.toUtf8(), user = s.user.toUtf8(), password = s.password.toUtf8(),
                     database = s.database.toUtf8();
    const bool ok = mysql_real_connect(m, host.constData(), user.constData(), password.constData(),
                                       database.isEmpty() ? nullptr : database.constData(),
                                       unsigned(server.port), nullptr, 0) != nullptr;
    mysql_close(m);
    return ok;
}
} // namespace

std::vector<TServerAddress> ParseServerList(const QString& text, QString* error) {
    if (!text.contains(QLatin1Char(','))) {
        const auto [host, port] = SplitHost(text);
        return {TServerAddress{text, host, port}};
    }
    std::vector<TServerAddress> out;
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("[MySQL] Comp \"%1\": %2").arg(text, why);
        return std::vector<TServerAddress>();
    };
    for (const QString& raw : text.split(QLatin1Char(','))) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty())
            return fail(QStringLiteral("пустой адрес в списке серверов"));
        TServerAddress a;
        if (!ParseEntry(entry, a))
            return fail(QStringLiteral("неверный адрес сервера \"%1\" (нужно имя или адрес сервера, "
                                       "за ним может стоять двоеточие и порт от 1 до 65535)")
                            .arg(entry));
        for (const TServerAddress& seen : out)
            if (seen.host.compare(a.host, Qt::CaseInsensitive) == 0 && seen.port == a.port)
                return fail(QStringLiteral("сервер \"%1\" указан дважды").arg(entry));
        out.push_back(a);
    }
    return out;
}

QString TConnectionSettings::HostName() const { return SplitHost(host).first; }
int TConnectionSettings::Port() const { return SplitHost(host).second; }

std::vector<TServerAddress> TConnectionSettings::Servers() const {
    QString error;
    std::vector<TServerAddress> list = ParseServerList(host, &error);
    if (list.empty())
        throw EDatabaseError(error);
    return list;
}

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
    const std::vector<TServerAddress> servers = settings_.Servers();
    serverCount_ = int(servers.size());
    // The primary first, then each replica in the order configured; a server
    // that does not answer costs one connect timeout.
    std::optional<EDatabaseError> primaryError;
    for (size_t i = 0; i < servers.size(); ++i) {
        try {
            OpenOn(servers[i]);
            UseServer(servers[i], int(i));
            return;
        } catch (const EDatabaseError& e) {
            if (servers.size() > 1)
                qCWarning(lcOrdal) << "database session" << name_ << "server" << servers[i].name
                                   << "does not answer:" << e.Text();
            if (!primaryError)
                primaryError = e;
        }
    }
    throw *primaryError;
}

void TDbSession::OpenOn(const TServerAddress& server) {
    db_.close();
    ReleaseSocket();
    db_.setHostName(server.host);
    db_.setPort(server.port);
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
    serverSaysReadOnly_ = false;
    if (serverCount_ < 2)
        return;
    // Where there are replicas, the server says itself whether it takes
    // writes: a primary its DBA has made read-only (demoted, or being
    // switched over) is treated like a replica.
    MYSQL* m = Handle(db_);
    Fetched f = m ? FetchAll(m, QByteArrayLiteral("select @@global.read_only")) : Fetched{};
    if (!m || f.error != 0) {
        db_.close();
        ReleaseSocket();
        throw EDatabaseError(m ? f.errorText : QStringLiteral("Драйвер MySQL (QMYSQL) не установлен"), int(f.error));
    }
    serverSaysReadOnly_ =
        !f.tables.empty() && f.tables.front().RowCount() > 0 && f.tables.front().Number(0, 0) != 0;
}

void TDbSession::UseServer(const TServerAddress& server, int index) {
    readOnly_ = index > 0 || serverSaysReadOnly_;
    if (server.name != server_ || index != serverIndex_) {
        if (index > 0)
            qCWarning(lcOrdal) << "database session" << name_ << "on replica" << server.name
                               << "(read-only; the primary is tried again every" << kPrimaryRetryMs / 1000
                               << "s)";
        else if (serverCount_ > 1)
            qCInfo(lcOrdal) << "database session" << name_ << "on primary" << server.name
                            << (readOnly_ ? "(the server is read-only)" : "");
    }
    server_ = server.name;
    serverIndex_ = index;
    lastPrimaryTryMs_ = Plat().TickCountMs();
}

bool TDbSession::TryPrimary(bool now) {
    if (!Connected() || serverIndex_ <= 0)
        return false;
    const quint64 t = Plat().TickCountMs();
    if (!now && t - lastPrimaryTryMs_ < kPrimaryRetryMs)
        return false;
    lastPrimaryTryMs_ = t;
    std::vector<TServerAddress> servers;
    try {
        servers = settings_.Servers();
    } catch (const EDatabaseError&) {
        return false; // the settings changed meanwhile; they count from the next connect
    }
    if (!Answers(servers.front(), settings_))
        return false;
    // The primary is back: the session moves to it (the replica's session is
    // given up only now, so a primary that does not answer costs nothing more).
    try {
        OpenPhysical();
    } catch (const EDatabaseError&) {
        lost_ = true;
        reconnectTried_ = true;
        lastReconnectMs_ = t;
        throw;
    }
    lost_ = false;
    reconnectTried_ = false;
    if (AfterConnect)
        AfterConnect(*this);
    return true;
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
    if (Connected()) {
        TryPrimary(false);
        return;
    }
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
    // Writes only on the primary. On a replica the primary is asked at once
    // (it may be back); if it does not answer the write is refused, never
    // kept to be sent later.
    if (readOnly_ && serverIndex_ > 0)
        TryPrimary(true);
    if (readOnly_)
        throw EDatabaseError(
            QStringLiteral("Сервер %1 только для чтения: задание не отправлено").arg(server_));
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
