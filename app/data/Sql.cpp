#include "Sql.h"

#include "Global.h"

namespace Sql {
const QString LastState = QStringLiteral("select * from last_state");
const QString MaxTime = QStringLiteral("select max(RecMoment) MaxTime from pu_data");
const QString LastData = QStringLiteral("select * from pu_data order by RecMoment DESC LIMIT 0,1");
const QString MinPLS = QStringLiteral("select ifnull(ConstVal,0) as rez  from setup where ConstName='MIN_PLS'");
const QString JournalLastTime = QStringLiteral("select max(RecMoment) Rez from control_log");
const QString Constants = QStringLiteral("select * from setup order by ConstName");

QString TrendRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from pu_data") + RangeClause(start, stop) + QStringLiteral(" order by RecMoment");
}
QString BrowserRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from pu_data ") + RangeClause(start, stop) + QStringLiteral(" ORDER BY RecMoment");
}
QString JournalRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select * from control_log\r\n") + RangeClause(start, stop) +
           QStringLiteral(" order by RecMoment");
}

QString InsertCommand(const QString& column) {
    return QStringLiteral("insert into control_vector\r\n( RecMoment, UserName, %1 )\r\nVALUES ( Now(), USER(), ? ) ")
        .arg(column);
}
const QString FindSetpoint =
    QStringLiteral("select RecMoment, UserName from control_vector where _PLSZ = ? and UserName = USER() "
                   "and RecMoment >= now() - interval ? second order by RecMoment desc limit 1");
QString SetpointRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select RecMoment, UserName, _PLSZ from control_vector") + RangeClause(start, stop) +
           QStringLiteral(" and _PLSZ is not null order by RecMoment");
}
QString SetpointRecordsRange(TDateTime start, TDateTime stop) {
    return QStringLiteral("select RecMoment, PLSZ from pu_data") + RangeClause(start, stop) +
           QStringLiteral(" order by RecMoment");
}
const QString InsertConstant = QStringLiteral("insert into setup (ConstName, ConstVal, Comment) values (?, ?, ?)");
// "<=>" matches a NULL value read as NULL.
const QString UpdateConstant = QStringLiteral("update setup set ConstName = ?, ConstVal = ?, Comment = ? "
                                              "where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
const QString FindConstant =
    QStringLiteral("select 1 from setup where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
const QString DeleteConstant =
    QStringLiteral("delete from setup where ConstName <=> ? and ConstVal <=> ? and Comment <=> ? limit 1");
} // namespace Sql
