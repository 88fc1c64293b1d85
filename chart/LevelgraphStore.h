#pragma once
// The trend chart's data: a fixed grid of time-step cells per channel, the marker
// words, and the time-axis model that maps a moment to its step. It holds no
// samples: a point folds into the cell of its step, so memory and drawing work are
// bounded by the number of steps, however many samples a period brings.
//
// Kept apart from the widget so that folding and the time model can be tested
// and measured without a window.
//
// A channel's cells and markers are allocated when something is first written to
// it: a chart draws two or three of its sixteen channels, and every trend window
// lives all shift long.

#include "DateTime.h"

#include <array>
#include <cstdint>
#include <memory>

struct TLevelGraphCell {
    // Normal mode: the smallest value of the step. Average mode: the sum.
    double Low = 0.0;
    // Normal mode: the largest value (valid with HasHigh). Average mode: the count.
    double High = 0.0;
    bool Present = false;
    bool HasHigh = false;
    bool Alarm = false;
};

// Marker word bits.
constexpr std::uint32_t kMarkerTick = 1;    // a tick at the step
constexpr std::uint32_t kMarkerConnect = 2; // joined to the previous marked step
constexpr std::uint32_t kMarkerTall = 4;    // tall double-width tick

class TLevelGraphStore {
public:
    static constexpr int kChannels = 16;
    static constexpr int kSteps = 3000;

    TLevelGraphStore();

    // --- time axis -------------------------------------------------------------
    TDateTime StartTime() const { return startTime_; }
    TDateTime StopTime() const { return stopTime_; }
    double SecondStep() const { return secondStep_; }
    // The interval and step; recomputes IntervalSize and IntervalPointCount.
    void SetInterval(TDateTime start, TDateTime stop);
    void SetSecondStep(double s);
    bool AverageMode() const { return averageMode_; }
    void SetAverageMode(bool on) { averageMode_ = on; }

    // Whole seconds of the interval; 0 when it is empty or reversed.
    int IntervalSize() const { return intervalSize_; }
    // Steps drawn and accepted by AddPoint; never more than the store holds.
    int IntervalPointCount() const { return intervalPointCount_; }

    // Fractional step of a moment, clamped to [0, kSteps]: before the interval 0,
    // after it kSteps. An arithmetic failure beeps and gives 0.
    double TimeToIndex(TDateTime time) const;
    // The cell index of a moment (the step truncated), kSteps after the interval.
    int StepOf(TDateTime time) const;

    // --- cells -----------------------------------------------------------------
    static bool ValidChannel(int c) { return c >= 0 && c < kChannels; }
    const TLevelGraphCell& Cell(int c, int j) const { return Channel(c)[j]; }
    // kSteps cells; a channel never written reads as empty cells.
    const TLevelGraphCell* Channel(int c) const;

    void AddPoint(int c, TDateTime time, double value, bool alarm);
    // Low when present, else High when HasHigh, else -1.0 (also for channels
    // outside the store and moments after the interval).
    double GetPoint(int c, TDateTime time) const;
    void DelPoint(int c, TDateTime time);
    void ResetGraph(int c);

    // The value a step draws: Low, or in average mode the mean.
    double DrawnValue(const TLevelGraphCell& cell) const {
        return averageMode_ && cell.High > 0.0 ? cell.Low / cell.High : cell.Low;
    }

    // --- markers ---------------------------------------------------------------
    std::uint32_t Marker(int c, int j) const { return MarkerChannel(c)[j]; }
    // kSteps words; a channel never marked reads as zeros.
    const std::uint32_t* MarkerChannel(int c) const;
    // Sets (or ORs in, with merge) the word of channel c at step j; returns j, or
    // -1 when c or j lies outside the store. The caller checks MarkerCount.
    int SetMarker(int c, int j, std::uint32_t flags, bool merge);
    void ResetMarker(int c);

    // --- scan for the automatic scale -----------------------------------------
    // Smallest and largest drawn value of channels [0, graphCount) over the
    // interval's steps; false when no step holds data.
    bool ValueRange(int graphCount, bool enablePresent, double& lo, double& hi) const;

private:
    void Recompute();
    TLevelGraphCell* WritableChannel(int c);
    std::uint32_t* WritableMarkers(int c);

    std::array<std::unique_ptr<TLevelGraphCell[]>, kChannels> cells_;
    std::array<std::unique_ptr<std::uint32_t[]>, kChannels> markers_;
    TDateTime startTime_ = 0.0;
    TDateTime stopTime_ = 0.0;
    double secondStep_ = 60.0;
    bool averageMode_ = false;
    int intervalSize_ = 0;
    int intervalPointCount_ = 0;
};

// Seconds between two moments, snapped to 10 µs. A day count near 46000 carries
// about 1 µs of rounding, so a sample stamped exactly on a step boundary would
// otherwise land in the step before it now and then.
double SecondsBetween(TDateTime from, TDateTime to);
