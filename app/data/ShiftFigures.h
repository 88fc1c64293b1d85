#pragma once
// The key figures of a shift from its process records, without a window: the
// density and its setpoint (mean and range), and how long the section ran in
// automatic, in manual or stood, the mode decided as the scheme decides it
// (stopped while the density is not above MIN_PLS, manual while AR1 > 0.5).

#include "ResultTable.h"

struct TRangeFigure {
    int count = 0;
    double mean = 0, min = 0, max = 0;
    void Add(double v);
};

struct TShiftFigures {
    int records = 0;
    TRangeFigure density;  // PLS while running
    TRangeFigure setpoint; // PLSZ while running in automatic
    // Seconds in each mode. A record stands for the time up to the next one,
    // at most kLongestStep (a gap in the records counts as no data).
    double automatic = 0, manual = 0, stopped = 0, noData = 0;
    static constexpr double kLongestStep = 60;
};

// records: RecMoment, PLS, PLSZ, AR1, oldest first. Throws EDatabaseError when
// a column is missing.
TShiftFigures ShiftFigures(const TResultTable& records, double minPls, TDateTime start, TDateTime stop);
