#pragma once
// One session with the plant database. A session is used by one thread only,
// the database thread that owns it (see Database.h): every call below blocks
// that thread until the server answers or a timeout ends the wait, and never
// the operator's screen.
//
// A stalled or vanished server must cost a session a few seconds, not hang it:
// connect, read and write timeouts are set on every session; a range read may
// wait longer, because a big range is not a dead server. The client library's
// automatic reconnect stays off: it would silently send a statement again on a
// new session, and a command row could be inserted twice. Instead a statement
// that fails because the session is gone marks it lost; the next statement
// reopens it, at most once every few seconds, so a dead server costs one
// connect timeout now and then, not one per statement.

#include "ResultTable.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>
#include <mutex>
#include <vector>
#include <functional>

// Where a session connects: the configuration's parameter lines as data.
struct TConnectionSettings {
    QString host; // "host" or "host:port"; a plain host uses port 3306
    QString database, user, password;

    // From parameter lines "name=value" (HostName, Database, User_Name, Password).
    static TConnectionSettings FromParams(const QStringList& params);
    // The host and port that `host` names.
    QString HostName() const;
    int Port() const;
};

class TDbSession {
public:
    // Timeouts in seconds.
    static constexpr int kConnectTimeout = 2;
    static constexpr int kReadTimeout = 3;       // poll and commands
    static constexpr int kWriteTimeout = 3;
    static constexpr int kRangeReadTimeout = 60; // range loads
    // A lost session is reopened at most this often.
    static constexpr quint64 kReconnectIntervalMs = 3000;

    // name: the session's name in the log ("live", "history").
    explicit TDbSession(const QString& name);
    ~TDbSession();
    TDbSession(const TDbSession&) = delete;
    TDbSession& operator=(const TDbSession&) = delete;

    const QString& Name() const { return name_; }
    // Takes effect at the next connect.
    void SetSettings(const TConnectionSettings& settings) { settings_ = settings; }
    const TConnectionSettings& Settings() const { return settings_; }

    // Connects now (no-op when connected), then runs AfterConnect. Throws
    // EDatabaseError; an error thrown by AfterConnect propagates with the
    // session left open.
    void Open();
    void Close();
    // Open and not known to be lost.
    bool Connected() const { return db_.isOpen() && !lost_; }
    // The session was open and a statement found it gone; the next statement
    // reopens it (see EnsureOpen).
    bool Lost() const { return lost_; }
    void MarkLost();
    // Closes and reopens the physical session now (bounded by the connect
    // timeout), then runs AfterConnect. Throws EDatabaseError.
    void Recover();
    // Makes the session ready for a statement: a lost one is reopened, but
    // between two attempts kReconnectIntervalMs must pass (sooner it fails at
    // once); a closed one is connected on demand. Throws EDatabaseError.
    void EnsureOpen();

    // Runs a statement and reads every row of its result. Throws
    // EDatabaseError; a lost session is marked lost first.
    TResultTable Select(const QString& sql, TStatementKind kind);
    // Runs the statements in order and appends each one's rows to results;
    // the first that fails throws (results then holds those before it). With
    // several statements allowed they go to the server as one text in one
    // round trip.
    void SelectAll(const QStringList& sqls, TStatementKind kind, std::vector<TResultTable>& results);
    // Whether SelectAll sends its statements as one text. The driver opens
    // every session with several statements per text allowed (for stored
    // procedures); only the program's own statement texts go this way.
    void AllowSeveralStatements(bool on) { severalStatements_ = on; }
    // Runs a statement without result; values are bound to its "?" marks in
    // order, never spliced into the text. Returns the rows affected. When the
    // session is lost while the server has the statement, the error says
    // MaybeExecuted().
    int Execute(const QString& sql, const QVariantList& values, TStatementKind kind);
    // Whether a query with bound values (a command's short timeout) yields a row.
    bool Exists(const QString& sql, const QVariantList& values);
    // The first row of a query with bound values (a command's short timeout);
    // empty when there is none.
    QVariantList FirstRow(const QString& sql, const QVariantList& values);

    // Runs after every successful connect, on the session's thread; may throw.
    std::function<void(TDbSession&)> AfterConnect;

    // From any thread: ends a wait for the server at once by shutting the
    // session's socket down (the statement fails as a lost session). For a
    // program that is ending while a statement waits on a stalled server.
    void Abort();

private:
    void OpenPhysical();
    void SetReadTimeout(int seconds);
    [[noreturn]] void Fail(const QString& text, int code, bool maybeExecuted = false);

    QString name_;
    QString qtName_;
    QSqlDatabase db_;
    TConnectionSettings settings_;
    bool lost_ = false;
    bool severalStatements_ = false;
    bool reconnectTried_ = false;
    quint64 lastReconnectMs_ = 0;
    // A duplicate of the session's socket, for Abort: while it is held, the
    // socket's number cannot be given to another file, whatever the client
    // library does with its own.
    void HoldSocket();
    void ReleaseSocket();
    std::mutex socketMutex_;
    int socket_ = -1;
};
