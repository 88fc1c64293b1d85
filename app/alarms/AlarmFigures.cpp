#include "AlarmFigures.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

constexpr double kPeriod = 10.0 / (24 * 60);

bool Annunciates(const TAlarmTransition& t) {
    return t.Event == TAlarmEvent::Activate && t.To == TAlarmState::ActiveUnack;
}

} // namespace

TAlarmFigures ComputeAlarmFigures(const QList<TAlarmTransition>& history, TDateTime from, TDateTime to) {
    TAlarmFigures f;
    f.From = from;
    f.To = to;
    if (!(to > from))
        return f;
    // A hair under a whole number of periods is that number.
    f.Periods = std::max(1, int(std::ceil((to - from) / kPeriod - 1e-6)));
    std::vector<int> buckets(std::size_t(f.Periods), 0);
    // Per alarm: its activation moments in the range, its text, whether it is
    // active now (as the replay goes), and its last activation.
    std::map<QString, std::vector<TDateTime>> activations;
    QHash<QString, QString> texts;
    QHash<QString, TDateTime> raisedAt;
    QSet<QString> active, activeAtStart, returned;
    std::vector<double> ackSeconds;
    bool started = false;
    for (const TAlarmTransition& t : history) {
        if (t.Moment >= to)
            break;
        if (!started && t.Moment >= from) {
            started = true;
            activeAtStart = active;
        }
        texts[t.Id] = t.Text;
        if (IsActive(t.To))
            active.insert(t.Id);
        else
            active.remove(t.Id);
        if (Annunciates(t))
            raisedAt[t.Id] = t.Moment;
        if (t.Moment < from)
            continue;
        if (!IsActive(t.To))
            returned.insert(t.Id);
        if (Annunciates(t)) {
            ++f.Annunciated;
            // A moment on a period's first second belongs to it, whatever rounding
            // the encoded moments carry (as the count of periods above).
            const int b = std::clamp(int((t.Moment - from) / kPeriod + 1e-6), 0, f.Periods - 1);
            ++buckets[std::size_t(b)];
            activations[t.Id].push_back(t.Moment);
        }
        if (t.Event == TAlarmEvent::Acknowledge && raisedAt.contains(t.Id)) {
            ackSeconds.push_back((t.Moment - raisedAt[t.Id]) * kSecondsPerDay);
            raisedAt.remove(t.Id);
        }
    }
    if (!started)
        activeAtStart = active;

    f.AveragePer10Min = double(f.Annunciated) / f.Periods;
    for (int b = 0; b < f.Periods; ++b) {
        const int n = buckets[std::size_t(b)];
        if (n > f.Worst10Min) {
            f.Worst10Min = n;
            f.Worst10MinStart = from + b * kPeriod;
        }
        if (n > 1)
            ++f.PeriodsOverTarget;
        if (n >= kFloodPer10Min)
            ++f.FloodPeriods;
    }
    f.ShareOverTarget = 100.0 * f.PeriodsOverTarget / f.Periods;

    for (const auto& [id, moments] : activations) {
        const int n = int(moments.size());
        f.MostFrequent << TAlarmCount{id, texts.value(id), n};
        for (int i = 0; i + kChatterCount - 1 < n; ++i)
            if ((moments[std::size_t(i + kChatterCount - 1)] - moments[std::size_t(i)]) * kSecondsPerDay <=
                kChatterWindowSeconds + 1e-3) {
                f.Chattering << TAlarmCount{id, texts.value(id), n};
                break;
            }
    }
    std::stable_sort(f.MostFrequent.begin(), f.MostFrequent.end(),
                     [](const TAlarmCount& a, const TAlarmCount& b) { return a.Count > b.Count; });
    if (f.MostFrequent.size() > 10)
        f.MostFrequent.resize(10);
    for (const QString& id : activeAtStart)
        if (!returned.contains(id))
            f.Standing << TAlarmCount{id, texts.value(id), 0};
    std::sort(f.Standing.begin(), f.Standing.end(),
              [](const TAlarmCount& a, const TAlarmCount& b) { return a.Id < b.Id; });

    f.Acknowledged = int(ackSeconds.size());
    if (!ackSeconds.empty()) {
        std::sort(ackSeconds.begin(), ackSeconds.end());
        const std::size_t n = ackSeconds.size();
        f.MedianAckSeconds = n % 2 ? ackSeconds[n / 2] : (ackSeconds[n / 2 - 1] + ackSeconds[n / 2]) / 2;
    }
    return f;
}
