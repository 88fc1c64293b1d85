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
#include <functional>
#include <mutex>
#include <vector>

// One database server the workstation may use.
struct TServerAddress {
    QString name; // as the configuration writes it ("plc-db2:3307"), for the operator and the log
    QString host;
    int port = 3306;
};

// The servers that [MySQL] Comp names: "host[:port]" or a list
// "host[:port],host[:port],..." whose first entry is the primary (the server
// the controller writes) and the others its replicas, in the order they are
// tried. A single entry is read as it always was: a port that is no number in
// 1..65535 leaves the whole text as the host name. In a list every entry must
// be a host with an optional port ("[v6-address]:port" for IPv6); a bad entry
// gives an empty list and the reason in `error`.
std::vector<TServerAddress> ParseServerList(const QString& text, QString* error = nullptr);

// Where a session connects: the configuration's parameter lines as data.
struct TConnectionSettings {
    QString host; // [MySQL] Comp: one server, or a primary and its replicas (ParseServerList)
    QString database, user, password;

    // From parameter lines "name=value" (HostName, Database, User_Name, Password).
    static TConnectionSettings FromParams(const QStringList& params);
    // The host and port of the first server that `host` names.
    QString HostName() const;
    int Port() const;
    // Every server `host` names; throws EDatabaseError for a bad list.
    std::vector<TServerAddress> Servers() const;
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
    // On a replica, the primary is tried again this often.
    static constexpr quint64 kPrimaryRetryMs = 5000;

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

    // The server in use (its name as configured; empty while not connected)
    // and whether it takes no writes: a replica (any server but the first
    // of a list), or a primary that says it is read-only. Execute refuses to
    // send anything there.
    QString ServerName() const { return Connected() ? server_ : QString(); }
    bool ReadOnly() const { return readOnly_; }
    // The configuration names more than one server.
    bool HasReplicas() const { return serverCount_ > 1; }

    // Runs after every successful connect, on the session's thread; may throw.
    std::function<void(TDbSession&)> AfterConnect;

    // From any thread: ends a wait for the server at once by shutting the
    // session's socket down (the statement fails as a lost session). For a
    // program that is ending while a statement waits on a stalled server.
    void Abort();

private:
    // Connects to the first server of the list that answers; throws the
    // primary's error when none does.
    void OpenPhysical();
    void OpenOn(const TServerAddress& server);
    // On a replica, when the primary is due to be tried again (or `now`):
    // back to the primary if it answers. True when the session moved.
    bool TryPrimary(bool now);
    void UseServer(const TServerAddress& server, int index);
    void SetReadTimeout(int seconds);
    [[noreturn]] void Fail(const QString& text, int code, bool maybeExecuted = false);

    QString name_;
    QString qtName_;
    QSqlDatabase db_;
    TConnectionSettings settings_;
    bool lost_ = false;
    bool severalStatements_ = false;
    bool reconnectTried_ = false;
    QString server_;
    int serverIndex_ = -1;
    int serverCount_ = 0;
    bool readOnly_ = false;
    bool serverSaysReadOnly_ = false;
    quint64 lastPrimaryTryMs_ = 0;
    quint64 lastReconnectMs_ = 0;
    // A duplicate of the session's socket, for Abort: while it is held, the
    // socket's number cannot be given to another file, whatever the client
    // library does with its own.
    void HoldSocket();
    void ReleaseSocket();
    std::mutex socketMutex_;
    int socket_ = -1;
};
