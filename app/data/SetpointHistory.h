#pragma once
// The density setpoints of a period as the shift report and the journal show
// them: each row of control_vector replayed through the same follow-up as the
// live program (SetpointFollow.h) against the process records of the period,
// so a setpoint sent from another workstation, or before the program started,
// is judged by the same rule. Setpoints this program followed whose row was
// never found (answer lost, "неизвестно") are added from the follow-up.

#include "ResultTable.h"
#include "SetpointFollow.h"

#include <vector>

struct TSetpointHistoryRow {
    TDateTime moment = 0; // the row's moment; for one without a row, when it was sent
    double value = 0;     // kg/m³
    QString user;
    TDateTime takenAt = 0; // 0 when not taken
    TSetpointState state = TSetpointState::Sent;
};

// commands: RecMoment, UserName, _PLSZ (oldest first); records: RecMoment and
// PLSZ (oldest first). `followed`: the live follow-ups; `now`: a setpoint
// whose time has not run out by now is still "отправлено". Throws
// EDatabaseError when a column is missing.
std::vector<TSetpointHistoryRow> SetpointHistory(const TResultTable& commands, const TResultTable& records,
                                                 const std::vector<TSetpointFollowUp>& followed,
                                                 int takeSeconds, TDateTime start, TDateTime stop,
                                                 TDateTime now);
