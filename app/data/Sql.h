#pragma once
// Every statement the workstation sends. It reads pu_data, last_state,
// control_log and setup, and writes only control_vector (operator commands)
// and setup (plant constants edited by the operator); nothing else is ever
// written, created or altered.

#include "DateTime.h"

#include <QString>

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
// The newest density command of this account with this value, not older than
// the given seconds (value, seconds): RecMoment, UserName. How a setpoint's row
// is found after it was stored, or after its answer was lost.
extern const QString FindSetpoint;
// The density commands of a range, oldest first: RecMoment, UserName, _PLSZ.
QString SetpointRange(TDateTime start, TDateTime stop);
// The controller's working setpoint over a range, oldest first: RecMoment, PLSZ.
QString SetpointRecordsRange(TDateTime start, TDateTime stop);
// Constants: a new row (name, value, comment); a changed row (new name, value,
// comment, then the name, value and comment it had when read); a deleted row
// (the name, value and comment it had). A row is found by all three old values.
extern const QString InsertConstant;
extern const QString UpdateConstant;
// A row holding exactly these values (name, value, comment).
extern const QString FindConstant;
extern const QString DeleteConstant;
} // namespace Sql
