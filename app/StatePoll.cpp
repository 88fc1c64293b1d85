#include "StatePoll.h"

#include "Log.h"

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

bool TStatePoll::Tick(TDateTime now) {
    if (!connection_->Connected() && !connection_->Lost())
        return true;
    bool failed = false;
    bool lastDataFailed = false;
    try {
        SQLQueryPUState.Refresh();
        lastHeartbeat_ = SQLQueryPUState.AsDateTime(QStringLiteral("RecMoment"));
        heartbeatKnown_ = true;
        link_ = LinkColor(lastHeartbeat_, now);
        SQLQueryMaxTime.Refresh();
        SQLQueryMaxTime.AsDateTime(QStringLiteral("MaxTime"));
        lastDataFailed = true;
        SQLQueryLastData.Refresh();
        lastDataFailed = false;
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
    } catch (const EDatabaseError& e) {
        failed = true;
        LogRepeatedWarning("state poll", e.Text());
        // A statement that fails on a live connection means its data is not
        // there; a lost connection keeps the last record until the link is red.
        if (lastDataFailed && !connection_->Lost()) {
            hasRecord_ = false;
            record_ = TLastData();
        }
        link_ = heartbeatKnown_ ? LinkColor(lastHeartbeat_, now) : clRed;
    }
    Q_EMIT Polled(record_, hasRecord_, link_, failed);
    return !failed;
}
