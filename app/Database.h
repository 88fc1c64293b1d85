#pragma once
// Everything the workstation says to the plant database goes through this unit:
// the one connection, the data sets that read through it, the commands that
// write, and (in Database.cpp, namespace Sql) the text of every statement.
// No window, element or service touches QSqlQuery or QSqlDatabase itself.
//
// The connection carries its settings as data, as the configuration sees them:
// a driver name, a driver triple (function, library, client library) and
// parameter lines "name=value" (HostName, Database, User_Name, Password ...).
// HostName may be "host:port"; a plain host uses the server's default port.
//
// A stalled or vanished server must never freeze the operator's screen for
// long, so every connection gets connect, read and write timeouts of a few
// seconds; only range loads (history, journal, browser), which may take the
// server a while to answer, wait longer for it. The client library's automatic
// reconnect stays off: it would silently send a statement again on a new
// session, and a command row could be inserted twice. Instead every statement
// that fails because the session is gone marks the connection lost, whichever
// window sent it; the next statement reopens it, at most once every few
// seconds, so a dead server costs one connect timeout now and then, not one
// per statement.

#include "DateTime.h"

#include <QObject>
#include <algorithm>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <stdexcept>
#include <vector>

class EDatabaseError : public std::runtime_error {
public:
    EDatabaseError(const QString& text, int nativeCode = 0, bool maybeExecuted = false)
        : std::runtime_error(text.toStdString()), nativeCode_(nativeCode), maybeExecuted_(maybeExecuted) {}
    QString Text() const { return QString::fromStdString(what()); }
    int NativeCode() const { return nativeCode_; }
    // The statement had reached the server when the connection was lost: it
    // may or may not have been carried out. (Otherwise it certainly was not.)
    bool MaybeExecuted() const { return maybeExecuted_; }

private:
    int nativeCode_;
    bool maybeExecuted_;
};

// Client error codes that mean the session is gone (server stalled past the
// read timeout, killed, restarted, or unreachable).
bool IsConnectionLostError(int nativeCode);

// How long a statement may wait for the server's answer.
enum class TStatementKind {
    Poll,    // the once-a-second state poll: short, a stalled server must not freeze the screen
    Command, // commands and single-row reads an operator started: short
    Range,   // history, journal and browser ranges: long, a big range is not a dead server
};

// The rows of one result, read whole into memory, typed by column: numbers and
// moments as doubles (moments as TDateTime), everything else as text.
class TResultTable {
public:
    enum class Type { Number, DateTime, Text };

    int ColumnCount() const { return int(columns_.size()); }
    int RowCount() const { return rows_; }
    const QString& ColumnName(int c) const { return columns_[size_t(c)].name; }
    Type ColumnType(int c) const { return columns_[size_t(c)].type; }
    // The column of that name, compared without regard to case as the server
    // does; -1 when there is none.
    int ColumnIndex(const QString& name) const;

    bool IsNull(int row, int c) const { return columns_[size_t(c)].null[size_t(row)]; }
    // NULL reads as 0 (the zero date-time for moments); a text that is no number reads as 0.
    double Number(int row, int c) const;
    QString Text(int row, int c) const;
    QVariant Value(int row, int c) const; // null QVariant for NULL; moments as QDateTime

    void Clear();
    // Building (the reader and tests).
    void AddColumn(const QString& name, Type type);
    void AppendRow(const std::vector<std::pair<const char*, size_t>>& cells); // nullptr = NULL

private:
    struct Column {
        QString name;
        Type type = Type::Text;
        std::vector<double> number;
        QStringList text;
        std::vector<bool> null;
    };
    std::vector<Column> columns_;
    int rows_ = 0;
};

