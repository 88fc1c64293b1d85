#pragma once
// The program's one connection to the plant database and the queries on it.
//
// The connection carries its settings as data, as the configuration sees them:
// a driver name, a driver triple (function, library, client library) and
// parameter lines "name=value" (HostName, Database, User_Name, Password ...).
// HostName may be "host:port"; a plain host uses the server's default port.
//
// A stalled or vanished server must never freeze the operator's screen for
// long, so every connection gets connect, read and write timeouts of a few
// seconds. The client library's automatic reconnect stays off: it could send a
// command row twice. A statement that fails because the connection was lost
// marks the connection lost; the live-state poll then reopens it, once a tick.

#include "DateTime.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <stdexcept>

class EDatabaseError : public std::runtime_error {
public:
    EDatabaseError(const QString& text, int nativeCode = 0)
        : std::runtime_error(text.toStdString()), nativeCode_(nativeCode) {}
    QString Text() const { return QString::fromStdString(what()); }
    int NativeCode() const { return nativeCode_; }

private:
    int nativeCode_;
};

// Client error codes that mean the session is gone (server stalled past the
// read timeout, killed, restarted, or unreachable).
bool IsConnectionLostError(int nativeCode);

class TSQLConnection : public QObject {
    Q_OBJECT
public:
    explicit TSQLConnection(QObject* parent = nullptr);
    ~TSQLConnection() override;

    // Settings as data.
    QString DriverName = QStringLiteral("MySQL");
    QString ConnectionName;
    QString GetDriverFunc;
    QString LibraryName;
    QString VendorLib;
    bool LoginPrompt = false;
    QStringList Params;

    QString Param(const QString& name) const; // value of the first line "name=..."

    // Timeouts in seconds of every physical connection.
    static constexpr int kConnectTimeout = 2;
    static constexpr int kReadTimeout = 3;
    static constexpr int kWriteTimeout = 3;

    // Connects (no-op when connected); runs AfterConnect. Throws EDatabaseError;
    // an error thrown by AfterConnect propagates with the connection left open.
    void Open();
    void Close();
    // Connected in the operator's sense: open and not known to be lost.
    bool Connected() const { return db_.isOpen() && !lost_; }
    // The connection was open and a statement found it gone; awaiting Recover().
    bool Lost() const { return lost_; }
    void MarkLost();
    // Closes and reopens the physical connection (bounded by the connect
    // timeout), then runs AfterConnect. Throws EDatabaseError on failure.
    void Recover();

    QSqlDatabase& Db() { return db_; }

    // Runs after every successful connect; may throw.
    std::function<void()> AfterConnect;

Q_SIGNALS:
    void ConnectionChanged();

private:
    void OpenPhysical();

    QString qtName_;
    QSqlDatabase db_;
    bool lost_ = false;
};

// A query on a connection: the text is set, then Open() runs it and keeps the
// first row as its current record, or ExecSQL() runs a statement without result.
class TSQLQuery {
public:
    explicit TSQLQuery(TSQLConnection* connection, QString sql = QString());

    TSQLConnection* Connection() const { return connection_; }
    void SetSQL(const QString& sql) { sql_ = sql; }
    const QString& SQL() const { return sql_; }
    // Columns the result must hold; Open() fails when one is missing.
    QStringList DeclaredFields;

    // Opening on a closed connection connects it first. Throws EDatabaseError.
    void Open();
    void Close();
    void Refresh(); // re-executes (opens when closed)
    void ExecSQL();
    bool Active() const { return active_; }
    bool IsEmpty() const { return empty_; }

    QVariant FieldByName(const QString& name) const; // throws when the column does not exist
    double AsFloat(const QString& name) const;       // NULL reads as 0
    TDateTime AsDateTime(const QString& name) const; // NULL reads as 0 (the zero date-time)

private:
    [[noreturn]] void Fail(const QString& text, int code);

    TSQLConnection* connection_;
    QString sql_;
    QSqlRecord record_;
    bool active_ = false;
    bool empty_ = true;
};
