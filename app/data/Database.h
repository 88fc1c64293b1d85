#pragma once
// The program's connection to the plant database, as the windows see it.
//
// The operator's screen never waits for the server. Behind the connection
// stand two sessions (Session.h), each on a database thread of its own:
//
//   live     the once-a-second state poll, the operator's commands and short
//            reads (Poll and Command statements);
//   history  trend, journal and browser ranges (Range statements).
//
// A range that the server takes a minute to answer therefore never delays the
// poll or a setpoint, and a stalled server stalls a database thread, never the
// screen. (One thread for both sessions would not do: the client library's
// calls block, so a held range would hold the poll behind it.)
//
// Windows ask and are answered: a request names the work, the object it is for
// and what to do with the answer; the answer runs on the window's thread once
// the work is done, and is dropped if that object is gone by then (a window
// closed while its load runs). Requests to one session run one after another
// in the order they were made.
//
// The connection carries its settings as data, as the configuration sees them:
// a driver name, a driver triple (function, library, client library) and
// parameter lines "name=value" (HostName, Database, User_Name, Password ...).

#include "ResultTable.h"
#include "Session.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

class QThread;

enum class TSessionRole { Live, History };
// Ranges go to the history session, everything else to the live one.
inline TSessionRole RoleOf(TStatementKind kind) {
    return kind == TStatementKind::Range ? TSessionRole::History : TSessionRole::Live;
}

// The answer to a request: a value, or the error that ended the work.
template <class R> struct TDbReply {
    std::optional<R> value;
    std::optional<EDatabaseError> error;
    bool Ok() const { return !error.has_value(); }
};

class TSQLConnection : public QObject {
    Q_OBJECT
public:
    explicit TSQLConnection(QObject* parent = nullptr);
    // Stops both database threads; a statement still waiting for the server
    // is cut off first, so a stalled server never holds the program's end.
    ~TSQLConnection() override;

    // Settings as data; they reach the sessions at the next Open().
    QString DriverName = QStringLiteral("MySQL");
    QString ConnectionName;
    QString GetDriverFunc;
    QString LibraryName;
    QString VendorLib;
    bool LoginPrompt = false;
    QStringList Params;
    QString Param(const QString& name) const; // value of the first line "name=..."

    // Timeouts, as the sessions have them.
    static constexpr int kConnectTimeout = TDbSession::kConnectTimeout;
    static constexpr int kReadTimeout = TDbSession::kReadTimeout;
    static constexpr int kRangeReadTimeout = TDbSession::kRangeReadTimeout;
    static constexpr quint64 kReconnectIntervalMs = TDbSession::kReconnectIntervalMs;

    // Connects the live session with the current settings (the history
    // session follows on its own thread; it is otherwise connected by its
    // first range). `done` gets nullptr on success, else the error; it runs
    // on `context`'s thread unless `context` is gone.
    void Open(QObject* context = nullptr, std::function<void(const EDatabaseError*)> done = {});
    // Closes both sessions; Connected() is false at once.
    void Close();

    // The program's connection in the operator's sense: the live session is
    // open and not known to be lost, as its latest answer left it.
    bool Connected() const { return liveOpen_ && !liveLost_; }
    // The live session was open and a statement found it gone; its next
    // statement reopens it (at most every few seconds).
    bool Lost() const { return liveLost_; }
    // The program wants the connection: it was opened (or connected on an
    // operator's demand) and not closed since, so periodic work goes on
    // asking, and reopening, even while it is lost.
    bool Wanted() const { return Connected() || Lost(); }

    // Where [MySQL] Comp lists a primary and replicas: the server the live
    // session uses (empty while it is not connected), whether it takes no
    // writes, and whether the configuration names more than one server.
    QString Server() const { return Connected() ? liveServer_ : QString(); }
    bool ServerReadOnly() const { return liveReadOnly_; }
    bool HasReplicas() const { return liveReplicas_; }

    // Runs after every successful connect of the live session, on its thread,
    // before anything else runs there; may throw (the statement that caused
    // the connect then fails with that error, the session left open). What it
    // returns reaches AfterConnected on this object's thread.
    void SetAfterConnect(std::function<QVariant(TDbSession&)> work);

    // Runs `work` on the session of `role`, then `done` with its answer on
    // `context`'s thread; an EDatabaseError (or any exception) thrown by the
    // work becomes the reply's error. Nothing runs for a context that is gone.
    template <class R>
    void Post(TSessionRole role, QObject* context, std::function<R(TDbSession&)> work,
              std::function<void(TDbReply<R>&)> done);

    // The common requests.
    void Select(const QString& sql, TStatementKind kind, QObject* context,
                std::function<void(TDbReply<TResultTable>&)> done);
    void Execute(const QString& sql, const QVariantList& values, TStatementKind kind, QObject* context,
                 std::function<void(TDbReply<int>&)> done);

    // Requests asked of a session and not answered yet.
    int Pending(TSessionRole role) const { return pending_[int(role)]; }