// Reads a server moment ("yyyy-mm-dd hh:nn:ss[.ffffff]", a date or a time of
// day) into a TDateTime; the zero date "0000-00-00" reads as 0. False when the
// text is none of these.
bool ParseSqlDateTime(const char* text, size_t length, TDateTime& result);

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

    // Timeouts in seconds.
    static constexpr int kConnectTimeout = 2;
    static constexpr int kReadTimeout = 3;       // poll and commands
    static constexpr int kWriteTimeout = 3;
    static constexpr int kRangeReadTimeout = 60; // range loads
    // A lost connection is reopened at most this often.
    static constexpr quint64 kReconnectIntervalMs = 3000;

    // Connects now (no-op when connected); runs AfterConnect. Throws
    // EDatabaseError; an error thrown by AfterConnect propagates with the
    // connection left open.
    void Open();
    void Close();
    // Connected in the operator's sense: open and not known to be lost.
    bool Connected() const { return db_.isOpen() && !lost_; }
    // The connection was open and a statement found it gone; the next
    // statement reopens it (see EnsureOpen).
    bool Lost() const { return lost_; }
    void MarkLost();
    // Closes and reopens the physical connection now (bounded by the connect
    // timeout), then runs AfterConnect. Throws EDatabaseError on failure.
    void Recover();
    // Makes the connection ready for a statement: a lost one is reopened, but
    // between two attempts kReconnectIntervalMs must pass (sooner it fails at
    // once); a closed one is connected on demand. Throws EDatabaseError.
    void EnsureOpen();

    // Runs a statement and reads every row of its result. Throws EDatabaseError;
    // a lost session marks the connection lost first. A Range statement's rows
    // are fetched while the event loop runs on (the window answers input and
    // repaints), so its caller must expect other handlers to run meanwhile.
    TResultTable Select(const QString& sql, TStatementKind kind);
    // A range is being fetched. Statements started meanwhile wait for it;
    // periodic work (the state poll) skips its turn instead.
    bool Busy() const { return busy_; }
    // Runs a statement without result; values are bound to its "?" marks in
    // order, never spliced into the text. Returns the rows affected. When the
    // connection is lost while the server has the statement, the error says
    // MaybeExecuted().
    int Execute(const QString& sql, const QVariantList& values, TStatementKind kind);
    // Whether a query with bound values (a command's short timeout) yields a row.
    // Throws EDatabaseError.
    bool Exists(const QString& sql, const QVariantList& values);

    // Runs after every successful connect; may throw.
    std::function<void()> AfterConnect;

Q_SIGNALS:
    void ConnectionChanged();
    void Idle(); // a range fetch has ended

private:
    void WaitWhileBusy();
    void OpenPhysical();
    void SetReadTimeout(int seconds);
    [[noreturn]] void Fail(const QString& text, int code, bool maybeExecuted = false);

    QString qtName_;
    QSqlDatabase db_;
    bool lost_ = false;
    bool busy_ = false;
    bool reconnectTried_ = false;
    quint64 lastReconnectMs_ = 0;
};

// The client data set: a statement whose rows are all read into memory when it
// is opened, then walked with a cursor. Reading everything first matters: a
// load may let the window answer input while it walks the rows, and the state
// poll runs on the same connection meanwhile; it never meets a half-read result.
class TSQLClientDataSet {
public:
    explicit TSQLClientDataSet(TSQLConnection* connection, QString sql = QString(),
                               TStatementKind kind = TStatementKind::Range);
    virtual ~TSQLClientDataSet() = default;

    TSQLConnection* Connection() const { return connection_; }
    void SetSQL(const QString& sql) { sql_ = sql; }
    const QString& SQL() const { return sql_; }
    TStatementKind Kind() const { return kind_; }
    void SetKind(TStatementKind kind) { kind_ = kind; }
    // Columns the result must hold; Open() fails when one is missing.
    QStringList DeclaredFields;

    // Opening on a closed connection connects it first; a failure leaves the
    // data set closed and empty. Throws EDatabaseError.
    void Open();
    void Close();
    void Refresh(); // re-executes (opens when closed)
    bool Active() const { return active_; }

