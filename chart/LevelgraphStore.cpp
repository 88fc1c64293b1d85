#include "LevelgraphStore.h"

#include "Platform.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

double SecondsBetween(TDateTime from, TDateTime to) {
    const double units = (to - from) * kSecondsPerDay * 1e5;
    // Adding and taking away 1.5 * 2^52 rounds to a whole number in two cheap
    // operations (folding calls this for every sample); beyond 2^51 units
    // (some 700 years) the library's rounding takes over.
    constexpr double kRound = 6755399441055744.0;
    if (std::fabs(units) < 2251799813685248.0)
        return ((units + kRound) - kRound) / 1e5;
    return std::round(units) / 1e5;
}

namespace {
// What an unwritten channel reads as.
const TLevelGraphCell kEmptyCells[TLevelGraphStore::kSteps]{};
const std::uint32_t kNoMarkers[TLevelGraphStore::kSteps]{};
} // namespace

TLevelGraphStore::TLevelGraphStore() = default;

const TLevelGraphCell* TLevelGraphStore::Channel(int c) const {
    return cells_[std::size_t(c)] ? cells_[std::size_t(c)].get() : kEmptyCells;
}

const std::uint32_t* TLevelGraphStore::MarkerChannel(int c) const {
    return markers_[std::size_t(c)] ? markers_[std::size_t(c)].get() : kNoMarkers;
}

TLevelGraphCell* TLevelGraphStore::WritableChannel(int c) {
    auto& cells = cells_[std::size_t(c)];
    if (!cells)
        cells.reset(new TLevelGraphCell[kSteps]());
    return cells.get();
}

std::uint32_t* TLevelGraphStore::WritableMarkers(int c) {
    auto& words = markers_[std::size_t(c)];
    if (!words)
        words.reset(new std::uint32_t[kSteps]());
    return words.get();
}

void TLevelGraphStore::SetInterval(TDateTime start, TDateTime stop) {
    startTime_ = start;
    stopTime_ = stop;
    Recompute();
}

void TLevelGraphStore::SetSecondStep(double s) {
    secondStep_ = s;
    Recompute();
}

void TLevelGraphStore::Recompute() {
    const double seconds = SecondsBetween(startTime_, stopTime_);
    if (std::isfinite(seconds) && seconds > 0)
        intervalSize_ = seconds >= double(INT_MAX) ? INT_MAX : int(seconds);
    else
        intervalSize_ = 0;
    if (intervalSize_ > 0 && secondStep_ > 0 && std::isfinite(secondStep_)) {
        // The store has kSteps cells per channel; a longer interval shows its first
        // kSteps steps instead of writing past the store.
        const double n = std::trunc(intervalSize_ / secondStep_);
        intervalPointCount_ = n >= kSteps ? kSteps : int(n);
    } else {
        intervalPointCount_ = 0;
    }
}

double TLevelGraphStore::TimeToIndex(TDateTime time) const {
    if (time > stopTime_)
        return kSteps;
    if (time < startTime_)
        return 0.0;
    double x = SecondsBetween(startTime_, time);
    if (secondStep_ > 0)
        x /= secondStep_;
    if (!std::isfinite(x)) {
        Beep();
        return 0.0;
    }
    return std::clamp(x, 0.0, double(kSteps));
}

int TLevelGraphStore::StepOf(TDateTime time) const {
    return int(TimeToIndex(time));
}

void TLevelGraphStore::AddPoint(int c, TDateTime time, double value, bool alarm) {
    if (!ValidChannel(c))
        return;
    // A missing measurement (NaN) or an infinite one has no place on the value
    // axis; a moment that is not a number has no step.
    if (!std::isfinite(time) || !std::isfinite(value))
        return;
    const int j = StepOf(time);
    if (j >= intervalPointCount_)
        return;
    TLevelGraphCell& cell = WritableChannel(c)[j];
    cell.Alarm = cell.Alarm || alarm;
    if (time < startTime_) {
        // The newest point before the interval seeds step 0.
        cell.Present = true;
        cell.Low = value;
        cell.High = averageMode_ ? 1.0 : value;
        cell.HasHigh = false;
        return;
    }
    if (averageMode_) {
        cell.Present = true;
        cell.Low += value;
        cell.High += 1.0;
    } else if (!cell.Present) {
        cell.Present = true;
        cell.Low = value;
    } else if (cell.HasHigh) {
        if (value < cell.Low)
            cell.Low = value;
        if (value > cell.High)
            cell.High = value;
    } else if (value < cell.Low) {
        cell.High = cell.Low;
        cell.Low = value;
        cell.HasHigh = true;
    } else if (value > cell.Low) {
        cell.High = value;
        cell.HasHigh = true;
    }
}

double TLevelGraphStore::GetPoint(int c, TDateTime time) const {
    if (!ValidChannel(c))
        return -1.0;
    const int j = StepOf(time);
    if (j >= kSteps)
        return -1.0;
    const TLevelGraphCell& cell = Cell(c, j);
    if (cell.Present)
        return cell.Low;
    if (cell.HasHigh)
        return cell.High;
    return -1.0;
}

void TLevelGraphStore::DelPoint(int c, TDateTime time) {
    if (!ValidChannel(c))
        return;
    const int j = StepOf(time);
    if (j < kSteps && cells_[std::size_t(c)])
        cells_[std::size_t(c)][j] = TLevelGraphCell{};
}

void TLevelGraphStore::ResetGraph(int c) {
    if (!ValidChannel(c))
        return;
    if (cells_[std::size_t(c)])
        std::fill_n(cells_[std::size_t(c)].get(), kSteps, TLevelGraphCell{});
}

int TLevelGraphStore::SetMarker(int c, int j, std::uint32_t flags, bool merge) {
    if (!ValidChannel(c) || j < 0 || j >= kSteps)
        return -1;
    std::uint32_t& w = WritableMarkers(c)[j];
    w = merge ? (w | flags) : flags;
    return j;
}

void TLevelGraphStore::ResetMarker(int c) {
    if (!ValidChannel(c))
        return;
    if (markers_[std::size_t(c)])
        std::fill_n(markers_[std::size_t(c)].get(), kSteps, 0u);
}

bool TLevelGraphStore::ValueRange(int graphCount, bool enablePresent, double& lo, double& hi) const {
    const int channels = std::clamp(graphCount, 0, int(kChannels));
    double l = std::numeric_limits<double>::infinity();
    double h = -std::numeric_limits<double>::infinity();
    for (int c = 0; c < channels; ++c) {
        const TLevelGraphCell* cells = Channel(c);
        for (int j = 0; j < intervalPointCount_; ++j) {
            const TLevelGraphCell& cell = cells[j];
            if (enablePresent && !cell.Present)
                continue;
            const double v = DrawnValue(cell);
            l = std::min(l, v);
            h = std::max(h, v);
            if (cell.HasHigh) {
                l = std::min(l, cell.High);
                h = std::max(h, cell.High);
            }
        }
    }
    if (l > h) {
        lo = hi = 0.0;
        return false;
    }
    lo = l;
    hi = h;
    return true;
}
