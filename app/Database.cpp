#include "Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

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
} // namespace

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
    Q_EMIT ConnectionChanged();
    if (AfterConnect)
        AfterConnect();
}

void TSQLConnection::Close() {
    const bool was = db_.isOpen() || lost_;
    db_.close();
    lost_ = false;
    if (was)
        Q_EMIT ConnectionChanged();
}

void TSQLConnection::MarkLost() {
    if (lost_)
        return;
    lost_ = true;
    db_.close();
    Q_EMIT ConnectionChanged();
}

void TSQLConnection::Recover() {
    db_.close();
    OpenPhysical();
    lost_ = false;
    Q_EMIT ConnectionChanged();
    if (AfterConnect)
        AfterConnect();
}

TSQLQuery::TSQLQuery(TSQLConnection* connection, QString sql) : connection_(connection), sql_(std::move(sql)) {}

void TSQLQuery::Fail(const QString& text, int code) {
    active_ = false;
    empty_ = true;
    record_ = QSqlRecord();
    if (IsConnectionLostError(code))
        connection_->MarkLost();
    throw EDatabaseError(text, code);
}

void TSQLQuery::Open() {
    if (active_)
        return;
    if (!connection_->Connected()) {
        if (connection_->Lost())
            connection_->Recover();
        else
            connection_->Open();
    }
    QSqlQuery q(connection_->Db());
    q.setForwardOnly(true);
    if (!q.exec(sql_))
        Fail(ErrorText(q.lastError()), NativeCode(q.lastError()));
    if (q.next()) {
        record_ = q.record();
        empty_ = false;
    } else {
        if (q.lastError().isValid())
            Fail(ErrorText(q.lastError()), NativeCode(q.lastError()));
        record_ = q.record();
        empty_ = true;
    }
    for (const QString& f : DeclaredFields)
        if (record_.indexOf(f) < 0)
            Fail(QStringLiteral("Поле '%1' не найдено").arg(f), 0);
    active_ = true;
}

void TSQLQuery::Close() {
    active_ = false;
    empty_ = true;
    record_ = QSqlRecord();
}

void TSQLQuery::Refresh() {
    Close();
    Open();
}

void TSQLQuery::ExecSQL() {
    Close();
    if (!connection_->Connected())
        connection_->Open();
    QSqlQuery q(connection_->Db());
    if (!q.exec(sql_))
        Fail(ErrorText(q.lastError()), NativeCode(q.lastError()));
}

QVariant TSQLQuery::FieldByName(const QString& name) const {
    const int i = record_.indexOf(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
    return empty_ ? QVariant() : record_.value(i);
}

double TSQLQuery::AsFloat(const QString& name) const {
    const QVariant v = FieldByName(name);
    return v.isNull() ? 0.0 : v.toDouble();
}

TDateTime TSQLQuery::AsDateTime(const QString& name) const {
    const QVariant v = FieldByName(name);
    if (v.isNull())
        return 0;
    const QDateTime dt = v.toDateTime();
    return dt.isValid() ? DateTimeFromQ(dt) : 0;
}