    int RecordCount() const { return table_.RowCount(); }
    bool IsEmpty() const { return table_.RowCount() == 0; }
    void First() { recNo_ = 0; }
    void Next() {
        if (recNo_ < table_.RowCount())
            ++recNo_;
    }
    bool Eof() const { return recNo_ >= table_.RowCount(); }
    int RecNo() const { return recNo_; } // 0-based
    void MoveTo(int recNo) { recNo_ = std::clamp(recNo, 0, table_.RowCount()); }

    int FieldCount() const { return table_.ColumnCount(); }
    // -1 when there is no such column.
    int FieldIndex(const QString& name) const { return table_.ColumnIndex(name); }
    // The index of a column that must exist: resolve once, then use the index
    // in the row loop. Throws EDatabaseError "Поле '<name>' не найдено".
    int FieldNo(const QString& name) const;

    // Values of the current record; on an empty set (or past the end) NULL.
    bool IsNull(int field) const { return Eof() || table_.IsNull(recNo_, field); }
    double AsFloat(int field) const { return Eof() ? 0.0 : table_.Number(recNo_, field); }
    TDateTime AsDateTime(int field) const { return AsFloat(field); }
    QString AsString(int field) const { return Eof() ? QString() : table_.Text(recNo_, field); }
    QVariant Value(int field) const { return Eof() ? QVariant() : table_.Value(recNo_, field); }
    double AsFloat(const QString& name) const { return AsFloat(FieldNo(name)); }
    TDateTime AsDateTime(const QString& name) const { return AsFloat(FieldNo(name)); }
    QString AsString(const QString& name) const { return AsString(FieldNo(name)); }

    // All rows, for views that show them as a table.
    const TResultTable& Table() const { return table_; }

private:
    TSQLConnection* connection_;
    QString sql_;
    TStatementKind kind_;
    TResultTable table_;
    int recNo_ = 0;
    bool active_ = false;
};

// A query of the main window: a data set with the short timeout, which can
// also run its statement as a command.
class TSQLQuery : public TSQLClientDataSet {
public:
    explicit TSQLQuery(TSQLConnection* connection, QString sql = QString())
        : TSQLClientDataSet(connection, std::move(sql), TStatementKind::Command) {}
    // Runs the statement without result, values bound in order. Throws EDatabaseError.
    void ExecSQL(const QVariantList& values = {});
};

// Every statement the workstation sends. It reads pu_data, last_state,
// control_log and setup, and writes only control_vector (operator commands)
// and setup (plant constants edited by the operator); nothing else is ever
// written, created or altered.
namespace Sql {
// State poll, once a second.
extern const QString LastState; // "select * from last_state"
extern const QString MaxTime;   // "select max(RecMoment) MaxTime from pu_data"
extern const QString LastData;  // newest pu_data row
// After every connect.
extern const QString MinPLS;
// History of a range, oldest first: trend windows, database browser, journal.
QString TrendRange(TDateTime start, TDateTime stop);
QString BrowserRange(TDateTime start, TDateTime stop);
QString JournalRange(TDateTime start, TDateTime stop);
extern const QString JournalLastTime; // "select max(RecMoment) Rez from control_log"
extern const QString Constants;       // "select * from setup order by ConstName"

// Writes. The value of a command and every field of a constant are bound.
// A command row: the server's time and user and one bound value in column
// "_PLSZ" (density) or "_TNZ" (plant load).
QString InsertCommand(const QString& column);
// Constants: a new row (name, value, comment); a changed row (new name, value,
// comment, then the name, value and comment it had when read); a deleted row
// (the name, value and comment it had). A row is found by all three old values.
extern const QString InsertConstant;
extern const QString UpdateConstant;
// A row holding exactly these values (name, value, comment).
extern const QString FindConstant;
extern const QString DeleteConstant;
} // namespace Sql
