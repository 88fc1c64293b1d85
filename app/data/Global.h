#pragma once
// Program-wide settings read from the main configuration file (see TMainConfig).

#include <QString>

extern int FirstChangeStart;      // hour at which the first shift starts, 0..23
extern int DateIncrement;         // day offset of the shift periods
extern bool ShutdownOnExit;       // power the computer off when the program ends
extern QString TempDir;           // filled reports and chart pictures
extern QString TemplateDir;       // report templates
extern bool InteractiveSetupMode; // clicks on scheme elements open their editors

#include "DateTime.h"

// The time range of a shift of the given day: shift 1 from FirstChangeStart for
// 12 hours, shift 2 the 12 hours after it, shift 3 (and any other number) the
// whole shift day; the day is moved by DateIncrement days. Always true.
bool GetShiftPeriod(TDateTime day, int shift, TDateTime& start, TDateTime& stop);
// The shift day that a moment belongs to: the whole day d whose shift day
// (GetShiftPeriod(d, 3)) contains it. Between midnight and the first shift's
// start that is the day before, the night shift still running; the moment is
// taken to the millisecond, as the program writes moments.
TDateTime ShiftDayOf(TDateTime moment);

// " where RecMoment >= 'start' and RecMoment <= 'stop'", both ends inclusive.
QString RangeClause(TDateTime start, TDateTime stop);
// value + step, wrapping to minimum above maximum and to maximum below minimum.
double StepWrap(double value, double maximum, double step, double minimum);

#include <QObject>
#include <functional>

// The interactive set-up mode is switched in the configuration window; every
// window that binds its elements' editors for it (the scheme, the trend
// windows) registers how to apply the mode, for as long as `receiver` lives.
void OnSetupModeChanged(QObject* receiver, std::function<void()> apply);
// Sets InteractiveSetupMode and runs every registered apply, in registration order.
void SetInteractiveSetupMode(bool on);
