#include "Database.h"

#include "Eventlog.h"
#include "Log.h"

#include <QThread>
#include <atomic>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// A database thread: the session lives and dies on it (a Qt SQL connection may
// only be used on the thread that made it), and the work for the session
// arrives as queued calls to `receiver`, so it runs in the order it was asked.
struct TSQLConnection::Worker {
    QThread thread;
    QObject* receiver = nullptr; // lives on `thread`
    TDbSession* session = nullptr;
    // The settings last handed to the session.
    QStringList params;
    bool paramsSent = false;
    // Once set, work still queued is dropped unrun.
    std::atomic<bool> stopping{false};
};

TSQLConnection::TSQLConnection(QObject* parent) : QObject(parent) {
    const char* names[2] = {"live", "history"};
    for (int i = 0; i < 2; ++i) {
        auto w = std::make_unique<Worker>();
        w->thread.setObjectName(QStringLiteral("ordal-db-%1").arg(QLatin1String(names[i])));
        w->receiver = new QObject;
        w->receiver->moveToThread(&w->thread);
        w->thread.start();
        Worker* raw = w.get();
        const QString name = QLatin1String(names[i]);
        const bool history = i == int(TSessionRole::History);
        QMetaObject::invokeMethod(
            w->receiver,
            [raw, name, history] {
                raw->session = new TDbSession(name);
                // The poll's look goes as one text: one round trip, not three.
                raw->session->AllowSeveralStatements(!history);
                // Reading a long range is work that may wait; the poll, a
                // command and the screen may not. The history thread yields
                // the processor to them (a nice value of its own, so it is
                // slowed, never starved).
                if (history)
                    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
            },
            Qt::BlockingQueuedConnection);
        workers_[i] = std::move(w);
    }
}

TSQLConnection::~TSQLConnection() {
    for (auto& w : workers_) {
        w->stopping = true;
        // A statement waiting on a stalled server is cut off, so the thread
        // ends now and not after its read timeout.
        w->session->Abort();
        Worker* raw = w.get();
        QMetaObject::invokeMethod(
            w->receiver,
            [raw] {
                delete raw->session;
                raw->session = nullptr;
                delete raw->receiver;
                raw->receiver = nullptr;
            },
            Qt::QueuedConnection);
        w->thread.quit();
    }
    for (auto& w : workers_)
        w->thread.wait();
}

QString TSQLConnection::Param(const QString& name) const {
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : Params)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