    // Cuts off what a session is waiting for now (see TDbSession::Abort); the
    // statement fails as a lost session. For tests and the program's end.
    void Abort(TSessionRole role);

Q_SIGNALS:
    // The live session came up, went down or was lost.
    void ConnectionChanged();
    // After every connect of the live session: what the after-connect work gave.
    void AfterConnected(const QVariant& value);
    // The live session moved to another server (a replica, or back to the
    // primary), or the server's read-only state changed.
    void ServerChanged();

private:
    struct Worker;
    // Runs `work` on the session's thread; what it returns runs on this
    // object's thread afterwards (after the session's state is reported).
    void Dispatch(TSessionRole role, std::function<std::function<void()>(TDbSession&)> work);
    struct State {
        bool open = false, lost = false;
        QString server;
        bool readOnly = false, replicas = false;
    };
    void Report(TSessionRole role, const State& state);

    std::unique_ptr<Worker> workers_[2];
    std::function<QVariant(TDbSession&)> afterConnect_;
    bool liveOpen_ = false;
    bool liveLost_ = false;
    QString liveServer_;
    bool liveReadOnly_ = false;
    bool liveReplicas_ = false;
    bool historyOpen_ = false;
    int pending_[2] = {0, 0};
};

template <class R>
void TSQLConnection::Post(TSessionRole role, QObject* context, std::function<R(TDbSession&)> work,
                          std::function<void(TDbReply<R>&)> done) {
    QPointer<QObject> guard(context);
    const bool guarded = context != nullptr;
    Dispatch(role, [work = std::move(work), done = std::move(done), guard,
                    guarded](TDbSession& session) mutable -> std::function<void()> {
        auto reply = std::make_shared<TDbReply<R>>();
        try {
            reply->value.emplace(work(session));
        } catch (const EDatabaseError& e) {
            reply->error.emplace(e);
        } catch (const std::exception& e) {
            reply->error.emplace(QString::fromUtf8(e.what()));
        } catch (...) {
            reply->error.emplace(QStringLiteral("Неизвестная ошибка базы данных"));
        }
        // Runs on the connection's thread, where the context lives and dies.
        return [done = std::move(done), reply, guard, guarded] {
            if (done && (!guarded || guard))
                done(*reply);
        };
    });
}

// The client data set: a statement whose rows are all read into memory when
// it is opened, then walked with a cursor. Opening asks the connection and
// returns at once; the rows are there when the answer has come. A set that is
// being opened refuses to be opened again, and a set closed (or destroyed)
// meanwhile drops the answer.
class TSQLClientDataSet {
public:
    explicit TSQLClientDataSet(TSQLConnection* connection, QString sql = QString(),
                               TStatementKind kind = TStatementKind::Range);
    virtual ~TSQLClientDataSet();

    TSQLConnection* Connection() const { return connection_; }
    void SetSQL(const QString& sql) { sql_ = sql; }
    const QString& SQL() const { return sql_; }
    TStatementKind Kind() const { return kind_; }
    void SetKind(TStatementKind kind) { kind_ = kind; }
    // Columns the result must hold; the open fails when one is missing.
    QStringList DeclaredFields;

    // Asks for the rows. `done` runs when they are in (nullptr) or when the
    // open failed (the error; the set is then closed and empty). Returns
    // false, and asks nothing, while an open is under way or without a
    // connection.
    using TDone = std::function<void(const EDatabaseError*)>;
    bool Open(TDone done = {});
    // Closes the set; an answer still to come is dropped.
    void Close();
    bool Active() const { return active_; }
    bool Opening() const { return opening_; }

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
    // Fills the set with rows read elsewhere (a request's answer); checks the
    // declared fields. Throws EDatabaseError, leaving the set closed.
    void Assign(TResultTable table);

private:
    TSQLConnection* connection_;
    QString sql_;
    TStatementKind kind_;
    TResultTable table_;
    int recNo_ = 0;
    bool active_ = false;
    bool opening_ = false;
    // The object answers are delivered for: replaced on Close(), so that an
    // answer to an earlier open never fills the set.
    std::unique_ptr<QObject> guard_;
};

// A query of the main window: a data set with the short timeout, which can
// also run its statement as a command.
class TSQLQuery : public TSQLClientDataSet {
public:
    explicit TSQLQuery(TSQLConnection* connection, QString sql = QString())
        : TSQLClientDataSet(connection, std::move(sql), TStatementKind::Command) {}
    // Runs the statement without result, values bound in order; `done` gets
    // the error, or nullptr and the rows affected. Returns false, and sends
    // nothing, while a command of this query is under way.
    using TExecDone = std::function<void(const EDatabaseError*, int rows)>;
    bool ExecSQL(const QVariantList& values, TExecDone done);
    bool Executing() const { return executing_; }

private:
    bool executing_ = false;
    std::unique_ptr<QObject> execGuard_ = std::make_unique<QObject>();
};
