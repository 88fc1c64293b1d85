#pragma once
// The figures a shift's alarms are judged by (EEMUA 191): how many were
// annunciated, how many per 10 minutes on average and in the worst 10
// minutes, how many 10-minute periods were over the target of one alarm or in
// flood (ten or more), which alarms chattered (three activations within a
// minute), which stood active through the whole shift, the ten most frequent,
// and the median time to acknowledge. Pure: computed from the history's
// transitions.

#include "AlarmModel.h"

#include <QList>
#include <QString>
#include <optional>

struct TAlarmCount {
    QString Id, Text;
    int Count = 0;
};

struct TAlarmFigures {
    TDateTime From = 0, To = 0;
    int Annunciated = 0;
    int Periods = 0; // 10-minute periods of the range (a last part-period counts)
    double AveragePer10Min = 0;
    int Worst10Min = 0;
    TDateTime Worst10MinStart = 0;
    int PeriodsOverTarget = 0;  // more than one alarm
    double ShareOverTarget = 0; // percent of Periods
    int FloodPeriods = 0;       // ten or more
    QList<TAlarmCount> Chattering;
    QList<TAlarmCount> Standing;
    QList<TAlarmCount> MostFrequent; // at most ten, most first
    std::optional<double> MedianAckSeconds;
    int Acknowledged = 0;
};

constexpr int kFloodPer10Min = 10;
constexpr int kChatterCount = 3;
constexpr double kChatterWindowSeconds = 60;

// history: the transitions in time order; those before from tell which alarms
// were active when the range began and when a later acknowledgement's alarm
// was raised.
TAlarmFigures ComputeAlarmFigures(const QList<TAlarmTransition>& history, TDateTime from, TDateTime to);