void TSQLConnection::Dispatch(TSessionRole role, std::function<std::function<void()>(TDbSession&)> work) {
    Worker* w = workers_[int(role)].get();
    // The settings reach the session with the first work after they changed;
    // they take effect at its next connect.
    std::optional<TConnectionSettings> settings;
    if (!w->paramsSent || w->params != Params) {
        w->params = Params;
        w->paramsSent = true;
        settings = TConnectionSettings::FromParams(Params);
    }
    ++pending_[int(role)];
    QMetaObject::invokeMethod(
        w->receiver,
        [this, w, role, settings, work = std::move(work)] {
            if (w->stopping)
                return;
            if (settings)
                w->session->SetSettings(*settings);
            std::function<void()> then = work(*w->session);
            State state;
            state.open = w->session->Connected();
            state.lost = w->session->Lost();
            state.server = w->session->ServerName();
            state.readOnly = w->session->ReadOnly();
            state.replicas = w->session->HasReplicas();
            // This object outlives its threads, so the answer always has a
            // receiver; the work's own context decides whether it is used.
            QMetaObject::invokeMethod(
                this,
                [this, role, state, then = std::move(then)] {
                    --pending_[int(role)];
                    Report(role, state);
                    if (then)
                        then();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void TSQLConnection::Report(TSessionRole role, const State& state) {
    const bool open = state.open, lost = state.lost;
    if (role == TSessionRole::History) {
        const bool cameUp = open && !historyOpen_;
        historyOpen_ = open;
        // An operator's range connected the program after a failed start: the
        // live session follows, so the poll and the commands come back too.
        if (cameUp && !liveOpen_ && !liveLost_)
            Open();
        return;
    }
    if (open && (state.server != liveServer_ || state.readOnly != liveReadOnly_)) {
        // A move between servers (or the first connect on a replica) is
        // logged and goes to the event queue; the first connect on the
        // primary is the ordinary start.
        const bool moved = !liveServer_.isEmpty() || state.readOnly;
        liveServer_ = state.server;
        liveReadOnly_ = state.readOnly;
        liveReplicas_ = state.replicas;
        if (moved && state.replicas) {
            const QString text =
                state.readOnly
                    ? QStringLiteral("База данных: работа с сервером %1 (только чтение)").arg(state.server)
                    : QStringLiteral("База данных: работа с сервером %1").arg(state.server);
            LogEvent(text); // logged there too
        }
        Q_EMIT ServerChanged();
    }
    liveReplicas_ = state.replicas;
    if (open == liveOpen_ && lost == liveLost_)
        return;
    // Both sessions talk to one server: when the live one finds it gone, the
    // history session's link is as dead, though it learns so only from its
    // next statement, which would then fail, and the operator's first load
    // after the server's return would show a lost connection. Marked lost
    // now, it reopens before that statement is sent (sent once, on the new
    // session). Queued behind any range it is reading.
    if (lost && !liveLost_) {
        Worker* history = workers_[int(TSessionRole::History)].get();
        QMetaObject::invokeMethod(
            history->receiver,
            [history] {
                if (!history->stopping && history->session->Connected())
                    history->session->MarkLost();
            },
            Qt::QueuedConnection);
    }
    liveOpen_ = open;
    liveLost_ = lost;
    Q_EMIT ConnectionChanged();
}

void TSQLConnection::SetAfterConnect(std::function<QVariant(TDbSession&)> work) {
    afterConnect_ = std::move(work);
    Worker* w = workers_[int(TSessionRole::Live)].get();
    auto hook = afterConnect_;
    QMetaObject::invokeMethod(
        w->receiver,
        [this, w, hook] {
            if (!hook) {
                w->session->AfterConnect = nullptr;
                return;
            }
            w->session->AfterConnect = [this, hook](TDbSession& session) {
                const QVariant value = hook(session);
                // Posted before the answer of the work that connected, so
                // the window sees it first.
                QMetaObject::invokeMethod(
                    this, [this, value] { Q_EMIT AfterConnected(value); }, Qt::QueuedConnection);
            };
        },
        Qt::QueuedConnection);
}

void TSQLConnection::Open(QObject* context, std::function<void(const EDatabaseError*)> done) {
    Post<bool>(
        TSessionRole::Live, context ? context : this,
        [](TDbSession& session) {
            session.Open();
            return true;
        },
        [done = std::move(done)](TDbReply<bool>& reply) {
            if (!reply.Ok())
                qCWarning(lcOrdal) << "connecting failed:" << reply.error->Text();
            if (done)
                done(reply.Ok() ? nullptr : &*reply.error);
        });
}

void TSQLConnection::Close() {
    for (auto& w : workers_) {
        Worker* raw = w.get();
        QMetaObject::invokeMethod(
            w->receiver, [raw] { raw->session->Close(); }, Qt::QueuedConnection);
    }
    historyOpen_ = false;
    const bool was = liveOpen_ || liveLost_;
    liveOpen_ = liveLost_ = false;
    if (was)
        Q_EMIT ConnectionChanged();
}

void TSQLConnection::Abort(TSessionRole role) { workers_[int(role)]->session->Abort(); }

void TSQLConnection::Select(const QString& sql, TStatementKind kind, QObject* context,
                            std::function<void(TDbReply<TResultTable>&)> done) {
    Post<TResultTable>(
        RoleOf(kind), context, [sql, kind](TDbSession& session) { return session.Select(sql, kind); },
        std::move(done));
}

void TSQLConnection::Execute(const QString& sql, const QVariantList& values, TStatementKind kind, QObject* context,
                             std::function<void(TDbReply<int>&)> done) {
    Post<int>(
        RoleOf(kind), context,
        [sql, values, kind](TDbSession& session) { return session.Execute(sql, values, kind); }, std::move(done));
}

// ---------------------------------------------------------------------------
// Data sets

TSQLClientDataSet::TSQLClientDataSet(TSQLConnection* connection, QString sql, TStatementKind kind)
    : connection_(connection), sql_(std::move(sql)), kind_(kind), guard_(std::make_unique<QObject>()) {}

TSQLClientDataSet::~TSQLClientDataSet() = default;

bool TSQLClientDataSet::Open(TDone done) {
    if (opening_ || !connection_)
        return false;
    if (active_) {
        if (done)
            done(nullptr);
        return true;
    }
    table_.Clear();
    recNo_ = 0;
    opening_ = true;
    connection_->Select(sql_, kind_, guard_.get(), [this, done = std::move(done)](TDbReply<TResultTable>& reply) {
        opening_ = false;
        if (!reply.Ok()) {
            if (done)
                done(&*reply.error);
            return;
        }
        try {
            Assign(std::move(*reply.value));
        } catch (const EDatabaseError& e) {
            if (done)
                done(&e);
            return;
        }
        if (done)
            done(nullptr);
    });
    return true;
}

void TSQLClientDataSet::Assign(TResultTable table) {
    Close();
    for (const QString& f : DeclaredFields)
        if (table.ColumnIndex(f) < 0)
            throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(f));
    table_ = std::move(table);
    active_ = true;
}

void TSQLClientDataSet::Close() {
    active_ = false;
    table_.Clear();
    recNo_ = 0;
    if (opening_) {
        opening_ = false;
        guard_ = std::make_unique<QObject>();
    }
}

int TSQLClientDataSet::FieldNo(const QString& name) const {
    const int i = table_.ColumnIndex(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
    return i;
}

bool TSQLQuery::ExecSQL(const QVariantList& values, TExecDone done) {
    if (executing_ || !Connection())
        return false;
    Close();
    executing_ = true;
    Connection()->Execute(SQL(), values, Kind(), execGuard_.get(),
                          [this, done = std::move(done)](TDbReply<int>& reply) {
                              executing_ = false;
                              if (done)
                                  done(reply.Ok() ? nullptr : &*reply.error, reply.Ok() ? *reply.value : 0);
                          });
    return true;
}
