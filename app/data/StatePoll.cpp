#include "StatePoll.h"

#include "Log.h"
#include "Platform.h"

#include "Sql.h"

#include <algorithm>

// What one look brought back from the live session.
struct TStatePoll::Answer {
    TResultTable state, maxTime, lastData;
    // The statement that failed (0 heartbeat, 1 newest moment, 2 newest
    // record), -1 when none did.
    int failedAt = -1;
    QString error;
    bool lost = false;
};

TStatePoll::TStatePoll(TSQLConnection* connection, QObject* parent)
    : QObject(parent), SQLQueryPUState(connection, Sql::LastState), SQLQueryMaxTime(connection, Sql::MaxTime),
      SQLQueryLastData(connection, Sql::LastData), connection_(connection) {
    SQLQueryPUState.SetKind(TStatementKind::Poll);
    SQLQueryMaxTime.SetKind(TStatementKind::Poll);
    SQLQueryLastData.SetKind(TStatementKind::Poll);
    SQLQueryLastData.DeclaredFields = {QStringLiteral("RecMoment"), QStringLiteral("PLS"),   QStringLiteral("PLSZ"),
                                       QStringLiteral("URKS"),      QStringLiteral("URNS"),  QStringLiteral("VODA1"),
                                       QStringLiteral("DSUS"),      QStringLiteral("_PLSZ"), QStringLiteral("AR1")};
}

TColor TStatePoll::LinkColor(TDateTime lastRecord, TDateTime now) {
    const TDateTime age = now - lastRecord;
    TColor colour = clGreen;
    if (age > EncodeTime(0, 0, 5))
        colour = clYellow;
    if (age > EncodeTime(0, 0, 10))
        colour = clRed;
    return colour;
}

void TStatePoll::Tick(TDateTime now) {
    if (heartbeatKnown_)
        link_ = LinkColor(lastHeartbeat_, now);
    if (waiting_ || !connection_->Wanted())
        return;
    waiting_ = true;
    const QStringList sql = {SQLQueryPUState.SQL(), SQLQueryMaxTime.SQL(), SQLQueryLastData.SQL()};
    connection_->Post<Answer>(
        TSessionRole::Live, this,
        [sql](TDbSession& session) {
            Answer a;
            std::vector<TResultTable> results;
            try {
                session.SelectAll(sql, TStatementKind::Poll, results);
            } catch (const EDatabaseError& e) {
                a.failedAt = int(results.size());
                a.error = e.Text();
                a.lost = session.Lost();
            }
            TResultTable* out[3] = {&a.state, &a.maxTime, &a.lastData};
            for (size_t i = 0; i < results.size() && i < 3; ++i)
                *out[i] = std::move(results[i]);
            return a;
        },
        [this](TDbReply<Answer>& reply) {
            waiting_ = false;
            if (reply.Ok()) {
                Apply(*reply.value);
            } else {
                Answer failed;
                failed.failedAt = 0;
                failed.error = reply.error->Text();
                Apply(failed);
            }
        });
}

void TStatePoll::Apply(const Answer& a) {
    ++answers_;
    // Where the look ended: the statement that failed, or the result that
    // lacked a column it must have (-1: it went through).
    int endedAt = a.failedAt;
    QString error = a.error;
    int stage = 0;
    try {
        if (endedAt != 0) {
            SQLQueryPUState.Assign(a.state);
            lastHeartbeat_ = SQLQueryPUState.AsDateTime(QStringLiteral("RecMoment"));
            heartbeatKnown_ = true;
        }
        stage = 1;
        if (endedAt < 0 || endedAt > 1)
            SQLQueryMaxTime.Assign(a.maxTime);
        stage = 2;
        if (endedAt < 0) {
            SQLQueryLastData.Assign(a.lastData);
            const TSQLQuery& q = SQLQueryLastData;
            record_.RecMoment = q.AsDateTime(QStringLiteral("RecMoment"));
            record_.PLS = q.AsFloat(QStringLiteral("PLS"));
            record_.PLSZ = q.AsFloat(QStringLiteral("PLSZ"));
            record_.URKS = q.AsFloat(QStringLiteral("URKS"));
            record_.URNS = q.AsFloat(QStringLiteral("URNS"));
            record_.VODA1 = q.AsFloat(QStringLiteral("VODA1"));
            record_.DSUS = q.AsFloat(QStringLiteral("DSUS"));
            record_._PLSZ = q.AsFloat(QStringLiteral("_PLSZ"));
            record_.AR1 = q.AsFloat(QStringLiteral("AR1"));
            hasRecord_ = true;
        }
    } catch (const EDatabaseError& e) {
        endedAt = stage;
        error = e.Text();
    }
    const bool failed = endedAt >= 0;
    if (failed) {
        LogRepeatedWarning("state poll", error);
        // A statement that fails on a live connection means its data is not
        // there; a lost connection keeps the last record until the link is red.
        if (endedAt == 2 && !a.lost) {
            hasRecord_ = false;
            record_ = TLastData();
        }
    }
    // The answer may come seconds after it was asked (a server that answers
    // the heartbeat, then stalls): the colour goes by the age now.
    if (heartbeatKnown_)
        link_ = LinkColor(lastHeartbeat_, Now());
    else if (failed)
        link_ = clRed;
    Q_EMIT Polled(record_, hasRecord_, link_, failed);
}
